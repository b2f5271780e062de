#pragma once

#include "framework/core/Object.h"

#include <boost/context/fiber.hpp>
#include <cstdint>

namespace fw {

// A cooperative thread: a fiber on the GUI thread that runs its Run event
// and gives way only at yield points. Threads never run at the same time, so
// nothing they share needs a lock.
class Thread : public Object {
public:
    static constexpr int RunEvent = 0;

    Thread();
    ~Thread() override;
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    // Makes the thread runnable; its Run event starts at the scheduler's next
    // turn. Raises ThreadAlreadyRunningException while a run is under way.
    virtual void Run();
    bool IsRunning() const { return mRunning; }

    std::int32_t Priority = 5;
    std::int32_t StackSize = 0;

    // The stack a worker gets when StackSize is 0.
    static constexpr std::size_t DefaultStackSize = 1024 * 1024;

protected:
    // Raises the Run event; what the thread does.
    virtual void Event_Run();

private:
    friend class Scheduler;
    friend void YieldPoint();
    void body();
    void resume();
    void suspend();
    void discardFiber();

    // AddressSanitizer must be told of every stack switch, or it reports
    // false stack errors after an exception on a fiber.
    void annotateEnter(void** fake);
    void annotateEntered();
    void annotateLeave(bool dying);
    void annotateLeft(void* fake);
    struct StackBounds {
        const void* bottom = nullptr;
        std::size_t size = 0;
    };
    StackBounds mStack, mCallerStack;
    void* mFake = nullptr;

    boost::context::fiber mFiber;
    boost::context::fiber mCaller;
    bool mRunning = false;
    bool mFinished = false;
    bool mEntered = false;    // the fiber has run its first step
    bool mDiscarding = false; // ended before its first step: it skips its body
};

// The yield point that ends every loop pass. On a thread it hands control to
// the scheduler when the thread's time slice is over (at once in manual mode);
// on the main thread it may let a runnable thread run for a while.
void YieldPoint();

}
