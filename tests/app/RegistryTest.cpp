// The class records the application registers: each class once, under its
// full name, with its members' signatures and scopes.

#include "tests/support/AppHarness.h"

#include "app/App.h"
#include "app/MenuBar1.h"
#include "app/ShowURLText.h"
#include "framework/core/ClassRegistry.h"

#include <gtest/gtest.h>

#include <algorithm>

namespace {

struct MemberRow {
    const char* name;
    const char* signature;
    bool isVirtual;
    const char* scope;
    bool hidden;
};

// Window1's own members, in the order of its member list.
const MemberRow Window1Members[] = {
    { "Layout", "%%", true, "Public", false },
    { "CreateControls", "%%", true, "Public", false },
    { "_CreateControls0", "%%", true, "Public", true },
    { "filesList", "%o<Listbox>%", true, "Public", false },
    { "converterThread", "%o<Thread>%", true, "Public", false },
    { "Label1", "%o<Label>%", true, "Public", false },
    { "Label2", "%o<Label>%", true, "Public", false },
    { "Label3", "%o<Label>%", true, "Public", false },
    { "Label4", "%o<ShowURLText>%", true, "Public", false },
    { "Label5", "%o<Label>%", true, "Public", false },
    { "modePop", "%o<PopupMenu>%", true, "Public", false },
    { "againBut", "%o<PushButton>%", true, "Public", false },
    { "converterThread_Run", "%%o<Thread>", true, "Public", false },
    { "againBut_Action", "%%o<PushButton>", true, "Public", false },
    { "EditMenu", "%o<MenuItem>%", true, "Public", false },
    { "EditSelectAll", "%o<MenuItem>%", true, "Public", false },
    { "UntitledMenu0", "%o<MenuItem>%", true, "Public", false },
    { "EditClear", "%o<MenuItem>%", true, "Public", false },
    { "EditPaste", "%o<MenuItem>%", true, "Public", false },
    { "EditCopy", "%o<MenuItem>%", true, "Public", false },
    { "EditCut", "%o<MenuItem>%", true, "Public", false },
    { "UntitledMenu1", "%o<MenuItem>%", true, "Public", false },
    { "EditUndo", "%o<MenuItem>%", true, "Public", false },
    { "FileMenu", "%o<MenuItem>%", true, "Public", false },
    { "FileQuit", "%o<QuitMenuItem>%", true, "Public", false },
    { "Event_Open", "%%", true, "Public", false },
    { "Event_DropObject", "%%o<DragItem>i4", true, "Public", false },
    { "processFiles", "%%A1o<FolderItem>", false, "Private", false },
    { "addDirContents", "%%o<FolderItem>A1o<FolderItem>", false, "Private", false },
    { "convertFile", "%%o<FolderItem>&s", false, "Private", false },
    { "mMode", "i4", false, "Private", false },
};

void expectMembers(const fw::ClassInfo& cls, const MemberRow* rows, std::size_t count)
{
    ASSERT_EQ(cls.members.size(), count);
    for (std::size_t i = 0; i < count; ++i) {
        const MemberRow& row = rows[i];
        const fw::MemberRecord& m = cls.members[i];
        SCOPED_TRACE(row.name);
        EXPECT_EQ(m.name, row.name);
        EXPECT_EQ(m.signature, row.signature);
        EXPECT_EQ(m.isVirtual, row.isVirtual);
        EXPECT_EQ(m.Attribute("__Scope"), row.scope);
        EXPECT_EQ(m.HasAttribute("Hidden"), row.hidden);
        // No attribute beyond the scope and, on one member, Hidden.
        EXPECT_EQ(m.attributes.size(), row.hidden ? 2u : 1u);
    }
}

}

TEST(Registry, Window1ListsItsMembersWithSignaturesAndScopes)
{
    testsupport::AppHarness app;
    const fw::ClassInfo* cls = fw::ClassRegistry::Lookup("Window1.Window1");
    ASSERT_TRUE(cls);
    EXPECT_EQ(cls->scope, "Public");
    EXPECT_EQ(cls->parent, &fw::Window::ClassDescription());
    expectMembers(*cls, Window1Members, std::size(Window1Members));

    // The window's operations come first, in the window's own order, and
    // none of them is overridden.
    std::vector<std::string> table = cls->AllOperations();
    std::vector<std::string> inherited = fw::Window::ClassDescription().AllOperations();
    ASSERT_GE(table.size(), inherited.size());
    EXPECT_TRUE(std::equal(inherited.begin(), inherited.end(), table.begin()));
    std::vector<std::string> own(table.begin() + static_cast<std::ptrdiff_t>(inherited.size()), table.end());
    std::vector<std::string> virtuals;
    for (const MemberRow& row : Window1Members)
        if (row.isVirtual)
            virtuals.push_back(row.name);
    EXPECT_EQ(own, virtuals);

    EXPECT_EQ(cls->implementedEvents, (std::vector<std::string> { "Layout", "CreateControls", "Open", "DropObject" }));
}

