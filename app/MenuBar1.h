#pragma once

#include "framework/gui/MenuItem.h"

// The one menu bar, shared by the application object and the main window.
class MenuBar1 : public fw::MenuBar {
public:
    static const fw::ClassInfo& ClassDescription();
    const fw::ClassInfo& classInfo() const override { return ClassDescription(); }

    // Builds the File menu, then the Edit menu.
    void Constructor() override;
    virtual void Untitled0();
    virtual void Untitled1();
};

// The shared bar, created on the first call.
fw::Ref<MenuBar1> MenuBar1_MenuBar1();
extern fw::Ref<MenuBar1> MenuBar1__implicitInstance;
// Exit hook: empties the reference, then releases the bar.
void MenuBar1__implicitInstance___Exit();
