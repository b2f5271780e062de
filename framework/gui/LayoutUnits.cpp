// Layout units: how the layout's numbers follow the desktop's font.

#include "framework/gui/Window_p.h"

#include <QApplication>
#include <QFontMetricsF>
#include <algorithm>
#include <climits>
#include <cmath>

namespace fw {

// The layout's numbers were drawn for text no larger than the 9-point
// default sans-serif (DejaVu Sans at 96 dpi), with a little room to spare:
// these are that font's metrics in pixels, 2% over. A desktop font whose
// text runs wider or taller than this gets a layout as much larger. Two
// samples, as a font may be wide in its capitals (a serif face) or in its
// spaces and narrow letters (a fixed-pitch one).
struct ReferenceSample {
    const char* text;
    double width;
};
constexpr ReferenceSample ReferenceSamples[] = {
    { "abcdefghijklmnopqrstuvwxyzABCDEFGHIJKLMNOPQRSTUVWXYZ0123456789", 461.3125 * 1.02 },
    { "The quick brown fox jumps over the lazy dog (v1.1), 0123456789.", 396.59375 * 1.02 },
};
constexpr double ReferenceTextHeight = 13.96875 * 1.02;
// Beyond this a font is absurd; the window is kept to the screen anyway.
constexpr double MaxLayoutScale = 8;

double WindowPrivate::desktopLayoutScale(const QPaintDevice* device)
{
    // Measured as the window's widgets will show it, at their screen's
    // resolution; both ways, as a font's widths may grow faster than its
    // height.
    const QFontMetricsF m(QApplication::font(), device);
    double scale = m.height() / ReferenceTextHeight;
    for (const ReferenceSample& sample : ReferenceSamples)
        scale = std::max(scale, m.horizontalAdvance(QLatin1String(sample.text)) / sample.width);
    if (!(scale > 1))
        return 1;
    return std::min(scale, MaxLayoutScale);
}

int UnitsToPixels(std::int32_t units, double scale)
{
    return static_cast<int>(std::clamp(std::round(units * scale), double(INT_MIN), double(INT_MAX)));
}

std::int32_t PixelsToUnits(int pixels, double scale)
{
    return static_cast<std::int32_t>(std::lround(pixels / scale));
}

}
