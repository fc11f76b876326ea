// Every fuzz corpus input and every kept crash through the fuzz targets' code, without libFuzzer.
#include "fuzztargets.h"
#include "testsupport.h"

#include <QDirIterator>

#include <gtest/gtest.h>

using namespace Glimmerpad;
using namespace Glimmerpad::Test;

namespace {

QStringList s_broken;

TEST(FuzzReplay, EveryCorpusAndRegressionInputKeepsThePromises)
{
    const std::pair<QString, void (*)(QByteArrayView)> targets[] = {
        {QStringLiteral("user_snippet"), &Fuzz::userSnippetFile},
        {QStringLiteral("system_library"), &Fuzz::systemLibrary}};
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

} // namespace
