#include "pages/snmp/SnmpTablePages.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/IpAddressCtrl.h"
#include "pages/common/ListCtrl.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QThread>

namespace {

constexpr int kMaxName = 32;
const QString kActive = QStringLiteral("1");

QLineEdit* Edit(QWidget* pPage, int nId, int nLimit = kMaxName)
{
    auto* p = SetControlId(new QLineEdit(pPage), nId);
    if (nLimit > 0)
        p->setMaxLength(nLimit);
    return p;
}

QComboBox* Combo(QWidget* pPage, int nId, const QStringList& items)
{
    auto* p = SetControlId(new QComboBox(pPage), nId);
    p->addItems(items);
    return p;
}

// The inputs in a grid of label and control pairs, two pairs a line.
QHBoxLayout* Inputs(QWidget* pPage, const std::vector<std::pair<const char*, QWidget*>>& controls)
{
    auto* pGrid = new QGridLayout;
    int n = 0;
    for (const auto& [pszLabel, pControl] : controls) {
        if (pszLabel)
            pGrid->addWidget(new QLabel(QLatin1String(pszLabel), pPage), n / 2, (n % 2) * 2);
        pGrid->addWidget(pControl, n / 2, (n % 2) * 2 + 1);
        ++n;
    }
    auto* pRow = new QHBoxLayout;
    pRow->addLayout(pGrid);
    return pRow;
}

QByteArray Utf8(const QString& text) { return CUtf8Text::ToDevice(text); }
QByteArray Number(int n) { return QByteArray::number(n); }

} // namespace

// ---- Users ----

CSnmpUserDlg::CSnmpUserDlg(QWidget* parent)
    : CSnmpTablePage(IDD, QStringLiteral("SNMP User Table"),
                     {IDC_LIST, IDC_APPLY, IDC_CANCEL, IDC_DELETE, IDC_REFRESH, IDC_CLOSE, IDC_ADD}, parent)
{
    m_pUser = Edit(this, IDC_USER);
    m_pGroup = Edit(this, IDC_GROUP);
    m_pVersion = Combo(this, IDC_VERSION, {QStringLiteral("V1"), QStringLiteral("V2c"), QStringLiteral("V3")});
    m_pEncrypted = SetControlId(new QCheckBox(QStringLiteral("encrypted"), this), IDC_ENCRYPTED);
    m_pAuth = Combo(this, IDC_AUTH, {QStringLiteral("MD5"), QStringLiteral("SHA")});
    m_pPriv = Combo(this, IDC_PRIV, {QStringLiteral("DES"), QStringLiteral("None")});
    // The passwords are checked against their protocol's length, so the edits take more than a name.
    m_pAuthPassword = Edit(this, IDC_AUTH_PASSWORD, 0);
    m_pPrivPassword = Edit(this, IDC_PRIV_PASSWORD, 0);
    for (QLineEdit* p : {m_pAuthPassword, m_pPrivPassword})
        p->setEchoMode(QLineEdit::Password);
    connect(m_pVersion, &QComboBox::currentIndexChanged, this, [this] { OnVersionChanged(); });
    connect(m_pEncrypted, &QCheckBox::clicked, this, [this] { OnEncryptedClicked(); });
    connect(m_pPriv, &QComboBox::currentIndexChanged, this, [this] { OnPrivChanged(); });
    Finish(Inputs(this, {{"User Name", m_pUser}, {"Group Name", m_pGroup}, {"SNMP Version", m_pVersion},
                         {nullptr, m_pEncrypted}, {"Auth-Protocol", m_pAuth}, {"Password", m_pAuthPassword},
                         {"Priv-Protocol", m_pPriv}, {"Password", m_pPrivPassword}}));
}

std::vector<std::pair<QString, int>> CSnmpUserDlg::Columns() const
{
    return {{QStringLiteral("User Name"), 100}, {QStringLiteral("Group Name"), 100}, {QStringLiteral("SNMP Version"), 100},
            {QStringLiteral("Auth Protocol"), 105}, {QStringLiteral("Priv-Protocol"), 105}};
}

void CSnmpUserDlg::InitInputs()
{
    ClearInputs();
}

