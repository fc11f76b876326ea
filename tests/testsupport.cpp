#include "testsupport.h"

#include "catalogue/plistiteration.h"
#include "catalogue/propertylist.h"
#include "catalogue/xcodeinstallation.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>
#include <QXmlStreamReader>

#include <algorithm>

namespace Glimmerpad::Test {

QString xmlEscaped(const QString &text)
{
    return text.toHtmlEscaped();
}

static void appendString(QByteArray &xml, const char *key, const std::optional<QString> &value)
{
    if (!value)
        return;
    xml += "<key>" + QByteArray(key) + "</key><string>" + xmlEscaped(*value).toUtf8() + "</string>\n";
}

QByteArray dictXml(const Snippet &snippet)
{
    QByteArray xml = "<dict>\n";
    appendString(xml, "IDECodeSnippetIdentifier", snippet.identifier);
    appendString(xml, "IDECodeSnippetTitle", snippet.title);
    appendString(xml, "IDECodeSnippetSummary", snippet.summary);
    appendString(xml, "IDECodeSnippetCompletionPrefix", snippet.completionPrefix);
    appendString(xml, "IDECodeSnippetContents", snippet.contents);
    xml += snippet.extraXml.toUtf8();
    xml += "</dict>\n";
    return xml;
}

QByteArray plistDocument(const QByteArray &rootXml)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
           "<!DOCTYPE plist PUBLIC \"-//Apple//DTD PLIST 1.0//EN\" "
           "\"http://www.apple.com/DTDs/PropertyList-1.0.dtd\">\n"
           "<plist version=\"1.0\">\n" +
           rootXml + "</plist>\n";
}

QByteArray snippetFile(const Snippet &snippet)
{
    return plistDocument(dictXml(snippet));
}

QByteArray libraryFile(const QList<Snippet> &snippets)
{
    QByteArray xml = "<array>\n";
    for (const Snippet &snippet : snippets)
        xml += dictXml(snippet);
    xml += "</array>\n";
    return plistDocument(xml);
}

QByteArray toBinaryPlist(const QByteArray &xmlDocument)
{
    const PlistPtr root = parsePropertyList(xmlDocument);
    if (!root)
        return {};
    char *bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(root.get(), &bin, &length);
    QByteArray result(bin, static_cast<qsizetype>(length));
    plist_to_bin_free(bin);
    return result;
}

QByteArray toUtf16(const QString &text, bool bigEndian, bool mark)
{
    QByteArray bytes;
    for (const QChar c : mark ? u'\uFEFF' + text : text) {
        const char high = static_cast<char>(c.unicode() >> 8), low = static_cast<char>(c.unicode() & 0xFF);
        bytes.append(bigEndian ? high : low).append(bigEndian ? low : high);
    }
    return bytes;
}

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

QStringList snippetPaths(const SnippetCatalogue &catalogue)
{
    QStringList paths;
    for (const StoredFile &file : catalogue.userFiles()) {
        if (!file.record.isNull())
            paths.append(file.path);
    }
    return paths;
}

