// The catalogue: loading, the user snippet folder, writing and reverting overrides.
#include "catalogue/limits.h"
#include "catalogue/snippetcatalogue.h"
#include "testsupport.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QStandardPaths>

#include <gtest/gtest.h>

#include <functional>

#include <csignal>
#include <sys/resource.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;
using Status = ChangeResult::Status;
using Ids = QList<std::optional<QString>>;

namespace {

TEST(SystemSnippets, SortedByCharacterValueUntitledFirstAndStable)
{
    QList<Snippet> library;
    for (const QString &title :
         {u"apple"_s, u"Zebra"_s, u""_s, u"Äpfel"_s, u"éclair"_s, u"Banana"_s, u"apple"_s, u""_s, u"fig"_s}) {
        library.append({.identifier = QString::number(library.size()),
                        .title = title.isEmpty() ? std::nullopt : std::optional(title)});
    }
    Fixture fx;
    fx.install(library);
    const SnippetCatalogue catalogue = fx.load();
    const Ids expected = {u"2"_s, u"7"_s, u"5"_s, u"1"_s, u"0"_s, u"6"_s, u"8"_s, u"3"_s, u"4"_s};
    EXPECT_EQ(catalogue.systemCodeSnippetIdentifiers(), expected);
    for (qsizetype row = 0; row < expected.size(); ++row)
        EXPECT_EQ(catalogue.recordAtRow(row).identifier(), expected[row]);
}

// In title order: a shortcut, an empty shortcut, none at all.
class Catalogue : public ::testing::Test
{
protected:
    void SetUp() override
    {
        fx.install({{.identifier = u"alpha"_s,
                     .title = u"Alpha"_s,
                     .completionPrefix = u"al"_s,
                     .contents = u"alpha body"_s},
                    {.identifier = u"blank"_s, .title = u"Blank"_s, .completionPrefix = u""_s},
                    {.identifier = u"none"_s, .title = u"None"_s, .contents = u"none body"_s}});
    }
    void load() { catalogue = fx.load(); }
    QString user(const QString &name) const { return fx.userFolder() + u'/' + name; }
    SnippetRecord file(const QString &name) const
    {
        return SnippetRecord::fromPropertyList(readFile(user(name)));
    }
    // Writes a user snippet file; a null identifier or title is left out.
    QString carrying(const QString &name, const QString &identifier, const QString &title = {})
    {
        const auto given = [](const QString &s) { return s.isNull() ? std::nullopt : std::optional(s); };
        return fx.writeUserFile(name, snippetFile({.identifier = given(identifier), .title = given(title)}));
    }
    QString shownTitle(qsizetype row) const
    {
        return catalogue.shownRecord(catalogue.recordAtRow(row)).title().value_or(QString());
    }

