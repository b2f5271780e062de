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
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <map>
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

QString sDisplayProblem;
QtMessageHandler sQtHandler = nullptr; // the one ours replaced: Qt's own
bool sToolkitStarted = false;

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

void passOn(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    // Qt's logging rules (QT_LOGGING_RULES, qtlogging.ini) have already
    // decided that this message is wanted; printing it is Qt's business.
    if (sQtHandler)
        sQtHandler(type, context, msg);
}

void messageHandler(QtMsgType type, const QMessageLogContext& context, const QString& msg)
{
    if (msg.contains(QLatin1String("could not connect to display")))
        sDisplayProblem = msg;
    if (type == QtFatalMsg) {
        // The toolkit gives up when it cannot reach the display: say so in
        // one plain line instead of aborting with a crash dump.
        QString why = sDisplayProblem.isEmpty() ? msg.split('\n').first() : sDisplayProblem;
        std::string line = "velmorra: cannot start: " + why.toStdString() + "\n";
        ::write(2, line.data(), line.size());
        std::_Exit(1);
    }
    if (!sToolkitStarted) {
        sHeldMessages.push_back({ type, context.file, context.line, context.function, context.category, msg });
        return;
    }
    passOn(type, context, msg);
}

void toolkitStarted()
{
    sToolkitStarted = true;
    for (const HeldMessage& m : std::exchange(sHeldMessages, {})) {
        const QMessageLogContext context(m.file, m.line, m.function, m.category);
        passOn(m.type, context, m.text);
    }
}

void tearDownToolkit()
{
    Scheduler::SetWakeHandler({});
    delete sSliceTimer;
    sSliceTimer = nullptr;
    delete sQtApp;
    sQtApp = nullptr;
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
        sQtHandler = qInstallMessageHandler(messageHandler);
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
    RuntimeCallSystemCode([](void* p) { reinterpret_cast<void (*)()>(p)(); }, reinterpret_cast<void*>(startup));
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
