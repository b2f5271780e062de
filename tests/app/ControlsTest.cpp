// The main window's controls: their places and how they follow a resize,
// the tab order, what they show when the window opens, the two events routed
// to the window, the worker thread held as a control, and the Edit menu's
// built-in actions on the file list.

#include "tests/support/AppHarness.h"

#include "framework/core/PropertyList.h"
#include "framework/core/Runtime.h"
#include "framework/core/RuntimeException.h"
#include "framework/core/Scheduler.h"
#include "framework/gui/Application.h"

#include <gtest/gtest.h>

#include <functional>

#include <QTableView>
#include <QAbstractScrollArea>
#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QClipboard>
#include <QKeyEvent>
#include <QLabel>
#include <QMainWindow>
#include <QMenu>
#include <QPushButton>
#include <QTest>
#include <QWidget>

namespace {

struct Geometry {
    const char* name;
    std::int32_t left, top, width, height;
};

fw::Ref<fw::RectControl> control(Window1& w, const std::string& name)
{
    return fw::RuntimeCheckCast<fw::RectControl>(w._ControlByName(name));
}

void expectGeometry(Window1& w, const Geometry* rows, std::size_t count)
{
    for (std::size_t i = 0; i < count; ++i) {
        const Geometry& g = rows[i];
        SCOPED_TRACE(g.name);
        auto c = control(w, g.name);
        ASSERT_TRUE(c);
        EXPECT_EQ(c->Left(), g.left);
        EXPECT_EQ(c->Top(), g.top);
        EXPECT_EQ(c->Width(), g.width);
        EXPECT_EQ(c->Height(), g.height);
    }
}

const Geometry At600x400[] = {
    { "filesList", 20, 139, 560, 209 },
    { "Label1", 20, 373, 560, 20 },
    { "Label2", 20, 16, 560, 36 },
    { "Label3", 20, 61, 194, 20 },
    { "Label4", 218, 61, 164, 20 },
    { "Label5", 20, 101, 118, 20 },
    { "modePop", 144, 100, 243, 21 },
    { "againBut", 511, 356, 69, 20 },
};

// 300 wider and 300 higher: each control follows the edges it is locked to.
const Geometry At900x700[] = {
    { "filesList", 20, 139, 860, 509 },
    { "Label1", 20, 673, 860, 20 },
    { "Label2", 20, 16, 860, 36 },
    { "Label3", 20, 61, 194, 20 },
    { "Label4", 218, 61, 164, 20 },
    { "Label5", 20, 101, 118, 20 },
    { "modePop", 144, 100, 243, 21 },
    { "againBut", 811, 656, 69, 20 },
};

// Smaller than designed: the list shrinks, the bottom row moves up.
const Geometry At500x300[] = {
    { "filesList", 20, 139, 460, 109 },
    { "Label1", 20, 273, 460, 20 },
    { "Label2", 20, 16, 460, 36 },
    { "Label3", 20, 61, 194, 20 },
    { "Label4", 218, 61, 164, 20 },
    { "Label5", 20, 101, 118, 20 },
    { "modePop", 144, 100, 243, 21 },
    { "againBut", 411, 256, 69, 20 },
};

bool resizeTo(testsupport::AppHarness& app, Window1& w, int width, int height)
{
    w.SetWidth(width);
    w.SetHeight(height);
    return app.runUntil([&] { return w.Width() == width && w.Height() == height; }, 2000);
}

QWidget* widgetOf(Window1& w, const std::string& name)
{
    return static_cast<QWidget*>(control(w, name)->nativeWidget());
}

QAction* action(Window1& w, const char* name)
{
    return static_cast<QWidget*>(w.nativeWindow())->findChild<QAction*>(name);
}

// Opens the Edit menu as the user does and closes it again: its items are
// enabled as they stand while it is open.
void openEditMenu(Window1& w)
{
    auto* menu = static_cast<QWidget*>(w.nativeWindow())->findChild<QMenu*>("EditMenu");
    ASSERT_TRUE(menu);
    menu->popup(QPoint(0, 0));
    menu->hide();
}

// Makes the window the active one, as the window manager does when the user
// brings it to the front; false if it never became active.
bool activate(testsupport::AppHarness& app, fw::Window& w)
{
    auto* top = static_cast<QWidget*>(w.nativeWindow());
    top->activateWindow();
    return app.runUntil([&] { return QApplication::activeWindow() == top; }, 2000);
}

void focusList(testsupport::AppHarness& app, Window1& w)
{
    ASSERT_TRUE(activate(app, w));
    auto* list = static_cast<QWidget*>(w.filesList()->nativeWidget());
    list->setFocus(Qt::OtherFocusReason);
    ASSERT_TRUE(app.runUntil([&] { return QApplication::focusWidget() == list; }, 2000));
}

// A window whose handlers only record their calls, so that the routing
// through the real delegates, stubs and invokers can be watched.
class ProbeWindow : public Window1 {
public:
    struct Call {
        Object* window;
        fw::Ref<Object> sender;
        fw::Thread* runningOn;
    };
    std::vector<Call> runCalls, actionCalls;

