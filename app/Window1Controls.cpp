// The main window's controls: created in a fixed order from constant
// property lists, and the two events the window handles wired to it.

#include "app/Window1.h"

#include "framework/core/PropertyList.h"
#include "framework/core/Runtime.h"
#include "framework/core/RuntimeException.h"

#include <map>
#include <type_traits>

using namespace fw;

namespace {

// Texts of our own for the credit line and the link label.
constexpr const char* CreditText = "\xC2\xA9 Velmorra team \xC2\xB7 velmorra.example.org \xC2\xB7 team@velmorra.example.org";
constexpr const char* ForumHost = "forum.example.org";
constexpr const char* ForumThreadURL = "https://forum.example.org/t/velmorra-dng-version-patcher";

constexpr const char* Label2Text = "Drag Pentax K-3 .DNG files into this window to make them readable on OS X (QuickView, Preview, iPhoto, Aperture) and with the iPad Camera Connection Kit.";
constexpr const char* PopupItems = "Make Apple compatible (v1.1)\rRevert to original (v1.2)\rJust check version";

enum Lock { L = 1, T = 2, R = 4, B = 8 };

// The twelve entries every visible control's list begins with.
PropertyList common(const char* name, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
    int locks, std::int32_t tabIndex)
{
    PropertyList p;
    p.String("Name", name)
        .Int32("Index", INT32_MIN)
        .Int32("Left", left)
        .Int32("Top", top)
        .Int32("Width", width)
        .Int32("Height", height)
        .Boolean("LockLeft", locks & L)
        .Boolean("LockTop", locks & T)
        .Boolean("LockRight", locks & R)
        .Boolean("LockBottom", locks & B)
        .Int32("TabPanelIndex", 0)
        .Int32("TabIndex", tabIndex);
    return p;
}

std::string label(const char* name, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
    int locks, std::int32_t tabIndex, const char* text, std::int32_t align, bool multiline, const char* url = nullptr)
{
    PropertyList p = common(name, left, top, width, height, locks, tabIndex);
    p.String("Text", text)
        .Int32("TextAlign", align)
        .ColorValue("TextColor", { 0, 0, 0 })
        .Boolean("Multiline", multiline)
        .Boolean("Enabled", true)
        .Boolean("Visible", true)
        .Boolean("Selectable", false)
        .Boolean("Transparent", false)
        .String("HelpTag", "")
        .Boolean("AutoDeactivate", true)
        .String("TextFont", "System")
        .Boolean("Bold", false)
        .Boolean("Italic", false)
        .Boolean("Underline", false)
        .String("DataSource", "")
        .String("DataField", "")
        .String("InitialParent", "");
    if (url)
        p.String("URL", url);
    return p.bytes();
}

std::map<std::string, std::string> buildLists()
{
    std::map<std::string, std::string> lists;
    lists["filesList"] = common("filesList", 20, 139, 560, 209, L | T | R | B, 5)
                             .Boolean("TabStop", true)
                             .Boolean("Visible", true)
                             .String("HelpTag", "")
                             .Boolean("AutoDeactivate", true)
                             .Boolean("Enabled", true)
                             .Boolean("Border", true)
                             .Int32("ColumnCount", 2)
                             .String("ColumnWidths", "120")
                             .Boolean("HasHeading", true)
                             .Boolean("UseFocusRing", false)
                             .String("InitialValue", "Status\tPath")
                             .Int32("HeadingIndex", -1)
                             .Boolean("ScrollbarHorizontal", false)
                             .Boolean("ScrollBarVertical", true)
                             .Int32("GridLinesHorizontal", 0)
                             .Int32("GridLinesVertical", 0)
                             .Int32("DefaultRowHeight", -1)
                             .Int32("_ScrollWidth", -1)
                             .String("TextFont", "System")
                             .Boolean("Bold", false)
                             .Boolean("Italic", false)
                             .Boolean("Underline", false)
                             .Boolean("Hierarchical", false)
                             .Boolean("EnableDrag", false)
                             .Boolean("EnableDragReorder", false)
                             .Boolean("RequiresSelection", false)
                             .Int32("SelectionType", 0)
                             .Boolean("ColumnsResizable", true)
                             .Boolean("AutoHideScrollbars", true)
                             .String("DataSource", "")
                             .String("DataField", "")
                             .String("InitialParent", "")
                             .bytes();
    lists["converterThread"] = PropertyList().Int32("Priority", 5).Int32("StackSize", 0).bytes();
    lists["Label1"] = label("Label1", 20, 373, 560, 20, L | R | B, 7, CreditText, 0, false);
    lists["Label2"] = label("Label2", 20, 16, 560, 36, L | T | R, 0, Label2Text, 0, true);
    lists["Label3"] = label("Label3", 20, 61, 194, 20, L | T, 1, "Report your experiences here: ", 0, false);
    lists["Label4"] = label("Label4", 218, 61, 164, 20, L | T, 2, ForumHost, 1, false, ForumThreadURL);
    lists["Label5"] = label("Label5", 20, 101, 118, 20, L | T, 3, "Choose operation:", 0, false);
    lists["modePop"] = common("modePop", 144, 100, 243, 21, L | T, 4)
                           .Boolean("TabStop", true)
                           .Boolean("Enabled", true)
                           .String("InitialValue", PopupItems)
                           .Int32("ListIndex", 0)
                           .Boolean("Visible", true)
                           .String("HelpTag", "")
                           .Boolean("AutoDeactivate", true)
                           .String("TextFont", "System")
                           .Boolean("Bold", false)
                           .Boolean("Italic", false)
                           .Boolean("Underline", false)
                           .String("DataSource", "")
                           .String("DataField", "")
                           .String("InitialParent", "")
                           .bytes();
    lists["againBut"] = common("againBut", 511, 356, 69, 20, R | B, 6)
                            .Boolean("TabStop", true)
                            .String("Caption", "Again")
                            .Boolean("Default", true)
                            .Boolean("Cancel", false)
                            .Boolean("Enabled", true)
                            .Boolean("Visible", true)
                            .String("HelpTag", "")
                            .Boolean("AutoDeactivate", true)
                            .Int32("ButtonStyle", 0)
                            .String("TextFont", "System")
                            .Boolean("Bold", false)
                            .Boolean("Italic", false)
                            .Boolean("Underline", false)
                            .String("InitialParent", "")
                            .bytes();
    return lists;
}

// The invoker: reads the window through the delegate at every call and
// calls the handler with it and the sender. A window that is gone gets no
// call.
template<typename Sender>
void Delegate_IM_Invoke(Delegate& d, const Ref<Object>& sender)
{
    Ref<Object> window = d.Target();
    if (!window || !RuntimeCheckCast<Sender>(sender))
        throw NilObjectException();
    d.handler(*window, sender);
}

// The stub of one event: finds the delegate registered for that event of
// the sender and calls its invoker.
template<int Event>
void AddHandler_Stub(const Ref<Object>& sender)
{
    if (Ref<Delegate> d = sender->DelegateFor(Event))
        d->invoker(*d, sender);
}

constexpr EventStub AddHandler_Stub_0 = &AddHandler_Stub<Thread::RunEvent>;
constexpr EventStub AddHandler_Stub_15 = &AddHandler_Stub<PushButton::ActionEvent>;

}