TEST(Registry, LookingUpAgainGivesTheSameRecordUnchanged)
{
    testsupport::AppHarness app;
    const fw::ClassInfo* first = fw::ClassRegistry::Lookup("Window1.Window1");
    ASSERT_TRUE(first);
    EXPECT_EQ(first, &Window1::ClassDescription());
    EXPECT_EQ(first, &app.window()->classInfo());

    bool rebuilt = false;
    const fw::ClassInfo& again = fw::ClassRegistry::Register("Window1.Window1", [&](fw::ClassInfo& c) {
        rebuilt = true;
        c.members.clear();
    });
    EXPECT_FALSE(rebuilt);
    EXPECT_EQ(&again, first);
    EXPECT_EQ(fw::ClassRegistry::Lookup("Window1.Window1"), first);
    expectMembers(*first, Window1Members, std::size(Window1Members));
}

TEST(Registry, AppHasOnlyItsEmptyConstructor)
{
    testsupport::AppHarness app;
    const fw::ClassInfo* cls = fw::ClassRegistry::Lookup("App");
    ASSERT_TRUE(cls);
    EXPECT_EQ(cls, &App::ClassDescription());
    EXPECT_EQ(cls->parent, &fw::Application::ClassDescription());
    const MemberRow rows[] = { { "Constructor", "%%", true, "Public", false } };
    expectMembers(*cls, rows, std::size(rows));
    EXPECT_TRUE(cls->implementedEvents.empty());
    // Application's operations unchanged, then the constructor.
    const std::vector<std::string> table = { "NewDocument", "OpenDocument", "DoEvents", "_AddMenuHandler",
        "_AddPollableObject", "_RemovePollableObject", "AddTrayItem", "RemoveTrayItem", "YieldToNextThread",
        "SleepCurrentThread", "_DoSingleEvent", "_EnableMenuItems", "_CallOpen", "_HandleMenuCommand",
        "_LoadPictureFromBundle", "_LoadBundleSound", "__DependencyList", "Constructor" };
    EXPECT_EQ(cls->AllOperations(), table);
    // The application object is an App.
    ASSERT_TRUE(fw::RuntimeApplication());
    EXPECT_EQ(&fw::RuntimeApplication()->classInfo(), cls);
}

// The link label: Label's operations unchanged (its mouse-event interface
// included), then its six handlers in order; one event of its own, Action,
// after every inherited one; and URL, a String property the window's list
// assigns by name.
TEST(Registry, LinkLabelHasItsSixHandlersItsActionAndItsURL)
{
    testsupport::AppHarness app;
    const fw::ClassInfo* cls = fw::ClassRegistry::Lookup("ShowURLText");
    ASSERT_TRUE(cls);
    EXPECT_EQ(cls, &ShowURLText::ClassDescription());
    EXPECT_EQ(cls->parent, &fw::Label::ClassDescription());

    const std::vector<std::string> handlers = { "Event_MouseDown", "Event_MouseDrag", "Event_MouseUp", "Event_Open",
        "Event_MouseEnter", "Event_MouseExit" };
    std::vector<std::string> table = cls->AllOperations();
    std::vector<std::string> inherited = fw::Label::ClassDescription().AllOperations();
    for (const char* op : { "_MouseDown", "_MouseDrag", "_MouseUp" })
        EXPECT_EQ(std::count(inherited.begin(), inherited.end(), op), 1) << op;
    inherited.insert(inherited.end(), handlers.begin(), handlers.end());
    EXPECT_EQ(table, inherited);
    EXPECT_EQ(cls->interfaces, std::vector<std::string> { "_MouseEvents" });

    std::vector<std::string> events = cls->implementedEvents;
    std::sort(events.begin(), events.end());
    EXPECT_EQ(events, (std::vector<std::string> { "MouseDown", "MouseDrag", "MouseEnter", "MouseExit", "MouseUp", "Open" }));
    EXPECT_EQ(cls->declaredEvents, std::vector<std::string> { "Action" });
    for (const fw::ClassInfo* p = cls->parent; p; p = p->parent)
        EXPECT_EQ(std::count(p->declaredEvents.begin(), p->declaredEvents.end(), "Action"), 0) << p->name;

    const MemberRow members[] = {
        { "Event_MouseDown", "%b%i4i4", true, "Private", false },
        { "Event_MouseDrag", "%%i4i4", true, "Private", false },
        { "Event_MouseUp", "%%i4i4", true, "Private", false },
        { "Event_Open", "%%", true, "Private", false },
        { "Event_MouseEnter", "%%", true, "Private", false },
        { "Event_MouseExit", "%%", true, "Private", false },
        { "URL", "s", false, "Public", false },
    };
    expectMembers(*cls, members, std::size(members));

    ASSERT_EQ(cls->properties.size(), 1u);
    EXPECT_EQ(cls->properties[0].name, "URL");
    EXPECT_EQ(cls->properties[0].type, "s");
    EXPECT_EQ(cls->FindProperty("URL"), &cls->properties[0]);
    EXPECT_FALSE(fw::Label::ClassDescription().FindProperty("URL"));
}

