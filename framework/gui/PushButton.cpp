#include "framework/gui/PushButton.h"

#include "framework/core/Runtime.h"
#include "framework/gui/Controls_p.h"
#include "framework/gui/QtText_p.h"

#include <QPushButton>

namespace fw {

static QPushButton* button(const PushButton& b)
{
    return static_cast<QPushButton*>(b.nativeWidget());
}

const ClassInfo& PushButton::ClassDescription()
{
    return ClassRegistry::Register("PushButton", [](ClassInfo& c) {
        c.parent = &RectControl::ClassDescription();
        c.declaredEvents = { "Action" };
        auto b = [](const char* n, auto f) { return DeclareProperty<PushButton, bool>(n, "b", f); };
        c.properties = {
            DeclareProperty<PushButton, std::string>("Caption", "s",
                [](PushButton& p, const std::string& v) { p.SetCaption(v); }),
            b("Default", [](PushButton& p, bool v) { p.SetDefault(v); }),
            b("Cancel", [](PushButton& p, bool v) { p.Cancel = v; }),
            DeclareProperty<PushButton, std::int32_t>("ButtonStyle", "i4<PushButton.ButtonFrameStyle>",
                [](PushButton& p, std::int32_t v) { p.ButtonStyle = v; }),
        };
        c.factory = [] { return make<PushButton>(); };
    });
}

void* PushButton::createWidget(void* parent)
{
    auto* b = new QPushButton(static_cast<QWidget*>(parent));
    // Outside a dialog, Qt takes the default role from an auto-default
    // button when it loses the focus, and Return would then press nothing.
    // The framework's buttons are never auto-default (the role a dialog
    // gives its focused button), so only the program moves the role.
    b->setAutoDefault(false);
    b->setDefault(mDefault);
    QObject::connect(b, &QPushButton::clicked, [this] {
        Ref<Object> hold = self();
        RuntimeCallSystemCode([this] { RaiseEvent(ActionEvent); });
    });
    return b;
}

void PushButton::Push()
{
    if (auto* b = button(*this))
        b->click();
}

std::string PushButton::Caption() const
{
    return button(*this) ? button(*this)->text().toStdString() : std::string();
}

void PushButton::SetCaption(const std::string& v)
{
    if (auto* b = button(*this))
        b->setText(toQString(v));
}

bool PushButton::Default() const
{
    return mDefault;
}

void PushButton::SetDefault(bool v)
{
    mDefault = v;
    if (auto* b = button(*this))
        b->setDefault(v);
}

}
