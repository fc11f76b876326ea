// Hostile and odd input: files other programs and people put where the catalogue reads.
#include "catalogue/propertylist.h"
#include "catalogue/snippetcatalogue.h"
#include "catalogue/xcodeinstallation.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>

#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <thread>

#include <sys/stat.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;
using Ids = QList<std::optional<QString>>;

namespace {

QByteArray bigEndian(quint64 value, int size)
{
    QByteArray bytes(size, '\0');
    for (int i = size - 1; i >= 0; --i, value >>= 8)
        bytes[i] = static_cast<char>(value & 0xFF);
    return bytes;
}

// A binary property list of already encoded objects, the first on top; references and offsets
// are four bytes wide.
QByteArray binaryPlist(const QList<QByteArray> &objects)
{
    QByteArray out = "bplist00", table;
    for (const QByteArray &object : objects) {
        table += bigEndian(out.size(), 4);
        out += object;
    }
    const qsizetype tableOffset = out.size();
    return out + table + QByteArray(6, '\0') + "\x04\x04" + bigEndian(objects.size(), 8) + bigEndian(0, 8) +
           bigEndian(tableOffset, 8);
}

QByteArray ascii(const QByteArray &text) // up to 255 bytes
{
    return (text.size() < 15 ? QByteArray(1, char(0x50 | text.size())) : "\x5F\x10"_ba + char(text.size())) +
           text;
}

QByteArray refs(std::initializer_list<int> indexes)
{
    QByteArray bytes;
    for (const int index : indexes)
        bytes += bigEndian(index, 4);
    return bytes;
}

// {key: value} with both strings, as a binary list.
QByteArray binaryDict(const QByteArray &key, const QByteArray &value)
{
    return binaryPlist({"\xD1" + refs({1, 2}), ascii(key), ascii(value)});
}

// What to put at a path instead of a file.
using Make = std::function<void(const QString &path)>;
const Make fifo = [](const QString &p) { mkfifo(QFile::encodeName(p).constData(), 0600); };
const Make linkLoop = [](const QString &p) { QFile::link(p + u"2"_s, p) && QFile::link(p, p + u"2"_s); };

// One file each that must be skipped (never a crash or a hang), beside one good file; the worst
// are logged.
TEST(HostileUserFiles, AreSkippedAndTheRestIsRead)
{
    const auto bytes = [](QByteArray content) {
        return Make([=](const QString &p) { writeFile(p, content); });
    };
    QList<QByteArray> bomb; // 64 arrays, each referring twice to the next: 2^64 nodes once expanded
    for (int i = 0; i < 64; ++i)
        bomb.append("\xA2" + refs({i + 1, i + 1}));
    bomb.append("\x08");
    QList<QByteArray> chain; // 300000 arrays, each holding the next
    for (int i = 0; i < 300000; ++i)
        chain.append("\xA1" + refs({i + 1}));
    chain.append("\x08");

    QByteArray laughs = "<?xml version=\"1.0\"?>\n<!DOCTYPE plist [<!ENTITY a \"aaaaaaaaaa\">"
                        "<!ENTITY b \"&a;&a;&a;&a;&a;&a;&a;&a;&a;&a;\">]>\n<plist>";
    laughs += dictXml({.identifier = u"alpha"_s, .title = u"&b;"_s}).replace("&amp;b;", "&b;") + "</plist>";

    const QString refusing = u"refusing a binary property list"_s, larger = u"ignoring "_s, none;
    const std::tuple<const char *, Make, QString> cases[] = {
        {"binary key with NUL", bytes(binaryDict("IDECodeSnippet\0Title"_ba, "alpha")), refusing},
        {"binary value with NUL", bytes(binaryDict("IDECodeSnippetTitle", "al\0pha"_ba)), refusing},
        {"XML string with a NUL byte", bytes(snippetFile({.identifier = u"alpha"_s, .title = u"a\0b"_s})),
         u"refusing an XML property list"_s},
        {"2 MiB of an undefined entity",
         bytes(plistDocument("<dict><key>IDECodeSnippetIdentifier</key><string>alpha</string>"
                             "<key>IDECodeSnippetContents</key><string>" +
                             "&bomb;"_ba.repeated(350000) + "</string></dict>")),
         none},
        {"a document type defining entities", bytes(laughs), none},
        {"shared-reference bomb", bytes(binaryPlist(bomb)), refusing},
        {"binary 300000 deep", bytes(binaryPlist(chain)), refusing},
        {"XML 5000 deep",
         bytes(plistDocument("<dict><key>Deep</key>" + "<array>"_ba.repeated(5000) +
                             "</array>"_ba.repeated(5000) + "</dict>")),
         none},
        {"XML 1000000 deep, unclosed", bytes(plistDocument(QByteArray("<array>").repeated(1000000))), none},
        {"512 MiB",
         [](const QString &p) {
             QFile f(p);
             if (f.open(QIODevice::WriteOnly))
                 f.resize(512 << 20);
         },
         larger},
        {"FIFO", fifo, none},
        {"vanished (dangling link)", [](const QString &p) { QFile::link(p + u".gone"_s, p); }, none},
        {"link loop", linkLoop, none},
        {"device", [](const QString &p) { QFile::link(u"/dev/zero"_s, p); }, none},
    };
    for (const auto &[what, make, logged] : cases) {
        SCOPED_TRACE(what);
        Fixture fx;
        fx.install({{.identifier = u"alpha"_s, .title = u"Alpha"_s}, {.identifier = u"blank"_s}});
        // The good file is binary from the same builder, which shows the builder's lists are readable.
        fx.writeUserFile(u"good.codesnippet"_s, binaryDict("IDECodeSnippetIdentifier", "blank"));
        QDir().mkpath(fx.userFolder());
        make(fx.userFolder() + u"/bad.codesnippet"_s);
        const MessageCapture log;
        const SnippetCatalogue catalogue = fx.load();
        EXPECT_EQ(catalogue.userCodeSnippetIdentifiers(), Ids({u"blank"_s}));
        EXPECT_TRUE(logged.isNull() || log.anyStartsWith(logged)) << log.messages().join(u'\n').toStdString();
    }
    RecordProperty("hostileInputs", static_cast<int>(std::size(cases)));
}

// libplist's binary reader keeps every entry of a repeated key; the tree holds the key once, at its
// first position with its last value, as the XML reader does with the same document.
TEST(RepeatedKeys, KeptOnceAtTheFirstPositionWithTheLastValue)
{
    const QByteArray one = "\x10\x01", two = "\x10\x02", three = "\x10\x03";
    // {k0: 1, k1: 1, ... k<count - 1>: 1}, then k0: 2 when repeated: as binary objects, and its XML.
    const auto numbered = [&](int count, bool repeated) {
        QList<QByteArray> objects{"\xDF\x12" + bigEndian(count + repeated, 4), one, two};
        QByteArray xml;
        for (int i = 0; i < count; ++i) {
            objects[0] += bigEndian(3 + i, 4);
            objects.append(ascii("k" + QByteArray::number(i)));
            xml += "<key>k" + QByteArray::number(i) + "</key><integer>1</integer>";
        }
        objects[0] += (repeated ? refs({3}) : QByteArray()) + refs({1}).repeated(count) +
                      (repeated ? refs({2}) : QByteArray());
        return std::pair(objects, xml);
    };
    // More keys than are compared pairwise.
    const auto [many, manyXml] = numbered(20, true);
    const QByteArray manyOnce =
        "<key>k0</key><integer>2</integer>" + manyXml.sliced(manyXml.indexOf("<key>k1<"));

    const std::tuple<const char *, QList<QByteArray>, QByteArray, QByteArray> cases[] = {
        {"top level",
         {"\xD3" + refs({1, 2, 1, 3, 4, 5}), ascii("a"), ascii("b"), one, two, three},
         "<dict><key>a</key><integer>1</integer><key>b</key><integer>2</integer>"
         "<key>a</key><integer>3</integer></dict>",
         "<dict><key>a</key><integer>3</integer><key>b</key><integer>2</integer></dict>"},
        {"in a dictionary in an array in a dictionary, as ASCII and as UTF-16",
         {"\xD1" + refs({1, 2}), ascii("k"), "\xA1" + refs({3}), "\xD2" + refs({4, 5, 6, 7}), ascii("x"),
          "\x61\0x"_ba, one, two},
         "<dict><key>k</key><array><dict><key>x</key><integer>1</integer><key>x</key><integer>2</integer>"
         "</dict></array></dict>",
         "<dict><key>k</key><array><dict><key>x</key><integer>2</integer></dict></array></dict>"},
        {"values that repeat keys themselves",
         {"\xD3" + refs({1, 2, 1, 3, 4, 5}), ascii("a"), ascii("b"), "\xD2" + refs({6, 6, 7, 8}), "\x09",
          "\xD2" + refs({9, 9, 7, 8}), ascii("y"), one, two, ascii("z")},
         "<dict><key>a</key><dict><key>y</key><integer>1</integer><key>y</key><integer>2</integer></dict>"
         "<key>b</key><true/>"
         "<key>a</key><dict><key>z</key><integer>1</integer><key>z</key><integer>2</integer></dict></dict>",
         "<dict><key>a</key><dict><key>z</key><integer>2</integer></dict><key>b</key><true/></dict>"},
        {"20 keys", many, "<dict>" + manyXml + "<key>k0</key><integer>2</integer></dict>",
         "<dict>" + manyOnce + "</dict>"},
    };
    // Written out as XML, which keeps the order of the keys.
    const auto read = [](const QByteArray &bytes) {
        const PlistPtr root = parsePropertyList(bytes);
        return root ? toXmlPropertyList(root.get()).toStdString() : std::string();
    };
    for (const auto &[what, binary, xml, once] : cases) {
        SCOPED_TRACE(what);
        const std::string expected = read(plistDocument(once));
        ASSERT_FALSE(expected.empty());
        EXPECT_EQ(read(binaryPlist(binary)), expected);
        EXPECT_EQ(read(plistDocument(xml)), expected);
    }

    // Hundreds of thousands of distinct keys: each is looked at once, not against every other,
    // which would not finish.
    const PlistPtr large = parsePropertyList(binaryPlist(numbered(300000, false).first));
    ASSERT_TRUE(large);
    EXPECT_EQ(plist_dict_get_size(large.get()), 300000u);

    // A user snippet file whose identifier is repeated overrides the snippet of the last one.
    Fixture fx;
    fx.install({{.identifier = u"alpha"_s, .title = u"Alpha"_s}});
    fx.writeUserFile(
        u"mine.codesnippet"_s,
        binaryPlist({"\xD3" + refs({1, 2, 1, 3, 4, 5}), ascii("IDECodeSnippetIdentifier"),
                     ascii("IDECodeSnippetTitle"), ascii("other"), ascii("Mine"), ascii("alpha")}));
    const SnippetCatalogue catalogue = fx.load();
    EXPECT_EQ(catalogue.userCodeSnippetIdentifiers(), Ids({u"alpha"_s}));
    EXPECT_EQ(catalogue.shownRecord(catalogue.recordAtRow(0)).title(), u"Mine"_s);
}

// Python's plistlib writes a container that several records share once, and libplist copies it into
// each: 2,000 records sharing 150 scopes expand to 310,000 nodes from 80 KB.
TEST(SharedContainers, LibraryExpandingToHundredsOfThousandsOfNodesLoads)
{
    constexpr int kRecords = 2000, kScopes = 150, kFirstRecord = 4 + kScopes;
    // The records, two keys, the shared scopes and each scope, then each record and its identifier.
    QList<QByteArray> objects{"\xAF\x11" + bigEndian(kRecords, 2), ascii("IDECodeSnippetIdentifier"),
                              ascii("IDECodeSnippetCompletionScopes"), "\xAF\x10" + bigEndian(kScopes, 1)};
    for (int i = 0; i < kScopes; ++i) {
        objects[3] += bigEndian(4 + i, 4);
        objects.append(ascii("Scope" + QByteArray::number(i)));
    }
    for (int i = 0; i < kRecords; ++i) {
        objects[0] += bigEndian(kFirstRecord + 2 * i, 4);
        objects.append("\xD2" + refs({1, 2, kFirstRecord + 2 * i + 1, 3}));
        objects.append(ascii("id" + QByteArray::number(i)));
    }
    Fixture fx;
    fx.writeInfo(u"5.1"_s);
    fx.writeLibrary(binaryPlist(objects));
    const SnippetCatalogue catalogue = fx.load();
    ASSERT_EQ(catalogue.rowCount(), kRecords);
    EXPECT_EQ(plist_array_get_size(plist_dict_get_item(catalogue.recordAtRow(kRecords - 1).dictionary(),
                                                       "IDECodeSnippetCompletionScopes")),
              uint32_t(kScopes));
}

TEST(HostileLibrary, FolderLinkLoopFifoAndWrongTypes)
{
    const std::pair<const char *, Make> cases[] = {
        {"folder", [](const QString &p) { QDir().mkpath(p); }},
        {"link loop", linkLoop},
        {"FIFO", fifo},
    };
    for (const auto &[what, make] : cases) {
        SCOPED_TRACE(what);
        Fixture fx;
        fx.writeInfo(u"5.1"_s);
        const QString library = fx.xcodePath() + QLatin1StringView(Xcode::kIdeKitLibraryComponent);
        QDir().mkpath(QFileInfo(library).absolutePath());
        make(library);
        const MessageCapture log;
        EXPECT_EQ(fx.load().rowCount(), 0);
    }

    // Known keys holding the wrong type read as absent, and an override still works.
    Fixture fx;
    fx.install({{.identifier = u"wrong"_s,
                 .extraXml = u"<key>IDECodeSnippetTitle</key><integer>7</integer>"
                             "<key>IDECodeSnippetCompletionPrefix</key><array><string>w</string></array>"
                             "<key>IDECodeSnippetContents</key><dict/>"_s}});
    SnippetCatalogue catalogue = fx.load();
    const SnippetRecord record = catalogue.recordAtRow(0);
    EXPECT_EQ(record.title(), std::nullopt);
    EXPECT_EQ(record.completionPrefix(), std::nullopt);
    EXPECT_EQ(record.contents(), std::nullopt);
    ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, true, u"text"_s).status,
              ChangeResult::Status::Done);
    EXPECT_TRUE(SnippetCatalogue::isDisabledOverride(catalogue.shownRecord(record)));
    EXPECT_EQ(catalogue.shownRecord(record).contents(), u"text"_s);
    RecordProperty("hostileInputs", static_cast<int>(std::size(cases)) + 1);
}

