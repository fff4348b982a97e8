#include "pages/poe/PoeConfigDlg.h"

#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/PortSpan.h"
#include "pages/common/Responsive.h"
#include "pages/common/SwitchOids.h"

#include <QCheckBox>
#include <QComboBox>
#include <QHeaderView>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QThread>
#include <QVBoxLayout>

#include <cmath>

namespace {

// The port walk's columns, values 0 to 10 in this order: state, time range, priority, limit class,
// power, voltage, current, classification, status, user-defined limit in use, user-defined limit.
const int kPortColumns[] = {3, 4, 5, 6, 9, 10, 11, 12, 13, 7, 8};
constexpr int kInitialPorts = 8;

QComboBox* Combo(QWidget* pParent, int nId, const QStringList& items)
{
    auto* pCombo = SetControlId(new QComboBox(pParent), nId);
    pCombo->addItems(items);
    return pCombo;
}

QStringList Numbers(int nFirst, int nLast)
{
    QStringList items;
    for (int n = nFirst; n <= nLast; ++n)
        items << QString::number(n);
    return items;
}

} // namespace

CPoeConfigDlg::CPoeConfigDlg(QWidget* parent) : CPageDlg(IDD, parent)
{
    AddSession(m_cCommonSNMPTimeRang, "m_cCommonSNMPTimeRang");
    AddSession(m_cCommonSNMP, "m_cCommonSNMP");
    AddSession(m_cCommonSNMPSet, "m_cCommonSNMPSet");

    m_pList = SetControlId(new CListCtrl(this), IDC_LIST);
    m_pFromPort = Combo(this, IDC_FROM_PORT, Numbers(1, kInitialPorts));
    m_pToPort = Combo(this, IDC_TO_PORT, Numbers(1, kInitialPorts));
    m_pState = Combo(this, IDC_STATE, {QStringLiteral("Enable"), QStringLiteral("Disable")});
    m_pPriority = Combo(this, IDC_PRIORITY, {QStringLiteral("Low"), QStringLiteral("Normal"), QStringLiteral("High")});
    m_pClass = Combo(this, IDC_CLASS, {QStringLiteral("Auto"), QStringLiteral("Class 1"), QStringLiteral("Class 2"),
                                       QStringLiteral("Class 3"), QStringLiteral("Class 4")});
    m_pTimeRange = Combo(this, IDC_TIME_RANGE, {});
    m_pTimeRange->setSizeAdjustPolicy(QComboBox::AdjustToContents);
    m_pUserDefine = SetControlId(new QCheckBox(QStringLiteral("User Define"), this), IDC_USER_DEFINE);
    m_pLimit = SetControlId(new QLineEdit(this), IDC_LIMIT);
    m_pRefresh = AddButton(IDC_REFRESH, QStringLiteral("Refresh"), [this] { OnRefresh(); });
    m_pApply = AddButton(IDC_APPLY, QStringLiteral("Apply"), [this] { OnApply(); });
    auto* pClose = AddButton(IDCANCEL, QStringLiteral("Close"), [this] { reject(); });

    connect(m_pList, &QTreeWidget::itemClicked, this,
            [this](QTreeWidgetItem* pItem) { OnSelectRow(m_pList->indexOfTopLevelItem(pItem)); });
    connect(m_pFromPort, &QComboBox::activated, this, [this](int nIndex) { OnFromPortChanged(nIndex); });
    connect(m_pToPort, &QComboBox::activated, this, [this](int nIndex) { OnToPortChanged(nIndex); });
    connect(m_pUserDefine, &QCheckBox::toggled, this, [this](bool bOn) {
        m_pLimit->setEnabled(bOn);
        m_pClass->setEnabled(!bOn);
    });

    auto* pLayout = new QVBoxLayout(this);
    pLayout->addWidget(m_pList);
    // Two rows of settings under the list: the span, state and priority; the limit and time range.
    auto* pSpan = new QHBoxLayout;
    auto* pLimits = new QHBoxLayout;
    const auto add = [&](QHBoxLayout* pRow, const char* pszLabel, QWidget* pControl) {
        pRow->addWidget(new QLabel(QString::fromLatin1(pszLabel), this));
        pRow->addWidget(pControl);
        pRow->addSpacing(12);
    };
    add(pSpan, "From Port", m_pFromPort);
    add(pSpan, "To Port", m_pToPort);
    add(pSpan, "State", m_pState);
    add(pSpan, "Priority", m_pPriority);
    pSpan->addStretch();
    add(pLimits, "Power Limit", m_pClass);
    pLimits->addWidget(m_pUserDefine);
    m_pLimit->setMaximumWidth(70);
    add(pLimits, "", m_pLimit);
    add(pLimits, "Time Range", m_pTimeRange);
    pLimits->addStretch();
    pLimits->addWidget(m_pApply);
    pLayout->addLayout(pSpan);
    pLayout->addLayout(pLimits);
    auto* pBottom = new QHBoxLayout;
    pBottom->addStretch();
    pBottom->addWidget(m_pRefresh);
    pBottom->addWidget(pClose);
    pLayout->addLayout(pBottom);
    resize(820, 420);

    // The time ranges first (their names render the port rows), then the ports.
    m_timeRangeWalk.SetAcceptCount(2);
    m_timeRangeWalk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        cells << reply.Value(0) << CUtf8Text::FromDevice(reply.Bytes(1));
        return true;
    });
    m_timeRangeWalk.SetRowSink([this](const QStringList& cells) {
        m_timeRanges.push_back({cells.value(0).toInt(), cells.value(1), QString()});
        m_pTimeRange->addItem(cells.value(1));
    });
    m_timeRangeWalk.SetEndSink([this](int nError) { OnTimeRangeEnd(nError); });
    m_portWalk.SetAcceptCount(static_cast<int>(std::size(kPortColumns)));
    m_portWalk.SetRenderer([](const CWalkReply& reply, QStringList& cells) {
        for (int i = 0; i < reply.Count(); ++i)
            cells << reply.Value(i);
        return true;
    });
    m_portWalk.SetRowSink([this](const QStringList& cells) { AddPortRow(cells); });
    m_portWalk.SetEndSink([this](int nError) { OnPortWalkEnd(nError); });
}

