#include "catalogue/overridetransfer.h"

#include "catalogue/boundedfile.h"
#include "catalogue/limits.h"
#include "catalogue/overridefile.h"
#include "catalogue/paths.h"
#include "catalogue/plistiteration.h"
#include "catalogue/propertylist.h"
#include "catalogue/propertylist.h"
#include "catalogue/snippetstore.h"

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

QString saveCopy(const QString &path, const QByteArray &bytes)
{
    QSaveFile file(path);
    if (file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size() && file.flush() && file.commit())
        return {};
    return file.errorString();
}

} // namespace

QList<TransferResult> exportOverrides(SnippetCatalogue &catalogue, const QString &folder)
{
    const auto refused = [&folder](const QString &why) { return QList<TransferResult>{{{}, {}, folder, false, why}}; };
    const QFileInfo info(folder);
    if (info.exists() && !info.isDir())
        return refused(QStringLiteral("%1 is not a folder").arg(folder));
    if (!QDir().mkpath(folder))
        return refused(QStringLiteral("the folder %1 could not be made").arg(folder));
    // Never mixed with, or written over, snippet files already there.
    if (!snippetFileNames(folder).isEmpty())
        return refused(
            QStringLiteral("%1 already holds .codesnippet files; export into a folder without any").arg(folder));

    catalogue.refreshUserCodeSnippets();
    QList<TransferResult> results;
    QSet<QString> done;
    for (const SnippetRecord &system : catalogue.systemCodeSnippets()) {
        const Identifier &identifier = system.identifier();
        if (!identifier || done.contains(*identifier) || !catalogue.hasOverride(identifier))
            continue;
        done.insert(*identifier);
        if (!SnippetCatalogue::isSafeIdentifier(identifier)) {
            results.append({*identifier, system, {}, false,
                            QStringLiteral("the snippet's identifier cannot be used as a file name")});
            continue;
        }
        const QString path = appendPathComponent(folder, *identifier + kSnippetSuffix);
        const QString error = saveCopy(path, catalogue.stateOf(system).snapshot.bytes);
        results.append({*identifier, system, path, error.isEmpty(), error});
    }
    return results;
}

namespace {

// The keys of imported whose values an override made from system does not carry: an override
// carries the system record with the imported body, on/off state and shortcut (the system's own,
// so a shortcut of the file's own is not carried either).
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

// The change a snippet file asks for; a failed result instead when it asks for none.
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
    *notCarried = keysNotCarried(imported, system);
    SnippetChange change = SnippetChange::override(system, SnippetCatalogue::isDisabledOverride(imported), contents);
    change.trashReplaced = true; // the override there now was the user's, however it was made
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
