// The file list as work queue: which batch makes which rows, which rows a
// batch or "Again" empties, when the chosen operation takes effect, and that
// a batch never restarts a running worker. Where the order of events matters
// the worker is stepped by hand from one yield point to the next.

#include "tests/app/QueueFixtures.h"
#include "tests/support/OwnLines.h"

#include "framework/core/Runtime.h"
#include "framework/core/Scheduler.h"
#include "framework/gui/PushButton.h"

#include <gtest/gtest.h>

#include <functional>

using namespace queuefixtures;
using fw::Scheduler;
using testsupport::AppHarness;
using testsupport::TempDir;

using Texts = std::vector<std::string>;

TEST(Queue, NewFilesBecomeQueuedRowsInBatchOrder)
{
    AppHarness app;
    TempDir t;
    std::vector<fw::Ref<fw::FolderItem>> batch = { item(t.write("c.dng", dngBytes())),
        item(t.write("a.dng", dngBytes())), item(t.write("b.dng", dngBytes())) };
    Scheduler::SetManual(true);
    drop(app, batch);

    // Complete rows before the worker has taken a step.
    EXPECT_EQ(app.statuses(), (Texts { "", "", "" }));
    EXPECT_EQ(app.paths(), (Texts { t.file("c.dng"), t.file("a.dng"), t.file("b.dng") }));
    for (std::int32_t i = 0; i < 3; ++i)
        EXPECT_EQ(list(app).RowTag(i), batch[static_cast<std::size_t>(i)]) << "row " << i;
    EXPECT_TRUE(worker(app).IsRunning());

    // Processed strictly in row order.
    Scheduler::Step(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "", "" }));
    Scheduler::Step(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok", "" }));
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok", "ok" }));
    EXPECT_FALSE(worker(app).IsRunning());
}

// A listed file gets no new row: its row is emptied and processed again with
// the operation of the new batch; its Path and tag stay.
TEST(Queue, ListedFileIsQueuedAgainInPlace)
{
    AppHarness app;
    TempDir t;
    std::string a = t.write("a.dng", dngBytes());
    std::string b = t.write("b.dng", dngBytes());
    dropPaths(app, { a, b });
    ASSERT_TRUE(finish(app));
    ASSERT_EQ(app.statuses(), (Texts { "ok", "ok" }));
    fw::Ref<fw::Object> tag = list(app).RowTag(0);

    chooseOperation(app, 2); // "Just check version"
    Scheduler::SetManual(true);
    auto again = item(a);
    drop(app, { again });
    EXPECT_EQ(app.statuses(), (Texts { "", "ok" }));
    EXPECT_EQ(app.paths(), (Texts { a, b }));
    EXPECT_EQ(list(app).RowTag(0), tag);
    EXPECT_NE(list(app).RowTag(0), again);
    EXPECT_EQ(mode(app), 2);

    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "v1.1.0.0", "ok" }));
}

// Paths name the same file only when their bytes are equal: names that
// differ in letter case are two files.
TEST(Queue, FilesAreTheSameOnlyWhenTheirPathBytesAreEqual)
{
    AppHarness app;
    TempDir t;
    std::string upper = t.write("A.dng", dngBytes());
    std::string lower = t.write("a.dng", dngBytes());
    dropPaths(app, { upper, lower });
    ASSERT_TRUE(finish(app));
    ASSERT_EQ(app.statuses(), (Texts { "ok", "ok" }));

    Scheduler::SetManual(true);
    dropPaths(app, { lower });
    EXPECT_EQ(app.statuses(), (Texts { "ok", "" }));
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok (no change)" }));
}

// One file twice in one batch: two rows, both processed; a later batch that
// holds the file empties only the later of them.
TEST(Queue, FileTwiceInABatchGetsTwoRows)
{
    AppHarness app;
    TempDir t;
    struct Case {
        const char* what;
        std::int32_t operation;
        std::uint8_t minorBefore;
        int minorAfter;
    } cases[] = {
        { "make compatible", 0, 2, 1 },
        { "revert", 1, 1, 2 },
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        std::string f = t.write(std::string(c.what) + ".dng", dngBytes(0, c.minorBefore));
        std::int32_t first = list(app).ListCount();
        chooseOperation(app, c.operation);
        dropPaths(app, { f, f });
        ASSERT_TRUE(finish(app));
        ASSERT_EQ(list(app).ListCount(), first + 2);
        EXPECT_EQ(list(app).Cell(first, 0), "ok");
        EXPECT_EQ(list(app).Cell(first + 1, 0), "ok (no change)");
        EXPECT_EQ(list(app).Cell(first, 1), f);
        EXPECT_EQ(list(app).Cell(first + 1, 1), f);
        EXPECT_EQ(versionMinor(f), c.minorAfter);

        Scheduler::SetManual(true);
        dropPaths(app, { f });
        EXPECT_EQ(list(app).ListCount(), first + 2);
        EXPECT_EQ(list(app).Cell(first, 0), "ok");
        EXPECT_EQ(list(app).Cell(first + 1, 0), "");
        Scheduler::RunToEnd(worker(app));
        EXPECT_EQ(list(app).Cell(first + 1, 0), "ok (no change)");
        Scheduler::SetManual(false);
    }
}

