// The maintenance pages against tqx-sim: firmware and configuration transfers through Debian's
// tftpd-hpa on the loopback, the state rules as a table of scripted switch answers, the page's checks,
// closing during a transfer, the gradient bar's picture; the syslog page's reads, writes and checks,
// and a link-down reaching a syslog receiver with the facility and severity set through the page.
#include "pages/common/IpAddressCtrl.h"
#include "pages/maint/FirmwareDlg.h"
#include "pages/maint/GradientProgressCtrl.h"
#include "pages/maint/SyslogHostDlg.h"

#include "MessageRecorder.h"
#include "config_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <fstream>
#include <regex>
#include <sstream>

using namespace viewstest;
using namespace configtest;
using tqxtest::App;
using tqxtest::CMessageRecorder;
using tqxtest::TftpServer;
using tqxtest::TraceRecorder;
using tqxtest::WaitFor;

namespace {

const std::string M = "1.3.6.1.4.1.32473.10.76.10.3.";
const std::string S = "1.3.6.1.4.1.32473.10.76.10.16.1.";
const int kFirmwareControls[] = {CFirmwareDlg::IDC_OPERATION, CFirmwareDlg::IDC_FILE_TYPE, CFirmwareDlg::IDC_SERVER,
                                 CFirmwareDlg::IDC_FILE_NAME, CFirmwareDlg::IDC_APPLY, CPageDlg::IDCANCEL};

// The page's timers and time-outs scaled for the test's lifetime.
class TimerScale {
public:
    explicit TimerScale(double d) { CFirmwareDlg::SetTimerScale(d); }
    ~TimerScale() { CFirmwareDlg::SetTimerScale(1.0); }
};

QComboBox* Combo(QWidget& page, int nId)
{
    return FindControl<QComboBox>(&page, nId);
}

bool ControlEnabled(QWidget& page, int nId)
{
    const QWidget* p = FindControl<QWidget>(&page, nId);
    return p && p->isEnabled();
}

int EnabledControls(QWidget& page)
{
    int n = 0;
    for (int nId : kFirmwareControls)
        n += ControlEnabled(page, nId) ? 1 : 0;
    return n;
}

// op 0 Upgrade, 1 Backup; type 0 Configuration, 1 Firmware.
void Fill(CFirmwareDlg& page, int nOperation, int nType, const QString& strServer, const QString& strFile)
{
    Combo(page, CFirmwareDlg::IDC_OPERATION)->setCurrentIndex(nOperation);
    Combo(page, CFirmwareDlg::IDC_FILE_TYPE)->setCurrentIndex(nType);
    FindControl<CIpAddressCtrl>(&page, CFirmwareDlg::IDC_SERVER)->SetAddress(strServer);
    SetText(page, CFirmwareDlg::IDC_FILE_NAME, strFile);
}

bool WaitEnd(CFirmwareDlg& page, int ms = 60000)
{
    return WaitFor([&] { return page.IsFinished() && EnabledControls(page) == 6; }, ms);
}

// The value of one object as snmpget -Oqv prints it, quotes taken off.
std::string Get(std::uint16_t port, const std::string& oid)
{
    std::string out = tqxtest::ToolOutput(
        QStringLiteral("snmpget"), {QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("public"),
                                    QStringLiteral("-Oqv"), QStringLiteral("-r3"), QStringLiteral("-t1"),
                                    QStringLiteral("127.0.0.1:%1").arg(port), QString::fromStdString(oid)});
    out = out.substr(0, out.find('\n'));
    if (out.size() >= 2 && out.front() == '"' && out.back() == '"')
        out = out.substr(1, out.size() - 2);
    return out;
}

std::string ReadFile(const std::filesystem::path& p)
{
    std::ifstream in(p, std::ios::binary);
    std::stringstream s;
    s << in.rdbuf();
    return s.str();
}

int CountLines(const TraceRecorder& trace, const std::string& line)
{
    int n = 0;
    for (const auto& l : trace.lines())
        n += l == line ? 1 : 0;
    return n;
}

bool SetSeen(const Switch& sw, const std::string& oid)
{
    for (const auto& line : sw.Sets())
        if (line.find(oid) != std::string::npos)
            return true;
    return false;
}

} // namespace

