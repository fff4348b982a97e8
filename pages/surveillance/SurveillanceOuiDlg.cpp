#include "pages/surveillance/SurveillanceOuiDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/surveillance/SurveillanceOids.h"
#include "pages/surveillance/SurveillanceOui.h"

#include <QCheckBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

constexpr int kOuiColumn = 2;

} // namespace

CSurveillanceOuiDlg::CSurveillanceOuiDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPTable, "m_cCommonSNMPTable");
    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pDescription = SetControlId(new QLineEdit(this), IDC_DESCRIPTION);
    m_pOui = SetControlId(new QLineEdit(this), IDC_OUI);
    m_pOui->setMaxLength(17);
    m_pDefaultMode = SetControlId(new QCheckBox(QStringLiteral("Default Mode"), this), IDC_DEFAULT_MODE);
    auto* pAdd = AddButton(IDC_ADD, QStringLiteral("Add"), [this] { OnAdd(); });
    auto* pDelete = AddButton(IDC_DELETE, QStringLiteral("Delete"), [this] { OnDelete(); });
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDC_CLOSE, QStringLiteral("Close"), [this] { reject(); });

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pList);
    auto* pEntry = new QGridLayout;
    pEntry->addWidget(new QLabel(QStringLiteral("Description"), this), 0, 0);
    pEntry->addWidget(m_pDescription, 0, 1);
    pEntry->addWidget(new QLabel(QStringLiteral("Surveillance OUI"), this), 0, 2);
    pEntry->addWidget(m_pOui, 0, 3);
    pEntry->addWidget(m_pDefaultMode, 1, 3);
    pLayout->addLayout(pEntry);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch();
    for (QWidget* p : std::initializer_list<QWidget*>{pAdd, pDelete, pRefresh, pClose})
        pButtons->addWidget(p);
    pLayout->addLayout(pButtons);
    resize(620, 380);

    m_walk.SetRefresh(pRefresh);
    m_walk.SetAcceptCount(4);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << CUtf8Text::FromDevice(reply.Bytes(0)) << FormatMacBytes(reply.Bytes(1)) << FormatMacBytes(reply.Bytes(2));
        return true;
    });
    m_walk.SetList(m_pList);
    m_walk.SetNumberedRows(true);
}

bool CSurveillanceOuiDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Auto Surveillance VLAN OUI Settings"));
    int nCol = 0;
    for (const char* pszHeading : {"ID", "Description", "Surveillance OUI", "OUI Mask"})
        InsertColumnAuto(*m_pList, nCol++, Heading(pszHeading, 4));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    OnRefresh();
    return true;
}

void CSurveillanceOuiDlg::OnRefresh()
{
    m_pList->DeleteAllItems();
    QStringList columns;
    for (int c : {oid::kOuiDescription, oid::kOuiAddress, oid::kOuiMask, oid::kOuiRowStatus})
        columns << oid::SurveillanceOuiColumn(c);
    m_walk.Start(columns);
}

void CSurveillanceOuiDlg::OnAdd()
{
    QStringList ouis;
    for (int r = 0; r < m_pList->GetItemCount(); ++r)
        ouis << m_pList->GetItemText(r, kOuiColumn);
    const QString strOui = m_pOui->text();
    const QString strDescription = m_pDescription->text();
    const QString strError = surveillance::CheckNewEntry(surveillance::CEntryPage::Oui, strDescription, strOui,
                                                         m_pDefaultMode->isChecked(), ouis);
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    if (surveillance::WriteNewEntry(this, m_cCommonSNMP, strOui, strDescription, -1))
        OnRefresh();
}

void CSurveillanceOuiDlg::OnDelete()
{
    const int nRow = m_pList->GetSelectedRow();
    const QString strOui = nRow < 0 ? QString() : m_pList->GetItemText(nRow, kOuiColumn);
    if (const QString strError = surveillance::CheckDelete(strOui); !strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    if (surveillance::DeleteEntry(this, m_cCommonSNMP, strOui))
        OnRefresh();
}