    Fixture fx;
    SnippetCatalogue catalogue{QString()};
};

TEST_F(Catalogue, DictionaryRootEmptiesTheArraysAbsentLibraryKeepsThem)
{
    load();
    ASSERT_TRUE(QFile::remove(catalogue.systemCodeSnippetsPath()));
    catalogue.parseSystemCodeSnippets(fx.xcodePath());
    EXPECT_EQ(catalogue.systemCodeSnippetIdentifiers().size(), 3);
    EXPECT_EQ(catalogue.rowCount(), 3);

    fx.writeLibrary(snippetFile({.identifier = u"alpha"_s}));
    catalogue.parseSystemCodeSnippets(fx.xcodePath());
    EXPECT_TRUE(catalogue.systemCodeSnippets().isEmpty());
    EXPECT_TRUE(catalogue.systemCodeSnippetIdentifiers().isEmpty());
    EXPECT_EQ(catalogue.rowCount(), 0);
}

TEST_F(Catalogue, ReadsOnlyFilesNamedDotCodesnippetThatHoldADictionary)
{
    fx.writeLibrary(libraryFile({{.identifier = u"alpha"_s, .title = u"Alpha"_s},
                                 {.title = u"Anonymous"_s},
                                 {.identifier = u"blank"_s, .title = u"Blank"_s},
                                 {.identifier = u"none"_s, .title = u"None"_s}}));
    carrying(u"x.codesnippets"_s, u"alpha"_s, u"Mine"_s);
    carrying(u"x.CODESNIPPET"_s, u"alpha"_s, u"Mine"_s);
    fx.writeUserFile(u"damaged.codesnippet"_s, "<plist><dict><key>");
    fx.writeUserFile(u"array.codesnippet"_s, plistDocument("<array/>"));
    ASSERT_TRUE(QDir().mkpath(user(u"y.codesnippet"_s)));
    carrying(u"anything.codesnippet"_s, u"blank"_s, u"Any"_s);
    fx.writeUserFile(u"binary.codesnippet"_s,
                     toBinaryPlist(snippetFile({.identifier = u"none"_s, .title = u"Binary"_s})));
    carrying(u"orphan.codesnippet"_s, QString(), u"Orphan"_s);
    load();

    QStringList read;
    for (const StoredFile &entry : catalogue.userFiles())
        read.append(entry.name + (entry.record.isNull() ? u" -"_s : u""_s));
    EXPECT_EQ(read, QStringList({u"anything.codesnippet"_s, u"array.codesnippet -"_s, u"binary.codesnippet"_s,
                                 u"damaged.codesnippet -"_s, u"orphan.codesnippet"_s, u"y.codesnippet -"_s}));
    EXPECT_EQ(catalogue.userCodeSnippetIdentifiers(), Ids({u"blank"_s, u"none"_s, std::nullopt}));
    // The file without identifier overrides nothing, not even the snippet without one.
    EXPECT_EQ(QStringList({shownTitle(0), shownTitle(1), shownTitle(2), shownTitle(3)}),
              QStringList({u"Alpha"_s, u"Anonymous"_s, u"Any"_s, u"Binary"_s}));
    EXPECT_FALSE(catalogue.canRevertToStandardSnippet(catalogue.recordAtRow(1)));
    EXPECT_EQ(catalogue.customSnippetCount(), 2u);
}

// Files in UTF-16 or led by a byte-order mark are overrides like any other. What a record keeps of
// one is the file as it is on disk: its contents are parsed from those bytes again when asked
// for, and a change expecting what was read is not taken for a change made by someone else.
TEST_F(Catalogue, UserFilesInUtf16OrWithAByteOrderMarkAreReadAsTheyAreOnDisk)
{
    const QString text = QString::fromUtf8(
        snippetFile({.identifier = u"alpha"_s, .title = u"Mine"_s, .contents = u"Grüße 😀"_s}));
    const QString utf16 = QString(text).replace(u"UTF-8"_s, u"UTF-16"_s);
    const std::pair<const char *, QByteArray> files[] = {
        {"UTF-16 LE with a mark", toUtf16(utf16, false, true)},
        {"UTF-16 BE without", toUtf16(utf16, true, false)},
        {"UTF-8 with a mark", "\xEF\xBB\xBF" + text.toUtf8()},
    };
    for (const auto &[what, bytes] : files) {
        SCOPED_TRACE(what);
        QDir(fx.userFolder()).removeRecursively();
        fx.writeUserFile(u"alpha.codesnippet"_s, bytes);
        load();
        const SnippetRecord system = catalogue.recordAtRow(0);
        const SnippetState state = catalogue.stateOf(system);
        ASSERT_TRUE(state.overridden);
        EXPECT_EQ(state.shown.title(), u"Mine"_s);
        EXPECT_EQ(state.shown.contents(), u"Grüße 😀"_s);
        EXPECT_EQ(state.shown.sourceBytes(), bytes);
        EXPECT_EQ(state.snapshot.bytes, bytes);
        EXPECT_FALSE(catalogue.refreshUserCodeSnippets());
        const SnippetChange change =
            SnippetChange::override(system, false, u"new"_s).expecting(state.snapshot);
        EXPECT_EQ(catalogue.apply(change).status, Status::Done);
    }
}

// Reading never makes the folder (a folder another program removed stays removed); the first
// change that writes makes it with its parents, and a revert has nothing to do without it.
TEST_F(Catalogue, OnlyAWriteMakesTheUserFolder)
{
    ASSERT_FALSE(QFileInfo::exists(fx.home() + u"/Library"_s));
    load();
    EXPECT_FALSE(catalogue.refreshUserCodeSnippets());
    EXPECT_EQ(catalogue.removeUserCodeSnippetAtIndex(0).status, Status::NothingToDo);
    EXPECT_EQ(catalogue.apply(SnippetChange::rebase(catalogue.recordAtRow(0))).status, Status::NothingToDo);
    EXPECT_FALSE(QFileInfo::exists(fx.home() + u"/Library"_s));
    EXPECT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, true, std::nullopt).status, Status::Done);
    EXPECT_TRUE(catalogue.hasOverride(catalogue.recordAtRow(0).identifier()));

    QDir(fx.home() + u"/Library"_s).removeRecursively();
    EXPECT_TRUE(catalogue.refreshUserCodeSnippets());
    EXPECT_FALSE(catalogue.hasOverride(catalogue.recordAtRow(0).identifier()));
    EXPECT_FALSE(QFileInfo::exists(fx.home() + u"/Library"_s));
}