// Backup through the page puts the file in the server's folder; a restore of it brings back a
// setting changed since. The controls are off while the transfer runs.
TEST(Firmware, ConfigurationBackupAndRestoreThroughTftp)
{
    App();
    TimerScale scale(0.02);
    TftpServer tftp;
    ASSERT_TRUE(tftp.ok()) << tftp.process().output();
    Switch sw("TQX-8800", {"--tftp-port", std::to_string(tftp.port())});
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    CMessageRecorder boxes(true);
    CFirmwareDlg page;
    page.show();
    ASSERT_TRUE(sw.Control({"set 1.3.6.1.2.1.1.5.0 4 core-1"})) << sw.LastError();
    Fill(page, 1, 0, QStringLiteral("127.0.0.1"), QStringLiteral("switch.cfg"));
    Click(page, CFirmwareDlg::IDC_APPLY);
    EXPECT_TRUE(boxes.asked.empty()) << "a backup asks nothing";
    EXPECT_EQ(EnabledControls(page), 0);
    EXPECT_TRUE(FindControl<QWidget>(&page, CFirmwareDlg::IDC_PROGRESS)->isVisible());
    ASSERT_TRUE(WaitEnd(page));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Success !"});
    EXPECT_EQ(FindControl<CGradientProgressCtrl>(&page, CFirmwareDlg::IDC_PROGRESS)->GetPos(), 99);
    const std::string file = ReadFile(tftp.folder() / "switch.cfg");
    EXPECT_EQ(file.rfind("tqx-config 1\nmodel TQX-8800\n", 0), 0u) << file.substr(0, 100);
    EXPECT_NE(file.find("\n1.3.6.1.2.1.1.5.0|4|core-1\n"), std::string::npos);

    ASSERT_TRUE(sw.Control({"set 1.3.6.1.2.1.1.5.0 4 changed"}));
    boxes.clear();
    Fill(page, 0, 0, QStringLiteral("127.0.0.1"), QStringLiteral("switch.cfg"));
    Click(page, CFirmwareDlg::IDC_APPLY);
    EXPECT_EQ(boxes.asked.size(), 1u);
    ASSERT_TRUE(WaitEnd(page));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Success !"});
    EXPECT_EQ(Get(sw.port(), "1.3.6.1.2.1.1.5.0"), "core-1");
    page.reject();
}

// An image from tqx-sim --write-firmware ends in "Success !" and the switch runs its version; an
// image with a changed byte is refused by the switch.
TEST(Firmware, UpgradeWithAWrittenImageAndACorruptOne)
{
    App();
    TimerScale scale(0.02);
    TftpServer tftp;
    ASSERT_TRUE(tftp.ok()) << tftp.process().output();
    const std::string image = (tftp.folder() / "new.bin").string();
    ASSERT_EQ(tqxtest::ToolOutput(QString::fromStdString(tqxtest::BuiltProgram("sim/tqx-sim")),
                                  {QStringLiteral("--write-firmware"), QString::fromStdString(image),
                                   QStringLiteral("--version"), QStringLiteral("3.0.7")}),
              "");
    std::string bytes = ReadFile(image);
    ASSERT_GT(bytes.size(), 1000u);
    bytes[bytes.size() - 10] ^= 0x40;
    std::ofstream(tftp.folder() / "corrupt.bin", std::ios::binary) << bytes;

    Switch sw("TQX-8800", {"--tftp-port", std::to_string(tftp.port())});
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    CMessageRecorder boxes(true);
    CFirmwareDlg page;
    page.show();
    Fill(page, 0, 1, QStringLiteral("127.0.0.1"), QStringLiteral("corrupt.bin"));
    Click(page, CFirmwareDlg::IDC_APPLY);
    ASSERT_TRUE(WaitEnd(page));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Firmware Upgrade Fail !"});

    boxes.clear();
    Fill(page, 0, 1, QStringLiteral("127.0.0.1"), QStringLiteral("new.bin"));
    Click(page, CFirmwareDlg::IDC_APPLY);
    ASSERT_TRUE(WaitEnd(page));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Success !"});
    page.reject();
    // The switch restarts on the new firmware a moment later.
    EXPECT_TRUE(WaitFor([&] { return Get(sw.port(), "1.3.6.1.2.1.1.1.0").find("firmware 3.0.7") != std::string::npos; },
                        30000))
        << Get(sw.port(), "1.3.6.1.2.1.1.1.0");
}

