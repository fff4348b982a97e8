#include "pages/poe/TimeRangeEditDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/MessageBox.h"
#include "pages/common/SwitchOids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QGridLayout>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QVBoxLayout>

CTimeRangeEditDlg::CTimeRangeEditDlg(bool bAdd, const QString& strNumber, const std::vector<TimeRangeEntry>& ranges,
                                     QWidget* parent)
    : CPageDlg(IDD, parent), m_bAdd(bAdd), m_strNumber(strNumber), m_ranges(ranges)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    m_pName = SetControlId(new QLineEdit(this), IDC_NAME);
    m_pName->setMaxLength(kMaxNameLength);
    m_pDate = SetControlId(new QCheckBox(QStringLiteral("Date"), this), IDC_DATE);
    auto* pGrid = new QGridLayout;
    pGrid->addWidget(new QLabel(QStringLiteral("Name"), this), 0, 0);
    pGrid->addWidget(m_pName, 0, 1, 1, 3);
    pGrid->addWidget(m_pDate, 1, 0);
    const struct {
        int nId, nFirst, nLast, nRow, nCol;
    } combos[] = {
        {IDC_FROM_YEAR, 2009, 2037, 2, 1},  {IDC_FROM_MONTH, 1, 12, 2, 2}, {IDC_FROM_DAY, 1, 31, 2, 3},
        {IDC_TO_YEAR, 2009, 2037, 3, 1},    {IDC_TO_MONTH, 1, 12, 3, 2},   {IDC_TO_DAY, 1, 31, 3, 3},
        {IDC_START_HOUR, 0, 23, 4, 1},      {IDC_START_MINUTE, 0, 59, 4, 2},
        {IDC_END_HOUR, 0, 23, 5, 1},        {IDC_END_MINUTE, 0, 59, 5, 2},
    };
    for (const auto& c : combos) {
        QComboBox* pCombo = AddCombo(c.nId, c.nFirst, c.nLast);
        pGrid->addWidget(pCombo, c.nRow, c.nCol);
        if (c.nRow <= 3)
            m_dateCombos.push_back(pCombo);
    }
    pGrid->addWidget(new QLabel(QStringLiteral("From (year/month/day)"), this), 2, 0);
    pGrid->addWidget(new QLabel(QStringLiteral("To (year/month/day)"), this), 3, 0);
    pGrid->addWidget(new QLabel(QStringLiteral("Start Time (hour/minute)"), this), 4, 0);
    pGrid->addWidget(new QLabel(QStringLiteral("End Time (hour/minute)"), this), 5, 0);
    auto* pDays = new QHBoxLayout;
    static const char* const kDayNames[] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};
    for (int d = 0; d < 7; ++d)
        pDays->addWidget(SetControlId(new QCheckBox(QString::fromLatin1(kDayNames[d]), this), kDayIds[d]));
    auto* pAll = SetControlId(new QCheckBox(QStringLiteral("Select All Days"), this), IDC_ALL_DAYS);
    connect(pAll, &QCheckBox::toggled, this, [this](bool bOn) {
        for (int nId : kDayIds)
            FindControl<QCheckBox>(this, nId)->setChecked(bOn);
    });
    connect(m_pDate, &QCheckBox::toggled, this, [this](bool bOn) { EnableDates(bOn); });
    auto* pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pCancel = AddButton(IDCANCEL, QStringLiteral("Cancel"), [this] { reject(); });

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addLayout(pGrid);
    pLayout->addLayout(pDays);
    pLayout->addWidget(pAll);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(pApply);
    pBottom->addWidget(pCancel);
    pLayout->addLayout(pBottom);
}

QComboBox* CTimeRangeEditDlg::AddCombo(int nId, int nFirst, int nLast)
{
    auto* pCombo = SetControlId(new QComboBox(this), nId);
    for (int n = nFirst; n <= nLast; ++n)
        pCombo->addItem(QString::number(n));
    return pCombo;
}

int CTimeRangeEditDlg::Selected(const QComboBox* pCombo)
{
    return pCombo->currentIndex() < 0 ? -1 : pCombo->currentText().toInt();
}

bool CTimeRangeEditDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Time Based PoE Config"));
    if (m_bAdd) {
        // A new range starts without dates; the combos show their first items.
        m_pDate->setChecked(false);
        EnableDates(false);
        return true;
    }
    m_pName->setEnabled(false);
    ReadRange();
    return true;
}

