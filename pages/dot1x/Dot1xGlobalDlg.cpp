#include "pages/dot1x/Dot1xGlobalDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/IpAddressCtrl.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/Responsive.h"
#include "pages/dot1x/Dot1xOids.h"
#include "pages/dot1x/Dot1xPortDlg.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

// The timers in the page's order: object, range and message.
struct TimerRule {
    int nObject;
    qulonglong nMin, nMax;
    const char* pszLabel;
    const char* pszMessage;
};
const TimerRule kTimerRules[] = {
    {oid::kDot1xQuietPeriod, 0, 65535, "QuietPeriod", "Invalid QuietPeriod (0-65535)"},
    {oid::kDot1xTxPeriod, 1, 65535, "TxPeriod", "Invalid TxPeriod (1-65535)"},
    {oid::kDot1xSuppTimeout, 1, 65535, "SuppTimeout", "Invalid SuppTimeout (1-65535)"},
    {oid::kDot1xServerTimeout, 1, 65535, "ServerTimeout", "Invalid ServerTimeout (1-65535)"},
    {oid::kDot1xMaxReq, 1, 10, "MaxReq", "Invalid MaxReq (1-10)"},
    {oid::kDot1xReAuthPeriod, 1, 4294967295ULL, "ReAuthPeriod", "Invalid ReAuthPeriod (1-4294967295)"},
};
const int kTimerIds[] = {CDot1xGlobalDlg::IDC_QUIET_PERIOD, CDot1xGlobalDlg::IDC_TX_PERIOD,
                         CDot1xGlobalDlg::IDC_SUPP_TIMEOUT, CDot1xGlobalDlg::IDC_SERVER_TIMEOUT,
                         CDot1xGlobalDlg::IDC_MAX_REQ, CDot1xGlobalDlg::IDC_REAUTH_PERIOD};

bool SendSet(QWidget* pPage, CCommonSNMP& session, const std::function<void()>& addBindings)
{
    if (!session.Open(kSnmpPduSet))
        return false;
    addBindings();
    std::unique_ptr<CSnmp> pReply;
    return RunWhileResponsive(pPage, [&] { return session.GetNextSync(pReply, 0); }) == 0;
}

} // namespace

CDot1xGlobalDlg::CDot1xGlobalDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");
    AddSession(m_cCommonSNMParg, "m_cCommonSNMParg");
    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pEnable = SetControlId(new QCheckBox(QStringLiteral("Enable 802.1X"), this), IDC_ENABLE);
    m_pRadius = SetControlId(new CIpAddressCtrl(this), IDC_RADIUS_IP);
    m_pKey = SetControlId(new QLineEdit(this), IDC_KEY);
    m_pConfirm = SetControlId(new QLineEdit(this), IDC_CONFIRM_KEY);
    for (QLineEdit* pKey : {m_pKey, m_pConfirm})
        pKey->setEchoMode(QLineEdit::Password);
    for (std::size_t i = 0; i < m_timers.size(); ++i)
        m_timers[i] = SetControlId(new QLineEdit(this), kTimerIds[i]);
    m_pReAuth = SetControlId(new QComboBox(this), IDC_REAUTH_ENABLED);
    m_pReAuth->addItems({QStringLiteral("Yes"), QStringLiteral("No")});
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pPortSet = AddButton(IDC_PORT_SET, QStringLiteral("PortSet"), [this] { OnPortSet(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pEnable);
    auto* pGrid = new QGridLayout;
    const auto add = [&](int nRow, int nCol, const char* pszLabel, QWidget* pControl) {
        pGrid->addWidget(new QLabel(QString::fromLatin1(pszLabel), this), nRow, nCol * 2);
        pGrid->addWidget(pControl, nRow, nCol * 2 + 1);
    };
    add(0, 0, "RADIUS Server IP", m_pRadius);
    add(1, 0, "Key", m_pKey);
    add(2, 0, "Confirm Key", m_pConfirm);
    add(3, 0, "ReAuthEnabled", m_pReAuth);
    for (std::size_t i = 0; i < m_timers.size(); ++i)
        add(static_cast<int>(i % 3), 1 + static_cast<int>(i / 3), kTimerRules[i].pszLabel, m_timers[i]);
    pLayout->addLayout(pGrid);
    pLayout->addWidget(m_pList);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    for (QWidget* p : std::initializer_list<QWidget*>{pApply, pPortSet, pClose})
        pBottom->addWidget(p);
    pLayout->addLayout(pBottom);
    resize(760, 420);

    m_read.SetAcceptCount(10);
    m_read.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        for (int i = 0; i < reply.Count(); ++i)
            cells << reply.Value(i);
        return true;
    });
    m_read.SetRowSink([this](const QStringList& cells) { ShowGlobals(cells); });
}

