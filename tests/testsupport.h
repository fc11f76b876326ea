#pragma once

#include "catalogue/snippetcatalogue.h"

#include <QByteArray>
#include <QList>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <QVariant>
#include <QtGlobal>

#include <gtest/gtest.h>

#include <optional>
#include <ostream>

// Readable QString values in GoogleTest failure messages.
inline void PrintTo(const QString &text, std::ostream *os)
{
    *os << '"' << text.toStdString() << '"';
}

namespace Glimmerpad::Test {

// A snippet for fixtures; absent fields are left out of the dictionary.
struct Snippet
{
    std::optional<QString> identifier = {};
    std::optional<QString> title = {};
    std::optional<QString> summary = {};
    std::optional<QString> completionPrefix = {};
    std::optional<QString> contents = {};
    QString extraXml = {}; // further <key>/<value> pairs, written verbatim inside the <dict>
};

QString xmlEscaped(const QString &text);
QByteArray dictXml(const Snippet &snippet);              // "<dict>...</dict>"
QByteArray plistDocument(const QByteArray &rootXml);     // wraps a root element in a plist document
QByteArray snippetFile(const Snippet &snippet);          // a user snippet file (XML)
QByteArray libraryFile(const QList<Snippet> &snippets);  // a system library (XML)
QByteArray toBinaryPlist(const QByteArray &xmlDocument); // the same property list, binary
// text in UTF-16, little- or big-endian, led by a byte-order mark when asked
QByteArray toUtf16(const QString &text, bool bigEndian, bool mark);

bool writeFile(const QString &path, const QByteArray &bytes); // makes missing parent folders
QByteArray readFile(const QString &path);
// The names in a folder, hidden ones included, sorted; empty when it is no folder.
QStringList folderEntries(const QString &path);
// The same for a user snippet folder, without the ".glimmerpad" folder of what overrides were made
// from.
QStringList snippetFolderEntries(const QString &path);
// Everything below root, sorted: "dir/" for a folder, "path: contents" for anything else.
QStringList treeSnapshot(const QString &root);

// The files the catalogue read a user snippet from, in name order.
QStringList snippetPaths(const SnippetCatalogue &catalogue);

// A property list as plain values (dictionaries as QVariantMap, arrays as QVariantList), read by
// a strict XML reader of our own: anything but well-formed XML with the property-list elements is
// an error. Independent of libplist, so it tells what other programs will read from a file.
std::optional<QVariant> strictPropertyList(const QByteArray &xml, QString *error = nullptr);
// The same values from a libplist node tree.
QVariant plistValue(plist_t node);

// Whether the file at path is an override of system as meant: read strictly and with the
// catalogue's reader, both give back the system record with the user-snippet marks, the shortcut
// switched as asked and the contents given (none: the system's own), every string to the letter.
// Every test that writes an override checks what it wrote through this.
::testing::AssertionResult isExactOverride(const QString &path, const SnippetRecord &system, bool disabled,
                                           const std::optional<QString> &contents);

// Collects what Qt logs (any category, any level) while alive, instead of printing it.
// One at a time; the previous handler comes back on destruction.
class MessageCapture
{
public:
    MessageCapture();
    ~MessageCapture();
    MessageCapture(const MessageCapture &) = delete;
    MessageCapture &operator=(const MessageCapture &) = delete;

    const QStringList &messages() const { return m_messages; }
    bool anyStartsWith(QStringView prefix) const;

private:
    static void handler(QtMsgType, const QMessageLogContext &, const QString &message);
    QStringList m_messages;
    QtMessageHandler m_previous = nullptr;
};

// A temporary Xcode installation and home folder. Nothing outside the temporary folder is touched.
class Fixture
{
public:
    Fixture();

    QString root() const { return m_dir.path(); }
    QString xcodePath() const;  // <root>/Applications/Xcode.app
    QString home() const;       // <root>/home, made with the fixture
    QString userFolder() const; // <home>/Library/Developer/Xcode/UserData/CodeSnippets

    // Writes Contents/Info.plist with the given CFBundleShortVersionString (absent: no key).
    void writeInfo(const std::optional<QString> &shortVersion);
    // Writes the library at the location the table selects for version 5.1 or later (IDEKit),
    // or at the given bundle-relative component.
    void writeLibrary(const QByteArray &bytes, const QString &component = {});
    // Version 5.1 Info.plist plus an IDEKit library of the snippets.
    void install(const QList<Snippet> &snippets);
    QString writeUserFile(const QString &name, const QByteArray &bytes);
    // A catalogue of this installation and home, system and user snippets parsed.
    SnippetCatalogue load() const;

private:
    QTemporaryDir m_dir;
};

} // namespace Glimmerpad::Test
