// The desktop's trash through GLib, and a trash in a data folder of its own. Cases work in
// $HOME/.local/share/Trash of the test home and in <home>/other, or in trash_probe with a home and
// mounts of its own; none may touch the current folder.
#include "platform/trash.h"
#include "testsupport.h"

#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QRegularExpression>

#include <gtest/gtest.h>

#include <sys/stat.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;
using namespace Qt::StringLiterals;
using Platform::TrashOutcome;

namespace {

class Trash : public ::testing::Test
{
protected:
    void SetUp() override
    {
        // GLib would otherwise hand the file to the session's portal or GVfs, outside the test home.
        qunsetenv("GTK_USE_PORTAL");
        qputenv("GIO_USE_VFS", "local");
        // A folder named like the relative home of one case, so that a trash made there would show.
        ASSERT_TRUE(QDir().mkpath(m_cwd + u"/rel"_s));
        ASSERT_TRUE(QDir().mkpath(m_work));
        ASSERT_TRUE(QDir::setCurrent(m_cwd));
        m_cwdBefore = treeSnapshot(m_cwd);
    }

    void TearDown() override
    {
        EXPECT_EQ(treeSnapshot(m_cwd), m_cwdBefore) << "the current folder changed";
        QDir::setCurrent(QDir::rootPath());
        for (const QString &folder : {m_trash, m_work, m_cwd, m_mount, m_other})
            QDir(folder).removeRecursively();
    }

