// Drop intake: which dropped items become rows, in what order, and when a
// drop only beeps. Drops go through the window's drop path; a few go through
// Qt's own drop events, as a file manager's would.

#include "tests/app/QueueFixtures.h"

#include "framework/core/Scheduler.h"

#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QMimeData>
#include <QUrl>
#include <QWidget>
#include <QWindow>

#include <algorithm>
#include <filesystem>
#include <functional>
#include <unistd.h>

using namespace queuefixtures;
using testsupport::AppHarness;
using testsupport::TempDir;

namespace {

namespace fs = std::filesystem;

void symlinkTo(const std::string& target, const std::string& link)
{
    fs::create_symlink(target, link);
}

std::vector<std::string> rowsFrom(const std::vector<std::string>& cells, std::size_t first)
{
    return std::vector<std::string>(cells.begin() + static_cast<std::ptrdiff_t>(std::min(first, cells.size())), cells.end());
}

// Sends a drag-enter and then a drop of the given URLs to the main window,
// the way the toolkit hands a file manager's drop to it. Returns whether the
// window accepted the drag.
bool qtDrop(AppHarness& app, const QList<QUrl>& urls)
{
    auto* top = static_cast<QWidget*>(app.window()->nativeWindow());
    QMimeData mime;
    mime.setUrls(urls);
    QPoint at(300, 200);
    QDragEnterEvent enter(at, Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    enter.ignore();
    QCoreApplication::sendEvent(top, &enter);
    QDropEvent dropEvent(QPointF(at), Qt::CopyAction, &mime, Qt::LeftButton, Qt::NoModifier);
    QCoreApplication::sendEvent(top, &dropEvent);
    return enter.isAccepted();
}

// A drop that yields no file beeps once and changes nothing: no row, no
// worker, and the operation mode as it was.
void expectOnlyABeep(AppHarness& app, int beepsBefore)
{
    EXPECT_EQ(app.beeps, beepsBefore + 1);
    EXPECT_EQ(list(app).ListCount(), 0);
    EXPECT_FALSE(worker(app).IsRunning());
    EXPECT_FALSE(fw::Scheduler::HasRunnable());
    EXPECT_EQ(mode(app), 0);
}

// A file URL for a path given as raw bytes, percent-encoded so that names
// that are not UTF-8 survive the trip.
QUrl fileUrl(const std::string& path)
{
    QByteArray raw(path.data(), static_cast<qsizetype>(path.size()));
    return QUrl::fromEncoded("file://" + raw.toPercentEncoding("/"), QUrl::StrictMode);
}

}

// The name test, for a file dropped alone and for the same files met in a
// walked folder: the last four characters are ".dng" in any letter case.
TEST(Drop, TakesFilesWhoseNameEndsInDngInAnyCase)
{
    AppHarness app;
    TempDir t;
    struct Case {
        const char* name;
        bool collected;
    } cases[] = {
        { "IMG_0001.DNG", true },
        { "img.Dng", true },
        { ".dng", true },
        { "\xff.dng", true },
        { "a.dng.bak", false },
        { "dng", false },
        { "adng", false },
        { "a.dn", false },
    };

    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        std::string path = t.write(std::string("single/") + c.name, dngBytes());
        std::size_t rowsBefore = app.paths().size();
        int beepsBefore = app.beeps;
        dropPaths(app, { path });
        ASSERT_TRUE(finish(app));
        if (c.collected) {
            EXPECT_EQ(app.beeps, beepsBefore);
            EXPECT_EQ(rowsFrom(app.paths(), rowsBefore), std::vector<std::string> { path });
            EXPECT_EQ(rowsFrom(app.statuses(), rowsBefore), std::vector<std::string> { "ok" });
        } else {
            EXPECT_EQ(app.beeps, beepsBefore + 1);
            EXPECT_EQ(app.paths().size(), rowsBefore);
            EXPECT_EQ(versionMinor(path), 2) << "a file not taken is never touched";
        }
    }

    // The same names in one folder: the walk keeps the collected ones, in the
    // folder's order (name bytes).
    std::vector<std::string> expected;
    for (const Case& c : cases) {
        std::string path = t.write(std::string("walked/") + c.name, dngBytes());
        if (c.collected)
            expected.push_back(path);
    }
    std::sort(expected.begin(), expected.end());
    std::size_t rowsBefore = app.paths().size();
    dropPaths(app, { t.file("walked") });
    ASSERT_TRUE(finish(app));
    EXPECT_EQ(rowsFrom(app.paths(), rowsBefore), expected);
}

