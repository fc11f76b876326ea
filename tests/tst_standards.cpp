// What each override was made from, how it stands when Xcode's library changes, and rebasing it
// onto the current record.
#include "catalogue/linediff.h"
#include "catalogue/snippetcatalogue.h"
#include "testsupport.h"

#include <QFile>

#include <gtest/gtest.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;
using Status = ChangeResult::Status;

namespace {

const Snippet kLoop{.identifier = u"loop"_s,
                    .title = u"Loop"_s,
                    .completionPrefix = u"for"_s,
                    .contents = u"for i in items {\n    first\n    body\n}\n"_s};
const Snippet kGuard{.identifier = u"guard"_s, .title = u"Guard"_s, .completionPrefix = u"guard"_s,
                     .contents = u"guard else { return }\n"_s};

class Standards : public ::testing::Test
{
protected:
    void SetUp() override { fx.install({kLoop, kGuard}); }
    // Xcode updated: the library holds these snippets now.
    void update(const QList<Snippet> &library, const QString &version = u"5.1"_s)
    {
        fx.writeInfo(version);
        fx.writeLibrary(libraryFile(library));
        load();
    }
    void load()
    {
        catalogue = fx.load();
        catalogue.setBodyMerger(threeWayBodyMerger());
    }
    SnippetRecord system(const QString &identifier) const { return catalogue.systemCodeSnippet(identifier); }
    OverrideStatus status(const QString &identifier) const
    {
        const std::optional<OverrideReport> report = catalogue.reportOf(system(identifier));
        return report ? report->status : OverrideStatus::Unknown;
    }
    SnippetRecord overrideFile(const QString &identifier) const
    {
        return SnippetRecord::fromPropertyList(readFile(fx.userFolder() + u'/' + identifier + u".codesnippet"_s));
    }
    QString standardPath(const QString &identifier) const
    {
        return fx.userFolder() + u"/.glimmerpad/"_s + identifier + u".codesnippet"_s;
    }
    void edit(const QString &identifier, const QString &contents)
    {
        ASSERT_EQ(catalogue.apply(SnippetChange::setContents(system(identifier), contents)).status, Status::Done);
    }

    Fixture fx;
    SnippetCatalogue catalogue{QString()};
};

// An override records the record it copied; the library changing under it makes it stale (with
// the keys that changed), its snippet leaving makes it an orphan, a newer Xcode's is left alone.
TEST_F(Standards, HowAnOverrideStandsFollowsTheLibraryItWasMadeFrom)
{
    load();
    edit(u"loop"_s, u"mine\n"_s);
    ASSERT_EQ(catalogue.apply(SnippetChange::switchShortcut(system(u"guard"_s), true)).status, Status::Done);
    EXPECT_TRUE(QFile::exists(standardPath(u"loop"_s)));
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), (QStringList{u"guard.codesnippet"_s, u"loop.codesnippet"_s}));
    EXPECT_EQ(catalogue.recordedStandard(u"loop.codesnippet"_s).xcodeVersion, u"5.1"_s);
    EXPECT_EQ(status(u"loop"_s), OverrideStatus::Current);

    Snippet loop = kLoop;
    loop.contents = u"for item in items {\n    body\n}\n"_s;
    loop.summary = u"Iterates"_s;
    update({loop, kGuard}, u"16.0"_s);
    const std::optional<OverrideReport> report = catalogue.reportOf(system(u"loop"_s));
    ASSERT_TRUE(report);
    EXPECT_EQ(report->status, OverrideStatus::Stale);
    QStringList changed = report->changed;
    changed.sort();
    EXPECT_EQ(changed, (QStringList{u"IDECodeSnippetContents"_s, u"IDECodeSnippetSummary"_s}));
    EXPECT_EQ(status(u"guard"_s), OverrideStatus::Current);
    EXPECT_TRUE(catalogue.isStale(system(u"loop"_s)));

    // A snippet the library dropped: its override is listed after the stale ones, and can be reverted.
    update({loop}, u"16.0"_s);
    catalogue.filterSystemCodeSnippets(SnippetFilter{.needsAttention = true});
    ASSERT_EQ(catalogue.rowCount(), 2);
    EXPECT_EQ(catalogue.recordAtRow(0).identifier(), u"loop"_s);
    const SnippetRecord orphan = catalogue.recordAtRow(1);
    EXPECT_TRUE(catalogue.isOrphan(orphan));
    EXPECT_EQ(catalogue.reportOf(orphan)->status, OverrideStatus::Orphaned);
    EXPECT_EQ(catalogue.apply(SnippetChange::revert(orphan)).status, Status::Done);
    EXPECT_FALSE(QFile::exists(standardPath(u"guard"_s))); // the record of what it was made from goes with it
    EXPECT_EQ(snippetFolderEntries(fx.userFolder()), QStringList{u"loop.codesnippet"_s});

    // Back to an older Xcode: what the newer one made is neither stale nor rebased.
    ASSERT_EQ(catalogue.apply(SnippetChange::rebase(system(u"loop"_s), Rebase::Mode::KeepMine)).status, Status::Done);
    EXPECT_EQ(catalogue.recordedStandard(u"loop.codesnippet"_s).xcodeVersion, u"16.0"_s);
    update({kLoop, kGuard}, u"5.1"_s);
    EXPECT_EQ(status(u"loop"_s), OverrideStatus::Newer);
    EXPECT_EQ(catalogue.apply(SnippetChange::rebase(system(u"loop"_s))).status, Status::NothingToDo);
}