    // sh -c script, with $1 the probe and then args, from the current folder; inside a new user and
    // mount namespace when asked. The output lines, once it has returned.
    static QStringList runScript(const QString &script, const QStringList &args, bool inNamespace = false)
    {
        QStringList arguments{u"-c"_s, script, u"sh"_s, QStringLiteral(GLIMMERPAD_TRASH_PROBE_PATH)};
        arguments += args;
        if (inNamespace)
            arguments = QStringList{u"-rm"_s, u"sh"_s} + arguments;
        QProcess process;
        process.start(inNamespace ? u"unshare"_s : u"sh"_s, arguments);
        if (!process.waitForFinished(120'000)) {
            process.kill();
            process.waitForFinished();
            ADD_FAILURE() << "did not return: " << script.toStdString();
        }
        return QString::fromUtf8(process.readAllStandardOutput()).split(u'\n', Qt::SkipEmptyParts);
    }

    static bool haveNamespaces() { return QProcess::execute(u"unshare"_s, {u"-rm"_s, u"true"_s}) == 0; }

    static QString mode(const QString &path)
    {
        struct stat status;
        return ::lstat(QFile::encodeName(path).constData(), &status) == 0
                   ? QString::number(status.st_mode & 07777, 8)
                   : u"none"_s;
    }

    // A trash as lines: the modes of its folders, then each file with its contents or link target
    // and its record's mode and text, the deletion date checked and left out.
    static QStringList describe(const QString &trash)
    {
        QStringList lines{mode(trash), mode(trash + u"/files"_s), mode(trash + u"/info"_s)};
        lines += folderEntries(trash + u"/info"_s);
        const QRegularExpression date(u"DeletionDate=(.*)\n$"_s);
        for (const QString &name : folderEntries(trash + u"/files"_s)) {
            const QFileInfo file(trash + u"/files/"_s + name);
            const QString info = trash + u"/info/"_s + name + u".trashinfo"_s;
            QString record = QString::fromUtf8(readFile(info));
            const QRegularExpressionMatch dated = date.match(record);
            EXPECT_TRUE(dated.hasMatch() &&
                        QDateTime::fromString(dated.captured(1), u"yyyy-MM-dd'T'HH:mm:ss"_s).isValid())
                << record.toStdString();
            record.truncate(dated.capturedStart());
            lines << name + u" "_s +
                         (file.isSymLink() ? u"-> "_s + file.symLinkTarget()
                                           : QString::fromUtf8(readFile(file.filePath()))) +
                         u" "_s + mode(info) + u" "_s + record;
        }
        return lines;
    }

    const QString m_home = QDir::homePath();
    const QString m_trash = m_home + u"/.local/share/Trash"_s;
    const QString m_work = m_home + u"/work"_s;
    const QString m_cwd = m_home + u"/cwd"_s;
    const QString m_mount = m_home + u"/mnt"_s;
    const QString m_other = m_home + u"/other"_s; // a home whose trash is asked for by its data folder
    QStringList m_cwdBefore;
};

TEST_F(Trash, NamesComeWithARecordOfTheirExactPlace)
{
    for (const QString &name : {u"plain.codesnippet"_s, u"with space.codesnippet"_s, u"é.codesnippet"_s,
                                u"%41.codesnippet"_s, u"new\nline.codesnippet"_s}) {
        SCOPED_TRACE(name.toStdString());
        const QString path = m_work + u'/' + name;
        ASSERT_TRUE(writeFile(path, name.toUtf8()));
        const Platform::TrashResult result = Platform::moveToTrash(path);
        EXPECT_EQ(result.outcome, TrashOutcome::Trashed) << result.error.toStdString();
        EXPECT_FALSE(QFileInfo::exists(path));
        EXPECT_EQ(readFile(m_trash + u"/files/"_s + name), name.toUtf8());

        QByteArray recordedPath, deletionDate;
        for (const QByteArray &line : readFile(m_trash + u"/info/"_s + name + u".trashinfo"_s).split('\n')) {
            if (line.startsWith("Path="))
                recordedPath = line.mid(5);
            else if (line.startsWith("DeletionDate="))
                deletionDate = line.mid(13);
        }
        const QRegularExpression escaped(u"^[A-Za-z0-9%/._~-]+$"_s); // nothing left unescaped
        EXPECT_TRUE(escaped.match(QString::fromLatin1(recordedPath)).hasMatch())
            << recordedPath.toStdString();
        EXPECT_EQ(QByteArray::fromPercentEncoding(recordedPath), QFile::encodeName(path));
        EXPECT_TRUE(QDateTime::fromString(QString::fromLatin1(deletionDate), Qt::ISODate).isValid())
            << deletionDate.toStdString();
        QDir(m_trash).removeRecursively();
    }
}

TEST_F(Trash, ASymbolicLinkGoesAsTheLinkAndItsTargetStays)
{
    ASSERT_TRUE(writeFile(m_work + u"/target"_s, "kept"));
    for (const QString &target : QStringList{m_work + u"/target"_s, m_work + u"/missing"_s}) {
        SCOPED_TRACE(target.toStdString());
        const QString link = m_work + u"/link"_s;
        ASSERT_TRUE(QFile::link(target, link));
        EXPECT_EQ(Platform::moveToTrash(link).outcome, TrashOutcome::Trashed);
        EXPECT_FALSE(QFileInfo(link).isSymLink());
        const QFileInfo trashed(m_trash + u"/files/link"_s);
        EXPECT_TRUE(trashed.isSymLink());
        EXPECT_EQ(trashed.symLinkTarget(), target);
        QDir(m_trash).removeRecursively();
    }
    EXPECT_EQ(readFile(m_work + u"/target"_s), "kept");
}

// What the namespace test below cannot make: an info/ that is a file.
TEST_F(Trash, ATrashThatCannotTakeTheFileFailsAndDiscardKeepsIt)
{
    const QString file = m_work + u"/doc"_s;
    ASSERT_TRUE(writeFile(file, "kept"));
    writeFile(m_trash + u"/info"_s, "x");
    const Platform::TrashResult result = Platform::moveToTrash(file);
    EXPECT_EQ(result.outcome, TrashOutcome::Failed);
    EXPECT_FALSE(result.error.isEmpty());
    QString error;
    EXPECT_FALSE(Platform::discardFile(file, &error));
    EXPECT_FALSE(error.isEmpty());
    EXPECT_EQ(readFile(file), "kept");
    EXPECT_EQ(folderEntries(m_trash + u"/files"_s), QStringList());
}

TEST_F(Trash, PathsThatNameNoFileFail)
{
    // An empty path must not be taken for the current folder.
    for (const QString &path : QStringList{QString(), m_work + u"/missing"_s}) {
        SCOPED_TRACE(path.toStdString());
        EXPECT_EQ(Platform::moveToTrash(path).outcome, TrashOutcome::Failed);
        QString error;
        EXPECT_FALSE(Platform::discardFile(path, &error));
        EXPECT_FALSE(error.isEmpty());
    }
}

TEST_F(Trash, ANameTooLongForTheTrashRecordIsDeletedByDiscard)
{
    const QString file = m_work + u'/' + QString(250, u'a');
    ASSERT_TRUE(writeFile(file, "x"));
    EXPECT_EQ(Platform::moveToTrash(file).outcome, TrashOutcome::NoTrash);
    EXPECT_TRUE(QFileInfo::exists(file));
    QString error;
    EXPECT_TRUE(Platform::discardFile(file, &error)) << error.toStdString();
    EXPECT_FALSE(QFileInfo::exists(file));
}

TEST_F(Trash, ARelativeHomeFailsWithoutMakingATrashInTheCurrentFolder)
{
    const QString file = m_work + u"/doc"_s;
    ASSERT_TRUE(writeFile(file, "kept"));
    for (const QString &setting : {u"HOME=rel"_s, u"XDG_DATA_HOME=rel"_s}) {
        SCOPED_TRACE(setting.toStdString());
        const QStringList lines = runScript(setting + u" \"$1\" trash \"$2\"; cat \"$2\""_s, {file});
        ASSERT_EQ(lines.size(), 2) << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines[0].startsWith(u"Failed: "_s)) << lines[0].toStdString();
        EXPECT_EQ(lines[1], u"kept"_s);
    }
}

// A real read-only folder and a real device without free inodes: a small tmpfs as the home, in a
// user and mount namespace (CI runs as root, and permission bits alone stop no write there).
TEST_F(Trash, AReadOnlyOrFullTrashFailsAndTheFileStays)
{
    if (!haveNamespaces())
        GTEST_SKIP() << "no user and mount namespaces here";
    ASSERT_TRUE(QDir().mkpath(m_mount));
    const std::pair<const char *, QString> cases[] = {
        {"info is read-only",
         u"mount --bind \"$T/info\" \"$T/info\" && mount -o remount,bind,ro \"$T/info\""_s},
        {"Trash is read-only and has no info/",
         u"rmdir \"$T/info\" \"$T/files\" && mount --bind \"$T\" \"$T\" && mount -o remount,bind,ro \"$T\""_s},
        {"no free inodes",
         u"i=0; while [ $i -lt 100 ] && touch \"$H/filler$i\" 2>/dev/null; do i=$((i+1)); done; [ $i -lt 100 ]"_s},
    };
    for (const auto &[what, fault] : cases) {
        SCOPED_TRACE(what);
        const QString script = u"H=$2; T=$H/.local/share/Trash\n"
                               "mount -t tmpfs -o size=1m,nr_inodes=32 tmpfs \"$H\" || exit\n"
                               "mkdir -p \"$T/info\" \"$T/files\" && echo kept >\"$H/doc\" || exit\n"_s +
                               fault +
                               u" || exit\n"
                               "HOME=$H \"$1\" trash \"$H/doc\"; cat \"$H/doc\"; ls -A \"$T/files\"\n"_s;
        const QStringList lines = runScript(script, {m_mount}, true);
        ASSERT_EQ(lines.size(), 2) << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines[0].startsWith(u"Failed: "_s)) << lines[0].toStdString();
        EXPECT_EQ(lines[1], u"kept"_s);
    }
}

