#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

TEST(Startup, OpensTheMainWindow)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Title(), "Velmorra");
    EXPECT_EQ(w->Width(), 600);
    EXPECT_EQ(w->Height(), 400);
    EXPECT_TRUE(w->Visible());
}

#include "app/Startup.h"
#include "framework/core/Runtime.h"
#include "framework/gui/Application.h"
#include "framework/gui/FileType.h"

#include <QAction>
#include <QTimer>
#include <QWidget>

// The whole main routine: start-up, Quit chosen from the File menu, shut-down.
TEST(Startup, QuitFromTheFileMenuEndsWithStatusZeroAndReleasesInOrder)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fw::SetStartupObserver([] {
        QTimer::singleShot(50, [] {
            auto w = std::dynamic_pointer_cast<Window1>(fw::_GetImplicitWindow("Window1.Window1"));
            ASSERT_TRUE(w);
            auto* top = static_cast<QWidget*>(w->nativeWindow());
            auto* quit = top->findChild<QAction*>("FileQuit");
            ASSERT_TRUE(quit);
            EXPECT_EQ(quit->shortcut().toString().toStdString(), "Ctrl+Q");
            quit->trigger();
        });
    });
    std::int32_t status = pct_main();
    EXPECT_EQ(status, 0);
    std::vector<std::string> expected = { "framework window list", "framework open-window list",
        "framework implicit windows", "MenuBar1._implicitInstance", "DropTypes.pDNG" };
    EXPECT_EQ(fw::RuntimeReleaseLog(), expected);
    EXPECT_EQ(fw::FileType::RegistrationLog(), (std::vector<std::string> { "register DNG", "deregister DNG" }));
}

// Closing the only window ends the application, as on any Linux desktop,
// through the same shut-down as Quit.
TEST(Startup, ClosingTheWindowEndsTheApplication)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    fw::SetStartupObserver([] {
        QTimer::singleShot(50, [] {
            auto w = fw::_GetImplicitWindow("Window1.Window1");
            ASSERT_TRUE(w);
            static_cast<QWidget*>(w->nativeWindow())->close();
        });
    });
    EXPECT_EQ(pct_main(), 0);
    EXPECT_EQ(fw::RuntimeReleaseLog().back(), "DropTypes.pDNG");
}
