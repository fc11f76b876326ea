// glimmerpad-bench: what loading, searching, saving and redrawing cost on a synthetic installation,
// next to the floor for the same files (listing, reading and parsing them with libplist, nothing else).
//
//   glimmerpad-bench [--fixture=DIR] [--filter-fixture=DIR] [--batch-fixture=DIR] [--system=N] [--user=M]
//                    [--filter-system=K] [--batch-system=B] [Google Benchmark flags]
//
// DIR is a folder written by glimmerpad-fixture. Without one, fixtures of the given sizes (100 system
// snippets and 200 user files, 1,000 system snippets for the search, 1,000 system snippets and 50
// user files for the batches) are written to a temporary folder. The batches change the batch
// fixture and put it back after each iteration; what they revert goes to a trash of their own.
#include "app/snippetitemdelegate.h"
#include "app/snippetlistmodel.h"
#include "bench/fixture.h"
#include "catalogue/limits.h"
#include "catalogue/paths.h"
#include "catalogue/propertylist.h"
#include "catalogue/snippetcatalogue.h"
#include "catalogue/overridefile.h"
#include "catalogue/xcodeinstallation.h"
#include "platform/trash.h"

#include <QApplication>
#include <QDir>
#include <QEvent>
#include <QFile>
#include <QHash>
#include <QListView>
#include <QTemporaryDir>
#include <QThread>

#include <benchmark/benchmark.h>
#include <plist/plist.h>

#include <algorithm>
#include <chrono>
#include <cstdio>
#include <cstring>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

#include <dirent.h>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

using namespace Glimmerpad;

namespace {

struct Installation
{
    QString root;
    QString xcode;
    QString home;
    QString userFolder;
    int systemSnippets = 0;
    int userFiles = 0;

    static Installation at(const QString &root)
    {
        return {root, Bench::fixtureXcodePath(root), Bench::fixtureHome(root),
                Bench::fixtureUserFolder(root)};
    }
    // Every path the load reads, in the encoding the system calls take.
    std::string infoPlist() const
    {
        return QFile::encodeName(appendPathComponent(xcode, QLatin1StringView(Xcode::kInfoPlistComponent)))
            .toStdString();
    }
    std::string library() const
    {
        return QFile::encodeName(
                   appendPathComponent(xcode, QLatin1StringView(Xcode::kIdeKitLibraryComponent)))
            .toStdString();
    }
    std::string folder() const { return QFile::encodeName(userFolder).toStdString(); }
};

Installation g_load;   // N system snippets, M user files
Installation g_filter; // many system snippets, for the search
Installation g_batch;  // many system snippets and a few user files, changed many at a time
QString g_trash;       // the batches' own data folder, whose Trash is emptied after each iteration

void addSizeCounters(benchmark::State &state, const Installation &installation)
{
    state.counters["system"] = installation.systemSnippets;
    state.counters["user"] = installation.userFiles;
}

// ---- the floor ----------------------------------------------------------------------------

// Which parser the floor uses: libplist alone, or the catalogue's parsePropertyList with its
// checks on nesting and shape, which tells how much of the load those checks take.
enum class Parser
{
    Libplist,
    Checked
};

// Reads a whole file with the bare system calls and parses it; the tree is freed at once.
bool parseFileBare(const char *path, std::vector<char> &buffer, Parser parser = Parser::Libplist)
{
    const int fd = ::open(path, O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return false;
    struct stat info
    {};
    if (::fstat(fd, &info) != 0 || !S_ISREG(info.st_mode)) {
        ::close(fd);
        return false;
    }
    buffer.resize(static_cast<std::size_t>(info.st_size));
    std::size_t got = 0;
    while (got < buffer.size()) {
        const ssize_t n = ::read(fd, buffer.data() + got, buffer.size() - got);
        if (n <= 0)
            break;
        got += static_cast<std::size_t>(n);
    }
    ::close(fd);
    if (parser == Parser::Checked)
        return parsePropertyList(QByteArrayView(buffer.data(), static_cast<qsizetype>(got))) != nullptr;
    plist_t root = nullptr;
    plist_from_memory(buffer.data(), static_cast<uint32_t>(got), &root);
    const bool parsed = root != nullptr;
    plist_free(root);
    return parsed;
}

int parseFolderBare(const std::string &folder, std::vector<char> &buffer, Parser parser = Parser::Libplist)
{
    int parsed = 0;
    DIR *dir = ::opendir(folder.c_str());
    if (!dir)
        return 0;
    std::string path = folder + '/';
    const std::size_t stem = path.size();
    while (const dirent *entry = ::readdir(dir)) {
        const std::string_view name(entry->d_name);
        if (!name.ends_with(".codesnippet"))
            continue;
        path.resize(stem);
        path += name;
        parsed += parseFileBare(path.c_str(), buffer, parser) ? 1 : 0;
    }
    ::closedir(dir);
    return parsed;
}

void floorSystem(benchmark::State &state)
{
    const std::string info = g_load.infoPlist(), library = g_load.library();
    std::vector<char> buffer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseFileBare(info.c_str(), buffer));
        benchmark::DoNotOptimize(parseFileBare(library.c_str(), buffer));
    }
    addSizeCounters(state, g_load);
}

