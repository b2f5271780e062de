#include "framework/gui/Application.h"

#include "framework/core/Runtime.h"
#include "framework/core/Scheduler.h"
#include "framework/gui/FileType.h"
#include "framework/gui/Label.h"
#include "framework/gui/Listbox.h"
#include "framework/gui/PopupMenu.h"
#include "framework/gui/PushButton.h"
#include "framework/gui/Window.h"
#include "framework/gui/Window_p.h"

#include <QApplication>
#include <QElapsedTimer>
#include <QTimer>
#include <cerrno>
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
#include <mutex>
#include <unistd.h>
#include <utility>
#include <vector>

namespace fw {

namespace {

struct FrameworkState {
    Ref<Application> app;
    std::vector<Ref<Window>> windows;     // every window built
    std::vector<Ref<Window>> openWindows; // in the order they opened
    std::map<std::string, WeakRef<Window>> implicitWindows;
    std::map<QWidget*, EditHandler> editHandlers;
};

FrameworkState& state()
{
    static FrameworkState s;
    return s;
}

QApplication* sQtApp = nullptr;
QTimer* sSliceTimer = nullptr;
std::function<void()> sStartupObserver;

// Each turn of the event loop gives runnable threads one slice; the window
// repaints and takes input between slices.
constexpr auto SliceBudget = std::chrono::milliseconds(5);

void runSlice()
{
    Scheduler::RunSlice(SliceBudget);
    if (!Scheduler::HasRunnable() && sSliceTimer)
        sSliceTimer->stop();
}

// Qt may call the message handler from any of its threads while it starts
// (the display connection's reader, for one), so what the handler shares is
// guarded. It is recursive because passing a message on may log again.
std::recursive_mutex sMessageLock;
QtMessageHandler sQtHandler = nullptr; // the one ours replaced: Qt's own
// Messages are held only while the toolkit starts. Once it is torn down, a
// message that another thread had already sent on its way to ours is passed
// on to the handler put back, not held for a start that never comes.
enum class ToolkitState { Down, Starting, Started };
ToolkitState sToolkitState = ToolkitState::Down;

// What Qt says while it starts is held back, so that when it cannot start
// the one line below says why without the trail that led there. Qt's
// context strings are literals: they are still valid when passed on.
struct HeldMessage {
    QtMsgType type;
    const char* file;
    int line;
    const char* function;
    const char* category;
    QString text;
};
std::vector<HeldMessage> sHeldMessages;

void passOn(QtMessageHandler handler, QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    // Qt's logging rules (QT_LOGGING_RULES, qtlogging.ini) have already
    // decided that this message is wanted; printing it is Qt's business.
    if (handler) {
        handler(type, context, msg);
        return;
    }
    const std::string line = qFormatLogMessage(type, context, msg).toStdString() + "\n";
    std::fputs(line.c_str(), stderr);
}

bool envSet(const char* name)
{
    const char* v = std::getenv(name);
    return v && *v;
}

// Whether the user asked Qt to say more than its warnings: then the trail
// that led to a failed start is what they want to read.
bool askedForQtsDetail()
{
    const char* plugins = std::getenv("QT_DEBUG_PLUGINS");
    if (plugins && std::atoi(plugins) > 0)
        return true;
    if (envSet("QT_LOGGING_RULES") || envSet("QT_LOGGING_CONF"))
        return true;
    // Rules from a qtlogging.ini let Qt's debug messages through too (its
    // info messages come through without any rule).
    for (const HeldMessage& m : sHeldMessages)
        if (m.type == QtDebugMsg)
            return true;
    return false;
}

// Why the toolkit could not start, in Qt's words. Qt's last sentence only
// says that no platform plugin could be initialised; the first thing its
// platform layer said on the way names the plugin and what failed (no plugin
// of that name, no display to connect to, a plugin found but not loaded). A
// warning from elsewhere is a side note, used only when there is no other.
QString reasonForFailure(const QString& fatal)
{
    const HeldMessage* first = nullptr;
    for (const HeldMessage& m : sHeldMessages) {
        if (m.type == QtDebugMsg)
            continue;
        if (m.category && std::strncmp(m.category, "qt.qpa", 6) == 0)
            return m.text;
        if (!first)
            first = &m;
    }
    if (first)
        return first->text;
    return fatal.split('\n').first();
}

// Straight to the file: the process ends right after, with no exit handler
// to flush a stream.
void writeToStderr(const std::string& text)
{
    for (std::size_t done = 0; done < text.size();) {
        ssize_t n = ::write(2, text.data() + done, text.size() - done);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            return;
        done += static_cast<std::size_t>(n);
    }
}

[[noreturn]] void failToStart(const QString& fatal)
{
    std::lock_guard lock(sMessageLock);
    if (askedForQtsDetail()) {
        for (const HeldMessage& m : sHeldMessages) {
            const QMessageLogContext context(m.file, m.line, m.function, m.category);
            const std::string text = qFormatLogMessage(m.type, context, m.text).toStdString() + "\n";
            writeToStderr(text);
        }
    }
    // The toolkit gives up when it cannot load its platform plugin or reach
    // the display: say why in one plain line instead of aborting with a
    // crash dump.
    QString why = reasonForFailure(fatal).simplified();
    std::string line = "velmorra: cannot start: " + why.toStdString() + "\n";
    writeToStderr(line);
    std::_Exit(1);
}

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (type == QtFatalMsg)
        failToStart(msg);
    QtMessageHandler handler;
    {
        // The handler to pass on to is read with the flag: tear-down on the
        // main thread may put it back at any moment.
        std::lock_guard lock(sMessageLock);
        if (sToolkitState == ToolkitState::Starting) {
            sHeldMessages.push_back({ type, context.file, context.line, context.function, context.category, msg });
            return;
        }
        handler = sQtHandler;
    }
    passOn(handler, type, context, msg);
}

void installMessageHandler()
{
    std::lock_guard lock(sMessageLock);
    sToolkitState = ToolkitState::Starting;
    sHeldMessages.clear();
    QtMessageHandler previous = qInstallMessageHandler(messageHandler);
    // Ours is never passed on to itself: that would call it for ever.
    if (previous != messageHandler)
        sQtHandler = previous;
}

void toolkitStarted()
{
    // Held under the lock, so that a message from another thread waits and
    // comes after the ones held before it.
    std::lock_guard lock(sMessageLock);
    sToolkitState = ToolkitState::Started;
    for (const HeldMessage& m : std::exchange(sHeldMessages, {})) {
        const QMessageLogContext context(m.file, m.line, m.function, m.category);
        passOn(sQtHandler, m.type, context, m.text);
    }
}

// The toolkit can start again in the same process (a test binary does, once
// per test): the handler that was there before ours is put back, so the next
// start installs ours over it afresh.
void removeMessageHandler()
{
    std::lock_guard lock(sMessageLock);
    qInstallMessageHandler(sQtHandler);
    sToolkitState = ToolkitState::Down;
    sHeldMessages.clear();
}

void tearDownToolkit()
{
    Scheduler::SetWakeHandler({});
    delete sSliceTimer;
    sSliceTimer = nullptr;
    delete sQtApp;
    sQtApp = nullptr;
    removeMessageHandler();
}

}

