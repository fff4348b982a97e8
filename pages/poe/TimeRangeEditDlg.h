// Time Based PoE Config: one time range's name, optional dates, times and weekdays. In add mode the
// range gets the first free number; in edit mode the range is read and written in place.
#pragma once

#include "pages/common/PageDlg.h"
#include "pages/poe/PoeOids.h"
#include "snmp/CommonSnmp.h"

#include <QString>

#include <vector>

class QCheckBox;
class QComboBox;
class QLineEdit;

class CTimeRangeEditDlg : public CPageDlg {
    Q_OBJECT
public:
    enum : int {
        IDD = 175,
        IDC_FROM_YEAR = 1008,
        IDC_TO_YEAR = 1009,
        IDC_TO_DAY = 1010,
        IDC_FROM_DAY = 1011,
        IDC_TO_MONTH = 1012,
        IDC_START_MINUTE = 1013,
        IDC_START_HOUR = 1014,
        IDC_END_MINUTE = 1015,
        IDC_END_HOUR = 1016,
        IDC_DATE = 1071,
        IDC_NAME = 1073,
        IDC_APPLY = 1079,
        IDC_FROM_MONTH = 1086,
        IDC_MONDAY = 1087,
        IDC_TUESDAY = 1088,
        IDC_FRIDAY = 1089,
        IDC_ALL_DAYS = 1090,
        IDC_WEDNESDAY = 1100,
        IDC_THURSDAY = 1101,
        IDC_SATURDAY = 1103,
        IDC_SUNDAY = 1104,
    };
    static constexpr int kMaxRanges = 8;
    static constexpr int kMaxNameLength = 20;
    // Monday to Sunday.
    static constexpr int kDayIds[7] = {IDC_MONDAY, IDC_TUESDAY, IDC_WEDNESDAY, IDC_THURSDAY,
                                       IDC_FRIDAY, IDC_SATURDAY, IDC_SUNDAY};

    // bAdd: add mode; strNumber: the range edited (edit mode); ranges: what the list page read.
    CTimeRangeEditDlg(bool bAdd, const QString& strNumber, const std::vector<TimeRangeEntry>& ranges,
                      QWidget* parent = nullptr);

    bool OnInitDialog() override;
    void OnApply();

    // The message of the first date or time check that fails, empty when all pass. Dates are
    // year, month, day; times hour, minute.
    static QString CheckSchedule(int fromYear, int fromMonth, int fromDay, int toYear, int toMonth, int toDay,
                                 int startHour, int startMinute, int endHour, int endMinute);
    // The number a new range takes: 0 when every one is in use.
    static int FreeNumber(const std::vector<TimeRangeEntry>& ranges);

private:
    void ReadRange();
    void EnableDates(bool bEnable);
    QComboBox* AddCombo(int nId, int nFirst, int nLast);
    static int Selected(const QComboBox* pCombo);

    bool m_bAdd;
    QString m_strNumber;
    const std::vector<TimeRangeEntry>& m_ranges;
    CCommonSNMP m_cCommonSNMP;
    CCommonSNMP m_cCommonSNMPSet;
    QLineEdit* m_pName;
    QCheckBox* m_pDate;
    std::vector<QComboBox*> m_dateCombos;
};
