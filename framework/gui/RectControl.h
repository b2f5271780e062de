#pragma once

#include "framework/core/ClassRegistry.h"
#include "framework/core/Object.h"

#include <cstdint>
#include <memory>
#include <string>

namespace fw {

class Window;
struct RectControlPrivate;

// A visible control at an absolute position in its window's content area.
// Its locks name the window edges whose distance it keeps when the window is
// resized; locked to two opposite edges, it stretches.
class RectControl : public Object {
public:
    // Events every visible control declares, numbered by their place.
    enum Event { OpenEvent = 0, CloseEvent, MouseEnterEvent, MouseExitEvent, MouseMoveEvent, DragEnterEvent,
        DragExitEvent, DragOverEvent, DropObjectEvent, KeyDownEvent, KeyUpEvent, GotFocusEvent, LostFocusEvent,
        MouseWheelEvent, ConstructContextualMenuEvent, RectControlEventCount };

    RectControl();
    ~RectControl() override;
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    // Creates the control's widget in the window that made the object.
    virtual void Constructor();

    std::string Name() const;
    std::int32_t Index = 0;
    // Place and size in the window's layout units (see Window::LayoutScale).
    std::int32_t Left() const, Top() const, Width() const, Height() const;
    void SetLeft(std::int32_t), SetTop(std::int32_t), SetWidth(std::int32_t), SetHeight(std::int32_t);
    bool LockLeft = false, LockTop = false, LockRight = false, LockBottom = false;
    std::int32_t TabIndex = 0;
    bool TabStop() const;
    void SetTabStop(bool);
    bool Visible() const;
    void SetVisible(bool);
    bool Enabled() const;
    void SetEnabled(bool);
    std::string HelpTag() const;
    void SetHelpTag(const std::string&);

    // Text attributes; TextSize 0 keeps the desktop's size. TextUnit 0 counts
    // TextSize in points.
    float TextSize() const;
    void SetTextSize(float size);
    std::uint8_t TextUnit() const;
    void SetTextUnit(std::uint8_t unit);
    std::string TextFont() const;
    void SetTextFont(const std::string&);
    bool Bold() const, Italic() const, Underline() const;
    void SetBold(bool), SetItalic(bool), SetUnderline(bool);

    // Events; a subclass implements those it handles.
    virtual void Event_Open() { }
    virtual void Event_MouseEnter() { }
    virtual void Event_MouseExit() { }

    Ref<fw::Window> Window() const;

    // Framework side.
    void attachToWindow(fw::Window* window);
    void* nativeWidget() const;
    // Pixels per layout unit: the window's, 1 without a window.
    double LayoutScale() const;
    // The window's new content size in pixels.
    void windowResized(std::int32_t width, std::int32_t height);

protected:
    // The widget of the concrete control, made by Constructor.
    virtual void* createWidget(void* parent) = 0;
    void applyFont();
    friend struct RectControlPrivate;
    std::unique_ptr<RectControlPrivate> rd;
};

}
