#include "app/snippetlistmodel.h"

#include "app/strings.h"

#include <QApplication>

namespace Glimmerpad {

static constexpr qreal kDisabledOpacity = 0.6;
static constexpr int kRowFontPixelSize = 11;

SnippetListModel::SnippetListModel(const SnippetCatalogue &catalogue, QObject *parent)
    : QAbstractListModel(parent), m_catalogue(catalogue)
{}

int SnippetListModel::rowCount(const QModelIndex &parent) const
{
    return parent.isValid() ? 0 : static_cast<int>(m_catalogue.rowCount());
}

Qt::ItemFlags SnippetListModel::flags(const QModelIndex &index) const
{
    return index.isValid() ? Qt::ItemIsEnabled | Qt::ItemIsSelectable : Qt::NoItemFlags;
}

QVariant SnippetListModel::data(const QModelIndex &index, int role) const
{
    if (!checkIndex(index, CheckIndexOption::IndexIsValid | CheckIndexOption::ParentIsInvalid))
        return {};
    const SnippetRecord system = m_catalogue.recordAtRow(index.row());
    // One lookup per row, nothing cached: the catalogue's identifier index makes it cheap.
    const SnippetState state = m_catalogue.stateOf(system);
    const QString title = state.shown.title().value_or(QString());
    const QString summary = system.summary().value_or(QString());
    const auto attention = [&] {
        const std::optional<OverrideReport> report =
            state.overridden ? m_catalogue.reportOf(system) : std::nullopt;
        return !report                                      ? Attention::None
               : report->status == OverrideStatus::Stale    ? Attention::Stale
               : report->status == OverrideStatus::Orphaned ? Attention::Orphaned
                                                            : Attention::None;
    };
    const auto attentionText = [](Attention kind) {
        switch (kind) {
        case Attention::Stale:
            //% "The standard snippet changed since this override was made"
            //: On a row whose override was made from an older standard snippet
            return qtTrId("row_stale");
        case Attention::Orphaned:
            //% "This Xcode has no such snippet any more"
            return qtTrId("row_orphaned");
        case Attention::None:
            break;
        }
        return QString();
    };

    // Whose snippets answer its shortcut too, by their titles.
    const auto clashNote = [&]() -> QString {
        if (m_clashesDeferred)
            return {};
        const QList<SnippetRecord> clashing = m_catalogue.clashingSnippets(system);
        if (clashing.isEmpty())
            return {};
        //% "Its shortcut “%1” is answered by %2 too"
        return qtTrId("row_clash")
            .arg(state.shown.completionPrefix().value_or(QString()), Strings::snippetNames(clashing));
    };
    const auto notes = [&] {
        QStringList all{attentionText(attention()), clashNote()};
        all.removeAll(QString());
        return all;
    };

    switch (role) {
    case Qt::DisplayRole:
        return title;
    case Qt::AccessibleTextRole: {
        // The marks are drawn only; a screen reader hears what they mean with the name.
        return (QStringList{title} + notes()).join(QStringLiteral(". "));
    }
    case ClashRole:
        return !m_clashesDeferred && !m_catalogue.clashingSnippets(system).isEmpty();
    case AttributedTextRole:
        return QVariant::fromValue(
            attributedStringWithTitle(title, QStringLiteral(" - %1").arg(summary), QApplication::font()));
    case Qt::DecorationRole:
        return state.overridden ? userSnippetIcon() : systemSnippetIcon();
    case OpacityRole:
        return state.disabled ? kDisabledOpacity : 1.0;
    case IsOverriddenRole:
        return state.overridden;
    case AttentionRole:
        return QVariant::fromValue(attention());
    case Qt::ToolTipRole:
        return (QStringList{summary} + notes()).join(u'\n');
    case Qt::AccessibleDescriptionRole: {
        QString described = summary;
        if (state.disabled) {
            //% "%1 (changed, shortcut off)"
            described = qtTrId("row_state_disabled").arg(summary);
        } else if (state.overridden) {
            //% "%1 (changed)"
            described = qtTrId("row_state_override").arg(summary);
        }
        return described;
    }
    default:
        return {};
    }
}

void SnippetListModel::setClashesDeferred(bool deferred)
{
    if (deferred == m_clashesDeferred)
        return;
    m_clashesDeferred = deferred;
    if (!deferred && rowCount() > 0)
        Q_EMIT dataChanged(index(0), index(rowCount() - 1),
                           {ClashRole, Qt::ToolTipRole, Qt::AccessibleTextRole});
}

void SnippetListModel::reloadData()
{
    beginResetModel();
    endResetModel();
}

void SnippetListModel::reloadRow(int row)
{
    if (row < 0 || row >= rowCount())
        return;
    const QModelIndex changed = index(row);
    Q_EMIT dataChanged(changed, changed);
}

AttributedString SnippetListModel::attributedStringWithTitle(const QString &title, const QString &summary,
                                                             const QFont &baseFont)
{
    QFont bold = baseFont;
    bold.setPixelSize(kRowFontPixelSize);
    bold.setBold(true);
    QFont regular = baseFont;
    regular.setPixelSize(kRowFontPixelSize);
    regular.setBold(false);

    AttributedString result;
    result.text = title + summary;
    QTextLayout::FormatRange titleRange;
    titleRange.start = 0;
    titleRange.length = static_cast<int>(title.size());
    titleRange.format.setFont(bold);
    QTextLayout::FormatRange summaryRange;
    summaryRange.start = titleRange.length;
    summaryRange.length = static_cast<int>(summary.size());
    summaryRange.format.setFont(regular);
    result.formats = {titleRange, summaryRange};
    return result;
}

QIcon SnippetListModel::systemSnippetIcon()
{
    static const QIcon icon(QStringLiteral(":/icons/snippet_system.svg"));
    return icon;
}

QIcon SnippetListModel::userSnippetIcon()
{
    static const QIcon icon(QStringLiteral(":/icons/snippet_user.svg"));
    return icon;
}

} // namespace Glimmerpad