    void converterThread_Run(const fw::Ref<fw::Thread>& sender) override
    {
        runCalls.push_back({ this, sender, fw::Scheduler::Current() });
    }
    void againBut_Action(const fw::Ref<fw::PushButton>& sender) override
    {
        actionCalls.push_back({ this, sender, fw::Scheduler::Current() });
    }
};

}

TEST(Controls, GeometryFollowsTheLocksOnResizeAndComesBackExactly)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    ASSERT_EQ(w->Width(), 600);
    ASSERT_EQ(w->Height(), 400);
    expectGeometry(*w, At600x400, std::size(At600x400));

    ASSERT_TRUE(resizeTo(app, *w, 900, 700));
    expectGeometry(*w, At900x700, std::size(At900x700));

    ASSERT_TRUE(resizeTo(app, *w, 500, 300));
    expectGeometry(*w, At500x300, std::size(At500x300));

    ASSERT_TRUE(resizeTo(app, *w, 600, 400));
    expectGeometry(*w, At600x400, std::size(At600x400));
}

TEST(Controls, TabGoesFromThePopupToTheListToTheButtonAndRoundAgain)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto* top = static_cast<QWidget*>(w->nativeWindow());
    QWidget* pop = widgetOf(*w, "modePop");
    QWidget* list = widgetOf(*w, "filesList");
    QWidget* button = widgetOf(*w, "againBut");

    pop->setFocus(Qt::OtherFocusReason);
    ASSERT_EQ(top->focusWidget(), pop);
    QWidget* expected[] = { list, button, pop, list };
    for (QWidget* next : expected) {
        QKeyEvent tab(QEvent::KeyPress, Qt::Key_Tab, Qt::NoModifier);
        QCoreApplication::sendEvent(top->focusWidget(), &tab);
        EXPECT_EQ(top->focusWidget(), next) << (top->focusWidget() ? top->focusWidget()->metaObject()->className() : "none");
    }

    for (const char* name : { "modePop", "filesList", "againBut" })
        EXPECT_TRUE(control(*w, name)->TabStop()) << name;
    for (const char* name : { "Label1", "Label2", "Label3", "Label4", "Label5" }) {
        SCOPED_TRACE(name);
        EXPECT_FALSE(control(*w, name)->TabStop());
        EXPECT_EQ(widgetOf(*w, name)->focusPolicy(), Qt::NoFocus);
    }
}

