// A list's Edit-menu handler lives exactly as long as the list's view. The
// list object may outlive its view: the window's widgets can go while
// something still holds the list (the worker and the queue hold it for a
// whole run), and a handler left behind under the dead view's address would
// be found again by whatever widget is made there next.

#include "tests/support/AppHarness.h"

#include "framework/core/Runtime.h"
#include "framework/gui/Application.h"
#include "framework/gui/Listbox.h"
#include "framework/gui/Window.h"
#include "framework/gui/Window_p.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QWidget>

#include <memory>
#include <vector>

namespace {

// A list with a few rows, in a window of its own that the framework does
// not keep (dropping the last reference destroys it and its widgets), or in
// no window at all.
struct HeldList {
    fw::Ref<fw::Window> window;
    fw::Ref<fw::Listbox> list;

    explicit HeldList(bool inWindow)
    {
        if (inWindow) {
            window = fw::make<fw::Window>();
            list = fw::RuntimeCheckCast<fw::Listbox>(window->__New(fw::Listbox::ClassDescription()));
        } else {
            list = fw::make<fw::Listbox>();
        }
        list->SetTabStop(true);
        list->Constructor();
        if (window)
            window->_AddControl(list, "list");
        list->AddRow({ "held 1" });
        list->AddRow({ "held 2" });
        list->FlushView();
    }
    QWidget* view() const { return static_cast<QWidget*>(list->nativeWidget()); }
};

bool focus(testsupport::AppHarness& app, QWidget* widget)
{
    QWidget* top = widget->window();
    top->show();
    top->activateWindow();
    if (!app.runUntil([&] { return QApplication::activeWindow() == top; }, 2000))
        return false;
    widget->setFocus(Qt::OtherFocusReason);
    return app.runUntil([&] { return QApplication::focusWidget() == widget; }, 2000);
}

}

TEST(ListEditHandler, GoesWithTheViewWhateverGoesFirst)
{
    testsupport::AppHarness app;
    struct Case {
        const char* how;
        bool inWindow;
        void (*destroy)(HeldList&);
        bool listHeld; // the list object outlives its view
    };
    const Case cases[] = {
        { "the window destroyed, the list still held", true, [](HeldList& h) { h.window.reset(); }, true },
        { "the view deleted, the list still held", true, [](HeldList& h) { delete h.view(); }, true },
        { "the list released with its view alive", false, [](HeldList& h) { h.list.reset(); }, false },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.how);
        HeldList held(c.inWindow);
        const QWidget* view = held.view();
        ASSERT_TRUE(view);
        ASSERT_TRUE(fw::HasEditHandler(view));

        c.destroy(held);
        ASSERT_EQ(static_cast<bool>(held.list), c.listHeld);
        if (held.list) {
            ASSERT_FALSE(held.list->nativeWidget()) << "the view should be gone";
        }
        EXPECT_FALSE(fw::HasEditHandler(view)) << "the handler outlived its view";

        // Plain focusable widgets, made until the allocator hands one the
        // dead view's address (one that quarantines freed memory never
        // does). The last one made takes the focus: it must reach no list
        // through a handler, whether the list is still held or released
        // meanwhile.
        QWidget host;
        host.resize(200, 200);
        std::vector<std::unique_ptr<QWidget>> fresh;
        for (int i = 0; i < 64 && (fresh.empty() || fresh.back().get() != view); ++i)
            fresh.push_back(std::make_unique<QWidget>(&host));
        fresh.back()->setFocusPolicy(Qt::StrongFocus);
        for (auto& widget : fresh)
            widget->show();
        ASSERT_TRUE(focus(app, fresh.back().get()));
        for (bool release : { false, true }) {
            if (release)
                held.list.reset();
            for (const char* item : { "EditSelectAll", "EditCopy" }) {
                SCOPED_TRACE(item);
                EXPECT_FALSE(fw::CanPerformStandardEditAction(item));
                fw::PerformStandardEditAction(item);
            }
        }
    }
}

// The lists that stay keep their handlers: another list's view going takes
// nothing from them.
TEST(ListEditHandler, ALiveListKeepsItsHandlerWhenAnotherListsViewGoes)
{
    testsupport::AppHarness app;
    HeldList stays(true);
    {
        HeldList goes(true);
        goes.window.reset();
    }
    ASSERT_TRUE(fw::HasEditHandler(stays.view()));
    ASSERT_TRUE(focus(app, stays.view()));
    EXPECT_TRUE(fw::CanPerformStandardEditAction("EditSelectAll"));
    EXPECT_FALSE(fw::CanPerformStandardEditAction("EditCopy")) << "nothing is selected yet";
    fw::PerformStandardEditAction("EditSelectAll");
    EXPECT_EQ(stays.list->SelectedRowsText(), "held 1\nheld 2\n");
    EXPECT_TRUE(fw::CanPerformStandardEditAction("EditCopy"));
}