bool CDot1xGlobalDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    int nCol = 0;
    for (const QString& heading : oid::Dot1xHeadings())
        InsertColumnAuto(*m_pList, nCol++, heading);
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    setWindowTitle(QStringLiteral("802.1X Config Information"));
    Read();
    return true;
}

void CDot1xGlobalDlg::Read()
{
    QStringList oids = {oid::kDot1xState, oid::kDot1xRadiusServer, oid::kDot1xRadiusKey};
    for (const TimerRule& rule : kTimerRules)
        oids << oid::Dot1xGlobal(rule.nObject);
    oids << oid::Dot1xGlobal(oid::kDot1xReAuthEnabled);
    m_read.Start(oids, kSnmpPduGet);
}

void CDot1xGlobalDlg::ShowGlobals(const QStringList& cells)
{
    m_pEnable->setChecked(cells.value(0) == QLatin1String("1"));
    m_pRadius->SetAddress(cells.value(1));
    m_pKey->setText(cells.value(2));
    m_pConfirm->setText(cells.value(2));
    for (std::size_t i = 0; i < m_timers.size(); ++i)
        m_timers[i]->setText(cells.value(3 + static_cast<int>(i)));
    m_pReAuth->setCurrentIndex(cells.value(9) == QLatin1String("1") ? 0 : 1);
}

std::array<QString, 6> CDot1xGlobalDlg::Timers() const
{
    std::array<QString, 6> texts;
    for (std::size_t i = 0; i < texts.size(); ++i)
        texts[i] = m_timers[i]->text();
    return texts;
}

QString CDot1xGlobalDlg::CheckSettings(const std::array<int, 4>& ip, const QString& strKey, const QString& strConfirm,
                                       const std::array<QString, 6>& timers)
{
    if (ip == std::array<int, 4>{0, 0, 0, 0} || ip[0] == 0 || ip[0] == 255 || ip[3] == 0 || ip[3] == 255)
        return QStringLiteral("Invalid RADIUS Server IP Address.");
    if (strKey.isEmpty())
        return QStringLiteral("Invalid Key.");
    if (strKey != strConfirm)
        return QStringLiteral("Please confirm the key again !");
    for (std::size_t i = 0; i < timers.size(); ++i) {
        bool ok = false;
        const qulonglong n = timers[i].trimmed().toULongLong(&ok);
        if (!ok || n < kTimerRules[i].nMin || n > kTimerRules[i].nMax)
            return QString::fromLatin1(kTimerRules[i].pszMessage);
    }
    return QString();
}

void CDot1xGlobalDlg::OnApply()
{
    if (!m_pEnable->isChecked()) {
        SendSet(this, m_cCommonSNMPSet, [this] { m_cCommonSNMPSet.AddOid(oid::kDot1xState, kSnmpTypeInteger, "2"); });
        return;
    }
    std::array<int, 4> ip{};
    m_pRadius->GetAddress(ip);
    const std::array<QString, 6> timers = Timers();
    // Every value is checked before anything is written, the timers included.
    const QString strError = CheckSettings(ip, m_pKey->text(), m_pConfirm->text(), timers);
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    const bool bFirst = SendSet(this, m_cCommonSNMPSet, [&] {
        m_cCommonSNMPSet.AddOid(oid::kDot1xState, kSnmpTypeInteger, "1");
        m_cCommonSNMPSet.AddOid(oid::kDot1xRadiusServer, kSnmpTypeIpAddress, m_pRadius->Address());
        m_cCommonSNMPSet.AddOidValue(oid::kDot1xRadiusKey, kSnmpTypeOctetString, m_pKey->text().toLatin1());
    });
    if (!bFirst)
        return;
    SendSet(this, m_cCommonSNMPSet, [&] {
        for (std::size_t i = 0; i < timers.size(); ++i)
            m_cCommonSNMPSet.AddOid(oid::Dot1xGlobal(kTimerRules[i].nObject),
                                    kTimerRules[i].nObject == oid::kDot1xReAuthPeriod ? kSnmpTypeUnsigned32 : kSnmpTypeInteger,
                                    QString::number(timers[i].trimmed().toULongLong()));
        m_cCommonSNMPSet.AddOid(oid::Dot1xGlobal(oid::kDot1xReAuthEnabled), kSnmpTypeInteger,
                                m_pReAuth->currentIndex() == 0 ? "1" : "2");
    });
}

void CDot1xGlobalDlg::OnPortSet()
{
    CDot1xPortDlg page(this);
    RunSubPage(page);
}