void CTimeRangeEditDlg::EnableDates(bool bEnable)
{
    for (QComboBox* pCombo : m_dateCombos)
        pCombo->setEnabled(bEnable);
}

void CTimeRangeEditDlg::ReadRange()
{
    if (!m_cCommonSNMP.Open(kSnmpPduGet))
        return;
    for (int c = kTrNumber; c <= kTrRowStatus; ++c)
        m_cCommonSNMP.AddOid(oid::TimeRangeCell(c, m_strNumber.toInt()), kSnmpTypeNull, nullptr);
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMP.Send(pReply, 0) != 0 || !pReply || pReply->getValuesCount() < kTrRowStatus)
        return;
    QStringList values;
    for (int i = 0; i < kTrRowStatus; ++i) {
        int nType = 0;
        QString strValue;
        pReply->getValue(i, nType, strValue);
        values << strValue;
    }
    QByteArray name;
    pReply->getValue(kTrName - 1, name);
    m_pName->setText(CUtf8Text::FromDevice(name));
    const auto select = [&](int nId, int nColumn) {
        auto* pCombo = FindControl<QComboBox>(this, nId);
        pCombo->setCurrentIndex(pCombo->findText(values.value(nColumn - 1)));
    };
    const bool bDate = values.value(kTrDateOn - 1) == QLatin1String("1");
    m_pDate->setChecked(bDate);
    EnableDates(bDate);
    if (bDate) {
        select(IDC_FROM_YEAR, kTrFromYear);
        select(IDC_FROM_MONTH, kTrFromYear + 1);
        select(IDC_FROM_DAY, kTrFromYear + 2);
        select(IDC_TO_YEAR, kTrToYear);
        select(IDC_TO_MONTH, kTrToYear + 1);
        select(IDC_TO_DAY, kTrToYear + 2);
    }
    select(IDC_START_HOUR, kTrStartHour);
    select(IDC_START_MINUTE, kTrStartHour + 1);
    select(IDC_END_HOUR, kTrEndHour);
    select(IDC_END_MINUTE, kTrEndHour + 1);
    for (int d = 0; d < 7; ++d)
        FindControl<QCheckBox>(this, kDayIds[d])->setChecked(values.value(kTrMonday - 1 + d) == QLatin1String("1"));
}

QString CTimeRangeEditDlg::CheckSchedule(int fromYear, int fromMonth, int fromDay, int toYear, int toMonth, int toDay,
                                         int startHour, int startMinute, int endHour, int endMinute)
{
    const int nStart = startHour * 100 + startMinute;
    const int nEnd = endHour * 100 + endMinute;
    const int nFrom = fromYear * 10000 + fromMonth * 100 + fromDay;
    const int nTo = toYear * 10000 + toMonth * 100 + toDay;
    if (nStart == nEnd)
        return QStringLiteral("'Start Time' and 'End Time' can't be the same");
    if (nTo < nFrom) {
        if (toYear < fromYear)
            return QStringLiteral("'To year' can't be less than 'From year'");
        if (toMonth < fromMonth)
            return QStringLiteral("'To month' can't be less than 'From month'");
        return QStringLiteral("'To day' can't be less than 'From day'");
    }
    if (nFrom == nTo && nEnd < nStart)
        return QStringLiteral("'Start Time' can't be grater than 'End Time'");
    return QString();
}

int CTimeRangeEditDlg::FreeNumber(const std::vector<TimeRangeEntry>& ranges)
{
    int nActive = 0;
    for (const TimeRangeEntry& range : ranges)
        nActive += range.strStatus == QLatin1String(oid::kRowActive) ? 1 : 0;
    if (nActive >= kMaxRanges)
        return 0;
    for (int k = 0; k <= nActive; ++k) {
        if (k >= static_cast<int>(ranges.size()))
            return k + 1;
        const TimeRangeEntry& range = ranges[static_cast<std::size_t>(k)];
        if (range.nNumber != k + 1 || range.strStatus == QLatin1String(oid::kRowNotInService))
            return k + 1;
    }
    return 0;
}