bool CPoeConfigDlg::OnInitDialog()
{
    CPageDlg::OnInitDialog();
    setWindowTitle(QStringLiteral("PoE Configuration"));
    int nCol = 0;
    for (const char* pszHeading : {"Index", "State", "Time Range", "Priority", "Power Limit", "Power(W)", "Voltage(V)",
                                   "Current(mA)", "Classification", "Status"})
        InsertColumnAuto(*m_pList, nCol++, QString::fromLatin1(pszHeading));
    m_pList->SetExtendedStyle(CListCtrl::kFullRowSelect | CListCtrl::kFlatScrollBars);
    m_pList->header()->setStretchLastSection(true);  // the status texts are longer than their heading
    m_pFromPort->setCurrentIndex(0);
    m_pToPort->setCurrentIndex(m_pToPort->count() - 1);
    m_pState->setCurrentIndex(0);
    m_pPriority->setCurrentIndex(1);
    m_pClass->setCurrentIndex(0);
    m_pLimit->setEnabled(false);
    ReadTimeRanges();
    return true;
}

void CPoeConfigDlg::ReadTimeRanges()
{
    m_timeRanges.clear();
    m_pTimeRange->clear();
    m_pTimeRange->addItem(QStringLiteral("N/A"));
    m_pTimeRange->setCurrentIndex(0);
    m_timeRangeWalk.Start({oid::TimeRangeColumn(kTrNumber), oid::TimeRangeColumn(kTrName)});
}

