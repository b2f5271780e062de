#include "framework/core/Scheduler.h"

#include <algorithm>

namespace fw {

using Clock = std::chrono::steady_clock;

std::vector<Ref<Thread>>& Scheduler::runnable()
{
    static std::vector<Ref<Thread>> threads;
    return threads;
}

void Scheduler::add(Thread& thread)
{
    auto& list = runnable();
    bool wasEmpty = list.empty();
    // The scheduler holds the thread while it runs, so it cannot vanish
    // under its own stack.
    list.push_back(std::static_pointer_cast<Thread>(thread.self()));
    if (wasEmpty && sWake)
        sWake();
}

void Scheduler::resume(Thread& thread)
{
    Ref<Thread> hold = std::static_pointer_cast<Thread>(thread.self());
    Thread* previous = sCurrent;
    sCurrent = &thread;
    thread.resume();
    sCurrent = previous;
    if (!thread.mRunning) {
        auto& list = runnable();
        list.erase(std::remove(list.begin(), list.end(), hold), list.end());
    }
}

void Scheduler::RunSlice(std::chrono::nanoseconds budget)
{
    // In manual mode only Step runs a thread, so a test can hold a worker at
    // an exact yield point while the event loop goes on.
    if (sCurrent || sManual)
        return;
    auto start = Clock::now();
    sDeadline = start + budget;
    while (!runnable().empty()) {
        // Round robin: each runnable thread gets its turn in this slice.
        auto threads = runnable();
        for (auto& t : threads)
            if (t->mRunning)
                resume(*t);
        if (Clock::now() >= sDeadline)
            break;
    }
    sLastRun = Clock::now();
}

void Scheduler::RunUntilIdle()
{
    while (!sManual && !runnable().empty())
        RunSlice(std::chrono::milliseconds(50));
}

bool Scheduler::Step(Thread& thread)
{
    if (!thread.mRunning || sCurrent)
        return thread.mRunning;
    bool manual = sManual;
    sManual = true;
    resume(thread);
    sManual = manual;
    return thread.mRunning;
}

void Scheduler::RunToEnd(Thread& thread)
{
    while (Step(thread)) { }
}

void Scheduler::yieldFromMain()
{
    if (sMainYieldHook) {
        sMainYieldHook();
        return;
    }
    if (sManual || runnable().empty())
        return;
    // A long loop on the main thread (a drop of a big folder) lets a running
    // worker go on now and then, without handing it most of the time.
    if ((++sYieldCount & 63) != 0)
        return;
    auto now = Clock::now();
    if (now - sLastRun < std::chrono::milliseconds(10))
        return;
    RunSlice(std::chrono::milliseconds(2));
}

void Scheduler::Shutdown()
{
    auto threads = std::move(runnable());
    runnable().clear();
    for (auto& t : threads)
        t->discardFiber();
}

}