void CTimeRangeEditDlg::OnApply()
{
    const QString strName = m_pName->text();
    if (m_bAdd) {
        if (strName.isEmpty()) {
            AppMessageBox(QStringLiteral("The TimeRange name can not be empty,please input it."), this);
            return;
        }
        bool bTaken = false;
        for (const TimeRangeEntry& range : m_ranges)
            bTaken = bTaken || range.strName == strName;
        if (HasForbiddenNameChar(strName) || bTaken) {
            AppMessageBox(QStringLiteral("Invalid TimeRange Name."), this);
            return;
        }
    }
    const bool bDate = m_pDate->isChecked();
    int date[6] = {2, 2, 2, 2, 2, 2};
    if (bDate) {
        const int ids[6] = {IDC_FROM_YEAR, IDC_FROM_MONTH, IDC_FROM_DAY, IDC_TO_YEAR, IDC_TO_MONTH, IDC_TO_DAY};
        for (int i = 0; i < 6; ++i) {
            date[i] = Selected(FindControl<QComboBox>(this, ids[i]));
            if (date[i] < 0)
                return;  // an unselected date ends Apply without a message
        }
    }
    const int times[4] = {Selected(FindControl<QComboBox>(this, IDC_START_HOUR)),
                          Selected(FindControl<QComboBox>(this, IDC_START_MINUTE)),
                          Selected(FindControl<QComboBox>(this, IDC_END_HOUR)),
                          Selected(FindControl<QComboBox>(this, IDC_END_MINUTE))};
    for (int t : times)
        if (t < 0)
            return;
    const QString strError =
        CheckSchedule(date[0], date[1], date[2], date[3], date[4], date[5], times[0], times[1], times[2], times[3]);
    if (!strError.isEmpty()) {
        AppMessageBox(strError, this);
        return;
    }
    int nNumber = m_strNumber.toInt();
    if (m_bAdd) {
        nNumber = FreeNumber(m_ranges);
        if (nNumber == 0)
            AppMessageBox(QStringLiteral("The max number of PoE Time Range is 8"), this);
    }
    if (nNumber != 0) {
        std::unique_ptr<CSnmp> pReply;
        // A new range is made first; an edited one is written in place, so that a refused write
        // leaves it as it was.
        bool bMade = !m_bAdd;
        if (m_bAdd && m_cCommonSNMPSet.Open(kSnmpPduSet)) {
            m_cCommonSNMPSet.AddOid(oid::TimeRangeCell(kTrRowStatus, nNumber), kSnmpTypeInteger, oid::kRowCreateAndWait);
            bMade = m_cCommonSNMPSet.Send(pReply, 0) == 0;
        }
        if (bMade && m_cCommonSNMPSet.Open(kSnmpPduSet)) {
            m_cCommonSNMPSet.AddOidValue(oid::TimeRangeCell(kTrName, nNumber), kSnmpTypeOctetString,
                                         CUtf8Text::ToDevice(strName));
            m_cCommonSNMPSet.AddOid(oid::TimeRangeCell(kTrDateOn, nNumber), kSnmpTypeInteger, bDate ? "1" : "2");
            if (bDate) {
                const int columns[6] = {kTrFromYear, kTrFromYear + 1, kTrFromYear + 2, kTrToYear, kTrToYear + 1, kTrToYear + 2};
                for (int i = 0; i < 6; ++i)
                    m_cCommonSNMPSet.AddOid(oid::TimeRangeCell(columns[i], nNumber), kSnmpTypeInteger, QString::number(date[i]));
            }
            const int timeColumns[4] = {kTrStartHour, kTrStartHour + 1, kTrEndHour, kTrEndHour + 1};
            for (int i = 0; i < 4; ++i)
                m_cCommonSNMPSet.AddOid(oid::TimeRangeCell(timeColumns[i], nNumber), kSnmpTypeInteger, QString::number(times[i]));
            for (int d = 0; d < 7; ++d)
                m_cCommonSNMPSet.AddOid(oid::TimeRangeCell(kTrMonday + d, nNumber), kSnmpTypeInteger,
                                        FindControl<QCheckBox>(this, kDayIds[d])->isChecked() ? "1" : "2");
            m_cCommonSNMPSet.AddOid(oid::TimeRangeCell(kTrRowStatus, nNumber), kSnmpTypeInteger, oid::kRowActive);
            // A new range the switch would not take is not left behind half made.
            if (m_cCommonSNMPSet.GetNextSync(pReply, 0) != 0 && m_bAdd && m_cCommonSNMPSet.Open(kSnmpPduSet)) {
                m_cCommonSNMPSet.AddOid(oid::TimeRangeCell(kTrRowStatus, nNumber), kSnmpTypeInteger, oid::kRowDestroy);
                m_cCommonSNMPSet.Send(pReply, 0);
            }
        }
    }
    accept();
}
