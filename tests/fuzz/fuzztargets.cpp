#include "fuzztargets.h"

#include "catalogue/plistdefences.h"
#include "catalogue/propertylist.h"
#include "catalogue/snippetcatalogue.h"
#include "catalogue/xcodeinstallation.h"
#include "catalogue/xmlencoding.h"
#include "catalogue/xmltext.h"

#include <QDir>
#include <QFile>
#include <QMap>
#include <QTemporaryDir>

#include <algorithm>
#include <cstdio>
#include <cstdlib>

namespace Glimmerpad::Fuzz {

namespace {

void abortOnFailure(const char *what)
{
    std::fprintf(stderr, "fuzz: broken promise: %s\n", what);
    std::abort();
}

FailureHandler s_onFailure = &abortOnFailure;

bool writeBytes(const QString &path, QByteArrayView bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) &&
           file.write(bytes.data(), bytes.size()) == bytes.size();
}

// One Xcode 5.1 installation and one home folder in a temporary folder, made on first use.
struct Installation
{
    QTemporaryDir dir;
    QString xcode = dir.filePath(QStringLiteral("Xcode.app"));
    QString home = dir.filePath(QStringLiteral("home"));
    QString library = xcode + QLatin1StringView(Xcode::kIdeKitLibraryComponent);

    Installation()
    {
        QDir().mkpath(xcode + QStringLiteral("/Contents"));
        QDir().mkpath(library.section(u'/', 0, -2));
        writeBytes(xcode + QStringLiteral("/Contents/Info.plist"),
                   "<plist><dict><key>CFBundleShortVersionString</key><string>5.1</string></dict></plist>");
        QDir().mkpath(userFolder());
    }
    QString userFolder() const { return SnippetCatalogue(home).userCodeSnippetsDirectory(); }
    void emptyUserFolder() const
    {
        QDir folder(userFolder());
        for (const QString &name :
             folder.entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot)) {
            if (!folder.remove(name))
                QDir(folder.filePath(name)).removeRecursively();
        }
    }
};

Installation &installation()
{
    static Installation instance;
    return instance;
}

bool userFolderHasSnippetFiles(const Installation &at)
{
    return !QDir(at.userFolder())
                .entryList({QStringLiteral("*.codesnippet")}, QDir::AllEntries | QDir::Hidden | QDir::System)
                .isEmpty();
}

// The snippet files of the user folder, by name, with their bytes.
QMap<QString, QByteArray> snippetFiles(const Installation &at)
{
    QMap<QString, QByteArray> files;
    QDir folder(at.userFolder());
    for (const QString &name : folder.entryList({QStringLiteral("*.codesnippet")}, QDir::Files | QDir::Hidden)) {
        QFile file(folder.filePath(name));
        files.insert(name, file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray());
    }
    return files;
}

// Writes an override of row and checks that the catalogue then shows it, then reverts it.
void overrideAndRevert(SnippetCatalogue &catalogue, qsizetype row, bool disable,
                       const std::optional<QString> &contents)
{
    const SnippetRecord system = catalogue.recordAtRow(row);
    const Identifier identifier = system.identifier();
    const QMap<QString, QByteArray> before = snippetFiles(installation());
    const ChangeResult written = catalogue.overrideSystemCodeSnippetAtIndex(row, disable, contents);
    if (!SnippetCatalogue::isSafeIdentifier(identifier) || (contents && contents->contains(QChar(u'\0'))))
        check(written.status == ChangeResult::Status::Refused, "an unsafe identifier or text was not refused");
    if (written.status == ChangeResult::Status::Refused) {
        // Text or a record a property list cannot give back: refused with a reason, nothing written.
        check(!written.reason.isEmpty(), "a refused write gave no reason");
        check(snippetFiles(installation()) == before, "a refused write changed the folder");
        return;
    }
    if (written.status == ChangeResult::Status::Failed) {
        // The one failure a healthy folder allows: a name longer than the file system takes.
        check(identifier->toUtf8().size() > 200, "an override could not be written to a healthy folder");
        check(!written.reason.isEmpty(), "a failed write gave no reason");
        return;
    }
    check(written.status == ChangeResult::Status::Done, "an override write neither succeeded nor failed");
    const SnippetRecord shown = catalogue.shownRecord(system);
    check(catalogue.hasOverride(identifier) && !shown.isSameRecord(system),
          "a written override is not read back as the override");
    check(SnippetCatalogue::isDisabledOverride(shown) == disable, "the override's shortcut state was lost");
    if (contents)
        check(shown.contents() == contents, "the override's contents were not read back unchanged");
    check(shown.identifier() == identifier, "the override's identifier changed");
    check(XmlText::isWellFormed(shown.sourceBytes()), "a written override is not well-formed XML");

    const ChangeResult reverted = catalogue.removeUserCodeSnippetAtIndex(row);
    check(reverted.status == ChangeResult::Status::Done, "an override could not be reverted");
    check(!catalogue.hasOverride(identifier), "a reverted override is still shown");
}

} // namespace

