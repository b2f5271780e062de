// The byte images of the initial-property lists and how _SetProperties
// reads them: keys matched without regard to case, values in the declared
// type's encoding, entries applied in list order.

#include "tests/support/AppHarness.h"

#include "app/ShowURLText.h"
#include "framework/core/PropertyList.h"
#include "framework/core/Runtime.h"
#include "framework/core/RuntimeException.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace {

std::string bytes(std::initializer_list<unsigned> b)
{
    std::string s;
    for (unsigned v : b)
        s.push_back(static_cast<char>(v));
    return s;
}

// One entry of a list as read back: its key, the property it names, the
// declared type and the raw value bytes.
struct Entry {
    std::string key;
    std::string property;
    std::string type;
    std::string raw;
};

std::uint32_t be32(std::string_view b)
{
    std::uint32_t v = 0;
    for (char c : b.substr(0, 4))
        v = (v << 8) | static_cast<unsigned char>(c);
    return v;
}

// Splits a list by resolving every key against cls, as the reader must: a
// value carries no length of its own but for a String.
std::vector<Entry> parse(std::string_view list, const fw::ClassInfo& cls)
{
    std::vector<Entry> out;
    std::size_t pos = 0;
    while (pos < list.size()) {
        std::size_t blank = list.find(' ', pos);
        if (blank == std::string_view::npos) {
            ADD_FAILURE() << "key without blank at " << pos;
            break;
        }
        Entry e;
        e.key = std::string(list.substr(pos, blank - pos));
        const fw::PropertyDecl* p = cls.FindProperty(e.key);
        if (!p) {
            ADD_FAILURE() << "no property " << e.key << " in " << cls.name;
            break;
        }
        e.property = p->name;
        e.type = p->type;
        pos = blank + 1;
        std::size_t n = 0;
        if (e.type == "b")
            n = 1;
        else if (e.type.starts_with("i4"))
            n = 4;
        else if (e.type == "c")
            n = 3;
        else if (e.type == "s")
            n = 4 + (pos + 4 <= list.size() ? be32(list.substr(pos)) : 0);
        if (n == 0 || pos + n > list.size()) {
            ADD_FAILURE() << "value of " << e.key << " runs past the end";
            break;
        }
        e.raw = std::string(list.substr(pos, n));
        pos += n;
        out.push_back(e);
    }
    return out;
}

std::string str(std::string_view text)
{
    std::string s = bytes({ 0, 0, 0, 0 });
    std::uint32_t n = static_cast<std::uint32_t>(text.size());
    for (int i = 0; i < 4; ++i)
        s[static_cast<std::size_t>(i)] = static_cast<char>(n >> (24 - 8 * i));
    return s + std::string(text);
}

std::string i4(std::int32_t v)
{
    auto u = static_cast<std::uint32_t>(v);
    return bytes({ u >> 24 & 0xFF, u >> 16 & 0xFF, u >> 8 & 0xFF, u & 0xFF });
}

const std::string True = bytes({ 1 }), False = bytes({ 0 });

// A property list typed out entry by entry: the key, a blank, the value.
struct Image {
    std::string bytes;
    Image& s(const char* key, std::string_view v) { return add(key, str(v)); }
    Image& i(const char* key, std::int32_t v) { return add(key, i4(v)); }
    Image& b(const char* key, bool v) { return add(key, v ? True : False); }
    Image& add(const char* key, const std::string& value)
    {
        bytes += std::string(key) + ' ' + value;
        return *this;
    }
};

// The twelve entries every visible control's list begins with.
Image common(const char* name, std::int32_t left, std::int32_t top, std::int32_t width, std::int32_t height,
    const char* locks, std::int32_t tabIndex)
{
    Image m;
    m.s("Name", name).i("Index", INT32_MIN).i("Left", left).i("Top", top).i("Width", width).i("Height", height);
    std::string_view l(locks);
    m.b("LockLeft", l.find('L') != l.npos).b("LockTop", l.find('T') != l.npos);
    m.b("LockRight", l.find('R') != l.npos).b("LockBottom", l.find('B') != l.npos);
    return m.i("TabPanelIndex", 0).i("TabIndex", tabIndex);
}

