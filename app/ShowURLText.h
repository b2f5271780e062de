#pragma once

#include "framework/gui/Label.h"

#include <functional>

// A label that behaves as a web link: link colour at rest, underlined while
// the pointer is over it, the pressed colour while the button is held inside,
// its address as tooltip. A click (press and release inside) raises Action
// and, unless a handler returns True, opens URL.
class ShowURLText : public fw::Label {
public:
    static constexpr fw::Color LinkColor { 0x00, 0x00, 0xC0 };
    static constexpr fw::Color PressedColor { 0xC0, 0x00, 0x00 };

    static const fw::ClassInfo& ClassDescription();
    const fw::ClassInfo& classInfo() const override { return ClassDescription(); }

    std::string URL;

    bool Event_MouseDown(std::int32_t x, std::int32_t y) override;
    void Event_MouseDrag(std::int32_t x, std::int32_t y) override;
    void Event_MouseUp(std::int32_t x, std::int32_t y) override;
    void Event_Open() override;
    void Event_MouseEnter() override;
    void Event_MouseExit() override;

    // The Action event's handler, if one is attached.
    std::function<bool(ShowURLText&)> ActionHandler;

private:
    bool inside(std::int32_t x, std::int32_t y) const;
    bool raiseAction();
};
