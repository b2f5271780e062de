#include "framework/core/Runtime.h"

#include "framework/core/RuntimeException.h"

#include <boost/context/fiber.hpp>

namespace fw {

static ExceptionHelper sExceptionHelper = nullptr;
static std::int32_t sExitStatus = 0;

static std::vector<void (*)()>& exitHooks()
{
    static std::vector<void (*)()> hooks;
    return hooks;
}

void RuntimeInit()
{
    RuntimeReleaseLog().clear();
    sExitStatus = 0;
}

void RuntimeSetExitStatus(std::int32_t status)
{
    sExitStatus = status;
}

void RuntimeAtExit(void (*hook)())
{
    exitHooks().push_back(hook);
}

std::int32_t RuntimeExit()
{
    auto hooks = std::move(exitHooks());
    exitHooks().clear();
    for (auto it = hooks.rbegin(); it != hooks.rend(); ++it)
        (*it)();
    return sExitStatus;
}

Ref<Object> RuntimeNewObject(const ClassInfo& cls)
{
    if (!cls.factory)
        throw RuntimeException("class " + cls.name + " cannot be instantiated");
    return cls.factory();
}

void _RuntimeSetExceptionHelper(ExceptionHelper helper)
{
    sExceptionHelper = helper;
}

void RuntimeCallSystemCode(void (*routine)(void*), void* arg)
{
    std::exception_ptr e;
    try {
        if (sExceptionHelper)
            e = sExceptionHelper(routine, arg);
        else
            routine(arg);
    } catch (const boost::context::detail::forced_unwind&) {
        throw;
    } catch (...) {
        e = std::current_exception();
    }
    if (e)
        _UnhandledException(e);
}

void _UnhandledException(std::exception_ptr e)
{
    if (!e)
        return;
    try {
        std::rethrow_exception(e);
    } catch (const std::exception& ex) {
        ReportUnhandledException(ex, "the application");
    } catch (...) {
        ReportUnhandledUnknown("the application");
    }
}

std::vector<std::string>& RuntimeReleaseLog()
{
    static std::vector<std::string> log;
    return log;
}

}
