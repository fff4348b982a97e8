// The switch's own SNMP agent, as the eight SNMP pages manage it: CSnmpAdminModel (the sessions, the
// table walks with their row records, the row-status writes and the table indexes), CSnmpAdminPage
// (a page that embeds the model) and CSnmpTablePage (the pattern of the five table pages: list, Apply
// to add a row, Delete, Refresh, Cancel, Close). Each table page is a small description on it.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "snmp/CommonSnmp.h"

#include <QByteArray>
#include <QString>
#include <QStringList>

#include <functional>
#include <utility>
#include <vector>

class CListCtrl;
class QBoxLayout;

namespace oid {
// The agent settings: global state, the tables' entries (column OIDs are entry + "." + column),
// the engine ID and the trap switches (kSnmpTrapSwitch + ".N.0").
inline const QString kSnmpGlobalState = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.25.1.0");
inline const QString kSnmpUserEntry = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.25.2.1.1");
inline const QString kSnmpGroupEntry = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.25.3.1.1");
inline const QString kSnmpViewEntry = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.25.4.1.1");
inline const QString kSnmpCommunityEntry = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.25.5.1.1");
inline const QString kSnmpHostEntry = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.25.6.1.1");
inline const QString kSnmpEngineId = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.25.7.0");
inline const QString kSnmpTrapSwitch = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.25.8");

inline QString Column(const QString& strEntry, int nColumn) { return strEntry + QLatin1Char('.') + QString::number(nColumn); }
} // namespace oid

class CSnmpAdminModel {
public:
    // The row message's kinds (WM_SNMPADMIN_ROW): a community row, a user row, a group, view or host
    // row, and the end of a walk (also when a step fails).
    static constexpr int WM_SNMPADMIN_ROW = 0x040A;
    enum RowKind : int { kOtherRow = 0, kEndOfWalk = 1, kCommunityRow = 100, kUserRow = 111 };
    enum Table { kUsers, kGroups, kViews, kCommunities, kHosts };
    // Receives every row record and the end, on the page's thread.
    using RowHandler = std::function<void(int nKind, const QStringList& record)>;

    explicit CSnmpAdminModel(QObject* pPage);

    // The page that receives the walks' rows (its window handle, in the pattern's words).
    void SetPage(RowHandler handler) { m_handler = std::move(handler); }

    // Starts the walk of a table. The community walk is followed by the user walk (the pages that
    // list communities also offer the users), whose end is the end of both.
    bool StartWalk(Table table);

    // Sets a row's status column (entry.column + index) to "1", "5" or "6" through
    // m_cCommonSNMPSet; any other value shows "error istatus value!" and sends nothing.
    bool SetRowStatus(const QString& strColumnOid, const QString& strIndex, const QString& strValue, QWidget* pParent);
    // One SET of the given bindings (OID, type code, value bytes) through m_cCommonSNMPSet; the
    // reply is not looked at.
    struct CBinding {
        QString strOid;
        int nType;
        QByteArray value;
    };
    bool Set(const std::vector<CBinding>& bindings);

    // Indexes: a name's length and then its UTF-8 bytes as unsigned numbers ("public" gives
    // .6.112.117.98.108.105.99), each with its leading dot.
    static QString NameIndex(const QString& strName);
    // ".1", ".2" or ".3" for v1/V1, v2c/V2c, v3/V3 (security model or version), and for NoAuthNoPriv,
    // AuthNoPriv, AuthPriv; empty for another text.
    static QString VersionArc(const QString& strVersion);
    static QString LevelArc(const QString& strLevel);

