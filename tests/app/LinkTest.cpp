// The link label: colours, underline and tooltip through its event
// handlers, the strict inside test, and what a click opens.

#include "tests/support/AppHarness.h"

#include "framework/core/Runtime.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QMouseEvent>
#include <QWidget>

namespace {

constexpr std::uint32_t Link = 0x0000C0, Pressed = 0xC00000, Other = 0x123456;

// Sends the toolkit's own mouse event to a widget, as a real pointer would.
void mouse(QWidget* widget, QEvent::Type type, QPointF at, Qt::MouseButton button, Qt::MouseButtons held)
{
    QMouseEvent e(type, at, widget->mapToGlobal(at), button, held, Qt::NoModifier);
    QCoreApplication::sendEvent(widget, &e);
}

// What the label's widget shows: the colour it paints its text in and
// whether its font is underlined.
QWidget* shownBy(const ShowURLText& l)
{
    return static_cast<QWidget*>(l.nativeWidget());
}

std::uint32_t colour(const ShowURLText& l)
{
    return shownBy(l)->palette().color(shownBy(l)->foregroundRole()).rgb() & 0xFFFFFFu;
}

bool underlined(const ShowURLText& l)
{
    return shownBy(l)->font().underline();
}

// A link label of its own in the running window, sized as asked.
fw::Ref<ShowURLText> newLink(Window1& w, std::int32_t width, std::int32_t height, const std::string& url)
{
    auto l = fw::RuntimeCheckCast<ShowURLText>(w.__New(ShowURLText::ClassDescription()));
    l->Constructor();
    l->SetWidth(width);
    l->SetHeight(height);
    l->URL = url;
    l->Event_Open();
    return l;
}

}

TEST(Link, OpenShowsTheLinkColourAndTheAddressAsTooltip)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto l = w->Label4();
    ASSERT_TRUE(l);
    // Created black and not underlined; Open ran when the window opened.
    EXPECT_EQ(colour(*l), Link);
    EXPECT_FALSE(underlined(*l));
    ASSERT_FALSE(l->URL.empty());
    EXPECT_EQ(l->HelpTag(), l->URL);
    EXPECT_EQ(static_cast<QWidget*>(l->nativeWidget())->toolTip().toStdString(), l->URL);
    EXPECT_EQ(l->Width(), 164);
    EXPECT_EQ(l->Height(), 20);

    // Whatever colour it had, Open sets the link colour again.
    l->SetTextColor(fw::Color::FromRGB(Other));
    l->Event_Open();
    EXPECT_EQ(colour(*l), Link);
}