void CSnmpUserDlg::OnVersionChanged()
{
    const bool bV3 = m_pVersion->currentText() == QLatin1String("V3");
    m_pEncrypted->setEnabled(bV3);
    if (!bV3) {
        m_pAuth->setEnabled(false);
        m_pPriv->setEnabled(false);
    }
}

void CSnmpUserDlg::OnEncryptedClicked()
{
    const bool bOn = m_pEncrypted->isChecked();
    m_pAuth->setEnabled(bOn);
    m_pPriv->setEnabled(bOn);
    m_pAuthPassword->setEnabled(bOn);
    m_pPrivPassword->setEnabled(bOn && m_pPriv->currentText() == QLatin1String("DES"));
}

void CSnmpUserDlg::OnPrivChanged()
{
    m_pPrivPassword->setEnabled(m_pPriv->currentText() == QLatin1String("DES"));
}

void CSnmpUserDlg::OnRow(int nKind, const QStringList& r)
{
    // name, group, version, authentication, column 5, privacy, column 7, status
    if (nKind == CSnmpAdminModel::kUserRow && r.value(7) == kActive)
        AppendRow({r.value(0), r.value(1), r.value(2), r.value(3), r.value(5)});
}

bool CSnmpUserDlg::AddRow()
{
    const QString strUser = m_pUser->text();
    const QString strGroup = m_pGroup->text();
    const QString strVersion = m_pVersion->currentText();
    if (strUser.isEmpty()) {
        Message(QStringLiteral("Please enter valid User Name "));
        return false;
    }
    if (HasForbiddenNameChar(strUser)) {
        Message(QStringLiteral("Invalid User Name ."));
        return false;
    }
    if (strGroup.isEmpty()) {
        Message(QStringLiteral("Please enter valid Group Name "));
        return false;
    }
    if (HasForbiddenNameChar(strGroup)) {
        Message(QStringLiteral("Invalid Group Name."));
        return false;
    }
    if (AnyRow([&](int r) { return m_pList->GetItemText(r, 0) == strUser && m_pList->GetItemText(r, 2) == strVersion; })) {
        Message(QStringLiteral("This User Entry already exists."));
        return false;
    }
    if (m_pList->GetItemCount() >= 50) {
        Message(QStringLiteral("Maximum number of User Entry is 50."));
        return false;
    }
    const bool bEncrypted = m_pEncrypted->isChecked() && m_pEncrypted->isEnabled();
    const bool bSha = m_pAuth->currentText() == QLatin1String("SHA");
    const bool bDes = m_pPriv->currentText() == QLatin1String("DES");
    const QString strAuthPassword = bEncrypted ? m_pAuthPassword->text() : QString();
    const QString strPrivPassword = bEncrypted && bDes ? m_pPrivPassword->text() : QString();
    if (bEncrypted) {
        if (strAuthPassword.isEmpty()) {
            Message(QStringLiteral("Auth-Protocol Password can't be empty."));
            return false;
        }
        if (!bSha && strAuthPassword.size() > 32) {
            Message(QStringLiteral(" MD5 Max. Password length is 32."));
            return false;
        }
        if (bSha && strAuthPassword.size() > 40) {
            Message(QStringLiteral(" SHA Max. Password length is 40."));
            return false;
        }
        if (bDes && strPrivPassword.isEmpty()) {
            Message(QStringLiteral("Priv-Protocol Password can't be empty."));
            return false;
        }
        if (bDes && strPrivPassword.size() > 32) {
            Message(QStringLiteral(" DES Max. Password length is 32."));
            m_pPrivPassword->setFocus();
            m_pPrivPassword->selectAll();
            return false;
        }
    }
    const QString strIndex = CSnmpAdminModel::NameIndex(strUser) + CSnmpAdminModel::VersionArc(strVersion);
    auto column = [](int c) { return oid::Column(oid::kSnmpUserEntry, c); };
    m_model.SetRowStatus(column(8), strIndex, QStringLiteral("5"), this);
    m_model.Set({{column(3) + strIndex, kSnmpTypeOctetString, Utf8(strGroup)}});
    if (strVersion == QLatin1String("V3")) {
        // A user without the "encrypted" box has no authentication: protocol 1 (None), so the
        // binding always carries a value the switch can take.
        std::vector<CSnmpAdminModel::CBinding> protocols = {
            {column(4) + strIndex, kSnmpTypeInteger, Number(bEncrypted ? (bSha ? 3 : 2) : 1)}};
        if (bEncrypted && bDes)
            protocols.push_back({column(6) + strIndex, kSnmpTypeInteger, Number(2)});
        m_model.Set(protocols);
        if (bEncrypted) {
            std::vector<CSnmpAdminModel::CBinding> passwords = {
                {column(5) + strIndex, kSnmpTypeOctetString, Utf8(strAuthPassword)}};
            if (bDes)
                passwords.push_back({column(7) + strIndex, kSnmpTypeOctetString, Utf8(strPrivPassword)});
            m_model.Set(passwords);
        }
    }
    m_model.SetRowStatus(column(8), strIndex, QStringLiteral("1"), this);
    return true;
}

