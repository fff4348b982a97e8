// The main window's side of the status poller: the reads and walks of one cycle, their callbacks,
// and applying what they found to the panel's ports.
#include "app/ModuleDlg.h"

#include "core/Settings.h"
#include "core/Trace.h"
#include "panel/MyBitmapApp.h"
#include "snmp/CommonSnmp.h"
#include "snmp/LiveOwners.h"

#include <QTimer>

std::atomic<int> g_nWalkSkips{0};

namespace {

const QString kOidFan = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.15.1");
const QString kOidPoeMode = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.22.8");
const QString kOidPoeRemaining = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.22.6");
const QString kOidPoeStatus = QStringLiteral("1.3.6.1.4.1.32473.10.75.6.22.1.1.13");
const QString kOidSkip = QStringLiteral("1.3.6.1.4.1.32473.7777.1.");
const QString kLinkColumns[] = {
    QStringLiteral("1.3.6.1.2.1.2.2.1.3"),  // ifType
    QStringLiteral("1.3.6.1.2.1.2.2.1.5"),  // ifSpeed
    QStringLiteral("1.3.6.1.2.1.2.2.1.7"),  // ifAdminStatus
    QStringLiteral("1.3.6.1.2.1.2.2.1.8"),  // ifOperStatus
    QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.7"),  // active medium
};

} // namespace

QString ListEntry(const QString& strValue)
{
    QString strEntry = strValue;
    strEntry.remove(QLatin1Char(','));
    return strEntry;
}

// Binding j of a walk reply: its row suffix and value text. False for a binding of the placeholder
// subtree, which adds nothing to the row.
static bool ReadRowBinding(CCommonSNMP& session, const CSnmp& reply, int j, QString& strSuffix, QString& strValue)
{
    QString strOid;
    reply.getOid(j, strOid);
    if (strOid.contains(kOidSkip))
        return false;
    session.GetSuffix(j, &reply, strSuffix);
    int nType = 0;
    reply.getValue(j, nType, strValue);
    return true;
}

bool SplitFirst(const QString& strList, QChar cSep, QString& strHead, QString& strRest)
{
    const qsizetype n = strList.indexOf(cSep);
    if (n < 0)
        return false;
    strHead = strList.left(n);
    strRest = strList.mid(n + 1);
    return true;
}

// ---------------------------------------------------------------------------------------------
// Polling (poller thread and walk callbacks)

int CModuleDlg::LedState(int nIndex) const
{
    std::lock_guard lock(m_stateMutex);
    return nIndex >= 0 && nIndex < kLedStates ? m_byLedState[static_cast<std::size_t>(nIndex)] : -1;
}

int CModuleDlg::PortMedia(int nIndex) const
{
    std::lock_guard lock(m_stateMutex);
    return nIndex >= 0 && nIndex < static_cast<int>(m_pPortMedia.size()) ? m_pPortMedia[static_cast<std::size_t>(nIndex)] : -1;
}

QString CModuleDlg::FanState() const
{
    std::lock_guard lock(m_stateMutex);
    return m_strFanState;
}

void CModuleDlg::SetAllLedStates(int nState)
{
    std::lock_guard lock(m_stateMutex);
    m_byLedState.fill(static_cast<std::uint8_t>(nState));
}

void CModuleDlg::GetGetFanStatus()
{
    if (!m_cCommonSNMPFan.Open(kSnmpPduGet))
        return;
    m_cCommonSNMPFan.AddOid(kOidFan + QStringLiteral(".0"), 4, nullptr);
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMPFan.GetNextSync(pReply, 500) != 0 || !pReply)
        return;
    int nType = 0;
    QString strValue;
    pReply->getValue(0, nType, strValue);
    const bool bFanChanged = [&] {
        std::lock_guard lock(m_stateMutex);
        const QString strNew = strValue == QLatin1String("1") ? QStringLiteral("1") : QStringLiteral("2");
        const bool bChanged = strNew != m_strFanState;
        m_strFanState = strNew;
        return bChanged;
    }();
    if (bFanChanged)
        QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
}