// By UTF-16 code units: every capital before every small letter, ASCII before the rest, and a
// character beyond U+FFFF (two surrogates, from U+D800) before U+FF5A FULLWIDTH Z.
TEST_F(Catalogue, OfTwoFilesWithOneIdentifierTheFirstByCharacterValueGoverns)
{
    const std::pair<QStringList, QString> cases[] = {
        {{u"a"_s, u"alpha"_s, u"B"_s}, u"B"_s},
        {{u"é"_s, u"z"_s}, u"z"_s},
        {{u"\uFF5A"_s, u"\U0001F600"_s, u"\u00E9t\u00E9"_s}, u"\u00E9t\u00E9"_s},
        {{u"\uFF5A"_s, u"\U0001F600"_s}, u"\U0001F600"_s},
    };
    for (const auto &[names, governing] : cases) {
        QDir(fx.userFolder()).removeRecursively();
        for (const QString &name : names)
            carrying(name + u".codesnippet"_s, u"alpha"_s, name);
        load();
        EXPECT_EQ(shownTitle(0), governing) << names.join(u' ').toStdString();
        EXPECT_EQ(catalogue.customSnippetCount(), 1u);
    }
}

TEST_F(Catalogue, SkipsUserFilesLargerThan16MiB)
{
    const PlistPtr dict = parsePropertyList(snippetFile({.identifier = u"alpha"_s}));
    const QByteArray padding(Limits::kMaxUserSnippetFileBytes, 'x');
    plist_dict_set_item(dict.get(), "Padding", plist_new_data(padding.constData(), padding.size()));
    char *bin = nullptr;
    uint32_t length = 0;
    plist_to_bin(dict.get(), &bin, &length);
    fx.writeUserFile(u"huge.codesnippet"_s, QByteArray(bin, length));
    plist_to_bin_free(bin);
    carrying(u"small.codesnippet"_s, u"blank"_s);
    const MessageCapture log;
    load();
    EXPECT_EQ(catalogue.userCodeSnippetIdentifiers(), Ids({u"blank"_s}));
}