// A file on a device of its own, whose mount GLib keeps no trash on: discard deletes it.
TEST_F(Trash, DiscardDeletesWhereThereIsNoTrash)
{
    if (!haveNamespaces())
        GTEST_SKIP() << "no user and mount namespaces here";
    ASSERT_TRUE(QDir().mkpath(m_mount));
    const QString script = u"H=$2; mount -t tmpfs tmpfs \"$H\" || exit\n"
                           "echo kept >\"$H/doc\"; \"$1\" trash \"$H/doc\"; cat \"$H/doc\"\n"
                           "\"$1\" discard \"$H/doc\"; ls -A \"$H\"\n"_s;
    const QStringList lines = runScript(script, {m_mount}, true);
    ASSERT_EQ(lines.size(), 3) << lines.join(u'\n').toStdString();
    EXPECT_TRUE(lines[0].startsWith(u"NoTrash: "_s)) << lines[0].toStdString();
    EXPECT_EQ(lines[1], u"kept"_s);
    EXPECT_EQ(lines[2], u"discarded"_s);
}

// The same files trashed through GLib into the desktop's trash and into a data folder of its own
// must leave the two trashes alike, the desktop's untouched by the other.
TEST_F(Trash, ADataFolderOfItsOwnGetsTheTrashGLibWouldMake)
{
    struct Case
    {
        const char *what;
        QStringList names;   // made in the work folder and trashed one after another
        QString linkTo;      // each a symbolic link to this, when set
        QStringList trashed; // in files/ afterwards
    };
    const QString target = m_work + u"/target"_s;
    const Case cases[] = {
        {"plain", {u"alpha.codesnippet"_s}, {}, {u"alpha.codesnippet"_s}},
        {"needs percent-encoding", {u"a b%é#?+;\n~.codesnippet"_s}, {}, {u"a b%é#?+;\n~.codesnippet"_s}},
        {"names taken again",
         {u"alpha.codesnippet"_s, u"alpha.codesnippet"_s, u"alpha.codesnippet"_s, u"noext"_s, u"noext"_s},
         {},
         {u"alpha.2.codesnippet"_s, u"alpha.3.codesnippet"_s, u"alpha.codesnippet"_s, u"noext"_s,
          u"noext.2"_s}},
        {"symbolic link", {u"link"_s}, target, {u"link"_s}},
        {"dangling link", {u"link"_s}, m_work + u"/missing"_s, {u"link"_s}},
    };
    ASSERT_TRUE(writeFile(target, "kept"));
    const QString dataHome = Platform::dataHomeOf(m_other);
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        const auto trashInto = [&](const QString &folder) {
            for (qsizetype i = 0; i < c.names.size(); ++i) {
                const QString path = m_work + u'/' + c.names[i];
                ASSERT_TRUE(c.linkTo.isEmpty() ? writeFile(path, QByteArray::number(i))
                                               : QFile::link(c.linkTo, path));
                const Platform::TrashResult result = Platform::moveToTrash(path, folder);
                EXPECT_EQ(result.outcome, TrashOutcome::Trashed) << result.error.toStdString();
                EXPECT_FALSE(QFileInfo(path).exists() || QFileInfo(path).isSymLink());
            }
        };
        ASSERT_TRUE(QDir().mkpath(m_other));
        trashInto(dataHome);
        EXPECT_FALSE(QFileInfo::exists(m_trash)) << "the desktop's trash was used";
        EXPECT_EQ(folderEntries(dataHome + u"/Trash/files"_s), c.trashed);
        for (const QString &folder : {u"/.local"_s, u"/.local/share"_s})
            EXPECT_EQ(mode(m_other + folder), u"700"_s) << folder.toStdString();
        trashInto({});
        EXPECT_EQ(describe(dataHome + u"/Trash"_s), describe(m_trash));
        EXPECT_EQ(readFile(target), "kept");
        QDir(m_trash).removeRecursively();
        QDir(m_other).removeRecursively();
    }
}