void floorUserFolder(benchmark::State &state)
{
    const std::string folder = g_load.folder();
    std::vector<char> buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(parseFolderBare(folder, buffer));
    addSizeCounters(state, g_load);
}

void floorUserFolderChecked(benchmark::State &state)
{
    const std::string folder = g_load.folder();
    std::vector<char> buffer;
    for (auto _ : state)
        benchmark::DoNotOptimize(parseFolderBare(folder, buffer, Parser::Checked));
    addSizeCounters(state, g_load);
}

void floorAll(benchmark::State &state)
{
    const std::string info = g_load.infoPlist(), library = g_load.library(), folder = g_load.folder();
    std::vector<char> buffer;
    for (auto _ : state) {
        benchmark::DoNotOptimize(parseFileBare(info.c_str(), buffer));
        benchmark::DoNotOptimize(parseFileBare(library.c_str(), buffer));
        benchmark::DoNotOptimize(parseFolderBare(folder, buffer));
    }
    addSizeCounters(state, g_load);
}

// ---- the catalogue ------------------------------------------------------------------------

// The whole load as glimmerpad-cli does it: version, system library beside the user folder, into
// the arrays and indexes (and freed again).
void loadCatalogue(benchmark::State &state)
{
    for (auto _ : state) {
        SnippetCatalogue catalogue(g_load.home);
        catalogue.parseCodeSnippets(g_load.xcode);
        benchmark::DoNotOptimize(catalogue.rowCount());
    }
    addSizeCounters(state, g_load);
}

void loadSystem(benchmark::State &state)
{
    for (auto _ : state) {
        SnippetCatalogue catalogue(g_load.home);
        catalogue.parseSystemCodeSnippets(g_load.xcode);
        benchmark::DoNotOptimize(catalogue.rowCount());
    }
    addSizeCounters(state, g_load);
}

// The user folder again, as after every change; the previous contents are dropped in the loop.
void loadUserFolder(benchmark::State &state)
{
    SnippetCatalogue catalogue(g_load.home);
    catalogue.parseSystemCodeSnippets(g_load.xcode);
    for (auto _ : state) {
        catalogue.parseUserCodeSnippets();
        benchmark::DoNotOptimize(catalogue.userCodeSnippets().size());
    }
    addSizeCounters(state, g_load);
}

