#include "pages/device/DeviceConfigDlg.h"

#include "core/Settings.h"
#include "core/Trace.h"
#include "pages/common/Controls.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "snmp/CommonSnmp.h"

#include <QComboBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QTimer>
#include <QVBoxLayout>

namespace {

// The SNMP error status of a read naming an object the agent does not have.
constexpr int kNoSuchName = 2;

// The object of a reply binding: its OID without the instance ".0".
QString ObjectOf(const QString& strOid)
{
    return strOid.endsWith(QLatin1String(".0")) ? strOid.left(strOid.size() - 2) : strOid;
}

unsigned int IgnoreReply(CSnmp* pReply, int, void*, int nError)
{
    if (nError == 0)
        delete pReply;
    else
        TRACE() << "Device Configure: write failed," << nError;
    return 0;
}

} // namespace

CDeviceConfigDlg::CDeviceConfigDlg(QWidget* parent, const QString& strDescription)
    : CPageDlg(IDD, parent), m_strDescription(strDescription)
{
    m_options.pList = SetControlId(new CListCtrl(this), IDC_OPTIONS);
    m_info.pList = SetControlId(new CListCtrl(this), IDC_INFO);
    m_info.bInfo = true;
    m_pValues = SetControlId(new QComboBox(this), IDC_VALUES);
    m_pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    connect(m_options.pList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* pItem) { OnClickOption(m_options.pList->indexOfTopLevelItem(pItem)); });

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(new QLabel(QStringLiteral("Device Information"), this));
    pLayout->addWidget(m_info.pList);
    pLayout->addWidget(new QLabel(QStringLiteral("Configuration"), this));
    pLayout->addWidget(m_options.pList);
    auto* pSetRow = new QHBoxLayout;
    pSetRow->addWidget(new QLabel(QStringLiteral("Value:"), this));
    pSetRow->addWidget(m_pValues, 1);
    pSetRow->addWidget(m_pApply);
    pLayout->addLayout(pSetRow);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(420, 520);
}

CDeviceConfigDlg::~CDeviceConfigDlg() = default;

bool CDeviceConfigDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Device Configure"));
    m_options.pList->InsertColumn(0, QStringLiteral("  Config Name  "), 200);
    m_options.pList->InsertColumn(1, QStringLiteral("  Status     "), 80);
    m_info.pList->InsertColumn(0, QString(), 160);
    m_info.pList->InsertColumn(1, QString(), 118);
    for (CListCtrl* pList : {m_options.pList, m_info.pList})
        pList->SetExtendedStyle(CListCtrl::kFullRowSelect);
    m_pApply->setEnabled(false);

    // Without an address or, for SNMPv1, the communities there is nothing to ask.
    const bool bV1 = g_strSnmpVersion.trimmed() == QLatin1String("1");
    if (g_strDeviceIP.isEmpty() || (bV1 && (g_strGetCommunity.isEmpty() || g_strSetCommunity.isEmpty())))
        return true;
    m_info.bOpen = m_info.mib.Open(m_strDescription, QStringLiteral("DEVINFO"));
    if (!m_info.bOpen)
        AppMessageBox(QStringLiteral("No TQX9048_CFG.XML !"), this);
    m_options.bOpen = m_options.mib.Open(m_strDescription, QStringLiteral("DEVCFG"));
    for (CSection* pSection : {&m_info, &m_options}) {
        QString strOid;
        for (bool ok = pSection->bOpen && pSection->mib.GetFirstName(strOid); ok; ok = pSection->mib.GetNextName(strOid))
            pSection->oids << strOid;
    }
    Read(m_options);
    Read(m_info);
    return true;
}

QString CDeviceConfigDlg::HoursAndMinutes(const QString& strTicks)
{
    const qulonglong ticks = strTicks.toULongLong();
    return QString::number(ticks / 360000) + QStringLiteral(" Hour ") + QString::number(ticks % 360000 / 6000)
        + QStringLiteral(" Min");
}

void CDeviceConfigDlg::Read(CSection& section)
{
    ++section.nGeneration;
    section.values.assign(static_cast<std::size_t>(section.oids.size()), QString());
    section.answered.assign(static_cast<std::size_t>(section.oids.size()), false);
    ShowSection(section);
    if (!section.bOpen || section.oids.isEmpty())
        return;
    SendRead(section, -1);
}

bool CDeviceConfigDlg::SendRead(CSection& section, int nObject)
{
    std::unique_ptr<CSnmp> pMsg = CCommonSNMP::NewMessage(kSnmpPduGet);
    if (!pMsg)
        return false;
    if (nObject < 0) {
        // Every object of the section as instance 0, in one message.
        if (!section.mib.BuildGetRequest(pMsg.get(), QStringLiteral("0")) && pMsg->getValuesCount() == 0)
            return false;
    } else if (pMsg->addValue((section.oids.at(nObject) + QStringLiteral(".0")).toLatin1().constData(), kSnmpTypeNull,
                              nullptr) != 0) {
        return false;
    }
    CSnmp4w& sender = &section == &m_info ? m_snmp4wInfo : m_snmp4wOptions;
    sender.setSnmp(pMsg.get());
    const QByteArray host = g_strDeviceIP.toLatin1();
    const int rc = sender.send(host.constData(), &CDeviceConfigDlg::ReplyCallback, this, this, kTimeoutMs);
    sender.setSnmp(nullptr);
    if (rc != 0)
        return false;
    m_pending[pMsg->getRequestID()] = CRequest{&section, section.nGeneration, nObject};
    return true;
}

