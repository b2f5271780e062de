#pragma once

#include "app/ShowURLText.h"
#include "framework/core/Thread.h"
#include "framework/gui/Label.h"
#include "framework/gui/Listbox.h"
#include "framework/gui/PopupMenu.h"
#include "framework/gui/PushButton.h"
#include "framework/gui/Window.h"

#include <cstdint>
#include <string>
#include <vector>

// The worker thread, held by the main window like a control.
class Window1_converterThread : public fw::Thread, public fw::_PaneChild {
public:
    static const fw::ClassInfo& ClassDescription();
    const fw::ClassInfo& classInfo() const override { return ClassDescription(); }

    std::int32_t Index = 0;

    void _SetWindow(const fw::Ref<fw::Window>& window) override;
    fw::Ref<fw::Window> Window() override;
    std::int32_t _Index() override;
    void _SetIndex(std::int32_t value) override;
    virtual void Constructor() { }

private:
    fw::Ref<fw::Window> ownerWindow;
};

// The main window: drop intake, the file list as work queue, the worker loop
// and the engine call.
class Window1 : public fw::Window {
public:
    static const fw::ClassInfo& ClassDescription();
    const fw::ClassInfo& classInfo() const override { return ClassDescription(); }

    void Layout() override;
    void CreateControls() override;
    virtual void _CreateControls0();

    fw::Ref<fw::Listbox> filesList();
    fw::Ref<fw::Thread> converterThread();
    fw::Ref<fw::Label> Label1();
    fw::Ref<fw::Label> Label2();
    fw::Ref<fw::Label> Label3();
    fw::Ref<ShowURLText> Label4();
    fw::Ref<fw::Label> Label5();
    fw::Ref<fw::PopupMenu> modePop();
    fw::Ref<fw::PushButton> againBut();

    virtual void converterThread_Run(const fw::Ref<fw::Thread>& sender);
    virtual void againBut_Action(const fw::Ref<fw::PushButton>& sender);

    fw::Ref<fw::MenuItem> EditMenu();
    fw::Ref<fw::MenuItem> EditSelectAll();
    fw::Ref<fw::MenuItem> UntitledMenu0();
    fw::Ref<fw::MenuItem> EditClear();
    fw::Ref<fw::MenuItem> EditPaste();
    fw::Ref<fw::MenuItem> EditCopy();
    fw::Ref<fw::MenuItem> EditCut();
    fw::Ref<fw::MenuItem> UntitledMenu1();
    fw::Ref<fw::MenuItem> EditUndo();
    fw::Ref<fw::MenuItem> FileMenu();
    fw::Ref<fw::QuitMenuItem> FileQuit();

    void Event_Open() override;
    void Event_DropObject(const fw::Ref<fw::DragItem>& obj, std::int32_t action) override;

    // The property lists the window and its controls are created with.
    static const std::string& WindowProperties();
    static const std::string& ControlProperties(const std::string& controlName);

private:
    friend class Window1TestAccess;

    void processFiles(const std::vector<fw::Ref<fw::FolderItem>>& files);
    void addDirContents(const fw::Ref<fw::FolderItem>& folder, std::vector<fw::Ref<fw::FolderItem>>& collected);
    void convertFile(const fw::Ref<fw::FolderItem>& file, std::string& result);
    fw::Ref<fw::MenuItem> menuItem(const char* name);

    std::int32_t mMode = 0;
};

// The main window, the implicit instance of its class, opened on first use.
fw::Ref<Window1> Window1_Window1();