TEST_F(Catalogue, OverrideFollowsTheShortcutRules)
{
    const std::tuple<qsizetype, bool, std::optional<QString>> cases[] = {
        {0, true, u""_s},    {1, true, u""_s},   {2, true, u""_s},
        {0, false, u"al"_s}, {1, false, u" "_s}, {2, false, {}}};
    for (const auto &[row, disable, prefix] : cases) {
        SCOPED_TRACE(testing::Message() << "row " << row << (disable ? " disabled" : " enabled"));
        QDir(fx.userFolder()).removeRecursively();
        load();
        const SnippetRecord system = catalogue.recordAtRow(row);
        ASSERT_FALSE(catalogue.canRevertToStandardSnippet(system));
        ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(row, disable, std::nullopt).status,
                  Status::Done);

        const SnippetRecord written = file(*system.identifier() + u".codesnippet"_s);
        EXPECT_EQ(written.completionPrefix(), prefix);
        EXPECT_EQ(SnippetCatalogue::isDisabledOverride(written), disable);
        const PlistPtr yes(plist_new_bool(1)), two(plist_new_uint(2));
        EXPECT_TRUE(propertyListsEqual(plist_dict_get_item(written.dictionary(), SnippetKey::UserSnippet),
                                       yes.get()));
        EXPECT_TRUE(
            propertyListsEqual(plist_dict_get_item(written.dictionary(), SnippetKey::Version), two.get()));
        EXPECT_EQ(written.contents(), system.contents());
        EXPECT_TRUE(propertyListsEqual(catalogue.shownRecord(system).dictionary(), written.dictionary()));
        EXPECT_TRUE(catalogue.canRevertToStandardSnippet(system));
    }
    EXPECT_FALSE(SnippetCatalogue::isDisabledOverride(SnippetRecord()));
    EXPECT_FALSE(catalogue.canRevertToStandardSnippet(SnippetRecord()));
}

TEST_F(Catalogue, OverrideStartsFromTheSystemRecordEveryTimeAndKeepsOneFile)
{
    fx.writeUserFile(u"alpha.codesnippet"_s, snippetFile({.identifier = u"alpha"_s,
                                                          .title = u"Mine"_s,
                                                          .extraXml = u"<key>Extra</key><true/>"_s}));
    load();
    const QString text = u"Grüße ✓ 😀 <#x#> & ]]>\n\tend"_s;
    ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, false, text).status, Status::Done);
    EXPECT_EQ(file(u"alpha.codesnippet"_s).contents(), text);
    EXPECT_EQ(file(u"alpha.codesnippet"_s).title(), u"Alpha"_s);
    EXPECT_EQ(plist_dict_get_item(file(u"alpha.codesnippet"_s).dictionary(), "Extra"), nullptr);

    // Without contents the system contents come back: the earlier override's text is not kept.
    ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, true, std::nullopt).status, Status::Done);
    EXPECT_EQ(file(u"alpha.codesnippet"_s).contents(), u"alpha body"_s);
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList{u"alpha.codesnippet"_s});
    EXPECT_EQ(catalogue.shownRecord(catalogue.recordAtRow(0)).contents(), u"alpha body"_s);
}

TEST_F(Catalogue, CustomCountIgnoresTheFilterAndCountsRepeatedIdentifiers)
{
    fx.writeLibrary(libraryFile({{.identifier = u"dup"_s, .title = u"Dup One"_s},
                                 {.identifier = u"dup"_s, .title = u"Dup Two"_s},
                                 {.identifier = u"alpha"_s, .title = u"Alpha"_s}}));
    carrying(u"dup.codesnippet"_s, u"dup"_s);
    load();
    catalogue.filterSystemCodeSnippets(u"Alpha"_s);
    EXPECT_EQ(catalogue.customSnippetCount(), 2u);
}

