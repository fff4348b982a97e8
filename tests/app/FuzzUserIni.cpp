// The User.ini reader on arbitrary file contents: it must not crash, and what it returns must respect
// the text limit, the port-count range and the flag values.
#include "app/UserIni.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>

#include <cstdint>
#include <cstdlib>
#include <memory>

namespace {
std::unique_ptr<QTemporaryDir> g_dir;
unsigned g_counter = 0;

void Check(bool ok)
{
    if (!ok)
        std::abort();
}
} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    g_dir = std::make_unique<QTemporaryDir>();
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!g_dir || !g_dir->isValid())
        return 0;
    // A new name for every input, so no cached copy of an earlier file can answer.
    const QString path = g_dir->filePath(QStringLiteral("User%1.ini").arg(++g_counter));
    {
        QFile file(path);
        if (!file.open(QIODevice::WriteOnly))
            return 0;
        file.write(reinterpret_cast<const char*>(data), static_cast<qint64>(size));
    }
    const CDeviceInfo info = ReadDeviceInfo(path);
    Check(info.strDeviceName.size() <= kProfileTextMax);
    Check(info.strXMLName.size() <= kProfileTextMax);
    Check(info.nDevicePortNum >= 0 && info.nDevicePortNum <= kMaxDevicePortNum);
    Check(info.bIsAllGiga == 0 || info.bIsAllGiga == 1);
    Check(info.bIsHasFan == 0 || info.bIsHasFan == 1);
    QFile::remove(path);
    return 0;
}