const ClassInfo& Application::ClassDescription()
{
    return ClassRegistry::Register("Application", [](ClassInfo& c) {
        c.parent = &Object::ClassDescription();
        c.operations = { "NewDocument", "OpenDocument", "DoEvents", "_AddMenuHandler", "_AddPollableObject",
            "_RemovePollableObject", "AddTrayItem", "RemoveTrayItem", "YieldToNextThread", "SleepCurrentThread",
            "_DoSingleEvent", "_EnableMenuItems", "_CallOpen", "_HandleMenuCommand", "_LoadPictureFromBundle",
            "_LoadBundleSound", "__DependencyList" };
        c.declaredEvents = { "Open", "Close", "EnableMenuItems", "NewDocument", "OpenDocument", "HandleAppleEvent",
            "Activate", "Deactivate", "UnhandledException", "CancelClose" };
        c.factory = [] { return make<Application>(); };
    });
}

void _RuntimeRegisterAppObject(const Ref<Application>& app)
{
    state().app = app;
}

Ref<Application> RuntimeApplication()
{
    return state().app;
}

void InitializeFrameworkClasses()
{
    Object::ClassDescription();
    Application::ClassDescription();
    MenuItem::ClassDescription();
    MenuBar::ClassDescription();
    QuitMenuItem::ClassDescription();
    Window::ClassDescription();
    FileType::ClassDescription();
    // The classes the application's controls derive from or are made of, so
    // that every framework class is described before the application's own.
    Thread::ClassDescription();
    RectControl::ClassDescription();
    Label::ClassDescription();
    Listbox::ClassDescription();
    PopupMenu::ClassDescription();
    PushButton::ClassDescription();
}

void _RunFrameworkInitialization(void (*startup)())
{
    if (!sQtApp) {
        const char* platform = std::getenv("QT_QPA_PLATFORM");
        if ((!platform || !*platform) && !std::getenv("DISPLAY") && !std::getenv("WAYLAND_DISPLAY")) {
            std::fputs("velmorra: no display to show the window on (neither DISPLAY nor WAYLAND_DISPLAY is set)\n", stderr);
            std::exit(1);
        }
        // A process may run the framework more than once (a test binary
        // does): each run's record starts empty, as the release log does.
        FileType::RegistrationLog().clear();
        installMessageHandler();
        // The toolkit is handed the program's name only: the process reads
        // nothing from its command line.
        static int argc = 1;
        static char name[] = "velmorra";
        static char* argv[] = { name, nullptr };
        sQtApp = new QApplication(argc, argv);
        toolkitStarted();
        QApplication::setApplicationName("Velmorra");
        QApplication::setQuitOnLastWindowClosed(true);
        sSliceTimer = new QTimer;
        sSliceTimer->setInterval(0);
        QObject::connect(sSliceTimer, &QTimer::timeout, runSlice);
        Scheduler::SetWakeHandler([] {
            if (sSliceTimer && !Scheduler::Manual())
                sSliceTimer->start();
        });
        RuntimeAtExit(tearDownToolkit);
    }
    RuntimeCallSystemCode(startup);
    if (sStartupObserver)
        sStartupObserver();
}