// One override written (its completion shortcut switched off and on in turn): the folder looked at
// under the lock, the file written and flushed to the disk.
void saveRoundTrip(benchmark::State &state)
{
    SnippetCatalogue catalogue(g_load.home);
    catalogue.parseSystemCodeSnippets(g_load.xcode);
    catalogue.parseUserCodeSnippets();
    // A row that already has an override, so the folder keeps its size; its file comes back as it was.
    qsizetype row = 0;
    while (row < catalogue.rowCount() && !catalogue.hasOverride(catalogue.recordAtRow(row).identifier()))
        ++row;
    if (row == catalogue.rowCount()) {
        state.SkipWithError("the fixture has no override");
        return;
    }
    const QString path = catalogue.stateOf(catalogue.recordAtRow(row)).snapshot.path;
    QFile original(path);
    original.open(QIODevice::ReadOnly);
    const QByteArray bytes = original.readAll();
    original.close();

    bool disable = true;
    for (auto _ : state) {
        const ChangeResult result = catalogue.overrideSystemCodeSnippetAtIndex(row, disable, std::nullopt);
        if (!result.succeeded()) {
            state.SkipWithError(result.reason.toStdString().c_str());
            break;
        }
        disable = !disable;
    }
    QFile restore(path);
    if (!restore.open(QIODevice::WriteOnly | QIODevice::Truncate) || restore.write(bytes) != bytes.size())
        std::fprintf(stderr, "could not restore %s\n", qPrintable(path));
    addSizeCounters(state, g_load);
}

// ---- many snippets at once ---------------------------------------------------------------

// The user folder's files as they were, put back after each iteration of a batch. What the batch
// made is moved aside rather than deleted until the benchmark ends: a file system slows down at
// making files while it holds many it has just freed, and the batches would measure that rather
// than themselves (a user changes many snippets once, not hundreds of times a minute).
class FolderSnapshot
{
public:
    explicit FolderSnapshot(const QString &folder) : m_folder(folder)
    {
        for (const QString &name : QDir(folder).entryList(QDir::Files | QDir::Hidden)) {
            QFile file(m_folder + u'/' + name);
            if (file.open(QIODevice::ReadOnly))
                m_files.insert(name, file.readAll());
        }
    }
    void restore() const
    {
        static int restores = 0;
        const QString aside = g_trash + QStringLiteral("/aside/%1").arg(++restores);
        QDir().mkpath(aside);
        for (const QString &name : QDir(m_folder).entryList(QDir::Files | QDir::Hidden)) {
            if (!m_files.contains(name))
                QFile::rename(m_folder + u'/' + name, aside + u'/' + name);
        }
        for (auto it = m_files.cbegin(); it != m_files.cend(); ++it) {
            QFile file(m_folder + u'/' + it.key());
            if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(it.value()) != it.value().size())
                std::fprintf(stderr, "could not restore %s\n", qPrintable(file.fileName()));
        }
        QDir().rename(g_trash + QStringLiteral("/Trash"), aside + QStringLiteral("/Trash"));
    }

private:
    QString m_folder;
    QHash<QString, QByteArray> m_files;
};

// The overrides the batch writes: the first count system snippets switched off, as files.
std::vector<std::pair<std::string, QByteArray>> overrideFiles(qsizetype count)
{
    SnippetCatalogue catalogue(g_batch.home);
    catalogue.parseSystemCodeSnippets(g_batch.xcode);
    std::vector<std::pair<std::string, QByteArray>> files;
    for (qsizetype i = 0; i < count && i < catalogue.systemCodeSnippets().size(); ++i) {
        const SnippetRecord &system = catalogue.systemCodeSnippets()[i];
        const OverrideFile::Encoded encoded = OverrideFile::encode(OverrideFile::dictionary(system, true, {}).get());
        files.emplace_back(QFile::encodeName(g_batch.userFolder + u'/' + *system.identifier() + u".codesnippet")
                               .toStdString(),
                           encoded.record.sourceBytes());
    }
    return files;
}

void writeFile(const std::string &path, const QByteArray &bytes)
{
    QFile file(QFile::decodeName(path.c_str()));
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate) || file.write(bytes) != bytes.size())
        std::fprintf(stderr, "could not write %s\n", path.c_str());
}

// Writes bytes to path as a safe save does: a temporary file, flushed to the disk, renamed over.
void writeFlushedFile(const std::string &path, const QByteArray &bytes)
{
    const std::string temporary = path + ".tmp";
    const int fd = ::open(temporary.c_str(), O_WRONLY | O_CREAT | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0 || ::write(fd, bytes.constData(), static_cast<std::size_t>(bytes.size())) != bytes.size() ||
        ::fsync(fd) != 0 || ::close(fd) != 0 || ::rename(temporary.c_str(), path.c_str()) != 0)
        std::fprintf(stderr, "could not write %s\n", path.c_str());
}

