// The agent's tables, one page each on the table-page pattern (pages/snmp/SnmpAdminModel.h): users,
// groups, views, communities and trap hosts.
#pragma once

#include "pages/snmp/SnmpAdminModel.h"

#include <array>

class CIpAddressCtrl;
class QCheckBox;
class QComboBox;
class QLineEdit;

class CSnmpUserDlg : public CSnmpTablePage {
    Q_OBJECT
public:
    enum : int { IDD = 198, IDC_LIST = 1145, IDC_USER = 1183, IDC_GROUP = 1172, IDC_VERSION = 1184, IDC_ENCRYPTED = 1148,
                 IDC_AUTH = 1185, IDC_AUTH_PASSWORD = 1007, IDC_PRIV = 1186, IDC_PRIV_PASSWORD = 1008, IDC_APPLY = 1000,
                 IDC_CANCEL = 1180, IDC_DELETE = 1001, IDC_REFRESH = 1002, IDC_CLOSE = 1128, IDC_ADD = 1146 };
    explicit CSnmpUserDlg(QWidget* parent = nullptr);

protected:
    std::vector<std::pair<QString, int>> Columns() const override;
    CSnmpAdminModel::Table WalkTable() const override { return CSnmpAdminModel::kUsers; }
    void InitInputs() override;
    void OnRow(int nKind, const QStringList& record) override;
    bool AddRow() override;
    void DeleteRow(int nRow) override;
    void ClearInputs() override;

private:
    void OnVersionChanged();
    void OnEncryptedClicked();
    void OnPrivChanged();
    QLineEdit *m_pUser, *m_pGroup, *m_pAuthPassword, *m_pPrivPassword;
    QComboBox *m_pVersion, *m_pAuth, *m_pPriv;
    QCheckBox* m_pEncrypted;
};

class CSnmpGroupDlg : public CSnmpTablePage {
    Q_OBJECT
public:
    enum : int { IDD = 200, IDC_LIST = 1150, IDC_NAME = 1172, IDC_READ = 1173, IDC_WRITE = 1005, IDC_NOTIFY = 1176,
                 IDC_MODEL = 1174, IDC_LEVEL = 1175, IDC_APPLY = 1179, IDC_CANCEL = 1180, IDC_DELETE = 1002,
                 IDC_REFRESH = 1008, IDC_CLOSE = 1178, IDC_ADD = 1177 };
    explicit CSnmpGroupDlg(QWidget* parent = nullptr);

protected:
    std::vector<std::pair<QString, int>> Columns() const override;
    CSnmpAdminModel::Table WalkTable() const override { return CSnmpAdminModel::kGroups; }
    void InitInputs() override;
    void OnRow(int nKind, const QStringList& record) override;
    bool AddRow() override;
    void DeleteRow(int nRow) override;
    void ClearInputs() override;

private:
    QLineEdit *m_pName, *m_pRead, *m_pWrite, *m_pNotify;
    QComboBox *m_pModel, *m_pLevel;
};

class CSnmpViewDlg : public CSnmpTablePage {
    Q_OBJECT
public:
    enum : int { IDD = 203, IDC_LIST = 1167, IDC_NAME = 1168, IDC_SUBTREE = 1169, IDC_MASK = 1170, IDC_TYPE = 1171,
                 IDC_APPLY = 1000, IDC_CANCEL = 1025, IDC_DELETE = 1006, IDC_REFRESH = 1044, IDC_CLOSE = 1128,
                 IDC_ADD = 1001 };
    explicit CSnmpViewDlg(QWidget* parent = nullptr);

    // The subtree's and the mask's checks: the message of the first failure, or empty.
    static QString CheckSubtree(const QString& strSubtree);
    static QString CheckMask(const QString& strMask, int nArcs, QByteArray& bytes);

protected:
    std::vector<std::pair<QString, int>> Columns() const override;
    CSnmpAdminModel::Table WalkTable() const override { return CSnmpAdminModel::kViews; }
    void InitInputs() override;
    void OnRow(int nKind, const QStringList& record) override;
    bool AddRow() override;
    void DeleteRow(int nRow) override;
    void ClearInputs() override;

private:
    QLineEdit *m_pName, *m_pSubtree, *m_pMask;
    QComboBox* m_pType;
};

class CSnmpCommunityDlg : public CSnmpTablePage {
    Q_OBJECT
public:
    enum : int { IDD = 204, IDC_LIST = 1152, IDC_NAME = 1157, IDC_USER = 1158, IDC_ADD = 1189, IDC_APPLY = 1187,
                 IDC_CANCEL = 1188, IDC_DELETE = 1190, IDC_REFRESH = 1191, IDC_CLOSE = 1178 };
    explicit CSnmpCommunityDlg(QWidget* parent = nullptr);

protected:
    std::vector<std::pair<QString, int>> Columns() const override;
    CSnmpAdminModel::Table WalkTable() const override { return CSnmpAdminModel::kCommunities; }
    void InitInputs() override;
    void OnRow(int nKind, const QStringList& record) override;
    bool AddRow() override;
    void DeleteRow(int nRow) override;
    QString NoSelectionText() const override { return QStringLiteral("Please select the item would be delete!\n"); }
    void ClearInputs() override;
    void OnAdd() override;

private:
    QLineEdit* m_pName;
    QComboBox* m_pUser;
};

class CSnmpHostDlg : public CSnmpTablePage {
    Q_OBJECT
public:
    enum : int { IDD = 205, IDC_LIST = 1156, IDC_ADDRESS = 1012, IDC_VERSION = 1162, IDC_NAME = 1163, IDC_APPLY = 1000,
                 IDC_CANCEL = 1025, IDC_DELETE = 1003, IDC_REFRESH = 1044, IDC_CLOSE = 1128, IDC_ADD = 1001 };
    explicit CSnmpHostDlg(QWidget* parent = nullptr);

    // Whether the four fields (nFilled of them filled) make a host address a trap may go to.
    static bool ValidHost(int nFilled, const std::array<int, 4>& a);

protected:
    std::vector<std::pair<QString, int>> Columns() const override;
    CSnmpAdminModel::Table WalkTable() const override { return CSnmpAdminModel::kHosts; }
    void InitInputs() override;
    void OnRow(int nKind, const QStringList& record) override;
    bool AddRow() override;
    void DeleteRow(int nRow) override;
    void ClearInputs() override;

private:
    CIpAddressCtrl* m_pAddress;
    QComboBox* m_pVersion;
    QLineEdit* m_pName;
};
