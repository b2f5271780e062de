#include "tests/support/AppHarness.h"

#include <gtest/gtest.h>

#include <QLoggingCategory>
#include <QtGlobal>

#include <string>

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