TEST(Link, EachEventSetsColourAndUnderlineByWhereThePointerIs)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto l = newLink(*w, 164, 20, "https://example.org/t/1");

    enum Kind { Enter, Exit, Down, Drag, Up };
    struct Case {
        const char* what;
        Kind kind;
        std::int32_t x, y;
        std::uint32_t colourBefore;
        bool underlineBefore;
        std::uint32_t colourAfter;
        bool underlineAfter;
        bool taken; // MouseDown's result
        int opened;
    };
    const Case cases[] = {
        { "enter", Enter, 0, 0, Link, false, Link, true, false, 0 },
        { "exit", Exit, 0, 0, Pressed, true, Pressed, false, false, 0 },
        { "down inside", Down, 10, 10, Link, true, Pressed, true, true, 0 },
        { "down inside, not underlined", Down, 1, 1, Link, false, Pressed, false, true, 0 },
        { "down at the far inside corner", Down, 163, 19, Other, false, Pressed, false, true, 0 },
        { "down on the left column", Down, 0, 10, Other, true, Other, true, false, 0 },
        { "down on the top row", Down, 10, 0, Other, false, Other, false, false, 0 },
        { "down at x = Width", Down, 164, 10, Other, false, Other, false, false, 0 },
        { "down at y = Height", Down, 10, 20, Other, false, Other, false, false, 0 },
        { "down left of it", Down, -5, 10, Other, false, Other, false, false, 0 },
        { "down above it", Down, 10, -1, Other, false, Other, false, false, 0 },
        { "down far outside", Down, INT32_MIN, INT32_MAX, Other, false, Other, false, false, 0 },
        { "drag inside", Drag, 50, 5, Link, false, Pressed, true, false, 0 },
        { "drag inside, already pressed", Drag, 50, 5, Pressed, true, Pressed, true, false, 0 },
        { "drag outside", Drag, 200, 5, Pressed, true, Link, false, false, 0 },
        { "drag on the left column", Drag, 0, 5, Pressed, true, Link, false, false, 0 },
        { "up inside", Up, 50, 10, Pressed, true, Link, true, false, 1 },
        { "up inside, not underlined", Up, 50, 10, Pressed, false, Link, false, false, 1 },
        { "up outside", Up, 500, 10, Pressed, true, Link, true, false, 0 },
        { "up at x = Width", Up, 164, 10, Pressed, false, Link, false, false, 0 },
        { "up at y = Height", Up, 10, 20, Pressed, false, Link, false, false, 0 },
        { "up at a negative point", Up, -1, -1, Pressed, false, Link, false, false, 0 },
        { "up on the top row", Up, 10, 0, Other, false, Link, false, false, 0 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        l->SetTextColor(fw::Color::FromRGB(c.colourBefore));
        l->SetUnderline(c.underlineBefore);
        app.openedURLs.clear();
        bool taken = false;
        switch (c.kind) {
        case Enter:
            l->Event_MouseEnter();
            break;
        case Exit:
            l->Event_MouseExit();
            break;
        case Down:
            taken = l->Event_MouseDown(c.x, c.y);
            break;
        case Drag:
            l->Event_MouseDrag(c.x, c.y);
            break;
        case Up:
            l->Event_MouseUp(c.x, c.y);
            break;
        }
        EXPECT_EQ(colour(*l), c.colourAfter);
        EXPECT_EQ(underlined(*l), c.underlineAfter);
        EXPECT_EQ(taken, c.taken);
        EXPECT_EQ(app.openedURLs, std::vector<std::string>(static_cast<std::size_t>(c.opened), "https://example.org/t/1"));
        EXPECT_EQ(l->HelpTag(), "https://example.org/t/1");
    }
}

TEST(Link, ActionHandlerDecidesWhetherTheAddressOpens)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto l = newLink(*w, 100, 20, "https://example.org/a");

    struct Case {
        const char* what;
        bool attach;
        bool result;
        int wantHandlerCalls;
        std::vector<std::string> wantOpened;
    };
    const Case cases[] = {
        { "no handler", false, false, 0, { "https://example.org/a" } },
        { "handler takes the click", true, true, 1, {} },
        { "handler leaves it", true, false, 1, { "https://example.org/a" } },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        app.openedURLs.clear();
        int calls = 0;
        std::size_t openedBeforeHandler = 99;
        l->ActionHandler = nullptr;
        if (c.attach)
            l->ActionHandler = [&](ShowURLText& sender) {
                EXPECT_EQ(&sender, l.get());
                ++calls;
                openedBeforeHandler = app.openedURLs.size();
                return c.result;
            };
        ASSERT_TRUE(l->Event_MouseDown(50, 10));
        l->Event_MouseUp(50, 10);
        EXPECT_EQ(calls, c.wantHandlerCalls);
        EXPECT_EQ(app.openedURLs, c.wantOpened);
        EXPECT_EQ(colour(*l), Link);
        if (c.attach) {
            EXPECT_EQ(openedBeforeHandler, 0u) << "Action is raised before the address opens";
        }
    }

    // A release outside raises no Action.
    int calls = 0;
    l->ActionHandler = [&](ShowURLText&) { return ++calls, false; };
    app.openedURLs.clear();
    l->Event_MouseUp(100, 10);
    EXPECT_EQ(calls, 0);
    EXPECT_TRUE(app.openedURLs.empty());
}

TEST(Link, LabelsOneOrZeroPixelsAcrossHaveNoInsidePoint)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    struct Case {
        std::int32_t width, height;
    };
    for (const Case& c : { Case { 0, 20 }, Case { 1, 20 }, Case { 100, 0 }, Case { 100, 1 }, Case { 1, 1 }, Case { 0, 0 } }) {
        SCOPED_TRACE(testing::Message() << c.width << "x" << c.height);
        auto l = newLink(*w, c.width, c.height, "https://example.org/narrow");
        ASSERT_EQ(l->Width(), c.width);
        ASSERT_EQ(l->Height(), c.height);
        app.openedURLs.clear();
        for (std::int32_t x = -1; x <= 2; ++x) {
            for (std::int32_t y = -1; y <= 2; ++y) {
                if (c.width > 2 && (x <= 0 || x >= c.width))
                    continue;
                if (c.height > 2 && (y <= 0 || y >= c.height))
                    continue;
                EXPECT_FALSE(l->Event_MouseDown(x, y)) << x << "," << y;
                EXPECT_EQ(colour(*l), Link);
                l->Event_MouseUp(x, y);
            }
        }
        EXPECT_TRUE(app.openedURLs.empty());
    }
}

