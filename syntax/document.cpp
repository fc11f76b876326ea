#include "syntax/document.h"

#include "syntax/compiledquery.h"

#include <tree_sitter/api.h>

#include <algorithm>
#include <cstdlib>
#include <vector>

namespace Glimmerpad::Syntax {

namespace {

// The most asked of the tree at once when a line lies in a changed range: a thousand lines of code.
constexpr int kCachedStretch = 32 * 1024;

// Longer bodies are shown plain: tree-sitter counts in 32-bit bytes, and nobody reads such a snippet.
constexpr qsizetype kMaxParsedLength = 8 * 1024 * 1024;
// tree-sitter 0.20's error recovery can go round for ever on some fragments (Objective-C's grammar
// on `^b<l#e#>)(t-` and a long name, say): a parse that takes longer than this (25 times what a
// thousand lines of Swift take) gives up, and the body shows plain.
constexpr std::uint64_t kParseTimeoutMicroseconds = 250'000;

// tree-sitter reads the text as UTF-16, so its byte offsets are twice ours.
std::uint32_t bytesOf(qsizetype units)
{
    return std::uint32_t(units * 2);
}

int unitsOf(std::uint32_t bytes)
{
    return int(bytes / 2);
}

// The text with each placeholder token (the shortest <# ... #> from each start, within one line, as
// the editor finds them) replaced by underscores, and where the tokens are.
QString parsedText(const QString &text, QList<TextRange> &tokens)
{
    tokens.clear();
    QString parsed = text;
    for (qsizetype i = text.indexOf(u"<#"); i >= 0; i = text.indexOf(u"<#", i)) {
        const qsizetype close = text.indexOf(u"#>", i + 2);
        if (close < 0)
            break;
        qsizetype lineEnd = text.indexOf(u'\n', i + 2);
        if (lineEnd < 0)
            lineEnd = text.size();
        if (close + 2 > lineEnd) {
            i = lineEnd;
            continue;
        }
        tokens.append({int(i), int(close + 2 - i)});
        std::fill(parsed.begin() + i, parsed.begin() + close + 2, u'_');
        i = close + 2;
    }
    return parsed;
}

TSPoint pointAt(const QString &text, qsizetype offset)
{
    const QStringView before = QStringView(text).first(offset);
    const auto rows = std::count(before.begin(), before.end(), u'\n');
    const qsizetype lineStart = before.lastIndexOf(u'\n') + 1;
    return {std::uint32_t(rows), bytesOf(offset - lineStart)};
}

// The ancestors of node, root included, by one walk down from the root; false when a node of one
// of the types is among them.
bool hasAncestorOfType(TSNode node, const QList<QByteArray> &types)
{
    const auto isOneOf = [&](TSNode candidate) {
        const QByteArrayView type(ts_node_type(candidate));
        return std::any_of(types.cbegin(), types.cend(), [&](const QByteArray &t) { return t == type; });
    };
    TSTreeCursor cursor = ts_tree_cursor_new(ts_tree_root_node(node.tree));
    const std::uint32_t start = ts_node_start_byte(node);
    bool found = false, reached = false;
    for (;;) {
        const TSNode current = ts_tree_cursor_current_node(&cursor);
        if (ts_node_eq(current, node)) {
            reached = true;
            break;
        }
        found = found || isOneOf(current);
        if (ts_tree_cursor_goto_first_child_for_byte(&cursor, start) < 0)
            break;
    }
    ts_tree_cursor_delete(&cursor);
    if (reached)
        return found;
    // An empty node (one that error recovery inserted) is not found by its byte: ask upwards.
    for (TSNode parent = ts_node_parent(node); !ts_node_is_null(parent); parent = ts_node_parent(parent)) {
        if (isOneOf(parent))
            return true;
    }
    return false;
}

QStringView textOf(const QString &text, TSNode node)
{
    const int start = unitsOf(ts_node_start_byte(node));
    return QStringView(text).sliced(start, unitsOf(ts_node_end_byte(node)) - start);
}

bool passes(const Predicate &predicate, TSNode node, const TSQueryMatch &match, const QString &text)
{
    const QStringView nodeText = textOf(text, node);
    switch (predicate.test) {
    case Predicate::Test::Eq:
        return nodeText == predicate.strings.constFirst();
    case Predicate::Test::EqCapture:
        for (std::uint16_t i = 0; i < match.capture_count; ++i) {
            if (match.captures[i].index == predicate.otherCapture)
                return nodeText == textOf(text, match.captures[i].node);
        }
        return true;
    case Predicate::Test::Match:
        return predicate.regex.match(nodeText).hasMatch();
    case Predicate::Test::AnyOf:
        return std::any_of(predicate.strings.cbegin(), predicate.strings.cend(),
                           [&](const QString &choice) { return nodeText == choice; });
    case Predicate::Test::HasAncestor:
        return hasAncestorOfType(node, predicate.nodeTypes);
    }
    return false;
}

// Whether every predicate of the match's pattern holds for every node of its capture (a capture
// that matched nothing passes, as in tree-sitter's own bindings).
bool holds(const CompiledQuery &compiled, const TSQueryMatch &match, const QString &text)
{
    for (const Predicate &predicate : compiled.predicates[match.pattern_index]) {
        for (std::uint16_t i = 0; i < match.capture_count; ++i) {
            if (match.captures[i].index == predicate.capture &&
                passes(predicate, match.captures[i].node, match, text) == predicate.negated)
                return false;
        }
    }
    return true;
}

void addRange(QList<TextRange> &ranges, qsizetype start, qsizetype end, qsizetype length)
{
    start = std::clamp<qsizetype>(start, 0, length);
    end = std::clamp<qsizetype>(end, 0, length);
    if (end > start)
        ranges.append({int(start), int(end - start)});
}

// Sorted, overlapping and touching ranges joined.
QList<TextRange> joined(QList<TextRange> ranges)
{
    std::sort(ranges.begin(), ranges.end(), [](TextRange a, TextRange b) { return a.start < b.start; });
    QList<TextRange> out;
    for (const TextRange &range : std::as_const(ranges)) {
        if (!out.isEmpty() && range.start <= out.last().end())
            out.last().length = std::max(out.last().end(), range.end()) - out.last().start;
        else
            out.append(range);
    }
    return out;
}

} // namespace

bool prepare(Language language)
{
    return Queries::instance().query(language) != nullptr;
}

void waitUntilPrepared(Language language)
{
    Queries::instance().waitForQuery(language);
}

QStringList droppedPatterns(Language language)
{
    const CompiledQuery *compiled = Queries::instance().query(language);
    return compiled ? compiled->dropped : QStringList();
}

Document::Document(Language language, QObject *parent) : QObject(parent), m_language(language)
{
    const TSLanguage *tsLanguage = grammar(language);
    if (!tsLanguage)
        return;
    m_parser = ts_parser_new();
    ts_parser_set_timeout_micros(m_parser, kParseTimeoutMicroseconds);
    if (!ts_parser_set_language(m_parser, tsLanguage)) { // a grammar of an ABI the runtime lacks
        ts_parser_delete(m_parser);
        m_parser = nullptr;
        m_language = Language::None;
        return;
    }
    m_cursor = ts_query_cursor_new();
    // Connected before asking, so that a compile finishing in between is not missed.
    connect(&Queries::instance(), &Queries::ready, this, [this](Language compiled) {
        if (compiled != m_language || m_query)
            return;
        m_query = Queries::instance().query(compiled);
        if (m_query)
            Q_EMIT highlightingReady();
    });
    m_query = Queries::instance().query(language);
}

Document::~Document()
{
    if (m_tree)
        ts_tree_delete(m_tree);
    if (m_cursor)
        ts_query_cursor_delete(m_cursor);
    if (m_parser)
        ts_parser_delete(m_parser);
}

bool Document::hasErrors() const
{
    return m_tree && ts_node_has_error(ts_tree_root_node(m_tree));
}

TSTree *Document::treeOf(const TSTree *old)
{
    if (!m_parser || m_parsed.size() > kMaxParsedLength)
        return nullptr;
    TSTree *tree =
        ts_parser_parse_string_encoding(m_parser, old, reinterpret_cast<const char *>(m_parsed.utf16()),
                                        bytesOf(m_parsed.size()), TSInputEncodingUTF16);
    if (!tree) // out of time: the next text starts afresh
        ts_parser_reset(m_parser);
    return tree;
}

void Document::setText(const QString &text)
{
    m_parsed = parsedText(text, m_tokens);
    m_cache.clear();
    m_changed.clear();
    addRange(m_changed, 0, m_parsed.size(), m_parsed.size());
    if (m_tree)
        ts_tree_delete(m_tree);
    m_tree = treeOf(nullptr);
}

QList<TextRange> Document::applyEdit(const QString &newText, int position, int charsRemoved, int charsAdded)
{
    Q_UNUSED(charsRemoved); // the texts tell what was removed
    m_cache.clear();
    m_changed = edit(newText, position, charsAdded);
    return m_changed;
}

QList<TextRange> Document::edit(const QString &newText, int position, int charsAdded)
{
    if (!m_parser) {
        m_parsed = parsedText(newText, m_tokens);
        return {};
    }
    QString parsed = parsedText(newText, m_tokens);
    const qsizetype length = parsed.size();
    if (!m_tree) {
        m_parsed = std::move(parsed);
        m_tree = treeOf(nullptr);
        QList<TextRange> all;
        addRange(all, 0, length, length);
        return all;
    }

    // The edit as tree-sitter sees it: the parsed texts' common start and end. A token opened or
    // closed by the edit changes the parsed text beyond what was typed, which this includes.
    const qsizetype oldLength = m_parsed.size();
    const qsizetype start =
        std::mismatch(m_parsed.cbegin(), m_parsed.cend(), parsed.cbegin(), parsed.cend()).first -
        m_parsed.cbegin();
    const qsizetype maxSuffix = std::min(oldLength, length) - start;
    qsizetype suffix = 0;
    while (suffix < maxSuffix && m_parsed[oldLength - 1 - suffix] == parsed[length - 1 - suffix])
        ++suffix;
    QList<TextRange> changed;
    // The document's own edit too: a token that became plain text of the same length, say.
    if (position >= 0 && charsAdded >= 0)
        addRange(changed, position, qsizetype(position) + charsAdded, length);
    if (start == oldLength && start == length)
        return changed;

    TSInputEdit edit;
    edit.start_byte = bytesOf(start);
    edit.old_end_byte = bytesOf(oldLength - suffix);
    edit.new_end_byte = bytesOf(length - suffix);
    edit.start_point = pointAt(m_parsed, start);
    edit.old_end_point = pointAt(m_parsed, oldLength - suffix);
    edit.new_end_point = pointAt(parsed, length - suffix);
    ts_tree_edit(m_tree, &edit);
    TSTree *edited = m_tree;
    m_tree = nullptr;
    m_parsed = std::move(parsed);
    m_tree = treeOf(edited);
    addRange(changed, start, length - suffix, length);
    if (m_tree) {
        std::uint32_t count = 0;
        TSRange *ranges = ts_tree_get_changed_ranges(edited, m_tree, &count);
        for (std::uint32_t i = 0; i < count; ++i)
            addRange(changed, unitsOf(ranges[i].start_byte), unitsOf(ranges[i].end_byte), length);
        std::free(ranges);
        // A token the edit reached into may read differently as a whole (an identifier that
        // became all capitals, a comment that became a documentation comment), with the tree's
        // shape unchanged.
        const TSNode root = ts_tree_root_node(m_tree);
        for (const qsizetype at : {start, length - suffix}) {
            for (const qsizetype byte : {bytesOf(at), bytesOf(std::max<qsizetype>(at - 1, 0))}) {
                const TSNode leaf =
                    ts_node_descendant_for_byte_range(root, std::uint32_t(byte), std::uint32_t(byte));
                if (!ts_node_is_null(leaf) && ts_node_child_count(leaf) == 0)
                    addRange(changed, unitsOf(ts_node_start_byte(leaf)), unitsOf(ts_node_end_byte(leaf)),
                             length);
            }
        }
    } else {
        addRange(changed, 0, length, length);
    }
    ts_tree_delete(edited);
    return joined(changed);
}

QList<Span> Document::spans(int start, int length) const
{
    if (!m_query || !m_query->query || !m_tree)
        return {};
    const int end = int(std::min<qsizetype>(qsizetype(start) + length, m_parsed.size()));
    start = std::max(start, 0);
    if (end <= start)
        return {};
    const int cacheEnd = m_cacheStart + int(m_cache.size());
    if (start < m_cacheStart || end > cacheEnd) {
        // Within a changed range, the rest of it at once (a bounded stretch of it), which the
        // lines after this one will ask for.
        const auto changed = std::find_if(m_changed.cbegin(), m_changed.cend(), [&](const TextRange &range) {
            return range.start <= start && end <= range.end();
        });
        const int stretchEnd = changed == m_changed.cend()
                                   ? end
                                   : std::max(end, std::min(changed->end(), start + kCachedStretch));
        m_cacheStart = start;
        m_cache = kinds(start, stretchEnd);
    }
    const auto first = m_cache.cbegin() + (start - m_cacheStart);
    QList<Span> spans;
    for (auto i = first; i != first + (end - start);) {
        auto j = std::find_if(i + 1, first + (end - start), [&](qint8 kind) { return kind != *i; });
        if (*i >= 0)
            spans.append({start + int(i - first), int(j - i), Kind(*i)});
        i = j;
    }
    return spans;
}

std::vector<qint8> Document::kinds(int start, int end) const
{

    struct Capture
    {
        int start, end;
        std::uint16_t pattern;
        Kind kind;
    };
    std::vector<Capture> captures;
    ts_query_cursor_set_byte_range(m_cursor, bytesOf(start), bytesOf(end));
    ts_query_cursor_exec(m_cursor, m_query->query, ts_tree_root_node(m_tree));
    TSQueryMatch match;
    while (ts_query_cursor_next_match(m_cursor, &match)) {
        if (!holds(*m_query, match, m_parsed))
            continue;
        for (std::uint16_t i = 0; i < match.capture_count; ++i) {
            const qint8 kind = m_query->captureKinds[match.captures[i].index];
            const TSNode node = match.captures[i].node;
            const int from = unitsOf(ts_node_start_byte(node)), to = unitsOf(ts_node_end_byte(node));
            if (kind >= 0 && to > start && from < end)
                captures.push_back({from, to, match.pattern_index, Kind(kind)});
        }
    }
    // Outer nodes first, so that inner ones paint over them; on one node, the later pattern last.
    std::sort(captures.begin(), captures.end(), [](const Capture &a, const Capture &b) {
        if (a.start != b.start)
            return a.start < b.start;
        if (a.end != b.end)
            return a.end > b.end;
        return a.pattern < b.pattern;
    });
    std::vector<qint8> kinds(std::size_t(end - start), -1);
    for (const Capture &capture : captures) {
        std::fill(kinds.begin() + (std::max(capture.start, start) - start),
                  kinds.begin() + (std::min(capture.end, end) - start), qint8(capture.kind));
    }
    // The tokens are the editor's to draw.
    const auto firstToken =
        std::lower_bound(m_tokens.cbegin(), m_tokens.cend(), start,
                         [](const TextRange &token, int at) { return token.end() <= at; });
    for (auto token = firstToken; token != m_tokens.cend() && token->start < end; ++token) {
        std::fill(kinds.begin() + (std::max(token->start, start) - start),
                  kinds.begin() + (std::min(token->end(), end) - start), qint8(-1));
    }
    return kinds;
}

} // namespace Glimmerpad::Syntax
