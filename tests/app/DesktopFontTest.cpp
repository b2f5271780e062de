// The main window at the desktop's own font: the layout grows with the font
// so that every text shows whole, stays as drawn at the 9-point default,
// and its controls keep following their locks.

#include "tests/support/AppHarness.h"

#include "framework/core/Runtime.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QComboBox>
#include <QFontInfo>
#include <QLabel>
#include <QMainWindow>
#include <QMouseEvent>
#include <QPushButton>
#include <QScreen>
#include <QStyle>
#include <QStyleOption>
#include <cmath>
#include <map>
#include <ostream>
#include <vector>

namespace {

const char* const Visible[] = { "filesList", "Label1", "Label2", "Label3", "Label4", "Label5", "modePop", "againBut" };

// The families users meet: Debian's own default, the one most desktops
// (KDE Plasma among them) set, and GNOME's.
struct Family {
    const char* name;
    const char* package; // the Debian package that has it
};
const Family Families[] = { { "DejaVu Sans", "fonts-dejavu-core" }, { "Noto Sans", "fonts-noto-core" },
    { "Cantarell", "fonts-cantarell" } };

QWidget* widgetOf(Window1& w, const char* name)
{
    return static_cast<QWidget*>(fw::RuntimeCheckCast<fw::RectControl>(w._ControlByName(name))->nativeWidget());
}

QSize contentSize(Window1& w)
{
    return static_cast<QWidget*>(w.nativeContent())->size();
}

// Where a control's text is painted: a label's text where its alignment puts
// it, anything else its whole box.
QRect inkOf(QWidget* widget)
{
    auto* label = qobject_cast<QLabel*>(widget);
    if (!label)
        return widget->geometry();
    QSize text = label->wordWrap() ? QSize(label->width(), label->heightForWidth(label->width())) : label->sizeHint();
    return QStyle::alignedRect(label->layoutDirection(), label->alignment(), text, label->geometry());
}

void expectLabelFits(QLabel* label)
{
    if (label->wordWrap()) {
        EXPECT_LE(label->heightForWidth(label->width()), label->height()) << "lines cut off";
        return;
    }
    EXPECT_LE(label->sizeHint().width(), label->width()) << "text cut off at the right";
    EXPECT_LE(label->sizeHint().height(), label->height()) << "text cut off at the bottom";
}

// The combo's size hint covers its longest item; each item must also fit the
// field the closed popup shows it in.
void expectPopupFits(QComboBox* combo)
{
    EXPECT_LE(combo->sizeHint().width(), combo->width());
    QStyleOptionComboBox opt;
    opt.initFrom(combo);
    QRect field = combo->style()->subControlRect(QStyle::CC_ComboBox, &opt, QStyle::SC_ComboBoxEditField, combo);
    QFontMetrics m(combo->font());
    EXPECT_LE(m.height(), field.height());
    for (int i = 0; i < combo->count(); ++i)
        EXPECT_LE(m.horizontalAdvance(combo->itemText(i)) + 2, field.width()) << combo->itemText(i).toStdString();
}

// A button's size hint asks for a style minimum width whatever its text, so
// the text is measured against the room the style leaves it.
void expectButtonFits(QPushButton* button)
{
    QStyleOptionButton opt;
    opt.initFrom(button);
    opt.text = button->text();
    if (button->isDefault())
        opt.features |= QStyleOptionButton::DefaultButton;
    QRect room = button->style()->subElementRect(QStyle::SE_PushButtonContents, &opt, button);
    QFontMetrics m(button->font());
    EXPECT_LE(m.horizontalAdvance(button->text()), room.width());
    EXPECT_LE(m.height(), room.height());
}

struct FontCase {
    const char* family;
    const char* package;
    double points;
};

void PrintTo(const FontCase& f, std::ostream* os)
{
    *os << f.family << " " << f.points << " pt";
}

std::vector<FontCase> everyFamilyAt9To12Points()
{
    std::vector<FontCase> cases;
    for (const Family& family : Families)
        for (double points : { 9.0, 10.0, 11.0, 12.0 })
            cases.push_back({ family.name, family.package, points });
    return cases;
}

class DesktopFontSize : public testing::TestWithParam<FontCase> { };

}

