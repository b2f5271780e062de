#include "app/Startup.h"

#include "app/App.h"
#include "app/DropTypes.h"
#include "app/MenuBar1.h"
#include "app/ShowURLText.h"
#include "app/Window1.h"
#include "framework/core/Runtime.h"
#include "framework/core/RuntimeException.h"

using namespace fw;

std::int32_t pct_main()
{
    RuntimeInit();
    pct_initialize();
    _Main();
    pct_finalize();
    return RuntimeExit();
}

void pct_initialize()
{
    InitializeFrameworkClasses();
    App::ClassDescription();
    Window1::ClassDescription();
    Window1_converterThread::ClassDescription();
    MenuBar1::ClassDescription();
    ShowURLText::ClassDescription();
}

std::exception_ptr _CallFunctionWithExceptionHandling(void (*routine)(void*), void* arg)
{
    try {
        routine(arg);
    } catch (const RuntimeException&) {
        return std::current_exception();
    }
    return nullptr;
}

void _Main()
{
    try {
        Ref<Delegate> helper = RuntimeCreateDelegate(nullptr, nullptr, nullptr, "( Ptr, Ptr ) as Object", 0);
        helper->entry = reinterpret_cast<void*>(&_CallFunctionWithExceptionHandling);
        _RuntimeSetExceptionHelper(reinterpret_cast<ExceptionHelper>(helper->entry));
        helper.reset();

        Ref<Delegate> startup = RuntimeCreateDelegate(nullptr, nullptr, nullptr, "(  )", 0);
        startup->entry = reinterpret_cast<void*>(&_Startup);
        auto entry = reinterpret_cast<void (*)()>(startup->entry);
        startup.reset();
        _RunFrameworkInitialization(entry);

        _RuntimeRun();
    } catch (...) {
        _UnhandledException(std::current_exception());
    }
}

void _Startup()
{
    _RuntimeInitExternalClasses();
    RuntimeAllocatePluginEntrypointsTable(0);
    _InitFileTypes();
    _NewAppInstance();
    _ApplicationAddMenuHandlers();
    _MakeDefaultView();
}

void _InitFileTypes()
{
    DropTypes__Initialize();
}

void _NewAppInstance()
{
    auto app = RuntimeCheckCast<App>(RuntimeNewObject(App::ClassDescription()));
    Checked(app).Constructor();
    app->MenuBar = MenuBar1_MenuBar1();
    _RuntimeRegisterAppObject(app);
}

void _ApplicationAddMenuHandlers()
{
}

void _MakeDefaultView()
{
    (void)Window1_Window1();
}

void pct_finalize()
{
    ReleaseFrameworkLists();
    MenuBar1__implicitInstance___Exit();
    DropTypes_pDNG___Exit();
}
