#include "gui/file_filter.h"

#include "gui/qt_text.h"

namespace gui {

QStringList QtNameFilters(const std::string& filter) {
    QStringList parts = ToQt(filter).split(QLatin1Char('|'));
    QStringList result;
    for (int i = 0; i + 1 < parts.size(); i += 2) {
        QString description = parts[i].trimmed();
        QString patterns = parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)
                               .replaceInStrings(QStringLiteral(" "), QString())
                               .join(QLatin1Char(' '));
        if (patterns.isEmpty()) continue;
        QString bracketed = QLatin1Char('(') + patterns + QLatin1Char(')');
        if (description.endsWith(bracketed)) {
            result << description;
        } else {
            result << (description.isEmpty() ? bracketed : description + QLatin1Char(' ') + bracketed);
        }
    }
    return result;
}

}  // namespace gui
