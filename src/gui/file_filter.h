#pragma once
// File dialog filters: the host's "Description|*.ext|..." pairs as Qt's
// "Description (*.ext)" entries.

#include <QStringList>
#include <string>

namespace gui {

// Several patterns of one pair may be separated by ";". A description that
// already ends with its pattern in brackets is kept as it is.
QStringList QtNameFilters(const std::string& filter);

}  // namespace gui
