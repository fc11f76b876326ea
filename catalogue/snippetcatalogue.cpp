#include "catalogue/snippetcatalogue.h"

#include "catalogue/paths.h"
#include "catalogue/searchfold.h"
#include "catalogue/xcodeinstallation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSaveFile>

#include <algorithm>
#include <filesystem>
#include <system_error>

Q_LOGGING_CATEGORY(lcCatalogue, "glimmerpad.catalogue", QtWarningMsg)

namespace Glimmerpad {

static const QLatin1StringView kSnippetSuffix(".codesnippet");

SnippetCatalogue::SnippetCatalogue(QString homeDirectory) : m_home(std::move(homeDirectory)) {}

QString SnippetCatalogue::userLibraryDirectory() const
{
    return appendPathComponent(m_home, QStringLiteral("/Library/"));
}

QString SnippetCatalogue::userCodeSnippetsDirectory() const
{
    const QString folder = appendPathComponent(userLibraryDirectory(),
                                               QStringLiteral("/Developer/Xcode/UserData/CodeSnippets/"));
    const std::filesystem::path path(folder.toStdU16String());
    std::error_code error;
    if (!std::filesystem::exists(std::filesystem::symlink_status(path, error))) {
        std::filesystem::create_directories(path, error);
        if (error) {
            qCWarning(lcCatalogue).noquote()
                << QStringLiteral("Could not create CodeSnippets directory. error: %1")
                       .arg(QString::fromStdString(error.message()));
        }
    }
    return folder;
}

// ---- loading ------------------------------------------------------------------------------

void SnippetCatalogue::parseSystemCodeSnippets(const QString &xcodePath)
{
    m_libraryPath = Xcode::systemCodeSnippetsPath(xcodePath, Xcode::xcodeVersionAtPath(xcodePath));
    if (!QFileInfo::exists(m_libraryPath))
        return; // nothing there: the catalogue keeps what it held

    QList<SnippetRecord> records;
    QString error;
    const PlistPtr root = readPropertyListFile(m_libraryPath, kMaxSystemLibraryBytes, &error);
    if (PLIST_IS_ARRAY(root.get())) {
        const uint32_t count = plist_array_get_size(root.get());
        records.reserve(count);
        for (uint32_t i = 0; i < count; ++i) {
            // Each record keeps its own copy, so one override never aliases the library tree.
            SnippetRecord record =
                SnippetRecord::fromDictionary(PlistPtr(plist_copy(plist_array_get_item(root.get(), i))));
            if (!record.isNull())
                records.append(std::move(record));
        }
    } else {
        qCInfo(lcCatalogue) << "system snippet library is not an array:" << m_libraryPath << error;
    }

    // Plain comparison by character value, so every capital sorts before every small letter;
    // records without a title come first, and equal titles keep the library's order.
    std::stable_sort(records.begin(), records.end(), [](const SnippetRecord &a, const SnippetRecord &b) {
        const std::optional<QString> &x = a.title();
        const std::optional<QString> &y = b.title();
        if (!x || !y)
            return !x && y;
        return QString::compare(*x, *y, Qt::CaseSensitive) < 0;
    });

    QList<Identifier> identifiers;
    identifiers.reserve(records.size());
    for (const SnippetRecord &record : std::as_const(records))
        identifiers.append(record.identifier());

    m_system = std::move(records);
    m_systemIdentifiers = std::move(identifiers);
    m_filtered = m_system;
    m_searchKeys.clear();
    m_filterText.clear();
}

SnippetCatalogue::FolderContents SnippetCatalogue::readUserFolder(const QString &folder) const
{
    FolderContents contents;
    QStringList names = QDir(folder).entryList(
        QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot, QDir::Unsorted);
    // Sorted by character value so that, of two files carrying one identifier, the same one
    // governs on every machine and every run.
    std::sort(names.begin(), names.end(), [](const QString &a, const QString &b) {
        return QString::compare(a, b, Qt::CaseSensitive) < 0;
    });

    for (const QString &name : std::as_const(names)) {
        if (!name.endsWith(kSnippetSuffix, Qt::CaseSensitive))
            continue;
        const QString path = appendPathComponent(folder, name);
        QString error;
        SnippetRecord record =
            SnippetRecord::fromDictionary(readPropertyListFile(path, kMaxUserSnippetFileBytes, &error));
        if (record.isNull()) {
            qCInfo(lcCatalogue).noquote() << "skipping user snippet" << path << '(' << error << ')';
            continue;
        }
        contents.identifiers.append(record.identifier());
        contents.records.append(std::move(record));
        contents.paths.append(path);
    }
    return contents;
}

void SnippetCatalogue::parseUserCodeSnippets()
{
    FolderContents contents = readUserFolder(userCodeSnippetsDirectory());
    m_user = std::move(contents.records);
    m_userIdentifiers = std::move(contents.identifiers);
    m_userPaths = std::move(contents.paths);

    m_firstUserIndex.clear();
    m_firstUserIndex.reserve(m_userIdentifiers.size());
    for (qsizetype i = 0; i < m_userIdentifiers.size(); ++i) {
        if (m_userIdentifiers[i])
            if (!m_firstUserIndex.contains(*m_userIdentifiers[i])) // the first in folder order wins
                m_firstUserIndex.insert(*m_userIdentifiers[i], i);
    }
}

// ---- queries ------------------------------------------------------------------------------

SnippetRecord SnippetCatalogue::recordAtRow(qsizetype row) const
{
    return row >= 0 && row < m_filtered.size() ? m_filtered[row] : SnippetRecord();
}

bool SnippetCatalogue::hasOverride(const Identifier &identifier) const
{
    return identifier && m_firstUserIndex.contains(*identifier);
}

SnippetRecord SnippetCatalogue::overrideForIdentifier(const Identifier &identifier) const
{
    if (!identifier)
        return {};
    const auto it = m_firstUserIndex.constFind(*identifier);
    return it == m_firstUserIndex.cend() ? SnippetRecord() : m_user[it.value()];
}

bool SnippetCatalogue::isDisabledOverride(const SnippetRecord &override)
{
    const std::optional<QString> &prefix = override.completionPrefix();
    return prefix && prefix->isEmpty();
}

SnippetRecord SnippetCatalogue::shownRecord(const SnippetRecord &systemSnippet) const
{
    SnippetRecord override = overrideForIdentifier(systemSnippet.identifier());
    return override.isNull() ? systemSnippet : override;
}

bool SnippetCatalogue::canRevertToStandardSnippet(const SnippetRecord &selectedSnippet) const
{
    return !selectedSnippet.isNull() && hasOverride(selectedSnippet.identifier());
}

quint64 SnippetCatalogue::customSnippetCount() const
{
    return static_cast<quint64>(std::count_if(m_systemIdentifiers.cbegin(), m_systemIdentifiers.cend(),
                                              [this](const Identifier &id) { return hasOverride(id); }));
}

qsizetype SnippetCatalogue::rowOfIdentifier(const QString &identifier) const
{
    for (qsizetype row = 0; row < m_filtered.size(); ++row) {
        if (m_filtered[row].identifier() == identifier)
            return row;
    }
    return -1;
}

bool SnippetCatalogue::isSafeIdentifier(const Identifier &identifier)
{
    if (!identifier || identifier->isEmpty())
        return false;
    if (*identifier == QLatin1StringView(".") || *identifier == QLatin1StringView(".."))
        return false;
    return !identifier->contains(u'/') && !identifier->contains(QChar(u'\0'));
}

// ---- changes ------------------------------------------------------------------------------

QString SnippetCatalogue::overridePathFor(const QString &identifier) const
{
    // Rewrite the file that governs today, whatever its name: a second file with the same
    // identifier is reported to crash Xcode.
    const auto it = m_firstUserIndex.constFind(identifier);
    if (it != m_firstUserIndex.cend())
        return m_userPaths[it.value()];
    return appendPathComponent(userCodeSnippetsDirectory(), identifier + kSnippetSuffix);
}

static PlistPtr overrideDictionary(const SnippetRecord &system, bool disableShortcut,
                                   const std::optional<QString> &contents)
{
    PlistPtr dict = system.copyDictionary();
    plist_dict_set_item(dict.get(), SnippetKey::UserSnippet, plist_new_bool(1));
    plist_dict_set_item(dict.get(), SnippetKey::Version, plist_new_uint(2));
    if (disableShortcut) {
        plist_dict_set_item(dict.get(), SnippetKey::CompletionPrefix, plist_new_string(""));
    } else if (const std::optional<QString> &prefix = system.completionPrefix();
               prefix && prefix->isEmpty()) {
        // An empty shortcut would read as switched off, so an enabled override says " ".
        plist_dict_set_item(dict.get(), SnippetKey::CompletionPrefix, plist_new_string(" "));
    }
    if (contents) {
        plist_dict_set_item(dict.get(), SnippetKey::Contents,
                            plist_new_string(contents->toUtf8().constData()));
    }
    return dict;
}

ChangeResult
SnippetCatalogue::overrideSystemCodeSnippetAtIndex(qsizetype index, bool disableShortcut,
                                                   const std::optional<QString> &userSnippetContents)
{
    if (index < 0 || index >= m_filtered.size())
        return {ChangeResult::Status::Refused, QStringLiteral("there is no snippet at row %1").arg(index)};

    const SnippetRecord system = m_filtered[index];
    ChangeResult result;
    if (!isSafeIdentifier(system.identifier())) {
        qCWarning(lcCatalogue).noquote() << "Could not write User Snippet.";
        result = {ChangeResult::Status::Refused,
                  QStringLiteral("the snippet's identifier cannot be used as a file name")};
    } else if (userSnippetContents && userSnippetContents->contains(QChar(u'\0'))) {
        // A property-list string ends at its first NUL: writing it would silently cut the text.
        qCWarning(lcCatalogue).noquote() << "Could not write User Snippet.";
        result = {ChangeResult::Status::Refused, QStringLiteral("the text contains a NUL character")};
    } else {
        const QString path = overridePathFor(*system.identifier());
        const PlistPtr dict = overrideDictionary(system, disableShortcut, userSnippetContents);
        const QByteArray xml = toXmlPropertyList(dict.get());

        // Through a temporary file and a rename: the previous override stays whole until the
        // new one is complete, whatever happens to the process or the disk in between. The explicit
        // flush matters: commit() (Qt 6.4) misses a write error that happens while it flushes the
        // buffer, and would rename a cut-off file over the previous override.
        QSaveFile file(path);
        const bool opened = !xml.isEmpty() && file.open(QIODevice::WriteOnly);
        const qint64 wrote = !opened ? -1 : m_overrideWriter ? m_overrideWriter(file, xml) : file.write(xml);
        if (wrote != xml.size() || !file.flush() || !file.commit()) {
            qCWarning(lcCatalogue).noquote() << "Could not write User Snippet.";
            // A short write need not leave an error on the device, and the user still needs a reason.
            const QString reason = file.error() != QFileDevice::NoError
                                       ? file.errorString()
                                       : QStringLiteral("only %1 of %2 bytes could be written")
                                             .arg(std::max<qint64>(wrote, 0))
                                             .arg(xml.size());
            result = {ChangeResult::Status::Failed, reason};
        }
    }

    parseUserCodeSnippets();
    return result;
}

ChangeResult SnippetCatalogue::removeUserCodeSnippetAtIndex(qsizetype index)
{
    if (index < 0 || index >= m_filtered.size())
        return {ChangeResult::Status::Refused, QStringLiteral("there is no snippet at row %1").arg(index)};

    const Identifier &identifier = m_filtered[index].identifier();
    if (!isSafeIdentifier(identifier)) {
        const QString reason = QStringLiteral("the snippet's identifier cannot be used as a file name");
        qCWarning(lcCatalogue).noquote() << QStringLiteral("Could not delete Snippet. Error: %1").arg(reason);
        return {ChangeResult::Status::Refused, reason};
    }

    // Every file that carries the identifier goes, as read afresh now, so that afterwards the
    // row really shows the system snippet; plus a damaged file under the override's own name.
    const QString folder = userCodeSnippetsDirectory();
    const FolderContents contents = readUserFolder(folder);
    QList<QString> targets;
    for (qsizetype i = 0; i < contents.identifiers.size(); ++i) {
        if (contents.identifiers[i] == identifier)
            targets.append(contents.paths[i]);
    }
    const QString ownPath = appendPathComponent(folder, *identifier + kSnippetSuffix);
    const QFileInfo own(ownPath);
    if ((own.exists() || own.isSymLink()) && !targets.contains(ownPath))
        targets.append(ownPath);
    if (targets.isEmpty())
        return {ChangeResult::Status::NothingToDo, {}};

    ChangeResult result;
    bool removedAny = false;
    for (const QString &path : std::as_const(targets)) {
        QFile file(path);
        if (file.remove()) {
            removedAny = true;
            continue;
        }
        qCWarning(lcCatalogue).noquote()
            << QStringLiteral("Could not delete Snippet. Error: %1").arg(file.errorString());
        result = {ChangeResult::Status::Failed, file.errorString()};
    }
    if (removedAny)
        parseUserCodeSnippets();
    return result;
}

// ---- search -------------------------------------------------------------------------------

void SnippetCatalogue::ensureSearchKeys() const
{
    if (m_searchKeys.size() == m_system.size())
        return;
    m_searchKeys.clear();
    m_searchKeys.reserve(m_system.size());
    for (const SnippetRecord &record : m_system) {
        // A missing title or summary can never match, even an empty search; the filter only runs
        // on non-empty text, so an empty key is safe to stand for "missing".
        m_searchKeys.append({record.title() ? foldForSearch(*record.title()) : QString(),
                             record.summary() ? foldForSearch(*record.summary()) : QString()});
    }
}

void SnippetCatalogue::filterSystemCodeSnippets(const QString &text)
{
    m_filterText = text;
    if (text.isEmpty()) {
        m_filtered = m_system; // the very same rows, shared
        return;
    }
    ensureSearchKeys();
    const QString needle = foldForSearch(text);
    QList<SnippetRecord> matches;
    for (qsizetype i = 0; i < m_system.size(); ++i) {
        const SearchKey &key = m_searchKeys[i];
        if ((!key.title.isEmpty() && key.title.contains(needle)) ||
            (!key.summary.isEmpty() && key.summary.contains(needle))) {
            matches.append(m_system[i]);
        }
    }
    m_filtered = std::move(matches);
}

} // namespace Glimmerpad
