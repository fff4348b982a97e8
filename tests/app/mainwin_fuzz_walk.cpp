// Fuzz target: what a device sends back in the status walks, as the main window applies it. The input
// is split into lines: link ports, admin, oper, speed and medium lists, then PoE ports and values
// (each a comma list), then the number of ports to run with; the window is then painted.
#include "app/ModuleDlg.h"
#include "core/Settings.h"

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLoggingCategory>
#include <QPixmap>
#include <QTemporaryDir>

#include <cstddef>
#include <cstdint>
#include <fstream>
#include <memory>

namespace {

QApplication* g_pApp = nullptr;
QTemporaryDir* g_pDir = nullptr;

} // namespace

extern "C" int LLVMFuzzerInitialize(int*, char***)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QLoggingCategory::setFilterRules(QStringLiteral("tqx.trace=false"));
    static int argc = 1;
    static char arg0[] = "mainwin-walk";
    static char* argv[] = {arg0, nullptr};
    g_pApp = new QApplication(argc, argv);
    g_pDir = new QTemporaryDir;
    QDir::setCurrent(QStringLiteral(TQX_SOURCE_DIR "/models/TQX-8800"));
    return 0;
}

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    if (!g_pApp)
        LLVMFuzzerInitialize(nullptr, nullptr);
    const QString text = QString::fromLatin1(reinterpret_cast<const char*>(data), static_cast<qsizetype>(size));
    QStringList lines = text.split(QLatin1Char('\n'));
    while (lines.size() < 8)
        lines << QString();
    const int nPorts = std::clamp(lines[7].toInt(), 0, 100);

    // A new file for every input, so each run reads the port count it was given.
    static unsigned s_nInput = 0;
    const QString ini = g_pDir->filePath(QStringLiteral("User%1.ini").arg(++s_nInput));
    std::ofstream(ini.toStdString()) << "[DeviceInfo]\nDeviceName=TQX-8810P\nDevicePortNum=" << nPorts
                                     << "\nXMLName=TQX8800.xml\n";
    ResetSettings();
    g_strDeviceIP = QStringLiteral("127.0.0.1");
    g_nSnmpPort = 9;  // discard: the poller is stopped before it sends anything
    CModuleDlg dlg(ini);
    dlg.OnInitDialog();
    dlg.close();
    dlg.ShowLinkStatus(lines[0], lines[1], lines[2], lines[3], lines[4]);
    dlg.ShowPoeStatus(lines[5], lines[6]);
    dlg.show();
    for (int i = 0; i < 2; ++i) {
        dlg.OnTimer(CModuleDlg::kBlinkTimerId);
        (void)dlg.grab();
    }
    QFile::remove(ini);
    return 0;
}
