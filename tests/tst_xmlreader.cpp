// The XML property-list reader: what it takes, what it refuses and why, and that it reads what
// libplist read.
#include "catalogue/plistdefences.h"
#include "catalogue/propertylist.h"
#include "catalogue/xmlencoding.h"
#include "catalogue/xmlpropertylist.h"
#include "catalogue/xmltext.h"
#include "testsupport.h"

#include <QDirIterator>

#include <gtest/gtest.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;

namespace {

// How XML was read before this reader: by libplist, behind the checks it needed (its entity work
// aside, which the small inputs here never reach).
PlistPtr readByLibplist(QByteArrayView bytes)
{
    const XmlEncoding::Utf8Xml utf8 = XmlEncoding::toUtf8(bytes);
    const QByteArrayView text = utf8.text();
    if (!utf8.refusal.isEmpty() || text.contains('\0'))
        return {};
    plist_t parsed = nullptr;
    plist_from_memory(text.data(), static_cast<uint32_t>(text.size()), &parsed);
    PlistPtr root(parsed);
    if (root && PlistDefences::shapeOf(root.get(), false) == PlistDefences::Shape::TooDeep)
        return {};
    return root;
}

// The XML inputs of the fuzz corpus and the regressions, by name, as the catalogue reads them.
QList<std::pair<QString, QByteArray>> corpusXml()
{
    QList<std::pair<QString, QByteArray>> inputs;
    for (const QString &folder : {u"/corpus/"_s, u"/regressions/"_s}) {
        for (const QString &target : {u"user_snippet"_s, u"system_library"_s}) {
            QDirIterator it(QStringLiteral(GLIMMERPAD_FUZZ_DIR) + folder + target, QDir::Files);
            while (it.hasNext()) {
                const QString path = it.next();
                QByteArray bytes = readFile(path);
                if (target == u"system_library"_s) { // a header and a filter before the library
                    if (bytes.size() < 3)
                        continue;
                    const qsizetype filter = std::min<qsizetype>(uchar(bytes[2]) % 16, bytes.size() - 3);
                    bytes = bytes.sliced(3 + filter);
                }
                if (!bytes.startsWith("bplist00"))
                    inputs.append({folder.mid(1) + target + u'/' + it.fileName(), bytes});
            }
        }
    }
    return inputs;
}

TEST(XmlReader, ReadsTheCorpusAsLibplistDid)
{
    const MessageCapture log;
    int same = 0;
    for (const auto &[name, bytes] : corpusXml()) {
        const PlistPtr before = readByLibplist(bytes);
        QString error;
        const PlistPtr now = parsePropertyList(bytes, &error);
        if ((!before && !now) || (before && now && propertyListsEqual(before.get(), now.get()))) {
            ++same;
            continue;
        }
        ADD_FAILURE() << name.toStdString() << ": libplist " << (before ? "read" : "refused") << ", now "
                      << (now ? "read" : "refused: " + error.toStdString()) << " wellformed " << XmlText::isWellFormed(bytes);
    }
    RecordProperty("same", same);
}

} // namespace
