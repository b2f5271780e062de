// Whatever stops the application in the middle of a run, every file is
// either exactly as it was or exactly patched: one byte, nothing else.

#include "tests/app/QueueFixtures.h"

#include "app/Startup.h"
#include "framework/core/Runtime.h"
#include "framework/gui/Application.h"

#include <QAction>
#include <QTimer>
#include <QWidget>
#include <csignal>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

using namespace fw;

namespace {

constexpr int EntriesBefore = 20;
constexpr std::size_t VersionByte = 10 + 12 * EntriesBefore + 9;

// A tree of `files` DNG files in folders of 100, each padded with a pattern
// so that a stray write anywhere would show.
struct Tree {
    testsupport::TempDir dir;
    std::string original;
    std::vector<std::string> paths;

    explicit Tree(int files)
    {
        original = queuefixtures::dngBytes(EntriesBefore);
        for (int i = static_cast<int>(original.size()); i < 4096; ++i)
            original += static_cast<char>(i * 7 + 3);
        for (int i = 0; i < files; ++i) {
            char name[64];
            std::snprintf(name, sizeof name, "d%03d/IMG_%05d.DNG", i / 100, i);
            paths.push_back(dir.write(name, original));
        }
    }

    // Checks every file; returns how many were patched.
    int check() const
    {
        std::string patched = original;
        patched[VersionByte] = 0x01;
        int changed = 0;
        for (auto& p : paths) {
            std::string now = testsupport::readFile(p);
            if (now == patched)
                ++changed;
            else
                EXPECT_EQ(now, original) << p << " is neither as before nor exactly patched";
        }
        return changed;
    }

    bool firstPatched() const
    {
        int fd = ::open(paths.front().c_str(), O_RDONLY);
        char c = 0;
        bool done = fd >= 0 && ::pread(fd, &c, 1, VersionByte) == 1 && c == 0x01;
        if (fd >= 0)
            ::close(fd);
        return done;
    }
};

void dropTree(const std::string& root)
{
    auto w = std::dynamic_pointer_cast<Window1>(_GetImplicitWindow("Window1.Window1"));
    w->deliverDrop(make<DragItem>(std::vector<Ref<FolderItem>> { FolderItem::FromPath(root) }), 0);
}

}

TEST(CrashSafety, KilledMidRunLeavesEveryFileWholeOrPatched)
{
    Tree tree(5000);
    pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        testsupport::AppHarness app;
        dropTree(tree.dir.path());
        app.runUntil([] { return false; }, 60000);
        ::_exit(0);
    }
    for (int i = 0; i < 100000 && !tree.firstPatched(); ++i)
        ::usleep(200);
    ::kill(child, SIGKILL);
    int status = 0;
    ::waitpid(child, &status, 0);
    ASSERT_TRUE(WIFSIGNALED(status));
    int patched = tree.check();
    RecordProperty("patched", patched);
    EXPECT_GT(patched, 0);
}

TEST(CrashSafety, QuitWhileTheWorkerRunsEndsPromptlyWithStatusZero)
{
    testsupport::UseTestDisplay();
    Tree tree(3000);
    SetStartupObserver([&tree] {
        testsupport::FailAndQuitAfter(60000);
        QTimer::singleShot(0, [&tree] {
            dropTree(tree.dir.path());
            auto* poll = new QTimer;
            QObject::connect(poll, &QTimer::timeout, [poll, &tree] {
                if (!tree.firstPatched())
                    return;
                poll->stop();
                auto w = _GetImplicitWindow("Window1.Window1");
                static_cast<QWidget*>(w->nativeWindow())->findChild<QAction*>("FileQuit")->trigger();
                poll->deleteLater();
            });
            poll->start(1);
        });
    });
    EXPECT_EQ(pct_main(), 0);
    SetStartupObserver({});
    int patched = tree.check();
    RecordProperty("patched", patched);
    EXPECT_GT(patched, 0);
}
