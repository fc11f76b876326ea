#pragma once

#include <QString>

class QCoreApplication;

namespace Glimmerpad::Strings {

// Loads the program's strings table (Qt Linguist, id-based) for the system's language,
// English when there is none for it.
void installTranslations(QCoreApplication &app);

// The text for a key of the strings table; the key itself when the table lacks it.
QString localizedString(const char *key);

} // namespace Glimmerpad::Strings