TEST(Controls, NewWindowShowsItsInitialContents)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);

    auto pop = w->modePop();
    ASSERT_EQ(pop->ListCount(), 3);
    EXPECT_EQ(pop->List(0), "Make Apple compatible (v1.1)");
    EXPECT_EQ(pop->List(1), "Revert to original (v1.2)");
    EXPECT_EQ(pop->List(2), "Just check version");
    EXPECT_EQ(pop->ListIndex(), 0);

    auto list = w->filesList();
    EXPECT_EQ(list->ColumnCount(), 2);
    EXPECT_TRUE(list->HasHeading());
    EXPECT_EQ(list->Heading(0), "Status");
    EXPECT_EQ(list->Heading(1), "Path");
    EXPECT_EQ(list->ColumnWidth(0), 120);
    EXPECT_EQ(list->ListCount(), 0);
    EXPECT_EQ(list->LastIndex(), -1);

    EXPECT_EQ(w->againBut()->Caption(), "Again");
    EXPECT_TRUE(w->againBut()->Default());
    EXPECT_TRUE(w->againBut()->Enabled());
    EXPECT_FALSE(w->againBut()->Cancel);
    EXPECT_FALSE(w->converterThread()->IsRunning());
    EXPECT_FALSE(fw::Scheduler::HasRunnable());

    EXPECT_EQ(w->Label2()->Text(), "Drag Pentax K-3 .DNG files into this window to make them readable on OS X "
                                   "(QuickView, Preview, iPhoto, Aperture) and with the iPad Camera Connection Kit.");
    EXPECT_TRUE(w->Label2()->MultiLine());
    EXPECT_EQ(w->Label3()->Text(), "Report your experiences here: ");
    EXPECT_EQ(w->Label5()->Text(), "Choose operation:");
    EXPECT_FALSE(w->Label1()->Text().empty());
    EXPECT_FALSE(w->Label4()->Text().empty());
    EXPECT_FALSE(w->Label4()->URL.empty());
    EXPECT_EQ(w->Label4()->TextAlign(), 1);

    // Only the list and the credit line get their own text size; every
    // visible control counts it in unit 0.
    const std::pair<const char*, float> sizes[] = {
        { "filesList", 11.0f }, { "Label1", 11.0f }, { "Label2", 0.0f }, { "Label3", 0.0f },
        { "Label4", 0.0f }, { "Label5", 0.0f }, { "modePop", 0.0f }, { "againBut", 0.0f },
    };
    for (auto& [name, size] : sizes) {
        SCOPED_TRACE(name);
        EXPECT_EQ(control(*w, name)->TextSize(), size);
        EXPECT_EQ(control(*w, name)->TextUnit(), 0);
        EXPECT_EQ(control(*w, name)->Name(), name);
        EXPECT_EQ(control(*w, name)->Index, INT32_MIN);
        EXPECT_TRUE(control(*w, name)->Visible());
    }
}

// Most of what the lists set equals what a new control has anyway; applied
// over a control that is set otherwise, each list must bring it back.
TEST(Controls, ListsSetWhatANewControlWouldHaveAnyway)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);

    auto thread = fw::RuntimeCheckCast<fw::Thread>(fw::RuntimeNewObject(Window1_converterThread::ClassDescription()));
    ASSERT_TRUE(thread);
    thread->Priority = 1;
    thread->StackSize = 65536;
    fw::_SetProperties(*thread, thread->classInfo(), Window1::ControlProperties("converterThread"));
    EXPECT_EQ(thread->Priority, 5);
    EXPECT_EQ(thread->StackSize, 0);

    struct Case {
        const char* name;
        std::int32_t align;
        bool multiline;
    };
    for (const Case& c : { Case { "Label1", 0, false }, Case { "Label2", 0, true }, Case { "Label3", 0, false },
             Case { "Label4", 1, false }, Case { "Label5", 0, false } }) {
        SCOPED_TRACE(c.name);
        auto l = fw::RuntimeCheckCast<fw::Label>(w->__New(control(*w, c.name)->classInfo()));
        ASSERT_TRUE(l);
        l->Constructor();
        l->SetTextAlign(2);
        l->SetMultiLine(!c.multiline);
        l->SetTextColor(fw::Color::FromRGB(0x123456));
        l->SetBold(true);
        l->SetUnderline(true);
        fw::_SetProperties(*l, l->classInfo(), Window1::ControlProperties(c.name));
        EXPECT_EQ(l->TextAlign(), c.align);
        EXPECT_EQ(l->MultiLine(), c.multiline);
        auto* shown = static_cast<QLabel*>(l->nativeWidget());
        EXPECT_EQ(shown->palette().color(shown->foregroundRole()), QColor(0, 0, 0));
        EXPECT_FALSE(shown->font().bold());
        EXPECT_FALSE(shown->font().underline());
    }
}

TEST(Controls, AccessorsGiveTheSameControlEveryTime)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->filesList(), w->filesList());
    EXPECT_EQ(w->filesList(), w->_ControlByName("filesList"));
    EXPECT_EQ(w->converterThread(), w->_ControlByName("converterThread"));
    EXPECT_EQ(w->Label1(), w->_ControlByName("Label1"));
    EXPECT_EQ(w->Label2(), w->_ControlByName("Label2"));
    EXPECT_EQ(w->Label3(), w->_ControlByName("Label3"));
    EXPECT_EQ(w->Label4(), w->_ControlByName("Label4"));
    EXPECT_EQ(w->Label5(), w->_ControlByName("Label5"));
    EXPECT_EQ(w->modePop(), w->_ControlByName("modePop"));
    EXPECT_EQ(w->againBut(), w->againBut());
    EXPECT_EQ(w->againBut(), w->_ControlByName("againBut"));
    EXPECT_EQ(&w->Label4()->classInfo(), &ShowURLText::ClassDescription());

    // Nine controls, in the order they were made.
    std::vector<std::string> names;
    for (auto& c : w->Controls()) {
        if (auto r = fw::RuntimeCheckCast<fw::RectControl>(c))
            names.push_back(r->Name());
        else if (fw::RuntimeCheckCast<Window1_converterThread>(c))
            names.push_back("converterThread");
    }
    EXPECT_EQ(names, (std::vector<std::string> { "filesList", "converterThread", "Label1", "Label2", "Label3",
                         "Label4", "Label5", "modePop", "againBut" }));
}

