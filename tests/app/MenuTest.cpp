// The one shared menu bar: its tree, its use by the application and the main
// window, the window's item accessors, and the menus the window shows.

#include "tests/support/AppHarness.h"

#include "app/MenuBar1.h"
#include "framework/core/Runtime.h"
#include "framework/gui/Application.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QMainWindow>
#include <QMenu>
#include <QMenuBar>

namespace {

struct ItemRow {
    const char* name;
    const char* text;
    const char* shortcut; // as the item holds it
    const char* native;   // as the window's menu shows it
};

const ItemRow EditRows[] = {
    { "EditUndo", "&Undo", "Cmd+Z", "Ctrl+Z" },
    { "UntitledMenu1", "-", "", "" },
    { "EditCut", "Cu&t", "Cmd+X", "Ctrl+X" },
    { "EditCopy", "&Copy", "Cmd+C", "Ctrl+C" },
    { "EditPaste", "&Paste", "Cmd+V", "Ctrl+V" },
    { "EditClear", "&Delete", "", "" },
    { "UntitledMenu0", "-", "", "" },
    { "EditSelectAll", "Select &All", "Cmd+A", "Ctrl+A" },
};

}

TEST(Menu, BarHoldsFileThenEditWithTheirItemsInOrder)
{
    testsupport::AppHarness app;
    auto bar = MenuBar1__implicitInstance;
    ASSERT_TRUE(bar);
    ASSERT_EQ(bar->Count(), 2);

    auto file = bar->Item(0);
    EXPECT_EQ(file->Name, "FileMenu");
    EXPECT_EQ(file->Text, "&File");
    EXPECT_EQ(file->KeyboardShortcut, "");
    EXPECT_TRUE(file->AutoEnable);
    ASSERT_EQ(file->Count(), 1);
    auto quit = file->Item(0);
    EXPECT_EQ(quit->Name, "FileQuit");
    EXPECT_EQ(quit->Text, "&Quit");
    EXPECT_EQ(quit->KeyboardShortcut, "Cmd+Q");
    EXPECT_TRUE(fw::RuntimeCheckCast<fw::QuitMenuItem>(quit));
    EXPECT_EQ(&quit->classInfo(), &fw::QuitMenuItem::ClassDescription());

    auto edit = bar->Item(1);
    EXPECT_EQ(edit->Name, "EditMenu");
    EXPECT_EQ(edit->Text, "&Edit");
    EXPECT_EQ(edit->KeyboardShortcut, "");
    ASSERT_EQ(edit->Count(), static_cast<std::int32_t>(std::size(EditRows)));
    for (std::int32_t i = 0; i < edit->Count(); ++i) {
        const ItemRow& row = EditRows[i];
        SCOPED_TRACE(row.name);
        auto item = edit->Item(i);
        EXPECT_EQ(item->Name, row.name);
        EXPECT_EQ(item->Text, row.text);
        EXPECT_EQ(item->KeyboardShortcut, row.shortcut);
        EXPECT_TRUE(item->AutoEnable);
        EXPECT_EQ(item->IsSeparator(), std::string(row.text) == "-");
        EXPECT_EQ(item->Count(), 0);
        // Plain items: only Quit has the quitting class.
        EXPECT_FALSE(fw::RuntimeCheckCast<fw::QuitMenuItem>(item));
    }
}

TEST(Menu, ApplicationAndWindowShareTheOneBarBuiltOnce)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto bar = MenuBar1__implicitInstance;
    ASSERT_TRUE(bar);
    ASSERT_TRUE(fw::RuntimeApplication());
    EXPECT_EQ(fw::RuntimeApplication()->MenuBar, bar);
    EXPECT_EQ(w->MenuBar(), bar);
    EXPECT_EQ(MenuBar1_MenuBar1(), bar);
    EXPECT_EQ(MenuBar1_MenuBar1(), bar);
    // A second run of the constructor would have appended two more menus.
    EXPECT_EQ(bar->Count(), 2);
}