TEST(Link, TheAddressIsReadAtEveryReleaseAndPassedUnchecked)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);

    auto empty = newLink(*w, 100, 20, "");
    EXPECT_EQ(empty->HelpTag(), "");
    ASSERT_TRUE(empty->Event_MouseDown(5, 5));
    empty->Event_MouseUp(5, 5);
    EXPECT_EQ(app.openedURLs, std::vector<std::string> { "" });

    // Assigned after Open: the tooltip keeps the old address, the click
    // opens the new one.
    app.openedURLs.clear();
    auto l = newLink(*w, 100, 20, "https://example.org/old");
    l->URL = "not a URL at all \t";
    EXPECT_EQ(l->HelpTag(), "https://example.org/old");
    ASSERT_TRUE(l->Event_MouseDown(5, 5));
    l->Event_MouseUp(5, 5);
    EXPECT_EQ(app.openedURLs, std::vector<std::string> { "not a URL at all \t" });
    EXPECT_EQ(l->HelpTag(), "https://example.org/old");
}

// A click delivered as the toolkit's own mouse events reaches the handlers
// and opens the address once.
TEST(Link, ARealClickOnTheLinkLabelOpensItsAddressOnce)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto l = w->Label4();
    auto* widget = static_cast<QWidget*>(l->nativeWidget());
    ASSERT_TRUE(widget);
    QPointF centre(widget->width() / 2.0, widget->height() / 2.0);

    mouse(widget, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(colour(*l), Pressed);
    EXPECT_TRUE(app.openedURLs.empty());

    mouse(widget, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(colour(*l), Link);
    EXPECT_EQ(app.openedURLs, std::vector<std::string> { l->URL });

    // A press on the left column is not taken, so its release opens nothing.
    app.openedURLs.clear();
    mouse(widget, QEvent::MouseButtonPress, QPointF(0, centre.y()), Qt::LeftButton, Qt::LeftButton);
    mouse(widget, QEvent::MouseButtonRelease, centre, Qt::LeftButton, Qt::NoButton);
    EXPECT_TRUE(app.openedURLs.empty());
    EXPECT_EQ(colour(*l), Link);
}

// Hover and drags as the toolkit reports them: the pointer over the label
// underlines it; a press dragged out and released outside opens nothing.
TEST(Link, ToolkitHoverAndDragFollowThePointer)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto l = w->Label4();
    auto* widget = static_cast<QWidget*>(l->nativeWidget());
    ASSERT_TRUE(widget);
    QPointF centre(widget->width() / 2.0, widget->height() / 2.0);
    QPointF outside(widget->width() + 40.0, centre.y());

    QEnterEvent enter(centre, centre, widget->mapToGlobal(centre));
    QCoreApplication::sendEvent(widget, &enter);
    EXPECT_TRUE(underlined(*l));

    mouse(widget, QEvent::MouseButtonPress, centre, Qt::LeftButton, Qt::LeftButton);
    EXPECT_EQ(colour(*l), Pressed);
    mouse(widget, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(colour(*l), Link);
    EXPECT_FALSE(underlined(*l));
    mouse(widget, QEvent::MouseMove, centre, Qt::NoButton, Qt::LeftButton);
    EXPECT_EQ(colour(*l), Pressed);
    EXPECT_TRUE(underlined(*l));
    mouse(widget, QEvent::MouseMove, outside, Qt::NoButton, Qt::LeftButton);
    mouse(widget, QEvent::MouseButtonRelease, outside, Qt::LeftButton, Qt::NoButton);
    EXPECT_EQ(colour(*l), Link);
    EXPECT_FALSE(underlined(*l));
    EXPECT_TRUE(app.openedURLs.empty());

    QEvent leave(QEvent::Leave);
    QCoreApplication::sendEvent(widget, &leave);
    EXPECT_FALSE(underlined(*l));
    QCoreApplication::sendEvent(widget, &enter);
    EXPECT_TRUE(underlined(*l));
    QCoreApplication::sendEvent(widget, &leave);
    EXPECT_FALSE(underlined(*l));
}
