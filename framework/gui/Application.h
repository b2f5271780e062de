#pragma once

#include "framework/core/ClassRegistry.h"
#include "framework/core/Object.h"
#include "framework/gui/MenuItem.h"

#include <functional>
#include <string>

namespace fw {

class Window;

// The application object: the framework holds the one that is registered.
class Application : public Object {
public:
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    Ref<fw::MenuBar> MenuBar;
};

// Registers the application object; the framework holds it from then on.
void _RuntimeRegisterAppObject(const Ref<Application>& app);
Ref<Application> RuntimeApplication();

// Initialises the toolkit and calls startup once, on the main thread. Without
// a display it says so in one line on stderr and ends the process with 1.
void _RunFrameworkInitialization(void (*startup)());
// The event loop; returns when the application quits. When no window is open
// it does not run: it says so in one line and sets a failing exit status.
// Either way, threads still running are ended before it returns.
void _RuntimeRun();
bool AnyWindowOpen();
// Ends the event loop.
void QuitApplication();

void _RuntimeInitExternalClasses();
void* RuntimeAllocatePluginEntrypointsTable(std::int32_t entries);

// The framework's own classes, registered before the application's.
void InitializeFrameworkClasses();

// The window kept under a class name as that class's implicit instance.
Ref<Window> _GetImplicitWindow(const std::string& className);

// Releases the framework's module-level lists: its two window lists and its
// list of implicit window instances, and with them the application object.
void ReleaseFrameworkLists();

// The Edit menu's built-in behaviour for the item of that name (EditCopy,
// EditSelectAll, ...), done by the focused control when it can.
void PerformStandardEditAction(const std::string& itemName);
// Whether the focused control can carry out that item right now.
bool CanPerformStandardEditAction(const std::string& itemName);

// A seam for tests of the whole main routine: called on the main thread once
// the start-up routine has returned, before the event loop runs.
void SetStartupObserver(std::function<void()> observer);

// Runs the event loop until pred is true or the timeout passes; for tests
// and benchmarks. Returns pred's last value.
bool ProcessEventsUntil(const std::function<bool()>& pred, int timeoutMs);
void ProcessEventsFor(int ms);

}
