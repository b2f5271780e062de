#include "framework/gui/Label.h"

#include "framework/core/Runtime.h"
#include "framework/gui/Controls_p.h"
#include "framework/gui/Window_p.h"
#include "framework/gui/QtText_p.h"

#include <QEnterEvent>
#include <QLabel>
#include <QMouseEvent>

namespace fw {

namespace {

class NativeLabel : public QLabel {
public:
    NativeLabel(Label* owner, QWidget* parent)
        : QLabel(parent)
        , mOwner(owner)
    {
        setTextFormat(Qt::PlainText);
        setAlignment(Qt::AlignLeft | Qt::AlignTop);
    }

    Color color { 0, 0, 0 };

protected:
    // Mouse events reach the label's handlers through the framework's
    // exception handling, at layout units like the label's own size; a press
    // the handler takes sends drags and the release to it as well.
    void mousePressEvent(QMouseEvent* e) override
    {
        if (e->button() != Qt::LeftButton)
            return;
        QPoint p = units(e);
        bool taken = false;
        call([&] { taken = mOwner->Event_MouseDown(p.x(), p.y()); });
        mPressTaken = taken;
        e->setAccepted(taken);
    }
    void mouseMoveEvent(QMouseEvent* e) override
    {
        if (!mPressTaken)
            return;
        QPoint p = units(e);
        call([&] { mOwner->Event_MouseDrag(p.x(), p.y()); });
    }
    void mouseReleaseEvent(QMouseEvent* e) override
    {
        if (!mPressTaken || e->button() != Qt::LeftButton)
            return;
        mPressTaken = false;
        QPoint p = units(e);
        call([&] { mOwner->Event_MouseUp(p.x(), p.y()); });
    }
    void enterEvent(QEnterEvent*) override
    {
        call([&] { mOwner->Event_MouseEnter(); });
    }
    void leaveEvent(QEvent*) override
    {
        call([&] { mOwner->Event_MouseExit(); });
    }

private:
    QPoint units(const QMouseEvent* e) const
    {
        QPoint p = e->position().toPoint();
        double scale = mOwner->LayoutScale();
        return { PixelsToUnits(p.x(), scale), PixelsToUnits(p.y(), scale) };
    }

    template<typename F>
    void call(F f)
    {
        Ref<Object> hold = mOwner->self();
        RuntimeCallSystemCode(f);
    }

    Label* mOwner;
    bool mPressTaken = false;
};

NativeLabel* native(const Label& l)
{
    return static_cast<NativeLabel*>(l.nativeWidget());
}

}

const ClassInfo& Label::ClassDescription()
{
    return ClassRegistry::Register("Label", [](ClassInfo& c) {
        c.parent = &RectControl::ClassDescription();
        c.interfaces = { "_MouseEvents" };
        c.operations = { "_MouseDown", "_MouseDrag", "_MouseUp" };
        c.declaredEvents = { "MouseDown", "MouseDrag", "MouseUp" };
        auto b = [](const char* n, auto f) { return DeclareProperty<Label, bool>(n, "b", f); };
        c.properties = {
            DeclareProperty<Label, std::string>("Text", "s", [](Label& l, const std::string& v) { l.SetText(v); }),
            DeclareProperty<Label, std::int32_t>("TextAlign", "i4", [](Label& l, std::int32_t v) { l.SetTextAlign(v); }),
            DeclareProperty<Label, Color>("TextColor", "c", [](Label& l, Color v) { l.SetTextColor(v); }),
            b("MultiLine", [](Label& l, bool v) { l.SetMultiLine(v); }),
            b("Selectable", [](Label& l, bool v) { l.Selectable = v; }),
            b("Transparent", [](Label& l, bool v) { l.Transparent = v; }),
        };
        c.factory = [] { return make<Label>(); };
    });
}

void* Label::createWidget(void* parent)
{
    return new NativeLabel(this, static_cast<QWidget*>(parent));
}

std::string Label::Text() const
{
    return native(*this) ? native(*this)->text().toStdString() : std::string();
}

void Label::SetText(const std::string& v)
{
    if (auto* l = native(*this))
        l->setText(toQString(v));
}

std::int32_t Label::TextAlign() const
{
    auto* l = native(*this);
    if (!l)
        return 0;
    if (l->alignment() & Qt::AlignHCenter)
        return 1;
    if (l->alignment() & Qt::AlignRight)
        return 2;
    return 0;
}

void Label::SetTextAlign(std::int32_t align)
{
    // 0 left, 1 centre, 2 right; anything else is the default, left.
    Qt::Alignment h = align == 1 ? Qt::AlignHCenter : align == 2 ? Qt::AlignRight : Qt::AlignLeft;
    if (auto* l = native(*this))
        l->setAlignment(h | Qt::AlignTop);
}

Color Label::TextColor() const
{
    return native(*this) ? native(*this)->color : Color {};
}

void Label::SetTextColor(Color v)
{
    auto* l = native(*this);
    if (!l)
        return;
    l->color = v;
    QPalette p = l->palette();
    p.setColor(QPalette::WindowText, QColor(v.red, v.green, v.blue));
    l->setPalette(p);
}

bool Label::MultiLine() const
{
    return native(*this) && native(*this)->wordWrap();
}

void Label::SetMultiLine(bool v)
{
    if (auto* l = native(*this))
        l->setWordWrap(v);
}

}
