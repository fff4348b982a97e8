// The PoE pages against tqx-sim (TQX-8810P, eight PoE ports): the port list with the time ranges'
// names, the per-port writes 300 ms apart, the user-defined limit's checks, a write the switch refuses
// in the middle of a span; the time ranges added, edited and deleted through the editor, and the
// editor's checks.
#include "pages/common/MessageBox.h"
#include "pages/poe/PoeConfigDlg.h"
#include "pages/poe/TimeRangeEditDlg.h"
#include "pages/poe/TimeRangeListDlg.h"

#include "MessageRecorder.h"
#include "config_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QElapsedTimer>
#include <QLineEdit>

#include <gtest/gtest.h>

using namespace viewstest;
using namespace configtest;
using tqxtest::App;
using tqxtest::CMessageRecorder;
using tqxtest::WaitFor;

namespace {

const std::string kPoe = "1.3.6.1.4.1.32473.10.75.6.22.1.1.";
const std::string kRange = "1.3.6.1.4.1.32473.10.75.6.23.1.1.";

// Range n put in place on the agent, active: a name, from 08:30 to 17:00 on Monday to Friday, with
// dates (2010/03/05 to 2011/12/31) or without.
std::vector<std::string> MakeRange(int n, const std::string& name, bool bDates = false)
{
    const std::string values[21] = {std::to_string(n), name, bDates ? "1" : "2", bDates ? "2010" : "2010",
                                    bDates ? "3" : "1", bDates ? "5" : "1", "8", "30", bDates ? "2011" : "2037", "12",
                                    "31", "17", "0", "1", "1", "1", "1", "1", "2", "2", "1"};
    std::vector<std::string> commands;
    for (int c = 1; c <= 21; ++c)
        commands.push_back("set " + kRange + std::to_string(c) + "." + std::to_string(n) + (c == 2 ? " 4 " : " 2 ")
                           + values[c - 1]);
    return commands;
}

// Text as snmpget -Ox prints it.
std::string HexOf(const std::string& text)
{
    std::string hex;
    char buf[4];
    for (unsigned char c : text) {
        std::snprintf(buf, sizeof buf, "%02X", c);
        hex += (hex.empty() ? "" : " ") + std::string(buf);
    }
    return hex;
}

Switch* Open8810P(std::unique_ptr<Switch>& sw, const std::vector<std::string>& arrange = {})
{
    sw = std::make_unique<Switch>("TQX-8810P");
    if (!sw->ok() || !sw->Control(arrange))
        return nullptr;
    tqxtest::UseAgent(sw->port(), false, "2000");
    g_nDevicePortNum = 10;
    return sw.get();
}

QComboBox* Combo(QWidget& page, int nId)
{
    return FindControl<QComboBox>(&page, nId);
}

bool WaitRead(const CPoeConfigDlg& page)
{
    return WaitFor([&] { return !page.IsReading() && Enabled(page, CPoeConfigDlg::IDC_APPLY); }, 20000);
}

} // namespace

