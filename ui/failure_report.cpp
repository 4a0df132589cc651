#include "ui/failure_report.h"

#include <QStringList>
#include <algorithm>

QString failureText(const std::vector<Failure>& failures) {
    QStringList lines;
    lines << (failures.size() == 1 ? QStringLiteral("This file could not be processed:")
                                   : QStringLiteral("These files could not be processed:"));
    lines << QString();
    const auto listed = std::min(failures.size(), std::size_t{kMaxListedFailures});
    for (std::size_t i = 0; i < listed; ++i) {
        lines << QStringLiteral("%1: %2").arg(failures[i].file, failures[i].reason);
    }
    if (const auto more = failures.size() - listed; more > 0) {
        lines << QString();
        lines << (more == 1 ? QStringLiteral("1 more file failed.")
                            : QStringLiteral("%1 more files failed.").arg(more));
    }
    return lines.join(QLatin1Char('\n'));
}