TEST_P(DesktopFontSize, EveryTextShowsWholeAndNoTextRunsUnderAnotherControl)
{
    const FontCase& c = GetParam();
    testsupport::AppHarness app(testsupport::DesktopFont(QString::fromLatin1(c.family), c.points));
    auto w = app.window();
    ASSERT_TRUE(w);
    // A missing font would be silently replaced by another, and the case
    // would measure that one.
    ASSERT_EQ(QFontInfo(QApplication::font()).family().toStdString(), c.family)
        << "the font is not installed: ./dev.sh test installs " << c.package;
    ASSERT_EQ(QApplication::font().pointSizeF(), c.points); // kept, never shrunk to fit

    // The layout keeps its numbers; only the pixels per unit grow, and the
    // screen has room for the whole window.
    const double scale = w->LayoutScale();
    EXPECT_EQ(w->Width(), 600);
    EXPECT_EQ(w->Height(), 400);
    EXPECT_GE(scale, 1.0);
    EXPECT_EQ(contentSize(*w), QSize(std::lround(600 * scale), std::lround(400 * scale)));
    if (std::string(c.family) == "DejaVu Sans" && c.points == 9) {
        EXPECT_EQ(scale, 1.0);
    }
    const QSize size = contentSize(*w);
    RecordProperty("window", std::to_string(size.width()) + " x " + std::to_string(size.height()));

    for (const char* name : { "Label1", "Label2", "Label3", "Label4", "Label5" }) {
        SCOPED_TRACE(name);
        expectLabelFits(qobject_cast<QLabel*>(widgetOf(*w, name)));
    }
    {
        SCOPED_TRACE("modePop");
        expectPopupFits(qobject_cast<QComboBox*>(widgetOf(*w, "modePop")));
    }
    {
        SCOPED_TRACE("againBut");
        expectButtonFits(qobject_cast<QPushButton*>(widgetOf(*w, "againBut")));
    }

    // The credit line's box reaches under the button by design; its text
    // must not.
    for (const char* a : Visible) {
        for (const char* b : Visible) {
            if (std::string(a) < b) {
                EXPECT_FALSE(inkOf(widgetOf(*w, a)).intersects(inkOf(widgetOf(*w, b)))) << a << " and " << b;
            }
        }
    }
}

INSTANTIATE_TEST_SUITE_P(Families, DesktopFontSize, testing::ValuesIn(everyFamilyAt9To12Points()),
    [](const testing::TestParamInfo<FontCase>& info) {
        std::string name;
        for (const char* p = info.param.family; *p; ++p)
            if (*p != ' ')
                name += *p;
        return name + "_" + std::to_string(static_cast<int>(info.param.points)) + "pt";
    });

// At a larger font the controls keep their distances to the edges they are
// locked to, in pixels, and resizing back puts every one where it was.
TEST(DesktopFont, LocksHoldAtALargerFont)
{
    testsupport::AppHarness app(testsupport::DesktopFont(QStringLiteral("DejaVu Sans"), 12));
    auto w = app.window();
    ASSERT_TRUE(w);
    ASSERT_GT(w->LayoutScale(), 1.0);
    QWidget* content = static_cast<QWidget*>(w->nativeContent());
    std::map<std::string, QRect> before;
    for (const char* name : Visible)
        before[name] = widgetOf(*w, name)->geometry();
    auto gaps = [&](const char* name) {
        QRect r = widgetOf(*w, name)->geometry();
        return std::pair { content->width() - r.x() - r.width(), content->height() - r.y() - r.height() };
    };
    auto listGaps = gaps("filesList"), buttonGaps = gaps("againBut"), creditGaps = gaps("Label1");

    w->SetWidth(900);
    w->SetHeight(700);
    ASSERT_TRUE(app.runUntil([&] { return w->Width() == 900 && w->Height() == 700; }, 2000));
    EXPECT_GT(content->width(), 900);
    EXPECT_EQ(gaps("filesList"), listGaps);
    EXPECT_EQ(gaps("againBut"), buttonGaps);
    EXPECT_EQ(gaps("Label1"), creditGaps);
    EXPECT_EQ(widgetOf(*w, "againBut")->size(), before["againBut"].size());
    EXPECT_EQ(widgetOf(*w, "filesList")->pos(), before["filesList"].topLeft());
    for (const char* name : { "Label3", "Label4", "Label5", "modePop" })
        EXPECT_EQ(widgetOf(*w, name)->geometry(), before[name]) << name;
    // In layout units the list grew by exactly the window's growth.
    EXPECT_EQ(w->filesList()->Width(), 860);
    EXPECT_EQ(w->filesList()->Height(), 509);

    w->SetWidth(600);
    w->SetHeight(400);
    ASSERT_TRUE(app.runUntil([&] { return w->Width() == 600 && w->Height() == 400; }, 2000));
    for (const char* name : Visible)
        EXPECT_EQ(widgetOf(*w, name)->geometry(), before[name]) << name;
}