void CSnmpUserDlg::DeleteRow(int nRow)
{
    const QString strIndex = CSnmpAdminModel::NameIndex(m_pList->GetItemText(nRow, 0)) +
                             CSnmpAdminModel::VersionArc(m_pList->GetItemText(nRow, 2));
    m_model.SetRowStatus(oid::Column(oid::kSnmpUserEntry, 8), strIndex, QStringLiteral("6"), this);
}

void CSnmpUserDlg::ClearInputs()
{
    for (QLineEdit* p : {m_pUser, m_pGroup, m_pAuthPassword, m_pPrivPassword})
        p->clear();
    for (QComboBox* p : {m_pVersion, m_pAuth, m_pPriv})
        p->setCurrentIndex(0);
    m_pEncrypted->setChecked(false);
    for (QWidget* p : std::initializer_list<QWidget*>{m_pAuth, m_pPriv, m_pAuthPassword, m_pPrivPassword, m_pEncrypted})
        p->setEnabled(false);
}

// ---- Groups ----

CSnmpGroupDlg::CSnmpGroupDlg(QWidget* parent)
    : CSnmpTablePage(IDD, QStringLiteral("SNMP Group Table"),
                     {IDC_LIST, IDC_APPLY, IDC_CANCEL, IDC_DELETE, IDC_REFRESH, IDC_CLOSE, IDC_ADD}, parent)
{
    m_pName = Edit(this, IDC_NAME);
    m_pRead = Edit(this, IDC_READ);
    m_pWrite = Edit(this, IDC_WRITE);
    m_pNotify = Edit(this, IDC_NOTIFY);
    m_pModel = Combo(this, IDC_MODEL, {QStringLiteral("v1"), QStringLiteral("v2c"), QStringLiteral("v3")});
    m_pLevel = Combo(this, IDC_LEVEL, {QStringLiteral("NoAuthNoPriv"), QStringLiteral("AuthNoPriv"), QStringLiteral("AuthPriv")});
    connect(m_pModel, &QComboBox::currentIndexChanged, this,
            [this] { m_pLevel->setEnabled(m_pModel->currentText() == QLatin1String("v3")); });
    Finish(Inputs(this, {{"Group Name", m_pName}, {"Read View", m_pRead}, {"Write View", m_pWrite},
                         {"Notify View", m_pNotify}, {"Security Model", m_pModel}, {"Security Level", m_pLevel}}));
}

std::vector<std::pair<QString, int>> CSnmpGroupDlg::Columns() const
{
    std::vector<std::pair<QString, int>> columns;
    for (const char* p : {"Group Name", "Read View", "Write View", "Notify View", "Security Model", "Security Level"})
        columns.emplace_back(QLatin1String(p), 100);
    return columns;
}

void CSnmpGroupDlg::InitInputs()
{
    ClearInputs();
}

void CSnmpGroupDlg::OnRow(int, const QStringList& r)
{
    // name, read, write, notify, model, level, status
    if (r.value(6) == kActive)
        AppendRow(r.mid(0, 6));
}

