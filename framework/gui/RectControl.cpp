#include "framework/gui/RectControl.h"

#include "framework/core/Runtime.h"
#include "framework/gui/Controls_p.h"
#include "framework/gui/Window.h"
#include "framework/gui/Window_p.h"
#include "framework/gui/QtText_p.h"

#include <QApplication>
#include <QFont>
#include <algorithm>
#include <cmath>

namespace fw {

RectControl::RectControl()
    : rd(std::make_unique<RectControlPrivate>())
{
}

RectControl::~RectControl()
{
    delete rd->widget.data();
}

const ClassInfo& RectControl::ClassDescription()
{
    return ClassRegistry::Register("RectControl", [](ClassInfo& c) {
        c.parent = &Object::ClassDescription();
        c.operations = { "Constructor", "Close", "Invalidate", "Refresh", "SetFocus" };
        c.declaredEvents = { "Open", "Close", "MouseEnter", "MouseExit", "MouseMove", "DragEnter", "DragExit",
            "DragOver", "DropObject", "KeyDown", "KeyUp", "GotFocus", "LostFocus", "MouseWheel",
            "ConstructContextualMenu" };
        auto i4 = [](const char* n, auto f) { return DeclareProperty<RectControl, std::int32_t>(n, "i4", f); };
        auto b = [](const char* n, auto f) { return DeclareProperty<RectControl, bool>(n, "b", f); };
        auto s = [](const char* n, auto f) { return DeclareProperty<RectControl, std::string>(n, "s", f); };
        c.properties = {
            s("Name", [](RectControl& r, const std::string& v) { r.rd->name = v; }),
            i4("Index", [](RectControl& r, std::int32_t v) { r.Index = v; }),
            i4("Left", [](RectControl& r, std::int32_t v) { r.SetLeft(v); }),
            i4("Top", [](RectControl& r, std::int32_t v) { r.SetTop(v); }),
            i4("Width", [](RectControl& r, std::int32_t v) { r.SetWidth(v); }),
            i4("Height", [](RectControl& r, std::int32_t v) { r.SetHeight(v); }),
            b("LockLeft", [](RectControl& r, bool v) { r.LockLeft = v; }),
            b("LockTop", [](RectControl& r, bool v) { r.LockTop = v; }),
            b("LockRight", [](RectControl& r, bool v) { r.LockRight = v; }),
            b("LockBottom", [](RectControl& r, bool v) { r.LockBottom = v; }),
            i4("TabPanelIndex", [](RectControl&, std::int32_t) { }),
            i4("TabIndex", [](RectControl& r, std::int32_t v) { r.TabIndex = v; }),
            b("TabStop", [](RectControl& r, bool v) { r.SetTabStop(v); }),
            b("Visible", [](RectControl& r, bool v) { r.SetVisible(v); }),
            b("Enabled", [](RectControl& r, bool v) { r.SetEnabled(v); }),
            s("HelpTag", [](RectControl& r, const std::string& v) { r.SetHelpTag(v); }),
            b("AutoDeactivate", [](RectControl&, bool) { }),
            s("TextFont", [](RectControl& r, const std::string& v) { r.SetTextFont(v); }),
            b("Bold", [](RectControl& r, bool v) { r.SetBold(v); }),
            b("Italic", [](RectControl& r, bool v) { r.SetItalic(v); }),
            b("Underline", [](RectControl& r, bool v) { r.SetUnderline(v); }),
            s("DataSource", [](RectControl&, const std::string&) { }),
            s("DataField", [](RectControl&, const std::string&) { }),
            s("InitialParent", [](RectControl&, const std::string&) { }),
        };
    });
}

void RectControl::attachToWindow(fw::Window* window)
{
    rd->window = window;
}

void RectControl::Constructor()
{
    QWidget* parent = rd->window ? static_cast<QWidget*>(rd->window->nativeContent()) : nullptr;
    rd->widget = static_cast<QWidget*>(createWidget(parent));
    rd->widget->setFocusPolicy(rd->tabStop ? Qt::StrongFocus : Qt::NoFocus);
    rd->setBase();
    if (rd->window) {
        WeakRef<Object> weak = self();
        rd->window->addResizeListener([weak](std::int32_t w, std::int32_t h) {
            if (auto c = std::static_pointer_cast<RectControl>(weak.lock()))
                c->windowResized(w, h);
        });
    }
    rd->widget->show();
}

Ref<fw::Window> RectControl::Window() const
{
    return rd->window ? std::static_pointer_cast<fw::Window>(rd->window->self()) : nullptr;
}

void* RectControl::nativeWidget() const
{
    return rd->widget.data();
}

double RectControl::LayoutScale() const
{
    return rd->window ? rd->window->LayoutScale() : 1.0;
}

void RectControlPrivate::setBase()
{
    if (window) {
        baseW = window->contentPixelWidth();
        baseH = window->contentPixelHeight();
    }
    if (widget)
        widget->setGeometry(left, top, width, height);
}

void RectControlPrivate::place(RectControl& c, int contentW, int contentH)
{
    int x = left, w = width, y = top, h = height;
    int rightGap = baseW - (left + width), bottomGap = baseH - (top + height);
    if (c.LockRight) {
        if (c.LockLeft)
            w = contentW - rightGap - left;
        else
            x = contentW - rightGap - width;
    }
    if (c.LockBottom) {
        if (c.LockTop)
            h = contentH - bottomGap - top;
        else
            y = contentH - bottomGap - height;
    }
    if (widget)
        widget->setGeometry(x, y, std::max(0, w), std::max(0, h));
}

void RectControl::windowResized(std::int32_t width, std::int32_t height)
{
    rd->place(*this, width, height);
}

std::string RectControl::Name() const { return rd->name; }
std::int32_t RectControl::Left() const { return PixelsToUnits(rd->widget ? rd->widget->x() : rd->left, LayoutScale()); }
std::int32_t RectControl::Top() const { return PixelsToUnits(rd->widget ? rd->widget->y() : rd->top, LayoutScale()); }
std::int32_t RectControl::Width() const { return PixelsToUnits(rd->widget ? rd->widget->width() : rd->width, LayoutScale()); }
std::int32_t RectControl::Height() const { return PixelsToUnits(rd->widget ? rd->widget->height() : rd->height, LayoutScale()); }

// Setting a position re-bases the layout at the window's current size.
void RectControl::SetLeft(std::int32_t v) { rd->left = UnitsToPixels(v, LayoutScale()); rd->setBase(); }
void RectControl::SetTop(std::int32_t v) { rd->top = UnitsToPixels(v, LayoutScale()); rd->setBase(); }
void RectControl::SetWidth(std::int32_t v) { rd->width = UnitsToPixels(v, LayoutScale()); rd->setBase(); }
void RectControl::SetHeight(std::int32_t v) { rd->height = UnitsToPixels(v, LayoutScale()); rd->setBase(); }

bool RectControl::TabStop() const { return rd->tabStop; }
void RectControl::SetTabStop(bool v)
{
    rd->tabStop = v;
    if (rd->widget)
        rd->widget->setFocusPolicy(v ? Qt::StrongFocus : Qt::NoFocus);
}

bool RectControl::Visible() const { return rd->visible; }
void RectControl::SetVisible(bool v)
{
    rd->visible = v;
    if (rd->widget)
        rd->widget->setVisible(v);
}

bool RectControl::Enabled() const { return rd->enabled; }
void RectControl::SetEnabled(bool v)
{
    rd->enabled = v;
    if (rd->widget)
        rd->widget->setEnabled(v);
}

std::string RectControl::HelpTag() const { return rd->helpTag; }
void RectControl::SetHelpTag(const std::string& v)
{
    rd->helpTag = v;
    if (rd->widget)
        rd->widget->setToolTip(toQString(v));
}

float RectControl::TextSize() const { return rd->textSize; }
void RectControl::SetTextSize(float size) { rd->textSize = size; applyFont(); }
std::uint8_t RectControl::TextUnit() const { return rd->textUnit; }
void RectControl::SetTextUnit(std::uint8_t unit) { rd->textUnit = unit; applyFont(); }
std::string RectControl::TextFont() const { return rd->textFont; }
void RectControl::SetTextFont(const std::string& v) { rd->textFont = v; applyFont(); }
bool RectControl::Bold() const { return rd->bold; }
bool RectControl::Italic() const { return rd->italic; }
bool RectControl::Underline() const { return rd->underline; }
void RectControl::SetBold(bool v) { rd->bold = v; applyFont(); }
void RectControl::SetItalic(bool v) { rd->italic = v; applyFont(); }
void RectControl::SetUnderline(bool v) { rd->underline = v; applyFont(); }

void RectControl::applyFont()
{
    if (!rd->widget)
        return;
    QFont f = QApplication::font();
    if (!rd->textFont.empty() && rd->textFont != "System" && rd->textFont != "SmallSystem")
        f.setFamily(toQString(rd->textFont));
    if (rd->textSize > 0) {
        // Sizes are counted against a 13-point system font; the desktop's own
        // default size takes that place, so text keeps its proportion to the
        // controls laid out around it.
        const QFont desktop = QApplication::font();
        double points = rd->textSize * desktop.pointSizeF() / 13.0;
        // Units: 0 default and 2 points, 1 pixels, 3 inches, 4 millimetres.
        switch (rd->textUnit) {
        case 1:
            f.setPixelSize(static_cast<int>(rd->textSize + 0.5f));
            break;
        case 3:
            f.setPointSizeF(rd->textSize * 72.0);
            break;
        case 4:
            f.setPointSizeF(rd->textSize * 72.0 / 25.4);
            break;
        default:
            // A desktop font given in pixels has no point size to scale.
            if (desktop.pointSizeF() > 0)
                f.setPointSizeF(points);
            else
                f.setPixelSize(std::max(1, static_cast<int>(std::lround(rd->textSize * desktop.pixelSize() / 13.0))));
        }
    }
    f.setBold(rd->bold);
    f.setItalic(rd->italic);
    f.setUnderline(rd->underline);
    rd->widget->setFont(f);
}

}
