#include "framework/core/Thread.h"

#include "framework/core/Object.h"
#include "framework/core/RuntimeException.h"
#include "framework/core/Scheduler.h"

#include "tests/support/Worker.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <functional>
#include <stdexcept>

using fw::Scheduler;
using fw::Thread;
using fw::YieldPoint;

namespace {

using testsupport::Worker;

// Every test leaves the scheduler as it found it, whatever it stepped.
class SchedulerTest : public testing::Test {
protected:
    void TearDown() override
    {
        Scheduler::Shutdown();
        Scheduler::SetManual(false);
        Scheduler::SetMainYieldHook({});
    }

    // A worker that passes `passes` yield points, counting them in progress.
    fw::Ref<Worker> counter(int passes)
    {
        return fw::make<Worker>([this, passes] {
            ++runs;
            for (int i = 0; i < passes; ++i) {
                ++progress;
                YieldPoint();
            }
        });
    }

    int runs = 0;
    int progress = 0;
};

TEST_F(SchedulerTest, StepRunsToTheNextYield)
{
    auto t = counter(3);
    t->Run();
    EXPECT_TRUE(t->IsRunning());
    EXPECT_EQ(progress, 0); // Run only makes it runnable

    EXPECT_TRUE(Scheduler::Step(*t));
    EXPECT_EQ(progress, 1);
    EXPECT_TRUE(Scheduler::Step(*t));
    EXPECT_EQ(progress, 2);
    EXPECT_TRUE(Scheduler::Step(*t));
    EXPECT_EQ(progress, 3);
    EXPECT_FALSE(Scheduler::Step(*t));
    EXPECT_FALSE(t->IsRunning());
    EXPECT_FALSE(Scheduler::HasRunnable());
    EXPECT_FALSE(Scheduler::Step(*t));
}

TEST_F(SchedulerTest, RunRaisesWhileRunningAndRestartsAfter)
{
    auto t = counter(2);
    t->Run();
    ASSERT_TRUE(Scheduler::Step(*t));
    EXPECT_THROW(t->Run(), fw::ThreadAlreadyRunningException);
    Scheduler::RunToEnd(*t);
    EXPECT_EQ(runs, 1);
    EXPECT_EQ(progress, 2);

    t->Run();
    Scheduler::RunToEnd(*t);
    EXPECT_EQ(runs, 2);
    EXPECT_EQ(progress, 4);
}

TEST_F(SchedulerTest, RunUntilIdleRunsToTheEnd)
{
    auto a = counter(100000);
    auto b = counter(10);
    a->Run();
    b->Run();
    Scheduler::RunUntilIdle();
    EXPECT_FALSE(a->IsRunning());
    EXPECT_FALSE(b->IsRunning());
    EXPECT_FALSE(Scheduler::HasRunnable());
    EXPECT_EQ(progress, 100010);
}

TEST_F(SchedulerTest, ManualModeRunsNoThreadUnlessStepped)
{
    Scheduler::SetManual(true);
    auto t = counter(3);
    t->Run();
    Scheduler::RunSlice(std::chrono::milliseconds(20));
    YieldPoint(); // on the main thread
    EXPECT_EQ(progress, 0);
    EXPECT_TRUE(t->IsRunning());

    EXPECT_TRUE(Scheduler::Step(*t));
    Scheduler::RunSlice(std::chrono::milliseconds(20));
    EXPECT_EQ(progress, 1);
}

TEST_F(SchedulerTest, MainYieldHookSeesOnlyTheMainThread)
{
    int hooked = 0;
    Scheduler::SetMainYieldHook([&] { ++hooked; });
    YieldPoint();
    EXPECT_EQ(hooked, 1);

    auto t = counter(3);
    t->Run();
    Scheduler::RunToEnd(*t);
    EXPECT_EQ(progress, 3);
    EXPECT_EQ(hooked, 1);
}

TEST_F(SchedulerTest, ExceptionLeavingTheHandlerIsReportedOnOneLine)
{
    const std::function<void()> throwers[] = {
        [] { throw fw::IOException("", "read /photos/a\nb.dng: Input/output error"); },
        [] { throw std::runtime_error("broken"); },
        [] { throw 42; },
    };
    for (const auto& raise : throwers) {
        bool fail = true;
        int finished = 0;
        auto t = fw::make<Worker>([&] {
            YieldPoint();
            if (fail)
                raise();
            ++finished;
        });
        testing::internal::CaptureStderr();
        t->Run();
        Scheduler::RunToEnd(*t);
        std::string err = testing::internal::GetCapturedStderr();
        EXPECT_EQ(std::count(err.begin(), err.end(), '\n'), 1) << err;
        EXPECT_TRUE(err.ends_with('\n')) << err;
        EXPECT_FALSE(t->IsRunning());

        fail = false;
        t->Run();
        Scheduler::RunToEnd(*t);
        EXPECT_EQ(finished, 1);
    }
}

TEST_F(SchedulerTest, ShutdownUnwindsARunningThread)
{
    struct Guard {
        bool& flag;
        ~Guard() { flag = true; }
    };
    bool unwound = false;
    auto t = fw::make<Worker>([&] {
        Guard g { unwound };
        for (;;)
            YieldPoint();
    });
    t->Run();
    ASSERT_TRUE(Scheduler::Step(*t));
    Scheduler::Shutdown();
    EXPECT_TRUE(unwound);
    EXPECT_FALSE(t->IsRunning());
    EXPECT_FALSE(Scheduler::HasRunnable());
}

// A thread ended before it ran or at a yield point leaves the main thread's
// stack as it was: an exception thrown and caught there afterwards is just
// that. Under AddressSanitizer a switch it was not told of makes it take the
// freed fiber stack for the main one: it warns at the next throw, and later
// ones in the process report false stack errors.
TEST_F(SchedulerTest, ThreadsEndedByShutdownLeaveTheMainStackAsItWas)
{
    testing::internal::CaptureStderr();
    for (int steps : { 0, 1, 2 }) {
        SCOPED_TRACE(testing::Message() << steps << " steps before the shutdown");
        auto t = counter(5);
        t->Run();
        for (int i = 0; i < steps; ++i)
            ASSERT_TRUE(Scheduler::Step(*t));
        Scheduler::Shutdown();
        EXPECT_FALSE(t->IsRunning());
        EXPECT_EQ(progress, steps);
        progress = 0;
        bool caught = false;
        try {
            throw std::runtime_error("on the main stack");
        } catch (const std::runtime_error&) {
            caught = true;
        }
        EXPECT_TRUE(caught);
    }
    EXPECT_EQ(testing::internal::GetCapturedStderr(), "");
}

// ---- Delegates: how an event reaches its handler ----

struct Target : fw::Object {
    int calls = 0;
};

int gCalls = 0;

void onRun(fw::Object& target, const fw::Ref<fw::Object>&)
{
    ++static_cast<Target&>(target).calls;
    ++gCalls;
}

// What the generated code does: call the handler on the delegate's target,
// and nothing when the target is gone.
void invoke(fw::Delegate& d, const fw::Ref<fw::Object>& sender)
{
    if (auto target = d.Target())
        d.handler(*target, sender);
}

void runStub(const fw::Ref<fw::Object>& sender)
{
    if (auto d = sender->DelegateFor(Thread::RunEvent))
        d->invoker(*d, sender);
}

TEST_F(SchedulerTest, DelegateReachesItsTargetWhileItLives)
{
    gCalls = 0;
    auto target = fw::make<Target>();
    fw::WeakRef<Target> watch = target;
    auto thread = fw::make<Thread>();
    EXPECT_FALSE(thread->RaiseEvent(Thread::RunEvent));

    auto weak = fw::RuntimeCreateDelegate(invoke, onRun, target, "( Thread )", 1);
    fw::RuntimeAddEventHandler(*thread, Thread::RunEvent, weak, runStub);
    EXPECT_EQ(thread->DelegateFor(Thread::RunEvent), weak);
    thread->Run();
    Scheduler::RunToEnd(*thread);
    EXPECT_EQ(target->calls, 1);

    // Held weakly: the delegate does not keep the target, and reads empty.
    target.reset();
    EXPECT_TRUE(watch.expired());
    EXPECT_EQ(weak->Target(), nullptr);
    thread->Run();
    Scheduler::RunToEnd(*thread);
    EXPECT_EQ(gCalls, 1);

    // Held strongly: the target lives as long as the delegate, which
    // replaces the first one for the event.
    auto kept = fw::make<Target>();
    watch = kept;
    auto strong = fw::RuntimeCreateDelegate(invoke, onRun, kept, "( Thread )", 0);
    fw::RuntimeAddEventHandler(*thread, Thread::RunEvent, strong, runStub);
    kept.reset();
    ASSERT_FALSE(watch.expired());
    EXPECT_EQ(thread->DelegateFor(Thread::RunEvent), strong);
    thread->Run();
    Scheduler::RunToEnd(*thread);
    EXPECT_EQ(watch.lock()->calls, 1);
    EXPECT_EQ(gCalls, 2);
}

}