TEST(Queue, AgainOnAnEmptyListStartsARunThatEndsAtOnce)
{
    AppHarness app;
    chooseOperation(app, 1);
    Scheduler::SetManual(true);
    app.window()->againBut()->Push();
    EXPECT_EQ(list(app).ListCount(), 0);
    EXPECT_EQ(mode(app), 1);
    ASSERT_TRUE(worker(app).IsRunning());
    EXPECT_FALSE(Scheduler::Step(worker(app)));
    EXPECT_EQ(list(app).ListCount(), 0);
    EXPECT_EQ(app.beeps, 0);
}

// "Again" empties every row, then runs them all in row order with the
// operation chosen now; rows that share a path and a row left busy by a failed
// run are included.
TEST(Queue, AgainReprocessesEveryRowWithTheOperationNowChosen)
{
    AppHarness app;
    TempDir t;
    std::string a = t.write("a.dng", dngBytes());
    std::string b = t.write("b.dng", dngBytes());
    dropPaths(app, { a, b, a });
    ASSERT_TRUE(finish(app));
    ASSERT_EQ(app.statuses(), (Texts { "ok", "ok", "ok (no change)" }));
    std::string busy = t.write("busy.dng", dngBytes(0, 1));
    addRow(app, "...", busy);

    chooseOperation(app, 1); // "Revert to original (v1.2)"
    Scheduler::SetManual(true);
    app.window()->againBut()->Push();
    EXPECT_EQ(list(app).ListCount(), 4);
    EXPECT_EQ(app.statuses(), (Texts { "", "", "", "" }));
    EXPECT_EQ(mode(app), 1);

    Scheduler::Step(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "", "", "" }));
    Scheduler::Step(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok", "", "" }));
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok", "ok (no change)", "ok" }));
    EXPECT_EQ(app.paths(), (Texts { a, b, a, busy }));
    for (const auto& f : { a, b, busy })
        EXPECT_EQ(versionMinor(f), 2) << f;
}

// A batch queued while the worker runs is left to that run: appended rows
// and rows ahead of it are reached, rows behind it wait for the next start.
TEST(Queue, BatchWhileTheWorkerRunsDoesNotRestartIt)
{
    AppHarness app;
    TempDir t;
    const std::vector<std::string> f = dngFiles(t, 6);

    Scheduler::SetManual(true);
    dropPaths(app, { f[0], f[1], f[2], f[3] });
    Scheduler::Step(worker(app));
    Scheduler::Step(worker(app));
    ASSERT_EQ(app.statuses(), (Texts { "ok", "ok", "", "" }));

    dropPaths(app, { f[0], f[3], f[4] });
    EXPECT_EQ(app.beeps, 0);
    EXPECT_TRUE(worker(app).IsRunning());
    EXPECT_EQ(app.statuses(), (Texts { "", "ok", "", "", "" }));

    // The worker goes on from row 2; row 0, behind it, is not reached.
    Scheduler::Step(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "", "ok", "ok", "", "" }));
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "", "ok", "ok", "ok", "ok" }));

    // The next batch starts a run from the first row.
    dropPaths(app, { f[5] });
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok (no change)", "ok", "ok", "ok", "ok", "ok" }));
}

// The popup's choice reaches the engine only through a queued batch.
TEST(Queue, ChangingThePopupAloneChangesNothing)
{
    AppHarness app;
    TempDir t;
    std::string a = t.write("a.dng", dngBytes());
    std::string b = t.write("b.dng", dngBytes());
    Scheduler::SetManual(true);
    dropPaths(app, { a, b });
    Scheduler::Step(worker(app));
    ASSERT_EQ(app.statuses(), (Texts { "ok", "" }));

    chooseOperation(app, 1);
    EXPECT_EQ(mode(app), 0);
    EXPECT_EQ(app.statuses(), (Texts { "ok", "" }));
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok" }));
    EXPECT_EQ(versionMinor(b), 1) << "b was made compatible, not reverted";

    chooseOperation(app, 2);
    app.runUntil([] { return false; }, 50);
    EXPECT_EQ(mode(app), 0);
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok" }));
    EXPECT_FALSE(worker(app).IsRunning());
}