unsigned int CDeviceConfigDlg::ReplyCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError)
{
    // On the page's thread; a page that is gone gets no callback.
    std::unique_ptr<CSnmp> reply(nError == 0 ? pReply : nullptr);
    static_cast<CDeviceConfigDlg*>(pUser)->OnReply(nRequestId, std::move(reply), nError);
    return 0;
}

void CDeviceConfigDlg::OnReply(int nRequestId, std::unique_ptr<CSnmp> pReply, int nError)
{
    const auto it = m_pending.find(nRequestId);
    if (it == m_pending.end())
        return;
    const CRequest request = it->second;
    m_pending.erase(it);
    CSection& section = *request.pSection;
    if (request.nGeneration != section.nGeneration)
        return;  // a read started since asks again
    if (nError == kNoSuchName && request.nObject < 0) {
        // The switch lacks an object of the description: ask for each on its own, so that the
        // objects it has still show.
        TRACE() << "Device Configure: an object of" << (section.bInfo ? "DEVINFO" : "DEVCFG")
                << "is not on the device; reading them one by one";
        for (int i = 0; i < section.oids.size(); ++i)
            SendRead(section, i);
        return;
    }
    if (nError != 0 || !pReply)
        return;
    int nStatus = 0, nIndex = 0;
    pReply->getErrorInfo(nStatus, nIndex);
    if (nStatus != 0 || nIndex != 0)
        return;
    for (int i = 0; i < pReply->getValuesCount(); ++i) {
        QString strOid, strValue;
        int nType = 0;
        if (pReply->getOid(i, strOid) != 0 || pReply->getValue(i, nType, strValue) != 0)
            continue;
        const int nObject = static_cast<int>(section.oids.indexOf(ObjectOf(strOid)));
        if (nObject < 0)
            continue;
        section.values[static_cast<std::size_t>(nObject)] = strValue;
        section.answered[static_cast<std::size_t>(nObject)] = true;
    }
    ShowSection(section);
}

QString CDeviceConfigDlg::Shown(CSection& section, int nObject) const
{
    const QString& strOid = section.oids.at(nObject);
    const QString& strValue = section.values[static_cast<std::size_t>(nObject)];
    CMibXml::PairList labels;
    if (section.mib.GetValueList(strOid, labels)) {
        for (const auto& label : labels)
            if (label.second == strValue)
                return label.first;
    }
    QString strName;
    section.mib.GetDesc(strOid, strName);
    if (section.bInfo && strName.contains(QLatin1String("Time")))
        return HoursAndMinutes(strValue);
    return strValue;
}

void CDeviceConfigDlg::ShowSection(CSection& section)
{
    // Rows in the description's order, for the objects the switch answered.
    const QString strSelected = m_strSelectedOid;
    section.pList->DeleteAllItems();
    for (int i = 0; i < section.oids.size(); ++i) {
        if (!section.answered[static_cast<std::size_t>(i)])
            continue;
        QString strName;
        if (!section.mib.GetDesc(section.oids.at(i), strName) || strName.isEmpty())
            strName = section.oids.at(i);
        const int nRow = section.pList->InsertItem(section.pList->GetItemCount(), strName);
        section.pList->SetItemText(nRow, 1, Shown(section, i));
        section.pList->topLevelItem(nRow)->setData(0, Qt::UserRole, section.oids.at(i));
        if (&section == &m_options && section.oids.at(i) == strSelected)
            section.pList->SelectRow(nRow);
    }
}

void CDeviceConfigDlg::OnClickOption(int nRow)
{
    if (nRow < 0 || nRow >= m_options.pList->GetItemCount())
        return;
    m_pApply->setEnabled(true);
    m_strSelectedOid = m_options.pList->topLevelItem(nRow)->data(0, Qt::UserRole).toString();
    const QString strStatus = m_options.pList->GetItemText(nRow, 1);
    m_pValues->clear();
    CMibXml::PairList labels;
    m_options.mib.GetValueList(m_strSelectedOid, labels);
    for (const auto& label : labels)
        if (label.first != strStatus)
            m_pValues->addItem(label.first, label.second);
    if (m_pValues->count() > 0)
        m_pValues->setCurrentIndex(0);
}

void CDeviceConfigDlg::OnApply()
{
    m_pApply->setEnabled(false);
    if (m_strSelectedOid.isEmpty() || m_pValues->currentIndex() < 0)
        return;
    std::unique_ptr<CSnmp> pMsg = CCommonSNMP::NewMessage(kSnmpPduSet);
    if (!pMsg)
        return;
    const QByteArray oid = (m_strSelectedOid + QStringLiteral(".0")).toLatin1();
    const QByteArray value = m_pValues->currentData().toString().toLatin1();
    if (pMsg->addValue(oid.constData(), kSnmpTypeInteger, value.constData()) != 0)
        return;
    m_snmp4wSet.setSnmp(pMsg.get());
    const QByteArray host = g_strDeviceIP.toLatin1();
    m_snmp4wSet.send(host.constData(), &IgnoreReply, nullptr, this, kTimeoutMs);
    m_snmp4wSet.setSnmp(nullptr);
    // The options as the switch holds them a moment later; the window goes on meanwhile.
    QTimer::singleShot(kReadBackMs, this, [this] {
        m_pValues->clear();
        Read(m_options);
    });
}

void CDeviceConfigDlg::OnRefresh()
{
    Read(m_info);
    Read(m_options);
}
