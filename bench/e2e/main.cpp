// The whole road a drop takes, measured in the real application: one drop of
// a folder tree of DNG files on the main window, the folder walk, the queue
// and the worker, until every row shows its status; against the floor set by
// the work that cannot be avoided: walking the tree and one open, one
// 1024-byte read and one 1024-byte write per file.
//
//   bench_e2e [--quick] [--reps R]
//
//   --quick    only the tree of 10,000 files (no 100,000-file run)
//   --reps R   rounds on the 10,000-file tree (default 3); R - 1, at least
//              one, on the 100,000-file tree
//
// Each application run happens in a fresh process (this program started
// again with --child), so that its memory and start-up are its own. The last
// five lines are the results; lines starting with "#" are details:
//
//   e2e/floor ratio            median over the rounds at 10,000 files
//   scaling 100k/10k           best run at 100,000 over best run at 10,000
//   drop handler us per file   median at the largest tree
//   max event-loop stall ms    the longest over every run
//   rss bytes per row          VmRSS growth over the last run at the largest
//                              tree, per listed row

#include "app/Startup.h"
#include "bench/support/Measure.h"
#include "bench/support/RealisticDng.h"
#include "app/Window1.h"
#include "framework/core/FolderItem.h"
#include "framework/core/Runtime.h"
#include "framework/core/Scheduler.h"
#include "framework/gui/Application.h"
#include "framework/gui/DragItem.h"
#include "framework/gui/SystemServices.h"

#include <QTimer>

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <dirent.h>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <map>
#include <string>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

using Clock = std::chrono::steady_clock;

using benchsupport::HeaderWindow;
using benchsupport::median;
constexpr long FilesPerFolder = 100;
constexpr int Fanout = 10;

