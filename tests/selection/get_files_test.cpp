#include <gtest/gtest.h>

#include "scripted_dialog.h"

namespace selection::testing {
namespace {

const QStringList kSettings = {
    "create",
    "CancelError=true",
    "Filter=All Files (*.*)|*.*|Text Files (*.txt)|*.*.txt|INI Files (*.ini)|*.ini|"
    "Images (*.bmp;*.jpg;*.gif)|*.bmp;*.jpg;*.gif",
    "FilterIndex=1",
    "DialogTitle=Open files...",
    "MaxFileSize=32767",
    "Flags=788996"};

TEST(GetFiles, SetsEverySettingInOrderThenShowsReadsAndReleases) {
    Script script;
    script.selection = "C:\\data\\a.txt";
    EXPECT_EQ(GetFiles(scriptedServices(script)), "C:\\data\\a.txt");
    EXPECT_EQ(script.calls, (kSettings + QStringList{"ShowOpen", "FileName", "~"}));
    EXPECT_TRUE(script.messages.isEmpty());
}

TEST(GetFiles, FailuresOtherThanCancelSkipTheRestAndShowOpenError) {
    const struct {
        QString step;
        int number;
        QStringList calls;
    } cases[] = {
        {"ShowOpen", kCancelNumber, kSettings + QStringList{"ShowOpen", "FileName", "~"}},
        {"create", 20476, {"create"}},
        {"Filter", 20476, kSettings.mid(0, 3) + QStringList{"~"}},
        {"ShowOpen", 20476, kSettings + QStringList{"ShowOpen", "~"}},
        {"FileName", 20476, kSettings + QStringList{"ShowOpen", "FileName", "~"}},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE((c.step + QString::number(c.number)).toStdString());
        Script script;
        script.failAt = c.step;
        script.selection = "/data/a.txt";
        script.failure = DialogFailure(c.number, "The buffer is too small.");
        EXPECT_EQ(GetFiles(scriptedServices(script)), "");
        EXPECT_EQ(script.calls, c.calls);
        const QStringList expected{"Open error|The buffer is too small.(20476)"};
        EXPECT_EQ(script.messages, c.number == kCancelNumber ? QStringList{} : expected);
    }
}

}  // namespace
}  // namespace selection::testing
