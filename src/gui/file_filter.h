// File dialog filters as the program writes them ("cal files|*.cal|All Files|*.*",
// description and pattern alternating) turned into Qt's name filters.
#pragma once

#include <string>

#include <QStringList>

namespace orbilan::gui {

struct QtFileFilters {
    QStringList filters;  // "cal files (*.cal)", "All Files (*)"
    QStringList suffixes; // per filter: the extension a saved name gets ("cal"), or empty
};

QtFileFilters toQtFilters(const std::string& filter);

} // namespace orbilan::gui