double secondsSince(Clock::time_point start)
{
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int fail(const std::string& what)
{
    std::fprintf(stderr, "bench_e2e: %s\n", what.c_str());
    return 1;
}

using benchdng::dngHead;

// The offset of the byte that a patch to 1.1.0.0 changes, or 0.
std::size_t patchedByte(const std::string& head)
{
    long k = benchsupport::versionEntryIndex(head);
    return k < 0 ? 0 : static_cast<std::size_t>(10 + 12 * k + 9);
}

// ---- The tree ----

// N files, FilesPerFolder to a folder, the folders nested Fanout to a level
// (root/d0/d3/IMG_00301.DNG ...), each file a few MB with a sparse tail.
struct Tree {
    std::string root;
    std::vector<std::string> files;
    std::size_t patchAt = 0;

    bool build(const std::string& parent, long n)
    {
        root = parent + "/tree-" + std::to_string(n);
        if (::mkdir(root.c_str(), 0755) != 0)
            return false;
        long folders = (n + FilesPerFolder - 1) / FilesPerFolder;
        int depth = 0;
        for (long reach = 1; reach < folders; reach *= Fanout)
            ++depth;
        for (long f = 0; f < folders; ++f) {
            std::string dir = root;
            long rest = f;
            std::vector<int> digits(static_cast<std::size_t>(depth));
            for (int d = depth - 1; d >= 0; --d) {
                digits[static_cast<std::size_t>(d)] = static_cast<int>(rest % Fanout);
                rest /= Fanout;
            }
            for (int digit : digits) {
                dir += "/d" + std::to_string(digit);
                ::mkdir(dir.c_str(), 0755);
            }
            for (long k = f * FilesPerFolder; k < std::min(n, (f + 1) * FilesPerFolder); ++k) {
                char name[32];
                std::snprintf(name, sizeof name, "/IMG_%06ld.DNG", k);
                std::string path = dir + name;
                std::string head = dngHead(static_cast<unsigned>(k));
                patchAt = patchedByte(head);
                off_t length = (off_t(3) << 20) + off_t(k % 7) * (off_t(192) << 10);
                if (!benchdng::writeSparseFile(path, head, length))
                    return false;
                files.push_back(path);
            }
        }
        return patchAt != 0;
    }

    // Puts every file's version back to 1.2.0.0 (outside every timing).
    bool reset() const
    {
        const char two = 2;
        for (const std::string& p : files) {
            int fd = ::open(p.c_str(), O_WRONLY | O_CLOEXEC);
            bool ok = fd >= 0 && ::pwrite(fd, &two, 1, static_cast<off_t>(patchAt)) == 1;
            if (fd >= 0)
                ::close(fd);
            if (!ok)
                return false;
        }
        return true;
    }

    // Whether every file holds 1.1.0.0 now.
    bool allPatched() const
    {
        for (const std::string& p : files) {
            char b = 0;
            int fd = ::open(p.c_str(), O_RDONLY | O_CLOEXEC);
            bool ok = fd >= 0 && ::pread(fd, &b, 1, static_cast<off_t>(patchAt)) == 1 && b == 1;
            if (fd >= 0)
                ::close(fd);
            if (!ok)
                return false;
        }
        return true;
    }
};

// ---- The floor ----

bool endsInDng(const char* name)
{
    std::size_t n = std::strlen(name);
    return n >= 4 && strncasecmp(name + n - 4, ".dng", 4) == 0;
}

// Walks the tree (readdir, lstat) and reads and writes back each file's
// first 1024 bytes; returns the number of files done, or -1.
long floorWalk(const std::string& dir)
{
    DIR* d = ::opendir(dir.c_str());
    if (!d)
        return -1;
    long done = 0;
    while (dirent* e = ::readdir(d)) {
        if (std::strcmp(e->d_name, ".") == 0 || std::strcmp(e->d_name, "..") == 0)
            continue;
        std::string path = dir + "/" + e->d_name;
        struct stat st;
        if (::lstat(path.c_str(), &st) != 0)
            continue;
        if (S_ISDIR(st.st_mode)) {
            long sub = floorWalk(path);
            if (sub < 0) {
                done = -1;
                break;
            }
            done += sub;
        } else if (S_ISREG(st.st_mode) && endsInDng(e->d_name)) {
            if (!benchsupport::floorTouch(path)) {
                done = -1;
                break;
            }
            ++done;
        }
    }
    ::closedir(d);
    return done;
}

// ---- One run of the application, in its own process ----

long vmRssBytes()
{
    FILE* f = std::fopen("/proc/self/status", "r");
    if (!f)
        return -1;
    char line[256];
    long kb = -1;
    while (std::fgets(line, sizeof line, f))
        if (std::strncmp(line, "VmRSS:", 6) == 0)
            kb = std::strtol(line + 6, nullptr, 10);
    std::fclose(f);
    return kb < 0 ? -1 : kb * 1024;
}

// Starts the application offscreen through its real start-up routine, drops
// the tree's root on the main window and runs the event loop until every row
// shows a status. Prints its measurements as "key value" lines.
int childRun(const std::string& root)
{
    ::setenv("QT_QPA_PLATFORM", "offscreen", 1);
    int beeps = 0;
    fw::SetBeepHandler([&beeps] { ++beeps; });
    fw::SetShowURLHandler([](const std::string&) { });
    fw::RuntimeInit();
    pct_initialize();
    fw::_RuntimeSetExceptionHelper(&_CallFunctionWithExceptionHandling);
    fw::_RunFrameworkInitialization(&_Startup);
    auto window = std::dynamic_pointer_cast<Window1>(fw::_GetImplicitWindow("Window1.Window1"));
    if (!window)
        return fail("the main window did not open");
    fw::ProcessEventsFor(200); // shown, laid out and painted once
    auto list = window->filesList();

    long rssBefore = vmRssBytes();
    auto start = Clock::now();
    window->deliverDrop(fw::make<fw::DragItem>(std::vector<fw::Ref<fw::FolderItem>> { fw::FolderItem::FromPath(root) }), 0);
    double dropSeconds = secondsSince(start);

    // A 1 ms heartbeat: the longest gap between two firings is the longest
    // time the window could not take an event.
    double maxGapMs = 0;
    auto last = Clock::now();
    QTimer heartbeat;
    heartbeat.setTimerType(Qt::PreciseTimer);
    heartbeat.setInterval(1);
    QObject::connect(&heartbeat, &QTimer::timeout, [&] {
        auto now = Clock::now();
        maxGapMs = std::max(maxGapMs, std::chrono::duration<double, std::milli>(now - last).count());
        last = now;
    });
    heartbeat.start();
    last = Clock::now();

    // Rows are done in index order, so a cursor over the done rows keeps the
    // check cheap however long the list is.
    std::int32_t doneRows = 0;
    auto allDone = [&] {
        std::int32_t count = list->ListCount();
        while (doneRows < count) {
            const std::string& s = list->Cell(doneRows, 0);
            if (s.empty() || s == "...")
                break;
            ++doneRows;
        }
        return count > 0 && doneRows == count;
    };
    bool finished = fw::ProcessEventsUntil(allDone, 600000);
    double totalSeconds = secondsSince(start);
    heartbeat.stop();
    // What the stall measure saw last: the worker's end.
    fw::ProcessEventsUntil([] { return !fw::Scheduler::HasRunnable(); }, 10000);
    list->FlushView();
    fw::ProcessEventsFor(50);
    long rssAfter = vmRssBytes();

    long notOk = 0;
    for (std::int32_t i = 0; i < list->ListCount(); ++i)
        if (list->Cell(i, 0) != "ok")
            ++notOk;
    std::printf("rows %d\nnot_ok %ld\nbeeps %d\nfinished %d\n", list->ListCount(), notOk, beeps, finished ? 1 : 0);
    std::printf("drop_s %.6f\ntotal_s %.6f\nmax_gap_ms %.3f\nrss_before %ld\nrss_after %ld\n", dropSeconds,
        totalSeconds, maxGapMs, rssBefore, rssAfter);
    std::fflush(stdout);

    list.reset();
    window.reset();
    fw::Scheduler::Shutdown();
    pct_finalize();
    fw::RuntimeExit();
    return finished && notOk == 0 && beeps == 0 ? 0 : 1;
}

struct AppResult {
    long rows = 0, notOk = 0, beeps = 0;
    bool finished = false;
    double dropSeconds = 0, totalSeconds = 0, maxGapMs = 0;
    long rssBefore = 0, rssAfter = 0;
};

bool runApp(const std::string& self, const Tree& tree, AppResult& r)
{
    // The child is started directly, never through a shell: paths stay data.
    int fds[2];
    if (::pipe(fds) != 0)
        return false;
    pid_t pid = ::fork();
    if (pid < 0)
        return false;
    if (pid == 0) {
        ::dup2(fds[1], 1);
        ::close(fds[0]);
        ::close(fds[1]);
        const char* argv[] = { self.c_str(), "--child", tree.root.c_str(), nullptr };
        ::execv(self.c_str(), const_cast<char* const*>(argv));
        ::_exit(127);
    }
    ::close(fds[1]);
    FILE* p = ::fdopen(fds[0], "r");
    if (!p)
        return false;
    std::map<std::string, double> v;
    char key[64];
    double value;
    while (std::fscanf(p, "%63s %lf", key, &value) == 2)
        v[key] = value;
    std::fclose(p);
    int status = 0;
    ::waitpid(pid, &status, 0);
    status = WIFEXITED(status) ? WEXITSTATUS(status) : 1;
    r.rows = static_cast<long>(v["rows"]);
    r.notOk = static_cast<long>(v["not_ok"]);
    r.beeps = static_cast<long>(v["beeps"]);
    r.finished = v["finished"] != 0;
    r.dropSeconds = v["drop_s"];
    r.totalSeconds = v["total_s"];
    r.maxGapMs = v["max_gap_ms"];
    r.rssBefore = static_cast<long>(v["rss_before"]);
    r.rssAfter = static_cast<long>(v["rss_after"]);
    return status == 0 && r.finished && r.notOk == 0 && r.beeps == 0
        && r.rows == static_cast<long>(tree.files.size());
}

}