TEST(PoeConfig, TheListShowsThePortsWithTheirTimeRangeNames)
{
    App();
    std::unique_ptr<Switch> sw;
    std::vector<std::string> arrange = MakeRange(1, "Office");
    for (const std::string& c : {"set " + kPoe + "4.1.2 2 1", "set " + kPoe + "7.1.4 2 1", "set " + kPoe + "8.1.4 4 12.2",
                                 "set " + kPoe + "3.1.6 2 2", "set " + kPoe + "5.1.7 2 3", "set " + kPoe + "6.1.8 2 5"})
        arrange.push_back(c);
    ASSERT_NE(Open8810P(sw, arrange), nullptr) << (sw ? sw->LastError() : "");
    CPoeConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitRead(page));
    ASSERT_EQ(page.TimeRanges().size(), 1u);
    EXPECT_EQ(Combo(page, CPoeConfigDlg::IDC_TIME_RANGE)->count(), 2);
    EXPECT_EQ(Combo(page, CPoeConfigDlg::IDC_TIME_RANGE)->itemText(1), "Office");
    const Rows rows = ListRows(page, CPoeConfigDlg::IDC_LIST);
    ASSERT_EQ(rows.size(), 8u) << Describe(rows);
    EXPECT_EQ(rows[0], (std::vector<std::string>{"1", "Enable", "N/A", "Normal", "Auto", "7.4", "53.5", "138", "Class 0",
                                                 "POWER ON"}));
    EXPECT_EQ(rows[2], (std::vector<std::string>{"3", "Enable", "N/A", "Normal", "Auto", "0.0", "0.0", "0", "N/A",
                                                 "POWER OFF"}));
    const auto head = [&](int r) { return std::vector<std::string>(rows[r].begin(), rows[r].begin() + 5); };
    EXPECT_EQ(head(1), (std::vector<std::string>{"2", "Enable", "Office", "Normal", "Auto"}));
    EXPECT_EQ(head(3), (std::vector<std::string>{"4", "Enable", "N/A", "Normal", "12.2"}));
    EXPECT_EQ(head(5), (std::vector<std::string>{"6", "Disable", "N/A", "Normal", "Auto"}));
    EXPECT_EQ(head(6), (std::vector<std::string>{"7", "Enable", "N/A", "High", "Auto"}));
    EXPECT_EQ(head(7), (std::vector<std::string>{"8", "Enable", "N/A", "Normal", "Class 4"}));
    // A row chosen sets the span to its port and the state to its state.
    auto* pList = FindControl<CListCtrl>(&page, CPoeConfigDlg::IDC_LIST);
    emit pList->itemClicked(pList->topLevelItem(5), 0);
    EXPECT_EQ(Combo(page, CPoeConfigDlg::IDC_FROM_PORT)->currentText(), "6");
    EXPECT_EQ(Combo(page, CPoeConfigDlg::IDC_TO_PORT)->currentText(), "6");
    EXPECT_EQ(Combo(page, CPoeConfigDlg::IDC_STATE)->currentText(), "Disable");
    page.reject();
}

// Ports 3 to 5 disabled with a time range and high priority: three requests, one per port, 300 ms
// apart; the list read again shows them. A To Port below From Port is refused.
TEST(PoeConfig, ASpanIsWrittenOnePortAtATime)
{
    App();
    std::unique_ptr<Switch> sw;
    ASSERT_NE(Open8810P(sw, MakeRange(1, "Office")), nullptr);
    CMessageRecorder boxes(true);
    CPoeConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitRead(page));
    Combo(page, CPoeConfigDlg::IDC_FROM_PORT)->setCurrentIndex(3);
    emit Combo(page, CPoeConfigDlg::IDC_FROM_PORT)->activated(3);
    EXPECT_EQ(Combo(page, CPoeConfigDlg::IDC_TO_PORT)->currentText(), "4");
    Combo(page, CPoeConfigDlg::IDC_TO_PORT)->setCurrentIndex(1);
    emit Combo(page, CPoeConfigDlg::IDC_TO_PORT)->activated(1);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"'To Port' can not be smaller than 'From Port'"});
    EXPECT_EQ(Combo(page, CPoeConfigDlg::IDC_TO_PORT)->currentText(), "4");
    boxes.clear();

    Combo(page, CPoeConfigDlg::IDC_FROM_PORT)->setCurrentIndex(2);
    Combo(page, CPoeConfigDlg::IDC_TO_PORT)->setCurrentIndex(4);
    Combo(page, CPoeConfigDlg::IDC_STATE)->setCurrentIndex(1);
    Combo(page, CPoeConfigDlg::IDC_PRIORITY)->setCurrentIndex(2);
    Combo(page, CPoeConfigDlg::IDC_TIME_RANGE)->setCurrentIndex(1);
    Combo(page, CPoeConfigDlg::IDC_CLASS)->setCurrentIndex(3);
    sw->ClearLog();
    QElapsedTimer timer;
    timer.start();
    Click(page, CPoeConfigDlg::IDC_APPLY);
    EXPECT_GE(timer.elapsed(), 2 * CPoeConfigDlg::kPortPauseMs);
    EXPECT_TRUE(boxes.texts.empty());
    const auto sets = sw->Sets(3);
    ASSERT_EQ(sets.size(), 3u);
    for (int i = 0; i < 3; ++i) {
        const std::string port = ".1." + std::to_string(i + 3);
        EXPECT_NE(sets[i].find(kPoe + "3" + port), std::string::npos) << sets[i];
        EXPECT_NE(sets[i].find(kPoe + "6" + port), std::string::npos) << sets[i];
        EXPECT_EQ(sets[i].find(kPoe + "8."), std::string::npos) << sets[i];
    }
    for (int p = 3; p <= 5; ++p) {
        const std::string i = ".1." + std::to_string(p);
        EXPECT_EQ(SnmpGetHex(sw->port(), kPoe + "3" + i), "2");
        EXPECT_EQ(SnmpGetHex(sw->port(), kPoe + "4" + i), "1");
        EXPECT_EQ(SnmpGetHex(sw->port(), kPoe + "5" + i), "3");
        EXPECT_EQ(SnmpGetHex(sw->port(), kPoe + "6" + i), "4");
    }
    ASSERT_TRUE(WaitRead(page));
    const Rows rows = ListRows(page, CPoeConfigDlg::IDC_LIST);
    ASSERT_EQ(rows.size(), 8u);
    EXPECT_EQ(rows[1][1], "Enable");
    for (int r = 2; r <= 4; ++r)
        EXPECT_EQ((std::vector<std::string>(rows[r].begin() + 1, rows[r].begin() + 5)),
                  (std::vector<std::string>{"Disable", "Office", "High", "Class 3"}));
    EXPECT_EQ(rows[5][1], "Enable");
    page.reject();
}