TEST_F(Catalogue, RowIndexesAreFilteredRowsAndRevertWithoutAFileDoesNothing)
{
    load();
    catalogue.filterSystemCodeSnippets(u"none"_s);
    ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, true, std::nullopt).status, Status::Done);
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList{u"none.codesnippet"_s});
    ASSERT_EQ(catalogue.removeUserCodeSnippetAtIndex(0).status, Status::Done);
    EXPECT_TRUE(snippetFolderEntries(fx.userFolder()).isEmpty());
    EXPECT_TRUE(catalogue.shownRecord(catalogue.recordAtRow(0)).isSameRecord(catalogue.recordAtRow(0)));
    // Revert hands each file to the disposer the program sets (the desktop's trash); a file it
    // cannot dispose of stays, and the reason comes back.
    QStringList disposed;
    catalogue.store().setFileDisposer([&disposed](const QString &path, QString *error) {
        disposed.append(path);
        *error = u"the trash is full"_s;
        return false;
    });
    ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, true, std::nullopt).status, Status::Done);
    const ChangeResult refused = catalogue.removeUserCodeSnippetAtIndex(0);
    EXPECT_EQ(refused.status, Status::Failed);
    EXPECT_EQ(refused.reason, u"the file %1/none.codesnippet could not be removed (the trash is full)"_s.arg(fx.userFolder()));
    EXPECT_EQ(disposed, QStringList{fx.userFolder() + u"/none.codesnippet"_s});
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList{u"none.codesnippet"_s});
    catalogue.store().setFileDisposer({});
    ASSERT_EQ(catalogue.removeUserCodeSnippetAtIndex(0).status, Status::Done);

    carrying(u"blank.codesnippet"_s, u"blank"_s);
    const QStringList before = treeSnapshot(fx.root());
    const MessageCapture log;
    EXPECT_EQ(catalogue.removeUserCodeSnippetAtIndex(0).status, Status::NothingToDo);
    EXPECT_EQ(treeSnapshot(fx.root()), before);
    EXPECT_TRUE(log.messages().isEmpty());
}

// Makes every write past a few bytes fail, as a full disk would (permissions do not stop root).
class FileSizeLimit
{
public:
    explicit FileSizeLimit(rlim_t bytes)
    {
        getrlimit(RLIMIT_FSIZE, &m_saved);
        m_handler = std::signal(SIGXFSZ, SIG_IGN);
        const rlimit limit{bytes, m_saved.rlim_max};
        setrlimit(RLIMIT_FSIZE, &limit);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &m_saved);
        std::signal(SIGXFSZ, m_handler);
    }

private:
    rlimit m_saved{};
    void (*m_handler)(int) = nullptr;
};

TEST_F(Catalogue, FailedWriteKeepsTheEarlierFileAndSaysWhy)
{
    enum Setup
    {
        TargetIsFolder,
        UserFolderIsFile,
        DiskFull,
        DeviceFailsHalfWay, // through the writer seam: some bytes written, then an error
        ShortWrite,         // all but the last byte written, and no error
    };
    for (const Setup setup : {TargetIsFolder, UserFolderIsFile, DiskFull, DeviceFailsHalfWay, ShortWrite}) {
        SCOPED_TRACE(setup);
        QDir(fx.home()).removeRecursively();
        if (setup == TargetIsFolder)
            QDir().mkpath(user(u"alpha.codesnippet"_s));
        else if (setup == UserFolderIsFile)
            writeFile(fx.userFolder(), "not a folder");
        load();
        if (setup >= DiskFull) {
            ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, false, u"earlier"_s).status,
                      Status::Done);
        }
        if (setup == DeviceFailsHalfWay) {
            catalogue.store().setOverrideWriter([](QIODevice &file, const QByteArray &bytes) {
                file.write(bytes.first(bytes.size() / 2));
                return qint64(-1);
            });
        } else if (setup == ShortWrite) {
            catalogue.store().setOverrideWriter(
                [](QIODevice &file, const QByteArray &bytes) { return file.write(bytes.chopped(1)); });
        }
        const QStringList before = treeSnapshot(fx.root());

        const MessageCapture log;
        ChangeResult result;
        {
            std::optional<FileSizeLimit> limit;
            if (setup == DiskFull)
                limit.emplace(64);
            result = catalogue.overrideSystemCodeSnippetAtIndex(0, true, u"later"_s);
        }
        EXPECT_EQ(result.status, Status::Failed);
        EXPECT_FALSE(result.reason.isEmpty());
        EXPECT_TRUE(log.messages().contains(u"Could not write User Snippet."_s));
        EXPECT_EQ(treeSnapshot(fx.root()), before);
    }
}