    // Texts of the values read.
    static QString VersionText(const QString& strValue);       // 1 V1, 2 V2c, 3 V3
    static QString AuthText(const QString& strValue);          // 1 None, 2 MD5, 3 SHA
    static QString PrivText(const QString& strValue);          // 1 None, 2 DES_CBC
    static QString ModelText(const QString& strValue);         // 1 v1, 2 v2c, 3 v3
    static QString LevelText(const QString& strValue);         // 1 NoAuthNoPriv, 2 AuthNoPriv, 3 AuthPriv
    static QString ViewTypeText(const QString& strValue);      // 1 Included, 2 Excluded
    static QString HostVersionText(const QString& strValue);   // 1 V1 ... 5 V3-AuthPriv
    // A view row's name, subtree and mask from its index suffix (".len.name.arcs.subtree") and the
    // mask bytes read; false when the suffix is not one.
    static bool ViewFromSuffix(const QString& strSuffix, const QByteArray& mask, QString& strName, QString& strSubtree,
                               QString& strMask);

    // Closed in this order when the page is destroyed.
    CCommonSNMP m_cCommonSNMP;        // global state read, trap switches read and write
    CCommonSNMP m_cCommonSNMPSet;     // every other write
    CCommonSNMP m_cCommonSNMPTable;   // table walks but the users', the engine ID read
    CCommonSNMP m_cCommonSNMPGetUse;  // the user walk

private:
    void Deliver(int nKind, const QStringList& record);

    CPageWalk m_tableWalk;
    CPageWalk m_userWalk;
    RowHandler m_handler;
    bool m_bUsersFollow = false;  // the running community walk is followed by the user walk
};

// A page with the model embedded: its four sessions are the page's, closed in the model's order.
class CSnmpAdminPage : public CPageDlg {
    Q_OBJECT
public:
    CSnmpAdminPage(int nTemplate, QWidget* parent);
    CSnmpAdminModel& Model() { return m_model; }

protected:
    CSnmpAdminModel m_model;
};

// The table pages' pattern. A page builds its inputs, hands them to Finish, and says what differs:
// its columns, its walk, which rows it lists, its checks and writes, what Delete removes.
class CSnmpTablePage : public CSnmpAdminPage {
    Q_OBJECT
public:
    struct CIds {
        int nList, nApply, nCancel, nDelete, nRefresh, nClose, nAdd;
    };

    bool OnInitDialog() override;
    void OnRefresh();
    void OnApply();
    void OnDelete();
    void OnCancel();

    CListCtrl* List() const { return m_pList; }
    // True from the start of a walk until its end message.
    bool IsBusy() const { return m_bBusy; }

protected:
    CSnmpTablePage(int nTemplate, const QString& strCaption, const CIds& ids, QWidget* parent);
    // Lays the page out: the list, the inputs under it, the buttons at the bottom.
    void Finish(QBoxLayout* pInputs);

    // The differences.
    virtual std::vector<std::pair<QString, int>> Columns() const = 0;
    virtual CSnmpAdminModel::Table WalkTable() const = 0;
    // Fills and selects the combos and limits the edits (opening).
    virtual void InitInputs() = 0;
    // A row message; the base has handled the end already.
    virtual void OnRow(int nKind, const QStringList& record) = 0;
    // Checks the inputs in order (the first failure shows its message) and writes the row; true when
    // written.
    virtual bool AddRow() = 0;
    // Removes the row at nRow of the list.
    virtual void DeleteRow(int nRow) = 0;
    virtual QString NoSelectionText() const { return QStringLiteral("Please Selecte the Item you would delete"); }
    // Clears the inputs (Cancel, and after a write).
    virtual void ClearInputs() = 0;
    // The Add button: nothing, except on the community page.
    virtual void OnAdd() {}

    // Appends a list row.
    void AppendRow(const QStringList& cells);
    // Whether a list row satisfies match (exact comparisons, as every duplicate test).
    bool AnyRow(const std::function<bool(int nRow)>& match) const;
    void Message(const QString& strText);

    CIds m_ids;
    CListCtrl* m_pList;

private:
    void EnableButtons(bool bEnable);
    QString m_strCaption;
    bool m_bBusy = false;
};