TEST(Controls, WorkerThreadIsHeldByTheWindowAsAPaneChild)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto thread = fw::RuntimeCheckCast<Window1_converterThread>(w->converterThread());
    ASSERT_TRUE(thread);
    EXPECT_EQ(w->_ControlByName("converterThread"), thread);
    EXPECT_EQ(thread->Window(), fw::Ref<fw::Window>(w));

    auto fresh = fw::RuntimeCheckCast<Window1_converterThread>(fw::RuntimeNewObject(Window1_converterThread::ClassDescription()));
    ASSERT_TRUE(fresh);
    fresh->Constructor();
    EXPECT_EQ(fresh->Index, 0);
    EXPECT_EQ(fresh->_Index(), 0);
    EXPECT_FALSE(fresh->Window());

    auto first = fw::make<fw::Window>();
    auto second = fw::make<fw::Window>();
    fresh->_SetWindow(first);
    EXPECT_EQ(fresh->Window(), first);
    EXPECT_EQ(first.use_count(), 2);
    fresh->_SetWindow(second);
    EXPECT_EQ(fresh->Window(), second);
    EXPECT_EQ(first.use_count(), 1);
    EXPECT_EQ(second.use_count(), 2);
    fresh->_SetWindow(nullptr);
    EXPECT_FALSE(fresh->Window());
    EXPECT_EQ(second.use_count(), 1);

    for (std::int32_t v : { 0, 5, -1, INT32_MIN, INT32_MAX }) {
        fresh->_SetIndex(v);
        EXPECT_EQ(fresh->_Index(), v);
        EXPECT_EQ(fresh->Index, v);
    }

    // Destroying the thread lets go of its window.
    fresh->_SetWindow(first);
    fresh.reset();
    EXPECT_EQ(first.use_count(), 1);
}

// The real wiring: each press of the button and each start of the worker
// reaches its handler once, with the window and the control that raised it.
TEST(Controls, EventsReachTheWindowsHandlersOncePerEvent)
{
    testsupport::AppHarness app;
    auto probe = fw::make<ProbeWindow>();
    probe->Constructor();
    auto button = probe->againBut();
    auto thread = probe->converterThread();
    ASSERT_TRUE(button);
    ASSERT_TRUE(thread);

    button->Push();
    ASSERT_EQ(probe->actionCalls.size(), 1u);
    EXPECT_EQ(probe->actionCalls[0].window, probe.get());
    EXPECT_EQ(probe->actionCalls[0].sender, fw::Ref<fw::Object>(button));
    EXPECT_EQ(probe->actionCalls[0].runningOn, nullptr); // on the main thread
    button->Push();
    EXPECT_EQ(probe->actionCalls.size(), 2u);
    EXPECT_TRUE(probe->runCalls.empty());

    for (std::size_t run = 1; run <= 2; ++run) {
        thread->Run();
        ASSERT_TRUE(app.runUntil([&] { return !thread->IsRunning(); }, 5000));
        ASSERT_EQ(probe->runCalls.size(), run);
        EXPECT_EQ(probe->runCalls.back().window, probe.get());
        EXPECT_EQ(probe->runCalls.back().sender, fw::Ref<fw::Object>(thread));
        EXPECT_EQ(probe->runCalls.back().runningOn, thread.get()); // on the worker
    }
    EXPECT_EQ(probe->actionCalls.size(), 2u);

    const fw::Ref<fw::Delegate> run = thread->DelegateFor(fw::Thread::RunEvent);
    const fw::Ref<fw::Delegate> press = button->DelegateFor(fw::PushButton::ActionEvent);
    ASSERT_TRUE(run);
    ASSERT_TRUE(press);
    EXPECT_EQ(run->signature, "( Thread )");
    EXPECT_EQ(press->signature, "( PushButton )");
    EXPECT_EQ(run->flag, 1);
    EXPECT_EQ(press->flag, 1);
    EXPECT_EQ(run->Target(), fw::Ref<fw::Object>(probe));
    EXPECT_EQ(press->Target(), fw::Ref<fw::Object>(probe));
    probe->Close();
}

