#pragma once

#include "framework/gui/RectControl.h"

namespace fw {

class PushButton : public RectControl {
public:
    // Its Action event, raised on every press.
    static constexpr int ActionEvent = 15;
    static_assert(ActionEvent == RectControl::RectControlEventCount);

    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    std::string Caption() const;
    void SetCaption(const std::string&);
    // The button that Return and Enter press. The program's own setting:
    // focus moving in the window never changes it.
    bool Default() const;
    void SetDefault(bool);
    bool Cancel = false;
    std::int32_t ButtonStyle = 0;

    // Presses the button, as a click does.
    void Push();

protected:
    void* createWidget(void* parent) override;

private:
    bool mDefault = false;
};

}
