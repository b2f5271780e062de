#include "framework/core/Thread.h"

#include "framework/core/ClassRegistry.h"
#include "framework/core/RuntimeException.h"
#include "framework/core/Scheduler.h"

#include <boost/context/protected_fixedsize_stack.hpp>

#if defined(VELMORRA_ASAN)
#    include <sanitizer/asan_interface.h>
#    include <sanitizer/common_interface_defs.h>
#endif

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
    discardFiber();
}

namespace {

// A guarded stack that remembers where it lies, for the sanitizer.
struct RecordingStack {
    ctx::protected_fixedsize_stack inner;
    const void** bottom;
    std::size_t* size;

    ctx::stack_context allocate()
    {
        ctx::stack_context sc = inner.allocate();
        *bottom = static_cast<char*>(sc.sp) - sc.size;
        *size = sc.size;
        return sc;
    }
    void deallocate(ctx::stack_context& sc) noexcept
    {
#if defined(VELMORRA_ASAN)
        // The sanitizer keeps the marks of the frames that lived here (an
        // unwound frame never clears its own); the pages go back to the
        // system and may come back as any mapping, a font file say, whose
        // reads it would then report as stack errors.
        __asan_unpoison_memory_region(static_cast<char*>(sc.sp) - sc.size, sc.size);
#endif
        inner.deallocate(sc);
    }
};

}

void Thread::annotateEnter(void** fake)
{
#if defined(VELMORRA_ASAN)
    __sanitizer_start_switch_fiber(fake, mStack.bottom, mStack.size);
#else
    (void)fake;
#endif
}

void Thread::annotateEntered()
{
#if defined(VELMORRA_ASAN)
    __sanitizer_finish_switch_fiber(mFake, &mCallerStack.bottom, &mCallerStack.size);
#endif
}

void Thread::annotateLeave(bool dying)
{
#if defined(VELMORRA_ASAN)
    __sanitizer_start_switch_fiber(dying ? nullptr : &mFake, mCallerStack.bottom, mCallerStack.size);
#else
    (void)dying;
#endif
}

void Thread::annotateLeft(void* fake)
{
#if defined(VELMORRA_ASAN)
    __sanitizer_finish_switch_fiber(fake, nullptr, nullptr);
#else
    (void)fake;
#endif
}

void Thread::Run()
{
    if (mRunning)
        throw ThreadAlreadyRunningException();
    std::size_t stack = StackSize > 0 ? static_cast<std::size_t>(StackSize) : DefaultStackSize;
    mFinished = false;
    mEntered = false;
    mDiscarding = false;
    mFake = nullptr;
    mFiber = ctx::fiber(std::allocator_arg, RecordingStack { ctx::protected_fixedsize_stack(stack), &mStack.bottom, &mStack.size },
        [this](ctx::fiber&& caller) {
            annotateEntered();
            mEntered = true;
            mCaller = std::move(caller);
            try {
                if (!mDiscarding)
                    body();
            } catch (const ctx::detail::forced_unwind&) {
                // Discarded at a yield point: the stack has unwound, and
                // Boost switches back to the discarding side from here.
                annotateLeave(true);
                throw;
            }
            mFinished = true;
            annotateLeave(true);
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
    void* fake = nullptr;
    annotateEnter(&fake);
    mFiber = std::move(mFiber).resume();
    annotateLeft(fake);
    if (mFinished) {
        mFiber = {};
        mRunning = false;
    }
}

void Thread::suspend()
{
    annotateLeave(false);
    try {
        mCaller = std::move(mCaller).resume();
    } catch (const ctx::detail::forced_unwind&) {
        // Discarded: the switch back onto this stack came all the same, to
        // unwind it. Left untold, the sanitizer takes the discarding side's
        // stack for this one from then on, long after the fiber is gone.
        annotateEntered();
        throw;
    }
    annotateEntered();
}

void Thread::discardFiber()
{
    if (!mFiber)
        return;
    if (!mEntered) {
        // Never entered, it has no frames of ours to unwind: it is entered
        // and ends at once, so every switch is one the sanitizer is told of.
        mDiscarding = true;
        resume();
        mFiber = {};
        mRunning = false;
        return;
    }
    // Destroying a suspended fiber unwinds its stack on that stack.
    void* fake = nullptr;
    annotateEnter(&fake);
    mFiber = {};
    annotateLeft(fake);
    mRunning = false;
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