std::string labelImage(Image m, std::string_view text, std::int32_t align, bool multiline, const char* url = nullptr)
{
    m.s("Text", text).i("TextAlign", align).add("TextColor", bytes({ 0, 0, 0 })).b("Multiline", multiline);
    m.b("Enabled", true).b("Visible", true).b("Selectable", false).b("Transparent", false).s("HelpTag", "");
    m.b("AutoDeactivate", true).s("TextFont", "System").b("Bold", false).b("Italic", false).b("Underline", false);
    m.s("DataSource", "").s("DataField", "").s("InitialParent", "");
    if (url)
        m.s("URL", url);
    return m.bytes;
}

// Where two images part, with a little of each from there on.
std::string firstDifference(const std::string& got, const std::string& want)
{
    std::size_t at = 0;
    while (at < got.size() && at < want.size() && got[at] == want[at])
        ++at;
    auto show = [at](const std::string& s) { return testing::PrintToString(s.substr(std::min(at, s.size()), 24)); };
    return "first difference at byte " + std::to_string(at) + ": got " + show(got) + ", want " + show(want);
}

}

TEST(PropertyList, EncodesEachTypeBigEndianWithNoFraming)
{
    struct Case {
        const char* what;
        fw::PropertyList list;
        std::string image;
    };
    const Case cases[] = {
        { "Width 600", fw::PropertyList().Int32("Width", 600), bytes({ 0x57, 0x69, 0x64, 0x74, 0x68, 0x20, 0x00, 0x00, 0x02, 0x58 }) },
        { "Title", fw::PropertyList().String("Title", "Velmorra"),
            bytes({ 0x54, 0x69, 0x74, 0x6C, 0x65, 0x20, 0x00, 0x00, 0x00, 0x08 }) + "Velmorra" },
        { "empty String", fw::PropertyList().String("HelpTag", ""), "HelpTag " + bytes({ 0, 0, 0, 0 }) },
        { "Index lowest", fw::PropertyList().Int32("Index", INT32_MIN), "Index " + bytes({ 0x80, 0, 0, 0 }) },
        { "Int32 -1", fw::PropertyList().Int32("X", -1), "X " + bytes({ 0xFF, 0xFF, 0xFF, 0xFF }) },
        { "Visible True", fw::PropertyList().Boolean("Visible", true), bytes({ 0x56, 0x69, 0x73, 0x69, 0x62, 0x6C, 0x65, 0x20, 0x01 }) },
        { "Boolean False", fw::PropertyList().Boolean("B", false), "B " + bytes({ 0 }) },
        { "white", fw::PropertyList().ColorValue("BackColor", { 0xFF, 0xFF, 0xFF }), "BackColor " + bytes({ 0xFF, 0xFF, 0xFF }) },
        { "TAB and CR are plain bytes", fw::PropertyList().String("S", "a\tb\rc d"), "S " + bytes({ 0, 0, 0, 7 }) + "a\tb\rc d" },
        { "entries back to back", fw::PropertyList().Boolean("A", true).Int32("B", 2),
            "A " + bytes({ 1 }) + "B " + bytes({ 0, 0, 0, 2 }) },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        EXPECT_EQ(c.list.bytes(), c.image);
    }
}

