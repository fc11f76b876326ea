#pragma once

#include "catalogue/snippetcatalogue.h"

#include <QAbstractListModel>
#include <QIcon>
#include <QTextLayout>

namespace Glimmerpad {

// A row's one line of text: the title in bold, the summary in the regular face.
struct AttributedString
{
    QString text;
    QList<QTextLayout::FormatRange> formats;
};

// The snippet list's rows: one per record of the catalogue's filtered system snippets,
// each shown through its override when it has one. The model keeps nothing of its own.
class SnippetListModel final : public QAbstractListModel
{
    Q_OBJECT

public:
    enum Role
    {
        AttributedTextRole = Qt::UserRole + 1, // AttributedString of title and summary
        OpacityRole,                           // 0.6 for a disabled override, else 1.0
        IsOverriddenRole,
        AttentionRole, // Attention: what the row's override asks of the user
        ClashRole,     // bool: another snippet answers the same shortcut in the same place
    };
    // An override that needs a look: the standard changed since it was made, or this Xcode no
    // longer has its snippet.
    enum class Attention
    {
        None,
        Stale,
        Orphaned,
    };

    explicit SnippetListModel(const SnippetCatalogue &catalogue, QObject *parent = nullptr);

    int rowCount(const QModelIndex &parent = {}) const override;
    QVariant data(const QModelIndex &index, int role) const override;
    Qt::ItemFlags flags(const QModelIndex &index) const override;

    // The whole list changed (load, search).
    void reloadData();
    // Whether the rows leave out which other snippets answer their shortcut: finding that reads
    // every snippet, which the window's first paint need not wait for. Turned off, the rows tell it.
    void setClashesDeferred(bool deferred);
    bool clashesDeferred() const { return m_clashesDeferred; }
    // Only this row's shown record may have changed (a save or revert).
    void reloadRow(int row);

    static AttributedString attributedStringWithTitle(const QString &title, const QString &summary,
                                                      const QFont &baseFont);
    static QIcon systemSnippetIcon();
    static QIcon userSnippetIcon();

private:
    bool m_clashesDeferred = false;
    const SnippetCatalogue &m_catalogue;
};

} // namespace Glimmerpad

Q_DECLARE_METATYPE(Glimmerpad::AttributedString)
Q_DECLARE_METATYPE(Glimmerpad::SnippetListModel::Attention)