void SetStartupObserver(std::function<void()> observer)
{
    sStartupObserver = std::move(observer);
}

void _RuntimeRun()
{
    if (!sQtApp)
        return;
    // Threads still running are ended at a yield point before the program
    // releases anything: a thread never yields inside a write, so no file is
    // left half-written. The same holds when the loop ends by an exception.
    if (!AnyWindowOpen()) {
        // Nothing on screen could ever quit the loop: a process with no
        // window would run unseen for ever.
        std::fputs("velmorra: start-up opened no window; quitting\n", stderr);
        RuntimeSetExitStatus(1);
        Scheduler::Shutdown();
        return;
    }
    try {
        QApplication::exec();
    } catch (...) {
        Scheduler::Shutdown();
        RuntimeSetExitStatus(1);
        throw;
    }
    Scheduler::Shutdown();
}

bool AnyWindowOpen()
{
    for (auto& w : state().openWindows)
        if (w->IsOpen())
            return true;
    return false;
}

void QuitApplication()
{
    QCoreApplication::quit();
}

void _RuntimeInitExternalClasses()
{
}

void* RuntimeAllocatePluginEntrypointsTable(std::int32_t entries)
{
    static std::vector<void*> table;
    table.assign(static_cast<std::size_t>(entries > 0 ? entries : 0), nullptr);
    return table.data();
}

void RegisterFrameworkWindow(const Ref<Window>& w)
{
    auto& s = state();
    s.windows.push_back(w);
    s.openWindows.push_back(w);
    s.implicitWindows[w->classInfo().name] = w;
}

Ref<Window> _GetImplicitWindow(const std::string& className)
{
    auto& s = state();
    auto it = s.implicitWindows.find(className);
    if (it == s.implicitWindows.end())
        return nullptr;
    auto w = it->second.lock();
    if (!w || !w->IsOpen())
        return nullptr;
    return w;
}

void ReleaseFrameworkLists()
{
    // Class descriptions are not released: they are built once per process.
    auto& s = state();
    auto windows = std::move(s.windows);
    s.windows.clear();
    RuntimeReleaseLog().push_back("framework window list");
    auto open = std::move(s.openWindows);
    s.openWindows.clear();
    RuntimeReleaseLog().push_back("framework open-window list");
    s.implicitWindows.clear();
    RuntimeReleaseLog().push_back("framework implicit windows");
    for (auto& w : windows)
        w->Close();
    windows.clear();
    open.clear();
    s.editHandlers.clear();
    s.app.reset();
}

void RegisterEditHandler(QWidget* widget, EditHandler handler)
{
    state().editHandlers[widget] = std::move(handler);
}

void UnregisterEditHandler(QWidget* widget)
{
    state().editHandlers.erase(widget);
}

bool HasEditHandler(const QWidget* widget)
{
    return state().editHandlers.count(const_cast<QWidget*>(widget)) > 0;
}

// The edit handler of the focused control, or of the nearest of its parents
// that has one.
static const EditHandler* focusedEditHandler()
{
    auto& handlers = state().editHandlers;
    for (QWidget* w = QApplication::focusWidget(); w; w = w->parentWidget())
        if (auto it = handlers.find(w); it != handlers.end())
            return &it->second;
    return nullptr;
}

bool CanPerformStandardEditAction(const std::string& itemName)
{
    const EditHandler* h = focusedEditHandler();
    return h && h->canPerform && h->canPerform(itemName);
}

void PerformStandardEditAction(const std::string& itemName)
{
    if (!CanPerformStandardEditAction(itemName))
        return;
    // A copy: the handler may change the list of handlers.
    auto perform = focusedEditHandler()->perform;
    if (perform)
        perform(itemName);
}

bool ProcessEventsUntil(const std::function<bool()>& pred, int timeoutMs)
{
    QElapsedTimer t;
    t.start();
    while (!pred()) {
        if (t.elapsed() > timeoutMs)
            return pred();
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
    }
    return true;
}

void ProcessEventsFor(int ms)
{
    QElapsedTimer t;
    t.start();
    while (t.elapsed() < ms)
        QCoreApplication::processEvents(QEventLoop::AllEvents, 5);
}

}