// Drops that yield no file: one beep, and the list, the operation mode and
// the worker stay as they were.
TEST(Drop, DropWithNothingToTakeBeepsOnceAndChangesNothing)
{
    AppHarness app;
    TempDir t;
    t.write("notes.txt", "hello\n");
    t.mkdir("empty");
    t.write("tree/readme.txt", "x");
    t.write("tree/sub/deeper/photo.dng.txt", dngBytes());
    t.write("tree/sub/raw", dngBytes());
    t.mkdir("tree/sub/also-empty");
    t.write("y.txt", dngBytes());
    symlinkTo(t.file("y.txt"), t.file("y.dng"));
    symlinkTo(t.file("missing.dng"), t.file("dangling.dng"));
    // A folder whose only .dng is behind a link: links in a walk are skipped.
    t.write("target/inside.dng", dngBytes());
    t.mkdir("linksOnly");
    symlinkTo(t.file("target/inside.dng"), t.file("linksOnly/inside.dng"));
    symlinkTo(t.file("target"), t.file("linksOnly/target"));

    struct Case {
        const char* what;
        std::vector<fw::Ref<fw::FolderItem>> items;
    } cases[] = {
        { "a text file alone", { item(t.file("notes.txt")) } },
        { "an empty folder", { item(t.file("empty")) } },
        { "a tree without a .dng file", { item(t.file("tree")) } },
        { "a link named y.dng to y.txt", { item(t.file("y.dng")) } },
        { "a link whose target is missing", { item(t.file("dangling.dng")) } },
        { "an item without a reference", { nullptr } },
        { "a folder holding only links", { item(t.file("linksOnly")) } },
        { "all of these together", { item(t.file("notes.txt")), item(t.file("empty")), nullptr,
                                       item(t.file("tree")), item(t.file("y.dng")), item(t.file("dangling.dng")) } },
    };

    // The popup's choice reaches the mode only when a batch is queued.
    chooseOperation(app, 2);
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        int beepsBefore = app.beeps;
        drop(app, c.items);
        expectOnlyABeep(app, beepsBefore);
    }
}