void setFailureHandler(FailureHandler handler)
{
    s_onFailure = handler ? handler : &abortOnFailure;
}

void check(bool condition, const char *what)
{
    if (!condition)
        s_onFailure(what);
}

void userSnippetFile(QByteArrayView bytes)
{
    static const bool libraryWritten = writeBytes(
        installation().library,
        "<plist><array>"
        "<dict><key>IDECodeSnippetIdentifier</key><string>alpha</string><key>IDECodeSnippetTitle</key>"
        "<string>Alpha</string><key>IDECodeSnippetCompletionPrefix</key><string>al</string>"
        "<key>IDECodeSnippetContents</key><string>alpha body</string></dict>"
        "<dict><key>IDECodeSnippetIdentifier</key><string>blank</string>"
        "<key>IDECodeSnippetCompletionPrefix</key><string></string></dict>"
        "<dict><key>IDECodeSnippetIdentifier</key><string>none</string><key>IDECodeSnippetTitle</key>"
        "<string>None</string></dict></array></plist>");
    const Installation &at = installation();
    static SnippetCatalogue catalogue = [&] {
        SnippetCatalogue made(at.home);
        made.parseSystemCodeSnippets(at.xcode);
        return made;
    }();
    check(libraryWritten && catalogue.rowCount() == 3, "the fuzz installation could not be made");

    const SnippetRecord direct = SnippetRecord::fromPropertyList(bytes);
    if (!direct.isNull()) {
        // Every accessor on whatever was read; the answers themselves may be anything.
        (void)direct.title(), (void)direct.summary(), (void)direct.completionPrefix(),
            (void)direct.contents();
        check(propertyListsEqual(direct.dictionary(), direct.dictionary()), "a record differs from itself");
        check(!direct.toXml().isEmpty(), "a record could not be written as XML");
    }

    at.emptyUserFolder();
    check(writeBytes(at.userFolder() + QStringLiteral("/fuzz.codesnippet"), bytes),
          "the input could not be written");
    catalogue.parseUserCodeSnippets();
    check(catalogue.userCodeSnippets().size() == (direct.isNull() ? 0 : 1),
          "the catalogue read the file differently from a direct read");
    if (!direct.isNull())
        check(propertyListsEqual(catalogue.userCodeSnippets().first().dictionary(), direct.dictionary()), "the catalogue's record differs");

    for (qsizetype row = 0; row < catalogue.rowCount(); ++row) {
        const SnippetRecord system = catalogue.recordAtRow(row);
        const SnippetRecord shown = catalogue.shownRecord(system);
        const bool overridden = !direct.isNull() && direct.identifier() == system.identifier();
        check(catalogue.hasOverride(system.identifier()) == overridden,
              "the override was not matched by identifier");
        check(catalogue.canRevertToStandardSnippet(system) == overridden, "revert is offered wrongly");
        (void)SnippetCatalogue::isDisabledOverride(shown);
        if (overridden)
            overrideAndRevert(catalogue, row, !SnippetCatalogue::isDisabledOverride(shown), shown.contents());
    }
    (void)catalogue.customSnippetCount();
}

