#include "ui/failure_report.h"

#include <gtest/gtest.h>

#include <QStringList>

namespace {

std::vector<Failure> failures(int count) {
    std::vector<Failure> list;
    for (int i = 1; i <= count; ++i) {
        list.push_back(
            {QStringLiteral("/site/f%1.htm").arg(i), QStringLiteral("reason %1").arg(i)});
    }
    return list;
}

TEST(FailureText, ListsEachFileWithItsReasonUpToTwentyAndCountsTheRest) {
    struct Row {
        int count;
        int listed;
        QString tail;
    };
    const Row rows[] = {
        {1, 1, {}},
        {20, 20, {}},
        {21, 20, "1 more file failed."},
        {25, 20, "5 more files failed."},
    };
    for (const Row& row : rows) {
        SCOPED_TRACE(row.count);
        const QString text = failureText(failures(row.count));
        for (int i = 1; i <= row.count; ++i) {
            const QString line = QStringLiteral("/site/f%1.htm: reason %1").arg(i);
            EXPECT_EQ(text.split('\n').contains(line), i <= row.listed) << line.toStdString();
        }
        if (row.tail.isEmpty()) {
            EXPECT_FALSE(text.contains("more")) << text.toStdString();
        } else {
            EXPECT_TRUE(text.endsWith(row.tail)) << text.toStdString();
        }
    }
}

}  // namespace
