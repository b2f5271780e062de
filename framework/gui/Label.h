#pragma once

#include "framework/gui/RectControl.h"

namespace fw {

// Static text. Presses and releases on it reach MouseDown and MouseUp; the
// framework also reports drags after a press that MouseDown took.
class Label : public RectControl {
public:
    enum Event { MouseDownEvent = RectControlEventCount, MouseDragEvent, MouseUpEvent, LabelEventCount };

    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    std::string Text() const;
    void SetText(const std::string&);
    std::int32_t TextAlign() const;
    void SetTextAlign(std::int32_t align);
    Color TextColor() const;
    void SetTextColor(Color);
    bool MultiLine() const;
    void SetMultiLine(bool);
    bool Selectable = false;
    bool Transparent = false;

    // True takes the press, so that its release reaches MouseUp.
    virtual bool Event_MouseDown(std::int32_t x, std::int32_t y) { (void)x, (void)y; return false; }
    virtual void Event_MouseDrag(std::int32_t x, std::int32_t y) { (void)x, (void)y; }
    virtual void Event_MouseUp(std::int32_t x, std::int32_t y) { (void)x, (void)y; }

protected:
    void* createWidget(void* parent) override;
};

}