QByteArray readFile(const QString &path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

QStringList folderEntries(const QString &path)
{
    QStringList names =
        QDir(path).entryList(QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot);
    names.sort(Qt::CaseSensitive);
    return names;
}

QStringList snippetFolderEntries(const QString &path)
{
    QStringList entries = folderEntries(path);
    entries.removeAll(QStringLiteral(".glimmerpad"));
    return entries;
}

QStringList treeSnapshot(const QString &root)
{
    QStringList entries;
    const QDir base(root);
    QDirIterator it(root, QDir::AllEntries | QDir::Hidden | QDir::System | QDir::NoDotAndDotDot,
                    QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString path = it.next();
        const QString relative = base.relativeFilePath(path);
        if (it.fileInfo().isDir())
            entries.append(relative + u'/');
        else
            entries.append(relative + QStringLiteral(": ") + QString::fromUtf8(readFile(path)));
    }
    entries.sort(Qt::CaseSensitive);
    return entries;
}

static MessageCapture *s_capture = nullptr;

MessageCapture::MessageCapture()
{
    s_capture = this;
    m_previous = qInstallMessageHandler(&MessageCapture::handler);
}

MessageCapture::~MessageCapture()
{
    qInstallMessageHandler(m_previous);
    s_capture = nullptr;
}

void MessageCapture::handler(QtMsgType, const QMessageLogContext &, const QString &message)
{
    if (s_capture)
        s_capture->m_messages.append(message);
}

bool MessageCapture::anyStartsWith(QStringView prefix) const
{
    return std::any_of(m_messages.cbegin(), m_messages.cend(),
                       [prefix](const QString &message) { return message.startsWith(prefix); });
}

Fixture::Fixture()
{
    QDir().mkpath(home()); // a home folder exists; the snippet folder inside it is made on use
}

QString Fixture::xcodePath() const
{
    return m_dir.filePath(QStringLiteral("Applications/Xcode.app"));
}

QString Fixture::home() const
{
    return m_dir.filePath(QStringLiteral("home"));
}

QString Fixture::userFolder() const
{
    return home() + QStringLiteral("/Library/Developer/Xcode/UserData/CodeSnippets");
}

void Fixture::writeInfo(const std::optional<QString> &shortVersion)
{
    QByteArray dict = "<dict><key>CFBundleIdentifier</key><string>com.apple.dt.Xcode</string>\n";
    if (shortVersion)
        dict += "<key>CFBundleShortVersionString</key><string>" + xmlEscaped(*shortVersion).toUtf8() +
                "</string>\n";
    dict += "</dict>\n";
    writeFile(xcodePath() + QStringLiteral("/Contents/Info.plist"), plistDocument(dict));
}

void Fixture::writeLibrary(const QByteArray &bytes, const QString &component)
{
    const QString relative =
        component.isEmpty() ? QLatin1StringView(Xcode::kIdeKitLibraryComponent) : component;
    writeFile(xcodePath() + relative, bytes);
}

void Fixture::install(const QList<Snippet> &snippets)
{
    writeInfo(QStringLiteral("5.1"));
    writeLibrary(libraryFile(snippets));
}

QString Fixture::writeUserFile(const QString &name, const QByteArray &bytes)
{
    const QString path = userFolder() + u'/' + name;
    writeFile(path, bytes);
    return path;
}

SnippetCatalogue Fixture::load() const
{
    SnippetCatalogue catalogue(home());
    catalogue.parseSystemCodeSnippets(xcodePath());
    catalogue.parseUserCodeSnippets();
    return catalogue;
}

namespace {

// One value at the reader's current start element, which it consumes whole.
std::optional<QVariant> strictValue(QXmlStreamReader &reader)
{
    const QStringView name = reader.name();
    if (name == u"dict") {
        QVariantMap map;
        while (reader.readNextStartElement()) {
            if (reader.name() != u"key")
                return std::nullopt;
            const QString key = reader.readElementText();
            if (!reader.readNextStartElement())
                return std::nullopt;
            const std::optional<QVariant> value = strictValue(reader);
            if (!value)
                return std::nullopt;
            map.insert(key, *value);
        }
        return map;
    }
    if (name == u"array") {
        QVariantList list;
        while (reader.readNextStartElement()) {
            const std::optional<QVariant> value = strictValue(reader);
            if (!value)
                return std::nullopt;
            list.append(*value);
        }
        return list;
    }
    if (name == u"true" || name == u"false") {
        const bool value = name == u"true";
        reader.skipCurrentElement();
        return value;
    }
    const QString text = reader.readElementText();
    if (name == u"string")
        return text;
    if (name == u"integer")
        return text.toLongLong();
    if (name == u"real")
        return text.toDouble();
    if (name == u"date")
        return QDateTime::fromString(text, Qt::ISODate);
    if (name == u"data")
        return QByteArray::fromBase64(text.toLatin1());
    return std::nullopt;
}

} // namespace

std::optional<QVariant> strictPropertyList(const QByteArray &xml, QString *error)
{
    QXmlStreamReader reader(xml);
    std::optional<QVariant> value;
    if (reader.readNextStartElement() && reader.name() == u"plist" && reader.readNextStartElement())
        value = strictValue(reader);
    while (!reader.atEnd())
        reader.readNext();
    if (reader.hasError() || !value) {
        if (error)
            *error = reader.hasError() ? reader.errorString() : QStringLiteral("not a property list");
        return std::nullopt;
    }
    return value;
}

QVariant plistValue(plist_t node)
{
    switch (plist_get_node_type(node)) {
    case PLIST_DICT: {
        QVariantMap map;
        forEachEntry(node, [&](const char *key, plist_t value) {
            map.insert(QString::fromUtf8(key), plistValue(value));
        });
        return map;
    }
    case PLIST_ARRAY: {
        QVariantList list;
        forEachItem(node, [&](plist_t item) { list.append(plistValue(item)); });
        return list;
    }
    case PLIST_STRING:
        return stringValue(node).value_or(QString());
    case PLIST_BOOLEAN: {
        uint8_t value = 0;
        plist_get_bool_val(node, &value);
        return value != 0;
    }
    case PLIST_UINT: {
        uint64_t value = 0;
        plist_get_uint_val(node, &value);
        return static_cast<qlonglong>(value);
    }
    case PLIST_REAL: {
        double value = 0;
        plist_get_real_val(node, &value);
        return value;
    }
    case PLIST_DATA: {
        char *bytes = nullptr;
        uint64_t length = 0;
        plist_get_data_val(node, &bytes, &length);
        const MallocString owned(bytes);
        return QByteArray(bytes, static_cast<qsizetype>(length));
    }
    case PLIST_DATE: {
        int32_t seconds = 0, microseconds = 0;
        plist_get_date_val(node, &seconds, &microseconds);
        // Seconds since 2001-01-01, the property lists' epoch.
        return QDateTime(QDate(2001, 1, 1), QTime(0, 0), Qt::UTC).addMSecs(qint64(seconds) * 1000 + microseconds / 1000);
    }
    default:
        return QStringLiteral("<unexpected node>");
    }
}

::testing::AssertionResult isExactOverride(const QString &path, const SnippetRecord &system, bool disabled,
                                           const std::optional<QString> &contents)
{
    QVariantMap meant = plistValue(system.dictionary()).toMap();
    meant.insert(QStringLiteral("IDECodeSnippetUserSnippet"), true);
    meant.insert(QStringLiteral("IDECodeSnippetVersion"), 2LL);
    const QString prefixKey = QStringLiteral("IDECodeSnippetCompletionPrefix");
    if (disabled)
        meant.insert(prefixKey, QString(QLatin1StringView("")));
    else if (meant.value(prefixKey) == QVariant(QString(QLatin1StringView(""))))
        meant.insert(prefixKey, QStringLiteral(" "));
    if (contents)
        meant.insert(QStringLiteral("IDECodeSnippetContents"), *contents);

    const QByteArray bytes = readFile(path);
    QString error;
    const std::optional<QVariant> strict = strictPropertyList(bytes, &error);
    if (!strict)
        return ::testing::AssertionFailure() << path.toStdString() << " is refused by a strict reader: " << error.toStdString();
    const SnippetRecord ours = SnippetRecord::fromPropertyList(bytes);
    if (ours.isNull())
        return ::testing::AssertionFailure() << path.toStdString() << " is refused by the catalogue's reader";
    for (const auto &[reader, read] : {std::pair("a strict reader", strict->toMap()),
                                       std::pair("the catalogue's reader", plistValue(ours.dictionary()).toMap())}) {
        if (read == meant)
            continue;
        ::testing::AssertionResult failure = ::testing::AssertionFailure();
        failure << reader << " reads " << path.toStdString() << " differently:";
        for (auto it = meant.cbegin(); it != meant.cend(); ++it) {
            if (read.value(it.key()) != it.value())
                failure << " " << it.key().toStdString() << " is " << read.value(it.key()).toString().toStdString()
                        << " instead of " << it.value().toString().toStdString() << ";";
        }
        return failure;
    }
    return ::testing::AssertionSuccess();
}

} // namespace Glimmerpad::Test
