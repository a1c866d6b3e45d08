#include "gui/file_filter.h"

#include "gui/qt_text.h"

namespace orbilan::gui {

QtFileFilters toQtFilters(const std::string& filter)
{
    QtFileFilters out;
    const QStringList parts = qs(filter).split(QLatin1Char('|'));
    for (qsizetype i = 0; i + 1 < parts.size(); i += 2) {
        const QString description = parts[i].trimmed();
        QStringList patterns;
        QString suffix;
        for (QString pattern : parts[i + 1].split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
            pattern = pattern.trimmed();
            // "*.*" means every file; on this system names need not have a dot.
            if (pattern == QLatin1String("*.*"))
                pattern = QStringLiteral("*");
            if (pattern.isEmpty())
                continue;
            if (suffix.isEmpty() && patterns.isEmpty() && pattern.startsWith(QLatin1String("*."))
                && !pattern.mid(2).contains(QLatin1Char('*')) && !pattern.mid(2).contains(QLatin1Char('?')))
                suffix = pattern.mid(2);
            patterns << pattern;
        }
        if (patterns.isEmpty())
            patterns << QStringLiteral("*");
        out.filters << QStringLiteral("%1 (%2)").arg(description.isEmpty() ? patterns.join(QLatin1Char(' ')) : description,
                                                     patterns.join(QLatin1Char(' ')));
        out.suffixes << suffix;
    }
    if (out.filters.isEmpty()) {
        out.filters << QStringLiteral("All Files (*)");
        out.suffixes << QString();
    }
    return out;
}

} // namespace orbilan::gui
