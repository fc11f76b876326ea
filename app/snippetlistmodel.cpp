#include "app/snippetlistmodel.h"

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

    switch (role) {
    case Qt::DisplayRole:
    case Qt::AccessibleTextRole:
        return title;
    case AttributedTextRole:
        return QVariant::fromValue(
            attributedStringWithTitle(title, QStringLiteral(" - %1").arg(summary), QApplication::font()));
    case Qt::DecorationRole:
        return state.overridden ? userSnippetIcon() : systemSnippetIcon();
    case OpacityRole:
        return state.disabled ? kDisabledOpacity : 1.0;
    case IsOverriddenRole:
        return state.overridden;
    case Qt::ToolTipRole:
        return summary;
    case Qt::AccessibleDescriptionRole:
        if (!state.overridden)
            return summary;
        if (state.disabled) {
            //% "%1 (changed, shortcut off)"
            return qtTrId("row_state_disabled").arg(summary);
        }
        //% "%1 (changed)"
        return qtTrId("row_state_override").arg(summary);
    default:
        return {};
    }
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