TEST(Menu, LookupAndTheWindowsAccessorsFindEveryItem)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    auto bar = w->MenuBar();
    ASSERT_TRUE(bar);

    auto cut = bar->_Lookup("EditCut");
    ASSERT_TRUE(cut);
    EXPECT_EQ(cut, bar->Child("EditMenu")->Item(2));
    EXPECT_FALSE(bar->Child("EditCut")); // not a menu of the bar itself

    using Accessor = fw::Ref<fw::MenuItem> (Window1::*)();
    const std::pair<const char*, Accessor> accessors[] = {
        { "EditMenu", &Window1::EditMenu },
        { "EditSelectAll", &Window1::EditSelectAll },
        { "UntitledMenu0", &Window1::UntitledMenu0 },
        { "EditClear", &Window1::EditClear },
        { "EditPaste", &Window1::EditPaste },
        { "EditCopy", &Window1::EditCopy },
        { "EditCut", &Window1::EditCut },
        { "UntitledMenu1", &Window1::UntitledMenu1 },
        { "EditUndo", &Window1::EditUndo },
        { "FileMenu", &Window1::FileMenu },
    };
    for (auto& [name, accessor] : accessors) {
        SCOPED_TRACE(name);
        auto item = ((*w).*accessor)();
        ASSERT_TRUE(item);
        EXPECT_EQ(item->Name, name);
        EXPECT_EQ(item, bar->_Lookup(name));
        EXPECT_EQ(((*w).*accessor)(), item);
    }
    fw::Ref<fw::QuitMenuItem> quit = w->FileQuit();
    ASSERT_TRUE(quit);
    EXPECT_EQ(quit, bar->Child("FileMenu")->Item(0));

    EXPECT_EQ(w->EditClear()->Text, "&Delete");
    EXPECT_EQ(w->EditClear()->KeyboardShortcut, "");
}

TEST(Menu, WindowShowsTheSameCaptionsAndPlatformShortcuts)
{
    testsupport::AppHarness app;
    auto w = app.window();
    ASSERT_TRUE(w);
    QMenuBar* bar = static_cast<QMainWindow*>(w->nativeWindow())->menuBar();
    QList<QAction*> menus = bar->actions();
    ASSERT_EQ(menus.size(), 2);
    EXPECT_EQ(menus[0]->text().toStdString(), "&File");
    EXPECT_EQ(menus[1]->text().toStdString(), "&Edit");
    ASSERT_TRUE(menus[0]->menu());
    ASSERT_TRUE(menus[1]->menu());
    EXPECT_EQ(menus[0]->menu()->objectName().toStdString(), "FileMenu");
    EXPECT_EQ(menus[1]->menu()->objectName().toStdString(), "EditMenu");

    QList<QAction*> fileItems = menus[0]->menu()->actions();
    ASSERT_EQ(fileItems.size(), 1);
    EXPECT_EQ(fileItems[0]->objectName().toStdString(), "FileQuit");
    EXPECT_EQ(fileItems[0]->text().toStdString(), "&Quit");
    EXPECT_EQ(fileItems[0]->shortcut().toString().toStdString(), "Ctrl+Q");
    EXPECT_TRUE(fileItems[0]->isEnabled());

    QList<QAction*> editItems = menus[1]->menu()->actions();
    ASSERT_EQ(editItems.size(), static_cast<qsizetype>(std::size(EditRows)));
    for (qsizetype i = 0; i < editItems.size(); ++i) {
        const ItemRow& row = EditRows[i];
        SCOPED_TRACE(row.name);
        QAction* a = editItems[i];
        bool separator = std::string(row.text) == "-";
        EXPECT_EQ(a->isSeparator(), separator);
        if (separator)
            continue;
        EXPECT_EQ(a->objectName().toStdString(), row.name);
        EXPECT_EQ(a->text().toStdString(), row.text);
        EXPECT_EQ(a->shortcut().toString().toStdString(), row.native);
        // Nothing in a new window, with its empty list, can carry one out.
        EXPECT_FALSE(a->isEnabled());
    }
}

TEST(Menu, ExitHookEmptiesTheSharedReference)
{
    testsupport::AppHarness app;
    fw::WeakRef<MenuBar1> weak = MenuBar1__implicitInstance;
    ASSERT_FALSE(weak.expired());
    MenuBar1__implicitInstance___Exit();
    EXPECT_FALSE(MenuBar1__implicitInstance);
    // The application object and the window still share the bar.
    EXPECT_FALSE(weak.expired());
    EXPECT_EQ(app.window()->MenuBar(), weak.lock());
}