// A delegate reaches its window through a reference that reads empty once
// the window is gone; the real invoker then calls no handler.
TEST(Controls, DelegateOfAWindowThatIsGoneCallsNothing)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    const fw::Ref<fw::Delegate> real = w->againBut()->DelegateFor(fw::PushButton::ActionEvent);
    ASSERT_TRUE(real);

    auto target = fw::make<ProbeWindow>(); // never built: its handler only records
    fw::WeakRef<ProbeWindow> watch = target;
    auto source = fw::make<fw::PushButton>();
    auto d = fw::RuntimeCreateDelegate(real->invoker, real->handler, target, real->signature, 1);
    fw::EventStub stub = [](const fw::Ref<fw::Object>& sender) {
        if (auto dd = sender->DelegateFor(fw::PushButton::ActionEvent))
            dd->invoker(*dd, sender);
    };
    fw::RuntimeAddEventHandler(*source, fw::PushButton::ActionEvent, d, stub);

    // While the target lives the handler runs, with it and the sender.
    EXPECT_TRUE(source->RaiseEvent(fw::PushButton::ActionEvent));
    ASSERT_EQ(target->actionCalls.size(), 1u);
    EXPECT_EQ(target->actionCalls[0].sender, fw::Ref<fw::Object>(source));

    target.reset();
    ASSERT_TRUE(watch.expired()) << "the delegate must not keep its window alive";
    EXPECT_FALSE(d->Target());
    EXPECT_THROW(source->RaiseEvent(fw::PushButton::ActionEvent), fw::NilObjectException);
}

// Pressing "Again" on the real window queues the listed rows again and
// starts the worker, which ends at once on an empty list.
TEST(Controls, PressingAgainOnTheRealWindowStartsTheWorker)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    w->modePop()->SetListIndex(2);
    w->againBut()->Push();
    EXPECT_TRUE(w->converterThread()->IsRunning());
    EXPECT_EQ(Window1TestAccess::mMode(*w), 2);
    ASSERT_TRUE(app.runUntilIdle(5000));
    EXPECT_FALSE(w->converterThread()->IsRunning());
    EXPECT_EQ(w->filesList()->ListCount(), 0);
}

TEST(Controls, EditMenuCopiesTheSelectedRowsOfTheFocusedList)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto list = w->filesList();
    list->AddRow({ "OK", "/tmp/a.dng" });
    list->AddRow({ "", "/tmp/b c.DNG" });
    list->FlushView();

    focusList(app, *w);

    QClipboard* clip = QGuiApplication::clipboard();
    clip->setText("before");
    ASSERT_TRUE(action(*w, "EditSelectAll"));
    ASSERT_TRUE(action(*w, "EditCopy"));
    openEditMenu(*w);
    action(*w, "EditSelectAll")->trigger();
    openEditMenu(*w);
    action(*w, "EditCopy")->trigger();
    EXPECT_EQ(clip->text().toStdString(), "OK\t/tmp/a.dng\n\t/tmp/b c.DNG\n");

    // The other Edit items have no action on the list: rows are only ever
    // appended, so nothing may cut or delete one.
    for (const char* name : { "EditUndo", "EditCut", "EditPaste", "EditClear" }) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(action(*w, name));
        openEditMenu(*w);
        action(*w, name)->trigger();
        EXPECT_EQ(list->ListCount(), 2);
        EXPECT_EQ(list->Cell(0, 0), "OK");
        EXPECT_EQ(clip->text().toStdString(), "OK\t/tmp/a.dng\n\t/tmp/b c.DNG\n");
    }
}

TEST(Controls, EditMenuWithNothingFocusedDoesNothing)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto list = w->filesList();
    list->AddRow({ "OK", "/tmp/a.dng" });
    list->FlushView();
    if (QWidget* f = QApplication::focusWidget())
        f->clearFocus();
    static_cast<QWidget*>(w->nativeWindow())->setFocus(); // the window itself, no control
    QGuiApplication::clipboard()->setText("kept");

    for (const char* name : { "EditUndo", "EditCut", "EditCopy", "EditPaste", "EditClear", "EditSelectAll", "EditCopy" }) {
        SCOPED_TRACE(name);
        ASSERT_TRUE(action(*w, name));
        openEditMenu(*w);
        EXPECT_FALSE(action(*w, name)->isEnabled());
        action(*w, name)->trigger();
        fw::ProcessEventsFor(5);
        EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "kept");
        EXPECT_EQ(list->ListCount(), 1);
        EXPECT_EQ(list->Cell(0, 1), "/tmp/a.dng");
    }
    EXPECT_TRUE(w->IsOpen());
}