bool CSnmpGroupDlg::AddRow()
{
    const QString strName = m_pName->text();
    const QString strModel = m_pModel->currentText();
    if (strName.isEmpty()) {
        Message(QStringLiteral("Please enter valid group name!"));
        return false;
    }
    if (HasForbiddenNameChar(strName)) {
        Message(QStringLiteral("Invalid Group Name."));
        return false;
    }
    if (AnyRow([&](int r) { return m_pList->GetItemText(r, 0) == strName && m_pList->GetItemText(r, 4) == strModel; })) {
        Message(QStringLiteral("This Group Entry already exists."));
        return false;
    }
    if (m_pList->GetItemCount() >= 50) {
        Message(QStringLiteral("Maximum number of Group Entry is 50."));
        return false;
    }
    const QString strLevelArc = CSnmpAdminModel::LevelArc(m_pLevel->currentText());
    const QString strIndex = CSnmpAdminModel::NameIndex(strName) + CSnmpAdminModel::VersionArc(strModel) + strLevelArc;
    auto column = [&](int c) { return oid::Column(oid::kSnmpGroupEntry, c) + strIndex; };
    m_model.SetRowStatus(oid::Column(oid::kSnmpGroupEntry, 7), strIndex, QStringLiteral("5"), this);
    // The level goes to the row's security-level column (3): the object a switch that keeps the
    // level in its table expects, and one it can check against the level of the index.
    std::vector<CSnmpAdminModel::CBinding> bindings = {{column(3), kSnmpTypeInteger, strLevelArc.mid(1).toLatin1()}};
    const std::pair<int, QLineEdit*> views[] = {{4, m_pRead}, {5, m_pWrite}, {6, m_pNotify}};
    for (const auto& [nColumn, pEdit] : views)
        if (!pEdit->text().isEmpty())
            bindings.push_back({column(nColumn), kSnmpTypeOctetString, Utf8(pEdit->text())});
    m_model.Set(bindings);
    m_model.SetRowStatus(oid::Column(oid::kSnmpGroupEntry, 7), strIndex, QStringLiteral("1"), this);
    ClearInputs();
    QThread::msleep(50);
    return true;
}

void CSnmpGroupDlg::DeleteRow(int nRow)
{
    const QString strIndex = CSnmpAdminModel::NameIndex(m_pList->GetItemText(nRow, 0)) +
                             CSnmpAdminModel::VersionArc(m_pList->GetItemText(nRow, 4)) +
                             CSnmpAdminModel::LevelArc(m_pList->GetItemText(nRow, 5));
    m_model.SetRowStatus(oid::Column(oid::kSnmpGroupEntry, 7), strIndex, QStringLiteral("6"), this);
}

void CSnmpGroupDlg::ClearInputs()
{
    for (QLineEdit* p : {m_pName, m_pRead, m_pWrite, m_pNotify})
        p->clear();
    m_pModel->setCurrentIndex(0);
    m_pLevel->setCurrentIndex(0);
    m_pLevel->setEnabled(false);
}

// ---- Views ----

CSnmpViewDlg::CSnmpViewDlg(QWidget* parent)
    : CSnmpTablePage(IDD, QStringLiteral("SNMP View Table"),
                     {IDC_LIST, IDC_APPLY, IDC_CANCEL, IDC_DELETE, IDC_REFRESH, IDC_CLOSE, IDC_ADD}, parent)
{
    m_pName = Edit(this, IDC_NAME);
    m_pSubtree = Edit(this, IDC_SUBTREE);
    m_pMask = Edit(this, IDC_MASK, 0);
    m_pType = Combo(this, IDC_TYPE, {QStringLiteral("Included"), QStringLiteral("Excluded")});
    Finish(Inputs(this, {{"View Name", m_pName}, {"Subtree OID", m_pSubtree}, {"OID Mask", m_pMask}, {"View Type", m_pType}}));
}

std::vector<std::pair<QString, int>> CSnmpViewDlg::Columns() const
{
    std::vector<std::pair<QString, int>> columns;
    for (const char* p : {"View Name", "Subtree OID", "OID Mask", "View Type"})
        columns.emplace_back(QLatin1String(p), 100);
    return columns;
}

void CSnmpViewDlg::InitInputs()
{
    ClearInputs();
}

void CSnmpViewDlg::OnRow(int, const QStringList& r)
{
    // name, subtree, mask, type, status
    if (r.value(4) == kActive)
        AppendRow(r.mid(0, 4));
}

