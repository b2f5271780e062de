// The worker loop, stepped from one yield point to the next: what it
// processes, what it leaves alone, how rows changed under it end up, and what
// a failed header read does to the run.

#include "tests/app/QueueFixtures.h"
#include "tests/support/OwnLines.h"

#include "framework/core/Scheduler.h"

#include <gtest/gtest.h>

#include <QAbstractItemModel>
#include <QAbstractItemView>

#include <algorithm>
#include <set>

using namespace queuefixtures;
using fw::Scheduler;
using testsupport::AppHarness;
using testsupport::TempDir;

using Texts = std::vector<std::string>;

namespace {

// Starts a run over the list as it stands, as a batch of nothing would.
void start(AppHarness& app)
{
    Window1TestAccess::processFiles(*app.window(), {});
}

}

TEST(Worker, RowsAppendedDuringARunAreReached)
{
    AppHarness app;
    TempDir t;
    std::string a = t.write("a.dng", dngBytes());
    std::string b = t.write("b.dng", dngBytes());
    Scheduler::SetManual(true);
    dropPaths(app, { a });
    Scheduler::Step(worker(app));
    ASSERT_EQ(app.statuses(), (Texts { "ok" }));
    ASSERT_TRUE(worker(app).IsRunning());

    // Appended directly, so only the run under way can process it.
    addRow(app, "", b);
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok" }));
    EXPECT_EQ(versionMinor(b), 1);
}

// Rows emptied at a yield point: ahead of the worker they are processed in
// this run; at or behind it they stay queued until the next start.
TEST(Worker, RowEmptiedBehindTheWorkerWaitsForTheNextStart)
{
    AppHarness app;
    TempDir t;
    std::string a = t.write("a.dng", dngBytes());
    std::string b = t.write("b.dng", dngBytes());
    std::string c = t.write("c.dng", dngBytes());
    std::string d = t.write("d.dng", dngBytes());
    addRow(app, "", a);
    addRow(app, "", b);
    addRow(app, "ok", c);
    addRow(app, "ok", d);
    Scheduler::SetManual(true);
    start(app);
    Scheduler::Step(worker(app));
    Scheduler::Step(worker(app));
    ASSERT_EQ(app.statuses(), (Texts { "ok", "ok", "ok", "ok" }));

    // The worker stands at the end of row 1's pass.
    list(app).SetCell(0, 0, "");
    list(app).SetCell(1, 0, "");
    list(app).SetCell(3, 0, "");
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "", "", "ok", "ok" }));
    EXPECT_EQ(versionMinor(c), 2) << "a row that is not empty is not processed";
    EXPECT_EQ(versionMinor(d), 1);

    start(app);
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok (no change)", "ok (no change)", "ok", "ok" }));
}

// The engine's text is written into its row whatever the row holds by then,
// and the run does not take the row up again.
TEST(Worker, EngineTextReplacesARowEmptiedWhileTheEngineRan)
{
    AppHarness app;
    TempDir t;
    // Three entries before the version entry: three yield points inside the
    // engine's walk.
    std::string a = t.write("a.dng", dngBytes(3));
    std::string b = t.write("b.dng", dngBytes(3));
    Scheduler::SetManual(true);
    dropPaths(app, { a, b });

    Scheduler::Step(worker(app));
    ASSERT_EQ(app.statuses(), (Texts { "...", "" })) << "the worker should be inside the engine";
    list(app).SetCell(0, 0, "");
    Scheduler::Step(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "", "" }));
    Scheduler::Step(worker(app));
    Scheduler::Step(worker(app)); // the engine returns; the pass ends
    EXPECT_EQ(app.statuses(), (Texts { "ok", "" }));

    // The same through a batch that holds the file in progress.
    Scheduler::Step(worker(app));
    ASSERT_EQ(app.statuses(), (Texts { "ok", "..." }));
    dropPaths(app, { b });
    EXPECT_EQ(app.statuses(), (Texts { "ok", "" }));
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "ok" }));
    EXPECT_EQ(versionMinor(a, 3), 1);
    EXPECT_EQ(versionMinor(b, 3), 1);
}

TEST(Worker, RowsThatAreNotEmptyAreLeftAlone)
{
    AppHarness app;
    TempDir t;
    const Texts kept = { " ", "ok", "...", "OK", "v1.2.0.0", "\t" };
    std::vector<std::string> files;
    for (std::size_t i = 0; i < kept.size(); ++i) {
        files.push_back(t.write("kept" + std::to_string(i) + ".dng", dngBytes()));
        addRow(app, kept[i], files.back());
    }
    std::string queued = t.write("queued.dng", dngBytes());
    addRow(app, "", queued);

    Scheduler::SetManual(true);
    start(app);
    Scheduler::RunToEnd(worker(app));
    Texts expected = kept;
    expected.push_back("ok");
    EXPECT_EQ(app.statuses(), expected);
    for (const auto& f : files)
        EXPECT_EQ(versionMinor(f), 2) << f;
    EXPECT_EQ(versionMinor(queued), 1);
}

