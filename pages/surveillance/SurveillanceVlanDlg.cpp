#include "pages/surveillance/SurveillanceVlanDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/Responsive.h"
#include "pages/common/SwitchOids.h"
#include "pages/surveillance/SurveillanceOids.h"
#include "pages/surveillance/SurveillanceOui.h"
#include "pages/traffic/TrafficOids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

#include <algorithm>

namespace {

const QStringList kComponents = {QStringLiteral("Video_Management_Server"), QStringLiteral("VMS_Client"),
                                 QStringLiteral("Video_Encoder"), QStringLiteral("Network_Storage"),
                                 QStringLiteral("Other_IP_Surveillance_Devices")};
constexpr int kMacColumn = 3;

// One synchronous GET; the values in order, or false when the switch gave no full answer.
bool GetValues(QWidget* pPage, CCommonSNMP& session, const QStringList& oids, QStringList& values)
{
    if (!session.Open(kSnmpPduGet))
        return false;
    for (const QString& strOid : oids)
        session.AddOid(strOid, kSnmpTypeNull, nullptr);
    std::unique_ptr<CSnmp> pReply;
    if (RunWhileResponsive(pPage, [&] { return session.Send(pReply, 0); }) != 0 || !pReply ||
        pReply->getValuesCount() < oids.size())
        return false;
    values.clear();
    for (int i = 0; i < oids.size(); ++i) {
        int nType = 0;
        QString strValue;
        pReply->getValue(i, nType, strValue);
        values << strValue;
    }
    return true;
}

} // namespace

CSurveillanceVlanDlg::CSurveillanceVlanDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    AddSession(m_cCommonSNMPVlan, "m_cCommonSNMPVlan");
    m_pState = SetControlId(new QCheckBox(QStringLiteral("Enable Auto Surveillance VLAN"), this), IDC_STATE);
    m_pVlan = SetControlId(new QComboBox(this), IDC_VLAN);
    m_pPriority = SetControlId(new QComboBox(this), IDC_PRIORITY);
    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pComponent = SetControlId(new QComboBox(this), IDC_COMPONENT);
    m_pDescription = SetControlId(new QLineEdit(this), IDC_DESCRIPTION);
    m_pMac = SetControlId(new QLineEdit(this), IDC_MAC);
    m_pMac->setMaxLength(17);
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pAdd = AddButton(IDC_ADD, QStringLiteral("Add"), [this] { OnAdd(); });
    auto* pDelete = AddButton(IDC_DELETE, QStringLiteral("Delete"), [this] { OnDelete(); });
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDC_CLOSE, QStringLiteral("Close"), [this] { reject(); });

    auto* pLayout = new QVBoxLayout(this);
    auto* pGlobal = new QHBoxLayout;
    pGlobal->addWidget(m_pState);
    pGlobal->addWidget(new QLabel(QStringLiteral("VLAN ID"), this));
    pGlobal->addWidget(m_pVlan);
    pGlobal->addWidget(new QLabel(QStringLiteral("Priority"), this));
    pGlobal->addWidget(m_pPriority);
    pGlobal->addStretch();
    pGlobal->addWidget(pApply);
    pLayout->addLayout(pGlobal);
    pLayout->addWidget(m_pList);
    auto* pEntry = new QGridLayout;
    pEntry->addWidget(new QLabel(QStringLiteral("Component Type"), this), 0, 0);
    pEntry->addWidget(m_pComponent, 0, 1);
    pEntry->addWidget(new QLabel(QStringLiteral("Description"), this), 0, 2);
    pEntry->addWidget(m_pDescription, 0, 3);
    pEntry->addWidget(new QLabel(QStringLiteral("MAC Address"), this), 1, 0);
    pEntry->addWidget(m_pMac, 1, 1);
    pLayout->addLayout(pEntry);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch();
    for (QWidget* p : std::initializer_list<QWidget*>{pAdd, pDelete, pRefresh, pClose})
        pButtons->addWidget(p);
    pLayout->addLayout(pButtons);
    resize(680, 420);

    m_walkTable.SetRefresh(pRefresh);
    m_walkTable.SetAcceptCount(4);
    m_walkTable.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << ComponentText(reply.Value(0)) << CUtf8Text::FromDevice(reply.Bytes(1)) << FormatMacBytes(reply.Bytes(2));
        return true;
    });
    m_walkTable.SetList(m_pList);
    m_walkTable.SetNumberedRows(true);
    m_walkVlans.SetAcceptCount(1);
    m_walkVlans.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << reply.Value(0);
        return true;
    });
    m_walkVlans.SetRowSink([this](const QStringList& cells) { AddVlan(cells.value(0)); });
}

