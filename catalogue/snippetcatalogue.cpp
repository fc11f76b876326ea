#include "catalogue/snippetcatalogue.h"

#include "catalogue/boundedfile.h"
#include "catalogue/limits.h"
#include "catalogue/overridefile.h"
#include "catalogue/paths.h"
#include "catalogue/plistiteration.h"
#include "catalogue/searchfold.h"
#include "catalogue/snippetlanguage.h"
#include "catalogue/xcodeinstallation.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLoggingCategory>
#include <QSet>
#include <QVersionNumber>

#include <algorithm>
#include <chrono>

#include <sys/stat.h>

Q_LOGGING_CATEGORY(lcCatalogue, "glimmerpad.catalogue", QtWarningMsg)

namespace Glimmerpad {

static const QLatin1StringView kSnippetSuffix(".codesnippet");
// "<id>-2.codesnippet" and on: a free name is found long before this unless something is amiss.
static constexpr int kMaxOverrideNameNumber = 1000;

SnippetCatalogue::SnippetCatalogue(QString homeDirectory) : m_store(std::move(homeDirectory)) {}

// ---- loading ------------------------------------------------------------------------------

void SnippetCatalogue::parseSystemCodeSnippets(const QString &xcodePath)
{
    adoptSystemLibrary(readSystemLibrary(xcodePath));
}

void SnippetCatalogue::parseUserCodeSnippets()
{
    adoptUserFiles(m_store.read());
    adoptStandards(m_store.read({}, SnippetStore::Place::Standards));
}

void SnippetCatalogue::parseCodeSnippets(const QString &xcodePath)
{
    SystemLibrary library;
    StoredFiles files = m_store.read([&library, &xcodePath] { library = readSystemLibrary(xcodePath); });
    adoptSystemLibrary(std::move(library));
    adoptUserFiles(std::move(files));
    adoptStandards(m_store.read({}, SnippetStore::Place::Standards));
}

bool SnippetCatalogue::refreshUserCodeSnippets()
{
    StoredFiles standards = m_standards;
    const bool standardsChanged = m_store.update(standards, SnippetStore::Place::Standards);
    if (standardsChanged)
        adoptStandards(std::move(standards));
    StoredFiles files = m_files;
    if (!m_store.update(files))
        return standardsChanged;
    adoptUserFiles(std::move(files));
    return true;
}

void SnippetCatalogue::adoptStandards(StoredFiles &&standards)
{
    m_standards = std::move(standards);
    m_decodedStandards.clear();
}

SnippetCatalogue::SystemLibrary SnippetCatalogue::readSystemLibrary(const QString &xcodePath)
{
    SystemLibrary library;
    library.xcodeVersion = Xcode::shortVersionStringAtPath(xcodePath).value_or(QString());
    library.path = Xcode::systemCodeSnippetsPath(xcodePath, Xcode::leadingVersionNumber(library.xcodeVersion));
    if (!QFileInfo::exists(library.path))
        return library;

    QList<SnippetRecord> &records = library.records.emplace();
    QString error;
    const SharedPlist root = readPropertyListFile(library.path, Limits::kMaxSystemLibraryBytes, &error);
    if (PLIST_IS_ARRAY(root.get())) {
        records.reserve(plist_array_get_size(root.get()));
        // The records share the library's tree rather than each copying its dictionary out: records
        // never change their dictionary, and an override starts from a deep copy of it.
        forEachItem(root.get(), [&](plist_t item) {
            SnippetRecord record = SnippetRecord::fromSharedTree(root, item);
            if (!record.isNull())
                records.append(std::move(record));
        });
    } else {
        qCInfo(lcCatalogue) << "system snippet library is not an array:" << library.path << error;
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
    return library;
}

void SnippetCatalogue::adoptSystemLibrary(SystemLibrary &&library)
{
    m_libraryPath = std::move(library.path);
    m_xcodeVersion = std::move(library.xcodeVersion);
    if (!library.records)
        return; // nothing there: the catalogue keeps what it held
    m_system = std::move(*library.records);

    m_systemIdentifiers.clear();
    m_systemIdentifiers.reserve(m_system.size());
    m_systemPlace.clear();
    m_systemPlace.reserve(m_system.size());
    for (qsizetype i = 0; i < m_system.size(); ++i) {
        m_systemIdentifiers.append(m_system[i].identifier());
        m_systemPlace.insert(m_system[i].identity(), i);
    }
    m_firstSystemIndex.clear();
    m_firstSystemIndex.reserve(m_system.size());
    for (qsizetype i = m_systemIdentifiers.size() - 1; i >= 0; --i) {
        if (m_systemIdentifiers[i])
            m_firstSystemIndex.insert(*m_systemIdentifiers[i], i);
    }
    m_filtered = m_system;
    m_filter = {};
    m_search.reset();
    m_clashes.reset();
    m_shownFolds.reset();
}

void SnippetCatalogue::adoptUserFiles(StoredFiles &&files)
{
    m_files = std::move(files);
    m_governing.clear();
    m_governing.reserve(m_files.size());
    // Backwards, each file replacing any later one: the first in name order governs.
    for (qsizetype i = m_files.size() - 1; i >= 0; --i) {
        if (const Identifier &identifier = m_files[i].record.identifier())
            m_governing.insert(*identifier, i);
    }
    m_userArraysStale = true;
    m_clashes.reset();
    m_shownFolds.reset();
}

qsizetype SnippetCatalogue::fileIndex(const QString &name) const
{
    const auto it = std::lower_bound(m_files.cbegin(), m_files.cend(), name,
                                     [](const StoredFile &file, const QString &n) { return storedNameLess(file.name, n); });
    return it != m_files.cend() && it->name == name ? it - m_files.cbegin() : -1;
}

// The first file from index from on that carries identifier governs it, when no earlier one does.
void SnippetCatalogue::setGoverning(const Identifier &identifier, qsizetype from)
{
    if (!identifier)
        return;
    for (qsizetype i = from; i < m_files.size(); ++i) {
        if (m_files[i].record.identifier() == identifier) {
            m_governing.insert(*identifier, i);
            return;
        }
    }
    m_governing.remove(*identifier);
}

void SnippetCatalogue::adoptFile(StoredFile &&file)
{
    const auto at = std::lower_bound(m_files.begin(), m_files.end(), file.name,
                                     [](const StoredFile &f, const QString &n) { return storedNameLess(f.name, n); });
    const qsizetype index = at - m_files.begin();
    const Identifier identifier = file.record.identifier();
    Identifier replaced;
    if (at != m_files.end() && at->name == file.name) {
        replaced = at->record.identifier();
        *at = std::move(file);
    } else {
        m_files.insert(index, std::move(file));
        for (qsizetype &governing : m_governing) {
            if (governing >= index)
                ++governing;
        }
    }
    m_userArraysStale = true;
    m_clashes.reset();
    m_shownFolds.reset();
    if (replaced && replaced != identifier && m_governing.value(*replaced, -1) == index)
        setGoverning(replaced, index + 1);
    if (identifier && m_governing.value(*identifier, m_files.size()) > index)
        m_governing.insert(*identifier, index);
}

std::optional<StoredFile> SnippetCatalogue::updateFile(StoredFile file)
{
    switch (m_store.updateEntry(file)) {
    case SnippetStore::EntryUpdate::Same:
        return file;
    case SnippetStore::EntryUpdate::Changed:
        adoptFile(StoredFile(file));
        return file;
    case SnippetStore::EntryUpdate::Gone:
        forgetFile(file.name);
        break;
    }
    return std::nullopt;
}

void SnippetCatalogue::forgetFile(const QString &name)
{
    const qsizetype index = fileIndex(name);
    if (index < 0)
        return;
    const Identifier identifier = m_files[index].record.identifier();
    m_files.removeAt(index);
    for (qsizetype &governing : m_governing) {
        if (governing > index)
            --governing;
    }
    m_userArraysStale = true;
    m_clashes.reset();
    m_shownFolds.reset();
    if (identifier && m_governing.value(*identifier, -1) == index)
        setGoverning(identifier, index);
}

const QList<SnippetRecord> &SnippetCatalogue::userCodeSnippets() const
{
    if (m_userArraysStale) {
        m_user.clear();
        m_userIdentifiers.clear();
        for (const StoredFile &file : m_files) {
            if (!file.record.isNull()) {
                m_user.append(file.record);
                m_userIdentifiers.append(file.record.identifier());
            }
        }
        m_userArraysStale = false;
    }
    return m_user;
}

const QList<Identifier> &SnippetCatalogue::userCodeSnippetIdentifiers() const
{
    userCodeSnippets();
    return m_userIdentifiers;
}

// ---- queries ------------------------------------------------------------------------------

SnippetRecord SnippetCatalogue::recordAtRow(qsizetype row) const
{
    return row >= 0 && row < m_filtered.size() ? m_filtered[row] : SnippetRecord();
}

QList<qsizetype> SnippetCatalogue::rowsOf(const QList<SnippetRecord> &systemSnippets) const
{
    QHash<const void *, qsizetype> rows;
    rows.reserve(m_filtered.size());
    for (qsizetype row = 0; row < m_filtered.size(); ++row)
        rows.insert(m_filtered[row].identity(), row);
    QList<qsizetype> found;
    found.reserve(systemSnippets.size());
    for (const SnippetRecord &record : systemSnippets)
        found.append(rows.value(record.identity(), -1));
    return found;
}

bool SnippetCatalogue::isInLibrary(const SnippetRecord &systemSnippet) const
{
    return !systemSnippet.isNull() && m_systemPlace.contains(systemSnippet.identity());
}

SnippetRecord SnippetCatalogue::systemCodeSnippet(const QString &identifier) const
{
    const auto it = m_firstSystemIndex.constFind(identifier);
    return it == m_firstSystemIndex.cend() ? SnippetRecord() : m_system[it.value()];
}

SnippetRecord SnippetCatalogue::counterpartOf(const SnippetRecord &earlier,
                                              const QList<SnippetRecord> &earlierLibrary) const
{
    if (isInLibrary(earlier))
        return earlier;
    // Titles change between versions of a library, identifiers stay; a snippet without one is
    // known by its title.
    const auto alike = [&earlier](const SnippetRecord &record) {
        return earlier.identifier() ? record.identifier() == earlier.identifier()
                                    : !record.identifier() && record.title() == earlier.title();
    };
    qsizetype occurrence = 0;
    for (const SnippetRecord &record : earlierLibrary) {
        if (record.isSameRecord(earlier))
            break;
        occurrence += alike(record) ? 1 : 0;
    }
    for (const SnippetRecord &record : m_system) {
        if (alike(record) && occurrence-- == 0)
            return record;
    }
    return {};
}

qsizetype SnippetCatalogue::governingIndex(const Identifier &identifier) const
{
    return identifier ? m_governing.value(*identifier, -1) : -1;
}

bool SnippetCatalogue::hasOverride(const Identifier &identifier) const
{
    return identifier && m_governing.contains(*identifier);
}

SnippetRecord SnippetCatalogue::overrideForIdentifier(const Identifier &identifier) const
{
    const qsizetype index = governingIndex(identifier);
    return index < 0 ? SnippetRecord() : m_files[index].record;
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

SnippetState SnippetCatalogue::stateOf(const SnippetRecord &systemSnippet) const
{
    const qsizetype index = governingIndex(systemSnippet.identifier());
    if (index < 0)
        return {systemSnippet, false, false, {}};
    const StoredFile &file = m_files[index];
    return {file.record, true, isDisabledOverride(file.record), {file.path, file.record.sourceBytes()}};
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

QString SnippetCatalogue::homeDirectoryProblem(const QString &homeDirectory)
{
    if (homeDirectory.isEmpty())
        return QStringLiteral("no home folder is set");
    if (QDir::isRelativePath(homeDirectory))
        return QStringLiteral("the home folder \"%1\" is not an absolute path").arg(homeDirectory);
    const QFileInfo info(homeDirectory);
    if (!info.exists())
        return QStringLiteral("the home folder \"%1\" does not exist").arg(homeDirectory);
    if (!info.isDir())
        return QStringLiteral("the home folder \"%1\" is not a folder").arg(homeDirectory);
    return {};
}

bool SnippetCatalogue::isSafeIdentifier(const Identifier &identifier)
{
    if (!identifier || identifier->isEmpty())
        return false;
    if (*identifier == QLatin1StringView(".") || *identifier == QLatin1StringView(".."))
        return false;
    return !identifier->contains(u'/') && !identifier->contains(QChar(u'\0'));
}

// ---- what overrides were made from -----------------------------------------------------------

QString statusName(OverrideStatus status)
{
    switch (status) {
    case OverrideStatus::Current:
        return QStringLiteral("current");
    case OverrideStatus::Stale:
        return QStringLiteral("stale");
    case OverrideStatus::Orphaned:
        return QStringLiteral("orphaned");
    case OverrideStatus::Unknown:
        return QStringLiteral("unknown");
    case OverrideStatus::Newer:
        return QStringLiteral("newer");
    }
    return {};
}

StandardFile::Standard SnippetCatalogue::recordedStandard(const QString &overrideName) const
{
    const auto at = std::lower_bound(m_standards.cbegin(), m_standards.cend(), overrideName,
                                     [](const StoredFile &f, const QString &n) { return storedNameLess(f.name, n); });
    if (at == m_standards.cend() || at->name != overrideName || at->record.isNull())
        return {};
    auto decoded = m_decodedStandards.constFind(at->record.identity());
    if (decoded == m_decodedStandards.cend())
        decoded = m_decodedStandards.insert(at->record.identity(), StandardFile::decode(at->record));
    return decoded.value();
}

void SnippetCatalogue::removeStandard(const QString &overrideName)
{
    const auto at = std::lower_bound(m_standards.begin(), m_standards.end(), overrideName,
                                     [](const StoredFile &f, const QString &n) { return storedNameLess(f.name, n); });
    if (at == m_standards.end() || at->name != overrideName)
        return;
    if (const ChangeResult removed = m_store.remove(at->path); !removed.succeeded()) {
        qCInfo(lcCatalogue).noquote() << "kept" << at->path << "(" << removed.reason << ")";
        return;
    }
    m_standards.erase(at);
    m_decodedStandards.clear();
}

namespace {

// The keys whose values differ between two records, in a's order then b's.
QStringList differingKeys(const SnippetRecord &a, const SnippetRecord &b, const QSet<QByteArray> &ignored = {})
{
    QStringList keys;
    forEachEntry(a.dictionary(), [&](const char *key, plist_t value) {
        if (!ignored.contains(key) && !propertyListsEqual(value, plist_dict_get_item(b.dictionary(), key)))
            keys.append(QString::fromUtf8(key));
        return true;
    });
    forEachEntry(b.dictionary(), [&](const char *key, plist_t) {
        if (!ignored.contains(key) && !plist_dict_get_item(a.dictionary(), key))
            keys.append(QString::fromUtf8(key));
        return true;
    });
    return keys;
}

} // namespace

OverrideReport SnippetCatalogue::reportFor(const StoredFile &file) const
{
    const QString identifier = file.record.identifier().value_or(QString());
    OverrideReport report{identifier, OverrideStatus::Unknown, file, {}, systemCodeSnippet(identifier),
                          recordedStandard(file.name)};
    const SnippetRecord &standard = report.standard.record;
    if (!standard.isNull() && QVersionNumber::fromString(report.standard.xcodeVersion) >
                                  QVersionNumber::fromString(m_xcodeVersion)) {
        report.status = OverrideStatus::Newer;
    } else if (report.system.isNull()) {
        report.status = OverrideStatus::Orphaned;
    } else if (!standard.isNull()) {
        // Of several system snippets with the identifier, the one it was made from.
        for (qsizetype i = m_firstSystemIndex.value(identifier); i < m_system.size(); ++i) {
            if (m_systemIdentifiers[i] == identifier && propertyListsEqual(m_system[i].dictionary(), standard.dictionary())) {
                report.system = m_system[i];
                report.status = OverrideStatus::Current;
                return report;
            }
        }
        report.changed = differingKeys(report.system, standard);
        report.status = OverrideStatus::Stale;
    } else {
        // Nothing recorded: a key the override copies from its system record that differs shows it
        // was made from another version of it.
        static const QSet<QByteArray> ownKeys{SnippetKey::Contents, SnippetKey::CompletionPrefix,
                                              SnippetKey::UserSnippet, SnippetKey::Version};
        if (!differingKeys(report.system, file.record, ownKeys).isEmpty())
            report.status = OverrideStatus::Stale;
    }
    return report;
}

std::optional<OverrideReport> SnippetCatalogue::reportOf(const SnippetRecord &snippet) const
{
    const qsizetype governing = governingIndex(snippet.identifier());
    if (governing < 0)
        return std::nullopt;
    OverrideReport report = reportFor(m_files[governing]);
    // A user's own snippet, not an override: no system snippet has its identifier, nothing recorded.
    if (report.status == OverrideStatus::Orphaned && report.standard.record.isNull())
        return std::nullopt;
    return report;
}

bool SnippetCatalogue::isOrphan(const SnippetRecord &record) const
{
    const qsizetype governing = governingIndex(record.identifier());
    if (governing < 0 || !m_files[governing].record.isSameRecord(record))
        return false;
    const std::optional<OverrideReport> report = reportOf(record);
    return report && report->status == OverrideStatus::Orphaned;
}

bool SnippetCatalogue::isStale(const SnippetRecord &systemSnippet) const
{
    const std::optional<OverrideReport> report = reportOf(systemSnippet);
    return report && report->status == OverrideStatus::Stale;
}

QList<OverrideReport> SnippetCatalogue::overrideReports() const
{
    QList<OverrideReport> reports;
    for (qsizetype i = 0; i < m_files.size(); ++i) {
        if (governingIndex(m_files[i].record.identifier()) != i)
            continue;
        if (std::optional<OverrideReport> report = reportOf(m_files[i].record))
            reports.append(std::move(*report));
    }
    return reports;
}

// ---- changes ------------------------------------------------------------------------------

static const QString kUnsafeIdentifier = QStringLiteral("the snippet's identifier cannot be used as a file name");

ChangeResult SnippetCatalogue::overrideSystemCodeSnippetAtIndex(qsizetype index, bool disableShortcut,
                                                                const std::optional<QString> &userSnippetContents)
{
    if (index < 0 || index >= m_filtered.size())
        return {ChangeResult::Status::Refused, QStringLiteral("there is no snippet at row %1").arg(index)};
    return apply(SnippetChange::override(m_filtered[index], disableShortcut, userSnippetContents));
}

ChangeResult SnippetCatalogue::removeUserCodeSnippetAtIndex(qsizetype index)
{
    if (index < 0 || index >= m_filtered.size())
        return {ChangeResult::Status::Refused, QStringLiteral("there is no snippet at row %1").arg(index)};
    return apply(SnippetChange::revert(m_filtered[index]));
}

ChangeResult SnippetCatalogue::apply(const SnippetChange &change)
{
    return ChangeBatch(*this, {change}).step();
}

QList<ChangeResult> SnippetCatalogue::apply(const QList<SnippetChange> &changes)
{
    QList<ChangeResult> results;
    results.reserve(changes.size());
    ChangeBatch batch(*this, changes);
    while (!batch.atEnd())
        results.append(batch.step());
    return results;
}

static QString describeLinkRefusal(const QString &link, const QString &target, const QString &why)
{
    return QStringLiteral("%1 is a symbolic link to %2, %3; Glimmerpad writes only through a link to this "
                          "snippet's own file")
        .arg(link, target, why);
}

// Where an override of the identifier is written: the file that governs it today, whatever its
// name (a second file with the identifier is reported to crash Xcode); else "<id>.codesnippet",
// unless that holds a user's own snippet, which is never overwritten: then the next free name of
// "<id>-2.codesnippet", "<id>-3.codesnippet", ...
SnippetCatalogue::WriteTarget SnippetCatalogue::overrideTarget(const QString &identifier) const
{
    const QString folder = m_store.folder();
    const auto resolved = [&identifier, &folder](const QString &name) -> WriteTarget {
        const QString path = appendPathComponent(folder, name);
        const QFileInfo info(path);
        if (!info.isSymLink())
            return {name, path, {}};
        const QString target = info.symLinkTarget();
        const QString canonical = info.canonicalFilePath();
        if (canonical.isEmpty())
            return {{}, {}, describeLinkRefusal(path, target, QStringLiteral("which does not exist"))};
        QByteArray bytes;
        QString error;
        if (!readBoundedFile(canonical, Limits::kMaxUserSnippetFileBytes, bytes, &error)) {
            return {{}, {}, describeLinkRefusal(path, target, QStringLiteral("which cannot be read (%1)").arg(error))};
        }
        if (SnippetRecord::fromPropertyList(bytes).identifier() != identifier)
            return {{}, {}, describeLinkRefusal(path, target, QStringLiteral("which does not hold this snippet"))};
        return {name, canonical, {}};
    };

    if (const qsizetype governing = governingIndex(identifier); governing >= 0) {
        const QString &name = m_files[governing].name;
        if (!isTextFileName(name)) {
            return {{}, {}, QStringLiteral("the override's file %1 has a name that is not UTF-8, which Glimmerpad does "
                                           "not write under; rename it")
                                .arg(displayFileName(m_files[governing].path))};
        }
        return resolved(name);
    }

    for (int number = 1; number <= kMaxOverrideNameNumber; ++number) {
        const QString name = number == 1 ? QString(identifier + kSnippetSuffix)
                                         : QString(identifier + u'-' + QString::number(number) + kSnippetSuffix);
        struct stat info
        {};
        if (::lstat(encodeFileName(appendPathComponent(folder, name)).constData(), &info) != 0)
            return {name, appendPathComponent(folder, name), {}}; // free; any other trouble shows when written
        if (S_ISLNK(info.st_mode))
            return resolved(name);
        // A file that is not governing is the user's own, whatever it holds: a snippet with another
        // identifier or none, or one Glimmerpad cannot read. Only a folder under the override's own
        // name is written at, and fails on its own, with its reason.
        if (number > 1 || !S_ISDIR(info.st_mode))
            continue;
        return {name, appendPathComponent(folder, name), {}};
    }
    return {{}, {}, QStringLiteral("no free file name for the override of \"%1\" in %2").arg(identifier, folder)};
}

ChangeResult SnippetCatalogue::writeOverride(const SnippetChange &change)
{
    const SnippetRecord &system = change.system;
    if (!isInLibrary(system))
        return {ChangeResult::Status::Refused, QStringLiteral("the snippet is not in the Xcode library read")};
    if (!isSafeIdentifier(system.identifier()))
        return {ChangeResult::Status::Refused, kUnsafeIdentifier};
    if (change.body == SnippetChange::Body::Given) {
        if (QString refusal = OverrideFile::contentsRefusal(change.contents); !refusal.isEmpty())
            return {ChangeResult::Status::Refused, refusal};
    }
    if (change.shortcut == SnippetChange::Shortcut::Given) {
        if (QString refusal = Shortcuts::refusal(change.shortcutText); !refusal.isEmpty())
            return {ChangeResult::Status::Refused, refusal};
    }
    const QString &identifier = *system.identifier();
    // The governing file as it is now: a program that takes no lock may have written it.
    if (const qsizetype governing = governingIndex(identifier); governing >= 0)
        updateFile(m_files[governing]);
    const SnippetState state = stateOf(system);
    if (change.expected && state.snapshot != *change.expected) {
        return {ChangeResult::Status::ChangedOnDisk,
                QStringLiteral("the snippet was changed outside Glimmerpad since it was read")};
    }

    const bool disable = change.shortcut == SnippetChange::Shortcut::Off ||
                         (change.shortcut == SnippetChange::Shortcut::AsShown && state.disabled);
    const PlistPtr dictionary = OverrideFile::dictionary(
        system, disable,
        change.body == SnippetChange::Body::Given ? std::optional(change.contents) : std::nullopt);
    if (change.body == SnippetChange::Body::Shown && state.overridden)
        OverrideFile::keepContents(dictionary.get(), state.shown);
    if (change.shortcut == SnippetChange::Shortcut::Given) {
        plist_dict_set_item(dictionary.get(), SnippetKey::CompletionPrefix,
                            plist_new_string(change.shortcutText.toUtf8().constData()));
    } else if (change.shortcut == SnippetChange::Shortcut::AsShown && !disable && hasOwnShortcut(system)) {
        plist_dict_set_item(dictionary.get(), SnippetKey::CompletionPrefix,
                            plist_new_string(state.shown.completionPrefix()->toUtf8().constData()));
    }
    // Making an override records what it was made from; changing one keeps what was recorded.
    return writeDictionary(system, dictionary.get(), change.trashReplaced, !state.overridden || change.recordsStandard,
                           state);
}

ChangeResult SnippetCatalogue::writeDictionary(const SnippetRecord &system, plist_t dictionary, bool trashReplaced,
                                               bool recordStandard, const SnippetState &state)
{
    const OverrideFile::Encoded encoded = OverrideFile::encode(dictionary);
    if (!encoded.ok())
        return {ChangeResult::Status::Refused, encoded.refusal};
    const WriteTarget target = overrideTarget(*system.identifier());
    if (!target.refusal.isEmpty())
        return {ChangeResult::Status::Refused, target.refusal};
    // Nothing is replaced by the same bytes.
    trashReplaced = trashReplaced && state.snapshot.bytes != encoded.record.sourceBytes();
    SnippetStore::Written written = m_store.write(target.name, target.target, encoded.record, trashReplaced);
    if (!written.result.succeeded())
        return written.result;
    adoptFile(std::move(written.file));
    if (recordStandard) {
        if (const QString problem = this->recordStandard(target.name, system); !problem.isEmpty()) {
            return {ChangeResult::Status::Failed,
                    QStringLiteral("the override was saved, but what it was made from could not be recorded (%1)")
                        .arg(problem)};
        }
    }
    return {};
}

QString SnippetCatalogue::recordStandard(const QString &overrideName, const SnippetRecord &system)
{
    const OverrideFile::Encoded encoded = StandardFile::encode(system, m_xcodeVersion);
    if (!encoded.ok())
        return encoded.refusal;
    if (const QString problem = m_store.makeFolder(SnippetStore::Place::Standards); !problem.isEmpty())
        return problem;
    const QString path = appendPathComponent(m_store.folder(SnippetStore::Place::Standards), overrideName);
    SnippetStore::Written written =
        m_store.write(overrideName, path, encoded.record, false, SnippetStore::Place::Standards);
    if (!written.result.succeeded())
        return written.result.reason;
    // In name order with the others, as the standards folder lists them.
    const auto at = std::lower_bound(m_standards.begin(), m_standards.end(), overrideName,
                                     [](const StoredFile &f, const QString &n) { return storedNameLess(f.name, n); });
    if (at != m_standards.end() && at->name == overrideName)
        *at = std::move(written.file);
    else
        m_standards.insert(at, std::move(written.file));
    m_decodedStandards.clear();
    return {};
}

ChangeResult SnippetCatalogue::rebaseOverride(const SnippetChange &change)
{
    const SnippetRecord &system = change.system;
    if (!isInLibrary(system))
        return {ChangeResult::Status::Refused, QStringLiteral("the snippet is not in the Xcode library read")};
    const qsizetype governing = governingIndex(system.identifier());
    if (governing < 0)
        return {ChangeResult::Status::NothingToDo, QStringLiteral("has no override")};
    updateFile(m_files[governing]);
    const SnippetState state = stateOf(system);
    const std::optional<OverrideReport> report = reportOf(system);
    if (!state.overridden || !report)
        return {ChangeResult::Status::NothingToDo, QStringLiteral("has no override")};
    if (report->status == OverrideStatus::Newer)
        return {ChangeResult::Status::NothingToDo, QStringLiteral("was made in a newer Xcode")};
    if (report->status == OverrideStatus::Current && change.rebaseMode == Rebase::Mode::Merge)
        return {ChangeResult::Status::NothingToDo, QStringLiteral("is current")};
    const Rebase::Outcome outcome =
        Rebase::rebase(state.shown, report->standard.record, system, change.rebaseMode, m_bodyMerger);
    if (outcome.conflicted())
        return {ChangeResult::Status::Refused, QStringLiteral("conflict in the body")};
    if (!outcome.dictionary)
        return {ChangeResult::Status::Refused, outcome.refusal};
    return writeDictionary(system, outcome.dictionary.get(), false, true, state);
}

Rebase::Outcome SnippetCatalogue::previewRebase(const SnippetRecord &system, Rebase::Mode mode) const
{
    const std::optional<OverrideReport> report = reportOf(system);
    if (!report || report->system.isNull())
        return {{}, {}, QStringLiteral("there is no override to rebase")};
    return Rebase::rebase(stateOf(system).shown, report->standard.record, system, mode, m_bodyMerger);
}

ChangeResult SnippetCatalogue::removeOverrides(const SnippetRecord &system)
{
    const Identifier &identifier = system.identifier();
    const auto refused = [](const QString &reason) {
        qCWarning(lcCatalogue).noquote() << QStringLiteral("Could not delete Snippet. Error: %1").arg(reason);
        return ChangeResult{ChangeResult::Status::Refused, reason};
    };
    if (!isInLibrary(system) && !isOrphan(system))
        return refused(QStringLiteral("the snippet is not in the Xcode library read"));
    if (!isSafeIdentifier(identifier))
        return refused(kUnsafeIdentifier);

    // Every file that carries the identifier goes, so that afterwards the row really shows the
    // system snippet; and a dangling link under the override's own name. A file under that name
    // which Glimmerpad cannot read may be the user's own, in a form Xcode reads: it stays, and the
    // user is told.
    const QString ownName = *identifier + kSnippetSuffix;
    if (fileIndex(ownName) < 0) {
        // Made since the folder was looked at: known before it is judged.
        updateFile({ownName, appendPathComponent(m_store.folder(), ownName), {}, {}});
    }
    QList<StoredFile> candidates;
    std::copy_if(m_files.cbegin(), m_files.cend(), std::back_inserter(candidates), [&](const StoredFile &file) {
        return file.record.identifier() == identifier || file.name == ownName;
    });
    QStringList names;
    QStringList left;
    for (const StoredFile &candidate : std::as_const(candidates)) {
        // Each as it is now, before it goes.
        const std::optional<StoredFile> file = updateFile(candidate);
        if (!file)
            continue;
        const bool carries = file->record.identifier() == identifier;
        if (carries && isTextFileName(file->name)) {
            names.append(file->name);
        } else if (carries) {
            left.append(displayFileName(file->path)); // no name to hand to the trash
        } else if (file->name == ownName && file->record.isNull()) {
            const QByteArray path = encodeFileName(file->path);
            struct stat link
            {}, target{};
            if (::lstat(path.constData(), &link) != 0)
                continue;
            if (S_ISLNK(link.st_mode) && ::stat(path.constData(), &target) != 0)
                names.append(file->name); // a link to nothing holds nothing
            else if (!S_ISDIR(S_ISLNK(link.st_mode) ? target.st_mode : link.st_mode))
                left.append(displayFileName(file->path));
        }
    }
    if (names.isEmpty() && left.isEmpty())
        return {ChangeResult::Status::NothingToDo, {}};

    ChangeResult result;
    for (const QString &name : std::as_const(names)) {
        const ChangeResult removed = m_store.remove(appendPathComponent(m_store.folder(), name));
        if (removed.succeeded()) {
            forgetFile(name);
            removeStandard(name);
            continue;
        }
        qCWarning(lcCatalogue).noquote() << QStringLiteral("Could not delete Snippet. Error: %1").arg(removed.reason);
        result = removed;
    }
    if (!left.isEmpty() && result.succeeded()) {
        return refused(QStringLiteral("%1 left as it is: Glimmerpad cannot read it as a snippet or cannot move it; "
                                      "move it away yourself if it is not yours")
                           .arg(left.join(QStringLiteral(", "))));
    }
    return result;
}

ChangeBatch::ChangeBatch(SnippetCatalogue &catalogue, QList<SnippetChange> changes)
    : m_catalogue(catalogue), m_changes(std::move(changes))
{}

ChangeBatch::~ChangeBatch()
{
    if (const QString problem = finish(); !problem.isEmpty())
        qCWarning(lcCatalogue).noquote() << problem;
}

SnippetStore::Lock::State ChangeBatch::begin(std::chrono::milliseconds wait)
{
    using State = SnippetStore::Lock::State;
    m_begun = true;
    if (m_lock && m_lock->state() != State::Busy)
        return m_lock->state();
    const bool writes = std::any_of(m_changes.cbegin(), m_changes.cend(), [](const SnippetChange &change) {
        return change.kind == SnippetChange::Kind::Override;
    });
    SnippetStore &store = m_catalogue.m_store;
    // Only an override makes the folder; reverting or rebasing in a folder that is gone has nothing
    // to do.
    if (writes) {
        m_failure = store.makeFolder();
    } else if (!QFileInfo(store.folder()).isDir()) {
        m_catalogue.refreshUserCodeSnippets();
        return State::Held;
    }
    if (!m_failure.isEmpty())
        return State::Refused;
    m_lock = store.takeLock(wait);
    // The folder as it is now that no other writer can change it: only what changed since the
    // catalogue last looked is read.
    if (m_lock->state() == State::Held)
        m_catalogue.refreshUserCodeSnippets();
    return m_lock->state();
}

QString ChangeBatch::lockFailure() const
{
    return !m_failure.isEmpty() ? m_failure : m_lock ? m_lock->failure() : QString();
}

ChangeResult ChangeBatch::step()
{
    if (!m_begun)
        begin(SnippetStore::Lock::waitLimit());
    const SnippetChange &change = m_changes.at(m_done++);
    const bool revert = change.kind == SnippetChange::Kind::Revert;
    ChangeResult result;
    if (const QString failure = lockFailure(); !failure.isEmpty() || (m_lock && m_lock->state() != SnippetStore::Lock::State::Held)) {
        result = {ChangeResult::Status::Failed, failure};
        if (revert)
            qCWarning(lcCatalogue).noquote() << QStringLiteral("Could not delete Snippet. Error: %1").arg(failure);
    } else {
        result = revert ? m_catalogue.removeOverrides(change.system)
                 : change.kind == SnippetChange::Kind::Rebase ? m_catalogue.rebaseOverride(change)
                                                              : m_catalogue.writeOverride(change);
    }
    if (!revert && !result.succeeded())
        qCWarning(lcCatalogue).noquote() << "Could not write User Snippet.";
    return result;
}

QString ChangeBatch::finish()
{
    QString problem;
    if (m_lock)
        problem = m_lock->release();
    m_lock.reset();
    return problem;
}

// ---- the filter ---------------------------------------------------------------------------

void SnippetCatalogue::filterSystemCodeSnippets(const SnippetFilter &filter)
{
    m_filter = filter;
    const bool searched = !filter.text.isEmpty();
    QList<qsizetype> matches = searched ? m_search.matches(m_system, filter.text) : QList<qsizetype>();
    if (searched)
        matches = withShownShortcutMatches(std::move(matches), filter.text);
    if (searched && filter.textInBodies) {
        const QList<bool> inBody = shownBodiesContaining(filter.text);
        for (qsizetype i = 0; i < inBody.size(); ++i) {
            if (inBody[i])
                matches.append(i);
        }
        std::sort(matches.begin(), matches.end());
        matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    }
    const bool narrowed = filter.changedOnly || !filter.language.isEmpty() || filter.staleOnly ||
                          filter.needsAttention || !filter.body.isEmpty() || filter.clashesOnly;
    if (!narrowed && (!searched || matches.size() == m_system.size())) {
        m_filtered = m_system; // every row: share them rather than copy them
        return;
    }
    const QStringList &languages = filter.language.isEmpty() ? QStringList() : m_search.languageValues(m_system);
    const QList<bool> bodyFound = filter.body.isEmpty() ? QList<bool>() : shownBodiesContaining(filter.body);
    const bool byStatus = filter.staleOnly || filter.needsAttention;
    const auto shown = [&](qsizetype index) {
        if ((filter.changedOnly || byStatus) && !hasOverride(m_systemIdentifiers[index]))
            return false;
        if (byStatus) {
            const std::optional<OverrideReport> report = reportOf(m_system[index]);
            if (!report || report->status != OverrideStatus::Stale)
                return false;
        }
        if (!bodyFound.isEmpty() && !bodyFound[index])
            return false;
        if (filter.clashesOnly && clashIndex().system[index].isEmpty())
            return false;
        return filter.language.isEmpty() || SnippetLanguage::matches(languages[index], filter.language);
    };
    QList<SnippetRecord> rows;
    const qsizetype candidates = searched ? matches.size() : m_system.size();
    for (qsizetype k = 0; k < candidates; ++k) {
        const qsizetype index = searched ? matches[k] : k; // in title order either way
        if (shown(index))
            rows.append(m_system[index]);
    }
    if (filter.needsAttention) {
        // After them the overrides of snippets this Xcode no longer has, by their own titles.
        QList<SnippetRecord> orphans;
        for (const OverrideReport &report : overrideReports()) {
            const SnippetRecord &record = report.file.record;
            const bool found = !searched || foldForSearch(record.title().value_or(QString())).contains(foldForSearch(filter.text)) ||
                               foldForSearch(record.summary().value_or(QString())).contains(foldForSearch(filter.text));
            if (report.status == OverrideStatus::Orphaned && found)
                orphans.append(record);
        }
        std::stable_sort(orphans.begin(), orphans.end(), [](const SnippetRecord &a, const SnippetRecord &b) {
            return a.title().value_or(QString()) < b.title().value_or(QString());
        });
        rows += orphans;
    }
    m_filtered = std::move(rows);
}

const QList<SnippetCatalogue::ShownFold> &SnippetCatalogue::shownFolds() const
{
    if (!m_shownFolds) {
        QList<ShownFold> &folds = m_shownFolds.emplace();
        for (auto it = m_governing.cbegin(); it != m_governing.cend(); ++it) {
            const SnippetRecord &shown = m_files[it.value()].record;
            for (qsizetype i = m_firstSystemIndex.value(it.key(), m_system.size()); i < m_system.size(); ++i) {
                if (m_systemIdentifiers[i] != it.key())
                    continue;
                // The system's own shortcut is in the search's index already.
                const std::optional<QString> &prefix = shown.completionPrefix();
                const bool own = prefix && !prefix->isEmpty() && prefix != m_system[i].completionPrefix();
                folds.append({i, own ? foldForSearch(*prefix) : QString(),
                              foldForSearch(shown.contents().value_or(QString()))});
            }
        }
    }
    return *m_shownFolds;
}

// The overrides that answer a shortcut of their own: their snippets match a search for it too.
QList<qsizetype> SnippetCatalogue::withShownShortcutMatches(QList<qsizetype> matches, const QString &text) const
{
    const QString needle = foldForSearch(text);
    const qsizetype before = matches.size();
    for (const ShownFold &fold : shownFolds()) {
        if (!fold.prefix.isEmpty() && fold.prefix.contains(needle))
            matches.append(fold.systemIndex);
    }
    if (matches.size() == before)
        return matches;
    std::sort(matches.begin(), matches.end());
    matches.erase(std::unique(matches.begin(), matches.end()), matches.end());
    return matches;
}

// For each system snippet, whether the body it shows contains text: its override's when it has
// one, else its own.
QList<bool> SnippetCatalogue::shownBodiesContaining(const QString &text)
{
    QList<bool> found(m_system.size(), false);
    for (const qsizetype index : m_search.bodyMatches(m_system, text))
        found[index] = true;
    const QString needle = foldForSearch(text);
    for (const ShownFold &fold : shownFolds())
        found[fold.systemIndex] = fold.body.contains(needle);
    return found;
}

// ---- shortcuts ----------------------------------------------------------------------------

QList<Shortcuts::Candidate> SnippetCatalogue::shortcutCandidates() const
{
    // Every system snippet as Xcode uses it, then the user's own snippets (files that override no
    // system snippet), each identifier's governing file once.
    QList<Shortcuts::Candidate> candidates;
    candidates.reserve(m_system.size());
    for (qsizetype i = 0; i < m_system.size(); ++i)
        candidates.append({shownRecord(m_system[i]), m_systemIdentifiers[i].value_or(QString())});
    for (auto it = m_governing.cbegin(); it != m_governing.cend(); ++it) {
        if (!m_firstSystemIndex.contains(it.key()))
            candidates.append({m_files[it.value()].record, it.key()});
    }
    return candidates;
}

const SnippetCatalogue::ClashIndex &SnippetCatalogue::clashIndex() const
{
    if (!m_clashes) {
        ClashIndex &index = m_clashes.emplace();
        index.candidates = shortcutCandidates();
        const QList<QList<qsizetype>> found = Shortcuts::clashes(index.candidates);
        index.system.resize(m_system.size());
        for (qsizetype i = 0; i < m_system.size(); ++i) {
            for (const qsizetype other : found[i])
                index.system[i].append(index.candidates[other].shown);
        }
    }
    return *m_clashes;
}

QList<SnippetRecord> SnippetCatalogue::clashingSnippets(const SnippetRecord &systemSnippet) const
{
    const qsizetype index = m_systemPlace.value(systemSnippet.identity(), -1);
    return index < 0 ? QList<SnippetRecord>() : clashIndex().system[index];
}

QList<SnippetRecord> SnippetCatalogue::clashesWithShortcut(const SnippetRecord &systemSnippet,
                                                           const QString &shortcut) const
{
    const qsizetype index = m_systemPlace.value(systemSnippet.identity(), -1);
    if (index < 0)
        return {};
    // The snippet as it would be with the shortcut, beside the others that answer that shortcut
    // (a typed shortcut is asked about at every keystroke: the rest cannot clash with it).
    const QList<Shortcuts::Candidate> &candidates = clashIndex().candidates;
    PlistPtr changed = candidates[index].shown.copyDictionary();
    plist_dict_set_item(changed.get(), SnippetKey::CompletionPrefix, plist_new_string(shortcut.toUtf8().constData()));
    QList<Shortcuts::Candidate> sharing{
        {SnippetRecord::fromDictionary(std::move(changed)), candidates[index].identifier}};
    for (qsizetype i = 0; i < candidates.size(); ++i) {
        if (i != index && candidates[i].shown.completionPrefix() == shortcut)
            sharing.append(candidates[i]);
    }
    QList<SnippetRecord> clashing;
    const QList<QList<qsizetype>> found = Shortcuts::clashes(sharing);
    for (const qsizetype other : found.first())
        clashing.append(sharing[other].shown);
    return clashing;
}

bool SnippetCatalogue::hasOwnShortcut(const SnippetRecord &systemSnippet) const
{
    const SnippetState state = stateOf(systemSnippet);
    if (!state.overridden || state.disabled)
        return false;
    // Against what the override was made from, where that is known: a newer Xcode's new shortcut
    // is not the user's.
    const StandardFile::Standard standard = recordedStandard(m_files[governingIndex(systemSnippet.identifier())].name);
    const SnippetRecord &reference = standard.record.isNull() ? systemSnippet : standard.record;
    const auto normal = [](const std::optional<QString> &prefix) {
        return prefix.value_or(QString()).trimmed();
    };
    return normal(state.shown.completionPrefix()) != normal(reference.completionPrefix());
}

QStringList SnippetCatalogue::systemLanguages() const
{
    // The values are read afresh: asked for once per load, where the search keeps its own.
    QStringList names;
    for (const SnippetRecord &record : m_system) {
        const QString value = record.string(SnippetKey::Language).value_or(QString());
        if (!value.isEmpty())
            names.append(SnippetLanguage::readableName(value));
    }
    names.sort();
    names.removeDuplicates();
    return names;
}

} // namespace Glimmerpad