const std::string& Window1::ControlProperties(const std::string& controlName)
{
    static const std::map<std::string, std::string> lists = buildLists();
    return lists.at(controlName);
}

void Window1::_CreateControls0()
{
    // A visible control of class C, made, constructed and added under its
    // name; from then on each step reaches it afresh through the window.
    auto visible = [this]<typename C>(std::type_identity<C>, const char* name, bool textSize) {
        Ref<Object> o = __New(C::ClassDescription());
        RuntimeCheckCast<RectControl>(o)->Constructor();
        _AddControl(o, name);
        if (textSize)
            RuntimeCheckCast<C>(_ControlByName(name))->SetTextSize(11);
        RuntimeCheckCast<C>(_ControlByName(name))->SetTextUnit(0);
        _SetProperties(*RuntimeCheckCast<C>(_ControlByName(name)), C::ClassDescription(), ControlProperties(name));
    };

    visible(std::type_identity<Listbox> {}, "filesList", true);

    {
        Ref<Object> o = __New(Window1_converterThread::ClassDescription());
        RuntimeCheckCast<Window1_converterThread>(o)->Constructor();
        _AddControl(o, "converterThread");
        auto thread = RuntimeCheckCast<Thread>(_ControlByName("converterThread"));
        _SetProperties(*thread, thread->classInfo(), ControlProperties("converterThread"));
        Delegate::Method handler = [](Object& w, const Ref<Object>& s) {
            static_cast<Window1&>(w).converterThread_Run(RuntimeCheckCast<Thread>(s));
        };
        auto d = RuntimeCreateDelegate(&Delegate_IM_Invoke<Thread>, handler, self(), "( Thread )", 1);
        RuntimeAddEventHandler(*RuntimeCheckCast<Thread>(_ControlByName("converterThread")), Thread::RunEvent, d, AddHandler_Stub_0);
    }

    visible(std::type_identity<Label> {}, "Label1", true);
    visible(std::type_identity<Label> {}, "Label2", false);
    visible(std::type_identity<Label> {}, "Label3", false);
    visible(std::type_identity<ShowURLText> {}, "Label4", false);
    visible(std::type_identity<Label> {}, "Label5", false);
    visible(std::type_identity<PopupMenu> {}, "modePop", false);
    visible(std::type_identity<PushButton> {}, "againBut", false);
    Delegate::Method handler = [](Object& w, const Ref<Object>& s) {
        static_cast<Window1&>(w).againBut_Action(RuntimeCheckCast<PushButton>(s));
    };
    auto d = RuntimeCreateDelegate(&Delegate_IM_Invoke<PushButton>, handler, self(), "( PushButton )", 1);
    RuntimeAddEventHandler(*RuntimeCheckCast<PushButton>(_ControlByName("againBut")), PushButton::ActionEvent, d, AddHandler_Stub_15);
}

Ref<Listbox> Window1::filesList() { return RuntimeCheckCast<Listbox>(_ControlByName("filesList")); }
Ref<Thread> Window1::converterThread() { return RuntimeCheckCast<Thread>(_ControlByName("converterThread")); }
Ref<Label> Window1::Label1() { return RuntimeCheckCast<Label>(_ControlByName("Label1")); }
Ref<Label> Window1::Label2() { return RuntimeCheckCast<Label>(_ControlByName("Label2")); }
Ref<Label> Window1::Label3() { return RuntimeCheckCast<Label>(_ControlByName("Label3")); }
Ref<ShowURLText> Window1::Label4() { return RuntimeCheckCast<ShowURLText>(_ControlByName("Label4")); }
Ref<Label> Window1::Label5() { return RuntimeCheckCast<Label>(_ControlByName("Label5")); }
Ref<PopupMenu> Window1::modePop() { return RuntimeCheckCast<PopupMenu>(_ControlByName("modePop")); }
Ref<PushButton> Window1::againBut() { return RuntimeCheckCast<PushButton>(_ControlByName("againBut")); }
