#pragma once

#include "framework/core/ClassRegistry.h"
#include "framework/core/Object.h"
#include "framework/gui/DragItem.h"
#include "framework/gui/MenuItem.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

namespace fw {

struct WindowPrivate;
class Window;

// What a window's control registry asks of a control that is not a widget
// (the worker thread): the window that holds it and its control index.
class _PaneChild {
public:
    virtual ~_PaneChild() = default;
    virtual void _SetWindow(const Ref<fw::Window>& window) = 0;
    virtual Ref<fw::Window> Window() = 0;
    virtual std::int32_t _Index() = 0;
    virtual void _SetIndex(std::int32_t value) = 0;
};

// A top-level window with a menu bar; its controls sit at absolute positions
// in its content area and follow its edges by their locks on every resize.
class Window : public Object {
public:
    Window();
    ~Window() override;
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    // Builds the window: raises Layout, then CreateControls, shows it when
    // Visible, then raises Open.
    void Constructor();

    // Events; a subclass implements those it handles.
    virtual void Layout() { }
    virtual void CreateControls() { }
    virtual void Event_Open() { }
    virtual void Event_DropObject(const Ref<DragItem>& obj, std::int32_t action) { (void)obj, (void)action; }

    Ref<fw::MenuBar> MenuBar() const;
    void SetMenuBar(const Ref<fw::MenuBar>& bar);

    // Names the document types ("DNG;") whose drops the window takes; the
    // window then takes drops of folders and files alike and leaves the
    // choice to its DropObject handler.
    void AcceptFileDrop(const std::string& types);
    const std::string& AcceptedFileTypes() const;

    // The control registry.
    Ref<Object> __New(const ClassInfo& cls);
    void _AddControl(const Ref<Object>& control, const std::string& name);
    Ref<Object> _ControlByName(const std::string& name) const;
    std::vector<Ref<Object>> Controls() const;

    // Content size (the area below the menu bar). Sizes, limits and the
    // controls' places are counted in layout units, LayoutScale pixels each;
    // the window's own place on the screen stays in the screen's pixels.
    std::int32_t Width() const;
    std::int32_t Height() const;
    void SetWidth(std::int32_t w);
    void SetHeight(std::int32_t h);
    std::int32_t MinWidth() const, MinHeight() const, MaxWidth() const, MaxHeight() const;
    std::string Title() const;
    bool Visible() const;
    bool CloseButton() const, MinimizeButton() const, MaximizeButton() const, Resizeable() const;

    void Close();
    bool IsOpen() const;

    // Pixels per layout unit, taken once when the window is built. The
    // layout's numbers were drawn for a small font; on a desktop with a
    // larger one they grow with it (never below 1), so every text shows
    // whole at the user's own font size.
    double LayoutScale() const;

    // The framework's handle of the content area (a QWidget*), for controls.
    void* nativeContent() const;
    void* nativeWindow() const;

    // Called by the toolkit layer.
    void deliverDrop(const Ref<DragItem>& items, std::int32_t action);
    void contentResized();

    // The content's size in pixels, for controls.
    std::int32_t contentPixelWidth() const;
    std::int32_t contentPixelHeight() const;

    // Called by controls so that they follow resizes; the listener gets the
    // content's size in pixels.
    void addResizeListener(std::function<void(std::int32_t, std::int32_t)> listener);

private:
    friend struct WindowPrivate;
    std::unique_ptr<WindowPrivate> d;
};

}