void loadFloor(const Installation &installation, std::vector<char> &buffer)
{
    benchmark::DoNotOptimize(parseFileBare(installation.infoPlist().c_str(), buffer));
    benchmark::DoNotOptimize(parseFileBare(installation.library().c_str(), buffer));
    benchmark::DoNotOptimize(parseFolderBare(installation.folder(), buffer));
}

// The floor of any safe batch of overrides: the installation loaded once, then every override
// written through a temporary file that is flushed to the disk and renamed.
void floorBatchOverride(benchmark::State &state)
{
    const auto files = overrideFiles(state.range(0));
    const FolderSnapshot original(g_batch.userFolder);
    std::vector<char> buffer;
    for (auto _ : state) {
        loadFloor(g_batch, buffer);
        for (const auto &[path, bytes] : files)
            writeFlushedFile(path, bytes);
        state.PauseTiming();
        original.restore();
        state.ResumeTiming();
    }
    addSizeCounters(state, g_batch);
}

// The floor of a safe batch of reverts: the load, then for each override the trash's own work, a
// record of where it came from written and flushed to the disk, and the file moved in.
void floorBatchRevert(benchmark::State &state)
{
    const auto files = overrideFiles(state.range(0));
    const FolderSnapshot original(g_batch.userFolder);
    const std::string trash = QFile::encodeName(g_trash + QStringLiteral("/Trash")).toStdString();
    std::vector<char> buffer;
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto &[path, bytes] : files)
            writeFile(path, bytes);
        QDir().mkpath(g_trash + QStringLiteral("/Trash/files"));
        QDir().mkpath(g_trash + QStringLiteral("/Trash/info"));
        state.ResumeTiming();
        loadFloor(g_batch, buffer);
        for (const auto &[path, bytes] : files) {
            const std::string name = path.substr(path.rfind('/') + 1);
            writeFlushedFile(trash + "/info/" + name + ".trashinfo",
                             "[Trash Info]\nPath=" + QByteArray::fromStdString(path) + "\nDeletionDate=2026-01-01T00:00:00\n");
            if (::rename(path.c_str(), (trash + "/files/" + name).c_str()) != 0)
                std::fprintf(stderr, "could not move %s\n", path.c_str());
        }
        state.PauseTiming();
        original.restore();
        state.ResumeTiming();
    }
    addSizeCounters(state, g_batch);
}

// What glimmerpad-cli does for the first N system snippets: load, then one batch of changes;
// reverted files go to the desktop's trash, as the programs send them.
void loadAndChange(benchmark::State &state, SnippetChange (*change)(const SnippetRecord &system))
{
    SnippetCatalogue catalogue(g_batch.home);
    catalogue.store().setFileDisposer(
        [](const QString &path, QString *error) { return Platform::discardFile(path, error); });
    catalogue.parseCodeSnippets(g_batch.xcode);
    QList<SnippetChange> changes;
    for (qsizetype i = 0; i < state.range(0) && i < catalogue.systemCodeSnippets().size(); ++i)
        changes.append(change(catalogue.systemCodeSnippets()[i]));
    for (const ChangeResult &result : catalogue.apply(changes)) {
        if (!result.succeeded())
            state.SkipWithError(result.reason.toStdString().c_str());
    }
}

// glimmerpad-cli disable.
void batchOverride(benchmark::State &state)
{
    const FolderSnapshot original(g_batch.userFolder);
    for (auto _ : state) {
        loadAndChange(state, [](const SnippetRecord &system) { return SnippetChange::switchShortcut(system, true); });
        state.PauseTiming();
        original.restore();
        state.ResumeTiming();
    }
    addSizeCounters(state, g_batch);
}

