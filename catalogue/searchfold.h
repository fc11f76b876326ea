#pragma once

#include <QString>
#include <QStringView>

namespace Glimmerpad {

// The form in which search text and searched text are compared, so that a plain substring test
// ignores letter case (full case folding: "ß" matches "ss") and diacritical marks ("é" matches "e").
QString foldForSearch(QStringView text);

} // namespace Glimmerpad