// A user's own snippet is no override: not an orphan, in no report. An override written by hand
// or by an older version, with nothing recorded, is judged by the keys it copies.
TEST_F(Standards, FilesWithNothingRecordedAreJudgedByWhatTheyCopy)
{
    fx.writeUserFile(u"own.codesnippet"_s, snippetFile({.identifier = u"own"_s, .title = u"Own"_s}));
    Snippet copied = kLoop;
    copied.completionPrefix = u""_s;
    copied.contents = u"changed\n"_s;
    fx.writeUserFile(u"loop.codesnippet"_s, snippetFile(copied));
    Snippet older = kGuard;
    older.title = u"Guard (old)"_s;
    fx.writeUserFile(u"guard.codesnippet"_s, snippetFile(older));
    load();
    EXPECT_EQ(status(u"loop"_s), OverrideStatus::Unknown); // only its own body and shortcut differ
    EXPECT_EQ(status(u"guard"_s), OverrideStatus::Stale);
    QStringList reported;
    for (const OverrideReport &report : catalogue.overrideReports())
        reported.append(report.identifier);
    EXPECT_EQ(reported, (QStringList{u"guard"_s, u"loop"_s}));
    EXPECT_FALSE(catalogue.isOrphan(catalogue.overrideForIdentifier(u"own"_s)));

    // Rebasing one keeps its body and state and records the standard from then on.
    ASSERT_EQ(catalogue.apply(SnippetChange::rebase(system(u"guard"_s))).status, Status::Done);
    EXPECT_EQ(overrideFile(u"guard"_s).title(), u"Guard"_s);
    EXPECT_EQ(status(u"guard"_s), OverrideStatus::Current);
}

// Each way of rebasing, on an override whose body and shortcut the user changed, after the
// standard changed its body elsewhere or on the same line.
TEST_F(Standards, RebaseKeepsTheUsersChangesAsTheModeSays)
{
    struct Case
    {
        const char *name;
        QString standardBody;
        Rebase::Mode mode;
        Status status;
        QString body; // of the override afterwards
        std::optional<QString> shortcut;
    };
    const QString mine = u"for i in items {\n    first\n    mine\n}\n"_s;
    const QString apart = u"for i in items.reversed() {\n    first\n    body\n}\n"_s;
    const QString clashing = u"for i in items {\n    first\n    theirs\n}\n"_s;
    const QList<Case> cases = {
        {"changes apart merge", apart, Rebase::Mode::Merge, Status::Done,
         u"for i in items.reversed() {\n    first\n    mine\n}\n"_s, u""_s},
        {"a clash writes nothing", clashing, Rebase::Mode::Merge, Status::Refused, mine, u""_s},
        {"keep mine", clashing, Rebase::Mode::KeepMine, Status::Done, mine, u""_s},
        {"take the standard", clashing, Rebase::Mode::TakeStandard, Status::Done, clashing, u""_s},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.name);
        fx.install({kLoop, kGuard});
        QFile::remove(fx.userFolder() + u"/loop.codesnippet"_s);
        load();
        edit(u"loop"_s, mine);
        ASSERT_EQ(catalogue.apply(SnippetChange::switchShortcut(system(u"loop"_s), true)).status, Status::Done);
        Snippet loop = kLoop;
        loop.contents = c.standardBody;
        loop.title = u"Loop over items"_s;
        update({loop, kGuard});

        if (c.status == Status::Refused) {
            const Rebase::Outcome preview = catalogue.previewRebase(system(u"loop"_s), c.mode);
            EXPECT_TRUE(preview.conflicted());
            EXPECT_TRUE(preview.conflictText.contains(u"<<<<<<< yours\n    mine\n=======\n    theirs\n>>>>>>> standard"_s));
        }
        EXPECT_EQ(catalogue.apply(SnippetChange::rebase(system(u"loop"_s), c.mode)).status, c.status);
        const SnippetRecord written = overrideFile(u"loop"_s);
        EXPECT_EQ(written.contents(), c.body);
        EXPECT_EQ(written.completionPrefix(), c.shortcut);
        EXPECT_EQ(written.title(), c.status == Status::Done ? u"Loop over items"_s : u"Loop"_s);
        EXPECT_EQ(status(u"loop"_s), c.status == Status::Done ? OverrideStatus::Current : OverrideStatus::Stale);
        // What the catalogue took in is what a fresh reading finds.
        const SnippetState before = catalogue.stateOf(system(u"loop"_s));
        load();
        EXPECT_EQ(catalogue.stateOf(system(u"loop"_s)).shown.contents(), before.shown.contents());
    }
}

// The user finishing a conflicted rebase by hand: the save records the current standard, so the
// override stands as current and a further rebase has nothing to do.
TEST_F(Standards, ASaveThatFinishesARebaseRecordsTheCurrentStandard)
{
    load();
    edit(u"loop"_s, u"for i in items {\n    mine\n}\n"_s);
    Snippet loop = kLoop;
    loop.contents = u"for i in items {\n    theirs\n}\n"_s;
    update({loop, kGuard});
    SnippetChange finished = SnippetChange::setContents(system(u"loop"_s), u"for i in items {\n    both\n}\n"_s);
    ASSERT_EQ(catalogue.apply(finished).status, Status::Done);
    EXPECT_EQ(status(u"loop"_s), OverrideStatus::Stale); // an ordinary save keeps what it was made from

    finished.recordsStandard = true;
    ASSERT_EQ(catalogue.apply(finished).status, Status::Done);
    EXPECT_EQ(status(u"loop"_s), OverrideStatus::Current);
    EXPECT_EQ(catalogue.apply(SnippetChange::rebase(system(u"loop"_s))).status, Status::NothingToDo);
    load();
    EXPECT_EQ(status(u"loop"_s), OverrideStatus::Current);
}

} // namespace
