// ARP Spoofing Prevention: the gateways (IP and MAC) the switch guards against spoofed ARP replies and
// the ports each is guarded on; the add page takes a new gateway and its ports, keeping trunks whole.
#pragma once

#include "pages/common/PageWalk.h"
#include "pages/common/ResizeDlg.h"
#include "pages/common/TrunkMap.h"
#include "snmp/CommonSnmp.h"

#include <array>
#include <vector>

class CIpAddressCtrl;
class CListCtrl;
class QCheckBox;
class QLabel;
class QLineEdit;

class CArpSpoofingDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 196,
        IDC_ADD = 1001,
        IDC_DELETE = 1003,
        IDC_REFRESH = 1044,
        IDC_LIST = 1045,
        IDC_TOTAL = 1144,
    };
    static constexpr int kMaxEntries = 64;

    explicit CArpSpoofingDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnAdd();
    void OnDelete();
    bool IsReading() const { return m_walk.IsRunning(); }

private:

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CPageWalk m_walk{this, m_cCommonSNMPTable};
    CListCtrl* m_pList;
    QLabel* m_pTotal;
    QWidget* m_pRefresh;
};

class CArpSpoofingAddDlg : public CResizeDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 197,
        IDC_APPLY = 1000,
        IDC_IP = 1012,
        IDC_MAC = 1139,
        IDC_ALL_PORTS = 1141,
        IDC_GROUP_PORTS = 1142,
        IDC_BOX_BASE = 6000,  // + port
    };

    CArpSpoofingAddDlg(int nPortNum, QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnApply();
    bool IsReadingTrunks() const { return m_trunks.IsRunning(); }
    CTrunkMap& Trunks() { return m_trunks; }

    // The message that refuses a gateway address (fields as the control holds them, nFilled of them
    // not blank), empty when it may be used.
    static QString CheckGatewayIp(const std::array<int, 4>& fields, int nFilled);
    // The same for a MAC address text of six hex pairs separated by "-".
    static QString CheckGatewayMac(const QString& strMac);

private:
    std::vector<int> PortFlags() const;

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPTable;
    CTrunkMap m_trunks{this, m_cCommonSNMPTable};
    int m_nPortNum;
    CIpAddressCtrl* m_pIp;
    QLineEdit* m_pMac;
    QCheckBox* m_pAllPorts;
    std::vector<QCheckBox*> m_boxes;
};
