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
    const SnippetRecord override = m_catalogue.overrideForIdentifier(system.identifier());
    const SnippetRecord &shown = override.isNull() ? system : override;

    switch (role) {
    case Qt::DisplayRole:
        return shown.title().value_or(QString());
    case SummaryRole:
        return QStringLiteral(" - %1").arg(system.summary().value_or(QString()));
    case AttributedTextRole: {
        return QVariant::fromValue(attributedStringWithTitle(
            shown.title().value_or(QString()),
            QStringLiteral(" - %1").arg(system.summary().value_or(QString())), QApplication::font()));
    }
    case Qt::DecorationRole:
        return override.isNull() ? systemSnippetIcon() : userSnippetIcon();
    case OpacityRole:
        return !override.isNull() && SnippetCatalogue::isDisabledOverride(override) ? kDisabledOpacity : 1.0;
    case IsOverriddenRole:
        return !override.isNull();
    case IdentifierRole:
        return system.identifier().value_or(QString());
    case Qt::ToolTipRole:
        return system.summary().value_or(QString());
    case Qt::AccessibleTextRole:
        return shown.title().value_or(QString());
    case Qt::AccessibleDescriptionRole: {
        const QString summary = system.summary().value_or(QString());
        if (override.isNull())
            return summary;
        if (SnippetCatalogue::isDisabledOverride(override)) {
            //% "%1 (changed, shortcut off)"
            return qtTrId("row_state_disabled").arg(summary);
        }
        //% "%1 (changed)"
        return qtTrId("row_state_override").arg(summary);
    }
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
