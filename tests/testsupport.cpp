#include "testsupport.h"

#include "catalogue/propertylist.h"
#include "catalogue/xcodeinstallation.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

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

bool writeFile(const QString &path, const QByteArray &bytes)
{
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
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

Fixture::Fixture() = default;

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

} // namespace Glimmerpad::Test
