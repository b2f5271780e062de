#include "framework/gui/PopupMenu.h"

#include "framework/gui/Controls_p.h"
#include "framework/gui/QtText_p.h"

#include <QComboBox>

namespace fw {

static QComboBox* combo(const PopupMenu& p)
{
    return static_cast<QComboBox*>(p.nativeWidget());
}

const ClassInfo& PopupMenu::ClassDescription()
{
    return ClassRegistry::Register("PopupMenu", [](ClassInfo& c) {
        c.parent = &RectControl::ClassDescription();
        c.declaredEvents = { "Change" };
        c.properties = {
            DeclareProperty<PopupMenu, std::string>("InitialValue", "s",
                [](PopupMenu& p, const std::string& v) { p.SetInitialValue(v); }),
            DeclareProperty<PopupMenu, std::int32_t>("ListIndex", "i4",
                [](PopupMenu& p, std::int32_t v) { p.SetListIndex(v); }),
        };
        c.factory = [] { return make<PopupMenu>(); };
    });
}

void* PopupMenu::createWidget(void* parent)
{
    return new QComboBox(static_cast<QWidget*>(parent));
}

std::int32_t PopupMenu::ListIndex() const
{
    return combo(*this) ? combo(*this)->currentIndex() : -1;
}

void PopupMenu::SetListIndex(std::int32_t index)
{
    if (auto* c = combo(*this))
        c->setCurrentIndex(index < c->count() ? index : -1);
}

std::int32_t PopupMenu::ListCount() const
{
    return combo(*this) ? combo(*this)->count() : 0;
}

std::string PopupMenu::List(std::int32_t index) const
{
    auto* c = combo(*this);
    return c && index >= 0 && index < c->count() ? c->itemText(index).toStdString() : std::string();
}

void PopupMenu::SetInitialValue(const std::string& value)
{
    auto* c = combo(*this);
    if (!c)
        return;
    c->clear();
    for (const QString& item : toQString(value).split(QChar('\r')))
        c->addItem(item);
}

}
