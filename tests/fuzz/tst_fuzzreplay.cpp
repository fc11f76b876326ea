// Every fuzz corpus input and every kept crash through the fuzz targets' code, without libFuzzer.
#include "catalogue/snippetcatalogue.h"
#include "fuzztargets.h"
#include "testsupport.h"

#include <QDirIterator>

#include <gtest/gtest.h>

#include <functional>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;

namespace {

QStringList s_broken;

TEST(FuzzReplay, EveryCorpusAndRegressionInputKeepsThePromises)
{
    const std::pair<QString, void (*)(QByteArrayView)> targets[] = {
        {QStringLiteral("user_snippet"), &Fuzz::userSnippetFile},
        {QStringLiteral("system_library"), &Fuzz::systemLibrary},
        {QStringLiteral("syntax"), &Fuzz::syntaxHighlighting},
        {QStringLiteral("xml_reader"), &Fuzz::xmlPropertyList}};
    const MessageCapture log; // the inputs are made to provoke warnings
    Fuzz::setFailureHandler([](const char *what) { s_broken.append(QString::fromUtf8(what)); });
    int replayed = 0;
    for (const auto &[name, target] : targets) {
        int inputs = 0;
        for (const QString &folder : {QStringLiteral("/corpus/"), QStringLiteral("/regressions/")}) {
            QDirIterator it(QStringLiteral(GLIMMERPAD_FUZZ_DIR) + folder + name, QDir::Files);
            while (it.hasNext()) {
                const QString path = it.next();
                s_broken.clear();
                target(readFile(path));
                EXPECT_TRUE(s_broken.isEmpty())
                    << path.toStdString() << ": " << s_broken.join(u"; ").toStdString();
                ++inputs;
            }
        }
        EXPECT_GT(inputs, 0) << "no inputs for " << name.toStdString();
        replayed += inputs;
    }
    Fuzz::setFailureHandler(nullptr);
    RecordProperty("replayed", replayed);
}

// Every user snippet input of the corpus and the regressions in one folder, read one file after
// another after the library, and on several threads beside the library: the same records from the
// same files, the same log lines in the same order, the library's first.
TEST(FuzzReplay, ReadingOnManyThreadsGivesTheCatalogueOfOneThread)
{
    Fixture fx;
    int n = 0;
    for (const QString &folder : {QStringLiteral("/corpus/"), QStringLiteral("/regressions/")}) {
        QDirIterator it(QStringLiteral(GLIMMERPAD_FUZZ_DIR) + folder + u"user_snippet"_qs, QDir::Files);
        while (it.hasNext())
            fx.writeUserFile(u"%1.codesnippet"_qs.arg(n++, 4, 10, QLatin1Char('0')), readFile(it.next()));
    }
    const auto load = [&](int threads, QStringList &logged) {
        const MessageCapture log;
        SnippetCatalogue catalogue(fx.home());
        catalogue.store().setLoaderThreadCount(threads);
        if (threads == 1) {
            catalogue.parseSystemCodeSnippets(fx.xcodePath());
            catalogue.parseUserCodeSnippets();
        } else {
            catalogue.parseCodeSnippets(fx.xcodePath());
        }
        logged = log.messages();
        return catalogue;
    };
    const std::pair<const char *, std::function<void()>> libraries[] = {
        {"a library", [&] { fx.install({{.identifier = u"alpha"_qs}}); }},
        {"a library refused with a warning", [&] { fx.writeLibrary(QByteArray("<plist>\0</plist>", 16)); }},
    };
    for (const auto &[what, install] : libraries) {
        install();
        QStringList oneLog, manyLog;
        const SnippetCatalogue one = load(1, oneLog), many = load(4, manyLog);
        ASSERT_GT(one.userCodeSnippets().size(), 0) << what;
        EXPECT_EQ(many.systemCodeSnippets().size(), one.systemCodeSnippets().size()) << what;
        EXPECT_EQ(many.systemCodeSnippetsPath(), one.systemCodeSnippetsPath()) << what;
        EXPECT_EQ(snippetPaths(many), snippetPaths(one)) << what;
        EXPECT_EQ(many.userCodeSnippetIdentifiers(), one.userCodeSnippetIdentifiers()) << what;
        for (qsizetype i = 0; i < one.userCodeSnippets().size(); ++i)
            EXPECT_EQ(many.userCodeSnippets()[i].sourceBytes(), one.userCodeSnippets()[i].sourceBytes()) << i;
        EXPECT_EQ(manyLog, oneLog) << what;
        EXPECT_EQ(oneLog.first().contains(u"NUL"), one.systemCodeSnippets().isEmpty()) << what;
        EXPECT_FALSE(oneLog.isEmpty()); // the inputs provoke warnings: their order is what is compared
    }
}

} // namespace

