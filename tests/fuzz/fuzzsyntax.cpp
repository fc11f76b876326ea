#include "fuzztargets.h"

#include "syntax/document.h"

#include <QRegularExpression>

namespace Glimmerpad::Fuzz {

namespace {

constexpr Syntax::Language kLanguages[] = {Syntax::Language::C, Syntax::Language::Cpp,
                                           Syntax::Language::ObjectiveC, Syntax::Language::Swift};

bool wellFormed(const QList<Syntax::Span> &spans, int start, int end, const QString &text)
{
    static const QRegularExpression token(QStringLiteral("<#(.*?)#>"));
    int last = start;
    for (const Syntax::Span &span : spans) {
        if (span.length <= 0 || span.start < last || span.start + span.length > end)
            return false;
        last = span.start + span.length;
        for (auto it = token.globalMatch(text, span.start > 0 ? span.start - 1 : 0); it.hasNext();) {
            const QRegularExpressionMatch match = it.next();
            if (match.capturedStart() >= last)
                break;
            if (match.capturedEnd() > span.start)
                return false; // a span over a placeholder token
        }
    }
    return true;
}

bool wellFormed(const QList<Syntax::TextRange> &ranges, qsizetype length)
{
    int last = -1;
    for (const Syntax::TextRange &range : ranges) {
        if (range.length <= 0 || range.start <= last || range.end() > length)
            return false;
        last = range.end();
    }
    return true;
}

} // namespace

void syntaxHighlighting(QByteArrayView bytes)
{
    if (bytes.isEmpty())
        return;
    static const bool prepared = [] {
        for (const Syntax::Language language : kLanguages)
            Syntax::waitUntilPrepared(language);
        return true;
    }();
    Q_UNUSED(prepared);
    const Syntax::Language language = kLanguages[static_cast<uchar>(bytes[0]) % std::size(kLanguages)];
    bytes = bytes.sliced(1);
    const qsizetype nul = bytes.indexOf('\0');
    QString text = QString::fromUtf8(nul < 0 ? bytes : bytes.first(nul));
    QByteArrayView edits = nul < 0 ? QByteArrayView() : bytes.sliced(nul + 1);

    Syntax::Document document(language);
    document.setText(text);
    const auto checkSpans = [&](const char *what) {
        // Whole, and in lines of ten units, as an editor asks for blocks.
        check(wellFormed(document.spans(0, int(text.size())), 0, int(text.size()), text), what);
        for (int start = 0; start < text.size(); start += 10) {
            const int end = int(std::min<qsizetype>(start + 10, text.size()));
            check(wellFormed(document.spans(start, end - start), start, end, text), what);
        }
    };
    checkSpans("the spans of a body are not in order, or cover a token");
    // A parse may take up to a quarter of a second before it gives up, two for each edit.
    for (int n = 0; n < 16 && edits.size() >= 4; ++n) {
        const int position =
            (static_cast<uchar>(edits[0]) | static_cast<uchar>(edits[1]) << 8) % int(text.size() + 1);
        const int removed = std::min<int>(static_cast<uchar>(edits[2]), int(text.size()) - position);
        const qsizetype insertedBytes = std::min<qsizetype>(static_cast<uchar>(edits[3]), edits.size() - 4);
        const QString inserted = QString::fromUtf8(edits.sliced(4, insertedBytes));
        edits = edits.sliced(4 + insertedBytes);
        text.replace(position, removed, inserted);
        const QList<Syntax::TextRange> changed =
            document.applyEdit(text, position, removed, int(inserted.size()));
        check(wellFormed(changed, text.size()), "the changed ranges are not in order or not in the text");
        checkSpans("the spans after an edit are not in order, or cover a token");
        Syntax::Document fresh(language);
        fresh.setText(text);
        // Where the text has errors, tree-sitter's recovery may take another way when it starts
        // from an earlier tree; where it has none, there is one tree and it must be found.
        if (fresh.isParsed() && document.isParsed() && !fresh.hasErrors())
            check(document.spans(0, int(text.size())) == fresh.spans(0, int(text.size())),
                  "an edited body's spans differ from a fresh parse's");
    }
}

} // namespace Glimmerpad::Fuzz
