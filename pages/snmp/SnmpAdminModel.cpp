#include "pages/snmp/SnmpAdminModel.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"

#include <QBoxLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QVBoxLayout>

namespace {

QString Pick(const QString& strValue, std::initializer_list<const char*> texts)
{
    bool ok = false;
    const int n = strValue.toInt(&ok);
    if (!ok || n < 1 || n > static_cast<int>(texts.size()))
        return strValue;
    return QLatin1String(texts.begin()[n - 1]);
}

QString Name(const CWalkReply& reply, int i) { return CUtf8Text::FromDevice(reply.Bytes(i)); }

QStringList Columns(const QString& strEntry, std::initializer_list<int> columns)
{
    QStringList oids;
    for (int c : columns)
        oids << oid::Column(strEntry, c);
    return oids;
}

// Each table's walk: its columns in order and how a reply becomes the row record.
struct CTableWalk {
    QStringList columns;
    int nKind;
    CPageWalk::Renderer renderer;
};

CTableWalk WalkOf(CSnmpAdminModel::Table table)
{
    using M = CSnmpAdminModel;
    switch (table) {
    case M::kUsers:
        // name, group name, version, authentication, column 5, privacy, column 7, status
        return {Columns(oid::kSnmpUserEntry, {1, 2, 3, 4, 5, 6, 7, 8}), M::kUserRow,
                [](const CWalkReply& r, QStringList& cells) {
                    cells << Name(r, 0) << Name(r, 2) << M::VersionText(r.Value(1)) << M::AuthText(r.Value(3)) << r.Value(4)
                          << M::PrivText(r.Value(5)) << r.Value(6) << r.Value(7);
                    return true;
                }};
    case M::kGroups:
        // name, read view, write view, notify view, model, level, status
        return {Columns(oid::kSnmpGroupEntry, {1, 2, 3, 4, 5, 6, 7}), M::kOtherRow,
                [](const CWalkReply& r, QStringList& cells) {
                    cells << Name(r, 0) << Name(r, 3) << Name(r, 4) << Name(r, 5) << M::ModelText(r.Value(1))
                          << M::LevelText(r.Value(2)) << r.Value(6);
                    return true;
                }};
    case M::kViews:
        // name, subtree, mask, type, status: the name and subtree from the index
        return {Columns(oid::kSnmpViewEntry, {1, 3, 4, 5}), M::kOtherRow,
                [](const CWalkReply& r, QStringList& cells) {
                    QString strName, strSubtree, strMask;
                    if (!M::ViewFromSuffix(r.Suffix(0), r.Bytes(1), strName, strSubtree, strMask))
                        strName = Name(r, 0);
                    cells << strName << strSubtree << strMask << M::ViewTypeText(r.Value(2)) << r.Value(3);
                    return true;
                }};
    case M::kCommunities:
        // name, user name, status
        return {Columns(oid::kSnmpCommunityEntry, {1, 2, 3}), M::kCommunityRow,
                [](const CWalkReply& r, QStringList& cells) {
                    cells << Name(r, 0) << Name(r, 1) << r.Value(2);
                    return true;
                }};
    case M::kHosts:
        // columns 2, 1, 3, 4; record: address, version, community or user name, status
        return {Columns(oid::kSnmpHostEntry, {2, 1, 3, 4}), M::kOtherRow,
                [](const CWalkReply& r, QStringList& cells) {
                    cells << r.Value(1) << M::HostVersionText(r.Value(2)) << Name(r, 0) << r.Value(3);
                    return true;
                }};
    }
    return {};
}

} // namespace

CSnmpAdminModel::CSnmpAdminModel(QObject* pPage) : m_tableWalk(pPage, m_cCommonSNMPTable), m_userWalk(pPage, m_cCommonSNMPGetUse)
{
    for (CPageWalk* pWalk : {&m_tableWalk, &m_userWalk}) {
        pWalk->SetEndSink([this, pWalk](int) {
            if (pWalk == &m_tableWalk && m_bUsersFollow) {
                m_bUsersFollow = false;
                if (StartWalk(kUsers))
                    return;
            }
            Deliver(kEndOfWalk, {});
        });
    }
}

void CSnmpAdminModel::Deliver(int nKind, const QStringList& record)
{
    if (m_handler)
        m_handler(nKind, record);
}

bool CSnmpAdminModel::StartWalk(Table table)
{
    const CTableWalk walk = WalkOf(table);
    CPageWalk& pageWalk = table == kUsers ? m_userWalk : m_tableWalk;
    m_bUsersFollow = table == kCommunities;
    pageWalk.SetAcceptCount(static_cast<int>(walk.columns.size()));
    pageWalk.SetRenderer(walk.renderer);
    const int nKind = walk.nKind;
    pageWalk.SetRowSink([this, nKind](const QStringList& cells) { Deliver(nKind, cells); });
    return pageWalk.Start(walk.columns);
}