// glimmerpad-cli revert, every snippet overridden.
void batchRevert(benchmark::State &state)
{
    const auto files = overrideFiles(state.range(0));
    const FolderSnapshot original(g_batch.userFolder);
    for (auto _ : state) {
        state.PauseTiming();
        for (const auto &[path, bytes] : files)
            writeFile(path, bytes);
        state.ResumeTiming();
        loadAndChange(state, [](const SnippetRecord &system) { return SnippetChange::revert(system); });
        state.PauseTiming();
        original.restore();
        state.ResumeTiming();
    }
    addSizeCounters(state, g_batch);
}

// ---- the search ---------------------------------------------------------------------------

// What typing a few words into the search field asks of the catalogue, one keystroke at a time;
// the empty strings are the field being cleared.
const QStringList &keystrokes()
{
    static const QStringList strokes = [] {
        QStringList all;
        for (const QString &word :
             {QStringLiteral("queue"), QStringLiteral("Délégué"), QStringLiteral("for each"),
              QStringLiteral("zzz"), QStringLiteral("Block"), QStringLiteral("ß")}) {
            for (qsizetype n = 1; n <= word.size(); ++n)
                all.append(word.first(n));
            all.append(QString());
        }
        return all;
    }();
    return strokes;
}

void filterKeystroke(benchmark::State &state, const Installation *installation)
{
    SnippetCatalogue catalogue(installation->home);
    catalogue.parseSystemCodeSnippets(installation->xcode);
    catalogue.parseUserCodeSnippets();
    catalogue.filterSystemCodeSnippets(QStringLiteral("warm")); // the first search prepares its keys

    const QStringList &strokes = keystrokes();
    std::vector<double> microseconds;
    qsizetype next = 0;
    for (auto _ : state) {
        const auto start = std::chrono::steady_clock::now();
        catalogue.filterSystemCodeSnippets(strokes[next]);
        benchmark::DoNotOptimize(catalogue.rowCount());
        microseconds.push_back(
            std::chrono::duration<double, std::micro>(std::chrono::steady_clock::now() - start).count());
        next = (next + 1) % strokes.size();
    }
    if (!microseconds.empty()) {
        std::sort(microseconds.begin(), microseconds.end());
        state.counters["median_us"] = microseconds[microseconds.size() / 2];
        state.counters["p90_us"] = microseconds[microseconds.size() * 9 / 10];
    }
    addSizeCounters(state, *installation);
}

// The first keystroke after a load, which also prepares the search keys.
void filterFirstKeystroke(benchmark::State &state, const Installation *installation)
{
    SnippetCatalogue catalogue(installation->home);
    for (auto _ : state) {
        state.PauseTiming();
        catalogue.parseSystemCodeSnippets(installation->xcode);
        state.ResumeTiming();
        catalogue.filterSystemCodeSnippets(QStringLiteral("q"));
        benchmark::DoNotOptimize(catalogue.rowCount());
    }
    addSizeCounters(state, *installation);
}

// ---- the list -----------------------------------------------------------------------------

// The list as the window shows it: the program's model and row delegate in a list view of the
// main window's default size, drawn offscreen.
struct ListUnderTest
{
    SnippetCatalogue catalogue{g_load.home};
    SnippetListModel model{catalogue};
    QListView view;

    ListUnderTest()
    {
        catalogue.parseSystemCodeSnippets(g_load.xcode);
        catalogue.parseUserCodeSnippets();
        view.setUniformItemSizes(true);
        view.setFrameShape(QFrame::NoFrame);
        view.setHorizontalScrollBarPolicy(Qt::ScrollBarAlwaysOff);
        view.setResizeMode(QListView::Adjust);
        view.setModel(&model);
        view.setItemDelegate(new SnippetItemDelegate(&view));
        view.resize(540, 620);
        view.show();
        QApplication::processEvents();
    }

    QList<QModelIndex> visibleRows() const
    {
        QList<QModelIndex> rows;
        for (int y = 0; y < view.viewport()->height(); y += SnippetItemDelegate::kRowHeight) {
            const QModelIndex index = view.indexAt(QPoint(1, y));
            if (index.isValid())
                rows.append(index);
        }
        return rows;
    }
};

std::unique_ptr<ListUnderTest> g_list; // made on first use, gone before the application