// No server: the switch keeps trying (state 3) and the page gives up with its time-out message
// after the (scaled) 230 s, never hanging. Closing during another such transfer stops its timers
// and sessions, and no request follows.
TEST(Firmware, AnAbsentServerTimesOutAndClosingStopsTheTransfer)
{
    App();
    TimerScale scale(0.02);
    Switch sw("TQX-8800", {"--tftp-port", std::to_string(tqxtest::FreeUdpPort()), "--tftp-tries", "100"});
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    CMessageRecorder boxes(true);
    {
        CFirmwareDlg page;
        page.show();
        Fill(page, 0, 1, QStringLiteral("127.0.0.1"), QStringLiteral("fw.bin"));
        Click(page, CFirmwareDlg::IDC_APPLY);
        // Half way the page shows the bar's bands; TQX_PAGE_PICTURES=FOLDER keeps the picture.
        ASSERT_TRUE(WaitFor([&] { return page.Progress() >= 50; }, 20000));
        const QImage picture = page.grab().toImage();
        const QWidget* pBar = FindControl<QWidget>(&page, CFirmwareDlg::IDC_PROGRESS);
        const QPoint start = pBar->mapTo(&page, QPoint(2, pBar->height() / 2));
        EXPECT_EQ(picture.pixelColor(start * page.devicePixelRatio()), QColor(0x3C, 0x3C, 0xC8));
        if (const QString folder = qEnvironmentVariable("TQX_PAGE_PICTURES"); !folder.isEmpty())
            EXPECT_TRUE(picture.save(folder + QStringLiteral("/page-32823-firmware.png"), "PNG"));
        ASSERT_TRUE(WaitEnd(page));
        EXPECT_EQ(boxes.texts, std::vector<std::string>{"Time out ! Please check TFTP Server IP and network."});
        page.reject();
    }
    // The switch still runs that transfer; a configuration transfer is refused meanwhile, which the
    // page reports instead of following an earlier transfer's state.
    {
        boxes.clear();
        CFirmwareDlg page;
        page.show();
        Fill(page, 1, 0, QStringLiteral("127.0.0.1"), QStringLiteral("x.cfg"));
        Click(page, CFirmwareDlg::IDC_APPLY);
        ASSERT_TRUE(WaitEnd(page));
        EXPECT_EQ(boxes.texts, std::vector<std::string>{"Config Restore Fail !"});
        page.reject();
    }
    Switch second("TQX-8800", {"--tftp-port", std::to_string(tqxtest::FreeUdpPort()), "--tftp-tries", "100"});
    ASSERT_TRUE(second.ok());
    tqxtest::UseAgent(second.port(), false, "2000");
    TraceRecorder trace;
    boxes.clear();
    CFirmwareDlg page;
    page.show();
    Fill(page, 1, 0, QStringLiteral("127.0.0.1"), QStringLiteral("x.cfg"));
    Click(page, CFirmwareDlg::IDC_APPLY);
    ASSERT_TRUE(WaitFor([&] { return CountLines(trace, "========================State = 3 ") > 0; }, 20000));
    page.reject();
    for (int nId : {int(CFirmwareDlg::TIMER_STATE), int(CFirmwareDlg::TIMER_RESTORE), int(CFirmwareDlg::TIMER_PROGRESS),
                    int(CFirmwareDlg::TIMER_OVERALL)})
        EXPECT_FALSE(page.IsTimerActive(nId)) << nId;
    EXPECT_EQ(CountLines(trace, "==================m_cCommonSNMP.Close==============="), 1);
    EXPECT_EQ(CountLines(trace, "==================m_cCommonSNMPSetOp.Close==============="), 1);
    second.ClearLog();
    // A state read would follow within 100 ms at this scale: none comes.
    EXPECT_FALSE(WaitFor([&] { return !second.Requests().empty(); }, 1500));
    EXPECT_TRUE(boxes.texts.empty());
}