TEST(UnsafeIdentifier, WriteAndRevertRefuseAndTouchNothing)
{
    const std::pair<std::optional<QString>, QString> cases[] = {
        {std::nullopt, {}}, {std::nullopt, u"<key>IDECodeSnippetIdentifier</key><integer>5</integer>"_s},
        {u""_s, {}},        {u"."_s, {}},
        {u".."_s, {}},      {u"../evil"_s, {}},
        {u"a/b"_s, {}}};
    for (const auto &[id, extra] : cases) {
        SCOPED_TRACE(id.value_or(extra).toStdString());
        Fixture fx;
        fx.install({{.identifier = id, .title = u"Bad"_s, .extraXml = extra}});
        // Where a careless write or delete would land, and another file carrying the identifier.
        fx.writeUserFile(u"victim.codesnippet"_s, snippetFile({.identifier = id, .extraXml = extra}));
        if (id)
            writeFile(fx.userFolder() + u'/' + *id + u".codesnippet"_s, snippetFile({.identifier = id}));
        SnippetCatalogue catalogue = fx.load();
        const QStringList before = treeSnapshot(fx.root());

        const MessageCapture log;
        EXPECT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, true, u"x"_s).status, Status::Refused);
        EXPECT_EQ(catalogue.removeUserCodeSnippetAtIndex(0).status, Status::Refused);
        EXPECT_EQ(treeSnapshot(fx.root()), before);
        EXPECT_TRUE(log.messages().contains(u"Could not write User Snippet."_s));
        EXPECT_TRUE(log.anyStartsWith(u"Could not delete Snippet. Error: "));
    }
}

TEST_F(Catalogue, RowsOutsideTheListAndNulTextAreRefusedWithoutReading)
{
    load();
    carrying(u"late.codesnippet"_s, u"alpha"_s); // behind the catalogue's back
    const QStringList before = treeSnapshot(fx.root());
    for (const qsizetype row : {qsizetype(-1), catalogue.rowCount()}) {
        EXPECT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(row, true, std::nullopt).status,
                  Status::Refused);
        EXPECT_EQ(catalogue.removeUserCodeSnippetAtIndex(row).status, Status::Refused);
    }
    catalogue.filterSystemCodeSnippets(u"Alpha"_s);
    EXPECT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(1, true, std::nullopt).status, Status::Refused);
    EXPECT_TRUE(catalogue.userCodeSnippets().isEmpty());

    const MessageCapture log;
    EXPECT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, false, u"a\0b"_s).status, Status::Refused);
    EXPECT_EQ(treeSnapshot(fx.root()), before);
}

