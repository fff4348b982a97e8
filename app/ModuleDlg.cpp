#include "app/ModuleDlg.h"

#include "app/MessageBox.h"
#include "app/Settings.h"
#include "app/Trace.h"
#include "app/UserIni.h"

CModuleDlg::CModuleDlg(const QString& iniPath, QWidget* parent)
    : QDialog(parent), m_strIniPath(iniPath)
{
    resize(640, 240);
}

int ExtraPortNum(int portNum)
{
    switch (portNum) {
    case 24:
    case 48:
    case 16:
    case 52:
    case 28:
        return 4;
    case 10:
        return 2;
    default:
        return 0;
    }
}

bool CModuleDlg::OnInitDialog()
{
    const CDeviceInfo info = ReadDeviceInfo(m_strIniPath);

    g_strDeviceName = info.strDeviceName;
    m_strDeviceName = info.strDeviceName;
    if (m_strDeviceName.isEmpty()) {
        AppMessageBox(QStringLiteral("Read User.ini Error !"), this);
        return true;
    }

    m_nPortNum = info.nDevicePortNum;
    g_nDevicePortNum = info.nDevicePortNum;
    m_nExtraPortNum = ExtraPortNum(m_nPortNum);

    m_strXMLName = info.strXMLName;
    if (m_strXMLName.isEmpty()) {
        AppMessageBox(QStringLiteral("Read User.ini Error !"), this);
        return true;
    }

    g_bIsAllGiga = info.bIsAllGiga;
    g_bIsHasFan = info.bIsHasFan;

    setWindowTitle(m_strDeviceName + QStringLiteral(": ") + g_strDeviceIP);
    return true;
}

int CModuleDlg::DoModal()
{
    OnInitDialog();
    return exec();
}

void CModuleDlg::OnActivateRequest()
{
    TRACE() << "activated";
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    showNormal();
    raise();
    activateWindow();
}
