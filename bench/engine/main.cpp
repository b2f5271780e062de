// Throughput of the header engine against the floor set by the file I/O it
// cannot avoid: one open, one 1024-byte read and one 1024-byte write per file.
//
//   bench_engine [N]    N files (default 10000)
//
// The engine runs as the application runs it: one cooperative thread that
// converts the files one by one, with a yield point after each, driven by the
// scheduler in time slices. The last line is the median engine/floor ratio.

#include "bench/support/Measure.h"
#include "bench/support/RealisticDng.h"
#include "dngpatch/convertFile.h"
#include "framework/core/FolderItem.h"
#include "framework/core/Scheduler.h"
#include "framework/core/Thread.h"

#include <algorithm>
#include <chrono>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fcntl.h>
#include <filesystem>
#include <functional>
#include <string>
#include <unistd.h>
#include <vector>

namespace {

using benchdng::dngHead;

using Clock = std::chrono::steady_clock;

using benchsupport::HeaderWindow;
using benchsupport::median;
constexpr int Rounds = 7;

// ---- The two loops under test ----

class Batch : public fw::Thread {
public:
    Batch(const std::vector<fw::Ref<fw::FolderItem>>& files, std::vector<std::string>& results)
        : mFiles(files)
        , mResults(results)
    {
    }

protected:
    void Event_Run() override
    {
        for (std::size_t i = 0; i < mFiles.size(); ++i) {
            mResults[i].clear();
            dngpatch::convertFile(mFiles[i], mResults[i], mMode);
            fw::YieldPoint();
        }
    }

private:
    const std::vector<fw::Ref<fw::FolderItem>>& mFiles;
    std::vector<std::string>& mResults;
    std::int32_t mMode = dngpatch::ModeMakeCompatible;
};

bool floorPass(const std::vector<std::string>& paths)
{
    for (const std::string& p : paths)
        if (!benchsupport::floorTouch(p))
            return false;
    return true;
}

double seconds(const std::function<void()>& f)
{
    auto start = Clock::now();
    f();
    return std::chrono::duration<double>(Clock::now() - start).count();
}

int fail(const char* what, const std::string& detail)
{
    std::fprintf(stderr, "bench_engine: %s: %s\n", what, detail.c_str());
    return 1;
}

}

int main(int argc, char** argv)
{
    long n = 10000;
    if (argc > 1) {
        char* end = nullptr;
        n = std::strtol(argv[1], &end, 10);
        if (*end || n <= 0)
            return fail("not a file count", argv[1]);
    }

    // The folder and every file in it go when the run ends, however it ends.
    benchsupport::ScratchFolder folder("velmorra-bench");
    if (folder.path.empty())
        return fail("cannot make a folder under", std::filesystem::temp_directory_path().string());

    std::vector<std::string> paths;
    std::vector<std::string> headers; // each file's first 1024 bytes
    std::vector<fw::Ref<fw::FolderItem>> files;
    for (long i = 0; i < n; ++i) {
        char name[32];
        std::snprintf(name, sizeof name, "/IMG_%05ld.DNG", i);
        std::string path = folder.path + name;
        std::string head = dngHead(static_cast<unsigned>(i));
        // A few MB each, as a sparse tail.
        off_t length = (off_t(3) << 20) + off_t(i % 5) * (off_t(256) << 10);
        if (!benchdng::writeSparseFile(path, head, length))
            return fail("cannot make", path);
        paths.push_back(path);
        headers.push_back(head.substr(0, HeaderWindow));
        files.push_back(fw::FolderItem::FromPath(path));
    }

    auto reset = [&]() -> bool {
        for (std::size_t i = 0; i < paths.size(); ++i) {
            int fd = ::open(paths[i].c_str(), O_WRONLY | O_CLOEXEC);
            bool ok = fd >= 0 && ::pwrite(fd, headers[i].data(), HeaderWindow, 0) == static_cast<ssize_t>(HeaderWindow);
            if (fd >= 0)
                ::close(fd);
            if (!ok)
                return false;
        }
        return true;
    };

    const std::string& h = headers.front();
    unsigned entries = unsigned(std::uint8_t(h[8])) | unsigned(std::uint8_t(h[9])) << 8;
    std::printf("bench_engine: %ld files of a few MB, %u IFD0 entries, DNGBackwardVersion at entry %ld\n", n, entries,
        benchsupport::versionEntryIndex(h));
    std::vector<double> floorRates, engineRates, ratios;
    std::vector<std::string> results(files.size());
    for (int round = 1; round <= Rounds; ++round) {
        if (!reset())
            return fail("cannot reset", folder.path);
        double floorTime = 0, engineTime = 0;
        bool floorOk = true;
        auto runFloor = [&] { floorTime = seconds([&] { floorOk = floorPass(paths); }); };
        auto runEngine = [&] {
            auto batch = fw::make<Batch>(files, results);
            engineTime = seconds([&] {
                batch->Run();
                fw::Scheduler::RunUntilIdle();
            });
        };
        // Take turns at going first, so neither always finds the cache as
        // the other left it.
        if (round % 2) {
            runFloor();
            runEngine();
        } else {
            runEngine();
            runFloor();
        }
        if (!floorOk)
            return fail("floor loop failed", folder.path);
        for (std::size_t i = 0; i < results.size(); ++i)
            if (results[i] != "ok")
                return fail(paths[i].c_str(), "\"" + results[i] + "\"");

        double floorRate = double(n) / floorTime, engineRate = double(n) / engineTime;
        floorRates.push_back(floorRate);
        engineRates.push_back(engineRate);
        ratios.push_back(engineTime / floorTime);
        std::printf("round %d: floor %.0f files/s, engine %.0f files/s, ratio %.2f\n", round, floorRate, engineRate,
            engineTime / floorTime);
    }

    std::printf("floor (open, pread 1024, pwrite 1024, close): %.0f files/s\n", median(floorRates));
    std::printf("engine (convertFile, mode 0, on a scheduled thread): %.0f files/s\n", median(engineRates));
    std::printf("engine/floor ratio: %.2f\n", median(ratios));
    return 0;
}