ListUnderTest &list()
{
    if (!g_list)
        g_list = std::make_unique<ListUnderTest>();
    return *g_list;
}

// A reset and what the row delegate asks of every visible row.
void listReloadModel(benchmark::State &state)
{
    ListUnderTest &l = list();
    for (auto _ : state) {
        l.model.reloadData();
        for (const QModelIndex &index : l.visibleRows()) {
            benchmark::DoNotOptimize(index.data(SnippetListModel::OpacityRole));
            benchmark::DoNotOptimize(index.data(Qt::DecorationRole));
            benchmark::DoNotOptimize(index.data(SnippetListModel::AttributedTextRole));
        }
    }
    state.counters["rows"] = static_cast<double>(l.visibleRows().size());
    addSizeCounters(state, g_load);
}

// Counts the paint events a widget receives, to show that a redraw really happened.
class PaintCounter final : public QObject
{
public:
    int paints = 0;

protected:
    bool eventFilter(QObject *watched, QEvent *event) override
    {
        paints += event->type() == QEvent::Paint ? 1 : 0;
        return QObject::eventFilter(watched, event);
    }
};

// A reset, the layout and the view drawing its visible rows, as after a keystroke.
void listReloadView(benchmark::State &state)
{
    ListUnderTest &l = list();
    PaintCounter counter;
    l.view.viewport()->installEventFilter(&counter);
    for (auto _ : state) {
        l.model.reloadData();
        l.view.doItemsLayout(); // what the view's delayed layout does before it paints
        l.view.viewport()->repaint();
    }
    l.view.viewport()->removeEventFilter(&counter);
    state.counters["rows"] = static_cast<double>(l.visibleRows().size());
    state.counters["paints"] = benchmark::Counter(counter.paints, benchmark::Counter::kAvgIterations);
    addSizeCounters(state, g_load);
}

// ---- set-up -------------------------------------------------------------------------------

bool takeOption(std::string_view arg, std::string_view name, QString *value)
{
    if (!arg.starts_with(name) || arg.size() <= name.size() || arg[name.size()] != '=')
        return false;
    *value = QString::fromLocal8Bit(arg.substr(name.size() + 1));
    return true;
}

bool prepare(Installation &installation, const QString &given, const QString &scratch, int systemSnippets,
             int userFiles)
{
    QString root = given;
    if (root.isEmpty()) {
        root = scratch;
        QString error;
        if (!Bench::writeFixture(root, {systemSnippets, userFiles, 1}, &error)) {
            std::fprintf(stderr, "glimmerpad-bench: %s\n", qPrintable(error));
            return false;
        }
    }
    installation = Installation::at(root);
    SnippetCatalogue catalogue(installation.home);
    catalogue.parseSystemCodeSnippets(installation.xcode);
    catalogue.parseUserCodeSnippets();
    installation.systemSnippets = static_cast<int>(catalogue.systemCodeSnippets().size());
    installation.userFiles = static_cast<int>(catalogue.userCodeSnippets().size());
    if (installation.systemSnippets == 0) {
        std::fprintf(stderr, "glimmerpad-bench: no system snippets in %s\n", qPrintable(root));
        return false;
    }
    return true;
}

// The fixture read on every core and on one: the same rows, governing files and bytes, or the
// figures would compare different work.
bool loadsAlikeOnEveryThreadCount(const Installation &installation)
{
    const auto load = [&](int threads) {
        SnippetCatalogue catalogue(installation.home);
        catalogue.store().setLoaderThreadCount(threads);
        catalogue.parseSystemCodeSnippets(installation.xcode);
        catalogue.parseUserCodeSnippets();
        return catalogue;
    };
    const SnippetCatalogue one = load(1), many = load(QThread::idealThreadCount());
    const auto paths = [](const SnippetCatalogue &catalogue) {
        QStringList list;
        for (const StoredFile &file : catalogue.userFiles())
            list.append(file.path);
        return list;
    };
    bool alike = paths(one) == paths(many) && one.userCodeSnippetIdentifiers() == many.userCodeSnippetIdentifiers();
    for (qsizetype i = 0; alike && i < one.userCodeSnippets().size(); ++i)
        alike = one.userCodeSnippets()[i].sourceBytes() == many.userCodeSnippets()[i].sourceBytes();
    if (!alike)
        std::fprintf(stderr, "bench: the fixture loads differently on one thread and on several\n");
    return alike;
}


