#include "framework/core/FolderItem.h"

#include "framework/core/BinaryStream.h"
#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <climits>
#include <cstdlib>
#include <optional>
#include <unistd.h>

using fw::FolderItem;
using testsupport::TempDir;

namespace {

std::string real(const std::string& path)
{
    char buf[PATH_MAX];
    return ::realpath(path.c_str(), buf) ? std::string(buf) : std::string();
}

void symlinkAt(const std::string& target, const std::string& at)
{
    ASSERT_EQ(::symlink(target.c_str(), at.c_str()), 0) << at;
}

TEST(FolderItem, PathParts)
{
    struct Row {
        const char* path;
        const char* name;
        const char* absolute;
        std::optional<std::string> parent;
    };
    const Row rows[] = {
        { "/photos/2024/IMG_0001.DNG", "IMG_0001.DNG", "/photos/2024/IMG_0001.DNG", "/photos/2024" },
        { "/photos/2024/", "2024", "/photos/2024", "/photos" },
        { "/photos", "photos", "/photos", "/" },
        { "/", "/", "/", std::nullopt },
        { "//", "/", "/", std::nullopt },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.path);
        FolderItem item(r.path);
        EXPECT_EQ(item.Name(), r.name);
        EXPECT_EQ(item.AbsolutePath(), r.absolute);
        auto parent = item.Parent();
        ASSERT_EQ(parent != nullptr, r.parent.has_value());
        if (parent) {
            EXPECT_EQ(parent->AbsolutePath(), *r.parent);
        }
    }
}

TEST(FolderItem, ChildResolvesLinksAndKindsDoNot)
{
    TempDir dir;
    std::string file = dir.write("real.dng", "x");
    std::string folder = dir.mkdir("sub");
    symlinkAt(file, dir.file("to-file"));
    symlinkAt("sub", dir.file("to-folder")); // relative to the link's folder
    symlinkAt("to-file", dir.file("to-link"));
    symlinkAt(dir.file("gone"), dir.file("dangling"));
    symlinkAt("loop-b", dir.file("loop-a"));
    symlinkAt("loop-a", dir.file("loop-b"));
    symlinkAt("self", dir.file("self"));

    FolderItem top(dir.path());
    struct Row {
        const char* name;
        std::optional<std::string> resolved; // none: no item
        bool directory;
    };
    const Row rows[] = {
        { "real.dng", dir.file("real.dng"), false },
        { "sub", dir.file("sub"), true },
        { "to-file", real(file), false },
        { "to-folder", real(folder), true },
        { "to-link", real(file), false },
        { "dangling", std::nullopt, false },
        { "loop-a", std::nullopt, false },
        { "self", std::nullopt, false },
        { "missing", std::nullopt, false },
        { "", std::nullopt, false },
        { "..", std::nullopt, false },
        { "sub/..", std::nullopt, false },
    };
    for (const Row& r : rows) {
        SCOPED_TRACE(r.name);
        auto child = top.Child(r.name);
        ASSERT_EQ(child != nullptr, r.resolved.has_value());
        if (!child)
            continue;
        EXPECT_EQ(child->AbsolutePath(), *r.resolved);
        EXPECT_EQ(child->Directory(), r.directory);
        EXPECT_FALSE(child->Alias());
    }

    // Without resolving: a link, even to a folder, is an alias, not a folder.
    FolderItem toFolder(dir.file("to-folder"));
    EXPECT_TRUE(toFolder.Alias());
    EXPECT_FALSE(toFolder.Directory());
    EXPECT_TRUE(FolderItem(dir.file("dangling")).Alias());
    EXPECT_FALSE(FolderItem(file).Alias());
    EXPECT_FALSE(FolderItem(file).Directory());
    EXPECT_TRUE(FolderItem(folder).Directory());
    EXPECT_FALSE(FolderItem(dir.file("missing")).Directory());
}

TEST(FolderItem, CountTakesASnapshotSortedByNameBytes)
{
    TempDir dir;
    // Bytes, not letters: upper case first, and bytes above 0x7F last.
    for (const char* name : { "\xFF\xFE.dng", "b.dng", "B.dng", "\xC3\xA9.dng", "a.dng" })
        dir.write(name, "x");
    symlinkAt(dir.file("a.dng"), dir.file("c-link.dng"));

    FolderItem folder(dir.path());
    ASSERT_EQ(folder.Count(), 6);
    const char* sorted[] = { "B.dng", "a.dng", "b.dng", "c-link.dng", "\xC3\xA9.dng", "\xFF\xFE.dng" };
    for (int i = 0; i < 6; ++i) {
        auto item = folder.TrueItem(i + 1);
        ASSERT_NE(item, nullptr) << i;
        EXPECT_EQ(item->Name(), sorted[i]);
        EXPECT_EQ(item->AbsolutePath(), dir.file(sorted[i]));
    }
    EXPECT_EQ(folder.TrueItem(0), nullptr);
    EXPECT_EQ(folder.TrueItem(7), nullptr);

    // TrueItem gives the link itself.
    auto link = folder.TrueItem(4);
    EXPECT_TRUE(link->Alias());
    EXPECT_EQ(link->AbsolutePath(), dir.file("c-link.dng"));

    // Changes after Count: a removed entry gives none, a new one is not seen.
    ASSERT_EQ(::unlink(dir.file("b.dng").c_str()), 0);
    dir.write("0.dng", "x");
    EXPECT_EQ(folder.TrueItem(3), nullptr);
    EXPECT_EQ(folder.TrueItem(1)->Name(), "B.dng");
    EXPECT_EQ(folder.TrueItem(7), nullptr);
    EXPECT_EQ(folder.Count(), 6);
    EXPECT_EQ(folder.TrueItem(1)->Name(), "0.dng");
}

TEST(FolderItem, NonUtf8NameIsUsable)
{
    TempDir dir;
    const std::string name = "\xFF\xFE.dng";
    dir.write(name, "payload");

    FolderItem folder(dir.path());
    ASSERT_EQ(folder.Count(), 1);
    auto listed = folder.TrueItem(1);
    ASSERT_NE(listed, nullptr);
    EXPECT_EQ(listed->Name(), name);
    auto byName = folder.Child(name);
    ASSERT_NE(byName, nullptr);
    EXPECT_EQ(byName->AbsolutePath(), listed->AbsolutePath());
    EXPECT_EQ(fw::BinaryStream::Open(listed, true)->Read(100), "payload");
}

TEST(FolderItem, WhatIsNoFolderHasNoEntries)
{
    TempDir dir;
    FolderItem file(dir.write("f.dng", "x"));
    EXPECT_EQ(file.Count(), 0);
    EXPECT_EQ(file.TrueItem(1), nullptr);
    FolderItem missing(dir.file("missing"));
    EXPECT_EQ(missing.TrueItem(1), nullptr);
    EXPECT_EQ(missing.Count(), 0);
}

}