// The state rules, with the switch's answers scripted read by read through the control channel:
// a value, T (the read is not answered) or E (the object is gone, the read fails). After the script
// the last value stays.
TEST(Firmware, StateRules)
{
    App();
    struct Case {
        const char* name;
        bool bFirmware;
        std::vector<std::string> replies;
        std::string message;
        double scale = 0.05;
        bool bExactReads = true;  // every reply is read, and no read follows
    };
    const std::vector<Case> cases = {
        {"0 ends in success", true, {"0"}, "Success !"},
        {"1 ends in success", true, {"1"}, "Success !"},
        {"4 is read again", true, {"4", "4", "0"}, "Success !"},
        {"2 fails the firmware", true, {"2"}, "Firmware Upgrade Fail !"},
        {"2 fails the configuration", false, {"4", "2"}, "Config Restore Fail !"},
        {"an unknown state is read again", true, {"7", "0"}, "Success !"},
        {"a failed read", true, {"E"}, "Get Info Fail !"},
        {"the fourth time-out in a row", true, {"T", "T", "T", "T"}, "Get Info Time Out !"},
        {"three time-outs are borne", true, {"T", "T", "T", "0"}, "Success !"},
        {"patient after state 3", true, {"3", "T", "T", "T", "T", "T", "0"}, "Success !"},
        {"a configuration is patient", false, {"T", "T", "T", "T", "T", "0"}, "Success !"},
        {"230 s after the last 3", true, {"3", "4"}, "Time out ! Please check TFTP Server IP and network.", 0.02, false},
        // 60 reports of 3, 100 ms apart, outlast 230 s (4.6 s here) from the first: each restarts it.
        {"each 3 restarts the time-out", true, [] { std::vector<std::string> r(60, "3"); r.push_back("0"); return r; }(),
         "Success !", 0.02},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TimerScale scale(c.scale);
        Switch sw("TQX-8800", {"--tftp-port", std::to_string(tqxtest::FreeUdpPort()), "--tftp-tries", "1000"});
        ASSERT_TRUE(sw.ok());
        tqxtest::UseAgent(sw.port(), false, "2000");
        const std::string state = M + (c.bFirmware ? "4.0" : "8.0");
        auto answer = [&](const std::string& reply) {
            if (reply == "T")
                return sw.Control({"drop 1"});
            if (reply == "E")
                return sw.Control({"drop 0", "unset " + state});
            return sw.Control({"drop 0", "set " + state + " 2 " + reply});
        };
        CMessageRecorder boxes(true);
        TraceRecorder trace;
        CFirmwareDlg page;
        page.show();
        Fill(page, 0, c.bFirmware ? 1 : 0, QStringLiteral("10.0.255.1"), QStringLiteral("f"));
        Click(page, CFirmwareDlg::IDC_APPLY);
        // The switch answers the operation by starting its transfer (state 3); the script takes over
        // before the first read.
        ASSERT_TRUE(WaitFor([&] { return SetSeen(sw, M + (c.bFirmware ? "3.0" : "7.0")); }, 10000));
        ASSERT_TRUE(answer(c.replies[0])) << sw.LastError();
        for (size_t k = 1; k < c.replies.size(); ++k) {
            ASSERT_TRUE(WaitFor([&] { return CountLines(trace, "progress ====================") >= int(k); }, 20000))
                << "read " << k;
            ASSERT_TRUE(answer(c.replies[k])) << sw.LastError();
        }
        ASSERT_TRUE(WaitEnd(page, 30000));
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        if (c.bExactReads)
            EXPECT_EQ(CountLines(trace, "progress ===================="), int(c.replies.size()));
        page.reject();
    }
}

