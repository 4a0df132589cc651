#include "selection/qt_open_dialog.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFileDialog>
#include <QTemporaryDir>

#include "scripted_dialog.h"

namespace selection {
namespace {

// GetFiles over the real Qt adapter; `chosen` stands in for the user (nothing: Cancel).
QString getFilesChoosing(std::optional<QStringList> chosen, QStringList& messages) {
    testing::ensureQtApp();
    DialogServices services;
    services.createDialog = [&] {
        return std::make_unique<QtOpenDialog>(nullptr, [&](QFileDialog&) { return chosen; });
    };
    testing::recordMessages(services, messages);
    return GetFiles(services);
}

TEST(QtOpenDialog, CancelConfirmAndOverLongChoice) {
    const QString before = QDir::currentPath();
    QStringList messages;
    EXPECT_EQ(getFilesChoosing(std::nullopt, messages), "");
    EXPECT_TRUE(messages.isEmpty());
    QtOpenDialog cancelled(nullptr, [](QFileDialog&) { return std::optional<QStringList>(); });
    cancelled.setCancelError(true);
    try {
        cancelled.showOpen();
        ADD_FAILURE() << "a cancel with CancelError set was not reported";
    } catch (const DialogFailure& failure) {
        EXPECT_EQ(failure.number(), kCancelNumber);
    }

    QStringList tooMany;
    for (int i = 0; i < 2000; ++i) tooMany << QString("/data/a_rather_long_name_%1.htm").arg(i);
    EXPECT_EQ(getFilesChoosing(tooMany, messages), "");
    ASSERT_EQ(messages.size(), 1);
    EXPECT_TRUE(messages[0].startsWith("Open error|The selection is longer than 32767"));
    EXPECT_TRUE(messages[0].endsWith(".(20476)")) << messages[0].toStdString();
    EXPECT_EQ(QDir::currentPath(), before);

    QTemporaryDir dir;
    const QString folder = QDir(dir.path()).canonicalPath();
    EXPECT_EQ(getFilesChoosing(QStringList{folder + "/b.htm", folder + "/a.htm"}, messages),
              QDir::toNativeSeparators(folder) + QChar(0) + "b.htm" + QChar(0) + "a.htm");
    EXPECT_EQ(messages.size(), 1);
    EXPECT_EQ(QDir(QDir::currentPath()).canonicalPath(), folder);
    QDir::setCurrent(before);
}

}  // namespace
}  // namespace selection