// The user-defined limit: 1.0 to 30.0 in steps of 0.2, sent as typed; refusals send nothing.
TEST(PoeConfig, UserDefinedLimits)
{
    App();
    std::unique_ptr<Switch> sw;
    ASSERT_NE(Open8810P(sw), nullptr);
    const std::string range = "The User Defined power limit ranges between 1.0 ~ 30.0";
    const std::string step = "The per-port power limit must be a multiple of 0.2";
    const struct {
        const char* limit;
        std::string message;  // "" accepted
    } cases[] = {{"15.4", ""}, {"1.0", ""},     {"30", ""},      {"15.5", step},   {"15.3", step},
                 {"0.8", range}, {"30.2", range}, {"abc", range}, {"", range}};
    CMessageRecorder boxes(true);
    CPoeConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitRead(page));
    Click(page, CPoeConfigDlg::IDC_USER_DEFINE);
    EXPECT_TRUE(FindControl<QLineEdit>(&page, CPoeConfigDlg::IDC_LIMIT)->isEnabled());
    EXPECT_FALSE(Combo(page, CPoeConfigDlg::IDC_CLASS)->isEnabled());
    Combo(page, CPoeConfigDlg::IDC_FROM_PORT)->setCurrentIndex(1);
    Combo(page, CPoeConfigDlg::IDC_TO_PORT)->setCurrentIndex(1);
    for (const auto& c : cases) {
        SCOPED_TRACE(c.limit);
        EXPECT_EQ(CPoeConfigDlg::CheckUserLimit(QString::fromLatin1(c.limit)).toStdString(), c.message);
        SetText(page, CPoeConfigDlg::IDC_LIMIT, QString::fromLatin1(c.limit));
        boxes.clear();
        sw->ClearLog();
        Click(page, CPoeConfigDlg::IDC_APPLY);
        ASSERT_TRUE(WaitRead(page));
        if (c.message.empty()) {
            EXPECT_TRUE(boxes.texts.empty());
            EXPECT_EQ(sw->Sets(1).size(), 1u);
            EXPECT_EQ(SnmpGetHex(sw->port(), kPoe + "8.1.2"), HexOf(c.limit));
            EXPECT_EQ(SnmpGetHex(sw->port(), kPoe + "7.1.2"), "1");
            EXPECT_EQ(ListRows(page, CPoeConfigDlg::IDC_LIST).at(1).at(4), c.limit);
        } else {
            EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
            EXPECT_TRUE(sw->Sets().empty());
        }
    }
    page.reject();
}