// What the page refuses before anything is sent, and the file name's limit.
TEST(Firmware, ChecksBeforeSending)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    CMessageRecorder boxes(true);
    CFirmwareDlg page;
    page.show();
    const std::string name70(70, 'n');
    SetText(page, CFirmwareDlg::IDC_FILE_NAME, QString::fromStdString(name70));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"The maximum length of file name is 64!"});
    EXPECT_EQ(FindControl<QLineEdit>(&page, CFirmwareDlg::IDC_FILE_NAME)->text().toStdString(), std::string(64, 'n'));

    struct Case {
        const char* server;
        const char* file;
        const char* message;
    };
    for (const Case& c : {Case{"10.0.0.255", "f", "Invalid TFTP server IP."}, Case{"0.0.0.0", "f", "Invalid TFTP server IP."},
                          Case{"255.1.1.1", "f", "Invalid TFTP server IP."}, Case{"10.0.0.0", "f", "Invalid TFTP server IP."},
                          Case{"10.0.1", "f", "Invalid TFTP server IP."}, Case{"10.0.255.1", "", "Invalid file."}}) {
        SCOPED_TRACE(c.server);
        boxes.clear();
        sw.ClearLog();
        Fill(page, 1, 1, QString::fromLatin1(c.server), QString::fromLatin1(c.file));
        Click(page, CFirmwareDlg::IDC_APPLY);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_EQ(EnabledControls(page), 6);
        EXPECT_TRUE(sw.Sets().empty());
    }
    // The upgrade question cancelled: nothing is sent.
    boxes.clear();
    boxes.answer = false;
    Fill(page, 0, 1, QStringLiteral("10.0.255.1"), QStringLiteral("f"));
    Click(page, CFirmwareDlg::IDC_APPLY);
    ASSERT_EQ(boxes.asked.size(), 1u);
    EXPECT_EQ(boxes.asked[0], "The connection will be disconnected.\nPlease do not apply other changes when uploading.\n"
                              "Reconnect to the device later when uploading completes.");
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_TRUE(sw.Sets().empty());
    page.reject();
}

// At 50 % the bar shows the first bands of the 55 the page's colours give, then the background.
TEST(GradientProgress, PictureAtHalfMatchesTheBands)
{
    App();
    CGradientProgressCtrl bar;
    bar.SetStartColor(CFirmwareDlg::kBarStart);
    bar.SetEndColor(CFirmwareDlg::kBarEnd);
    bar.SetRange(0, 100);
    bar.resize(300, 20);
    EXPECT_EQ(bar.BandCount(), 55);
    const QColor background = bar.palette().color(QPalette::Button);
    EXPECT_EQ(bar.Render(bar.size()).pixelColor(0, 10), background) << "at the lower bound: button face only";
    bar.SetPos(50);
    const QImage picture = bar.grab().toImage();
    ASSERT_EQ(picture.width(), 300);
    const QRect client = bar.ClientRect();
    ASSERT_EQ(client, QRect(1, 1, 298, 18));
    // Band i covers [i * 298/55, (i+1) * 298/55) of the client area in red 0x3C, green 0x3C, blue
    // 0xC8 + i, up to half its width.
    const double w = 298.0 / 55;
    int wrong = 0;
    for (int x = 0; x < 298; ++x) {
        QColor expected = background;
        if (x < 149) {
            int i = 0;
            while (static_cast<int>((i + 1) * w) <= x)
                ++i;
            expected = QColor(0x3C, 0x3C, 0xC8 + i);
        }
        for (int y : {0, 17})
            if (picture.pixelColor(client.x() + x, client.y() + y) != expected && ++wrong < 5)
                ADD_FAILURE() << "x " << x << " y " << y << ": "
                              << picture.pixelColor(client.x() + x, client.y() + y).name().toStdString()
                              << " instead of " << expected.name().toStdString();
    }
    EXPECT_EQ(wrong, 0);
}