// A header read that fails after the file was opened leaves its row at "..."
// and ends the run; the failure is reported on stderr in one line naming the
// file, and the next start goes past the row.
TEST(Worker, FailedHeaderReadEndsTheRunAndLeavesTheRowBusy)
{
    AppHarness app;
    TempDir t;
    std::string a = t.write("a.dng", dngBytes());
    std::string b = t.write("b.dng", dngBytes());
    std::string c = t.write("c.dng", dngBytes());
    std::string d = t.write("d.dng", dngBytes());
    addRow(app, "", a);
    // A regular file that opens for reading and writing but whose read at
    // offset 0 fails (EIO): nothing is mapped at address 0.
    addRow(app, "", "/proc/self/mem");
    addRow(app, "", b);

    Scheduler::SetManual(true);
    testing::internal::CaptureStderr();
    dropPaths(app, { c });
    Scheduler::RunToEnd(worker(app));
    std::string err = testing::internal::GetCapturedStderr();
    EXPECT_FALSE(worker(app).IsRunning());
    EXPECT_EQ(app.statuses(), (Texts { "ok", "...", "", "" }));
    auto own = testsupport::ownLinesOf(err);
    ASSERT_EQ(own.size(), 1u) << err;
    EXPECT_NE(own[0].find("/proc/self/mem"), std::string::npos) << err;
    EXPECT_EQ(versionMinor(b), 2);

    // The application goes on; the next start skips the busy row.
    ASSERT_TRUE(app.window());
    dropPaths(app, { d });
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "ok", "...", "ok", "ok", "ok" }));
}

// The operation is read when the engine reaches the file's version entry: a
// batch queued with another operation while the walk yields before that entry
// decides it for the file in progress.
TEST(Worker, OperationChangedBeforeTheVersionEntryAppliesToThatFile)
{
    AppHarness app;
    TempDir t;
    std::string a = t.write("a.dng", dngBytes(3));
    std::string b = t.write("b.dng", dngBytes());
    Scheduler::SetManual(true);
    dropPaths(app, { a });
    Scheduler::Step(worker(app));
    ASSERT_EQ(app.statuses(), (Texts { "..." }));
    ASSERT_EQ(mode(app), 0);

    chooseOperation(app, 2);
    dropPaths(app, { b });
    EXPECT_EQ(mode(app), 2);
    Scheduler::RunToEnd(worker(app));
    EXPECT_EQ(app.statuses(), (Texts { "v1.2.0.0", "v1.2.0.0" }));
    EXPECT_EQ(versionMinor(a, 3), 2);
}

// Every status the worker writes reaches the list's view, which learns of
// changed rows in batches: each refresh must name every row changed since the
// one before.
TEST(Worker, ListViewLearnsOfEveryStatusTheWorkerWrites)
{
    AppHarness app;
    TempDir t;
    const std::vector<std::string> files = dngFiles(t, 5);
    auto* view = qobject_cast<QAbstractItemView*>(static_cast<QWidget*>(list(app).nativeWidget()));
    ASSERT_TRUE(view && view->model());
    std::set<int> told;
    QObject::connect(view->model(), &QAbstractItemModel::dataChanged,
        [&told](const QModelIndex& first, const QModelIndex& last) {
            for (int r = first.row(); r <= last.row(); ++r)
                told.insert(r);
        });

    Scheduler::SetManual(true);
    dropPaths(app, files);
    list(app).FlushView();
    ASSERT_EQ(view->model()->rowCount(), 5);
    told.clear();

    Scheduler::Step(worker(app));
    list(app).FlushView();
    EXPECT_TRUE(told.count(0));
    Scheduler::Step(worker(app));
    Scheduler::Step(worker(app));
    list(app).FlushView();
    EXPECT_TRUE(told.count(1) && told.count(2));
    Scheduler::RunToEnd(worker(app));
    list(app).FlushView();
    for (int r = 0; r < 5; ++r)
        EXPECT_TRUE(told.count(r)) << r;
    for (int r = 0; r < 5; ++r)
        EXPECT_EQ(view->model()->index(r, 0).data().toString().toStdString(), "ok") << r;

    // A cell changed once the worker has ended is told too, and alone.
    told.clear();
    list(app).SetCell(0, 0, "");
    list(app).FlushView();
    EXPECT_EQ(told, std::set<int> { 0 });
    EXPECT_EQ(view->model()->index(0, 0).data().toString().toStdString(), "");
}
