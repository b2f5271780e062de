// The application frame as start-up leaves it: the main window's size,
// limits and title bar, the document type, and a start-up that reads nothing
// from its arguments or environment.

#include "tests/support/AppHarness.h"

#include "app/DropTypes.h"
#include "app/Startup.h"
#include "framework/gui/Application.h"
#include "framework/gui/FileType.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QMainWindow>
#include <QMenuBar>
#include <QWidget>
#include <cstdlib>
#include <type_traits>

namespace {

QMainWindow* topOf(const fw::Ref<Window1>& w)
{
    return static_cast<QMainWindow*>(w->nativeWindow());
}

QWidget* contentOf(const fw::Ref<Window1>& w)
{
    return static_cast<QWidget*>(w->nativeContent());
}

}

TEST(Frame, MainWindowIs600By400TitledAndVisibleWithItsLimits)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Title(), "Velmorra");
    EXPECT_EQ(topOf(w)->windowTitle().toStdString(), "Velmorra");
    EXPECT_TRUE(w->Visible());
    EXPECT_TRUE(topOf(w)->isVisible());
    EXPECT_EQ(w->Width(), 600);
    EXPECT_EQ(w->Height(), 400);
    EXPECT_EQ(contentOf(w)->size(), QSize(600, 400));
    EXPECT_EQ(w->MinWidth(), 64);
    EXPECT_EQ(w->MinHeight(), 64);
    EXPECT_EQ(w->MaxWidth(), 32000);
    EXPECT_EQ(w->MaxHeight(), 32000);
    EXPECT_TRUE(w->Resizeable());
    EXPECT_TRUE(topOf(w)->menuBar()->isVisibleTo(topOf(w)));
}

TEST(Frame, TitleBarHasCloseAndMinimiseButNoMaximiseButton)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    EXPECT_TRUE(w->CloseButton());
    EXPECT_TRUE(w->MinimizeButton());
    EXPECT_FALSE(w->MaximizeButton());
    Qt::WindowFlags flags = topOf(w)->windowFlags();
    EXPECT_TRUE(flags.testFlag(Qt::WindowCloseButtonHint));
    EXPECT_TRUE(flags.testFlag(Qt::WindowMinimizeButtonHint));
    EXPECT_FALSE(flags.testFlag(Qt::WindowMaximizeButtonHint));
}

// Sizes asked of the window, through its own accessors and by resizing the
// toolkit's window directly as the user's window manager would, end up
// within 64..32000 in both directions.
TEST(Frame, ResizingIsClampedToTheLimits)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);

    struct Case {
        int width, height;
        int wantWidth, wantHeight;
    };
    const Case cases[] = {
        { 10, 400, 64, 400 },
        { 600, 10, 600, 64 },
        { 0, 0, 64, 64 },
        { 64, 64, 64, 64 },
        { 32100, 400, 32000, 400 },
        { 600, 32100, 600, 32000 },
        { 700, 500, 700, 500 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        w->SetWidth(c.width);
        w->SetHeight(c.height);
        EXPECT_TRUE(app.runUntil([&] { return w->Width() == c.wantWidth && w->Height() == c.wantHeight; }, 2000))
            << w->Width() << "x" << w->Height();
    }

    QMainWindow* top = topOf(w);
    int menuH = top->height() - contentOf(w)->height();
    for (const Case& c : cases) {
        SCOPED_TRACE(testing::Message() << "toolkit " << c.width << "x" << c.height);
        top->resize(c.width, c.height + menuH);
        EXPECT_TRUE(app.runUntil([&] { return contentOf(w)->width() == c.wantWidth && contentOf(w)->height() == c.wantHeight; }, 2000))
            << contentOf(w)->width() << "x" << contentOf(w)->height();
        EXPECT_EQ(w->Width(), c.wantWidth);
        EXPECT_EQ(w->Height(), c.wantHeight);
    }
}

TEST(Frame, WindowAccessorGivesTheOpenWindowAndCreatesNoOther)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto controls = w->Controls();
    EXPECT_EQ(Window1_Window1(), w);
    EXPECT_EQ(Window1_Window1(), w);
    EXPECT_EQ(w->Controls(), controls);
    EXPECT_EQ(QApplication::topLevelWidgets().count(topOf(w)), 1);
    int windows = 0;
    for (QWidget* top : QApplication::topLevelWidgets())
        windows += qobject_cast<QMainWindow*>(top) != nullptr;
    EXPECT_EQ(windows, 1);
}

TEST(Frame, DocumentTypeDngIsRegisteredOnceWithAllFourProperties)
{
    testsupport::AppHarness app;
    EXPECT_EQ(DropTypes_All(), "DNG;");
    // Registered once, and only when every property held its value: an
    // earlier conversion would show as a deregistration when the next
    // property was assigned.
    EXPECT_EQ(fw::FileType::RegistrationLog(), std::vector<std::string> { "register DNG" });
    auto types = fw::FileType::RegisteredTypes();
    ASSERT_EQ(types.size(), 1u);
    EXPECT_EQ(types[0].name, "DNG");
    EXPECT_EQ(types[0].extensions, ".dng");
    EXPECT_EQ(types[0].macType, "");
    EXPECT_EQ(types[0].macCreator, "");
    ASSERT_TRUE(DropTypes_pDNG);
    EXPECT_TRUE(DropTypes_pDNG->Registered());
    // The window's drop acceptance names the type.
    EXPECT_EQ(app.window()->AcceptedFileTypes(), "DNG;");
}

TEST(Frame, DropTypeListIsAConstantWhateverTheTypeHolds)
{
    testsupport::AppHarness app;
    ASSERT_TRUE(DropTypes_pDNG);
    DropTypes_pDNG->SetName("Other");
    EXPECT_EQ(DropTypes_All(), "DNG;");
    DropTypes_pDNG___Exit();
    EXPECT_FALSE(DropTypes_pDNG);
    EXPECT_EQ(DropTypes_All(), "DNG;");
}

// The main routine takes no arguments, so no command line can reach it.
static_assert(std::is_same_v<decltype(&pct_main), std::int32_t (*)()>);

TEST(Frame, EnvironmentChangesNothing)
{
    ::setenv("VELMORRA_MODE", "2", 1);
    ::setenv("LANG", "de_DE.UTF-8", 1);
    ::setenv("LC_ALL", "fr_FR.UTF-8", 1);
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Title(), "Velmorra");
    EXPECT_EQ(w->Width(), 600);
    EXPECT_EQ(w->Height(), 400);
    EXPECT_EQ(w->modePop()->ListIndex(), 0);
    EXPECT_EQ(w->modePop()->List(0), "Make Apple compatible (v1.1)");
    EXPECT_EQ(w->filesList()->ListCount(), 0);
    EXPECT_EQ(w->filesList()->Heading(0), "Status");
    EXPECT_FALSE(w->converterThread()->IsRunning());
}
