// libFuzzer: bytes as a snippet body in a highlighted language and edits typed into it.
#include "fuzztargets.h"

#include <QtGlobal>

#include <cstddef>
#include <cstdint>

extern "C" int LLVMFuzzerInitialize(int *, char ***)
{
    qInstallMessageHandler([](QtMsgType, const QMessageLogContext &, const QString &) {}); // speed
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t *data, std::size_t size)
{
    Glimmerpad::Fuzz::syntaxHighlighting(QByteArrayView(data, static_cast<qsizetype>(size)));
    return 0;
}
