#pragma once

#include "framework/gui/RectControl.h"

#include <vector>

namespace fw {

// A pop-up choice of rows; ListIndex is the chosen row, from 0.
class PopupMenu : public RectControl {
public:
    static const ClassInfo& ClassDescription();
    const ClassInfo& classInfo() const override { return ClassDescription(); }

    std::int32_t ListIndex() const;
    void SetListIndex(std::int32_t index);
    std::int32_t ListCount() const;
    std::string List(std::int32_t index) const;
    // The rows, separated by carriage returns.
    void SetInitialValue(const std::string& value);

protected:
    void* createWidget(void* parent) override;
};

}