void CPoeConfigDlg::OnTimeRangeEnd(int nError)
{
    EnableButtons(true);
    if (nError == kSnmpEndOfTable)
        StartPortWalk();
}

void CPoeConfigDlg::StartPortWalk()
{
    QStringList columns;
    for (int c : kPortColumns)
        columns << oid::PoeColumn(c);
    m_pList->DeleteAllItems();
    EnableButtons(false);
    m_portWalk.Start(columns);
}

QString CPoeConfigDlg::TimeRangeName(const QString& strNumber) const
{
    if (strNumber == QLatin1String("0"))
        return QStringLiteral("N/A");
    for (const TimeRangeEntry& range : m_timeRanges)
        if (QString::number(range.nNumber) == strNumber)
            return range.strName;
    return QString();
}

QString CPoeConfigDlg::PowerLimitText(const QString& strUserOn, const QString& strUserLimit, const QString& strClass)
{
    if (strUserOn == QLatin1String("1"))
        return strUserLimit;
    static const char* const kClasses[] = {"Auto", "Class 1", "Class 2", "Class 3", "Class 4"};
    bool ok = false;
    const int n = strClass.toInt(&ok);
    return ok && n >= 1 && n <= 5 ? QString::fromLatin1(kClasses[n - 1]) : QString();
}

void CPoeConfigDlg::AddPortRow(const QStringList& cells)
{
    const int nRow = m_pList->GetItemCount();
    m_pList->InsertItem(nRow, QString::number(nRow + 1));
    m_pList->SetItemText(nRow, 1, cells.value(0) == QLatin1String("1") ? QStringLiteral("Enable") : QStringLiteral("Disable"));
    m_pList->SetItemText(nRow, 2, TimeRangeName(cells.value(1)));
    const QString strPriority = cells.value(2);
    m_pList->SetItemText(nRow, 3,
                         strPriority == QLatin1String("1")   ? QStringLiteral("Low")
                         : strPriority == QLatin1String("2") ? QStringLiteral("Normal")
                                                             : QStringLiteral("High"));
    m_pList->SetItemText(nRow, 4, PowerLimitText(cells.value(9), cells.value(10), cells.value(3)));
    for (int i = 4; i <= 8; ++i)
        m_pList->SetItemText(nRow, i + 1, cells.value(i));
}

void CPoeConfigDlg::OnPortWalkEnd(int nError)
{
    (void)nError;
    EnableButtons(true);
    SetPortCount(m_pList->GetItemCount());
}

void CPoeConfigDlg::SetPortCount(int nCount)
{
    // The port boxes offer the switch's PoE ports as the table lists them.
    if (nCount < 1 || nCount == m_pFromPort->count())
        return;
    const bool bToLast = m_pToPort->currentIndex() == m_pToPort->count() - 1;
    const int nFrom = std::min(m_pFromPort->currentIndex(), nCount - 1);
    const int nTo = bToLast ? nCount - 1 : std::min(m_pToPort->currentIndex(), nCount - 1);
    m_pFromPort->clear();
    m_pToPort->clear();
    m_pFromPort->addItems(Numbers(1, nCount));
    m_pToPort->addItems(Numbers(1, nCount));
    m_pFromPort->setCurrentIndex(std::max(nFrom, 0));
    m_pToPort->setCurrentIndex(std::max(nTo, 0));
}

void CPoeConfigDlg::EnableButtons(bool bEnable)
{
    m_pRefresh->setEnabled(bEnable);
    m_pApply->setEnabled(bEnable);
}

void CPoeConfigDlg::OnSelectRow(int nRow)
{
    if (nRow < 0 || nRow >= m_pList->GetItemCount() || nRow >= m_pFromPort->count())
        return;
    m_pFromPort->setCurrentIndex(nRow);
    m_pToPort->setCurrentIndex(nRow);
    m_pState->setCurrentIndex(m_pList->GetItemText(nRow, 1) == QLatin1String("Enable") ? 0 : 1);
}

