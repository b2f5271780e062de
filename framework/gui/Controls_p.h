#pragma once

// Toolkit side of the framework's controls; included only by framework/gui.

#include "framework/gui/RectControl.h"

#include <QPointer>
#include <QWidget>

namespace fw {

struct RectControlPrivate {
    QPointer<QWidget> widget;
    fw::Window* window = nullptr;
    std::string name;
    // Position and size as set, and the window's content size at that moment,
    // in pixels: every resize is laid out from these, so resizing back
    // restores them.
    int left = 0, top = 0, width = 0, height = 0;
    int baseW = 0, baseH = 0;
    float textSize = 0;
    std::uint8_t textUnit = 0;
    std::string textFont = "System";
    bool bold = false, italic = false, underline = false;
    bool tabStop = false, visible = true, enabled = true;
    std::string helpTag;

    void setBase();
    void place(RectControl& c, int contentW, int contentH);
};


}
