#include "catalogue/overridetransfer.h"

#include "catalogue/boundedfile.h"
#include "catalogue/limits.h"
#include "catalogue/overridefile.h"
#include "catalogue/paths.h"
#include "catalogue/plistiteration.h"
#include "catalogue/propertylist.h"
#include "catalogue/rebase.h"
#include "catalogue/snippetstore.h"
#include "catalogue/standardfile.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
#include <QHash>
#include <QSet>

#include <algorithm>
#include <variant>

namespace Glimmerpad::OverrideTransfer {

namespace {

const QLatin1StringView kSnippetSuffix(".codesnippet");
const QLatin1StringView kStandardsFolder(StandardFile::kFolderName);

QString saveCopy(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit())
        return {};
    return file.errorString();
}

// Writes what an override was made from into the standards folder under the override's name; why
// not, when it could not be. Encoded afresh, as the catalogue would record it.
QString saveStandard(const QString &standards, const QString &name, const StandardFile::Standard &standard)
{
    const OverrideFile::Encoded encoded = StandardFile::encode(standard.record, standard.xcodeVersion);
    if (!encoded.ok())
        return encoded.refusal;
    if (!QDir().mkpath(standards))
        return QStringLiteral("the folder %1 could not be made").arg(standards);
    return saveCopy(appendPathComponent(standards, name), encoded.record.sourceBytes());
}

// One override to export: the file that governs it and what it was made from.
struct Exported
{
    QString identifier;
    SnippetRecord system; // null for an override of a snippet this Xcode no longer has
    OverrideReport report;
};

// The overrides of system snippets in title order, then those of snippets this Xcode no longer has
// (orphaned, or made in a newer Xcode that has them) in name order: carried to a machine whose
// Xcode may have them.
QList<Exported> overridesToExport(const SnippetCatalogue &catalogue)
{
    QList<Exported> list;
    QSet<QString> done;
    for (const SnippetRecord &system : catalogue.systemCodeSnippets()) {
        const Identifier &identifier = system.identifier();
        if (!identifier || done.contains(*identifier))
            continue;
        done.insert(*identifier);
        if (std::optional<OverrideReport> report = catalogue.reportOf(system))
            list.append({*identifier, system, std::move(*report)});
    }
    for (OverrideReport &report : catalogue.overrideReports()) {
        if (report.system.isNull())
            list.append({report.identifier, {}, std::move(report)});
    }
    return list;
}

} // namespace

QList<TransferResult> exportOverrides(SnippetCatalogue &catalogue, const QString &folder)
{
    const auto refused = [&folder](const QString &why) { return QList<TransferResult>{{{}, {}, folder, false, why}}; };
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return refused(QStringLiteral("the path %1 is not a folder").arg(folder));
    if (!QDir().mkpath(folder))
        return refused(QStringLiteral("the folder %1 could not be made").arg(folder));
    // Never mixed with, or written over, snippet files already there, nor what other overrides
    // were made from.
    const QString standards = appendPathComponent(folder, kStandardsFolder);
    for (const QString &place : {folder, standards}) {
        if (!snippetFileNames(place).isEmpty()) {
            return refused(
                QStringLiteral("the folder %1 already holds .codesnippet files; export into a folder without any")
                    .arg(place));
        }
    }

    catalogue.refreshUserCodeSnippets();
    QList<TransferResult> results;
    for (const Exported &exported : overridesToExport(catalogue)) {
        if (!SnippetCatalogue::isSafeIdentifier(exported.identifier)) {
            results.append({exported.identifier, exported.system, {}, false,
                            QStringLiteral("the snippet's identifier cannot be used as a file name")});
            continue;
        }
        // What it was made from goes first: an override exported without it would be imported as
        // made from the importing Xcode's snippet, and a switched-off one keep an old body.
        const QString name = exported.identifier + kSnippetSuffix;
        QString error;
        if (const StandardFile::Standard &standard = exported.report.standard; !standard.record.isNull()) {
            if (const QString problem = saveStandard(standards, name, standard); !problem.isEmpty())
                error = QStringLiteral("what the override was made from could not be written (%1)").arg(problem);
        }
        const QString path = appendPathComponent(folder, name);
        if (error.isEmpty())
            error = saveCopy(path, exported.report.file.record.sourceBytes());
        results.append({exported.identifier, exported.system, path, error.isEmpty(), error});
    }
    return results;
}

