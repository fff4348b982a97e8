// Device Configure: the objects of the kit's configuration description ("TQX9048_CFG.XML"). Section
// DEVINFO is shown (the device information list), section DEVCFG can be set (the options list, a
// value chosen from the object's labels). Requests go through window-bound senders, so their replies
// arrive on the page's thread and a slow switch never holds the window.
#pragma once

#include "pages/common/PageDlg.h"
#include "panel/MibXml.h"
#include "snmp/engine/Snmp.h"

#include <QString>
#include <QStringList>

#include <map>
#include <memory>
#include <vector>

class CListCtrl;
class QComboBox;

class CDeviceConfigDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 484,
        IDC_REFRESH = 4,
        IDC_APPLY = 1006,
        IDC_VALUES = 1007,
        IDC_OPTIONS = 1009,
        IDC_INFO = 1088,
    };
    static constexpr int kTimeoutMs = 3000;
    // After a write, the options are read again this much later.
    static constexpr int kReadBackMs = 2000;

    explicit CDeviceConfigDlg(QWidget* parent = nullptr,
                              const QString& strDescription = QStringLiteral("TQX9048_CFG.XML"));
    ~CDeviceConfigDlg() override;

    bool OnInitDialog() override;
    void OnRefresh();
    void OnApply();
    void OnClickOption(int nRow);

    // Replies still expected.
    bool IsReading() const { return !m_pending.empty(); }

    // A time value in hundredths of a second as "H Hour M Min".
    static QString HoursAndMinutes(const QString& strTicks);

private:
    // One section of the description and what was last read of it.
    struct CSection {
        CMibXml mib;
        CListCtrl* pList = nullptr;
        bool bOpen = false;
        bool bInfo = false;          // the device-information list (times in hours and minutes)
        QStringList oids;            // the objects in description order, without the instance
        std::vector<QString> values; // raw value per object; empty when not (yet) answered
        std::vector<bool> answered;
        unsigned nGeneration = 0;
    };
    struct CRequest {
        CSection* pSection;
        unsigned nGeneration;
        int nObject;  // -1: every object of the section in one message
    };

    void Read(CSection& section);
    bool SendRead(CSection& section, int nObject);
    void OnReply(int nRequestId, std::unique_ptr<CSnmp> pReply, int nError);
    void ShowSection(CSection& section);
    QString Shown(CSection& section, int nObject) const;
    static unsigned int ReplyCallback(CSnmp* pReply, int nRequestId, void* pUser, int nError);

    QString m_strDescription;
    CSection m_info;
    CSection m_options;
    CSnmp4w m_snmp4wInfo;
    CSnmp4w m_snmp4wOptions;
    CSnmp4w m_snmp4wSet;
    std::map<int, CRequest> m_pending;
    QComboBox* m_pValues;
    QWidget* m_pApply;
    QString m_strSelectedOid;
};