TEST_F(Catalogue, OneFilePerIdentifierWhateverItsName)
{
    carrying(u"other.codesnippet"_s, u"alpha"_s, u"Other"_s);
    load();
    const SnippetRecord system = catalogue.recordAtRow(0);
    ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, false, u"saved"_s).status, Status::Done);
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList{u"other.codesnippet"_s});
    EXPECT_EQ(file(u"other.codesnippet"_s).contents(), u"saved"_s);

    // Every file with the identifier goes; one under the override's name that cannot be read may
    // be the user's own, in a form Xcode reads: it stays, named in the reason.
    carrying(u"third.codesnippet"_s, u"alpha"_s);
    const QByteArray unreadable("\xFF\xFE<\0?\0x", 7); // UTF-16 that holds no property list
    fx.writeUserFile(u"alpha.codesnippet"_s, unreadable);
    carrying(u"keep.codesnippet"_s, u"blank"_s);
    catalogue.parseUserCodeSnippets();
    const ChangeResult reverted = catalogue.removeUserCodeSnippetAtIndex(0);
    EXPECT_EQ(reverted.status, Status::Refused);
    EXPECT_TRUE(reverted.reason.startsWith(user(u"alpha.codesnippet"_s) + u" left as it is"_s)) << reverted.reason.toStdString();
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList({u"alpha.codesnippet"_s, u"keep.codesnippet"_s}));
    EXPECT_TRUE(catalogue.shownRecord(system).isSameRecord(system));

    // Nor is it written over: the override takes the next free name.
    ASSERT_EQ(catalogue.overrideSystemCodeSnippetAtIndex(0, true, std::nullopt).status, Status::Done);
    EXPECT_EQ(readFile(user(u"alpha.codesnippet"_s)), unreadable);
    EXPECT_TRUE(isExactOverride(user(u"alpha-2.codesnippet"_s), system, true, std::nullopt));
}

// A write made with what was read is refused when the override changed since, however it changed:
// replaced, rewritten in place to the same size, removed, or joined by one that now governs.
TEST_F(Catalogue, AChangeMadeSinceTheReadingIsNeverOverwritten)
{
    const QByteArray mine = snippetFile({.identifier = u"alpha"_s, .contents = u"mine"_s});
    const std::pair<const char *, std::function<void()>> changes[] = {
        {"replaced", [&] {
             fx.writeUserFile(u"staged"_s, QByteArray(mine).replace("mine", "ours"));
             QFile::remove(user(u"alpha.codesnippet"_s));
             QFile::rename(user(u"staged"_s), user(u"alpha.codesnippet"_s));
         }},
        {"same size in place", [&] {
             QFile f(user(u"alpha.codesnippet"_s));
             ASSERT_TRUE(f.open(QIODevice::ReadWrite));
             f.write(QByteArray(f.size(), ' ').replace(0, mine.size(), QByteArray(mine).replace("mine", "ours")));
         }},
        {"removed", [&] { QFile::remove(user(u"alpha.codesnippet"_s)); }},
        {"another governs", [&] { fx.writeUserFile(u"a.codesnippet"_s, mine); }},
    };
    for (const auto &[what, change] : changes) {
        SCOPED_TRACE(what);
        QDir(fx.userFolder()).removeRecursively();
        fx.writeUserFile(u"alpha.codesnippet"_s, mine);
        load();
        const OverrideSnapshot read = catalogue.stateOf(catalogue.recordAtRow(0)).snapshot;
        const SnippetRecord system = catalogue.recordAtRow(0);
        ASSERT_EQ(catalogue.apply(SnippetChange::override(system, true, u"first"_s).expecting(read)).status, Status::Done);
        const OverrideSnapshot afterFirst = catalogue.stateOf(system).snapshot;
        change();
        const QStringList before = treeSnapshot(fx.userFolder());
        EXPECT_EQ(catalogue.apply(SnippetChange::override(system, true, u"second"_s).expecting(afterFirst)).status,
                  Status::ChangedOnDisk);
        EXPECT_EQ(treeSnapshot(fx.userFolder()), before);
    }
}

