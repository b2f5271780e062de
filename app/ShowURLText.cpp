#include "app/ShowURLText.h"

#include "framework/gui/SystemServices.h"

using namespace fw;

const ClassInfo& ShowURLText::ClassDescription()
{
    return ClassRegistry::Register("ShowURLText", [](ClassInfo& c) {
        c.parent = &Label::ClassDescription();
        c.interfaces = { "_MouseEvents" };
        c.operations = { "Event_MouseDown", "Event_MouseDrag", "Event_MouseUp", "Event_Open", "Event_MouseEnter", "Event_MouseExit" };
        c.implementedEvents = { "MouseDown", "MouseDrag", "MouseUp", "Open", "MouseEnter", "MouseExit" };
        c.declaredEvents = { "Action" };
        c.members = {
            Member("Event_MouseDown", "%b%i4i4", true, "Private"),
            Member("Event_MouseDrag", "%%i4i4", true, "Private"),
            Member("Event_MouseUp", "%%i4i4", true, "Private"),
            Member("Event_Open", "%%", true, "Private"),
            Member("Event_MouseEnter", "%%", true, "Private"),
            Member("Event_MouseExit", "%%", true, "Private"),
            Member("URL", "s", false, "Public"),
        };
        c.properties = {
            DeclareProperty<ShowURLText, std::string>("URL", "s", [](ShowURLText& l, const std::string& v) { l.URL = v; }),
        };
        c.factory = [] { return make<ShowURLText>(); };
    });
}

// Strict on all four sides: the left column and the top row are outside.
bool ShowURLText::inside(std::int32_t x, std::int32_t y) const
{
    return x > 0 && x < Width() && y > 0 && y < Height();
}

void ShowURLText::Event_Open()
{
    SetTextColor(LinkColor);
    SetHelpTag(URL);
}

void ShowURLText::Event_MouseEnter()
{
    SetUnderline(true);
}

void ShowURLText::Event_MouseExit()
{
    SetUnderline(false);
}

bool ShowURLText::Event_MouseDown(std::int32_t x, std::int32_t y)
{
    if (!inside(x, y))
        return false;
    SetTextColor(PressedColor);
    return true;
}

void ShowURLText::Event_MouseDrag(std::int32_t x, std::int32_t y)
{
    if (inside(x, y)) {
        SetTextColor(PressedColor);
        SetUnderline(true);
    } else {
        SetTextColor(LinkColor);
        SetUnderline(false);
    }
}

void ShowURLText::Event_MouseUp(std::int32_t x, std::int32_t y)
{
    SetTextColor(LinkColor);
    if (!inside(x, y))
        return;
    if (!raiseAction())
        ShowURL(URL);
}

bool ShowURLText::raiseAction()
{
    return ActionHandler ? ActionHandler(*this) : false;
}