// Names taken in files/ without a record, or in info/ without a file, are passed over: what another
// program left half-done there is never written over (GLib would write over the file).
TEST_F(Trash, ADataFolderOfItsOwnPassesOverNamesTakenInEitherHalf)
{
    const QString dataHome = Platform::dataHomeOf(m_other);
    const QString trash = dataHome + u"/Trash"_s;
    ASSERT_TRUE(writeFile(trash + u"/files/alpha.codesnippet"_s, "old"));
    ASSERT_TRUE(writeFile(trash + u"/info/alpha.2.codesnippet.trashinfo"_s, "other"));
    ASSERT_TRUE(writeFile(m_work + u"/alpha.codesnippet"_s, "new"));
    EXPECT_EQ(Platform::moveToTrash(m_work + u"/alpha.codesnippet"_s, dataHome).outcome,
              TrashOutcome::Trashed);
    EXPECT_EQ(folderEntries(trash + u"/files"_s),
              QStringList({u"alpha.3.codesnippet"_s, u"alpha.codesnippet"_s}));
    EXPECT_EQ(folderEntries(trash + u"/info"_s),
              QStringList({u"alpha.2.codesnippet.trashinfo"_s, u"alpha.3.codesnippet.trashinfo"_s}));
    EXPECT_EQ(readFile(trash + u"/files/alpha.codesnippet"_s), "old");
    EXPECT_EQ(readFile(trash + u"/files/alpha.3.codesnippet"_s), "new");
    EXPECT_EQ(readFile(trash + u"/info/alpha.2.codesnippet.trashinfo"_s), "other");
}

