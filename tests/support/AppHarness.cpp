#include "tests/support/AppHarness.h"

#include "app/Startup.h"
#include "framework/core/Runtime.h"
#include "framework/core/Scheduler.h"
#include "framework/gui/Application.h"
#include "framework/gui/SystemServices.h"

#include <QApplication>
#include <gtest/gtest.h>

#include <QCoreApplication>
#include <QTimer>

#include <cstdlib>

namespace testsupport {

void UseTestDisplay()
{
    // A desktop session's own settings for Qt (its theme, a style, a font
    // resolution, a scale) would change every size measured here.
    for (const char* name : { "QT_QPA_PLATFORMTHEME", "QT_STYLE_OVERRIDE", "QT_FONT_DPI", "QT_SCALE_FACTOR",
             "QT_SCREEN_SCALE_FACTORS", "QT_ENABLE_HIGHDPI_SCALING", "QT_SCALE_FACTOR_ROUNDING_POLICY",
             "QT_USE_PHYSICAL_DPI", "QT_DEVICE_PIXEL_RATIO", "QT_AUTO_SCREEN_SCALE_FACTOR" })
        ::unsetenv(name);
    ::setenv("QT_QPA_PLATFORM", "offscreen:configfile=" VELMORRA_TEST_SUPPORT_DIR "/offscreen.json", 1);
    // Read once, when the toolkit first asks for a font; in a process that
    // starts the toolkit again it is the same file.
    ::setenv("FONTCONFIG_FILE", VELMORRA_TEST_SUPPORT_DIR "/fonts.conf", 1);
}

QFont DesktopFont(const QString& family, double points)
{
    QFont f(family);
    f.setPointSizeF(points);
    return f;
}

QFont ReferenceDesktopFont()
{
    return DesktopFont(QStringLiteral("DejaVu Sans"), 9);
}

AppHarness::AppHarness()
    : AppHarness(ReferenceDesktopFont())
{
}

AppHarness::AppHarness(const QFont& desktopFont)
{
    // Set before the toolkit starts, the application font takes the place of
    // the desktop's; the toolkit forgets it again when the run ends.
    QApplication::setFont(desktopFont);
    start();
}

void AppHarness::start()
{
    UseTestDisplay();
    fw::SetBeepHandler([this] { ++beeps; });
    fw::SetShowURLHandler([this](const std::string& url) { openedURLs.push_back(url); });
    fw::RuntimeInit();
    pct_initialize();
    fw::_RuntimeSetExceptionHelper(&_CallFunctionWithExceptionHandling);
    fw::_RunFrameworkInitialization(&_Startup);
}

AppHarness::~AppHarness()
{
    fw::Scheduler::SetManual(false);
    fw::Scheduler::SetMainYieldHook({});
    fw::Scheduler::Shutdown();
    pct_finalize();
    fw::RuntimeExit();
    fw::SetBeepHandler({});
    fw::SetShowURLHandler({});
}

fw::Ref<Window1> AppHarness::window() const
{
    return std::dynamic_pointer_cast<Window1>(fw::_GetImplicitWindow("Window1.Window1"));
}

bool AppHarness::runUntil(const std::function<bool()>& pred, int timeoutMs)
{
    return fw::ProcessEventsUntil(pred, timeoutMs);
}

bool AppHarness::runUntilIdle(int timeoutMs)
{
    bool done = runUntil([] { return !fw::Scheduler::HasRunnable(); }, timeoutMs);
    if (auto w = window())
        w->filesList()->FlushView();
    return done;
}

std::vector<std::string> AppHarness::statuses() const
{
    std::vector<std::string> out;
    auto list = window()->filesList();
    for (std::int32_t i = 0; i < list->ListCount(); ++i)
        out.push_back(list->Cell(i, 0));
    return out;
}

std::vector<std::string> AppHarness::paths() const
{
    std::vector<std::string> out;
    auto list = window()->filesList();
    for (std::int32_t i = 0; i < list->ListCount(); ++i)
        out.push_back(list->Cell(i, 1));
    return out;
}

void FailAndQuitAfter(int ms)
{
    QTimer::singleShot(ms, [ms] {
        ADD_FAILURE() << "the event loop still ran after " << ms << " ms";
        QCoreApplication::quit();
    });
}

}