// ---- hostile XML --------------------------------------------------------------------------

// Files that made libplist's XML reader slow or large, each read as a user snippet file's tree (the
// heavier of the reader's two ways): read or refused, in time linear in its size.
QByteArray plistOf(const QByteArray &root)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n<plist version=\"1.0\">\n" + root + "\n</plist>\n";
}

// libplist's dictionary hash: djb2 of the key, 4,096 buckets.
unsigned libplistBucket(std::string_view key)
{
    unsigned hash = 5381;
    for (const char c : key)
        hash = hash * 33 + static_cast<unsigned>(static_cast<int>(c));
    return hash & 0xFFF;
}

QByteArray hostileXml(const std::string &which)
{
    if (which == "entities_400000")
        return plistOf("<dict><key>IDECodeSnippetIdentifier</key><string>hostile</string>"
                       "<key>IDECodeSnippetContents</key><string>" + QByteArray("&amp;").repeated(400000) +
                       "</string></dict>");
    if (which == "keys_400000" || which == "colliding_keys") {
        QByteArray root = "<dict>";
        if (which == "keys_400000") {
            for (int i = 0; i < 400000; ++i)
                root += "<key>k" + QByteArray::number(i) + "</key><string>v</string>";
        } else { // keys that all fall into one bucket of libplist's table, more than the reader takes
            char key[] = "k00000000";
            for (quint32 i = 0, found = 0; found < 5000; ++i) {
                for (int digit = 0; digit < 8; ++digit)
                    key[8 - digit] = "0123456789abcdef"[(i >> (4 * digit)) & 0xF];
                if (libplistBucket(key) == 0 && ++found)
                    root += "<key>" + QByteArray(key) + "</key><true/>";
            }
        }
        return plistOf(root + "</dict>");
    }
    if (which == "empty_strings_16MiB") {
        const qsizetype count = (Limits::kMaxUserSnippetFileBytes - 100) / 9;
        return plistOf("<array>" + QByteArray("<string/>").repeated(count) + "</array>");
    }
    // nested_200000
    return plistOf(QByteArray("<array>").repeated(200000) + QByteArray("</array>").repeated(200000));
}

void readHostileXml(benchmark::State &state, const std::string &which)
{
    const QByteArray bytes = hostileXml(which);
    QString refusal;
    for (auto _ : state) {
        refusal.clear();
        benchmark::DoNotOptimize(parsePropertyList(bytes, &refusal));
    }
    state.counters["bytes"] = static_cast<double>(bytes.size());
    state.SetLabel(refusal.isEmpty() ? "read" : "refused: " + refusal.left(60).toStdString());
}

} // namespace

