#include "framework/core/Thread.h"

#include "framework/core/ClassRegistry.h"
#include "framework/core/RuntimeException.h"
#include "framework/core/Scheduler.h"

#include <boost/context/protected_fixedsize_stack.hpp>

namespace fw {

namespace ctx = boost::context;

Thread::Thread() = default;

const ClassInfo& Thread::ClassDescription()
{
    return ClassRegistry::Register("Thread", [](ClassInfo& c) {
        c.parent = &Object::ClassDescription();
        c.operations = { "Run", "Suspend", "Resume", "Sleep", "Kill", "__DependencyList" };
        c.declaredEvents = { "Run" };
        c.properties = {
            DeclareProperty<Thread, std::int32_t>("Priority", "i4", [](Thread& t, std::int32_t v) { t.Priority = v; }),
            DeclareProperty<Thread, std::int32_t>("StackSize", "i4", [](Thread& t, std::int32_t v) { t.StackSize = v; }),
        };
        c.factory = [] { return make<Thread>(); };
    });
}

Thread::~Thread()
{
    // A suspended fiber is unwound when mFiber is destroyed.
}

void Thread::Run()
{
    if (mRunning)
        throw ThreadAlreadyRunningException();
    std::size_t stack = StackSize > 0 ? static_cast<std::size_t>(StackSize) : DefaultStackSize;
    mFinished = false;
    mFiber = ctx::fiber(std::allocator_arg, ctx::protected_fixedsize_stack(stack),
        [this](ctx::fiber&& caller) {
            mCaller = std::move(caller);
            body();
            mFinished = true;
            return std::move(mCaller);
        });
    mRunning = true;
    Scheduler::add(*this);
}

void Thread::Event_Run()
{
    RaiseEvent(RunEvent);
}

void Thread::body()
{
    try {
        Event_Run();
    } catch (const ctx::detail::forced_unwind&) {
        // The fiber is being destroyed; its stack must unwind all the way.
        throw;
    } catch (const std::exception& e) {
        ReportUnhandledException(e, "a thread's Run handler");
    } catch (...) {
        ReportUnhandledUnknown("a thread's Run handler");
    }
}

void Thread::resume()
{
    mFiber = std::move(mFiber).resume();
    if (mFinished) {
        mFiber = {};
        mRunning = false;
    }
}

void Thread::suspend()
{
    mCaller = std::move(mCaller).resume();
}

void YieldPoint()
{
    Thread* t = Scheduler::sCurrent;
    if (!t) {
        Scheduler::yieldFromMain();
        return;
    }
    if (!Scheduler::sManual) {
        // Reading the clock costs more than the rest of a yield; look at it
        // only every few passes.
        if ((++Scheduler::sYieldCount & 15) != 0)
            return;
        if (std::chrono::steady_clock::now() < Scheduler::sDeadline)
            return;
    }
    t->suspend();
}

}