TEST(PropertyList, WindowListHoldsTheTwentyOneEntries)
{
    const struct {
        const char* key;
        const char* property;
        std::string raw;
    } expected[] = {
        { "Placement", "Placement", i4(0) },
        { "Width", "Width", i4(600) },
        { "Height", "Height", i4(400) },
        { "MinWidth", "MinWidth", i4(64) },
        { "MinHeight", "MinHeight", i4(64) },
        { "MaxWidth", "MaxWidth", i4(32000) },
        { "MaxHeight", "MaxHeight", i4(32000) },
        { "Frame", "Frame", i4(0) },
        { "Composite", "Composite", False },
        { "HasBackColor", "HasBackColor", False },
        { "BackColor", "BackColor", bytes({ 0xFF, 0xFF, 0xFF }) },
        { "Title", "Title", str("Velmorra") },
        { "Visible", "Visible", True },
        { "FullScreen", "FullScreen", False },
        { "MenuBarVisible", "MenuBarVisible", True },
        { "CloseButton", "CloseButton", True },
        { "Resizeable", "Resizeable", True },
        { "LiveResize", "LiveResize", True },
        { "MaximizeButton", "MaximizeButton", False },
        { "MinimizeButton", "MinimizeButton", True },
        { "MacProcID", "MacProcId", i4(0) },
    };
    const std::string& list = Window1::WindowProperties();
    auto entries = parse(list, Window1::ClassDescription());
    ASSERT_EQ(entries.size(), std::size(expected));
    for (std::size_t i = 0; i < entries.size(); ++i) {
        SCOPED_TRACE(expected[i].key);
        EXPECT_EQ(entries[i].key, expected[i].key);
        EXPECT_EQ(entries[i].property, expected[i].property);
        EXPECT_EQ(entries[i].raw, expected[i].raw);
    }
    EXPECT_EQ(list.find("Width "), 14u);
    EXPECT_EQ(list.substr(14, 10), bytes({ 0x57, 0x69, 0x64, 0x74, 0x68, 0x20, 0x00, 0x00, 0x02, 0x58 }));
}