void systemLibrary(QByteArrayView bytes)
{
    if (bytes.size() < 3)
        return;
    const auto rowByte = static_cast<uchar>(bytes[0]), flags = static_cast<uchar>(bytes[1]);
    const qsizetype filterLength = std::min<qsizetype>(static_cast<uchar>(bytes[2]) % 16, bytes.size() - 3);
    const QString filter = QString::fromUtf8(bytes.sliced(3, filterLength));
    const QByteArrayView library = bytes.sliced(3 + filterLength);

    const Installation &at = installation();
    check(writeBytes(at.library, library), "the library could not be written");
    at.emptyUserFolder();
    SnippetCatalogue catalogue(at.home);
    catalogue.parseSystemCodeSnippets(at.xcode);
    catalogue.parseUserCodeSnippets();

    const QList<SnippetRecord> &system = catalogue.systemCodeSnippets();
    check(catalogue.systemCodeSnippetIdentifiers().size() == system.size(),
          "identifiers and records disagree");
    check(std::is_sorted(system.cbegin(), system.cend(),
                         [](const SnippetRecord &a, const SnippetRecord &b) {
                             if (!a.title() || !b.title())
                                 return !a.title() && b.title();
                             return QString::compare(*a.title(), *b.title(), Qt::CaseSensitive) < 0;
                         }),
          "the system snippets are not in title order");

    catalogue.filterSystemCodeSnippets(filter);
    check(catalogue.rowCount() <= system.size(), "the filter added rows");
    if (filter.isEmpty())
        check(catalogue.rowCount() == system.size(), "an empty filter hid rows");
    if (catalogue.rowCount() == 0)
        return;
    const qsizetype row = rowByte % catalogue.rowCount();
    const std::optional<QString> contents =
        flags & 2 ? std::optional(QStringLiteral("fuzz ✓ <#code#> & ]]>\n")) : std::nullopt;
    overrideAndRevert(catalogue, row, flags & 1, contents);
    check(!userFolderHasSnippetFiles(at), "a revert left a snippet file behind");
}

void xmlPropertyList(QByteArrayView bytes)
{
    QString error, keysError;
    const PlistPtr root = parsePropertyList(bytes, &error);
    const std::optional<RecordKeys> keys = readRecordKeys(bytes, &keysError);
    check(error == keysError, "the tree and the record keys were refused for different reasons");
    check((root == nullptr) != error.isEmpty(), "a refusal without a reason, or a reason for a tree");
    check(keys.has_value() == PLIST_IS_DICT(root.get()), "record keys without a dictionary, or none with one");
    if (keys) {
        check(keys->identifier == dictString(root.get(), SnippetKey::Identifier) &&
                  keys->title == dictString(root.get(), SnippetKey::Title) &&
                  keys->summary == dictString(root.get(), SnippetKey::Summary) &&
                  keys->completionPrefix == dictString(root.get(), SnippetKey::CompletionPrefix),
              "the record keys differ from the tree's");
    }
    if (!root || bytes.startsWith("bplist00"))
        return;
    // libplist read XML before: where it reads the same text, it must find the same values. It
    // decodes only the first piece of a date or data value broken by a comment or a CDATA section
    // (taking that piece's length for the whole); we read it all.
    const bool brokenValue = (bytes.contains("<data") || bytes.contains("<date")) &&
                             (bytes.contains("<!--") || bytes.contains("<![CDATA["));
    if (brokenValue)
        return;
    const XmlEncoding::Utf8Xml utf8 = XmlEncoding::toUtf8(bytes);
    plist_t before = nullptr;
    plist_from_memory(utf8.text().data(), static_cast<uint32_t>(utf8.text().size()), &before);
    const PlistPtr libplist(before);
    check(!libplist || propertyListsEqual(libplist.get(), root.get()), "libplist read the same XML differently");
}

} // namespace Glimmerpad::Fuzz
