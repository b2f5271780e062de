#include "tests/support/AppHarness.h"
#include "tests/support/TempDir.h"

#include "framework/gui/Application.h"
#include "framework/gui/SystemServices.h"

#include <cstdlib>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <unistd.h>

// The address reaches the desktop's opener as one argument, untouched: no
// shell ever sees it, so nothing in it can run.
TEST(SystemServices, ShowURLHandsTheAddressToTheOpenerAsOneArgument)
{
    testsupport::AppHarness app;
    fw::SetShowURLHandler({}); // the real opener, not the harness's seam
    testsupport::TempDir dir;
    std::string record = dir.file("args");
    std::string opener = dir.write("bin/xdg-open",
        "#!/bin/sh\n"
        "for a in \"$@\"; do printf '%s\\n' \"$a\"; done > '" + record + ".tmp'\n"
        "mv '" + record + ".tmp' '" + record + "'\n");
    ASSERT_EQ(::chmod(opener.c_str(), 0755), 0);
    std::string path = dir.file("bin") + ":" + std::getenv("PATH");
    ::setenv("PATH", path.c_str(), 1);

    const std::string url = "https://forum.example.org/t/x?a=1&b=$(touch " + dir.file("ran") + ");c=`id` 'q' %s";
    fw::ShowURL(url);
    ASSERT_TRUE(app.runUntil([&] { return ::access(record.c_str(), F_OK) == 0; }, 10000));
    EXPECT_EQ(testsupport::readFile(record), url + "\n");
    EXPECT_NE(::access(dir.file("ran").c_str(), F_OK), 0);
}