// Identifiers become file names: invalid UTF-8 is refused (no XML reader would take it back), an
// over-long name fails with a reason and leaves the folder alone, a name the file system takes is
// written. Invalid UTF-8 comes from a binary library: the XML one holding it is not read at all.
TEST(HostileIdentifiers, InvalidUtf8AndOverLongNames)
{
    const auto xmlLibrary = [](const QByteArray &identifier) {
        return plistDocument("<array><dict><key>IDECodeSnippetIdentifier</key><string>" + identifier +
                             "</string></dict></array>");
    };
    const std::tuple<QByteArray, QByteArray, ChangeResult::Status> cases[] = {
        {"caf\xC3(\xFF",
         binaryPlist({"\xA1" + refs({1}), "\xD1" + refs({2, 3}), ascii("IDECodeSnippetIdentifier"),
                      ascii("caf\xC3(\xFF")}),
         ChangeResult::Status::Refused},
        {QByteArray(243, 'n'), xmlLibrary(QByteArray(243, 'n')),
         ChangeResult::Status::Done}, // ".codesnippet" makes it 255 bytes
        {QByteArray(244, 'n'), xmlLibrary(QByteArray(244, 'n')), ChangeResult::Status::Failed},
        {QByteArray(300, 'x'), xmlLibrary(QByteArray(300, 'x')), ChangeResult::Status::Failed},
    };
    for (const auto &[identifier, library, status] : cases) {
        SCOPED_TRACE(identifier.left(20).toStdString());
        Fixture fx;
        fx.writeInfo(u"5.1"_s);
        fx.writeLibrary(library);
        fx.writeUserFile(u"keep.codesnippet"_s, snippetFile({.identifier = u"other"_s}));
        SnippetCatalogue catalogue = fx.load();
        ASSERT_EQ(catalogue.rowCount(), 1);
        const QStringList before = treeSnapshot(fx.root());
        const MessageCapture log;
        const ChangeResult written = catalogue.overrideSystemCodeSnippetAtIndex(0, true, u"x"_s);
        EXPECT_EQ(written.status, status) << written.reason.toStdString();
        if (status != ChangeResult::Status::Done) {
            EXPECT_FALSE(written.reason.isEmpty());
            EXPECT_EQ(treeSnapshot(fx.root()), before);
            EXPECT_EQ(catalogue.removeUserCodeSnippetAtIndex(0).status, ChangeResult::Status::NothingToDo);
            continue;
        }
        EXPECT_TRUE(catalogue.canRevertToStandardSnippet(catalogue.recordAtRow(0)));
        EXPECT_EQ(catalogue.removeUserCodeSnippetAtIndex(0).status, ChangeResult::Status::Done);
        EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList{u"keep.codesnippet"_s});
    }
    RecordProperty("hostileInputs", static_cast<int>(std::size(cases)));
}

