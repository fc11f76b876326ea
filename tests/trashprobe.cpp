// Runs the trash layer once, in a process of its own, so that a test can give it its own home,
// mounts and current folder. "trash_probe trash PATH" prints the outcome and the reason;
// "trash_probe discard PATH" prints "discarded" or "kept: " and the reason. A data folder after
// PATH names the trash in it instead of the desktop's.
#include "platform/trash.h"

#include <QFile>

#include <cstdio>
#include <cstring>

using namespace Glimmerpad::Platform;

int main(int argc, char **argv)
{
    if (argc != 3 && argc != 4)
        return 2;
    const QString path = QFile::decodeName(argv[2]);
    const QString dataHome = argc == 4 ? QFile::decodeName(argv[3]) : QString();
    if (std::strcmp(argv[1], "discard") == 0) {
        QString error;
        if (discardFile(path, &error, dataHome))
            std::printf("discarded\n");
        else
            std::printf("kept: %s\n", error.toUtf8().constData());
        return 0;
    }
    static constexpr const char *outcomes[] = {"Trashed", "NoTrash", "Failed"};
    const TrashResult result = moveToTrash(path, dataHome);
    std::printf("%s%s%s\n", outcomes[static_cast<int>(result.outcome)], result.error.isEmpty() ? "" : ": ",
                result.error.toUtf8().constData());
    return 0;
}