// The page reads five values and maps them: an unknown facility selects local0, an unknown severity
// leaves the selection, the state checks the box and switches the server controls.
TEST(SyslogHost, ReadsAndMapsTheValues)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    struct Case {
        std::vector<std::string> arrange;
        std::string server, port, facility, severity;
        bool enabled;
    };
    const std::vector<Case> cases = {
        {{}, "0.0.0.0", "514", "local0", "info", false},
        {{"set " + S + "1.0 64 192.0.2.50", "set " + S + "2.0 2 1514", "set " + S + "5.0 2 152", "set " + S + "4.0 2 4",
          "set " + S + "6.0 2 1"},
         "192.0.2.50", "1514", "local3", "warning", true},
        {{"set " + S + "5.0 2 200", "set " + S + "4.0 2 7"}, "192.0.2.50", "1514", "local0", "all", true},
        {{"set " + S + "5.0 2 184", "set " + S + "4.0 2 5", "set " + S + "6.0 2 2"}, "192.0.2.50", "1514", "local7", "all",
         false},
    };
    CSyslogHostDlg page;
    page.show();
    for (const Case& c : cases) {
        SCOPED_TRACE(c.facility + " " + c.severity);
        ASSERT_TRUE(sw.Control(c.arrange)) << sw.LastError();
        Click(page, CSyslogHostDlg::IDC_REFRESH);
        ASSERT_TRUE(WaitFor([&] { return Enabled(page, CSyslogHostDlg::IDC_REFRESH); }, 10000));
        WaitFor([&] { return FindControl<CIpAddressCtrl>(&page, CSyslogHostDlg::IDC_SERVER)->Address().toStdString() == c.server; }, 2000);
        EXPECT_EQ(FindControl<CIpAddressCtrl>(&page, CSyslogHostDlg::IDC_SERVER)->Address().toStdString(), c.server);
        EXPECT_EQ(FindControl<QLineEdit>(&page, CSyslogHostDlg::IDC_PORT)->text().toStdString(), c.port);
        EXPECT_EQ(Combo(page, CSyslogHostDlg::IDC_FACILITY)->currentText().toStdString(), c.facility);
        EXPECT_EQ(Combo(page, CSyslogHostDlg::IDC_SEVERITY)->currentText().toStdString(), c.severity);
        EXPECT_EQ(Checked(page, CSyslogHostDlg::IDC_ENABLE), c.enabled);
        for (int nId : {int(CSyslogHostDlg::IDC_SERVER), int(CSyslogHostDlg::IDC_PORT), int(CSyslogHostDlg::IDC_FACILITY),
                        int(CSyslogHostDlg::IDC_SEVERITY)})
            EXPECT_EQ(ControlEnabled(page, nId), c.enabled) << nId;
    }
    EXPECT_EQ(ListRows(page, CSyslogHostDlg::IDC_LIST).size(), 0u);
    page.reject();
}

