// The message that lists the files a run could not process.
#pragma once

#include <QString>
#include <vector>

inline const QString kReplaceErrorTitle = QStringLiteral("Replace error");

struct Failure {
    QString file;
    QString reason;
};

// One line per file, "file: reason"; past kMaxListedFailures files the rest are only counted.
inline constexpr int kMaxListedFailures = 20;
QString failureText(const std::vector<Failure>& failures);