// What each drop puts in the list, and in what order.
TEST(Drop, CollectsInDropOrderFollowingDroppedLinksOnly)
{
    AppHarness app;
    TempDir t;
    auto dng = [&t](const std::string& name) { return t.write(name, dngBytes()); };
    auto canonical = [](const std::string& p) { return fs::canonical(p).string(); };

    struct Case {
        const char* what;
        std::function<std::vector<fw::Ref<fw::FolderItem>>()> items;
        std::function<std::vector<std::string>()> paths;
        std::vector<std::string> statuses;
    };
    std::vector<Case> cases;

    cases.push_back({ "an item without a reference and a .dng file",
        [&] { return std::vector<fw::Ref<fw::FolderItem>> { nullptr, item(dng("plain/a.dng")), nullptr }; },
        [&] { return std::vector<std::string> { t.file("plain/a.dng") }; }, { "ok" } });

    // Folder A holds 1.dng, the sub-folder 2_B (holding 2.dng) and 3.dng; the
    // names sort by their bytes as 1.dng < 2_B < 3.dng, so the sub-folder is
    // the folder's second item and its file comes between the other two.
    cases.push_back({ "a folder walked depth first, then the next dropped item",
        [&] {
            dng("order/A/1.dng");
            dng("order/A/2_B/2.dng");
            dng("order/A/3.dng");
            dng("order/4.dng");
            return std::vector<fw::Ref<fw::FolderItem>> { item(t.file("order/A")), item(t.file("order/4.dng")) };
        },
        [&] {
            return std::vector<std::string> { t.file("order/A/1.dng"), t.file("order/A/2_B/2.dng"),
                t.file("order/A/3.dng"), t.file("order/4.dng") };
        },
        { "ok", "ok", "ok", "ok" } });

    cases.push_back({ "a dropped link named shortcut stands for the X.DNG it names",
        [&] {
            dng("short/X.DNG");
            symlinkTo(t.file("short/X.DNG"), t.file("short/shortcut"));
            return std::vector<fw::Ref<fw::FolderItem>> { item(t.file("short/shortcut")) };
        },
        [&] { return std::vector<std::string> { canonical(t.file("short/X.DNG")) }; }, { "ok" } });

    cases.push_back({ "a dropped link to a folder has the folder walked",
        [&] {
            dng("linked/F/f.dng");
            symlinkTo(t.file("linked/F"), t.file("linked/toF"));
            return std::vector<fw::Ref<fw::FolderItem>> { item(t.file("linked/toF")) };
        },
        [&] { return std::vector<std::string> { canonical(t.file("linked/F")) + "/f.dng" }; }, { "ok" } });

    cases.push_back({ "links inside a walked folder are not followed, not even back to the folder",
        [&] {
            dng("inner/elsewhere/T.DNG");
            dng("inner/elsewhere/deep/t2.dng");
            dng("inner/G/w.dng");
            symlinkTo(t.file("inner/elsewhere/T.DNG"), t.file("inner/G/z.dng"));
            symlinkTo(t.file("inner/elsewhere"), t.file("inner/G/sub"));
            symlinkTo(t.file("inner/G"), t.file("inner/G/loop"));
            symlinkTo("..", t.file("inner/G/up"));
            return std::vector<fw::Ref<fw::FolderItem>> { item(t.file("inner/G")) };
        },
        [&] { return std::vector<std::string> { t.file("inner/G/w.dng") }; }, { "ok" } });

    cases.push_back({ "a dangling dropped link is skipped and the rest of the drop is queued",
        [&] {
            dng("dangling/b.dng");
            dng("dangling/c.dng");
            symlinkTo(t.file("dangling/gone.dng"), t.file("dangling/broken.dng"));
            return std::vector<fw::Ref<fw::FolderItem>> { item(t.file("dangling/b.dng")),
                item(t.file("dangling/broken.dng")), item(t.file("dangling/c.dng")) };
        },
        [&] { return std::vector<std::string> { t.file("dangling/b.dng"), t.file("dangling/c.dng") }; },
        { "ok", "ok" } });

    // Listed twice, processed twice: the second pass finds the file patched.
    cases.push_back({ "the same file dropped directly and inside a dropped folder",
        [&] {
            dng("twice/H/h.dng");
            return std::vector<fw::Ref<fw::FolderItem>> { item(t.file("twice/H")), item(t.file("twice/H/h.dng")) };
        },
        [&] { return std::vector<std::string> { t.file("twice/H/h.dng"), t.file("twice/H/h.dng") }; },
        { "ok", "ok (no change)" } });

    cases.push_back({ "the same file directly and through a dropped link",
        [&] {
            dng("viaLink/k.dng");
            symlinkTo(t.file("viaLink/k.dng"), t.file("viaLink/k-link"));
            return std::vector<fw::Ref<fw::FolderItem>> { item(t.file("viaLink/k-link")),
                item(canonical(t.file("viaLink/k.dng"))) };
        },
        [&] { return std::vector<std::string> { canonical(t.file("viaLink/k.dng")), canonical(t.file("viaLink/k.dng")) }; },
        { "ok", "ok (no change)" } });

    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        std::size_t rowsBefore = app.paths().size();
        auto items = c.items();
        drop(app, items);
        ASSERT_TRUE(finish(app));
        EXPECT_EQ(app.beeps, 0);
        EXPECT_EQ(rowsFrom(app.paths(), rowsBefore), c.paths());
        EXPECT_EQ(rowsFrom(app.statuses(), rowsBefore), c.statuses);
    }
    // Nothing behind a link inside a walked folder was touched.
    EXPECT_EQ(versionMinor(t.file("inner/elsewhere/T.DNG")), 2);
    EXPECT_EQ(versionMinor(t.file("inner/elsewhere/deep/t2.dng")), 2);
}

// The walk reads a folder's item count once: an item gone since then is
// skipped, one added since then is not seen, and the rest is queued.
TEST(Drop, FolderChangedDuringItsWalk)
{
    AppHarness app;
    TempDir t;
    t.write("F/a.dng", dngBytes());
    t.write("F/b.dng", dngBytes());
    t.write("F/c.dng", dngBytes());
    bool changed = false;
    // The main thread's first yield point comes at the end of the walk's
    // first pass, after a.dng.
    fw::Scheduler::SetMainYieldHook([&] {
        if (changed)
            return;
        changed = true;
        ::unlink(t.file("F/b.dng").c_str());
        t.write("F/ab.dng", dngBytes());
    });
    dropPaths(app, { t.file("F") });
    fw::Scheduler::SetMainYieldHook({});
    ASSERT_TRUE(changed);
    ASSERT_TRUE(finish(app));
    EXPECT_EQ(app.beeps, 0);
    EXPECT_EQ(app.paths(), (std::vector<std::string> { t.file("F/a.dng"), t.file("F/c.dng") }));
    EXPECT_EQ(app.statuses(), (std::vector<std::string> { "ok", "ok" }));
}