bool CSurveillanceVlanDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Auto Surveillance VLAN Settings"));
    int nCol = 0;
    for (const char* pszHeading : {"ID", "Component Type", "Description", "MAC Address"})
        InsertColumnAuto(*m_pList, nCol++, Heading(pszHeading, 4));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    m_pPriority->addItems({QStringLiteral("Highest"), QStringLiteral("High"), QStringLiteral("Medium"), QStringLiteral("Low")});
    m_pComponent->addItems(kComponents);
    m_pComponent->setCurrentIndex(0);
    OnRefresh();
    return true;
}

QString CSurveillanceVlanDlg::ComponentText(const QString& strType)
{
    bool bOk = false;
    const int nType = strType.toInt(&bOk);
    if (bOk && nType >= 0 && nType < kComponents.size())
        return kComponents[nType];
    return nType == 5 && bOk ? QStringLiteral("Orvale_Surveillance_Device") : strType;
}

void CSurveillanceVlanDlg::OnRefresh()
{
    ReadSettings();
    ReadTable();
}

void CSurveillanceVlanDlg::ReadSettings()
{
    QStringList values;
    if (GetValues(this, m_cCommonSNMP, {oid::kSurveillanceVlanState, oid::kSurveillanceVlanId, oid::kSurveillanceVlanPriority},
                  values)) {
        m_pState->setChecked(values[0] == QLatin1String("1"));
        m_strVlanId = values[1];
        m_pPriority->setCurrentIndex(std::clamp(values[2].toInt(), 0, 3));
    }
    m_pVlan->clear();
    m_walkVlans.Start({oid::kMulticastFilterVlan});
}

void CSurveillanceVlanDlg::AddVlan(const QString& strVid)
{
    m_pVlan->addItem(strVid);
    if (strVid == m_strVlanId || m_pVlan->count() == 1)
        m_pVlan->setCurrentIndex(m_pVlan->count() - 1);
}

void CSurveillanceVlanDlg::ReadTable()
{
    m_pList->DeleteAllItems();
    QStringList columns;
    for (int c : {oid::kOuiComponent, oid::kOuiDescription, oid::kOuiAddress, oid::kOuiRowStatus})
        columns << oid::SurveillanceOuiColumn(c);
    m_walkTable.Start(columns);
}

void CSurveillanceVlanDlg::OnApply()
{
    // The surveillance VLAN does not work in asymmetric mode nor on the voice VLAN. Without an answer
    // neither can be ruled out, so nothing is written.
    QStringList values;
    if (!GetValues(this, m_cCommonSNMP, {oid::kAsymmetricVlan, oid::kVoiceVlanState, oid::kVoiceVlanId}, values))
        return;
    const QString strVid = m_pVlan->currentText();
    QString strError;
    if (values[0] == QLatin1String("1"))
        strError = QStringLiteral("Auto Surveillance Vlan can not support in Asymmetric VLAN mode.");
    else if (values[1] == QLatin1String("1") && values[2] == strVid)
        strError = QStringLiteral("The vlan ID already is voice vlan ID.");
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        ReadSettings();
        return;
    }
    const bool bEnable = m_pState->isChecked();
    if ((bEnable && strVid.isEmpty()) || !m_cCommonSNMP.Open(kSnmpPduSet))
        return;
    if (bEnable) {
        m_cCommonSNMP.AddOid(oid::kSurveillanceVlanId, kSnmpTypeInteger, strVid);
        m_cCommonSNMP.AddOid(oid::kSurveillanceVlanPriority, kSnmpTypeInteger, QString::number(m_pPriority->currentIndex()));
    }
    m_cCommonSNMP.AddOid(oid::kSurveillanceVlanState, kSnmpTypeInteger, bEnable ? "1" : "2");
    std::unique_ptr<CSnmp> pReply;
    RunWhileResponsive(this, [&] { return m_cCommonSNMP.Send(pReply, 0); });
}

void CSurveillanceVlanDlg::OnAdd()
{
    QStringList macs;
    for (int r = 0; r < m_pList->GetItemCount(); ++r)
        macs << m_pList->GetItemText(r, kMacColumn);
    const QString strMac = m_pMac->text();
    const QString strDescription = m_pDescription->text();
    // The combo offers no vendor default mode: the vendor's addresses are its own.
    const QString strError =
        surveillance::CheckNewEntry(surveillance::CEntryPage::Settings, strDescription, strMac, false, macs);
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    if (surveillance::WriteNewEntry(this, m_cCommonSNMP, strMac, strDescription, m_pComponent->currentIndex()))
        ReadTable();
}

void CSurveillanceVlanDlg::OnDelete()
{
    const int nRow = m_pList->GetSelectedRow();
    const QString strMac = nRow < 0 ? QString() : m_pList->GetItemText(nRow, kMacColumn);
    if (const QString strError = surveillance::CheckDelete(strMac); !strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    if (surveillance::DeleteEntry(this, m_cCommonSNMP, strMac))
        ReadTable();
}
