// The built application, started where its toolkit cannot start: one line on
// stderr that says why, exit status 1, no crash dump; and with Qt's own
// switches for more detail on, what Qt said on the way before that line.

#include "tests/support/TempDir.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <fcntl.h>
#include <ostream>
#include <spawn.h>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

namespace {

struct Outcome {
    bool exited = false;
    int status = -1; // the exit status, or the signal that ended it
    std::string err;
};

// Runs the application with the given environment and no other, but for the
// folders Qt and the sanitizers read from it; stdout is thrown away.
Outcome runApplication(const std::vector<std::string>& env)
{
    std::vector<std::string> all = env;
    for (const char* name : { "HOME", "XDG_RUNTIME_DIR", "ASAN_OPTIONS", "UBSAN_OPTIONS", "LSAN_OPTIONS" })
        if (const char* v = std::getenv(name))
            all.push_back(std::string(name) + "=" + v);
    std::vector<char*> envp;
    for (auto& e : all)
        envp.push_back(e.data());
    envp.push_back(nullptr);
    char program[] = VELMORRA_APP_PATH;
    char* argv[] = { program, nullptr };

    Outcome out;
    int fds[2];
    if (::pipe2(fds, O_CLOEXEC) != 0) {
        ADD_FAILURE() << "pipe: " << errno;
        return out;
    }
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    posix_spawn_file_actions_addopen(&actions, 0, "/dev/null", O_RDONLY, 0);
    posix_spawn_file_actions_addopen(&actions, 1, "/dev/null", O_WRONLY, 0);
    posix_spawn_file_actions_adddup2(&actions, fds[1], 2);
    pid_t child = -1;
    int spawned = ::posix_spawn(&child, program, &actions, nullptr, argv, envp.data());
    posix_spawn_file_actions_destroy(&actions);
    ::close(fds[1]);
    if (spawned != 0) {
        ::close(fds[0]);
        ADD_FAILURE() << "cannot start " << program << ": " << spawned;
        return out;
    }
    char buf[4096];
    ssize_t n;
    while ((n = ::read(fds[0], buf, sizeof buf)) > 0 || (n < 0 && errno == EINTR))
        if (n > 0)
            out.err.append(buf, static_cast<std::size_t>(n));
    ::close(fds[0]);
    int status = 0;
    while (::waitpid(child, &status, 0) < 0 && errno == EINTR) { }
    out.exited = WIFEXITED(status);
    out.status = out.exited ? WEXITSTATUS(status) : WTERMSIG(status);
    return out;
}

std::vector<std::string> linesOf(const std::string& text)
{
    std::vector<std::string> lines;
    std::size_t start = 0;
    for (std::size_t nl; (nl = text.find('\n', start)) != std::string::npos; start = nl + 1)
        lines.push_back(text.substr(start, nl - start));
    if (start < text.size())
        lines.push_back(text.substr(start));
    return lines;
}

// In env and line, "{plugins}" stands for a folder holding a file named as a
// platform plugin that is no library at all.
struct FailedStart {
    const char* name;
    std::vector<std::string> env;
    std::string line;
};

void PrintTo(const FailedStart& c, std::ostream* os)
{
    *os << c.name;
}

std::string withPlugins(std::string s, const std::string& folder)
{
    const std::string mark = "{plugins}";
    if (auto at = s.find(mark); at != std::string::npos)
        s.replace(at, mark.size(), folder);
    return s;
}

class FailedStartLine : public testing::TestWithParam<FailedStart> { };

}

// The line names the plugin and what failed, not only Qt's closing sentence
// that no platform plugin could be initialised.
TEST_P(FailedStartLine, IsOneLineThatSaysWhyAndTheStatusIsOne)
{
    testsupport::TempDir plugins;
    plugins.write("libqbroken.so", "this is not a shared library\n");
    std::vector<std::string> env;
    for (auto& e : GetParam().env)
        env.push_back(withPlugins(e, plugins.path()));

    Outcome run = runApplication(env);

    EXPECT_TRUE(run.exited) << "ended by signal " << run.status << "\n" << run.err;
    EXPECT_EQ(run.status, 1);
    EXPECT_EQ(run.err, withPlugins(GetParam().line, plugins.path()) + "\n");
}

INSTANTIATE_TEST_SUITE_P(Platforms, FailedStartLine,
    testing::Values(
        FailedStart { "NoPluginOfThatName", { "QT_QPA_PLATFORM=nonexistent" },
            R"(velmorra: cannot start: Could not find the Qt platform plugin "nonexistent" in "")" },
        FailedStart { "PluginFileThatIsNoLibrary", { "QT_QPA_PLATFORM=broken", "QT_QPA_PLATFORM_PLUGIN_PATH={plugins}" },
            R"(velmorra: cannot start: Could not find the Qt platform plugin "broken" in "{plugins}")" },
        FailedStart { "DisplayThatDoesNotAnswer", { "QT_QPA_PLATFORM=xcb", "DISPLAY=:4711" },
            "velmorra: cannot start: could not connect to display :4711" }),
    [](const testing::TestParamInfo<FailedStart>& info) { return info.param.name; });

namespace {

struct DetailSwitch {
    const char* name;
    std::string env;
    // The start of a debug line the switch lets through.
    std::string debugLine;
};

void PrintTo(const DetailSwitch& s, std::ostream* os)
{
    *os << s.env;
}

class FailedStartWithQtsDetail : public testing::TestWithParam<DetailSwitch> { };

}

// With Qt's switches for more detail on, what Qt said while it tried to
// start is shown, Qt's warning among it, and the one line still comes last.
TEST_P(FailedStartWithQtsDetail, ShowsWhatQtSaidBeforeTheLine)
{
    const std::string warning = R"(qt.qpa.plugin: Could not find the Qt platform plugin "nonexistent" in "")";
    Outcome run = runApplication({ "QT_QPA_PLATFORM=nonexistent", GetParam().env });

    EXPECT_TRUE(run.exited) << "ended by signal " << run.status << "\n" << run.err;
    EXPECT_EQ(run.status, 1);
    std::vector<std::string> lines = linesOf(run.err);
    ASSERT_GE(lines.size(), 3u) << run.err;
    EXPECT_EQ(lines.back(), R"(velmorra: cannot start: Could not find the Qt platform plugin "nonexistent" in "")");
    lines.pop_back();
    EXPECT_NE(std::find(lines.begin(), lines.end(), warning), lines.end()) << run.err;
    EXPECT_NE(std::find_if(lines.begin(), lines.end(),
                  [&](const std::string& l) { return l != warning && l.compare(0, GetParam().debugLine.size(), GetParam().debugLine) == 0; }),
        lines.end())
        << run.err;
}

INSTANTIATE_TEST_SUITE_P(Switches, FailedStartWithQtsDetail,
    testing::Values(DetailSwitch { "DebugPlugins", "QT_DEBUG_PLUGINS=1", "qt.core.plugin" },
        DetailSwitch { "LoggingRules", "QT_LOGGING_RULES=qt.qpa.*=true", "qt.qpa." }),
    [](const testing::TestParamInfo<DetailSwitch>& info) { return info.param.name; });