namespace {

// The keys of imported whose values an override made from system does not carry: an override
// carries the system record with the imported body, on/off state and shortcut (the system's own,
// so a shortcut of the file's own is not carried either). system is the record the imported
// override was made from when that is known: only keys changed since are its own.
QStringList keysNotCarried(const SnippetRecord &imported, const SnippetRecord &system)
{
    static const QSet<QByteArray> carried{SnippetKey::Identifier, SnippetKey::Contents, SnippetKey::UserSnippet,
                                          SnippetKey::Version};
    QStringList keys;
    forEachEntry(imported.dictionary(), [&](const char *key, plist_t value) {
        if (carried.contains(key))
            return true;
        if (qstrcmp(key, SnippetKey::CompletionPrefix) == 0) {
            // Off, or on with the system's shortcut (" " for an empty one), is what is carried.
            const std::optional<QString> prefix = stringValue(value);
            const std::optional<QString> &own = system.completionPrefix();
            if (prefix && (prefix->isEmpty() || prefix == own || (own && own->isEmpty() && *prefix == u' ')))
                return true;
        } else if (propertyListsEqual(value, plist_dict_get_item(system.dictionary(), key))) {
            return true;
        }
        keys.append(QString::fromUtf8(key));
        return true;
    });
    return keys;
}

// What the override in the file at path was made from, when an export put it beside the file: in
// ".glimmerpad/<file name>" of the file's folder. A null record when there is none, or none that
// is of this snippet.
StandardFile::Standard standardBeside(const QString &path, const QString &identifier)
{
    const qsizetype slash = path.lastIndexOf(u'/');
    const QString folder = slash < 0 ? QString() : path.left(slash + 1);
    const QString standardPath =
        appendPathComponent(appendPathComponent(folder, kStandardsFolder), path.mid(slash + 1));
    if (!QFileInfo::exists(standardPath))
        return {};
    const SnippetRecord file =
        SnippetRecord::fromDictionary(readPropertyListFile(standardPath, Limits::kMaxUserSnippetFileBytes));
    if (file.isNull())
        return {};
    const StandardFile::Standard standard = StandardFile::decode(file);
    return standard.record.identifier() == identifier ? standard : StandardFile::Standard{};
}

// Why the path is not imported from: a standards folder, or a file in one, holds no overrides.
QString standardsPathRefusal(const QString &path)
{
    const QStringList parts = QDir::cleanPath(path).split(u'/');
    if (parts.last() == kStandardsFolder)
        return QStringLiteral("holds what overrides were made from, not overrides");
    if (parts.size() > 1 && parts[parts.size() - 2] == kStandardsFolder)
        return QStringLiteral("is in a %1 folder, which holds what overrides were made from, not overrides")
            .arg(kStandardsFolder);
    return {};
}

// The change a snippet file asks for; a failed result instead when it asks for none. An override
// exported with what it was made from is rebased onto this Xcode's snippet: what the user changed
// is kept, the rest is this Xcode's.
std::variant<SnippetChange, TransferResult> changeOfFile(const SnippetCatalogue &catalogue, const QString &path,
                                                         QStringList *notCarried)
{
    const QString shown = displayFileName(path);
    QByteArray bytes;
    QString error;
    if (!readBoundedFile(path, Limits::kMaxUserSnippetFileBytes, bytes, &error))
        return TransferResult{{}, {}, shown, false, QStringLiteral("cannot be read (%1)").arg(error)};
    PlistPtr root = parsePropertyList(bytes, &error);
    if (!root)
        return TransferResult{{}, {}, shown, false, QStringLiteral("not a snippet file (%1)").arg(error)};
    const SnippetRecord imported = SnippetRecord::fromParsedBytes(std::move(root), bytes);
    if (imported.isNull())
        return TransferResult{{}, {}, shown, false, QStringLiteral("not a snippet file (no property-list dictionary)")};
    const Identifier &identifier = imported.identifier();
    if (!identifier || identifier->isEmpty())
        return TransferResult{{}, {}, shown, false, QStringLiteral("the snippet carries no identifier")};
    const std::optional<QString> contents = imported.contents();
    if (!contents && plist_dict_get_item(imported.dictionary(), SnippetKey::Contents))
        return TransferResult{*identifier, {}, shown, false, QStringLiteral("the snippet's contents are not text")};
    if (contents) {
        // Refused here rather than when written, so that a later file for the snippet is taken.
        if (const QString refusal = OverrideFile::contentsRefusal(*contents); !refusal.isEmpty())
            return TransferResult{*identifier, {}, shown, false, refusal};
    }
    const SnippetRecord system = catalogue.systemCodeSnippet(*identifier);
    if (system.isNull()) {
        return TransferResult{*identifier, {}, shown, false,
                              QStringLiteral("no system snippet has the identifier \"%1\"").arg(*identifier)};
    }
    const StandardFile::Standard standard = standardBeside(path, *identifier);
    *notCarried = keysNotCarried(imported, standard.record.isNull() ? system : standard.record);
    bool off = SnippetCatalogue::isDisabledOverride(imported);
    std::optional<QString> body = contents;
    if (!standard.record.isNull()) {
        Rebase::Outcome outcome =
            Rebase::rebase(imported, standard.record, system, Rebase::Mode::Merge, catalogue.bodyMerger());
        if (outcome.conflicted())
            return TransferResult{*identifier, {}, shown, false, QStringLiteral("conflict in the body")};
        if (!outcome.dictionary)
            return TransferResult{*identifier, {}, shown, false, outcome.refusal};
        const SnippetRecord rebased = SnippetRecord::fromDictionary(std::move(outcome.dictionary));
        off = SnippetCatalogue::isDisabledOverride(rebased);
        body = rebased.contents();
        if (body && body != contents) {
            if (const QString refusal = OverrideFile::contentsRefusal(*body); !refusal.isEmpty())
                return TransferResult{*identifier, {}, shown, false, refusal};
        }
    }
    SnippetChange change = SnippetChange::override(system, off, body);
    change.trashReplaced = true; // the override there now was the user's, however it was made
    // Made now from this Xcode's snippet, whatever the override it replaces was made from.
    change.recordsStandard = true;
    return change;
}

} // namespace