int main(int argc, char** argv)
{
    if (argc == 3 && std::strcmp(argv[1], "--child") == 0)
        return childRun(argv[2]);

    bool quick = false;
    int reps = 3;
    for (int i = 1; i < argc; ++i) {
        if (std::strcmp(argv[i], "--quick") == 0)
            quick = true;
        else if (std::strcmp(argv[i], "--reps") == 0 && i + 1 < argc && std::atoi(argv[i + 1]) > 0)
            reps = std::atoi(argv[++i]);
        else
            return fail(std::string("usage: bench_e2e [--quick] [--reps R]; not understood: ") + argv[i]);
    }
    std::string self = std::filesystem::read_symlink("/proc/self/exe").string();

    // The trees go when the run ends, however it ends.
    benchsupport::ScratchFolder folder("velmorra-e2e");
    if (folder.path.empty())
        return fail("cannot make a folder under " + std::filesystem::temp_directory_path().string());

    struct Size {
        long n;
        int reps;
        Tree tree;
        std::vector<double> ratios, apps, dropUs;
        AppResult last;
        double worstGapMs = 0;
    };
    std::vector<Size> sizes;
    sizes.push_back({ 10000, reps, {}, {}, {}, {}, {}, 0 });
    if (!quick)
        sizes.push_back({ 100000, std::max(1, reps - 1), {}, {}, {}, {}, {}, 0 });

    for (Size& s : sizes) {
        auto t = Clock::now();
        if (!s.tree.build(folder.path, s.n))
            return fail("cannot build the tree of " + std::to_string(s.n) + " files under " + folder.path);
        std::printf("# tree of %ld files (%ld to a folder, nested %d to a level) built in %.1f s\n", s.n,
            FilesPerFolder, Fanout, secondsSince(t));
        std::fflush(stdout);
        // One untimed pass of each, so that both find the tree in the cache.
        floorWalk(s.tree.root);
        for (int round = 1; round <= s.reps; ++round) {
            if (!s.tree.reset())
                return fail("cannot reset " + s.tree.root);
            auto f = Clock::now();
            long done = floorWalk(s.tree.root);
            double floorSeconds = secondsSince(f);
            if (done != s.n)
                return fail("the floor loop did " + std::to_string(done) + " files");
            if (!s.tree.reset())
                return fail("cannot reset " + s.tree.root);
            AppResult r;
            if (!runApp(self, s.tree, r))
                return fail("the application run failed: " + std::to_string(r.rows) + " rows, "
                    + std::to_string(r.notOk) + " not ok, " + std::to_string(r.beeps) + " beeps");
            if (!s.tree.allPatched())
                return fail("a file was not patched");
            s.ratios.push_back(r.totalSeconds / floorSeconds);
            s.apps.push_back(r.totalSeconds);
            s.dropUs.push_back(r.dropSeconds * 1e6 / double(s.n));
            s.last = r;
            s.worstGapMs = std::max(s.worstGapMs, r.maxGapMs);
            std::printf("# N=%ld round %d: floor %.3f s (%.2f us/file); app %.3f s (%.2f us/file: drop handler %.2f, "
                        "worker after it %.2f); ratio %.2f; max stall %.1f ms; rss +%ld bytes\n",
                s.n, round, floorSeconds, floorSeconds * 1e6 / double(s.n), r.totalSeconds,
                r.totalSeconds * 1e6 / double(s.n), r.dropSeconds * 1e6 / double(s.n),
                (r.totalSeconds - r.dropSeconds) * 1e6 / double(s.n), r.totalSeconds / floorSeconds, r.maxGapMs,
                r.rssAfter - r.rssBefore);
            std::fflush(stdout);
        }
    }

    const Size& small = sizes.front();
    const Size& big = sizes.back();
    // The floor and the application take turns on the same tree, so each
    // round's ratio sees one load on the machine; the median of the rounds
    // is the result. Scaling compares the best runs, the ones least slowed
    // by anything else on the machine.
    std::printf("e2e/floor ratio: %.2f\n", median(small.ratios));
    if (quick)
        std::printf("scaling 100k/10k: skipped (--quick)\n");
    else
        std::printf("scaling 100k/10k: %.2f\n",
            *std::min_element(big.apps.begin(), big.apps.end()) / *std::min_element(small.apps.begin(), small.apps.end()));
    double gapMs = 0;
    for (const Size& s : sizes)
        gapMs = std::max(gapMs, s.worstGapMs);
    std::printf("drop handler us per file: %.1f\n", median(big.dropUs));
    std::printf("max event-loop stall ms: %.1f\n", gapMs);
    std::printf("rss bytes per row: %.0f%s\n", double(big.last.rssAfter - big.last.rssBefore) / double(big.last.rows),
        quick ? " (at 10,000 rows)" : "");
    return 0;
}