// A change names its system record: of two sharing an identifier exactly that one, whatever the
// filter shows; a record of a library read before is refused.
TEST_F(Catalogue, ChangesNameTheirSystemRecord)
{
    fx.writeLibrary(libraryFile({{.identifier = u"dup"_s, .title = u"Dup Two"_s, .contents = u"two"_s},
                                 {.identifier = u"dup"_s, .title = u"Dup One"_s, .contents = u"one"_s},
                                 {.identifier = u"alpha"_s, .title = u"Alpha"_s}}));
    load();
    const SnippetRecord two = catalogue.systemCodeSnippets().at(2);
    ASSERT_EQ(two.title(), u"Dup Two"_s);
    catalogue.filterSystemCodeSnippets(u"Alpha"_s);
    ASSERT_EQ(catalogue.apply(SnippetChange::override(two, true, std::nullopt)).status, Status::Done);
    EXPECT_TRUE(isExactOverride(user(u"dup.codesnippet"_s), two, true, std::nullopt));
    EXPECT_EQ(catalogue.rowCount(), 1);
    EXPECT_EQ(catalogue.apply(SnippetChange::revert(two)).status, Status::Done);
    EXPECT_EQ(catalogue.apply(SnippetChange::revert(two)).status, Status::NothingToDo);

    catalogue.parseSystemCodeSnippets(fx.xcodePath());
    const QStringList before = treeSnapshot(fx.root());
    EXPECT_EQ(catalogue.apply(SnippetChange::override(two, true, std::nullopt)).status, Status::Refused);
    EXPECT_EQ(catalogue.counterpartOf(two, {catalogue.recordAtRow(1), two}).title(), u"Dup Two"_s);
    EXPECT_EQ(treeSnapshot(fx.root()), before);
}

// A batch looks at the folder once, under one lock, and reads again only what another program
// changed; a change that fails in the middle leaves the others done, and each says what became of it.
TEST_F(Catalogue, ABatchLooksAtTheFolderOnceAndReportsEachChange)
{
    QList<Snippet> library;
    for (int i = 0; i < 30; ++i)
        library.append({.identifier = u"s%1"_s.arg(i, 2, 10, QChar(u'0')), .title = u"T%1"_s.arg(i, 2, 10, QChar(u'0'))});
    fx.install(library);
    carrying(u"mine.codesnippet"_s, u"elsewhere"_s);
    QDir().mkpath(user(u"s10.codesnippet"_s)); // this one cannot be written
    load();
    const auto looked = [this](const SnippetStore::Counters &before) {
        const SnippetStore::Counters now = catalogue.store().counters();
        return std::pair(now.folderLooks - before.folderLooks, now.filesRead - before.filesRead);
    };

    QList<SnippetChange> off;
    for (const SnippetRecord &system : catalogue.systemCodeSnippets())
        off.append(SnippetChange::switchShortcut(system, true));
    SnippetStore::Counters before = catalogue.store().counters();
    const QList<ChangeResult> results = catalogue.apply(off);
    EXPECT_EQ(looked(before), std::pair(quint64(1), quint64(0)));
    ASSERT_EQ(results.size(), 30);
    for (qsizetype i = 0; i < results.size(); ++i)
        EXPECT_EQ(results[i].status, i == 10 ? Status::Failed : Status::Done) << i;
    EXPECT_EQ(catalogue.customSnippetCount(), 29u);

    // Another program's change is read, once; what the batch wrote is not read again.
    carrying(u"s00.codesnippet"_s, u"s00"_s, u"From Elsewhere"_s);
    before = catalogue.store().counters();
    QList<SnippetChange> back;
    for (const SnippetRecord &system : catalogue.systemCodeSnippets())
        back.append(SnippetChange::revert(system));
    catalogue.apply(back);
    EXPECT_EQ(looked(before), std::pair(quint64(1), quint64(1)));
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList({u"mine.codesnippet"_s, u"s10.codesnippet"_s}));
    EXPECT_EQ(catalogue.customSnippetCount(), 0u);

    // A look at the folder tells whether anything changed since.
    EXPECT_FALSE(catalogue.refreshUserCodeSnippets());
    carrying(u"s05.codesnippet"_s, u"s05"_s);
    EXPECT_TRUE(catalogue.refreshUserCodeSnippets());
    EXPECT_TRUE(catalogue.hasOverride(u"s05"_s));
    EXPECT_FALSE(catalogue.refreshUserCodeSnippets());
}

} // namespace

