#include "catalogue/overridetransfer.h"

#include "catalogue/boundedfile.h"
#include "catalogue/limits.h"
#include "catalogue/paths.h"
#include "catalogue/propertylist.h"
#include "catalogue/snippetstore.h"

#include <QDir>
#include <QFileInfo>
#include <QSaveFile>
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

// The change a snippet file asks for; a failed result instead when it asks for none.
std::variant<SnippetChange, TransferResult> changeOfFile(const SnippetCatalogue &catalogue, const QString &path)
{
    QByteArray bytes;
    QString error;
    if (!readBoundedFile(path, Limits::kMaxUserSnippetFileBytes, bytes, &error))
        return TransferResult{{}, {}, path, false, QStringLiteral("cannot be read (%1)").arg(error)};
    PlistPtr root = parsePropertyList(bytes, &error);
    if (!root)
        return TransferResult{{}, {}, path, false, QStringLiteral("not a snippet file (%1)").arg(error)};
    const SnippetRecord imported = SnippetRecord::fromParsedBytes(std::move(root), bytes);
    if (imported.isNull())
        return TransferResult{{}, {}, path, false, QStringLiteral("not a snippet file (no property-list dictionary)")};
    const Identifier &identifier = imported.identifier();
    if (!identifier || identifier->isEmpty())
        return TransferResult{{}, {}, path, false, QStringLiteral("the snippet carries no identifier")};
    const std::optional<QString> contents = imported.contents();
    if (!contents && plist_dict_get_item(imported.dictionary(), SnippetKey::Contents))
        return TransferResult{*identifier, {}, path, false, QStringLiteral("the snippet's contents are not text")};
    const SnippetRecord system = catalogue.systemCodeSnippet(*identifier);
    if (system.isNull()) {
        return TransferResult{*identifier, {}, path, false,
                              QStringLiteral("no system snippet has the identifier \"%1\"").arg(*identifier)};
    }
    return SnippetChange::override(system, SnippetCatalogue::isDisabledOverride(imported), contents);
}

} // namespace

QList<TransferResult> importOverrides(SnippetCatalogue &catalogue, const QStringList &paths)
{
    // Every file read first, in the order given; the overrides are then written under one lock.
    QList<TransferResult> results;
    QList<SnippetChange> changes;
    QList<qsizetype> changedResults;
    const auto read = [&](const QString &file) {
        std::variant<SnippetChange, TransferResult> change = changeOfFile(catalogue, file);
        if (auto *failed = std::get_if<TransferResult>(&change)) {
            results.append(std::move(*failed));
            return;
        }
        changes.append(std::get<SnippetChange>(std::move(change)));
        changedResults.append(results.size());
        results.append({*changes.last().system.identifier(), changes.last().system, file, true, {}});
    };
    for (const QString &path : paths) {
        if (!QFileInfo(path).isDir()) {
            read(path);
            continue;
        }
        const QStringList names = snippetFileNames(path);
        if (names.isEmpty())
            results.append({{}, {}, path, false, QStringLiteral("the folder holds no .codesnippet file")});
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
