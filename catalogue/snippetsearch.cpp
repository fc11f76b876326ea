#include "catalogue/snippetsearch.h"

#include "catalogue/searchfold.h"

#include <functional>
#include <string_view>

namespace Glimmerpad {

static constexpr QChar kSearchSeparator = u'\0'; // after each folded title and summary

void SnippetSearch::reset()
{
    m_text.clear();
    m_starts.clear();
    m_lastNeedle.clear();
    m_lastMatches.clear();
    m_languages.clear();
    m_bodies.clear();
    m_bodyStarts.clear();
}

// Folds the given fields of every system snippet into one text: record i's field k, followed by a
// NUL, starts at starts[fields * i + k]; one more start marks the end.
static void foldFields(const QList<SnippetRecord> &system, qsizetype fields,
                       const std::function<std::optional<QString>(const SnippetRecord &, qsizetype)> &field,
                       QString &text, QList<qsizetype> &starts)
{
    text.clear();
    starts.clear();
    starts.reserve(fields * system.size() + 1);
    for (const SnippetRecord &record : system) {
        for (qsizetype k = 0; k < fields; ++k) {
            starts.append(text.size());
            if (const std::optional<QString> value = field(record, k))
                text += foldForSearch(*value);
            text += kSearchSeparator;
        }
    }
    starts.append(text.size());
}

void SnippetSearch::ensureText(const QList<SnippetRecord> &system)
{
    if (m_starts.size() == kTextFields * system.size() + 1)
        return;
    foldFields(system, kTextFields, [](const SnippetRecord &record, qsizetype k) {
        return k == 0 ? record.title() : k == 1 ? record.summary() : record.completionPrefix();
    }, m_text, m_starts);
}

void SnippetSearch::ensureBodies(const QList<SnippetRecord> &system)
{
    if (m_bodyStarts.size() == system.size() + 1)
        return;
    foldFields(system, 1, [](const SnippetRecord &record, qsizetype) { return record.contents(); }, m_bodies,
               m_bodyStarts);
}

const QStringList &SnippetSearch::languageValues(const QList<SnippetRecord> &system)
{
    if (m_languages.size() != system.size()) {
        m_languages.clear();
        m_languages.reserve(system.size());
        for (const SnippetRecord &record : system)
            m_languages.append(record.string(SnippetKey::Language).value_or(QString()));
    }
    return m_languages;
}

namespace {

// A folded search text, looked for in folded titles and summaries: a single character through
// Qt's vectorised scan, anything longer by its first character and an inline comparison, which on
// these short texts beats both Qt's rolling hash and its skip table.
class Needle
{
public:
    explicit Needle(const QString &text) : m_text(units(text)) {}

    qsizetype indexIn(QStringView haystack, qsizetype from = 0) const
    {
        if (m_text.size() == 1)
            return haystack.indexOf(QChar(m_text.front()), from);
        const std::size_t at = units(haystack).find(m_text, static_cast<std::size_t>(from));
        return at == std::u16string_view::npos ? -1 : static_cast<qsizetype>(at);
    }
    // Whether a folded title or summary contains it; a missing or empty one never does.
    bool isIn(QStringView field) const { return !field.isEmpty() && (m_text.empty() || indexIn(field) >= 0); }

private:
    static std::u16string_view units(QStringView text)
    {
        return {text.utf16(), static_cast<std::size_t>(text.size())};
    }

    std::u16string_view m_text;
};

// Whether one of record index's folded fields contains the needle.
bool fieldsContain(QStringView text, const QList<qsizetype> &starts, qsizetype fields, qsizetype index,
                   const Needle &needle)
{
    for (qsizetype k = fields * index; k < fields * (index + 1); ++k) {
        if (needle.isIn(text.sliced(starts[k], starts[k + 1] - starts[k] - 1)))
            return true;
    }
    return false;
}

// The records, in order, one of whose folded fields contains the needle.
QList<qsizetype> scan(QStringView text, const QList<qsizetype> &starts, qsizetype fields, qsizetype records,
                      const QString &folded)
{
    const Needle needle(folded);
    QList<qsizetype> found;
    if (folded.isEmpty() || folded.contains(kSearchSeparator)) {
        // A text with a separator, or one that folds to nothing, is tested record by record.
        for (qsizetype index = 0; index < records; ++index) {
            if (fieldsContain(text, starts, fields, index, needle))
                found.append(index);
        }
        return found;
    }
    // One scan of the whole text: a match cannot span a separator, so it lies inside one field;
    // walking the starts along with the scan tells whose.
    qsizetype field = 0;
    for (qsizetype at = needle.indexIn(text); at >= 0; at = needle.indexIn(text, starts[field + 1])) {
        while (starts[field + 1] <= at)
            ++field;
        field = (field / fields + 1) * fields - 1; // the record's other fields are not worth scanning
        found.append(field / fields);
    }
    return found;
}

} // namespace

QList<qsizetype> SnippetSearch::matches(const QList<SnippetRecord> &system, const QString &text)
{
    ensureText(system);
    QString folded = foldForSearch(text);
    QList<qsizetype> found;
    if (!m_lastNeedle.isEmpty() && folded.contains(m_lastNeedle)) {
        // Typing on: a field that contains the longer text contains the shorter one too, so only
        // the snippets that matched it need looking at.
        const Needle needle(folded);
        for (const qsizetype index : std::as_const(m_lastMatches)) {
            if (fieldsContain(m_text, m_starts, kTextFields, index, needle))
                found.append(index);
        }
    } else {
        found = scan(m_text, m_starts, kTextFields, system.size(), folded);
    }
    m_lastNeedle = std::move(folded);
    m_lastMatches = found;
    return found;
}

QList<qsizetype> SnippetSearch::bodyMatches(const QList<SnippetRecord> &system, const QString &text)
{
    ensureBodies(system);
    return scan(m_bodies, m_bodyStarts, 1, system.size(), foldForSearch(text));
}

} // namespace Glimmerpad