// An Edit item is enabled exactly while the focused control can carry it
// out: nothing here can undo, cut, paste or delete; Copy needs a selected
// row of the focused list, Select All a row. The state holds each time the
// menu opens and each time a shortcut is typed.
TEST(Controls, EditItemsAreEnabledOnlyWhenTheFocusedListCanCarryThemOut)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto list = w->filesList();
    auto* view = static_cast<QTableView*>(list->nativeWidget());

    struct Case {
        const char* situation;
        int rows;
        bool focusOnList, selectFirst;
        bool copy, selectAll;
    };
    const Case cases[] = {
        { "empty list, focused", 0, true, false, false, false },
        { "rows, focus on the popup", 2, false, false, false, false },
        { "rows, focused, nothing selected", 2, true, false, false, true },
        { "rows, focused, a row selected", 2, true, true, true, true },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        while (list->ListCount() < c.rows)
            list->AddRow({ "ok", "/tmp/" + std::to_string(list->ListCount()) + ".dng" });
        list->FlushView();
        view->clearSelection();
        if (c.focusOnList)
            focusList(app, *w);
        else
            static_cast<QWidget*>(w->modePop()->nativeWidget())->setFocus(Qt::OtherFocusReason);
        if (c.selectFirst)
            view->selectRow(0);
        openEditMenu(*w);
        EXPECT_EQ(action(*w, "EditCopy")->isEnabled(), c.copy);
        EXPECT_EQ(action(*w, "EditSelectAll")->isEnabled(), c.selectAll);
        for (const char* never : { "EditUndo", "EditCut", "EditPaste", "EditClear" })
            EXPECT_FALSE(action(*w, never)->isEnabled()) << never;
        EXPECT_TRUE(action(*w, "FileQuit")->isEnabled());
    }

    // The menu last opened with nothing selected; a row selected since then
    // is copied by the shortcut all the same.
    view->clearSelection();
    openEditMenu(*w);
    ASSERT_FALSE(action(*w, "EditCopy")->isEnabled());
    view->selectRow(1);
    QGuiApplication::clipboard()->setText("before");
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "ok\t/tmp/1.dng\n");

    // With nothing selected the shortcut copies nothing, not even the
    // current cell.
    view->clearSelection();
    QGuiApplication::clipboard()->setText("kept");
    QTest::keyClick(view, Qt::Key_C, Qt::ControlModifier);
    EXPECT_EQ(QGuiApplication::clipboard()->text().toStdString(), "kept");
    QTest::keyClick(view, Qt::Key_A, Qt::ControlModifier);
    EXPECT_EQ(view->selectionModel()->selectedRows().size(), 2);
}

