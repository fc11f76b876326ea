#include "catalogue/paths.h"

namespace Glimmerpad {

static QString withoutTrailingSeparators(QString path)
{
    while (path.size() > 1 && path.endsWith(u'/'))
        path.chop(1);
    return path;
}

QString appendPathComponent(const QString &base, const QString &component)
{
    qsizetype start = 0;
    while (start < component.size() && component.at(start) == u'/')
        ++start;
    const QString tail = withoutTrailingSeparators(component.mid(start));
    const QString head = withoutTrailingSeparators(base);
    if (tail.isEmpty())
        return head;
    if (head.isEmpty())
        return tail;
    if (head == QLatin1StringView("/"))
        return head + tail;
    return head + u'/' + tail;
}

} // namespace Glimmerpad
