#include "pages/snmp/SnmpScalarPages.h"

#include "core/Settings.h"
#include "pages/common/Controls.h"
#include "pages/common/MessageBox.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QHBoxLayout* Buttons(std::initializer_list<QWidget*> buttons)
{
    auto* pRow = new QHBoxLayout;
    pRow->addStretch(1);
    for (QWidget* p : buttons)
        pRow->addWidget(p);
    return pRow;
}

QString TrapOid(int n) { return oid::kSnmpTrapSwitch + QLatin1Char('.') + QString::number(n) + QStringLiteral(".0"); }

} // namespace

// ---- Global state ----

CSnmpGlobalStateDlg::CSnmpGlobalStateDlg(QWidget* parent) : CSnmpAdminPage(IDD, parent)
{
    m_pEnable = SetControlId(new QCheckBox(QStringLiteral("Enable SNMP Global "), this), IDC_ENABLE);
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pEnable);
    pLayout->addLayout(Buttons({AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); }),
                                AddButton(IDC_CANCEL, QStringLiteral("Cancel"), [this] { reject(); })}));
    m_read.SetAcceptCount(1);
    m_read.SetRowSink([this](const QStringList& cells) { m_pEnable->setChecked(cells.value(0) == QLatin1String("1")); });
}

bool CSnmpGlobalStateDlg::OnInitDialog()
{
    CSnmpAdminPage::OnInitDialog();
    setWindowTitle(QStringLiteral("SNMP Global State"));
    Read();
    return true;
}

void CSnmpGlobalStateDlg::Read()
{
    m_read.Start({oid::kSnmpGlobalState}, kSnmpPduGet);
}

void CSnmpGlobalStateDlg::OnApply()
{
    const QByteArray value = m_pEnable->isChecked() ? "1" : "2";
    if (m_model.Set({{oid::kSnmpGlobalState, kSnmpTypeInteger, value}}))
        Read();
}

// ---- Engine ID ----

CSnmpEngineIdDlg::CSnmpEngineIdDlg(QWidget* parent) : CSnmpAdminPage(IDD, parent)
{
    m_pEngineId = SetControlId(new QLineEdit(this), IDC_ENGINE_ID);
    auto* pLayout = new QVBoxLayout(this);
    auto* pRow = new QHBoxLayout;
    pRow->addWidget(new QLabel(QStringLiteral("Engine ID"), this));
    pRow->addWidget(m_pEngineId, 1);
    pLayout->addLayout(pRow);
    pLayout->addLayout(Buttons({AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); }),
                                AddButton(IDC_DEFAULT, QStringLiteral("Default"), [this] { OnDefault(); }),
                                AddButton(IDC_CLOSE, QStringLiteral("Close"), [this] { reject(); })}));
    resize(480, 100);
    m_read.SetAcceptCount(1);
    m_read.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        QString strHex;
        for (char c : reply.Bytes(0))
            strHex += QString::asprintf("%02x", static_cast<unsigned>(static_cast<unsigned char>(c)));
        cells << strHex;
        return true;
    });
    m_read.SetRowSink([this](const QStringList& cells) { m_pEngineId->setText(cells.value(0)); });
}

bool CSnmpEngineIdDlg::OnInitDialog()
{
    CSnmpAdminPage::OnInitDialog();
    setWindowTitle(QStringLiteral("SNMP Engine ID"));
    Read();
    return true;
}

void CSnmpEngineIdDlg::Read()
{
    m_read.Start({oid::kSnmpEngineId}, kSnmpPduGet);
}

QString CSnmpEngineIdDlg::Check(const QString& strText, QByteArray& bytes)
{
    if (strText.size() < 10 || strText.size() > 64)
        return QStringLiteral("ID length is 10-64");
    for (QChar c : strText)
        if (!(c.isDigit() || (c >= QLatin1Char('a') && c <= QLatin1Char('f')) || (c >= QLatin1Char('A') && c <= QLatin1Char('F'))))
            return QStringLiteral("the accepted character is from 0 to F");
    const QString strEven = strText.size() % 2 ? QLatin1Char('0') + strText : strText;
    bytes = QByteArray::fromHex(strEven.toLatin1());
    return QString();
}

