#include "app/Window1.h"

#include "app/MenuBar1.h"
#include "dngpatch/convertFile.h"
#include "framework/core/PropertyList.h"
#include "framework/core/Runtime.h"
#include "framework/core/RuntimeException.h"
#include "framework/gui/Application.h"

using namespace fw;

const ClassInfo& Window1::ClassDescription()
{
    return ClassRegistry::Register("Window1.Window1", [](ClassInfo& c) {
        c.parent = &Window::ClassDescription();
        c.operations = { "Layout", "CreateControls", "_CreateControls0", "filesList", "converterThread", "Label1",
            "Label2", "Label3", "Label4", "Label5", "modePop", "againBut", "converterThread_Run", "againBut_Action",
            "EditMenu", "EditSelectAll", "UntitledMenu0", "EditClear", "EditPaste", "EditCopy", "EditCut",
            "UntitledMenu1", "EditUndo", "FileMenu", "FileQuit", "Event_Open", "Event_DropObject" };
        c.implementedEvents = { "Layout", "CreateControls", "Open", "DropObject" };
        c.members = {
            Member("Layout", "%%", true, "Public"),
            Member("CreateControls", "%%", true, "Public"),
            Member("_CreateControls0", "%%", true, "Public", true),
            Member("filesList", "%o<Listbox>%", true, "Public"),
            Member("converterThread", "%o<Thread>%", true, "Public"),
            Member("Label1", "%o<Label>%", true, "Public"),
            Member("Label2", "%o<Label>%", true, "Public"),
            Member("Label3", "%o<Label>%", true, "Public"),
            Member("Label4", "%o<ShowURLText>%", true, "Public"),
            Member("Label5", "%o<Label>%", true, "Public"),
            Member("modePop", "%o<PopupMenu>%", true, "Public"),
            Member("againBut", "%o<PushButton>%", true, "Public"),
            Member("converterThread_Run", "%%o<Thread>", true, "Public"),
            Member("againBut_Action", "%%o<PushButton>", true, "Public"),
            Member("EditMenu", "%o<MenuItem>%", true, "Public"),
            Member("EditSelectAll", "%o<MenuItem>%", true, "Public"),
            Member("UntitledMenu0", "%o<MenuItem>%", true, "Public"),
            Member("EditClear", "%o<MenuItem>%", true, "Public"),
            Member("EditPaste", "%o<MenuItem>%", true, "Public"),
            Member("EditCopy", "%o<MenuItem>%", true, "Public"),
            Member("EditCut", "%o<MenuItem>%", true, "Public"),
            Member("UntitledMenu1", "%o<MenuItem>%", true, "Public"),
            Member("EditUndo", "%o<MenuItem>%", true, "Public"),
            Member("FileMenu", "%o<MenuItem>%", true, "Public"),
            Member("FileQuit", "%o<QuitMenuItem>%", true, "Public"),
            Member("Event_Open", "%%", true, "Public"),
            Member("Event_DropObject", "%%o<DragItem>i4", true, "Public"),
            Member("processFiles", "%%A1o<FolderItem>", false, "Private"),
            Member("addDirContents", "%%o<FolderItem>A1o<FolderItem>", false, "Private"),
            Member("convertFile", "%%o<FolderItem>&s", false, "Private"),
            Member("mMode", "i4", false, "Private"),
        };
        c.factory = [] { return make<Window1>(); };
    });
}

