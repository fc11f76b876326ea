// libFuzzer: bytes as any property list, read into a tree and into record keys.
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
    Glimmerpad::Fuzz::xmlPropertyList(QByteArrayView(data, static_cast<qsizetype>(size)));
    return 0;
}
