#include "pages/traffic/JumboFrameDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/MessageBox.h"
#include "pages/common/Responsive.h"
#include "pages/traffic/TrafficOids.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QVBoxLayout>

CJumboFrameDlg::CJumboFrameDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    m_pEnable = SetControlId(new QCheckBox(QStringLiteral("Enable Jumbo Frame"), this), IDC_ENABLE);
    auto* pApply = AddButton(IDOK, QStringLiteral("Apply"), [this] { OnOK(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pEnable);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch();
    pButtons->addWidget(pApply);
    pButtons->addWidget(pClose);
    pLayout->addLayout(pButtons);
    resize(300, 110);
}

bool CJumboFrameDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Jumbo Frame Configuration"));
    Read();
    return true;
}

void CJumboFrameDlg::Read()
{
    if (!m_cCommonSNMP.Open(kSnmpPduGet))
        return;
    m_cCommonSNMP.AddOid(oid::kJumboFrame, kSnmpTypeNull, nullptr);
    std::unique_ptr<CSnmp> pReply;
    if (RunWhileResponsive(this, [&] { return m_cCommonSNMP.Send(pReply, 0); }) != 0 || !pReply ||
        pReply->getValuesCount() < 1)
        return;
    int nType = 0;
    QString strValue;
    pReply->getValue(0, nType, strValue);
    m_pEnable->setChecked(strValue == QLatin1String("1"));
}

void CJumboFrameDlg::OnOK()
{
    const bool bEnable = m_pEnable->isChecked();
    // The message comes first, whatever the write's outcome.
    AppMessageBox(bEnable ? QStringLiteral("Enabled Jumbo Frame") : QStringLiteral("Disabled Jumbo Frame"), this);
    if (m_cCommonSNMP.Open(kSnmpPduSet)) {
        m_cCommonSNMP.AddOid(oid::kJumboFrame, kSnmpTypeInteger, bEnable ? "1" : "2");
        std::unique_ptr<CSnmp> pReply;
        if (RunWhileResponsive(this, [&] { return m_cCommonSNMP.Send(pReply, 0); }) == 0)
            Read();
    }
    accept();
}