QList<TransferResult> importOverrides(SnippetCatalogue &catalogue, const QStringList &paths)
{
    // Every file read first, in the order given; the overrides are then written under one lock.
    // Of several files for one snippet, the first governs, as in the snippet folder.
    QList<TransferResult> results;
    QList<SnippetChange> changes;
    QList<qsizetype> changedResults;
    QHash<QString, QString> importedFrom; // identifier -> the file that imports it
    const auto read = [&](const QString &file) {
        QStringList notCarried;
        std::variant<SnippetChange, TransferResult> change = changeOfFile(catalogue, file, &notCarried);
        if (auto *failed = std::get_if<TransferResult>(&change)) {
            results.append(std::move(*failed));
            return;
        }
        const SnippetRecord system = std::get<SnippetChange>(change).system;
        const QString &identifier = *system.identifier();
        if (const auto first = importedFrom.constFind(identifier); first != importedFrom.cend()) {
            results.append({identifier, {}, displayFileName(file), false,
                            QStringLiteral("another file for this snippet was imported: %1").arg(first.value())});
            return;
        }
        importedFrom.insert(identifier, displayFileName(file));
        changes.append(std::get<SnippetChange>(std::move(change)));
        changedResults.append(results.size());
        results.append({identifier, system, displayFileName(file), true, {}, notCarried});
    };
    for (const QString &path : paths) {
        if (const QString refusal = standardsPathRefusal(path); !refusal.isEmpty()) {
            results.append({{}, {}, displayFileName(path), false, refusal});
            continue;
        }
        if (!QFileInfo(path).isDir()) {
            read(path);
            continue;
        }
        QString error;
        const QStringList names = snippetFileNames(path, &error);
        if (!error.isEmpty())
            results.append({{}, {}, displayFileName(path), false, QStringLiteral("the folder cannot be read (%1)").arg(error)});
        else if (names.isEmpty())
            results.append({{}, {}, displayFileName(path), false, QStringLiteral("the folder holds no .codesnippet file")});
        for (const QString &name : names)
            read(appendPathComponent(path, name));
    }
    const QList<ChangeResult> written = catalogue.apply(changes);
    for (qsizetype i = 0; i < written.size(); ++i) {
        TransferResult &result = results[changedResults[i]];
        result.ok = written[i].succeeded();
        result.error = written[i].reason;
    }
    return results;
}

} // namespace Glimmerpad::OverrideTransfer
