#pragma once

#include <cstdint>
#include <exception>

// Process start-up and shut-down, in the order the framework expects. Names
// that C++ cannot spell are written with each "." as "_" and "% " as "pct_".

std::int32_t pct_main();
void pct_initialize();
void _Main();
void _Startup();
void _InitFileTypes();
void _NewAppInstance();
void _ApplicationAddMenuHandlers();
void _MakeDefaultView();
void pct_finalize();

// Calls routine(arg); gives back a RuntimeException that escapes it, or none.
std::exception_ptr _CallFunctionWithExceptionHandling(void (*routine)(void*), void* arg);
