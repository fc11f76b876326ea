#include "catalogue/snippetsearch.h"

#include "catalogue/searchfold.h"

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
}

void SnippetSearch::ensureText(const QList<SnippetRecord> &system)
{
    if (m_starts.size() == 2 * system.size() + 1)
        return;
    m_text.clear();
    m_starts.clear();
    m_starts.reserve(2 * system.size() + 1);
    for (const SnippetRecord &record : system) {
        for (const std::optional<QString> *field : {&record.title(), &record.summary()}) {
            m_starts.append(m_text.size());
            if (*field)
                m_text += foldForSearch(**field);
            m_text += kSearchSeparator;
        }
    }
    m_starts.append(m_text.size());
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

// Whether system snippet index's folded title or summary contains the needle.
bool fieldsContain(QStringView text, const QList<qsizetype> &starts, qsizetype index, const Needle &needle)
{
    const auto field = [&](qsizetype k) { return text.sliced(starts[k], starts[k + 1] - starts[k] - 1); };
    return needle.isIn(field(2 * index)) || needle.isIn(field(2 * index + 1));
}

} // namespace

QList<qsizetype> SnippetSearch::matches(const QList<SnippetRecord> &system, const QString &text)
{
    ensureText(system);
    QString folded = foldForSearch(text);
    const Needle needle(folded);
    QList<qsizetype> found;
    if (!m_lastNeedle.isEmpty() && folded.contains(m_lastNeedle)) {
        // Typing on: a title or summary that contains the longer text contains the shorter one too,
        // so only the snippets that matched it need looking at.
        for (const qsizetype index : std::as_const(m_lastMatches)) {
            if (fieldsContain(m_text, m_starts, index, needle))
                found.append(index);
        }
    } else if (folded.isEmpty() || folded.contains(kSearchSeparator)) {
        // A text with a separator, or one that folds to nothing, is tested snippet by snippet.
        for (qsizetype index = 0; index < system.size(); ++index) {
            if (fieldsContain(m_text, m_starts, index, needle))
                found.append(index);
        }
    } else {
        // One scan of the whole text: a match cannot span a separator, so it lies inside one title
        // or summary; walking the starts along with the scan tells whose.
        qsizetype field = 0;
        for (qsizetype at = needle.indexIn(m_text); at >= 0; at = needle.indexIn(m_text, m_starts[field + 1])) {
            while (m_starts[field + 1] <= at)
                ++field;
            field |= 1; // a match in the title makes the summary not worth scanning
            found.append(field / 2);
        }
    }
    m_lastNeedle = std::move(folded);
    m_lastMatches = found;
    return found;
}

} // namespace Glimmerpad