// The switch refuses port 4's write (its class object holds another type): port 3 is written,
// "Unsuccessful!" stops the span there, port 5 keeps its settings.
TEST(PoeConfig, ARefusedWriteStopsAtThatPort)
{
    App();
    std::unique_ptr<Switch> sw;
    ASSERT_NE(Open8810P(sw, {"set " + kPoe + "6.1.4 4 auto"}), nullptr);
    CMessageRecorder boxes(true);
    CPoeConfigDlg page;
    page.show();
    ASSERT_TRUE(WaitRead(page));
    Combo(page, CPoeConfigDlg::IDC_FROM_PORT)->setCurrentIndex(2);
    Combo(page, CPoeConfigDlg::IDC_TO_PORT)->setCurrentIndex(4);
    Combo(page, CPoeConfigDlg::IDC_STATE)->setCurrentIndex(1);
    sw->ClearLog();
    Click(page, CPoeConfigDlg::IDC_APPLY);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Unsuccessful!"});
    EXPECT_EQ(sw->Sets(2).size(), 2u);
    EXPECT_EQ(SnmpGetHex(sw->port(), kPoe + "3.1.3"), "2");
    EXPECT_EQ(SnmpGetHex(sw->port(), kPoe + "3.1.4"), "1");
    EXPECT_EQ(SnmpGetHex(sw->port(), kPoe + "3.1.5"), "1");
    ASSERT_TRUE(WaitRead(page));
    page.reject();
}