void CSnmpEngineIdDlg::Write(const QString& strText)
{
    QByteArray bytes;
    if (const QString strError = Check(strText, bytes); !strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    m_model.Set({{oid::kSnmpEngineId, kSnmpTypeOctetString, bytes}});
    Read();
}

void CSnmpEngineIdDlg::OnApply()
{
    Write(m_pEngineId->text());
}

void CSnmpEngineIdDlg::OnDefault()
{
    Write(QLatin1String(kDefaultEngineId));
}

// ---- Trap switches ----

bool CSnmpTrapDlg::HasPoe()
{
    return g_strDeviceName.contains(QLatin1Char('p'), Qt::CaseInsensitive);
}

// The nine switches in object order; the last three are the PoE ones.
const std::vector<CSnmpTrapDlg::CSwitch>& CSnmpTrapDlg::AllSwitches()
{
    static const std::vector<CSwitch> switches = {{1, 1195, "SNMP Authentication Traps"},
                                                  {2, 1196, "System Device Bootup"},
                                                  {3, 1011, "Fiber Port Link Up / Link Down"},
                                                  {4, 1012, "Twisted Pair Port Link Up / Link Down"},
                                                  {5, 1014, "RSTP Port State Change"},
                                                  {6, 1013, "Firmware Upgrade State"},
                                                  {7, 1010, "Trap notification if POE Power On / Off"},
                                                  {8, 1181, "Trap notification if POE Power Error "},
                                                  {9, 1182, "Trap notification if over max power budget"}};
    return switches;
}

std::vector<CSnmpTrapDlg::CSwitch> CSnmpTrapDlg::Switches() const
{
    const auto& all = AllSwitches();
    return std::vector<CSwitch>(all.begin(), all.end() - (HasPoe() ? 0 : 3));
}

CSnmpTrapDlg::CSnmpTrapDlg(QWidget* parent) : CSnmpAdminPage(IDD, parent)
{
    auto* pLayout = new QVBoxLayout(this);
    for (const CSwitch& s : AllSwitches())
        pLayout->addWidget(SetControlId(new QCheckBox(QLatin1String(s.pszText), this), s.nId));
    pLayout->addLayout(Buttons({AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); }),
                                AddButton(IDC_CLOSE, QStringLiteral("Close"), [this] { reject(); })}));
    m_read.SetAcceptCount(0);
    m_read.SetRowSink([this](const QStringList& cells) {
        const auto switches = Switches();
        for (size_t i = 0; i < switches.size() && i < static_cast<size_t>(cells.size()); ++i)
            FindControl<QCheckBox>(this, switches[i].nId)->setChecked(cells[static_cast<int>(i)] == QLatin1String("1"));
    });
}

bool CSnmpTrapDlg::OnInitDialog()
{
    CSnmpAdminPage::OnInitDialog();
    setWindowTitle(QStringLiteral("SNMP Trap Settings"));
    const bool bPoe = HasPoe();
    for (int nId : {1010, 1181, 1182})
        FindControl<QCheckBox>(this, nId)->setVisible(bPoe);
    QStringList oids;
    for (const CSwitch& s : Switches())
        oids << TrapOid(s.nObject);
    m_read.Start(oids, kSnmpPduGet);
    return true;
}

void CSnmpTrapDlg::OnApply()
{
    CWaitCursor wait;
    if (!m_model.m_cCommonSNMP.Open(kSnmpPduSet))
        return;
    for (const CSwitch& s : Switches())
        m_model.m_cCommonSNMP.AddOid(TrapOid(s.nObject), kSnmpTypeInteger,
                                     FindControl<QCheckBox>(this, s.nId)->isChecked() ? "1" : "2");
    std::unique_ptr<CSnmp> pReply;
    m_model.m_cCommonSNMP.Send(pReply, 0);
}