// The server written through the page; then a link going down reaches the receiver as a syslog
// message with the facility and severity chosen.
TEST(SyslogHost, ServerSetThroughThePageGetsTheLinkDown)
{
    App();
    tqxtest::UdpReceiver receiver;
    ASSERT_TRUE(receiver.ok());
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    CMessageRecorder boxes;
    CSyslogHostDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Enabled(page, CSyslogHostDlg::IDC_REFRESH); }, 10000));
    Click(page, CSyslogHostDlg::IDC_ENABLE);
    EXPECT_TRUE(ControlEnabled(page, CSyslogHostDlg::IDC_SERVER));
    FindControl<CIpAddressCtrl>(&page, CSyslogHostDlg::IDC_SERVER)->SetAddress(QStringLiteral("127.0.0.1"));
    SetText(page, CSyslogHostDlg::IDC_PORT, QString::number(receiver.port()));
    Combo(page, CSyslogHostDlg::IDC_FACILITY)->setCurrentIndex(5);  // local5, 168
    Combo(page, CSyslogHostDlg::IDC_SEVERITY)->setCurrentIndex(0);  // warning, 4
    Click(page, CSyslogHostDlg::IDC_APPLY);
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_EQ(Get(sw.port(), S + "5.0"), "168");
    EXPECT_EQ(Get(sw.port(), S + "4.0"), "4");
    EXPECT_EQ(Get(sw.port(), S + "6.0"), "1");
    ASSERT_TRUE(sw.Control({"link 3 down"})) << sw.LastError();
    std::string message;
    ASSERT_TRUE(receiver.receive(&message, std::chrono::milliseconds(5000)));
    std::smatch m;
    ASSERT_TRUE(std::regex_match(message, m, std::regex("<(\\d+)>.* TQX-8800 switch: Port 3 link down"))) << message;
    EXPECT_EQ(std::stoi(m[1].str()), 168 + 4) << "local5 and warning";
    page.reject();
}

// The server's address and port checks stop before anything is sent; with "SysLogEnable" cleared
// only the global state goes out.
TEST(SyslogHost, RefusalsAndTheStateAlone)
{
    App();
    Switch sw("TQX-8800");
    ASSERT_TRUE(sw.ok());
    tqxtest::UseAgent(sw.port(), false, "2000");
    CMessageRecorder boxes;
    CSyslogHostDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return Enabled(page, CSyslogHostDlg::IDC_REFRESH); }, 10000));
    Click(page, CSyslogHostDlg::IDC_ENABLE);
    struct Case {
        const char* server;
        const char* port;
        const char* message;
    };
    for (const Case& c : {Case{"10.0.0.255", "514", "Syslog Server IP Error."}, Case{"0.1.2.3", "514", "Syslog Server IP Error."},
                          Case{"10.1.2.0", "514", "Syslog Server IP Error."}, Case{"255.1.2.3", "514", "Syslog Server IP Error."},
                          Case{"10.1.2.3", "0", "Invalid UDP port range (1-65535)"},
                          Case{"10.1.2.3", "65536", "Invalid UDP port range (1-65535)"},
                          Case{"10.1.2.3", "", "Invalid UDP port range (1-65535)"}}) {
        SCOPED_TRACE(std::string(c.server) + " " + c.port);
        boxes.clear();
        sw.ClearLog();
        FindControl<CIpAddressCtrl>(&page, CSyslogHostDlg::IDC_SERVER)->SetAddress(QString::fromLatin1(c.server));
        SetText(page, CSyslogHostDlg::IDC_PORT, QString::fromLatin1(c.port));
        Click(page, CSyslogHostDlg::IDC_APPLY);
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        EXPECT_TRUE(sw.Sets().empty());
    }
    // The port edit keeps five characters.
    SetText(page, CSyslogHostDlg::IDC_PORT, QStringLiteral("1234567"));
    EXPECT_EQ(FindControl<QLineEdit>(&page, CSyslogHostDlg::IDC_PORT)->text().toStdString(), "12345");

    Click(page, CSyslogHostDlg::IDC_ENABLE);  // cleared
    sw.ClearLog();
    Click(page, CSyslogHostDlg::IDC_APPLY);
    const auto sets = sw.Sets();
    ASSERT_EQ(sets.size(), 1u);
    EXPECT_NE(sets[0].find("oids=" + S + "6.0"), std::string::npos) << sets[0];
    EXPECT_EQ(sets[0].find(","), std::string::npos) << sets[0];
    EXPECT_EQ(Get(sw.port(), S + "6.0"), "2");
    page.reject();
}