TEST(TimeRangeEdit, ScheduleChecksInTheirOrder)
{
    const std::string same = "'Start Time' and 'End Time' can't be the same";
    const std::string greater = "'Start Time' can't be grater than 'End Time'";
    const struct {
        const char* what;
        int d[6], t[4];
        std::string message;
    } cases[] = {
        {"08:00 to 08:00", {2010, 1, 1, 2010, 1, 2}, {8, 0, 8, 0}, same},
        {"22:00 to 06:00 on one date", {2010, 1, 1, 2010, 1, 1}, {22, 0, 6, 0}, greater},
        {"22:00 to 06:00 the next day", {2010, 1, 1, 2010, 1, 2}, {22, 0, 6, 0}, ""},
        {"22:00 to 06:00 without dates", {2, 2, 2, 2, 2, 2}, {22, 0, 6, 0}, greater},
        {"to year earlier", {2011, 1, 1, 2010, 5, 5}, {8, 0, 9, 0}, "'To year' can't be less than 'From year'"},
        {"to month earlier", {2010, 5, 1, 2010, 4, 9}, {8, 0, 9, 0}, "'To month' can't be less than 'From month'"},
        {"to day earlier", {2010, 5, 9, 2010, 5, 8}, {8, 0, 9, 0}, "'To day' can't be less than 'From day'"},
        {"same time wins over dates", {2011, 1, 1, 2010, 1, 1}, {8, 0, 8, 0}, same},
        {"a plain day", {2, 2, 2, 2, 2, 2}, {8, 30, 17, 0}, ""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CTimeRangeEditDlg::CheckSchedule(c.d[0], c.d[1], c.d[2], c.d[3], c.d[4], c.d[5], c.t[0], c.t[1], c.t[2],
                                                   c.t[3])
                      .toStdString(),
                  c.message)
            << c.what;
}

TEST(TimeRangeEdit, TheFirstFreeNumber)
{
    const auto ranges = [](std::initializer_list<std::pair<int, const char*>> rows) {
        std::vector<TimeRangeEntry> v;
        for (const auto& [n, status] : rows)
            v.push_back({n, QStringLiteral("r") + QString::number(n), QString::fromLatin1(status)});
        return v;
    };
    EXPECT_EQ(CTimeRangeEditDlg::FreeNumber({}), 1);
    EXPECT_EQ(CTimeRangeEditDlg::FreeNumber(ranges({{1, "1"}, {2, "1"}, {3, "1"}})), 4);
    EXPECT_EQ(CTimeRangeEditDlg::FreeNumber(ranges({{1, "1"}, {3, "1"}})), 2);
    EXPECT_EQ(CTimeRangeEditDlg::FreeNumber(ranges({{2, "1"}, {3, "1"}})), 1);
    EXPECT_EQ(CTimeRangeEditDlg::FreeNumber(ranges({{1, "1"}, {2, "2"}, {3, "1"}})), 2);
    EXPECT_EQ(CTimeRangeEditDlg::FreeNumber(ranges({{1, "1"}, {2, "1"}, {3, "1"}, {4, "1"}, {5, "1"}, {6, "1"},
                                                    {7, "1"}, {8, "1"}})),
              0);
}

// Through the list page and its editor: a range added (its number the first free one), its row's
// texts, edited in place, deleted; the editor's name checks; eight ranges refuse a ninth.
TEST(TimeRangeList, AddEditDeleteThroughTheEditor)
{
    App();
    std::unique_ptr<Switch> sw;
    std::vector<std::string> arrange = MakeRange(1, "Office", true);
    for (const std::string& c : MakeRange(3, "Night"))
        arrange.push_back(c);
    ASSERT_NE(Open8810P(sw, arrange), nullptr) << (sw ? sw->LastError() : "");
    CMessageRecorder boxes(true);
    CTimeRangeListDlg page;
    const auto read = [&] { return WaitFor([&] { return !page.IsReading() && Enabled(page, CTimeRangeListDlg::IDC_ADD); }, 10000); };
    page.show();
    ASSERT_TRUE(read());
    EXPECT_EQ(ListRows(page, CTimeRangeListDlg::IDC_LIST),
              (Rows{{"Office", "Mon,Tue,Wed,Thu,Fri", "2010/03/05", "2011/12/31", "08:30", "17:00"},
                    {"Night", "Mon,Tue,Wed,Thu,Fri", "", "", "08:30", "17:00"}}));

    // Nothing selected: Edit and Delete say so (with the information icon, since rows exist).
    Click(page, CTimeRangeListDlg::IDC_EDIT);
    Click(page, CTimeRangeListDlg::IDC_DELETE);
    EXPECT_EQ(boxes.texts, (std::vector<std::string>{"Please select the Time Range to be edit!",
                                                      "Please select the Time Range to be deleted!"}));
    ASSERT_EQ(boxes.requests.size(), 2u);
    EXPECT_EQ(boxes.requests[0].icon, MsgIcon::Information);

    // The editor's refusals: each its message, the editor stays open, nothing sent.
    using E = CTimeRangeEditDlg;
    const auto fill = [](CPageDlg& edit, const QString& name, int startHour, int endHour, std::vector<int> days) {
        SetText(edit, E::IDC_NAME, name);
        Combo(edit, E::IDC_START_HOUR)->setCurrentIndex(startHour);
        Combo(edit, E::IDC_END_HOUR)->setCurrentIndex(endHour);
        for (int d : days)
            FindControl<QCheckBox>(&edit, E::kDayIds[d])->setChecked(true);
    };
    const struct {
        const char* name;
        int start, end;
        std::string message;
    } refusals[] = {{"", 8, 9, "The TimeRange name can not be empty,please input it."},
                    {"Off/peak", 8, 9, "Invalid TimeRange Name."},
                    {"Office", 8, 9, "Invalid TimeRange Name."},
                    {"Lunch", 12, 12, "'Start Time' and 'End Time' can't be the same"}};
    for (const auto& r : refusals) {
        SCOPED_TRACE(r.name);
        boxes.clear();
        sw->ClearLog();
        bool bOpen = false;
        SubPageRunner sub([&](CPageDlg& edit) {
            fill(edit, QString::fromLatin1(r.name), r.start, r.end, {});
            Click(edit, E::IDC_APPLY);
            bOpen = edit.isVisible();
        });
        Click(page, CTimeRangeListDlg::IDC_ADD);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{r.message});
        EXPECT_TRUE(bOpen);
        EXPECT_TRUE(sw->Sets().empty());
        ASSERT_TRUE(read());
    }

    // Added: number 2 (the first free one), Saturday and Sunday from 22:00 to 06:00 the next day.
    {
        SubPageRunner sub([&](CPageDlg& edit) {
            fill(edit, QStringLiteral("Weekend"), 22, 6, {5, 6});
            Click(edit, E::IDC_DATE);
            for (int id : {E::IDC_FROM_YEAR, E::IDC_TO_YEAR})
                Combo(edit, id)->setCurrentIndex(1);
            Combo(edit, E::IDC_TO_DAY)->setCurrentIndex(1);
            Click(edit, E::IDC_APPLY);
        });
        boxes.clear();
        Click(page, CTimeRangeListDlg::IDC_ADD);
        EXPECT_TRUE(boxes.texts.empty());
        ASSERT_TRUE(read());
    }
    EXPECT_EQ(SnmpGetHex(sw->port(), kRange + "2.2"), HexOf("Weekend"));
    EXPECT_EQ(SnmpGetHex(sw->port(), kRange + "21.2"), "1");
    Rows rows = ListRows(page, CTimeRangeListDlg::IDC_LIST);
    ASSERT_EQ(rows.size(), 3u);
    EXPECT_EQ(rows[1], (std::vector<std::string>{"Weekend", "Sat,Sun", "2010/01/01", "2010/01/02", "22:00", "06:00"}));

    // Edited in place: the name stays, the editor shows what the range holds, the new hours are written.
    {
        std::string shown;
        SubPageRunner sub([&](CPageDlg& edit) {
            shown = FindControl<QLineEdit>(&edit, E::IDC_NAME)->text().toStdString() + " "
                + Combo(edit, E::IDC_START_HOUR)->currentText().toStdString() + " "
                + (FindControl<QCheckBox>(&edit, E::IDC_DATE)->isChecked() ? "dates" : "no dates");
            EXPECT_FALSE(FindControl<QLineEdit>(&edit, E::IDC_NAME)->isEnabled());
            Combo(edit, E::IDC_START_HOUR)->setCurrentIndex(20);
            Click(edit, E::IDC_APPLY);
        });
        FindControl<CListCtrl>(&page, CTimeRangeListDlg::IDC_LIST)->SelectRow(1);
        sw->ClearLog();
        Click(page, CTimeRangeListDlg::IDC_EDIT);
        EXPECT_EQ(shown, "Weekend 22 dates");
        EXPECT_EQ(sw->Sets(1).size(), 1u);
        ASSERT_TRUE(read());
    }
    EXPECT_EQ(SnmpGetHex(sw->port(), kRange + "7.2"), "20");
    EXPECT_EQ(ListRows(page, CTimeRangeListDlg::IDC_LIST).at(1).at(4), "20:00");

    // Deleted.
    FindControl<CListCtrl>(&page, CTimeRangeListDlg::IDC_LIST)->SelectRow(0);
    Click(page, CTimeRangeListDlg::IDC_DELETE);
    ASSERT_TRUE(read());
    EXPECT_EQ(SnmpGetHex(sw->port(), kRange + "21.1"), "");
    rows = ListRows(page, CTimeRangeListDlg::IDC_LIST);
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0][0], "Weekend");
    page.reject();
}