// The link label's handlers take the pointer in layout units like its size,
// so the whole label stays a link at a larger font.
TEST(DesktopFont, LinkTakesClicksAcrossItsWholeWidthAtALargerFont)
{
    testsupport::AppHarness app(testsupport::DesktopFont(QStringLiteral("DejaVu Sans"), 12));
    auto w = app.window();
    ASSERT_TRUE(w);
    ASSERT_GT(w->LayoutScale(), 1.0);
    QWidget* link = widgetOf(*w, "Label4");
    auto click = [&](QPointF at) {
        app.openedURLs.clear();
        for (QEvent::Type type : { QEvent::MouseButtonPress, QEvent::MouseButtonRelease }) {
            QMouseEvent e(type, at, link->mapToGlobal(at), Qt::LeftButton,
                type == QEvent::MouseButtonPress ? Qt::LeftButton : Qt::NoButton, Qt::NoModifier);
            QCoreApplication::sendEvent(link, &e);
        }
        return app.openedURLs.size();
    };
    const double right = link->width(), bottom = link->height();
    EXPECT_EQ(click({ right - 3, bottom - 3 }), 1u) << "near the lower right corner";
    EXPECT_EQ(click({ right / 2, bottom / 2 }), 1u) << "in the middle";
    EXPECT_EQ(click({ right + 2, bottom / 2 }), 0u) << "right of it";
}

// Tiny and huge desktop fonts, and one given in pixels: the window opens no
// larger than the screen's free area and never smaller than drawn. In another
// style the menu bar shown may be taller than it said it would be before.
struct ExtremeFont {
    const char* name;
    double points;
    int pixels;
    const char* style = nullptr;
};

void PrintTo(const ExtremeFont& f, std::ostream* os)
{
    *os << f.name;
}

class DesktopFontExtreme : public testing::TestWithParam<ExtremeFont> { };

TEST_P(DesktopFontExtreme, WindowOpensWithinTheScreen)
{
    const ExtremeFont& c = GetParam();
    QFont font(QStringLiteral("DejaVu Sans"));
    if (c.pixels)
        font.setPixelSize(c.pixels);
    else
        font.setPointSizeF(c.points);
    if (c.style) {
        // Set before the toolkit starts; it ends with the run.
        QApplication::setStyle(QString::fromLatin1(c.style));
    }
    testsupport::AppHarness app(font);
    auto w = app.window();
    ASSERT_TRUE(w);
    auto* top = static_cast<QMainWindow*>(w->nativeWindow());
    if (c.style) {
        ASSERT_EQ(top->style()->name().toStdString(), QString::fromLatin1(c.style).toLower().toStdString());
    }
    EXPECT_GE(w->LayoutScale(), 1.0);
    QSize room = top->screen()->availableGeometry().size();
    EXPECT_LE(top->width(), room.width());
    EXPECT_LE(top->height(), room.height());
    if (c.points == 6) {
        EXPECT_EQ(w->LayoutScale(), 1.0);
        EXPECT_EQ(contentSize(*w), QSize(600, 400));
    }
    // The credit line's own text size is counted against the desktop's,
    // whether that is given in points or in pixels.
    EXPECT_LT(QFontInfo(widgetOf(*w, "Label1")->font()).pixelSize(), QFontInfo(widgetOf(*w, "Label3")->font()).pixelSize());
}

INSTANTIATE_TEST_SUITE_P(Fonts, DesktopFontExtreme,
    testing::Values(ExtremeFont { "6pt", 6, 0 }, ExtremeFont { "24pt", 24, 0 }, ExtremeFont { "16px", 0, 16 },
        ExtremeFont { "24pt_WindowsStyle", 24, 0, "Windows" }),
    [](const testing::TestParamInfo<ExtremeFont>& info) { return std::string(info.param.name); });
