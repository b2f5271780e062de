#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QtGlobal>

#include <atomic>
#include <chrono>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

// Once the application runs, Qt's own messages reach stderr as Qt prints
// them, and only Qt's logging rules decide which do: the application keeps
// no switch of its own.
TEST(QtMessages, ReachStderrUnderQtsLoggingRules)
{
    testsupport::AppHarness app;
    QLoggingCategory::setFilterRules(QStringLiteral("velmorra.muted.warning=false"));
    const QLoggingCategory muted("velmorra.muted");

    testing::internal::CaptureStderr();
    qWarning("a warning from the toolkit");
    qCritical("a critical message from the toolkit");
    qCWarning(muted, "a warning its rules switch off");
    const std::string err = testing::internal::GetCapturedStderr();
    QLoggingCategory::setFilterRules(QString());

    EXPECT_NE(err.find("a warning from the toolkit"), std::string::npos) << err;
    EXPECT_NE(err.find("a critical message from the toolkit"), std::string::npos) << err;
    EXPECT_EQ(err.find("a warning its rules switch off"), std::string::npos) << err;
}

namespace {

const std::string SideThreadMessage = "from another thread ";

// The numbers of the other thread's messages, as the handler that was in
// place before the application's received them.
std::mutex sReceivedLock;
std::vector<int> sReceived;

void recordingHandler(QtMsgType, const QMessageLogContext&, const QString& msg)
{
    const std::string text = msg.toStdString();
    if (text.compare(0, SideThreadMessage.size(), SideThreadMessage) != 0)
        return;
    std::lock_guard lock(sReceivedLock);
    sReceived.push_back(std::stoi(text.substr(SideThreadMessage.size())));
}

// Where the received numbers first differ from 0, 1, ... sent-1, or "".
std::string firstGap(const std::vector<int>& received, int sent)
{
    for (int i = 0; i < sent; ++i) {
        if (static_cast<std::size_t>(i) >= received.size())
            return "message " + std::to_string(i) + " and later never arrived";
        if (received[static_cast<std::size_t>(i)] != i)
            return "message " + std::to_string(i) + " arrived as " + std::to_string(received[static_cast<std::size_t>(i)]);
    }
    if (received.size() != static_cast<std::size_t>(sent))
        return std::to_string(received.size() - static_cast<std::size_t>(sent)) + " more than were sent";
    return "";
}

}

// The application's handler stands in for the one before it only while the
// application runs, and passes on to that one, never to itself. Started and
// ended twice in one process while another thread logs all the time, every
// message of that thread reaches the handler from before exactly once and in
// order: those held back while the toolkit starts, those while it runs, and
// those sent on their way as it ends.
TEST(QtMessages, StartAndEndTwiceWhileAnotherThreadLogs)
{
    sReceived.clear();
    const QtMessageHandler before = qInstallMessageHandler(recordingHandler);
    std::atomic<bool> stop { false };
    std::atomic<int> sent { 0 };
    std::thread side([&] {
        while (!stop) {
            qWarning("%s%d", SideThreadMessage.c_str(), sent.load());
            ++sent;
            std::this_thread::sleep_for(std::chrono::microseconds(20));
        }
    });
    auto waitForMore = [&sent] {
        const int now = sent;
        while (sent < now + 3)
            std::this_thread::yield();
    };

    for (int run = 0; run < 2; ++run) {
        waitForMore();
        testsupport::AppHarness app;
        EXPECT_TRUE(app.window());
        waitForMore();
    }
    waitForMore();
    stop = true;
    side.join();
    const QtMessageHandler after = qInstallMessageHandler(before);

    EXPECT_EQ(after, &recordingHandler) << "the handler from before the application is not back in place";
    std::lock_guard lock(sReceivedLock);
    EXPECT_EQ(firstGap(sReceived, sent), "");
}
