#pragma once

#include "framework/core/ClassRegistry.h"
#include "framework/core/Object.h"

#include <cstdint>
#include <exception>
#include <string>
#include <type_traits>
#include <vector>

namespace fw {

// The run-time's start and end. RuntimeExit gives the process's exit status:
// 0, or what the framework set when the run failed.
void RuntimeInit();
std::int32_t RuntimeExit();
void RuntimeSetExitStatus(std::int32_t status);
// Work the run-time does at its end, last registered first (the GUI layer
// tears down its toolkit here).
void RuntimeAtExit(void (*hook)());

// Creates an object of a registered class, not yet constructed.
Ref<Object> RuntimeNewObject(const ClassInfo& cls);

// The class-testing conversion: the object as T, or none when it is not one.
template<typename T>
Ref<T> RuntimeCheckCast(const Ref<Object>& o)
{
    return std::dynamic_pointer_cast<T>(o);
}

// The routine through which the framework calls the system's code: it calls
// routine(arg) and gives back a RuntimeException that escapes it, or none;
// any other exception passes on.
using ExceptionHelper = std::exception_ptr (*)(void (*routine)(void*), void* arg);
void _RuntimeSetExceptionHelper(ExceptionHelper helper);
// Calls routine(arg) through the registered helper (directly when none is
// registered) and reports what comes back through _UnhandledException.
void RuntimeCallSystemCode(void (*routine)(void*), void* arg);
// The same for any callable.
template<typename F>
void RuntimeCallSystemCode(F&& f)
{
    RuntimeCallSystemCode([](void* p) { (*static_cast<std::remove_reference_t<F>*>(p))(); }, &f);
}

// The framework's report of an exception nobody handled: one line on stderr.
void _UnhandledException(std::exception_ptr e);

// A record of the run-time's module-level releases, in order, so that the
// shut-down sequence can be checked.
std::vector<std::string>& RuntimeReleaseLog();

}
