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
    bool Default() const;
    void SetDefault(bool);
    bool Cancel = false;
    std::int32_t ButtonStyle = 0;

    // Presses the button, as a click does.
    void Push();

protected:
    void* createWidget(void* parent) override;
};

}
