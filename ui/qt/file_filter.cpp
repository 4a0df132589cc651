#include "ui/qt/file_filter.h"

namespace qtview {

QList<FilterPair> parseFilter(const QString& filter) {
    QList<FilterPair> pairs;
    if (filter.isEmpty()) return pairs;
    const QStringList fields = filter.split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < fields.size(); i += 2) pairs.append({fields[i], fields[i + 1]});
    return pairs;
}

QString patternsForPlatform(const QString& patterns, PatternRules rules) {
    if (rules == PatternRules::other && patterns == QLatin1String("*.*")) {
        return QStringLiteral("*");
    }
    return patterns;
}

QStringList qtNameFilters(const QString& filter, PatternRules rules) {
    QStringList nameFilters;
    for (const FilterPair& pair : parseFilter(filter)) {
        QStringList patterns =
            patternsForPlatform(pair.patterns, rules).split(QLatin1Char(';'), Qt::SkipEmptyParts);
        for (QString& pattern : patterns) pattern = pattern.trimmed();
        nameFilters.append(pair.description + QStringLiteral(" (") +
                           patterns.join(QLatin1Char(' ')) + QLatin1Char(')'));
    }
    return nameFilters;
}

}  // namespace qtview
