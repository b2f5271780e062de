#include "app/MenuBar1.h"

#include "framework/core/Runtime.h"
#include "framework/core/RuntimeException.h"

using namespace fw;

Ref<MenuBar1> MenuBar1__implicitInstance;

const ClassInfo& MenuBar1::ClassDescription()
{
    return ClassRegistry::Register("MenuBar1.MenuBar1", [](ClassInfo& c) {
        c.parent = &MenuBar::ClassDescription();
        c.operations = { "Constructor", "Untitled0", "Untitled1" };
        c.members = {
            Member("Constructor", "%%", true, "Public"),
            Member("Untitled0", "%%", true, "Public"),
            Member("Untitled1", "%%", true, "Public"),
        };
        c.factory = [] { return make<MenuBar1>(); };
    });
}

namespace {

// Creates one item of the tree: its class, constructed, then Name,
// AutoEnable, Text and (but on separators) KeyboardShortcut, in that order.
Ref<MenuItem> newItem(const ClassInfo& cls, const char* name, const char* text, const char* shortcut)
{
    auto item = RuntimeCheckCast<MenuItem>(RuntimeNewObject(cls));
    item->Constructor();
    item->Name = name;
    item->AutoEnable = true;
    item->Text = text;
    if (shortcut)
        item->KeyboardShortcut = shortcut;
    return item;
}

void appendTo(MenuBar1& bar, const char* menuName, const Ref<MenuItem>& item)
{
    auto menu = RuntimeCheckCast<MenuItem>(bar.Child(menuName));
    if (!menu)
        throw NilObjectException();
    menu->Append(item);
}

}

void MenuBar1::Constructor()
{
    Untitled0();
    Untitled1();
}

void MenuBar1::Untitled0()
{
    const ClassInfo& item = MenuItem::ClassDescription();
    Append(newItem(item, "FileMenu", "&File", ""));
    appendTo(*this, "FileMenu", newItem(QuitMenuItem::ClassDescription(), "FileQuit", "&Quit", "Cmd+Q"));
}

void MenuBar1::Untitled1()
{
    const ClassInfo& item = MenuItem::ClassDescription();
    Append(newItem(item, "EditMenu", "&Edit", ""));
    appendTo(*this, "EditMenu", newItem(item, "EditUndo", "&Undo", "Cmd+Z"));
    appendTo(*this, "EditMenu", newItem(item, "UntitledMenu1", "-", nullptr));
    appendTo(*this, "EditMenu", newItem(item, "EditCut", "Cu&t", "Cmd+X"));
    appendTo(*this, "EditMenu", newItem(item, "EditCopy", "&Copy", "Cmd+C"));
    appendTo(*this, "EditMenu", newItem(item, "EditPaste", "&Paste", "Cmd+V"));
    appendTo(*this, "EditMenu", newItem(item, "EditClear", "&Delete", ""));
    appendTo(*this, "EditMenu", newItem(item, "UntitledMenu0", "-", nullptr));
    appendTo(*this, "EditMenu", newItem(item, "EditSelectAll", "Select &All", "Cmd+A"));
}

Ref<MenuBar1> MenuBar1_MenuBar1()
{
    if (MenuBar1__implicitInstance)
        return MenuBar1__implicitInstance;
    auto bar = RuntimeCheckCast<MenuBar1>(RuntimeNewObject(MenuBar1::ClassDescription()));
    bar->Constructor();
    // Stored only once built: a failed build leaves no half-built bar behind.
    MenuBar1__implicitInstance = bar;
    return bar;
}

void MenuBar1__implicitInstance___Exit()
{
    Ref<MenuBar1> held = std::move(MenuBar1__implicitInstance);
    MenuBar1__implicitInstance = nullptr;
    RuntimeReleaseLog().push_back("MenuBar1._implicitInstance");
    held.reset();
}
