#pragma once

// What the drop, queue and worker tests share: DNG headers written byte by
// byte, drops delivered through the window, and short ways to the list and
// the worker of the application under test.

#include "tests/support/AppHarness.h"
#include "tests/support/TempDir.h"

#include "framework/core/FolderItem.h"
#include "framework/core/Scheduler.h"
#include "framework/gui/DragItem.h"

#include <cstdint>
#include <string>
#include <vector>

namespace queuefixtures {

// A little-endian TIFF header (IFD0 at 8) whose IFD0 holds `before` entries
// of other tags and then the DNGBackwardVersion entry (0xC613, BYTE, count 4)
// with the value 01 <minor> 00 00. Every entry before the version entry is a
// yield point of the engine's walk.
inline std::string dngBytes(int before = 0, std::uint8_t minor = 2)
{
    std::string b = { 0x49, 0x49, 0x2A, 0x00, 0x08, 0x00, 0x00, 0x00 };
    auto u16 = [&b](unsigned v) {
        b += static_cast<char>(v & 0xFF);
        b += static_cast<char>((v >> 8) & 0xFF);
    };
    auto u32 = [&](unsigned v) {
        u16(v & 0xFFFF);
        u16(v >> 16);
    };
    u16(static_cast<unsigned>(before + 1));
    for (int k = 0; k < before; ++k) {
        u16(0x0100 + static_cast<unsigned>(k)); // ImageWidth, ImageLength, ...
        u16(4);                                 // LONG
        u32(1);
        u32(4000);
    }
    u16(0xC613);
    u16(1);
    u32(4);
    b += std::string { 0x01, static_cast<char>(minor), 0x00, 0x00 };
    u32(0); // no next IFD
    return b;
}

// The second byte of the version value of a file made by dngBytes(before):
// 2 for 1.2.0.0, 1 for 1.1.0.0.
inline int versionMinor(const std::string& path, int before = 0)
{
    std::string bytes = testsupport::readFile(path);
    std::size_t at = 10 + 12 * static_cast<std::size_t>(before) + 9;
    return at < bytes.size() ? static_cast<unsigned char>(bytes[at]) : -1;
}

// Writes n files f0.dng, f1.dng, ... made by dngBytes() into t; returns
// their paths in that order. (The name is appended one fragment at a time: GCC 12
// at -O3 reports a false -Wrestrict inside "f" + std::to_string(i).)
inline std::vector<std::string> dngFiles(const testsupport::TempDir& t, int n)
{
    std::vector<std::string> paths;
    for (int i = 0; i < n; ++i) {
        std::string name = "f";
        name += std::to_string(i);
        name += ".dng";
        paths.push_back(t.write(name, dngBytes()));
    }
    return paths;
}

inline fw::Ref<fw::FolderItem> item(const std::string& path)
{
    return fw::FolderItem::FromPath(path);
}

// Delivers one drop through the window's drop path, as the toolkit layer does
// for a QDropEvent; a null entry is an item that carries no file reference.
inline void drop(testsupport::AppHarness& app, std::vector<fw::Ref<fw::FolderItem>> items)
{
    app.window()->deliverDrop(fw::make<fw::DragItem>(std::move(items)), 0);
}

inline void dropPaths(testsupport::AppHarness& app, const std::vector<std::string>& paths)
{
    std::vector<fw::Ref<fw::FolderItem>> items;
    for (const auto& p : paths)
        items.push_back(item(p));
    drop(app, std::move(items));
}

inline fw::Thread& worker(testsupport::AppHarness& app)
{
    return *app.window()->converterThread();
}

inline fw::Listbox& list(testsupport::AppHarness& app)
{
    return *app.window()->filesList();
}

// Appends a row the way the queue makes one, with any status text.
inline void addRow(testsupport::AppHarness& app, const std::string& status, const std::string& path)
{
    fw::Listbox& l = list(app);
    l.AddRow({ status });
    l.SetCell(l.LastIndex(), 1, path);
    l.SetRowTag(l.LastIndex(), item(path));
}

inline std::int32_t& mode(testsupport::AppHarness& app)
{
    return Window1TestAccess::mMode(*app.window());
}

inline void chooseOperation(testsupport::AppHarness& app, std::int32_t index)
{
    app.window()->modePop()->SetListIndex(index);
}

// Runs the worker started by the event loop to its end.
inline bool finish(testsupport::AppHarness& app)
{
    return app.runUntilIdle(5000) && !worker(app).IsRunning();
}

}