int main(int argc, char *argv[])
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");

    QString loadRoot, filterRoot, batchRoot, system = QStringLiteral("100"), user = QStringLiteral("200"),
                                             filterSystem = QStringLiteral("1000"), batchSystem = QStringLiteral("1000");
    std::vector<char *> rest{argv[0]};
    for (int i = 1; i < argc; ++i) {
        const std::string_view arg(argv[i]);
        if (!takeOption(arg, "--fixture", &loadRoot) && !takeOption(arg, "--filter-fixture", &filterRoot) &&
            !takeOption(arg, "--batch-fixture", &batchRoot) && !takeOption(arg, "--system", &system) &&
            !takeOption(arg, "--user", &user) && !takeOption(arg, "--filter-system", &filterSystem) &&
            !takeOption(arg, "--batch-system", &batchSystem)) {
            rest.push_back(argv[i]);
        }
    }
    int restCount = static_cast<int>(rest.size());
    rest.push_back(nullptr);

    // What the batches revert goes to a trash of their own, never the invoking user's: set before
    // GLib first reads where the data folder is.
    QTemporaryDir trash;
    g_trash = trash.path();
    qputenv("XDG_DATA_HOME", QFile::encodeName(g_trash));

    int appArgc = 1;
    QApplication app(appArgc, argv);
    benchmark::Initialize(&restCount, rest.data());
    if (benchmark::ReportUnrecognizedArguments(restCount, rest.data()))
        return 2;

    QTemporaryDir scratch;
    if (!prepare(g_load, loadRoot, scratch.filePath(QStringLiteral("load")), system.toInt(), user.toInt()) ||
        !prepare(g_filter, filterRoot, scratch.filePath(QStringLiteral("filter")), filterSystem.toInt(), 0) ||
        !prepare(g_batch, batchRoot, scratch.filePath(QStringLiteral("batch")), batchSystem.toInt(), 50)) {
        return 1;
    }
    if (!loadsAlikeOnEveryThreadCount(g_load))
        return 1;
    benchmark::AddCustomContext("loader threads", std::to_string(QThread::idealThreadCount()));
    benchmark::AddCustomContext("load fixture",
                                QString::number(g_load.systemSnippets).toStdString() + " system snippets, " +
                                    QString::number(g_load.userFiles).toStdString() + " user files");
    benchmark::AddCustomContext("filter fixture",
                                QString::number(g_filter.systemSnippets).toStdString() + " system snippets");

    const auto ms = benchmark::kMillisecond;
    benchmark::RegisterBenchmark("load/catalogue", loadCatalogue)->Unit(ms);
    benchmark::RegisterBenchmark("floor/all", floorAll)->Unit(ms);
    benchmark::RegisterBenchmark("load/system", loadSystem)->Unit(ms);
    benchmark::RegisterBenchmark("floor/system", floorSystem)->Unit(ms);
    benchmark::RegisterBenchmark("load/user_folder", loadUserFolder)->Unit(ms);
    benchmark::RegisterBenchmark("floor/user_folder", floorUserFolder)->Unit(ms);
    benchmark::RegisterBenchmark("floor/user_folder_checked", floorUserFolderChecked)->Unit(ms);
    for (const Installation *installation : {&g_load, &g_filter}) {
        const std::string size = std::to_string(installation->systemSnippets);
        benchmark::RegisterBenchmark(("filter/keystroke/" + size).c_str(), filterKeystroke, installation)
            ->Unit(benchmark::kMicrosecond);
        benchmark::RegisterBenchmark(("filter/first_keystroke/" + size).c_str(), filterFirstKeystroke,
                                     installation)
            ->Unit(benchmark::kMicrosecond);
    }
    benchmark::RegisterBenchmark("save/round_trip", saveRoundTrip)->Unit(ms);
    benchmark::AddCustomContext("batch fixture",
                                QString::number(g_batch.systemSnippets).toStdString() + " system snippets, " +
                                    QString::number(g_batch.userFiles).toStdString() + " user files");
    // A tenth of the library and all of it: the cost per snippet stays the same.
    for (const qsizetype count : {qsizetype(g_batch.systemSnippets / 10), qsizetype(g_batch.systemSnippets)}) {
        benchmark::RegisterBenchmark("batch/override", batchOverride)->Arg(count)->Unit(ms);
        benchmark::RegisterBenchmark("floor/batch_override", floorBatchOverride)->Arg(count)->Unit(ms);
        benchmark::RegisterBenchmark("batch/revert", batchRevert)->Arg(count)->Unit(ms);
        benchmark::RegisterBenchmark("floor/batch_revert", floorBatchRevert)->Arg(count)->Unit(ms);
    }
    benchmark::RegisterBenchmark("list/reload_model", listReloadModel)->Unit(benchmark::kMicrosecond);
    benchmark::RegisterBenchmark("list/reload_view", listReloadView)->Unit(benchmark::kMicrosecond);

    for (const char *which : {"entities_400000", "keys_400000", "colliding_keys", "empty_strings_16MiB", "nested_200000"})
        benchmark::RegisterBenchmark((std::string("hostile/") + which).c_str(), readHostileXml, std::string(which))->Unit(ms);

    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    g_list.reset();
    return 0;
}
