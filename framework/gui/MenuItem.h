#pragma once

#include "framework/core/ClassRegistry.h"
#include "framework/core/Object.h"

#include <string>
#include <vector>

namespace fw {

// One item of a menu tree; a menu is an item with children. The caption "-"
// makes a separator; "&" marks the mnemonic; a "Cmd+" shortcut is the
// platform's command modifier (Ctrl here).
class MenuItem : public Object {
public:
    MenuItem();
    ~MenuItem() override;
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    virtual void Constructor() { }

    std::string Name;
    std::string Text;
    std::string KeyboardShortcut;
    bool AutoEnable = true;

    void Append(const Ref<MenuItem>& item);
    std::int32_t Count() const { return static_cast<std::int32_t>(mChildren.size()); }
    Ref<MenuItem> Item(std::int32_t index) const;
    // A direct child by name, or none.
    Ref<MenuItem> Child(const std::string& name) const;
    // Any item below this one by name, depth first, or none.
    Ref<MenuItem> _Lookup(const std::string& name) const;

    bool IsSeparator() const { return Text == "-"; }

    // What choosing the item does when nothing else handles it.
    virtual void Action();
    // Whether that action can be carried out right now; an AutoEnable item
    // is shown enabled exactly then.
    virtual bool _CanAct() const;

private:
    std::vector<Ref<MenuItem>> mChildren;
};

// The item whose built-in action quits the application.
class QuitMenuItem : public MenuItem {
public:
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }
    void Action() override;
    bool _CanAct() const override { return true; }
};

class MenuBar : public MenuItem {
public:
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }
};

// The platform's key sequence text for a shortcut such as "Cmd+Q" ("Ctrl+Q").
std::string NativeShortcutText(const std::string& shortcut);

}