bool CModuleDlg::SkipWhileWalking()
{
    if (m_bWalkBusy && g_nWalkSkips < 3) {
        ++g_nWalkSkips;
        return true;
    }
    g_nWalkSkips = 0;
    m_bWalkBusy = true;
    return false;
}

int CModuleDlg::PollLinkStatus()
{
    // A walk that outlasts a cycle (a slow switch) is let finish rather than started again, for at
    // most three cycles, as on the PoE models.
    if (SkipWhileWalking())
        return -1;
    GetLinkStatus();
    return 0;
}

int CModuleDlg::Get10PPOEOrLinkStatus()
{
    if (SkipWhileWalking())
        return -1;

    if (m_cCommonSNMPPoe.Open(kSnmpPduGet)) {
        m_cCommonSNMPPoe.AddOid(kOidPoeMode + QStringLiteral(".0"), 4, nullptr);
        m_cCommonSNMPPoe.AddOid(kOidPoeRemaining + QStringLiteral(".0"), 4, nullptr);
        std::unique_ptr<CSnmp> pReply;
        if (m_cCommonSNMPPoe.GetNextSync(pReply, 500) == 0 && pReply) {
            int nType = 0;
            QString strMode, strBudget;
            pReply->getValue(0, nType, strMode);
            pReply->getValue(1, nType, strBudget);
            const bool bOldMode = m_bLedPoeMode.exchange(strMode == QLatin1String("1"));
            // Read as a decimal number the way atof does: leading number, 0 when there is none.
            bool bOk = false;
            double dRemaining = strBudget.trimmed().toDouble(&bOk);
            if (!bOk) {
                const QString strTrim = strBudget.trimmed();
                qsizetype n = 0;
                while (n < strTrim.size() && (strTrim[n].isDigit() || strTrim[n] == QLatin1Char('.')
                                              || (n == 0 && (strTrim[n] == QLatin1Char('-') || strTrim[n] == QLatin1Char('+')))))
                    ++n;
                dRemaining = strTrim.left(n).toDouble();
            }
            const bool bPowMax = dRemaining <= 7.0;
            const bool bOldPowMax = m_BIsPowMax.exchange(bPowMax);
            TRACE() << (bPowMax ? "pThis->m_BIsPowMax = TRUE" : "pThis->m_BIsPowMax = FALSE");
            if (bOldMode != m_bLedPoeMode || bOldPowMax != bPowMax)
                QMetaObject::invokeMethod(this, [this] { update(); }, Qt::QueuedConnection);
        }
    }

    if (m_pPanelThread && m_pPanelThread->SleepOrStop(500)) {
        m_bWalkBusy = false;
        return 0;
    }
    if (m_bLedPoeMode)
        GetLinkStatus();
    else
        GetPOEPortStatus();
    return 0;
}

void CModuleDlg::GetLinkStatus()
{
    {
        std::lock_guard lock(m_walkMutex);
        m_strLinkPort.clear();
        m_strLinkAdmin.clear();
        m_strLinkOper.clear();
        m_strLinkSpeed.clear();
        m_strLinkMedia.clear();
    }
    bool bStarted = m_cCommonSNMPDevStat.Open(kSnmpPduGetNext);
    if (bStarted) {
        for (const QString& strColumn : kLinkColumns)
            m_cCommonSNMPDevStat.AddOid(strColumn, 4, nullptr);
        bStarted = m_cCommonSNMPDevStat.StartWalk(&CModuleDlg::LinkRowCallback, this, 500) == 0;
    }
    if (!bStarted) {
        // Nothing will call back: end the walk here as a failed step.
        m_cCommonSNMPDevStat.SignalDone();
        QMetaObject::invokeMethod(this, [this] { SetAllLedStates(3); WalkEnded(false); }, Qt::QueuedConnection);
        m_bWalkBusy = false;
    }
}