QString CSnmpViewDlg::CheckSubtree(const QString& strSubtree)
{
    for (QChar c : strSubtree)
        if (!c.isDigit() && c != QLatin1Char('.'))
            return QStringLiteral("Please enter valid subtree OID");
    const QStringList arcs = strSubtree.split(QLatin1Char('.'));
    for (int i = 0; i < arcs.size(); ++i) {
        bool ok = false;
        // An empty arc (two dots, a leading or a trailing dot), or one beyond a sub-identifier's range.
        if (arcs[i].isEmpty() || (arcs[i].toULongLong(&ok), !ok) || arcs[i].toULongLong() > 4294967295ULL)
            return QStringLiteral("Please enter valid subtree OID .");
    }
    return QString();
}

QString CSnmpViewDlg::CheckMask(const QString& strMask, int nArcs, QByteArray& bytes)
{
    bytes.clear();
    if (strMask.isEmpty())
        return QStringLiteral("Please enter valid OID Mask.");
    const QStringList parts = strMask.split(QLatin1Char('.'));
    for (const QString& p : parts) {
        if (p == QLatin1String("0") || p == QLatin1String("00"))
            bytes.append('\0');
        else if (p == QLatin1String("1") || p == QLatin1String("01"))
            bytes.append('\1');
        else
            return QStringLiteral("Please enter valid OID Mask.");
    }
    if (parts.size() > nArcs)
        return QStringLiteral("Invalid  OID length");
    return QString();
}

bool CSnmpViewDlg::AddRow()
{
    const QString strName = m_pName->text();
    const QString strSubtree = m_pSubtree->text();
    if (strName.isEmpty()) {
        Message(QStringLiteral("Please enter valid view name."));
        return false;
    }
    if (HasForbiddenNameChar(strName)) {
        Message(QStringLiteral("Invalid View Name."));
        return false;
    }
    if (const QString strError = CheckSubtree(strSubtree); !strError.isEmpty()) {
        Message(strError);
        return false;
    }
    const int nArcs = static_cast<int>(strSubtree.count(QLatin1Char('.'))) + 1;
    QByteArray mask;
    if (const QString strError = CheckMask(m_pMask->text(), nArcs, mask); !strError.isEmpty()) {
        Message(strError);
        return false;
    }
    if (AnyRow([&](int r) { return m_pList->GetItemText(r, 0) == strName && m_pList->GetItemText(r, 1) == strSubtree; })) {
        Message(QStringLiteral("This View Entry already exist."));
        return false;
    }
    if (m_pList->GetItemCount() >= 50) {
        Message(QStringLiteral("Maximum number of View Entry is 50."));
        return false;
    }
    const QString strIndex = CSnmpAdminModel::NameIndex(strName) + QLatin1Char('.') + QString::number(nArcs) +
                             QLatin1Char('.') + strSubtree;
    auto column = [&](int c) { return oid::Column(oid::kSnmpViewEntry, c); };
    m_model.SetRowStatus(column(5), strIndex, QStringLiteral("5"), this);
    m_model.Set({{column(3) + strIndex, kSnmpTypeOctetString, mask},
                 {column(4) + strIndex, kSnmpTypeInteger, Number(m_pType->currentIndex() + 1)}});
    m_model.SetRowStatus(column(5), strIndex, QStringLiteral("1"), this);
    return true;
}

void CSnmpViewDlg::DeleteRow(int nRow)
{
    const QString strSubtree = m_pList->GetItemText(nRow, 1);
    const QString strIndex = CSnmpAdminModel::NameIndex(m_pList->GetItemText(nRow, 0)) + QLatin1Char('.') +
                             QString::number(strSubtree.count(QLatin1Char('.')) + 1) + QLatin1Char('.') + strSubtree;
    m_model.SetRowStatus(oid::Column(oid::kSnmpViewEntry, 5), strIndex, QStringLiteral("6"), this);
}

void CSnmpViewDlg::ClearInputs()
{
    for (QLineEdit* p : {m_pName, m_pSubtree, m_pMask})
        p->clear();
    m_pType->setCurrentIndex(0);
}

// ---- Communities ----