// A drop as the toolkit delivers it: file URLs, one of them not UTF-8, and a
// URL that is not a local file, which is an item without a reference.
TEST(Drop, QtDropOfFileUrlsKeepsNamesByteExact)
{
    AppHarness app;
    TempDir t;
    std::string odd = t.write("\xff.dng", dngBytes());
    std::string plain = t.write("q.DNG", dngBytes());
    t.write("folder/\xfe\xfd.dng", dngBytes());

    EXPECT_TRUE(qtDrop(app, { QUrl("https://example.org/remote.dng"), fileUrl(odd), fileUrl(plain),
        fileUrl(t.file("folder")) }));
    ASSERT_TRUE(finish(app));
    EXPECT_EQ(app.beeps, 0);
    EXPECT_EQ(app.paths(), (std::vector<std::string> { odd, plain, t.file("folder/\xfe\xfd.dng") }));
    EXPECT_EQ(app.statuses(), (std::vector<std::string> { "ok", "ok", "ok" }));
    EXPECT_EQ(versionMinor(odd), 1);
    EXPECT_EQ(versionMinor(t.file("folder/\xfe\xfd.dng")), 1);

    // Dropped again under its own name, the odd file is the listed one.
    EXPECT_TRUE(qtDrop(app, { fileUrl(odd) }));
    ASSERT_TRUE(finish(app));
    EXPECT_EQ(app.paths().size(), 3u);
    EXPECT_EQ(app.statuses()[0], "ok (no change)");
}

TEST(Drop, QtDropWithoutLocalFilesBeepsOnce)
{
    AppHarness app;
    TempDir dir;
    // The same path on another host is not this file.
    const std::string local = dir.write("a.dng", dngBytes());
    QUrl remoteFile;
    remoteFile.setScheme("file");
    remoteFile.setHost("otherhost");
    remoteFile.setPath(QString::fromStdString(local));
    struct Case {
        const char* what;
        QList<QUrl> urls;
    } cases[] = {
        { "an empty URL list", {} },
        { "a URL that is not a local file", { QUrl("https://example.org/a.dng") } },
        { "two such URLs", { QUrl("https://example.org/a.dng"), QUrl("mailto:someone@example.org") } },
        { "a file URL of another host", { remoteFile } },
    };
    for (auto& c : cases) {
        SCOPED_TRACE(c.what);
        int beepsBefore = app.beeps;
        qtDrop(app, c.urls);
        expectOnlyABeep(app, beepsBefore);
    }
}

// A drop is answered as a copy, or as a link where the source offers no
// copy, at every stage of the drag: a source told "moved" may delete the
// user's originals. The files are taken all the same. The events go to the
// platform window, as the platform's drag does, so the answer is the one
// that goes back to the source.
TEST(Drop, IsNeverAnsweredAsAMove)
{
    AppHarness app;
    TempDir t;
    QWindow* top = static_cast<QWidget*>(app.window()->nativeWindow())->windowHandle();
    ASSERT_TRUE(top);
    struct Case {
        const char* source;
        Qt::DropActions offered;
        Qt::KeyboardModifiers modifiers; // Shift proposes a move
        Qt::DropAction proposed, answered;
    } cases[] = {
        { "copy only", Qt::CopyAction, Qt::NoModifier, Qt::CopyAction, Qt::CopyAction },
        { "move only", Qt::MoveAction, Qt::NoModifier, Qt::MoveAction, Qt::CopyAction },
        { "copy or move, shift-drag", Qt::CopyAction | Qt::MoveAction, Qt::ShiftModifier, Qt::MoveAction, Qt::CopyAction },
        { "move or link, shift-drag", Qt::MoveAction | Qt::LinkAction, Qt::ShiftModifier, Qt::MoveAction, Qt::LinkAction },
        { "link only", Qt::LinkAction, Qt::NoModifier, Qt::LinkAction, Qt::LinkAction },
    };
    int n = 0;
    for (const Case& c : cases) {
        SCOPED_TRACE(c.source);
        std::string path = t.write("photo" + std::to_string(n++) + ".dng", dngBytes());
        QMimeData mime;
        mime.setUrls({ fileUrl(path) });
        QPoint at(300, 200);

        QDragEnterEvent enter(at, c.offered, &mime, Qt::LeftButton, c.modifiers);
        ASSERT_EQ(enter.proposedAction(), c.proposed);
        enter.ignore();
        QCoreApplication::sendEvent(top, &enter);
        EXPECT_TRUE(enter.isAccepted());
        EXPECT_EQ(enter.dropAction(), c.answered);

        QDragMoveEvent move(at, c.offered, &mime, Qt::LeftButton, c.modifiers);
        move.ignore();
        QCoreApplication::sendEvent(top, &move);
        EXPECT_TRUE(move.isAccepted());
        EXPECT_EQ(move.dropAction(), c.answered);

        QDropEvent dropEvent(QPointF(at), c.offered, &mime, Qt::LeftButton, c.modifiers);
        dropEvent.ignore();
        QCoreApplication::sendEvent(top, &dropEvent);
        EXPECT_TRUE(dropEvent.isAccepted());
        EXPECT_EQ(dropEvent.dropAction(), c.answered);

        ASSERT_TRUE(finish(app));
        ASSERT_FALSE(app.paths().empty());
        EXPECT_EQ(app.paths().back(), path);
        EXPECT_EQ(app.statuses().back(), "ok");
    }
}