void CModuleDlg::GetPOEPortStatus()
{
    TRACE() << "--1----GetPOEPortStatus---------";
    {
        std::lock_guard lock(m_walkMutex);
        m_strPoePorts.clear();
        m_strPoeValues.clear();
    }
    bool bStarted = m_cCommonSNMPPoeStat.Open(kSnmpPduGetNext);
    if (bStarted) {
        m_cCommonSNMPPoeStat.AddOid(kOidPoeStatus, 4, nullptr);
        bStarted = m_cCommonSNMPPoeStat.StartWalk(&CModuleDlg::PoeRowCallback, this, 1000) == 0;
    }
    if (!bStarted) {
        m_cCommonSNMPPoeStat.SignalDone();
        QMetaObject::invokeMethod(this, [this] { SetAllLedStates(3); WalkEnded(false); }, Qt::QueuedConnection);
        m_bWalkBusy = false;
    }
}

unsigned int CModuleDlg::LinkRowCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError)
{
    std::unique_ptr<CSnmp> pOwned(nError == 0 ? pReply : nullptr);
    auto* pDlg = static_cast<CModuleDlg*>(pUser);
    CLiveOwners::Call(pDlg, [&] { pDlg->OnLinkStatusRow(std::move(pOwned), nRequestId, nError); });
    return 0;
}

unsigned int CModuleDlg::PoeRowCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError)
{
    std::unique_ptr<CSnmp> pOwned(nError == 0 ? pReply : nullptr);
    auto* pDlg = static_cast<CModuleDlg*>(pUser);
    CLiveOwners::Call(pDlg, [&] { pDlg->OnPoePortRow(std::move(pOwned), nRequestId, nError); });
    return 0;
}

void CModuleDlg::OnLinkStatusRow(std::unique_ptr<CSnmp> pReply, int nRequestId, int nError)
{
    if (!m_cCommonSNMPDevStat.IsOwnRequest(nRequestId))
        return;  // the reply of an older or closed walk is dropped
    const bool bStopping = m_bStopping.load();
    if (nError == 0 && pReply) {
        QString strPort;
        QString strColumns[5];
        const int nCount = pReply->getValuesCount();
        for (int j = 0; j < nCount; ++j) {
            QString strSuffix, strValue;
            if (!ReadRowBinding(m_cCommonSNMPDevStat, *pReply, j, strSuffix, strValue))
                continue;
            if (j == 0)
                strPort = ListEntry(strSuffix.mid(strSuffix.indexOf(QLatin1Char('.')) + 1));
            if (j < 5)
                strColumns[j] = ListEntry(strValue);
        }
        bool bContinue = false;
        QString lists[5];
        {
            std::lock_guard lock(m_walkMutex);
            if (strPort.toInt() <= m_nPortNum) {
                const QString strComma = QStringLiteral(",");
                m_strLinkPort += strPort + strComma;
                m_strLinkAdmin += strColumns[2] + strComma;
                m_strLinkOper += strColumns[3] + strComma;
                m_strLinkSpeed += strColumns[1] + strComma;
                m_strLinkMedia += strColumns[4] + strComma;
                bContinue = true;
            }
            lists[0] = m_strLinkPort;
            lists[1] = m_strLinkAdmin;
            lists[2] = m_strLinkOper;
            lists[3] = m_strLinkSpeed;
            lists[4] = m_strLinkMedia;
        }
        if (bContinue && !bStopping) {
            if (m_cCommonSNMPDevStat.StartWalk(&CModuleDlg::LinkRowCallback, this, 500) == 0)
                return;
            // The next step could not be started: the walk ends as a failed one.
            QMetaObject::invokeMethod(this, [this] { SetAllLedStates(3); WalkEnded(false); }, Qt::QueuedConnection);
        } else if (!bContinue) {
            QMetaObject::invokeMethod(this, [this, lists] {
                ShowLinkStatus(lists[0], lists[1], lists[2], lists[3], lists[4]);
                update();
                NoteDeviceAnswer(true);
                WalkEnded(true);
            }, Qt::QueuedConnection);
        }
        m_cCommonSNMPDevStat.SignalDone();
        m_bWalkBusy = false;
        return;
    }

    QString lists[5];
    {
        std::lock_guard lock(m_walkMutex);
        lists[0] = m_strLinkPort;
        lists[1] = m_strLinkAdmin;
        lists[2] = m_strLinkOper;
        lists[3] = m_strLinkSpeed;
        lists[4] = m_strLinkMedia;
    }
    QMetaObject::invokeMethod(this, [this, nError, lists] {
        SetAllLedStates(3);
        if (nError == kSnmpTimeout)
            ResetPanelPorts(m_root);
        else if (nError == kSnmpEndOfTable)
            ShowLinkStatus(lists[0], lists[1], lists[2], lists[3], lists[4]);
        update();
        NoteDeviceAnswer(nError != kSnmpTimeout);
        WalkEnded(nError == kSnmpEndOfTable);
    }, Qt::QueuedConnection);
    m_cCommonSNMPDevStat.SignalDone();
    m_bWalkBusy = false;
}