TEST(Registry, EachClassIsRegisteredOnceAfterTheFrameworksOwn)
{
    testsupport::AppHarness app;
    const char* ours[] = { "App", "Window1.Window1", "Window1.converterThread", "MenuBar1.MenuBar1", "ShowURLText" };
    std::vector<const fw::ClassInfo*> all = fw::ClassRegistry::All();
    std::vector<std::string> names;
    for (auto* c : all)
        names.push_back(c->name);

    std::vector<std::ptrdiff_t> at;
    for (const char* name : ours) {
        SCOPED_TRACE(name);
        EXPECT_EQ(std::count(names.begin(), names.end(), name), 1);
        at.push_back(std::find(names.begin(), names.end(), name) - names.begin());
    }
    EXPECT_TRUE(std::is_sorted(at.begin(), at.end())) << "registered out of order";

    // Every class ours build on was registered before the first of ours.
    auto ourName = [&](const std::string& n) { return std::find(std::begin(ours), std::end(ours), n) != std::end(ours); };
    std::ptrdiff_t firstOurs = at.front();
    for (std::size_t i = 0; i < all.size(); ++i) {
        if (!ourName(all[i]->name))
            continue;
        for (const fw::ClassInfo* p = all[i]->parent; p; p = p->parent) {
            if (ourName(p->name))
                continue;
            auto pos = std::find(all.begin(), all.end(), p) - all.begin();
            EXPECT_LT(pos, firstOurs) << p->name << ", parent of " << all[i]->name;
        }
    }

    EXPECT_EQ(fw::ClassRegistry::Lookup("Window1.converterThread")->scope, "Private");
    EXPECT_EQ(fw::ClassRegistry::Lookup("MenuBar1.MenuBar1")->parent, &fw::MenuBar::ClassDescription());
    EXPECT_EQ(fw::ClassRegistry::Lookup("ShowURLText")->parent, &fw::Label::ClassDescription());
}

TEST(Registry, MenuBarClassHasItsThreeOperations)
{
    testsupport::AppHarness app;
    const fw::ClassInfo& cls = MenuBar1::ClassDescription();
    const MemberRow rows[] = {
        { "Constructor", "%%", true, "Public", false },
        { "Untitled0", "%%", true, "Public", false },
        { "Untitled1", "%%", true, "Public", false },
    };
    expectMembers(cls, rows, std::size(rows));
    // The constructor takes the inherited place; the builders come last.
    std::vector<std::string> table = cls.AllOperations();
    std::vector<std::string> inherited = fw::MenuBar::ClassDescription().AllOperations();
    ASSERT_EQ(table.size(), inherited.size() + 2);
    EXPECT_TRUE(std::equal(inherited.begin(), inherited.end(), table.begin()));
    EXPECT_EQ(table[table.size() - 2], "Untitled0");
    EXPECT_EQ(table.back(), "Untitled1");
}

TEST(Registry, ConverterThreadClassHasItsPaneChildOperations)
{
    testsupport::AppHarness app;
    const fw::ClassInfo& cls = Window1_converterThread::ClassDescription();
    EXPECT_EQ(cls.parent, &fw::Thread::ClassDescription());
    EXPECT_EQ(cls.interfaces, std::vector<std::string> { "_PaneChild" });
    EXPECT_TRUE(cls.declaredEvents.empty());
    EXPECT_TRUE(cls.implementedEvents.empty());
    std::vector<std::string> table = cls.AllOperations();
    std::vector<std::string> expected = { "Run", "Suspend", "Resume", "Sleep", "Kill", "__DependencyList",
        "_SetWindow", "Window", "_Index", "_SetIndex", "Constructor" };
    EXPECT_EQ(table, expected);
    const std::pair<const char*, bool> hidden[] = {
        { "_SetWindow", true }, { "Window", false }, { "_Index", true }, { "_SetIndex", true }, { "Constructor", false }
    };
    for (auto& [name, isHidden] : hidden) {
        SCOPED_TRACE(name);
        const fw::MemberRecord* m = cls.FindMember(name);
        ASSERT_TRUE(m);
        EXPECT_EQ(m->Attribute("__Scope"), "Public");
        EXPECT_EQ(m->HasAttribute("Hidden"), isHidden);
    }
}
