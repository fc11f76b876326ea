#include "catalogue/searchfold.h"

#include <algorithm>

namespace Glimmerpad {

static bool isAscii(QStringView text)
{
    for (QChar c : text) {
        if (c.unicode() >= 0x80)
            return false;
    }
    return true;
}

static void dropMarks(QString &text)
{
    text.removeIf([](QChar c) {
        const QChar::Category category = c.category();
        return category == QChar::Mark_NonSpacing || category == QChar::Mark_SpacingCombining ||
               category == QChar::Mark_Enclosing;
    });
}

QString foldForSearch(QStringView text)
{
    if (isAscii(text)) { // the common case, and the cheapest: only A to Z change
        QString folded(text.size(), Qt::Uninitialized);
        std::transform(text.begin(), text.end(), folded.begin(), [](QChar c) {
            return c >= u'A' && c <= u'Z' ? QChar(c.unicode() + (u'a' - u'A')) : c;
        });
        return folded;
    }

    // Decompose so that accents become separate marks and drop them. Then fold case fully:
    // upper-casing applies the one-to-many mappings ("ß" -> "SS", "ﬁ" -> "FI") that simple
    // folding lacks, and lower-casing brings everything to one form. Only capital sharp s
    // comes back as "ß". Folding can leave new marks ("İ" -> "i̇"), so drop them again.
    QString folded = text.toString().normalized(QString::NormalizationForm_D);
    dropMarks(folded);
    folded = folded.toUpper().toLower();
    folded.replace(QChar(0x00DF), QLatin1StringView("ss"));
    folded = folded.normalized(QString::NormalizationForm_D);
    dropMarks(folded);
    return folded;
}

} // namespace Glimmerpad