// The operation is copied from the popup only once the whole batch is queued:
// a worker that runs at the batch's yield points finishes the file in
// progress, and the batch's first row, with the operation chosen before. The
// start that follows finds the worker running and raises nothing.
TEST(Queue, OperationChangesOnlyAfterTheWholeBatchIsQueued)
{
    AppHarness app;
    TempDir t;
    // Three entries before the version entry: the engine yields three times
    // before it reads the operation.
    std::string a = t.write("a.dng", dngBytes(3));
    std::string b = t.write("b.dng", dngBytes());
    std::string c = t.write("c.dng", dngBytes());
    std::string d = t.write("d.dng", dngBytes());
    Scheduler::SetManual(true);
    dropPaths(app, { a });
    Scheduler::Step(worker(app));
    ASSERT_EQ(app.statuses(), (Texts { "..." }));

    // One step of the worker at each yield point of the batch: one for the
    // listed row, one for each of the three files.
    std::vector<std::int32_t> modeAtYield;
    Scheduler::SetMainYieldHook([&] {
        modeAtYield.push_back(mode(app));
        Scheduler::Step(worker(app));
    });
    chooseOperation(app, 2); // "Just check version"
    EXPECT_NO_THROW(Window1TestAccess::processFiles(*app.window(), { item(b), item(c), item(d) }));
    Scheduler::SetMainYieldHook({});

    EXPECT_EQ(modeAtYield, (std::vector<std::int32_t> { 0, 0, 0, 0 }));
    EXPECT_EQ(mode(app), 2);
    EXPECT_TRUE(worker(app).IsRunning());
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok", "", "" }));
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok", "v1.2.0.0", "v1.2.0.0" }));
    EXPECT_EQ(versionMinor(a, 3), 1);
    EXPECT_EQ(versionMinor(b), 1);
    EXPECT_EQ(versionMinor(c), 2);
}

namespace {

// The list as one character per row: "x" finished, "_" queued, "!" a row
// whose path or tag is not set yet.
std::string rowsAsText(AppHarness& app)
{
    std::string s;
    fw::Listbox& l = list(app);
    for (std::int32_t i = 0; i < l.ListCount(); ++i) {
        auto tag = fw::RuntimeCheckCast<fw::FolderItem>(l.RowTag(i));
        if (!tag || tag->AbsolutePath() != l.Cell(i, 1))
            s += '!';
        else
            s += l.Cell(i, 0).empty() ? '_' : l.Cell(i, 0) == "x" ? 'x' : '?';
    }
    return s;
}

}

// Where the main thread's loops give way to a running worker: at the end of
// every pass over the dropped items, over a walked folder (a pass that walked
// a sub-folder too), over the listed rows, over the batch, and over the rows
// "Again" empties one at a time. Each text is the list at one yield point.
TEST(Queue, MainThreadLoopsYieldAtTheEndOfEveryPass)
{
    AppHarness app;
    TempDir t;
    t.write("A/1.dng", dngBytes());
    t.write("A/2_B/2.dng", dngBytes());
    t.write("A/3.dng", dngBytes());
    t.write("notes.txt", "x");
    t.write("4.dng", dngBytes());
    t.write("6.dng", dngBytes());

    struct Case {
        const char* what;
        std::function<void()> act;
        Texts atYields;
    };
    const Case cases[] = {
        // Walk of A: 1.dng, then 2_B's one pass and the pass that walked it,
        // then 3.dng; four dropped items; no listed row; four files queued.
        { "a drop of a folder tree, an item without a reference, a text file and a file",
            [&] { drop(app, { item(t.file("A")), nullptr, item(t.file("notes.txt")), item(t.file("4.dng")) }); },
            { "", "", "", "", "", "", "", "", "_", "__", "___", "____" } },
        // Two dropped items, four listed rows, then a listed and a new file.
        { "a drop of a listed file and a new one",
            [&] { dropPaths(app, { t.file("A/2_B/2.dng"), t.file("6.dng") }); },
            { "xxxx", "xxxx", "xxxx", "xxxx", "xxxx", "xxxx", "x_xx", "x_xx_" } },
        // Rows emptied one per pass, then the batch of every row.
        { "Again", [&] { app.window()->againBut()->Push(); },
            { "_xxxx", "__xxx", "___xx", "____x", "_____", "_____", "_____", "_____", "_____", "_____", "_____",
                "_____", "_____", "_____", "_____" } },
    };

    Scheduler::SetManual(true); // the worker, once started, is never stepped
    Texts atYields;
    Scheduler::SetMainYieldHook([&] { atYields.push_back(rowsAsText(app)); });
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        for (std::int32_t i = 0; i < list(app).ListCount(); ++i)
            list(app).SetCell(i, 0, "x");
        atYields.clear();
        testing::internal::CaptureStderr();
        c.act();
        EXPECT_EQ(testsupport::ownLinesOf(testing::internal::GetCapturedStderr()), std::vector<std::string> {})
            << "a batch queued while the worker runs raises nothing";
        EXPECT_EQ(atYields, c.atYields);
        EXPECT_TRUE(worker(app).IsRunning());
    }
    Scheduler::SetMainYieldHook({});
    EXPECT_EQ(app.beeps, 0);
}