TEST(PropertyList, ControlListsBeginWithTheCommonTwelveAndHaveTheirLength)
{
    testsupport::AppHarness app; // the classes are registered by start-up
    struct Case {
        const char* name;
        const fw::ClassInfo& cls;
        std::int32_t left, top, width, height;
        bool l, t, r, b;
        std::int32_t tabIndex;
        std::size_t entries;
    };
    const Case cases[] = {
        { "filesList", fw::Listbox::ClassDescription(), 20, 139, 560, 209, true, true, true, true, 5, 44 },
        { "Label1", fw::Label::ClassDescription(), 20, 373, 560, 20, true, false, true, true, 7, 29 },
        { "Label2", fw::Label::ClassDescription(), 20, 16, 560, 36, true, true, true, false, 0, 29 },
        { "Label3", fw::Label::ClassDescription(), 20, 61, 194, 20, true, true, false, false, 1, 29 },
        { "Label4", ShowURLText::ClassDescription(), 218, 61, 164, 20, true, true, false, false, 2, 30 },
        { "Label5", fw::Label::ClassDescription(), 20, 101, 118, 20, true, true, false, false, 3, 29 },
        { "modePop", fw::PopupMenu::ClassDescription(), 144, 100, 243, 21, true, true, false, false, 4, 26 },
        { "againBut", fw::PushButton::ClassDescription(), 511, 356, 69, 20, false, false, true, true, 6, 26 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        auto e = parse(Window1::ControlProperties(c.name), c.cls);
        ASSERT_EQ(e.size(), c.entries);
        const std::pair<const char*, std::string> common[] = {
            { "Name", str(c.name) },
            { "Index", bytes({ 0x80, 0x00, 0x00, 0x00 }) },
            { "Left", i4(c.left) },
            { "Top", i4(c.top) },
            { "Width", i4(c.width) },
            { "Height", i4(c.height) },
            { "LockLeft", c.l ? True : False },
            { "LockTop", c.t ? True : False },
            { "LockRight", c.r ? True : False },
            { "LockBottom", c.b ? True : False },
            { "TabPanelIndex", i4(0) },
            { "TabIndex", i4(c.tabIndex) },
        };
        for (std::size_t i = 0; i < std::size(common); ++i) {
            EXPECT_EQ(e[i].key, common[i].first);
            EXPECT_EQ(e[i].raw, common[i].second) << common[i].first;
        }
        // No list sets the text size or unit: those are assigned directly.
        for (auto& entry : e) {
            EXPECT_NE(entry.property, "TextSize");
            EXPECT_NE(entry.property, "TextUnit");
        }
    }
}

TEST(PropertyList, ControlListsCarryTheirDistinctiveValues)
{
    testsupport::AppHarness app;
    EXPECT_EQ(Window1::ControlProperties("converterThread"),
        "Priority " + bytes({ 0, 0, 0, 5 }) + "StackSize " + bytes({ 0, 0, 0, 0 }));

    auto find = [](const std::vector<Entry>& e, const char* key) {
        for (auto& entry : e)
            if (entry.key == key)
                return entry;
        ADD_FAILURE() << "no entry " << key;
        return Entry {};
    };

    auto pop = parse(Window1::ControlProperties("modePop"), fw::PopupMenu::ClassDescription());
    std::string items = "Make Apple compatible (v1.1)\rRevert to original (v1.2)\rJust check version";
    ASSERT_EQ(items.size(), 73u);
    EXPECT_EQ(find(pop, "InitialValue").raw, bytes({ 0, 0, 0, 73 }) + items);
    EXPECT_EQ(find(pop, "ListIndex").raw, i4(0));
    EXPECT_EQ(find(pop, "HelpTag").raw, bytes({ 0, 0, 0, 0 }));

    auto list = parse(Window1::ControlProperties("filesList"), fw::Listbox::ClassDescription());
    EXPECT_EQ(find(list, "InitialValue").raw, bytes({ 0, 0, 0, 11 }) + "Status\tPath");
    EXPECT_EQ(find(list, "ColumnWidths").raw, str("120"));
    EXPECT_EQ(find(list, "ScrollbarHorizontal").property, "ScrollBarHorizontal");
    EXPECT_EQ(find(list, "ScrollbarHorizontal").raw, False);
    EXPECT_EQ(find(list, "ScrollBarVertical").raw, True);
    EXPECT_EQ(find(list, "HeadingIndex").raw, i4(-1));
    // The columns and headings must be known before the headings' text.
    std::size_t columnCount = 0, hasHeading = 0, initial = 0;
    for (std::size_t i = 0; i < list.size(); ++i) {
        if (list[i].key == "ColumnCount")
            columnCount = i;
        if (list[i].key == "HasHeading")
            hasHeading = i;
        if (list[i].key == "InitialValue")
            initial = i;
    }
    EXPECT_LT(columnCount, initial);
    EXPECT_LT(hasHeading, initial);

    auto but = parse(Window1::ControlProperties("againBut"), fw::PushButton::ClassDescription());
    EXPECT_EQ(find(but, "Caption").raw, str("Again"));
    EXPECT_EQ(find(but, "Default").raw, True);
    EXPECT_EQ(find(but, "Cancel").raw, False);
    EXPECT_EQ(find(but, "ButtonStyle").type, "i4<PushButton.ButtonFrameStyle>");

    auto link = parse(Window1::ControlProperties("Label4"), ShowURLText::ClassDescription());
    EXPECT_EQ(link.back().key, "URL");
    EXPECT_EQ(find(link, "TextAlign").raw, i4(1));
    auto label2 = parse(Window1::ControlProperties("Label2"), fw::Label::ClassDescription());
    EXPECT_EQ(find(label2, "Multiline").property, "MultiLine");
    EXPECT_EQ(find(label2, "Multiline").raw, True);
    EXPECT_EQ(find(label2, "TextColor").raw, bytes({ 0, 0, 0 }));
}

// Every control's list, byte for byte, typed out from the table of its
// entries.
TEST(PropertyList, ControlListsAreTheseBytes)
{
    testsupport::AppHarness app;
    Image files = common("filesList", 20, 139, 560, 209, "LTRB", 5);
    files.b("TabStop", true).b("Visible", true).s("HelpTag", "").b("AutoDeactivate", true).b("Enabled", true);
    files.b("Border", true).i("ColumnCount", 2).s("ColumnWidths", "120").b("HasHeading", true);
    files.b("UseFocusRing", false).s("InitialValue", "Status\tPath").i("HeadingIndex", -1);
    files.b("ScrollbarHorizontal", false).b("ScrollBarVertical", true).i("GridLinesHorizontal", 0);
    files.i("GridLinesVertical", 0).i("DefaultRowHeight", -1).i("_ScrollWidth", -1).s("TextFont", "System");
    files.b("Bold", false).b("Italic", false).b("Underline", false).b("Hierarchical", false);
    files.b("EnableDrag", false).b("EnableDragReorder", false).b("RequiresSelection", false);
    files.i("SelectionType", 0).b("ColumnsResizable", true).b("AutoHideScrollbars", true);
    files.s("DataSource", "").s("DataField", "").s("InitialParent", "");

    Image pop = common("modePop", 144, 100, 243, 21, "LT", 4);
    pop.b("TabStop", true).b("Enabled", true);
    pop.s("InitialValue", "Make Apple compatible (v1.1)\rRevert to original (v1.2)\rJust check version");
    pop.i("ListIndex", 0).b("Visible", true).s("HelpTag", "").b("AutoDeactivate", true).s("TextFont", "System");
    pop.b("Bold", false).b("Italic", false).b("Underline", false);
    pop.s("DataSource", "").s("DataField", "").s("InitialParent", "");

    Image button = common("againBut", 511, 356, 69, 20, "RB", 6);
    button.b("TabStop", true).s("Caption", "Again").b("Default", true).b("Cancel", false).b("Enabled", true);
    button.b("Visible", true).s("HelpTag", "").b("AutoDeactivate", true).i("ButtonStyle", 0);
    button.s("TextFont", "System").b("Bold", false).b("Italic", false).b("Underline", false).s("InitialParent", "");

    const std::pair<const char*, std::string> cases[] = {
        { "filesList", files.bytes },
        { "converterThread", Image().i("Priority", 5).i("StackSize", 0).bytes },
        { "Label1", labelImage(common("Label1", 20, 373, 560, 20, "LRB", 7),
                        "\xC2\xA9 Velmorra team \xC2\xB7 velmorra.example.org \xC2\xB7 team@velmorra.example.org", 0, false) },
        { "Label2", labelImage(common("Label2", 20, 16, 560, 36, "LTR", 0),
                        "Drag Pentax K-3 .DNG files into this window to make them readable on OS X (QuickView, Preview, "
                        "iPhoto, Aperture) and with the iPad Camera Connection Kit.",
                        0, true) },
        { "Label3", labelImage(common("Label3", 20, 61, 194, 20, "LT", 1), "Report your experiences here: ", 0, false) },
        { "Label4", labelImage(common("Label4", 218, 61, 164, 20, "LT", 2), "forum.example.org", 1, false,
                        "https://forum.example.org/t/velmorra-dng-version-patcher") },
        { "Label5", labelImage(common("Label5", 20, 101, 118, 20, "LT", 3), "Choose operation:", 0, false) },
        { "modePop", pop.bytes },
        { "againBut", button.bytes },
    };
    for (const auto& [name, image] : cases) {
        SCOPED_TRACE(name);
        const std::string& list = Window1::ControlProperties(name);
        EXPECT_TRUE(list == image) << firstDifference(list, image);
    }
}

// Keys resolve to the declared property whatever their letter case.
TEST(PropertyList, KeysMatchPropertiesWithoutRegardToCase)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    const fw::PropertyDecl* macProcId = Window1::ClassDescription().FindProperty("MacProcID");
    ASSERT_TRUE(macProcId);
    EXPECT_EQ(macProcId->name, "MacProcId");

    auto label = fw::RuntimeCheckCast<fw::Label>(w->__New(fw::Label::ClassDescription()));
    ASSERT_TRUE(label);
    label->Constructor();
    ASSERT_FALSE(label->MultiLine());
    struct Case {
        const char* key;
        bool value;
    };
    for (const Case& c : { Case { "Multiline", true }, Case { "MULTILINE", false }, Case { "multiline", true } }) {
        SCOPED_TRACE(c.key);
        fw::_SetProperties(*label, label->classInfo(), fw::PropertyList().Boolean(c.key, c.value).bytes());
        EXPECT_EQ(label->MultiLine(), c.value);
    }
    // A property declared by a subclass resolves the same way.
    auto link = fw::RuntimeCheckCast<ShowURLText>(w->__New(ShowURLText::ClassDescription()));
    link->Constructor();
    fw::_SetProperties(*link, link->classInfo(), fw::PropertyList().String("url", "https://a.example/").Boolean("UNDERLINE", true).bytes());
    EXPECT_EQ(link->URL, "https://a.example/");
    EXPECT_TRUE(link->Underline());
}

