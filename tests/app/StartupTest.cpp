#include "tests/support/AppHarness.h"
#include "tests/support/OwnLines.h"
#include "tests/support/Worker.h"

#include "app/MenuBar1.h"
#include "app/Startup.h"
#include "framework/core/Runtime.h"
#include "framework/core/RuntimeException.h"
#include "framework/core/Scheduler.h"
#include "framework/gui/Application.h"
#include "framework/gui/FileType.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QTimer>
#include <QWidget>

namespace {

const std::vector<std::string> ReleasedInOrder = { "framework window list", "framework open-window list",
    "framework implicit windows", "MenuBar1._implicitInstance", "DropTypes.pDNG" };

}

// Runs of the whole main routine share one process: an observer one test
// set must not reach the next test's start.
class Startup : public testing::Test {
protected:
    void TearDown() override { fw::SetStartupObserver({}); }
};

TEST_F(Startup, OpensTheMainWindow)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    EXPECT_EQ(w->Title(), "Velmorra");
    EXPECT_EQ(w->Width(), 600);
    EXPECT_EQ(w->Height(), 400);
    EXPECT_TRUE(w->Visible());
}

// The whole main routine: start-up, Quit chosen from the File menu, shut-down.
TEST_F(Startup, QuitFromTheFileMenuEndsWithStatusZeroAndReleasesInOrder)
{
    testsupport::UseTestDisplay();
    fw::SetStartupObserver([] {
        testsupport::FailAndQuitAfter(30000);
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
    EXPECT_EQ(fw::RuntimeReleaseLog(), ReleasedInOrder);
    EXPECT_EQ(fw::FileType::RegistrationLog(), (std::vector<std::string> { "register DNG", "deregister DNG" }));
}

// Closing the only window ends the application, as on any Linux desktop,
// through the same shut-down as Quit.
TEST_F(Startup, ClosingTheWindowEndsTheApplication)
{
    testsupport::UseTestDisplay();
    fw::SetStartupObserver([] {
        testsupport::FailAndQuitAfter(30000);
        QTimer::singleShot(50, [] {
            auto w = fw::_GetImplicitWindow("Window1.Window1");
            ASSERT_TRUE(w);
            static_cast<QWidget*>(w->nativeWindow())->close();
        });
    });
    EXPECT_EQ(pct_main(), 0);
    EXPECT_EQ(fw::RuntimeReleaseLog().back(), "DropTypes.pDNG");
}

namespace {

// Everything the real start-up does before its window, then a failure.
void startupThatFailsBeforeTheWindow()
{
    _InitFileTypes();
    _NewAppInstance();
    throw fw::IOException("the window could not be built");
}

}

// A start-up that opens no window leaves nothing on screen to quit with: the
// process says so and ends with a failing status, through the shut-down a
// quit takes, instead of running unseen for ever.
TEST_F(Startup, StartUpThatOpensNoWindowEndsWithAFailingStatus)
{
    testsupport::UseTestDisplay();
    fw::RuntimeInit();
    pct_initialize();
    fw::_RuntimeSetExceptionHelper(&_CallFunctionWithExceptionHandling);
    testing::internal::CaptureStderr();
    fw::_RunFrameworkInitialization(&startupThatFailsBeforeTheWindow);
    testsupport::FailAndQuitAfter(3000); // the loop must not run at all
    fw::_RuntimeRun();
    pct_finalize();
    std::int32_t status = fw::RuntimeExit();
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_NE(status, 0);
    EXPECT_EQ(fw::RuntimeReleaseLog(), ReleasedInOrder);
    EXPECT_EQ(testsupport::ownLinesOf(err), (std::vector<std::string> {
        "velmorra: unhandled IOException: the window could not be built in the application",
        "velmorra: start-up opened no window; quitting" }));
}

// An exception that comes back out of the event loop ends the application
// the way a quit does: a running thread is ended at its yield point while
// the module-level objects still stand, and they are released in order.
TEST_F(Startup, ExceptionOutOfTheEventLoopShutsDownAsAQuit)
{
    testsupport::UseTestDisplay();
    struct Seen {
        bool started = false, unwound = false, barStillThere = false;
    };
    static Seen seen;
    static fw::Ref<testsupport::Worker> thread;
    struct Guard {
        ~Guard()
        {
            seen.unwound = true;
            seen.barStillThere = MenuBar1__implicitInstance != nullptr;
        }
    };
    thread = fw::make<testsupport::Worker>([] {
        Guard g;
        seen.started = true;
        for (;;)
            fw::YieldPoint();
    });
    fw::SetStartupObserver([] {
        testsupport::FailAndQuitAfter(30000);
        thread->Run();
        QTimer::singleShot(200, [] {
            // Not through the framework's handling: straight out of the loop.
            throw fw::RuntimeException("escaped the event loop");
        });
    });
    testing::internal::CaptureStderr();
    std::int32_t status = pct_main();
    std::string err = testing::internal::GetCapturedStderr();

    EXPECT_TRUE(seen.started);
    EXPECT_TRUE(seen.unwound);
    EXPECT_TRUE(seen.barStillThere) << "threads end before the module-level objects go";
    EXPECT_FALSE(thread->IsRunning());
    EXPECT_FALSE(fw::Scheduler::HasRunnable());
    EXPECT_EQ(fw::RuntimeReleaseLog(), ReleasedInOrder);
    EXPECT_NE(status, 0);
    EXPECT_NE(err.find("velmorra: unhandled RuntimeException: escaped the event loop in the application\n"), std::string::npos) << err;
    thread.reset();
}