bool CSnmpAdminModel::SetRowStatus(const QString& strColumnOid, const QString& strIndex, const QString& strValue,
                                   QWidget* pParent)
{
    if (strValue != QLatin1String("1") && strValue != QLatin1String("5") && strValue != QLatin1String("6")) {
        AppMessageBox(QStringLiteral("error istatus value!"), pParent);
        return false;
    }
    return Set({{strColumnOid + strIndex, kSnmpTypeInteger, strValue.toLatin1()}});
}

bool CSnmpAdminModel::Set(const std::vector<CBinding>& bindings)
{
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return false;
    for (const CBinding& b : bindings)
        m_cCommonSNMPSet.AddOidValue(b.strOid, b.nType, b.value);
    std::unique_ptr<CSnmp> pReply;
    const int nResult = m_cCommonSNMPSet.Send(pReply, 0);
    return nResult == 0;  // the reply is dropped unread; the refresh shows the outcome
}

QString CSnmpAdminModel::NameIndex(const QString& strName)
{
    // The bytes as unsigned numbers: a byte above 127 read as a signed character would give a
    // negative sub-identifier, which cannot be sent.
    const QByteArray bytes = CUtf8Text::ToDevice(strName);
    QString strIndex = QLatin1Char('.') + QString::number(bytes.size());
    for (char c : bytes)
        strIndex += QLatin1Char('.') + QString::number(static_cast<unsigned char>(c));
    return strIndex;
}

QString CSnmpAdminModel::VersionArc(const QString& strVersion)
{
    if (strVersion == QLatin1String("v1") || strVersion == QLatin1String("V1"))
        return QStringLiteral(".1");
    if (strVersion == QLatin1String("v2c") || strVersion == QLatin1String("V2c"))
        return QStringLiteral(".2");
    if (strVersion == QLatin1String("v3") || strVersion == QLatin1String("V3"))
        return QStringLiteral(".3");
    return QString();
}

QString CSnmpAdminModel::LevelArc(const QString& strLevel)
{
    if (strLevel == QLatin1String("NoAuthNoPriv"))
        return QStringLiteral(".1");
    if (strLevel == QLatin1String("AuthNoPriv"))
        return QStringLiteral(".2");
    if (strLevel == QLatin1String("AuthPriv"))
        return QStringLiteral(".3");
    return QString();
}

QString CSnmpAdminModel::VersionText(const QString& v) { return Pick(v, {"V1", "V2c", "V3"}); }
QString CSnmpAdminModel::AuthText(const QString& v) { return Pick(v, {"None", "MD5", "SHA"}); }
QString CSnmpAdminModel::PrivText(const QString& v) { return Pick(v, {"None", "DES_CBC"}); }
QString CSnmpAdminModel::ModelText(const QString& v) { return Pick(v, {"v1", "v2c", "v3"}); }
QString CSnmpAdminModel::LevelText(const QString& v) { return Pick(v, {"NoAuthNoPriv", "AuthNoPriv", "AuthPriv"}); }
QString CSnmpAdminModel::ViewTypeText(const QString& v) { return Pick(v, {"Included", "Excluded"}); }
QString CSnmpAdminModel::HostVersionText(const QString& v)
{
    return Pick(v, {"V1", "V2c", "V3-NoAuthNoPriv", "V3-AuthNoPriv", "V3-AuthPriv"});
}

bool CSnmpAdminModel::ViewFromSuffix(const QString& strSuffix, const QByteArray& mask, QString& strName,
                                     QString& strSubtree, QString& strMask)
{
    QStringList arcs = strSuffix.split(QLatin1Char('.'));
    if (!arcs.isEmpty() && arcs.front().isEmpty())
        arcs.removeFirst();
    bool ok = false;
    const int nLength = arcs.value(0).toInt(&ok);
    if (!ok || nLength < 0 || arcs.size() < nLength + 2)
        return false;
    QByteArray name;
    for (int i = 1; i <= nLength; ++i) {
        const int b = arcs[i].toInt(&ok);
        if (!ok || b < 0 || b > 255)
            return false;
        name.append(static_cast<char>(b));
    }
    const int nArcs = arcs[nLength + 1].toInt(&ok);
    if (!ok || nArcs < 0 || arcs.size() != nLength + 2 + nArcs)
        return false;
    strName = CUtf8Text::FromDevice(name);
    strSubtree = arcs.mid(nLength + 2).join(QLatin1Char('.'));
    QStringList maskParts;
    for (int i = 0; i < nArcs && i < mask.size(); ++i)
        maskParts << QString::asprintf("%d", static_cast<int>(static_cast<unsigned char>(mask[i])));
    strMask = maskParts.join(QLatin1Char('.'));
    return true;
}