// Files written whole, written in place, renamed in and removed while the folder is read again
// and again: whatever is read is one whole snippet or nothing.
TEST(HostileFolder, FilesComingAndGoingAreReadWholeOrNotAtAll)
{
    Fixture fx;
    fx.install({{.identifier = u"alpha"_s}, {.identifier = u"blank"_s}});
    SnippetCatalogue catalogue = fx.load();
    const QByteArray whole = snippetFile({.identifier = u"alpha"_s, .contents = QString(4000, u'a')});
    std::atomic<bool> stop = false;
    std::thread churn([&] {
        for (int i = 0; !stop; ++i) {
            writeFile(fx.userFolder() + u"/inplace.codesnippet"_s, whole);
            writeFile(fx.userFolder() + u"/.staged"_s, whole);
            QFile::rename(fx.userFolder() + u"/.staged"_s, fx.userFolder() + u"/renamed.codesnippet"_s);
            QFile::remove(fx.userFolder() + (i % 2 ? u"/inplace.codesnippet"_s : u"/renamed.codesnippet"_s));
        }
    });
    int reads = 0;
    for (; reads < 300; ++reads) {
        catalogue.parseUserCodeSnippets();
        for (const SnippetRecord &record : catalogue.userCodeSnippets())
            EXPECT_EQ(record.contents(), QString(4000, u'a'));
    }
    stop = true;
    churn.join();
    RecordProperty("hostileInputs", reads);
}

} // namespace