TEST(PropertyList, EntriesApplyInListOrder)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto newList = [&] {
        auto l = fw::RuntimeCheckCast<fw::Listbox>(w->__New(fw::Listbox::ClassDescription()));
        l->Constructor();
        return l;
    };

    // The later of two assignments wins.
    auto label = fw::RuntimeCheckCast<fw::Label>(w->__New(fw::Label::ClassDescription()));
    label->Constructor();
    fw::_SetProperties(*label, label->classInfo(), fw::PropertyList().Int32("Width", 100).String("Text", "a").Int32("Width", 37).String("Text", "b").bytes());
    EXPECT_EQ(label->Width(), 37);
    EXPECT_EQ(label->Text(), "b");

    // Heading switched on before the initial value: the value is the headings.
    auto headed = newList();
    fw::_SetProperties(*headed, headed->classInfo(),
        fw::PropertyList().Int32("ColumnCount", 2).Boolean("HasHeading", true).String("InitialValue", "Status\tPath").bytes());
    EXPECT_EQ(headed->Heading(0), "Status");
    EXPECT_EQ(headed->Heading(1), "Path");
    EXPECT_EQ(headed->ListCount(), 0);

    // The other way round, the value was a first row by the time headings came.
    auto unheaded = newList();
    fw::_SetProperties(*unheaded, unheaded->classInfo(),
        fw::PropertyList().Int32("ColumnCount", 2).String("InitialValue", "Status\tPath").Boolean("HasHeading", true).bytes());
    EXPECT_EQ(unheaded->Heading(0), "");
    ASSERT_EQ(unheaded->ListCount(), 1);
    EXPECT_EQ(unheaded->Cell(0, 0), "Status");
    EXPECT_EQ(unheaded->Cell(0, 1), "Path");
}

TEST(PropertyList, ValuesAreReadInTheDeclaredEncoding)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto label = fw::RuntimeCheckCast<fw::Label>(w->__New(fw::Label::ClassDescription()));
    label->Constructor();
    // Bytes that read as another key if the length were taken wrongly.
    std::string list = "Text " + bytes({ 0, 0, 0, 10 }) + "Left \t\r x " + "Index " + bytes({ 0x80, 0, 0, 0 })
        + "TextColor " + bytes({ 0x12, 0x34, 0x56 }) + "Left " + bytes({ 0, 0, 0x01, 0x02 }) + "Visible " + bytes({ 0 });
    fw::_SetProperties(*label, label->classInfo(), list);
    EXPECT_EQ(label->Text(), "Left \t\r x ");
    EXPECT_EQ(label->Index, INT32_MIN);
    EXPECT_EQ(label->TextColor().rgb(), 0x123456u);
    EXPECT_EQ(label->Left(), 0x102);
    EXPECT_FALSE(label->Visible());
}
