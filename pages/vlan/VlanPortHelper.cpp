#include "pages/vlan/VlanPortHelper.h"

#include "core/Trace.h"
#include "pages/common/Format.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortList.h"
#include "pages/common/SwitchOids.h"

CVlanPortHelper::CVlanPortHelper(QObject* pPage, int nPortNum)
    : m_nPortNum(nPortNum), m_trunks(pPage, m_cCommonSNMPTable)
{
}

void CVlanPortHelper::StartTrunkWalk()
{
    m_trunks.Start(m_nPortNum);
}

bool CVlanPortHelper::SetRowState(int nVid, const char* pszState)
{
    if (!m_cCommonSNMP.Open(kSnmpPduSet))
        return false;
    m_cCommonSNMP.AddOid(oid::kVlanStaticRowState + QLatin1Char('.') + QString::number(nVid), kSnmpTypeInteger, pszState);
    const bool bOk = m_cCommonSNMP.GetNextSync(m_pResponse, 0) == 0;
    m_pResponse.reset();
    return bOk;
}

bool CVlanPortHelper::SetName(int nVid, const QString& strName)
{
    if (!m_cCommonSNMP.Open(kSnmpPduSet))
        return false;
    m_cCommonSNMP.AddOidValue(oid::kVlanStaticName + QLatin1Char('.') + QString::number(nVid), kSnmpTypeOctetString,
                              CUtf8Text::ToDevice(strName));
    const bool bOk = m_cCommonSNMP.Send(m_pResponse, 0) == 0;
    m_pResponse.reset();
    return bOk;
}

bool CVlanPortHelper::SetPortList(int nVid, const std::vector<int>& flags, bool bUntagged, const char* pszTrace,
                                  QWidget* pParent)
{
    const QString strHex = PadPortHex(HexFromPortFlags(flags), m_nPortNum);
    TRACE() << QLatin1String(pszTrace) + strHex;
    const QByteArray bytes = BytesFromHex(strHex);
    if (bytes.size() < 1) {
        AppMessageBox(QStringLiteral("Parameter Error !"), pParent);
        return false;
    }
    if (!m_cCommonSNMPEgrePort.Open(kSnmpPduSet))
        return false;
    const QString& column = bUntagged ? oid::kVlanStaticUntaggedPorts : oid::kVlanStaticEgressPorts;
    m_cCommonSNMPEgrePort.AddOidValue(column + QLatin1Char('.') + QString::number(nVid), kSnmpTypeOctetString, bytes);
    const bool bOk = m_cCommonSNMPEgrePort.Send(m_pResponse, 0) == 0;
    m_pResponse.reset();
    return bOk;
}
