#include "pages/poe/TimeRangeListDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/SwitchOids.h"
#include "pages/poe/TimeRangeEditDlg.h"

#include <QHBoxLayout>
#include <QVBoxLayout>

namespace {

QString TwoDigits(const QString& strValue)
{
    return strValue.rightJustified(2, QLatin1Char('0'));
}

} // namespace

CTimeRangeListDlg::CTimeRangeListDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    auto* pAdd = AddButton(IDC_ADD, QStringLiteral("Add"), [this] { OnAdd(); });
    auto* pEdit = AddButton(IDC_EDIT, QStringLiteral("Edit"), [this] { OnEdit(); });
    auto* pDelete = AddButton(IDC_DELETE, QStringLiteral("Delete"), [this] { OnDelete(); });
    auto* pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });
    LayOutList(m_pList, nullptr, {pAdd, pEdit, pDelete, pRefresh, pClose});
    resize(640, 320);

    // Every row read is kept; the active ones are listed.
    m_walk.SetAcceptCount(kTrRowStatus);
    m_walk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        for (int i = 0; i < reply.Count(); ++i)
            cells << (i == kTrName - 1 ? CUtf8Text::FromDevice(reply.Bytes(i)) : reply.Value(i));
        return true;
    });
    m_walk.SetRowSink([this](const QStringList& cells) { AddRange(cells); });
    m_walk.SetEndSink([this](int) { EnableButtons(true); });
}

bool CTimeRangeListDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("Time Range Information"));
    int nCol = 0;
    for (const char* pszHeading : {"Rang Name", "Weekdays", "From Day", "To Day", "Start Time", "End Time"})
        InsertColumnAuto(*m_pList, nCol++, QString::fromLatin1(pszHeading));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    OnRefresh();
    return true;
}

void CTimeRangeListDlg::EnableButtons(bool bEnable)
{
    for (int nId : {IDC_ADD, IDC_EDIT, IDC_DELETE, IDC_REFRESH})
        FindControl<QWidget>(this, nId)->setEnabled(bEnable);
}

void CTimeRangeListDlg::OnRefresh()
{
    m_ranges.clear();
    m_pList->DeleteAllItems();
    EnableButtons(false);
    QStringList columns;
    for (int c = kTrNumber; c <= kTrRowStatus; ++c)
        columns << oid::TimeRangeColumn(c);
    m_walk.Start(columns);
}

QString CTimeRangeListDlg::WeekdaysText(const QStringList& values)
{
    static const char* const kDays[] = {"Mon,", "Tue,", "Wed,", "Thu,", "Fri,", "Sat,", "Sun,"};
    QString strDays;
    for (int d = 0; d < 7; ++d)
        if (values.value(kTrMonday - 1 + d) == QLatin1String("1"))
            strDays += QLatin1String(kDays[d]);
    if (strDays.endsWith(QLatin1Char(',')))
        strDays.chop(1);
    return strDays;
}

QString CTimeRangeListDlg::DayText(const QStringList& values, int nYearColumn)
{
    if (values.value(kTrDateOn - 1) != QLatin1String("1"))
        return QString();
    return values.value(nYearColumn - 1) + QLatin1Char('/') + TwoDigits(values.value(nYearColumn)) + QLatin1Char('/')
        + TwoDigits(values.value(nYearColumn + 1));
}

QString CTimeRangeListDlg::TimeText(const QStringList& values, int nHourColumn)
{
    return TwoDigits(values.value(nHourColumn - 1)) + QLatin1Char(':') + TwoDigits(values.value(nHourColumn));
}

void CTimeRangeListDlg::AddRange(const QStringList& cells)
{
    const QString strStatus = cells.value(kTrRowStatus - 1);
    m_ranges.push_back({cells.value(kTrNumber - 1).toInt(), cells.value(kTrName - 1), strStatus});
    if (strStatus != QLatin1String(oid::kRowActive))
        return;
    const int nRow = m_pList->InsertItem(m_pList->GetItemCount(), cells.value(kTrName - 1));
    m_pList->SetItemText(nRow, 1, WeekdaysText(cells));
    m_pList->SetItemText(nRow, 2, DayText(cells, kTrFromYear));
    m_pList->SetItemText(nRow, 3, DayText(cells, kTrToYear));
    m_pList->SetItemText(nRow, 4, TimeText(cells, kTrStartHour));
    m_pList->SetItemText(nRow, 5, TimeText(cells, kTrEndHour));
    m_pList->topLevelItem(nRow)->setData(0, Qt::UserRole, cells.value(kTrNumber - 1));
}

void CTimeRangeListDlg::OnDelete()
{
    const int nRow = m_pList->GetSelectedRow();
    if (m_pList->GetItemCount() == 0 || nRow < 0) {
        AppMessageBox(QStringLiteral("Please select the Time Range to be deleted!"), this,
                      m_pList->GetItemCount() == 0 ? MsgIcon::None : MsgIcon::Information);
        return;
    }
    const QString strNumber = m_pList->topLevelItem(nRow)->data(0, Qt::UserRole).toString();
    if (!m_cCommonSNMPSet.Open(kSnmpPduSet))
        return;
    m_cCommonSNMPSet.AddOid(oid::TimeRangeCell(kTrRowStatus, strNumber.toInt()), kSnmpTypeInteger, oid::kRowDestroy);
    std::unique_ptr<CSnmp> pReply;
    if (m_cCommonSNMPSet.Send(pReply, 0) != 0)
        return;  // the list stays as it was read
    OnRefresh();
}

void CTimeRangeListDlg::OnAdd()
{
    CTimeRangeEditDlg page(true, QString(), m_ranges);
    RunSubPage(page);
    OnRefresh();
}

void CTimeRangeListDlg::OnEdit()
{
    const int nRow = m_pList->GetSelectedRow();
    if (m_pList->GetItemCount() == 0 || nRow < 0) {
        AppMessageBox(QStringLiteral("Please select the Time Range to be edit!"), this,
                      m_pList->GetItemCount() == 0 ? MsgIcon::None : MsgIcon::Information);
        return;
    }
    CTimeRangeEditDlg page(false, m_pList->topLevelItem(nRow)->data(0, Qt::UserRole).toString(), m_ranges);
    RunSubPage(page);
    OnRefresh();
}