// A data folder that cannot take the file keeps it where it was, and discard then keeps it too.
TEST_F(Trash, ADataFolderOfItsOwnThatCannotTakeTheFileKeepsIt)
{
    struct Case
    {
        const char *what;
        QString path;
        QString dataHome;
        QString fileInTrash; // a file made at this place below the data folder first, if any
        TrashOutcome outcome;
    };
    const QString doc = m_work + u"/doc"_s;
    const QString longName = m_work + u'/' + QString(250, u'a');
    const QString dataHome = Platform::dataHomeOf(m_other);
    const Case cases[] = {
        {"relative path", u"../work/doc"_s, dataHome, {}, TrashOutcome::Failed},
        {"relative data folder", doc, u"rel"_s, {}, TrashOutcome::Failed},
        {"data folder of no home", doc, Platform::dataHomeOf({}), {}, TrashOutcome::Failed},
        {"Trash is a file", doc, dataHome, u"/Trash"_s, TrashOutcome::Failed},
        {"files/ is a file", doc, dataHome, u"/Trash/files"_s, TrashOutcome::Failed},
        {"no such file", m_work + u"/missing"_s, dataHome, {}, TrashOutcome::Failed},
        {"no file named", {}, dataHome, {}, TrashOutcome::Failed},
        {"a name too long for its record", longName, dataHome, {}, TrashOutcome::NoTrash},
    };
    for (const Case &c : cases) {
        SCOPED_TRACE(c.what);
        ASSERT_TRUE(writeFile(doc, "kept"));
        ASSERT_TRUE(writeFile(longName, "kept"));
        if (!c.fileInTrash.isEmpty()) {
            ASSERT_TRUE(writeFile(dataHome + c.fileInTrash, "in the way"));
        }
        const Platform::TrashResult result = Platform::moveToTrash(c.path, c.dataHome);
        EXPECT_EQ(result.outcome, c.outcome) << result.error.toStdString();
        EXPECT_FALSE(result.error.isEmpty());
        QString error;
        EXPECT_FALSE(Platform::discardFile(c.path, &error, c.dataHome));
        EXPECT_FALSE(error.isEmpty());
        EXPECT_EQ(readFile(doc), "kept");
        EXPECT_EQ(readFile(longName), "kept");
        EXPECT_EQ(folderEntries(dataHome + u"/Trash/files"_s), QStringList());
        EXPECT_EQ(folderEntries(dataHome + u"/Trash/info"_s), QStringList());
        EXPECT_FALSE(QFileInfo::exists(m_trash)) << "the desktop's trash was used";
        QDir(m_other).removeRecursively();
    }
}

// A file that a rename cannot bring into the data folder's trash: on a device of its own (refused
// before any folder is made), or behind a second mount of the trash's device (refused by the rename,
// its record taken back).
TEST_F(Trash, ADataFolderOfItsOwnOnAnotherMountFailsAndTheFileStays)
{
    if (!haveNamespaces())
        GTEST_SKIP() << "no user and mount namespaces here";
    ASSERT_TRUE(QDir().mkpath(m_mount));
    ASSERT_TRUE(QDir().mkpath(m_work));
    const std::tuple<const char *, QString, QString> cases[] = {
        {"another device", u"mount -t tmpfs tmpfs \"$M\""_s, u"nothing made"_s},
        {"a bind mount", u"mount --bind \"$3\" \"$M\""_s, u"made"_s},
    };
    for (const auto &[what, mount, made] : cases) {
        SCOPED_TRACE(what);
        const QString script =
            u"M=$2; D=$4\n"_s + mount +
            u" || exit\n"
            "echo kept >\"$M/doc\"; \"$1\" trash \"$M/doc\" \"$D\"; \"$1\" discard \"$M/doc\" \"$D\"\n"
            "cat \"$M/doc\"; find \"$D\" -type f 2>/dev/null\n"
            "[ -e \"$D\" ] && echo made || echo nothing made\n"_s;
        const QStringList lines = runScript(script, {m_mount, m_work, Platform::dataHomeOf(m_other)}, true);
        ASSERT_EQ(lines.size(), 4) << lines.join(u'\n').toStdString();
        EXPECT_TRUE(lines[0].startsWith(u"Failed: "_s) && lines[0].contains(u"another device"_s))
            << lines[0].toStdString();
        EXPECT_TRUE(lines[1].startsWith(u"kept: "_s)) << lines[1].toStdString();
        EXPECT_EQ(lines[2], u"kept"_s);
        EXPECT_EQ(lines[3], made);
        QDir(m_other).removeRecursively();
    }
}

} // namespace