void CModuleDlg::OnPoePortRow(std::unique_ptr<CSnmp> pReply, int nRequestId, int nError)
{
    if (!m_cCommonSNMPPoeStat.IsOwnRequest(nRequestId))
        return;
    const bool bStopping = m_bStopping.load();
    if (nError == 0 && pReply) {
        QString strPort;
        QStringList values;
        const int nCount = pReply->getValuesCount();
        for (int j = 0; j < nCount; ++j) {
            QString strSuffix, strValue;
            if (!ReadRowBinding(m_cCommonSNMPPoeStat, *pReply, j, strSuffix, strValue))
                continue;
            if (j == 0)
                strPort = ListEntry(strSuffix.mid(3));
            values.push_back(ListEntry(strValue));
        }
        bool bContinue = false;
        QString strPorts, strValues;
        {
            std::lock_guard lock(m_walkMutex);
            if (strPort.toInt() <= m_nPortNum) {
                for (const QString& strValue : values) {
                    m_strPoeValues += strValue + QLatin1Char(',');
                    m_strPoePorts += strPort + QLatin1Char(',');
                }
                bContinue = true;
            }
            strPorts = m_strPoePorts;
            strValues = m_strPoeValues;
        }
        if (bContinue && !bStopping) {
            if (m_cCommonSNMPPoeStat.StartWalk(&CModuleDlg::PoeRowCallback, this, 1000) == 0)
                return;
            QMetaObject::invokeMethod(this, [this] { SetAllLedStates(3); WalkEnded(false); }, Qt::QueuedConnection);
        } else if (!bContinue) {
            QMetaObject::invokeMethod(this, [this, strPorts, strValues] {
                ShowPoeStatus(strPorts, strValues);
                update();
                NoteDeviceAnswer(true);
                WalkEnded(true);
            }, Qt::QueuedConnection);
        }
        m_cCommonSNMPPoeStat.SignalDone();
        m_bWalkBusy = false;
        return;
    }

    QString strPorts, strValues;
    {
        std::lock_guard lock(m_walkMutex);
        strPorts = m_strPoePorts;
        strValues = m_strPoeValues;
    }
    QMetaObject::invokeMethod(this, [this, nError, strPorts, strValues] {
        SetAllLedStates(3);
        if (nError == kSnmpEndOfTable)
            ShowPoeStatus(strPorts, strValues);
        update();
        NoteDeviceAnswer(nError != kSnmpTimeout);
        WalkEnded(nError == kSnmpEndOfTable);
    }, Qt::QueuedConnection);
    m_cCommonSNMPPoeStat.SignalDone();
    m_bWalkBusy = false;
}

void CModuleDlg::WalkEnded(bool)
{
    ++m_nPollCount;
    emit pollApplied();
}

void CModuleDlg::NoteDeviceAnswer(bool bAnswered)
{
    if (bAnswered == m_bDeviceAnswering)
        return;
    m_bDeviceAnswering = bAnswered;
    TRACE() << (bAnswered ? "device answers again" : "device is not responding");
    UpdateTitle();
}

void CModuleDlg::UpdateTitle()
{
    QString strTitle = m_strDeviceName + QStringLiteral(": ") + g_strDeviceIP;
    if (!m_bDeviceAnswering)
        strTitle += QStringLiteral(" (not responding)");
    setWindowTitle(strTitle);
}

// ---------------------------------------------------------------------------------------------
// Applying walks (GUI thread)

namespace {

CPort* PortObject(CVirtualDev& root, int n)
{
    return n < 0 ? nullptr : static_cast<CPort*>(root.FindNthChild("CPort", n));
}

} // namespace