const std::string& Window1::WindowProperties()
{
    static const std::string list = PropertyList()
                                        .Int32("Placement", 0)
                                        .Int32("Width", 600)
                                        .Int32("Height", 400)
                                        .Int32("MinWidth", 64)
                                        .Int32("MinHeight", 64)
                                        .Int32("MaxWidth", 32000)
                                        .Int32("MaxHeight", 32000)
                                        .Int32("Frame", 0)
                                        .Boolean("Composite", false)
                                        .Boolean("HasBackColor", false)
                                        .ColorValue("BackColor", { 0xFF, 0xFF, 0xFF })
                                        .String("Title", "Velmorra")
                                        .Boolean("Visible", true)
                                        .Boolean("FullScreen", false)
                                        .Boolean("MenuBarVisible", true)
                                        .Boolean("CloseButton", true)
                                        .Boolean("Resizeable", true)
                                        .Boolean("LiveResize", true)
                                        .Boolean("MaximizeButton", false)
                                        .Boolean("MinimizeButton", true)
                                        .Int32("MacProcID", 0)
                                        .bytes();
    return list;
}

void Window1::Layout()
{
    SetMenuBar(MenuBar1_MenuBar1());
    _SetProperties(*this, classInfo(), WindowProperties());
}

void Window1::CreateControls()
{
    _CreateControls0();
}

Ref<MenuItem> Window1::menuItem(const char* name)
{
    auto bar = MenuBar();
    if (!bar)
        throw NilObjectException();
    return RuntimeCheckCast<MenuItem>(bar->_Lookup(name));
}

Ref<MenuItem> Window1::EditMenu() { return menuItem("EditMenu"); }
Ref<MenuItem> Window1::EditSelectAll() { return menuItem("EditSelectAll"); }
Ref<MenuItem> Window1::UntitledMenu0() { return menuItem("UntitledMenu0"); }
Ref<MenuItem> Window1::EditClear() { return menuItem("EditClear"); }
Ref<MenuItem> Window1::EditPaste() { return menuItem("EditPaste"); }
Ref<MenuItem> Window1::EditCopy() { return menuItem("EditCopy"); }
Ref<MenuItem> Window1::EditCut() { return menuItem("EditCut"); }
Ref<MenuItem> Window1::UntitledMenu1() { return menuItem("UntitledMenu1"); }
Ref<MenuItem> Window1::EditUndo() { return menuItem("EditUndo"); }
Ref<MenuItem> Window1::FileMenu() { return menuItem("FileMenu"); }
Ref<QuitMenuItem> Window1::FileQuit() { return RuntimeCheckCast<QuitMenuItem>(menuItem("FileQuit")); }

void Window1::convertFile(const Ref<FolderItem>& file, std::string& result)
{
    dngpatch::convertFile(file, result, mMode);
}

Ref<Window1> Window1_Window1()
{
    Ref<Window> w = _GetImplicitWindow("Window1.Window1");
    if (!w) {
        w = RuntimeCheckCast<Window>(RuntimeNewObject(Window1::ClassDescription()));
        w->Constructor();
    }
    return RuntimeCheckCast<Window1>(w);
}

// The worker thread control.

const ClassInfo& Window1_converterThread::ClassDescription()
{
    return ClassRegistry::Register("Window1.converterThread", [](ClassInfo& c) {
        c.parent = &Thread::ClassDescription();
        c.scope = "Private";
        c.interfaces = { "_PaneChild" };
        c.operations = { "_SetWindow", "Window", "_Index", "_SetIndex", "Constructor" };
        c.members = {
            Member("_SetWindow", "%%o<Window>", true, "Public", true),
            Member("Window", "%o<Window>%", true, "Public"),
            Member("_Index", "%i4%", true, "Public", true),
            Member("_SetIndex", "%%i4", true, "Public", true),
            Member("Constructor", "%%", true, "Public"),
            Member("Index", "i4", false, "Public"),
            Member("ownerWindow", "o<Window>", false, "Private"),
        };
        c.factory = [] { return make<Window1_converterThread>(); };
    });
}

void Window1_converterThread::_SetWindow(const Ref<fw::Window>& window)
{
    ownerWindow = window;
}

Ref<fw::Window> Window1_converterThread::Window()
{
    return ownerWindow;
}

std::int32_t Window1_converterThread::_Index()
{
    return Index;
}

void Window1_converterThread::_SetIndex(std::int32_t value)
{
    Index = value;
}