void CPoeConfigDlg::OnFromPortChanged(int nIndex)
{
    m_pToPort->setCurrentIndex(nIndex);
}

void CPoeConfigDlg::OnToPortChanged(int /*nIndex*/)
{
    KeepPortSpanOrder(*m_pFromPort, *m_pToPort, this);
}

void CPoeConfigDlg::OnRefresh()
{
    ReadTimeRanges();
}

QString CPoeConfigDlg::CheckUserLimit(const QString& strLimit)
{
    const float fLimit = strLimit.trimmed().toFloat();
    if (fLimit < 1.0f || fLimit > 30.0f)
        return QStringLiteral("The User Defined power limit ranges between 1.0 ~ 30.0");
    const float q = fLimit * 10 / 2;
    const int n = static_cast<int>(fLimit * 10 / 2 + 0.5f);
    if (std::fabs(q - static_cast<float>(n)) > 0.000001f)
        return QStringLiteral("The per-port power limit must be a multiple of 0.2");
    return QString();
}

void CPoeConfigDlg::OnApply()
{
    const bool bUserDefine = m_pUserDefine->isChecked();
    if (bUserDefine) {
        const QString strError = CheckUserLimit(m_pLimit->text());
        if (!strError.isEmpty()) {
            AppMessageBox(strError, this);
            return;
        }
    }
    // What every port of the span gets.
    const QString strState = m_pState->currentIndex() == 0 ? QStringLiteral("1") : QStringLiteral("2");
    QString strRange = QStringLiteral("0");
    if (m_pTimeRange->currentIndex() > 0) {
        for (const TimeRangeEntry& range : m_timeRanges)
            if (range.strName == m_pTimeRange->currentText())
                strRange = QString::number(range.nNumber);
    }
    const QString strPriority = QString::number(m_pPriority->currentIndex() + 1);
    const QString strClass = QString::number(m_pClass->currentIndex() + 1);
    const QString strLimit = m_pLimit->text();
    const int nFrom = m_pFromPort->currentText().toInt();
    const int nTo = m_pToPort->currentText().toInt();

    // One request per port, 300 ms apart, on a worker while the page keeps painting; the first that
    // fails stops the span.
    int nFailedPort = 0;
    RunWhileResponsive(this, [&] {
        for (int p = nFrom; p <= nTo; ++p) {
            if (p > nFrom)
                QThread::msleep(kPortPauseMs);
            if (!m_cCommonSNMPSet.Open(kSnmpPduSet)) {
                nFailedPort = p;
                return -1;
            }
            m_cCommonSNMPSet.AddOid(oid::PoeCell(3, p), kSnmpTypeInteger, strState);
            m_cCommonSNMPSet.AddOid(oid::PoeCell(4, p), kSnmpTypeInteger, strRange);
            m_cCommonSNMPSet.AddOid(oid::PoeCell(5, p), kSnmpTypeInteger, strPriority);
            if (bUserDefine) {
                m_cCommonSNMPSet.AddOid(oid::PoeCell(7, p), kSnmpTypeInteger, "1");
                m_cCommonSNMPSet.AddOid(oid::PoeCell(8, p), kSnmpTypeOctetString, strLimit);
            } else {
                m_cCommonSNMPSet.AddOid(oid::PoeCell(7, p), kSnmpTypeInteger, "2");
                m_cCommonSNMPSet.AddOid(oid::PoeCell(6, p), kSnmpTypeInteger, strClass);
            }
            std::unique_ptr<CSnmp> pReply;
            if (m_cCommonSNMPSet.GetNextSync(pReply, kWriteTimeoutMs) != 0) {
                nFailedPort = p;
                return -1;
            }
        }
        return 0;
    });
    if (nFailedPort != 0)
        AppMessageBox(QStringLiteral("Unsuccessful!"), this);
    StartPortWalk();
}