CSnmpCommunityDlg::CSnmpCommunityDlg(QWidget* parent)
    : CSnmpTablePage(IDD, QStringLiteral("SNMP Community Table"),
                     {IDC_LIST, IDC_APPLY, IDC_CANCEL, IDC_DELETE, IDC_REFRESH, IDC_CLOSE, IDC_ADD}, parent)
{
    m_pName = Edit(this, IDC_NAME);
    m_pUser = Combo(this, IDC_USER, {});
    Finish(Inputs(this, {{"Community Name", m_pName}, {"User Name", m_pUser}}));
}

std::vector<std::pair<QString, int>> CSnmpCommunityDlg::Columns() const
{
    return {{QStringLiteral("Community Name"), 250}, {QStringLiteral("User Name"), 248}};
}

void CSnmpCommunityDlg::InitInputs()
{
    ClearInputs();
}

void CSnmpCommunityDlg::OnAdd()
{
    FindControl<QWidget>(this, IDC_APPLY)->setEnabled(true);
}

void CSnmpCommunityDlg::OnRow(int nKind, const QStringList& r)
{
    if (nKind == CSnmpAdminModel::kCommunityRow) {
        if (r.value(2) == kActive)
            AppendRow({r.value(0), r.value(1)});
        return;
    }
    // The users that may own a community: SNMPv1 and SNMPv2c users, each once.
    if (nKind == CSnmpAdminModel::kUserRow && r.value(2) != QLatin1String("V3") && r.value(2) != QLatin1String("v3") &&
        r.value(7) == kActive) {
        if (m_pUser->findText(r.value(0), Qt::MatchFixedString) < 0)
            m_pUser->addItem(r.value(0));
        m_pUser->setCurrentIndex(0);
    }
}

bool CSnmpCommunityDlg::AddRow()
{
    const QString strName = m_pName->text().trimmed();
    if (strName.isEmpty()) {
        Message(QStringLiteral("Please enter valid Community Name !"));
        return false;
    }
    if (HasForbiddenNameChar(strName)) {
        Message(QStringLiteral("Invalid Community Name."));
        return false;
    }
    if (AnyRow([&](int r) { return m_pList->GetItemText(r, 0) == strName; })) {
        Message(QStringLiteral("This Community Entry already exists."));
        return false;
    }
    if (m_pList->GetItemCount() >= 10) {
        Message(QStringLiteral("Maximum number of Community Entry is 10."));
        return false;
    }
    const QString strIndex = CSnmpAdminModel::NameIndex(strName);
    const QString strStatus = oid::Column(oid::kSnmpCommunityEntry, 3);
    m_model.SetRowStatus(strStatus, strIndex, QStringLiteral("5"), this);
    m_model.Set({{oid::Column(oid::kSnmpCommunityEntry, 2) + strIndex, kSnmpTypeOctetString, Utf8(m_pUser->currentText())}});
    m_model.SetRowStatus(strStatus, strIndex, QStringLiteral("1"), this);
    return true;
}

void CSnmpCommunityDlg::DeleteRow(int nRow)
{
    m_model.SetRowStatus(oid::Column(oid::kSnmpCommunityEntry, 3), CSnmpAdminModel::NameIndex(m_pList->GetItemText(nRow, 0)),
                         QStringLiteral("6"), this);
}

void CSnmpCommunityDlg::ClearInputs()
{
    m_pUser->setCurrentIndex(0);
    m_pName->clear();
}

// ---- Trap hosts ----

CSnmpHostDlg::CSnmpHostDlg(QWidget* parent)
    : CSnmpTablePage(IDD, QStringLiteral("SNMP Host Table"),
                     {IDC_LIST, IDC_APPLY, IDC_CANCEL, IDC_DELETE, IDC_REFRESH, IDC_CLOSE, IDC_ADD}, parent)
{
    m_pAddress = SetControlId(new CIpAddressCtrl(this), IDC_ADDRESS);
    m_pVersion = Combo(this, IDC_VERSION, {QStringLiteral("V1"), QStringLiteral("V2c"), QStringLiteral("V3-NoAuthNoPriv"),
                                           QStringLiteral("V3-AuthNoPriv"), QStringLiteral("V3-AuthPriv")});
    m_pName = Edit(this, IDC_NAME);
    Finish(Inputs(this, {{"Host IP Address", m_pAddress}, {"SNMP Version", m_pVersion},
                         {"Community Name/SNMPv3 User Name", m_pName}}));
}

