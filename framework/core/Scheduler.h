#pragma once

#include "framework/core/Thread.h"

#include <chrono>
#include <functional>
#include <vector>

namespace fw {

// Runs the runnable threads. The GUI drives it from the event loop in time
// slices; without a GUI a plain loop does (RunUntilIdle). Manual mode is for
// tests: no thread runs unless stepped, and every yield point switches.
class Scheduler {
public:
    // Runs threads until the budget is used up or none is runnable; a thread
    // gives way at its first yield point after the budget is over.
    static void RunSlice(std::chrono::nanoseconds budget);
    static void RunUntilIdle();

    // Runs the thread to its next yield point or to its end; returns whether
    // it is still running.
    static bool Step(Thread& thread);
    static void RunToEnd(Thread& thread);

    static bool HasRunnable() { return !runnable().empty(); }
    static Thread* Current() { return sCurrent; }

    static void SetManual(bool manual) { sManual = manual; }
    static bool Manual() { return sManual; }

    // Called on the main thread's yield points instead of the default
    // (tests use it to step a worker at an exact point).
    static void SetMainYieldHook(std::function<void()> hook) { sMainYieldHook = std::move(hook); }

    // Called when a thread becomes runnable, so an event loop can schedule it.
    static void SetWakeHandler(std::function<void()> handler) { sWake = std::move(handler); }

    // Ends every thread that is still running by unwinding its stack.
    static void Shutdown();

private:
    friend class Thread;
    friend void YieldPoint();
    static std::vector<Ref<Thread>>& runnable();
    static void add(Thread& thread);
    static void resume(Thread& thread);
    static void yieldFromMain();

    static inline Thread* sCurrent = nullptr;
    static inline bool sManual = false;
    static inline std::chrono::steady_clock::time_point sDeadline {};
    static inline std::chrono::steady_clock::time_point sLastRun {};
    static inline unsigned sYieldCount = 0;
    static inline std::function<void()> sMainYieldHook;
    static inline std::function<void()> sWake;
};

}
