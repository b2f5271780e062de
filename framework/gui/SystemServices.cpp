#include "framework/gui/SystemServices.h"
#include "framework/gui/QtText_p.h"

#include <QApplication>
#include <QProcess>
#include <QString>
#include <QStringList>

namespace fw {

static std::function<void()>& beepHandler()
{
    static std::function<void()> h;
    return h;
}

static std::function<void(const std::string&)>& urlHandler()
{
    static std::function<void(const std::string&)> h;
    return h;
}

void SetBeepHandler(std::function<void()> handler) { beepHandler() = std::move(handler); }
void SetShowURLHandler(std::function<void(const std::string&)> handler) { urlHandler() = std::move(handler); }

void Beep()
{
    if (beepHandler()) {
        beepHandler()();
        return;
    }
    QApplication::beep();
}

void ShowURL(const std::string& url)
{
    if (urlHandler()) {
        urlHandler()(url);
        return;
    }
    // The address is one argument of the opener: it never meets a shell.
    QProcess::startDetached(QStringLiteral("xdg-open"), { toQString(url) });
}

}