std::vector<std::pair<QString, int>> CSnmpHostDlg::Columns() const
{
    return {{QStringLiteral("Host IP Address"), 150}, {QStringLiteral("SNMP Version"), 130},
            {QStringLiteral("Community Name/SNMPv3 User Name "), 250}};
}

void CSnmpHostDlg::InitInputs()
{
    ClearInputs();
}

void CSnmpHostDlg::OnRow(int, const QStringList& r)
{
    // address, version, name, status
    if (r.value(3) == kActive)
        AppendRow(r.mid(0, 3));
}

bool CSnmpHostDlg::ValidHost(int nFilled, const std::array<int, 4>& a)
{
    if (nFilled != 4 || (a[0] == 0 && a[1] == 0 && a[2] == 0 && a[3] == 0))
        return false;
    if (a[0] == 0 || a[0] == 255 || a[3] == 0 || a[3] == 255)
        return false;
    const std::uint32_t address = (std::uint32_t(a[0]) << 24) | (std::uint32_t(a[1]) << 16) | (std::uint32_t(a[2]) << 8) |
                                  std::uint32_t(a[3]);
    auto hostPart = [&](int nBits) {
        const std::uint32_t host = address & ((1u << nBits) - 1);
        return host != 0 && host != (1u << nBits) - 1;
    };
    if (a[0] < 128)  // class A
        return a[0] != 0 && a[0] != 127 && hostPart(24);
    if (a[0] < 192)  // class B
        return hostPart(16);
    if (a[0] < 224)  // class C
        return hostPart(8);
    return false;
}

bool CSnmpHostDlg::AddRow()
{
    std::array<int, 4> a{};
    const int nFilled = m_pAddress->GetAddress(a);
    if (!ValidHost(nFilled, a)) {
        if (nFilled != 4)
            m_pAddress->SetFocus();
        Message(QStringLiteral("Invalid Host IP."));
        return false;
    }
    const QString strAddress = QStringLiteral("%1.%2.%3.%4").arg(a[0]).arg(a[1]).arg(a[2]).arg(a[3]);
    if (AnyRow([&](int r) { return m_pList->GetItemText(r, 0) == strAddress; })) {
        Message(QStringLiteral("This IP Address has used,please enter other IP Address"));
        return false;
    }
    const QString strName = m_pName->text();
    if (strName.isEmpty()) {
        Message(QStringLiteral("The Community String or SNMPv3 User Name can not be empty."));
        return false;
    }
    if (HasForbiddenNameChar(strName)) {
        Message(QStringLiteral("Invalid Community String/SNMPv3 User Name. "));
        return false;
    }
    if (m_pList->GetItemCount() >= 10) {
        Message(QStringLiteral("Maximum number of Host Entry is 10."));
        return false;
    }
    const QString strIndex = QLatin1Char('.') + strAddress;
    const QString strStatus = oid::Column(oid::kSnmpHostEntry, 4);
    m_model.SetRowStatus(strStatus, strIndex, QStringLiteral("5"), this);
    m_model.Set({{oid::Column(oid::kSnmpHostEntry, 2) + strIndex, kSnmpTypeOctetString, Utf8(strName)},
                 {oid::Column(oid::kSnmpHostEntry, 3) + strIndex, kSnmpTypeInteger, Number(m_pVersion->currentIndex() + 1)}});
    m_model.SetRowStatus(strStatus, strIndex, QStringLiteral("1"), this);
    return true;
}

void CSnmpHostDlg::DeleteRow(int nRow)
{
    m_model.SetRowStatus(oid::Column(oid::kSnmpHostEntry, 4), QLatin1Char('.') + m_pList->GetItemText(nRow, 0),
                         QStringLiteral("6"), this);
}

void CSnmpHostDlg::ClearInputs()
{
    m_pAddress->Clear();
    m_pVersion->setCurrentIndex(0);
    m_pName->clear();
}