CSnmpAdminPage::CSnmpAdminPage(int nTemplate, QWidget* parent) : CPageDlg(nTemplate, parent), m_model(this)
{
    AddSession(m_model.m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_model.m_cCommonSNMPSet, "m_cCommonSNMPSet");
    AddSession(m_model.m_cCommonSNMPTable, "m_cCommonSNMPTable");
    AddSession(m_model.m_cCommonSNMPGetUse, "m_cCommonSNMPGetUse");
}

CSnmpTablePage::CSnmpTablePage(int nTemplate, const QString& strCaption, const CIds& ids, QWidget* parent)
    : CSnmpAdminPage(nTemplate, parent), m_ids(ids), m_strCaption(strCaption)
{
    m_pList = SetControlId(new CListCtrl(this), ids.nList);
}

void CSnmpTablePage::Finish(QBoxLayout* pInputs)
{
    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pList, 1);
    pLayout->addLayout(pInputs);
    auto* pButtons = new QHBoxLayout;
    pButtons->addStretch(1);
    auto button = [&](int nId, const char* pszText, std::function<void()> handler) {
        pButtons->addWidget(AddButton(nId, QLatin1String(pszText), std::move(handler)));
    };
    if (m_ids.nAdd)
        button(m_ids.nAdd, "Add", [this] { OnAdd(); });
    button(m_ids.nApply, "Apply", [this] { OnApply(); });
    button(m_ids.nCancel, "Cancel", [this] { OnCancel(); });
    button(m_ids.nDelete, "Delete", [this] { OnDelete(); });
    button(m_ids.nRefresh, "Refresh", [this] { OnRefresh(); });
    button(m_ids.nClose, "Close", [this] { reject(); });
    pLayout->addLayout(pButtons);
    resize(620, 420);
}

bool CSnmpTablePage::OnInitDialog()
{
    CSnmpAdminPage::OnInitDialog();  // topmost, icon 447
    setWindowTitle(m_strCaption);
    m_pList->SetExtendedStyle(CListCtrl::kGridLines | CListCtrl::kFullRowSelect);
    int nCol = 0;
    for (const auto& [heading, nWidth] : Columns())
        m_pList->InsertColumn(nCol++, heading, nWidth);
    InitInputs();
    // The first input has the focus, as a dialog's first edit control does.
    if (auto* pFirst = findChild<QLineEdit*>())
        pFirst->setFocus();
    FindControl<QWidget>(this, m_ids.nApply)->setEnabled(true);
    m_model.SetPage([this](int nKind, const QStringList& record) {
        if (nKind == CSnmpAdminModel::kEndOfWalk) {
            m_bBusy = false;
            EnableButtons(true);
            return;
        }
        OnRow(nKind, record);
    });
    OnRefresh();
    return true;
}

void CSnmpTablePage::EnableButtons(bool bEnable)
{
    for (int nId : {m_ids.nApply, m_ids.nCancel, m_ids.nDelete, m_ids.nRefresh})
        if (auto* p = FindControl<QWidget>(this, nId))
            p->setEnabled(bEnable);
}

void CSnmpTablePage::OnRefresh()
{
    EnableButtons(false);
    m_pList->DeleteAllItems();
    m_bBusy = true;
    // When nothing can be sent the walk ends at once, and its end message enables the buttons.
    m_model.StartWalk(WalkTable());
}

void CSnmpTablePage::OnApply()
{
    CWaitCursor wait;
    if (AddRow()) {
        ClearInputs();
        OnRefresh();
    }
}

void CSnmpTablePage::OnDelete()
{
    const int nRow = m_pList->GetSelectedRow();
    if (nRow < 0) {
        Message(NoSelectionText());
        return;
    }
    DeleteRow(nRow);
    OnRefresh();
}

void CSnmpTablePage::OnCancel()
{
    ClearInputs();
    OnRefresh();
}

void CSnmpTablePage::AppendRow(const QStringList& cells)
{
    const int nRow = m_pList->InsertItem(m_pList->GetItemCount(), cells.value(0));
    for (int c = 1; c < cells.size(); ++c)
        m_pList->SetItemText(nRow, c, cells[c]);
}

bool CSnmpTablePage::AnyRow(const std::function<bool(int nRow)>& match) const
{
    for (int r = 0; r < m_pList->GetItemCount(); ++r)
        if (match(r))
            return true;
    return false;
}

void CSnmpTablePage::Message(const QString& strText)
{
    AppMessageBox(strText, this);
}
