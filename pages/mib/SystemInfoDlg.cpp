#include "pages/mib/SystemInfoDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/MessageBox.h"
#include "pages/mib/MibText.h"

#include <QAbstractButton>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

const QString kSysName = QStringLiteral("1.3.6.1.2.1.1.5.0");
const QString kSysLocation = QStringLiteral("1.3.6.1.2.1.1.6.0");
const QStringList kObjects = {
    QStringLiteral("1.3.6.1.2.1.1.1.0"),  // sysDescr
    QStringLiteral("1.3.6.1.2.1.1.2.0"),  // sysObjectID
    QStringLiteral("1.3.6.1.2.1.1.3.0"),  // sysUpTime
    QStringLiteral("1.3.6.1.2.1.1.4.0"),  // sysContact
    kSysName,
    kSysLocation,
};

// Description and contact are shown as received; bytes that form valid UTF-8 are read as such,
// anything else one character per byte.
QString ReceivedText(const QByteArray& bytes)
{
    QString text = QString::fromUtf8(bytes);
    if (text.contains(QChar::ReplacementCharacter))
        text = QString::fromLatin1(bytes);
    return text;
}

} // namespace

CSystemInfoDlg::CSystemInfoDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    m_pDescription = SetControlId(new QLabel(this), IDC_DESCRIPTION);
    m_pDescription->setWordWrap(true);
    m_pObjectId = SetControlId(new QLabel(this), IDC_OBJECT_ID);
    m_pRuntime = SetControlId(new QLabel(this), IDC_RUNTIME);
    m_pName = SetControlId(new QLineEdit(this), IDC_NAME);
    m_pName->setMaxLength(20);
    m_pContact = SetControlId(new QLineEdit(this), IDC_CONTACT);
    m_pContact->setMaxLength(32);
    m_pLocation = SetControlId(new QLineEdit(this), IDC_LOCATION);
    m_pLocation->setMaxLength(20);
    for (QLabel* pLabel : {m_pDescription, m_pObjectId, m_pRuntime})
        pLabel->setTextInteractionFlags(Qt::TextSelectableByMouse);

    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnOK(); });
    auto* pClose = AddButton(IDC_CLOSE, QStringLiteral("Close"), [this] { OnCancel(); });

    auto* pLayout = new QVBoxLayout(this);
    auto* pForm = new QFormLayout;
    pForm->addRow(QStringLiteral("Description:"), m_pDescription);
    pForm->addRow(QStringLiteral("Object OID:"), m_pObjectId);
    pForm->addRow(QStringLiteral("Runtime:"), m_pRuntime);
    pForm->addRow(QStringLiteral("Name:"), m_pName);
    pForm->addRow(QStringLiteral("Contact:"), m_pContact);
    pForm->addRow(QStringLiteral("Location:"), m_pLocation);
    pLayout->addLayout(pForm);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(pRefresh);
    pBottom->addWidget(pApply);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(440, 260);

    // One GET of the six objects; a reply with fewer leaves the fields as they are.
    m_walk.SetAcceptCount(6);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << ReceivedText(reply.Bytes(0)) << reply.Value(1) << RuntimeText(reply.Value(2))
              << ReceivedText(reply.Bytes(3)) << CUtf8Text::FromDevice(reply.Bytes(4))
              << CUtf8Text::FromDevice(reply.Bytes(5));
        return true;
    });
    m_walk.SetRowSink([this](const QStringList& cells) { ShowSystem(cells); });
}

bool CSystemInfoDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("System Information"));
    m_walk.Start(kObjects, kSnmpPduGet);
    return true;
}

void CSystemInfoDlg::OnRefresh()
{
    CWaitCursor wait;
    m_walk.Start(kObjects, kSnmpPduGet);
}

void CSystemInfoDlg::ShowSystem(const QStringList& cells)
{
    m_pDescription->setText(cells.value(0));
    m_pObjectId->setText(cells.value(1));
    if (!cells.value(2).isEmpty())
        m_pRuntime->setText(cells.value(2));
    m_pContact->setText(cells.value(3));
    m_pName->setText(cells.value(4));
    m_pLocation->setText(cells.value(5));
}

void CSystemInfoDlg::OnOK()
{
    const QString strName = m_pName->text();
    const QString strLocation = m_pLocation->text();
    if (HasForbiddenNameChar(strName)) {
        AppMessageBox(QStringLiteral("Invalid System Name."), this);
        return;
    }
    if (HasForbiddenNameChar(strLocation)) {
        AppMessageBox(QStringLiteral("Invalid System Location."), this);
        return;
    }
    // The contact is shown, not written.
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return;
    m_cCommonSNMPSet.AddOidValue(kSysName, kSnmpTypeOctetString, CUtf8Text::ToDevice(strName));
    m_cCommonSNMPSet.AddOidValue(kSysLocation, kSnmpTypeOctetString, CUtf8Text::ToDevice(strLocation));
    std::unique_ptr<CSnmp> pReply;
    m_cCommonSNMPSet.Send(pReply, 0);
}

QString CSystemInfoDlg::RuntimeText(const QString& strTicks)
{
    if (strTicks.isEmpty())
        return QString();
    const std::uint64_t ticks = DecimalPrefix(strTicks);
    return QString::number(ticks / 360000) + QStringLiteral(" Hour ") + QString::number(ticks % 360000 / 6000)
        + QStringLiteral(" Min");
}
