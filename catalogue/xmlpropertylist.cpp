#include "catalogue/xmlpropertylist.h"

#include "catalogue/limits.h"
#include "catalogue/snippetrecord.h"

#include <pugixml.hpp>

#include <algorithm>
#include <cstdlib>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace Glimmerpad::XmlPropertyList {

namespace {

// Texts as they stand (no line ends made LF, whitespace-only texts kept, "<string> </string>" is a
// space) and references left for us to decode: pugixml would keep an undefined entity literally and
// let "&#0;" cut a text.
// Declarations and processing instructions are parsed only to have pugixml check their form.
constexpr unsigned kParseOptions =
    (pugi::parse_default | pugi::parse_ws_pcdata | pugi::parse_declaration | pugi::parse_pi) & ~pugi::parse_eol &
    ~pugi::parse_escapes;

const char *find(const char *from, const char *end, std::string_view what)
{
    if (from >= end)
        return nullptr;
    const void *at = ::memmem(from, static_cast<std::size_t>(end - from), what.data(), what.size());
    return static_cast<const char *>(at);
}

bool isBlank(char c)
{
    return c == ' ' || c == '\t' || c == '\r' || c == '\n';
}

bool isBlank(std::string_view text)
{
    return std::all_of(text.begin(), text.end(), [](char c) { return isBlank(c); });
}

// A piece of the input for a message: printable ASCII only, and short.
QString quoted(std::string_view text)
{
    constexpr std::size_t kShown = 24;
    QString shown;
    for (const char c : text.substr(0, kShown))
        shown += c >= 0x20 && c < 0x7F ? QChar(QLatin1Char(c)) : QChar(u'?');
    if (text.size() > kShown)
        shown += u'…';
    return u'“' + shown + u'”';
}

enum class Kind
{
    Plist,
    Dict,
    Array,
    Key,
    String,
    Integer,
    Real,
    True,
    False,
    Date,
    Data,
    Other
};

Kind kindOf(const char *name)
{
    const std::string_view given(name);
    const auto is = [&](std::string_view known, Kind kind) { return given == known ? kind : Kind::Other; };
    switch (given.size()) {
    case 3:
        return is("key", Kind::Key);
    case 4:
        switch (given[0]) {
        case 'd':
            return given == "dict" ? Kind::Dict : given == "date" ? Kind::Date : is("data", Kind::Data);
        case 't':
            return is("true", Kind::True);
        case 'r':
            return is("real", Kind::Real);
        default:
            return Kind::Other;
        }
    case 5:
        return given == "array" ? Kind::Array : given == "false" ? Kind::False : is("plist", Kind::Plist);
    case 6:
        return is("string", Kind::String);
    case 7:
        return is("integer", Kind::Integer);
    default:
        return Kind::Other;
    }
}

void appendUtf8(std::string &out, char32_t c)
{
    if (c < 0x80) {
        out += static_cast<char>(c);
    } else if (c < 0x800) {
        out += static_cast<char>(0xC0 | (c >> 6));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else if (c < 0x10000) {
        out += static_cast<char>(0xE0 | (c >> 12));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (c >> 18));
        out += static_cast<char>(0x80 | ((c >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((c >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (c & 0x3F));
    }
}

int digitValue(char c, int base)
{
    int value = 36;
    if (c >= '0' && c <= '9')
        value = c - '0';
    else if (c >= 'a' && c <= 'z')
        value = c - 'a' + 10;
    else if (c >= 'A' && c <= 'Z')
        value = c - 'A' + 10;
    return value < base ? value : -1;
}

enum class Mode
{
    Tree, // libplist nodes of everything
    Keys  // nothing built; the strings of the top dictionary's record keys
};

// One walk over a parsed document. Every value is checked in either mode, so that a file is read
// or refused alike whichever is asked of it.
class Walk
{
public:
    Walk(QByteArrayView source, Mode mode) : m_source(source), m_mode(mode) {}

    void document(const pugi::xml_document &doc, Read &read)
    {
        pugi::xml_node top;
        for (pugi::xml_node child = doc.first_child(); child; child = child.next_sibling()) {
            const pugi::xml_node_type type = child.type();
            if (!acceptAsSpace(child, type, "the document"))
                break;
            if (type != pugi::node_element)
                continue;
            if (top) {
                refuse(child, QStringLiteral("a second element at the top, <%1>").arg(name(child)));
                break;
            }
            top = child;
        }
        if (!m_refusal.isEmpty() || !top) {
            read.refusal = m_refusal.isEmpty() ? QStringLiteral("not a property list: no element") : m_refusal;
            return;
        }
        // libplist reads a value standing alone as well as one inside <plist>.
        const pugi::xml_node root = kindOf(top.name()) == Kind::Plist ? onlyValueOf(top) : top;
        if (!root) {
            read.refusal = m_refusal;
            return;
        }
        read.dictionary = kindOf(root.name()) == Kind::Dict;
        PlistPtr built;
        if (!value(root, kindOf(root.name()), 0, m_mode == Mode::Tree ? &built : nullptr, nullptr,
                   m_mode == Mode::Keys && read.dictionary ? &read.keys : nullptr)) {
            read.refusal = m_refusal;
            read.dictionary = false;
            read.keys = {};
            return;
        }
        read.root = std::move(built);
    }

private:
    QString name(pugi::xml_node node) const { return quoted(node.name()).mid(1).chopped(1); }

    // Says why the text is refused, and where; a reason of its own stands without "not a property list".
    bool refuse(pugi::xml_node at, const QString &what, bool ownReason = false)
    {
        if (m_refusal.isEmpty()) {
            const auto offset = std::clamp<qsizetype>(at.offset_debug(), 0, m_source.size());
            const qsizetype line = 1 + m_source.first(offset).count('\n');
            m_refusal = QStringLiteral("%1%2 (line %3)")
                            .arg(ownReason ? QString() : QStringLiteral("not a property list: "), what)
                            .arg(line);
        }
        return false;
    }

    // Whether a node that is no value may stand where values stand: whitespace may, text may not.
    bool acceptAsSpace(pugi::xml_node node, pugi::xml_node_type type, const char *where)
    {
        switch (type) {
        case pugi::node_pcdata:
            if (!isBlank(std::string_view(node.value())))
                return refuse(node, QStringLiteral("text %1 in %2").arg(quoted(node.value()), QLatin1StringView(where)));
            return true;
        case pugi::node_cdata:
            return refuse(node, QStringLiteral("a CDATA section in %1").arg(QLatin1StringView(where)));
        default:
            return true;
        }
    }

    // The one value a <plist> holds.
    pugi::xml_node onlyValueOf(pugi::xml_node plist)
    {
        pugi::xml_node only;
        for (pugi::xml_node child = plist.first_child(); child; child = child.next_sibling()) {
            const pugi::xml_node_type type = child.type();
            if (!acceptAsSpace(child, type, "<plist>"))
                return {};
            if (type != pugi::node_element)
                continue;
            if (only) {
                refuse(child, QStringLiteral("a second value in <plist>, <%1>").arg(name(child)));
                return {};
            }
            only = child;
        }
        if (!only)
            refuse(plist, QStringLiteral("an empty <plist>"));
        return only;
    }

    // Appends a text to out with its references checked, and decoded when decode is set; with no
    // out, only checks them.
    bool appendText(pugi::xml_node node, std::string *out, bool decode)
    {
        const std::string_view text(node.value());
        std::size_t done = 0;
        for (std::size_t at; (at = text.find('&', done)) != std::string_view::npos;) {
            if (out)
                out->append(text.substr(done, at - done));
            const std::string_view rest = text.substr(at + 1);
            if (rest.starts_with('#')) {
                const bool hex = rest.starts_with("#x");
                const int base = hex ? 16 : 10;
                std::size_t end = hex ? 2 : 1;
                char32_t code = 0;
                for (int digit; end < rest.size() && (digit = digitValue(rest[end], base)) >= 0; ++end)
                    code = std::min<char32_t>(code * char32_t(base) + char32_t(digit), 0x110000);
                const std::string_view reference = text.substr(at, std::min(end + 2, rest.size() + 1));
                if (end == (hex ? 2u : 1u) || end >= rest.size() || rest[end] != ';')
                    return refuse(node, QStringLiteral("a malformed character reference %1").arg(quoted(reference)));
                if (code == 0 || code > 0x10FFFF || (code >= 0xD800 && code <= 0xDFFF))
                    return refuse(node, QStringLiteral("a reference to no character, %1").arg(quoted(reference)));
                if (out && decode)
                    appendUtf8(*out, code);
                else if (out)
                    *out += reference;
                done = at + 1 + end + 1;
                continue;
            }
            static constexpr std::pair<std::string_view, char> kEntities[] = {
                {"amp;", '&'}, {"lt;", '<'}, {"gt;", '>'}, {"quot;", '"'}, {"apos;", '\''}};
            const auto *entity = std::find_if(std::begin(kEntities), std::end(kEntities),
                                              [&](const auto &known) { return rest.starts_with(known.first); });
            if (entity == std::end(kEntities)) {
                const std::size_t semicolon = rest.substr(0, 32).find(';');
                if (semicolon == std::string_view::npos || semicolon == 0)
                    return refuse(node, QStringLiteral("an “&” that begins no reference"));
                return refuse(node, QStringLiteral("an undefined entity %1").arg(quoted(text.substr(at, semicolon + 2))));
            }
            if (out && decode)
                *out += entity->second;
            else if (out)
                out->append(text.substr(at, entity->first.size() + 1));
            done = at + 1 + entity->first.size();
        }
        if (out)
            out->append(text.substr(done));
        return true;
    }

    // The text of an element that holds only text: its texts and CDATA sections in order, the
    // references decoded when decode is set (libplist leaves them in numbers, dates and data).
    // Points into the parsed document or m_text; nullopt when the element holds an element.
    // With keep unset the text is only checked, and the view given is empty.
    std::optional<std::string_view> textOf(pugi::xml_node element, bool decode, bool keep = true)
    {
        pugi::xml_node child = element.first_child();
        if (!child)
            return std::string_view();
        // Most texts: one piece without a reference, read where it lies.
        if (!child.next_sibling() && (child.type() == pugi::node_pcdata || child.type() == pugi::node_cdata)) {
            const std::string_view text(child.value());
            if (child.type() == pugi::node_cdata || text.find('&') == std::string_view::npos)
                return text;
        }
        m_text.clear();
        for (; child; child = child.next_sibling()) {
            switch (child.type()) {
            case pugi::node_pcdata:
                if (!appendText(child, keep ? &m_text : nullptr, decode))
                    return std::nullopt;
                break;
            case pugi::node_cdata:
                if (keep)
                    m_text += child.value();
                break;
            case pugi::node_element:
                refuse(child, QStringLiteral("an element <%1> inside <%2>").arg(name(child), name(element)));
                return std::nullopt;
            default:
                break;
            }
        }
        return std::string_view(m_text);
    }

    // Whether an element was written as "<name/>", which its tree does not tell from "<name></name>".
    bool selfClosing(pugi::xml_node element) const
    {
        const auto from = std::clamp<qsizetype>(element.offset_debug(), 0, m_source.size());
        const qsizetype close = m_source.indexOf('>', from);
        return close > 0 && m_source[close - 1] == '/';
    }

    // A number, date or data value as libplist reads it from the same text, for the rare values whose
    // libplist node the public functions cannot make (dates, data, integers past INT64_MAX).
    PlistPtr libplistValue(pugi::xml_node element, std::string_view text)
    {
        const std::string_view tag(element.name());
        std::string xml;
        xml.reserve(text.size() + 2 * tag.size() + 16);
        const bool cdata = text.find('<') != std::string_view::npos;
        if (cdata && text.find("]]>") != std::string_view::npos) {
            refuse(element, QStringLiteral("a <%1> value that cannot be read").arg(name(element)));
            return {};
        }
        if (text.empty() && selfClosing(element)) {
            xml.append("<").append(tag).append("/>"); // libplist reads <date/> as 0, <date></date> not
        } else {
            xml.append("<").append(tag).append(">").append(cdata ? "<![CDATA[" : "");
            xml.append(text).append(cdata ? "]]>" : "").append("</").append(tag).append(">");
        }
        plist_t node = nullptr;
        plist_from_xml(xml.data(), static_cast<uint32_t>(xml.size()), &node);
        if (!node)
            refuse(element, QStringLiteral("a <%1> value that cannot be read").arg(name(element)));
        return PlistPtr(node);
    }

    // As libplist reads an integer: a sign, then what strtoull takes in base 0 (so "0x1F" too).
    PlistPtr integer(pugi::xml_node element, std::string_view text)
    {
        const std::string copy(text);
        const char *digits = copy.c_str();
        while (isBlank(*digits))
            ++digits;
        const bool negative = *digits == '-';
        if (*digits == '-' || *digits == '+')
            ++digits;
        const uint64_t magnitude = std::strtoull(digits, nullptr, 0);
        if (!negative && magnitude > uint64_t(INT64_MAX))
            return libplistValue(element, text); // kept as 16 bytes, which plist_new_uint does not make
        return PlistPtr(plist_new_uint(negative ? uint64_t(0) - magnitude : magnitude));
    }

    // Checks (and in Tree mode builds into *built) the value element at nesting level; in Keys mode
    // the string it holds goes to *string (nullopt when it is no string), and a dictionary at the
    // top gives its record keys to *keys.
    bool value(pugi::xml_node element, Kind kind, int level, PlistPtr *built, std::optional<QString> *string,
               RecordKeys *keys)
    {
        if (level > Limits::kMaxNestingDepth)
            return refuse(element, QStringLiteral("nested deeper than %1 levels").arg(Limits::kMaxNestingDepth), true);
        if (string && kind != Kind::String)
            *string = std::nullopt;
        switch (kind) {
        case Kind::Dict:
            return dictionary(element, level, built, keys);
        case Kind::Array:
            return array(element, level, built);
        case Kind::String: {
            const std::optional<std::string_view> text = textOf(element, true, built || string);
            if (!text)
                return false;
            if (built)
                built->reset(plist_new_string(std::string(*text).c_str()));
            if (string) {
                *string = QString::fromUtf8(text->data(), static_cast<qsizetype>(text->size()));
                if (string->value().isNull())
                    *string = QString(QLatin1StringView("")); // present but empty, as stringValue() gives it
            }
            return true;
        }
        case Kind::Integer:
        case Kind::Real:
        case Kind::Date:
        case Kind::Data: {
            const std::optional<std::string_view> text = textOf(element, false, built);
            if (!text)
                return false;
            if (!built)
                return true;
            if (kind == Kind::Integer)
                *built = integer(element, *text);
            else if (kind == Kind::Real)
                built->reset(plist_new_real(std::atof(std::string(*text).c_str())));
            else
                *built = libplistValue(element, *text);
            return *built != nullptr;
        }
        case Kind::True:
        case Kind::False: {
            const std::optional<std::string_view> text = textOf(element, false);
            if (!text)
                return false;
            if (!isBlank(*text))
                return refuse(element, QStringLiteral("text inside <%1/>").arg(name(element)));
            if (built)
                built->reset(plist_new_bool(kind == Kind::True));
            return true;
        }
        case Kind::Key:
            return refuse(element, QStringLiteral("a <key> outside a dictionary"));
        case Kind::Plist:
            return refuse(element, QStringLiteral("a <plist> inside a property list"));
        case Kind::Other:
            break;
        }
        return refuse(element, QStringLiteral("an element <%1>, which property lists do not have").arg(name(element)));
    }

    bool array(pugi::xml_node element, int level, PlistPtr *built)
    {
        if (built)
            built->reset(plist_new_array());
        for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
            const pugi::xml_node_type type = child.type();
            if (!acceptAsSpace(child, type, "an <array>"))
                return false;
            if (type != pugi::node_element)
                continue;
            PlistPtr item;
            if (!value(child, kindOf(child.name()), level + 1, built ? &item : nullptr, nullptr, nullptr))
                return false;
            if (built)
                plist_array_append_item(built->get(), item.release());
        }
        return true;
    }

    bool dictionary(pugi::xml_node element, int level, PlistPtr *built, RecordKeys *keys)
    {
        if (built)
            built->reset(plist_new_dict());
        std::string key;
        pugi::xml_node keyElement;
        quint64 keysBefore = 0;
        for (pugi::xml_node child = element.first_child(); child; child = child.next_sibling()) {
            const pugi::xml_node_type type = child.type();
            if (!acceptAsSpace(child, type, "a <dict>"))
                return false;
            if (type != pugi::node_element)
                continue;
            const Kind kind = kindOf(child.name());
            if (kind == Kind::Key) {
                if (keyElement)
                    return refuse(child, QStringLiteral("a <key> where the value of the key before it belongs"));
                const std::optional<std::string_view> text = textOf(child, true);
                if (!text)
                    return false;
                key.assign(*text);
                keyElement = child;
                m_keyLookupWork += keysBefore++ * (key.size() + 32);
                if (m_keyLookupWork > Limits::kMaxKeyLookupWork)
                    return refuse(child, QStringLiteral("dictionaries with more keys than Glimmerpad reads"), true);
                continue;
            }
            if (!keyElement)
                return refuse(child, QStringLiteral("a value without a <key> in a <dict>"));
            // A key given twice keeps its first place and its last value, as libplist does.
            std::optional<QString> *string = keys ? recordKey(*keys, key) : nullptr;
            PlistPtr item;
            if (!value(child, kind, level + 1, built ? &item : nullptr, string, nullptr))
                return false;
            if (built)
                plist_dict_set_item(built->get(), key.c_str(), item.release());
            keyElement = {};
        }
        if (keyElement)
            return refuse(keyElement, QStringLiteral("a <key> without a value"));
        return true;
    }

    static std::optional<QString> *recordKey(RecordKeys &keys, std::string_view key)
    {
        if (key == SnippetKey::Identifier)
            return &keys.identifier;
        if (key == SnippetKey::Title)
            return &keys.title;
        if (key == SnippetKey::Summary)
            return &keys.summary;
        if (key == SnippetKey::CompletionPrefix)
            return &keys.completionPrefix;
        return nullptr;
    }

    const QByteArrayView m_source;
    const Mode m_mode;
    QString m_refusal;
    std::string m_text; // a text put together from pieces or with its references decoded
    quint64 m_keyLookupWork = 0;
};

Read walk(QByteArrayView utf8, Mode mode)
{
    Read read;
    const Census counted = census(utf8);
    if (!counted.refusal.isEmpty()) {
        read.refusal = counted.refusal;
        return read;
    }
    if (counted.nodes > Limits::kMaxXmlNodes) {
        read.refusal = QStringLiteral("holds more than %1 elements and texts").arg(Limits::kMaxXmlNodes);
        return read;
    }
    // Parsed in place in a copy of the text, a buffer each thread keeps (unless it grew large).
    constexpr std::size_t kMaxKeptBuffer = 1024 * 1024;
    thread_local std::vector<char> buffer;
    buffer.assign(utf8.begin(), utf8.end());
    {
        pugi::xml_document doc;
        const pugi::xml_parse_result parsed =
            doc.load_buffer_inplace(buffer.data(), buffer.size(), kParseOptions, pugi::encoding_utf8);
        if (!parsed) {
            const auto offset = std::clamp<qsizetype>(parsed.offset, 0, utf8.size());
            read.refusal = QStringLiteral("not a property list: not well-formed XML (%1, line %2)")
                               .arg(QString::fromLatin1(parsed.description()).toLower())
                               .arg(1 + utf8.first(offset).count('\n'));
        } else {
            Walk(utf8, mode).document(doc, read);
        }
    }
    if (buffer.capacity() > kMaxKeptBuffer)
        std::vector<char>().swap(buffer);
    return read;
}

// ---- the census ---------------------------------------------------------------------------

// Skips a tag from its "<" to its ">", attribute values in quotes included, and counts its
// attributes; or, given no count, a document type, giving null when "[" opens declarations of its own.
const char *skipTag(const char *p, const char *end, quint64 *attributes)
{
    for (++p; p < end; ++p) {
        if (*p == '>')
            return p + 1;
        if (*p == '=' && attributes) {
            ++*attributes;
        } else if (*p == '[' && !attributes) {
            return nullptr;
        } else if (*p == '"' || *p == '\'') {
            const auto *close = static_cast<const char *>(std::memchr(p + 1, *p, static_cast<std::size_t>(end - p - 1)));
            if (!close)
                return end;
            p = close;
        }
    }
    return end;
}

QString outside(QByteArrayView xml, const char *text)
{
    while (isBlank(*text))
        ++text;
    const qsizetype line = 1 + xml.first(text - xml.data()).count('\n');
    return QStringLiteral("not a property list: text outside the top element (line %1)").arg(line);
}

} // namespace

Census census(QByteArrayView xml)
{
    Census result;
    const char *p = xml.data();
    const char *const end = p + xml.size();
    quint64 nodes = 1; // the document
    qint64 depth = 0;  // of elements open, as far as the tags tell
    while (p < end && nodes <= Limits::kMaxXmlNodes) { // past the budget the count goes no further
        const auto *open = static_cast<const char *>(std::memchr(p, '<', static_cast<std::size_t>(end - p)));
        if (!open) {
            ++nodes; // trailing text
            if (depth == 0 && !isBlank(std::string_view(p, static_cast<std::size_t>(end - p))))
                result.refusal = outside(xml, p);
            break;
        }
        if (open > p) {
            ++nodes; // the text before it
            // pugixml passes over text outside the top element without a word.
            if (depth == 0 && !isBlank(std::string_view(p, static_cast<std::size_t>(open - p)))) {
                result.refusal = outside(xml, p);
                return result;
            }
        }
        const std::string_view rest(open, static_cast<std::size_t>(end - open));
        const char *after = nullptr;
        switch (rest.size() > 1 ? rest[1] : '\0') {
        case '/': { // an end tag: short, looked through by hand
            after = open + 2;
            while (after < end && *after != '>')
                ++after;
            after = after < end ? after + 1 : end;
            depth = std::max<qint64>(depth - 1, 0);
            break;
        }
        case '?': {
            ++nodes;
            const char *close = find(open + 2, end, "?>");
            after = close ? close + 2 : end;
            break;
        }
        case '!':
            if (rest.starts_with("<!--")) {
                const char *close = find(open + 4, end, "-->");
                after = close ? close + 3 : end;
            } else if (rest.starts_with("<![CDATA[")) {
                ++nodes;
                const char *close = find(open + 9, end, "]]>");
                after = close ? close + 3 : end;
            } else {
                // A document type with declarations of its own could define entities and defaults,
                // which no property list needs and whose expansion no reader should be asked to do.
                after = skipTag(open, end, nullptr);
                if (!after) {
                    result.refusal =
                        QStringLiteral("not a property list: a document type with declarations of its own");
                    return result;
                }
            }
            break;
        default:
            ++nodes; // an element
            after = skipTag(open, end, &nodes);
            depth += after - open >= 2 && after[-2] == '/' ? 0 : 1;
            break;
        }
        p = after;
    }
    result.nodes = nodes;
    return result;
}

Read parse(QByteArrayView utf8)
{
    return walk(utf8, Mode::Tree);
}

Read readKeys(QByteArrayView utf8)
{
    return walk(utf8, Mode::Keys);
}

} // namespace Glimmerpad::XmlPropertyList