void CModuleDlg::ShowLinkStatus(const QString& strPorts, const QString& strAdmin, const QString& strOper,
                                const QString& strSpeed, const QString& strMedia)
{
    const int nFirstCombo = m_nPortNum == 10 ? m_nPortNum - 2 : m_nPortNum - 4;
    QString ports = strPorts, admin = strAdmin, oper = strOper, speed = strSpeed, media = strMedia;
    QString strPort, strAdminValue, strOperValue, strSpeedValue, strMediaValue;
    while (SplitFirst(ports, QLatin1Char(','), strPort, ports)) {
        // The lists were filled together; a short one reads as empty values.
        if (!SplitFirst(admin, QLatin1Char(','), strAdminValue, admin))
            strAdminValue.clear();
        if (!SplitFirst(oper, QLatin1Char(','), strOperValue, oper))
            strOperValue.clear();
        if (!SplitFirst(speed, QLatin1Char(','), strSpeedValue, speed))
            strSpeedValue.clear();
        if (!SplitFirst(media, QLatin1Char(','), strMediaValue, media))
            strMediaValue.clear();
        const int p = strPort.toInt();
        const int m = strMediaValue.toInt();
        int nState;
        if (strAdminValue != QLatin1String("1")) {
            nState = PORT_DISABLED;
        } else if (strOperValue != QLatin1String("1")) {
            nState = PORT_ENABLE;
        } else {
            const QString strTop = (g_bIsAllGiga || p > nFirstCombo) ? QStringLiteral("1000000000") : QStringLiteral("100000000");
            nState = strSpeedValue == strTop ? PORT_LINK10 : PORT_LINK100;
        }
        // Port numbers outside the front ports (and rows without a number) change nothing.
        if (p > m_nPortNum || p < 1 || p > kLedStates)
            continue;
        if (p == 1)
            for (int i = m_nPortNum; i < m_nPortNum + m_nExtraPortNum; ++i)
                if (CPort* pPort = PortObject(m_root, i))
                    pPort->SetPortStatus(PORT_ENABLE);
        if (m == 3 || m == 4) {
            if (CPort* pTwin = PortObject(m_root, p + m_nExtraPortNum - 1))
                pTwin->SetPortStatus(nState);
            if (CPort* pPort = PortObject(m_root, p - 1))
                pPort->SetPortStatus(PORT_ENABLE);
        } else if (CPort* pPort = PortObject(m_root, p - 1)) {
            pPort->SetPortStatus(nState);
        }
        std::lock_guard lock(m_stateMutex);
        m_byLedState[static_cast<std::size_t>(p - 1)] = static_cast<std::uint8_t>(nState);
        if (p - 1 < static_cast<int>(m_pPortMedia.size()))
            m_pPortMedia[static_cast<std::size_t>(p - 1)] = m;
    }
    StartBlinkTimer();
}

void CModuleDlg::ShowPoeStatus(const QString& strPorts, const QString& strValues)
{
    QString ports = strPorts, values = strValues, strPort, strValue;
    while (SplitFirst(ports, QLatin1Char(','), strPort, ports)) {
        if (!SplitFirst(values, QLatin1Char(','), strValue, values))
            strValue.clear();
        int nState = 0;
        if (strValue == QLatin1String("POWER ON"))
            nState = 1;
        else if (strValue == QLatin1String("POWER OFF") || strValue == QLatin1String("Time-based OFF"))
            nState = 2;
        const int p = strPort.toInt();
        if (p > m_nPortNum || p < 1 || p > kLedStates)
            continue;
        if (p == 1)
            for (int i = 8; i < m_nPortNum + m_nExtraPortNum; ++i)
                if (CPort* pPort = PortObject(m_root, i))
                    pPort->SetPortStatus(PORT_DISABLED);
        if (CPort* pPort = PortObject(m_root, p - 1))
            pPort->SetPortStatus(nState);
        std::lock_guard lock(m_stateMutex);
        m_byLedState[static_cast<std::size_t>(p - 1)] = static_cast<std::uint8_t>(nState);
        if (p - 1 < static_cast<int>(m_pPortMedia.size()))
            m_pPortMedia[static_cast<std::size_t>(p - 1)] = 2;
    }
    StartBlinkTimer();
}