TEST(TimeRangeList, EightRangesRefuseANinth)
{
    App();
    std::unique_ptr<Switch> sw;
    std::vector<std::string> arrange;
    for (int n = 1; n <= 8; ++n)
        for (const std::string& c : MakeRange(n, "R" + std::to_string(n)))
            arrange.push_back(c);
    ASSERT_NE(Open8810P(sw, arrange), nullptr) << (sw ? sw->LastError() : "");
    CMessageRecorder boxes(true);
    CTimeRangeListDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading() && Enabled(page, CTimeRangeListDlg::IDC_ADD); }, 10000));
    EXPECT_EQ(ListRows(page, CTimeRangeListDlg::IDC_LIST).size(), 8u);
    bool bClosed = false;
    SubPageRunner sub([&](CPageDlg& edit) {
        SetText(edit, CTimeRangeEditDlg::IDC_NAME, QStringLiteral("Ninth"));
        Combo(edit, CTimeRangeEditDlg::IDC_END_HOUR)->setCurrentIndex(5);
        Click(edit, CTimeRangeEditDlg::IDC_APPLY);
        bClosed = !edit.isVisible();
    });
    sw->ClearLog();
    Click(page, CTimeRangeListDlg::IDC_ADD);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"The max number of PoE Time Range is 8"});
    EXPECT_TRUE(bClosed);
    EXPECT_TRUE(sw->Sets().empty());
    page.reject();
}
