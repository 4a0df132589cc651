// The Open dialog's filter ("description|patterns|description|patterns...") in the form Qt's
// file dialog understands.
#pragma once

#include <QList>
#include <QString>
#include <QStringList>

namespace qtview {

struct FilterPair {
    QString description;
    QString patterns;  // separated by ";", as given
    bool operator==(const FilterPair&) const = default;
};

// Whose wildcard rules the pattern lists are read by.
enum class PatternRules { windows, other };

#ifdef Q_OS_WIN
inline constexpr PatternRules kHostPatternRules = PatternRules::windows;
#else
inline constexpr PatternRules kHostPatternRules = PatternRules::other;
#endif

// The pairs of `filter`; a trailing description without patterns is dropped.
QList<FilterPair> parseFilter(const QString& filter);

// Outside Windows "*.*" only matches names that contain a dot, so there the all-files list
// becomes "*". Every other list stays as given.
QString patternsForPlatform(const QString& patterns, PatternRules rules);

// One Qt name filter per pair: the description as given, then the patterns in parentheses,
// separated by blanks. Shown with QFileDialog::HideNameFilterDetails, only the description
// appears.
QStringList qtNameFilters(const QString& filter, PatternRules rules);

}  // namespace qtview
