// Time Range Information: the PoE time ranges with their weekdays, dates and times; ranges are added
// and edited on the editor page and deleted here.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/common/PageWalk.h"
#include "pages/poe/PoeOids.h"
#include "snmp/CommonSnmp.h"

#include <QStringList>

#include <vector>

class CListCtrl;

class CTimeRangeListDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 177,
        IDC_ADD = 1001,
        IDC_EDIT = 1002,
        IDC_DELETE = 1003,
        IDC_LIST = 1080,
        IDC_REFRESH = 103,
    };

    explicit CTimeRangeListDlg(QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnRefresh();
    void OnAdd();
    void OnEdit();
    void OnDelete();

    bool IsReading() const { return m_walk.IsRunning(); }
    // Every range read, listed or not, in the order read.
    const std::vector<TimeRangeEntry>& Ranges() const { return m_ranges; }

    // The list's texts of a row of the 21 columns (values 0 to 20): weekdays, from day, to day,
    // start time, end time.
    static QString WeekdaysText(const QStringList& values);
    static QString DayText(const QStringList& values, int nYearColumn);
    static QString TimeText(const QStringList& values, int nHourColumn);

private:
    void AddRange(const QStringList& cells);
    void EnableButtons(bool bEnable);

    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    CPageWalk m_walk{this, m_cCommonSNMP};
    CListCtrl* m_pList;
    std::vector<TimeRangeEntry> m_ranges;
};
