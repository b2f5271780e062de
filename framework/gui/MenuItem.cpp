#include "framework/gui/MenuItem.h"

#include "framework/gui/Application.h"

namespace fw {

MenuItem::MenuItem() = default;
MenuItem::~MenuItem() = default;

const ClassInfo& MenuItem::ClassDescription()
{
    return ClassRegistry::Register("MenuItem", [](ClassInfo& c) {
        c.parent = &Object::ClassDescription();
        c.operations = { "Constructor", "Append", "Child", "_Lookup", "Action" };
        c.declaredEvents = { "Action", "EnableMenu" };
        c.factory = [] { return make<MenuItem>(); };
    });
}

const ClassInfo& QuitMenuItem::ClassDescription()
{
    return ClassRegistry::Register("QuitMenuItem", [](ClassInfo& c) {
        c.parent = &MenuItem::ClassDescription();
        c.factory = [] { return make<QuitMenuItem>(); };
    });
}

const ClassInfo& MenuBar::ClassDescription()
{
    return ClassRegistry::Register("MenuBar", [](ClassInfo& c) {
        c.parent = &MenuItem::ClassDescription();
        c.factory = [] { return make<MenuBar>(); };
    });
}

void MenuItem::Append(const Ref<MenuItem>& item)
{
    if (item)
        mChildren.push_back(item);
}

Ref<MenuItem> MenuItem::Item(std::int32_t index) const
{
    if (index < 0 || index >= Count())
        return nullptr;
    return mChildren[static_cast<std::size_t>(index)];
}

Ref<MenuItem> MenuItem::Child(const std::string& name) const
{
    for (auto& c : mChildren)
        if (c->Name == name)
            return c;
    return nullptr;
}

Ref<MenuItem> MenuItem::_Lookup(const std::string& name) const
{
    for (auto& c : mChildren) {
        if (c->Name == name)
            return c;
        if (auto found = c->_Lookup(name))
            return found;
    }
    return nullptr;
}

void MenuItem::Action()
{
    // No handler: the focused control does its own natural action, if any.
    PerformStandardEditAction(Name);
}

bool MenuItem::_CanAct() const
{
    // A menu opens; an item with no handler can do only what the focused
    // control can do for it.
    return Count() > 0 || CanPerformStandardEditAction(Name);
}

void QuitMenuItem::Action()
{
    QuitApplication();
}

std::string NativeShortcutText(const std::string& shortcut)
{
    std::string out = shortcut;
    const std::string cmd = "Cmd+";
    for (auto pos = out.find(cmd); pos != std::string::npos; pos = out.find(cmd, pos))
        out.replace(pos, cmd.size(), "Ctrl+");
    return out;
}

}
