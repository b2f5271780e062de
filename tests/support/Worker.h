#pragma once

#include "framework/core/Thread.h"

#include <functional>

namespace testsupport {

// A cooperative thread whose Run event runs the given function.
class Worker : public fw::Thread {
public:
    explicit Worker(std::function<void()> run)
        : mRun(std::move(run))
    {
    }

protected:
    void Event_Run() override { mRun(); }

private:
    std::function<void()> mRun;
};

}
