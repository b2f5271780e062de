#pragma once

#include "app/Window1.h"

#include <QFont>

#include <functional>
#include <string>
#include <vector>

namespace testsupport {

// The display every GUI test runs on, the same on any machine: Qt's offscreen
// platform with one 1280 x 800 screen at 96 dpi, and the tests' own font
// configuration, in which sans-serif is DejaVu Sans and only Debian's font
// folders are read; whatever the desktop session sets for Qt (theme, style,
// font resolution, scale) is left out. Takes effect for a toolkit started
// after the call.
void UseTestDisplay();

// The desktop font that the tests' exact sizes hold for: DejaVu Sans at
// 9 points, the font the layout was drawn for.
QFont ReferenceDesktopFont();
// A desktop font of that family and size, which the test's machine must
// have (the test command installs it).
QFont DesktopFont(const QString& family, double points);

// Starts the real application on the test display: the run-time, the class
// descriptions, the exception helper and the framework's initialisation with
// the real start-up routine, everything the main routine does before its
// event loop. The test then drives events itself; the destructor runs the
// real shut-down. One at a time; one process may make many, one after another.
class AppHarness {
public:
    // On a desktop whose font is the reference font.
    AppHarness();
    // The same on a desktop whose font is desktopFont.
    explicit AppHarness(const QFont& desktopFont);
    ~AppHarness();

    fw::Ref<Window1> window() const;

    // Runs the event loop until pred holds or timeoutMs passes.
    bool runUntil(const std::function<bool()>& pred, int timeoutMs = 10000);
    // Runs the event loop until the worker has ended and the list is shown.
    bool runUntilIdle(int timeoutMs = 10000);

    // The "Status" cells of every row.
    std::vector<std::string> statuses() const;
    std::vector<std::string> paths() const;

    // Beeps and opened addresses observed through the framework's seams.
    int beeps = 0;
    std::vector<std::string> openedURLs;

private:
    void start();
};

// Should the event loop still run after ms, records a failure and ends it,
// so that a test whose own way out failed fails instead of hanging.
void FailAndQuitAfter(int ms);

}

// Gives the window's private members to tests.

class Window1TestAccess {
public:
    static void processFiles(Window1& w, const std::vector<fw::Ref<fw::FolderItem>>& files) { w.processFiles(files); }
    static void addDirContents(Window1& w, const fw::Ref<fw::FolderItem>& folder, std::vector<fw::Ref<fw::FolderItem>>& out) { w.addDirContents(folder, out); }
    static void convertFile(Window1& w, const fw::Ref<fw::FolderItem>& f, std::string& result) { w.convertFile(f, result); }
    static std::int32_t& mMode(Window1& w) { return w.mMode; }
};