// "Again" is the window's default button: Return or Enter typed where no
// control uses the key presses it, exactly once, as a click does; nothing
// happens while it is disabled or hidden.
TEST(Controls, ReturnPressesTheDefaultButton)
{
    testsupport::AppHarness app;
    auto probe = fw::make<ProbeWindow>();
    probe->Constructor();
    auto button = probe->againBut();
    auto* list = static_cast<QWidget*>(probe->filesList()->nativeWidget());
    auto* pop = static_cast<QWidget*>(probe->modePop()->nativeWidget());
    auto* buttonWidget = static_cast<QWidget*>(button->nativeWidget());

    struct Case {
        const char* situation;
        QWidget* target;
        Qt::Key key;
        bool enabled, visible;
        std::size_t presses;
    };
    const Case cases[] = {
        { "Return on the list", list, Qt::Key_Return, true, true, 1 },
        { "Enter on the list", list, Qt::Key_Enter, true, true, 1 },
        { "Return on the popup", pop, Qt::Key_Return, true, true, 1 },
        { "Return on the button itself", buttonWidget, Qt::Key_Return, true, true, 1 },
        { "Return on the window", static_cast<QWidget*>(probe->nativeWindow()), Qt::Key_Return, true, true, 1 },
        { "button disabled", list, Qt::Key_Return, false, true, 0 },
        { "button hidden", list, Qt::Key_Return, true, false, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        button->SetEnabled(c.enabled);
        button->SetVisible(c.visible);
        probe->actionCalls.clear();
        QTest::keyClick(c.target, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(probe->actionCalls.size(), c.presses);
        if (!probe->actionCalls.empty()) {
            EXPECT_EQ(probe->actionCalls[0].sender, fw::Ref<fw::Object>(button));
        }
    }
    button->SetEnabled(true);
    button->SetVisible(true);
    probe->actionCalls.clear();
    QTest::keyClick(list, Qt::Key_Return, Qt::ShiftModifier);
    EXPECT_TRUE(probe->actionCalls.empty()) << "Shift+Return is not Return";
    probe->Close();
}

// Wherever the focus has been, "Again" stays the window's default button:
// it keeps Qt's default frame, and Return and Enter press it. Left to
// itself, Qt takes the default role from a push button outside a dialog
// as soon as that button loses the focus. The moves are one walk through
// the window, each from where the one before it left the focus.
TEST(Controls, DefaultButtonStaysDefaultWhereverTheFocusHasBeen)
{
    testsupport::AppHarness app;
    auto probe = fw::make<ProbeWindow>();
    probe->Constructor();
    auto button = probe->againBut();
    auto* list = static_cast<QAbstractScrollArea*>(probe->filesList()->nativeWidget());
    auto* pop = static_cast<QComboBox*>(probe->modePop()->nativeWidget());
    auto* buttonWidget = static_cast<QPushButton*>(button->nativeWidget());
    ASSERT_TRUE(activate(app, *probe));

    auto type = [](Qt::Key k, Qt::KeyboardModifiers m = Qt::NoModifier) {
        QWidget* focused = QApplication::focusWidget();
        ASSERT_TRUE(focused);
        QTest::keyClick(focused, k, m);
    };
    auto choose = [&](Qt::Key k) {
        int before = pop->currentIndex();
        type(Qt::Key_F4); // opens the popup's list
        ASSERT_TRUE(app.runUntil([&] { return pop->view()->isVisible(); }, 2000));
        QTest::keyClick(pop->view(), k);
        QTest::keyClick(pop->view(), Qt::Key_Return);
        ASSERT_TRUE(app.runUntil([&] { return !pop->view()->isVisible(); }, 2000));
        EXPECT_NE(pop->currentIndex(), before) << "no item was chosen";
    };

    struct Move {
        const char* how;
        std::function<void()> run;
        QWidget* endsOn;
        std::size_t pressesOnTheWay; // a click on the button presses it
    };
    const Move walk[] = {
        { "nothing moved yet", [] { }, list, 0 },
        { "Tab through every control, round to the list", [&] { for (int i = 0; i < 3; ++i) type(Qt::Key_Tab); }, list, 0 },
        { "Shift+Tab through every control", [&] { for (int i = 0; i < 3; ++i) type(Qt::Key_Backtab, Qt::ShiftModifier); }, list, 0 },
        { "a click on the button", [&] { QTest::mouseClick(buttonWidget, Qt::LeftButton); }, buttonWidget, 1 },
        { "Tab from the button to the popup", [&] { type(Qt::Key_Tab); }, pop, 0 },
        { "the popup's next item chosen with the keyboard", [&] { choose(Qt::Key_Down); }, pop, 0 },
        { "the popup stepped back with an arrow key", [&] { type(Qt::Key_Up); }, pop, 0 },
        { "back to the list by a click", [&] { QTest::mouseClick(list->viewport(), Qt::LeftButton); }, list, 0 },
        { "a click on the button, then Tab on round to the list", [&] {
             QTest::mouseClick(buttonWidget, Qt::LeftButton);
             for (int i = 0; i < 2; ++i)
                 type(Qt::Key_Tab);
         }, list, 1 },
    };
    list->setFocus(Qt::OtherFocusReason);
    for (const Move& move : walk) {
        SCOPED_TRACE(move.how);
        probe->actionCalls.clear();
        move.run();
        EXPECT_EQ(probe->actionCalls.size(), move.pressesOnTheWay);
        ASSERT_EQ(QApplication::focusWidget(), move.endsOn);
        EXPECT_TRUE(buttonWidget->isDefault()) << "the default frame is gone";
        EXPECT_TRUE(button->Default());
        // Neither key moves the focus: both are typed where the move ended.
        for (Qt::Key key : { Qt::Key_Return, Qt::Key_Enter }) {
            SCOPED_TRACE(key == Qt::Key_Return ? "Return" : "Enter");
            probe->actionCalls.clear();
            type(key, key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
            ASSERT_EQ(probe->actionCalls.size(), 1u);
            EXPECT_EQ(probe->actionCalls[0].sender, fw::Ref<fw::Object>(button));
            EXPECT_TRUE(buttonWidget->isDefault());
            EXPECT_EQ(QApplication::focusWidget(), move.endsOn);
        }
    }
    probe->Close();
}

// Only the program makes a button the default one. Another button that
// takes the focus does not take the default frame, and Return there still
// presses the button that shows it; Space presses the focused one.
TEST(Controls, OnlyTheProgramMovesTheDefaultRole)
{
    testsupport::AppHarness app;
    auto probe = fw::make<ProbeWindow>();
    probe->Constructor();
    auto again = probe->againBut();
    auto other = fw::RuntimeCheckCast<fw::PushButton>(probe->__New(fw::PushButton::ClassDescription()));
    ASSERT_TRUE(other);
    other->Constructor();
    probe->_AddControl(other, "other");
    other->SetCaption("Other");
    other->SetTabStop(true);
    auto* againWidget = static_cast<QPushButton*>(again->nativeWidget());
    auto* otherWidget = static_cast<QPushButton*>(other->nativeWidget());
    auto* list = static_cast<QWidget*>(probe->filesList()->nativeWidget());
    int otherPresses = 0;
    QObject::connect(otherWidget, &QPushButton::clicked, [&] { ++otherPresses; });
    ASSERT_TRUE(activate(app, *probe));

    EXPECT_FALSE(other->Default());
    struct Case {
        const char* situation;
        QWidget* focus;
        Qt::Key key;
        std::size_t againPresses;
        int otherPresses;
    };
    const Case cases[] = {
        { "Return on the other button", otherWidget, Qt::Key_Return, 1, 0 },
        { "Enter on the other button", otherWidget, Qt::Key_Enter, 1, 0 },
        { "Space on the other button", otherWidget, Qt::Key_Space, 0, 1 },
        { "Return on the list after the other button", list, Qt::Key_Return, 1, 0 },
        { "Space on the default button", againWidget, Qt::Key_Space, 1, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.situation);
        c.focus->setFocus(Qt::TabFocusReason);
        ASSERT_EQ(QApplication::focusWidget(), c.focus);
        probe->actionCalls.clear();
        otherPresses = 0;
        QTest::keyClick(c.focus, c.key, c.key == Qt::Key_Enter ? Qt::KeypadModifier : Qt::NoModifier);
        EXPECT_EQ(probe->actionCalls.size(), c.againPresses);
        EXPECT_EQ(otherPresses, c.otherPresses);
        EXPECT_TRUE(againWidget->isDefault());
        EXPECT_FALSE(otherWidget->isDefault());
        EXPECT_TRUE(again->Default());
        EXPECT_FALSE(other->Default());
    }

    // The program hands the role over; focus changes keep it where it went.
    again->SetDefault(false);
    other->SetDefault(true);
    for (QWidget* focus : { static_cast<QWidget*>(againWidget), list, static_cast<QWidget*>(otherWidget), list }) {
        focus->setFocus(Qt::TabFocusReason);
        EXPECT_FALSE(again->Default());
        EXPECT_FALSE(againWidget->isDefault());
        EXPECT_TRUE(other->Default());
        EXPECT_TRUE(otherWidget->isDefault());
    }
    probe->actionCalls.clear();
    otherPresses = 0;
    QTest::keyClick(list, Qt::Key_Return);
    EXPECT_TRUE(probe->actionCalls.empty());
    EXPECT_EQ(otherPresses, 1);
    probe->Close();
}

// The window has no background colour of its own: the content and every
// control keep the desktop's window colour, not the white that is stored.
TEST(Controls, ContentKeepsTheDesktopsWindowColour)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    const QColor desktop = QApplication::palette().color(QPalette::Window);
    ASSERT_NE(desktop, QColor(Qt::white)) << "the check needs a desktop colour other than white";
    auto* content = static_cast<QWidget*>(w->nativeContent());
    EXPECT_FALSE(content->autoFillBackground());
    EXPECT_EQ(content->palette().color(QPalette::Window), desktop);
    for (const char* name : { "filesList", "modePop", "againBut", "Label2" })
        EXPECT_EQ(widgetOf(*w, name)->palette().color(QPalette::Window), desktop) << name;
}
