// The SNMP agent pages against tqx-sim: what is made on the pages is what the switch's agent then
// enforces, checked with net-snmp's own snmpget and snmptrapd; each page's refusals with their texts
// and nothing sent; the scalar pages' reads and writes.
#include "pages/common/IpAddressCtrl.h"
#include "pages/snmp/SnmpScalarPages.h"
#include "pages/snmp/SnmpTablePages.h"

#include "MessageRecorder.h"
#include "config_support.h"

#include <QCheckBox>
#include <QComboBox>
#include <QLineEdit>

#include <gtest/gtest.h>

#include <fstream>
#include <sstream>

using namespace viewstest;
using namespace configtest;
using tqxtest::App;
using tqxtest::CMessageRecorder;
using tqxtest::WaitFor;

namespace {

const std::string kAdmin = "1.3.6.1.4.1.32473.10.76.10.25";
const char* const kUser = "pages:authPriv:SHA:pagespassword:DES:pagesprivacy";

// The module talks SNMPv1, or with bV3 SNMPv3 as the switch's user "pages".
std::unique_ptr<Switch> OpenSwitch(const std::string& model = "TQX-8800", std::vector<std::string> extra = {},
                                   bool bV3 = false)
{
    extra.insert(extra.end(), {"--user", kUser});
    auto sw = std::make_unique<Switch>(model, extra);
    if (!sw->ok())
        return nullptr;
    tqxtest::UseAgent(sw->port(), bV3, "2000");
    g_strDeviceName = QString::fromStdString(model);
    return sw;
}

// snmpget of sysName with the given credentials: true when the agent answered it.
bool Reads(std::uint16_t port, const QStringList& auth)
{
    QStringList args = auth;
    args << QStringLiteral("-On") << QStringLiteral("-r0") << QStringLiteral("-t1")
         << QStringLiteral("127.0.0.1:%1").arg(port) << QStringLiteral("1.3.6.1.2.1.1.5.0");
    return tqxtest::ToolOutput(QStringLiteral("snmpget"), args).find("STRING:") != std::string::npos;
}

QStringList Community(const char* pszCommunity)
{
    return {QStringLiteral("-v2c"), QStringLiteral("-c"), QLatin1String(pszCommunity)};
}

bool WaitIdle(const CSnmpTablePage& page)
{
    return WaitFor([&] { return !page.IsBusy(); }, 20000);
}

QComboBox* Combo(QWidget& page, int nId) { return FindControl<QComboBox>(&page, nId); }

bool HasRow(const QWidget& page, int nList, const std::vector<std::string>& row)
{
    for (const auto& r : ListRows(page, nList))
        if (r == row)
            return true;
    return false;
}

void Select(CSnmpTablePage& page, const std::string& first)
{
    for (int r = 0; r < page.List()->GetItemCount(); ++r)
        if (page.List()->GetItemText(r, 0).toStdString() == first)
            page.List()->SelectRow(r);
}

// The request log's SET lines once it holds at least n of them (the log is read in the background).
std::vector<std::string> WaitSets(const Switch& sw, size_t n)
{
    WaitFor([&] { return sw.Sets().size() >= n; }, 5000);
    return sw.Sets();
}

// The SET lines logged by now: a request of our own is sent and waited for in the log, so whatever
// the page sent before it is there too.
std::vector<std::string> SetsByNow(const Switch& sw)
{
    Reads(sw.port(), {QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("public")});
    WaitFor([&] {
        for (const auto& r : sw.Requests())
            if (r.find("pdu=GET oids=1.3.6.1.2.1.1.5.0") != std::string::npos)
                return true;
        return false;
    }, 5000);
    return sw.Sets();
}

bool AnyContains(const std::vector<std::string>& lines, const std::string& text)
{
    for (const auto& l : lines)
        if (l.find(text) != std::string::npos)
            return true;
    return false;
}

} // namespace

// A community added on the page reads with snmpget; deleted on the page, it reads no more. The user
// combo offers the SNMPv1/v2c users only. The module speaks SNMPv1 or SNMPv3.
class SnmpCommunityPage : public ::testing::TestWithParam<bool> {};
INSTANTIATE_TEST_SUITE_P(Versions, SnmpCommunityPage, ::testing::Values(false, true),
                         [](const auto& info) { return info.param ? "SNMPv3" : "SNMPv1"; });

TEST_P(SnmpCommunityPage, ACommunityAddedReadsAndDeletedStops)
{
    App();
    auto sw = OpenSwitch("TQX-8800", {}, GetParam());
    ASSERT_NE(sw, nullptr);
    CMessageRecorder boxes;
    CSnmpCommunityDlg page;
    page.show();
    ASSERT_TRUE(WaitIdle(page));
    EXPECT_TRUE(HasRow(page, CSnmpCommunityDlg::IDC_LIST, {"public", "public"})) << Describe(ListRows(page, CSnmpCommunityDlg::IDC_LIST));
    auto* pUsers = Combo(page, CSnmpCommunityDlg::IDC_USER);
    ASSERT_EQ(pUsers->count(), 2);
    EXPECT_EQ(pUsers->itemText(0), "public");
    EXPECT_EQ(pUsers->itemText(1), "private");
    EXPECT_FALSE(Reads(sw->port(), Community("colleague")));

    sw->ClearLog();
    SetText(page, CSnmpCommunityDlg::IDC_NAME, QStringLiteral("  colleague "));
    Click(page, CSnmpCommunityDlg::IDC_APPLY);
    ASSERT_TRUE(WaitIdle(page));
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_TRUE(HasRow(page, CSnmpCommunityDlg::IDC_LIST, {"colleague", "public"}));
    // Status to 5, the user, status to 1, under the trimmed name's index.
    const std::string index = ".9.99.111.108.108.101.97.103.117.101";
    const auto sets = WaitSets(*sw, 3);
    ASSERT_EQ(sets.size(), 3u);
    EXPECT_NE(sets[0].find(kAdmin + ".5.1.1.3" + index), std::string::npos) << sets[0];
    EXPECT_NE(sets[1].find(kAdmin + ".5.1.1.2" + index), std::string::npos) << sets[1];
    EXPECT_TRUE(Reads(sw->port(), Community("colleague")));
    EXPECT_TRUE(Reads(sw->port(), {QStringLiteral("-v1"), QStringLiteral("-c"), QStringLiteral("colleague")}));

    Select(page, "colleague");
    Click(page, CSnmpCommunityDlg::IDC_DELETE);
    ASSERT_TRUE(WaitIdle(page));
    EXPECT_FALSE(HasRow(page, CSnmpCommunityDlg::IDC_LIST, {"colleague", "public"}));
    EXPECT_FALSE(Reads(sw->port(), Community("colleague")));
    page.reject();
}

// SNMPv3 users added on the page authenticate with snmpget -v3, a name beyond ASCII included (its
// UTF-8 bytes are the index, as unsigned numbers); the passwords appear in no trace line, message or
// packet log.
TEST(SnmpPages, AUserAddedAuthenticatesAndItsPasswordsStaySecret)
{
    App();
    auto sw = OpenSwitch();
    ASSERT_NE(sw, nullptr);
    CMessageRecorder boxes;
    tqxtest::TraceRecorder trace;
    CSnmpUserDlg page;
    page.show();
    ASSERT_TRUE(WaitIdle(page));
    EXPECT_TRUE(HasRow(page, CSnmpUserDlg::IDC_LIST, {"pages", "pages", "V3", "SHA", "DES_CBC"}));
    EXPECT_FALSE(FindControl<QCheckBox>(&page, CSnmpUserDlg::IDC_ENCRYPTED)->isEnabled());

    struct User {
        QString name;
        int auth;  // 0 MD5, 1 SHA
        QString authPassword, privPassword;
        std::string tool;  // snmpget's -a
    };
    const std::vector<User> users = {{QStringLiteral("colleague"), 1, QStringLiteral("colleaguepass1"), QStringLiteral("colleaguepriv1"), "SHA"},
                                     {QString::fromUtf8("J\xc3\xb6rg"), 0, QStringLiteral("joergpassword"), QStringLiteral("joergprivacy"), "MD5"}};
    for (const User& u : users) {
        SCOPED_TRACE(u.name.toStdString());
        sw->ClearLog();
        SetText(page, CSnmpUserDlg::IDC_USER, u.name);
        SetText(page, CSnmpUserDlg::IDC_GROUP, QStringLiteral("pages"));  // the factory group at authPriv
        Combo(page, CSnmpUserDlg::IDC_VERSION)->setCurrentIndex(2);
        FindControl<QCheckBox>(&page, CSnmpUserDlg::IDC_ENCRYPTED)->click();
        EXPECT_TRUE(FindControl<QLineEdit>(&page, CSnmpUserDlg::IDC_PRIV_PASSWORD)->isEnabled());
        Combo(page, CSnmpUserDlg::IDC_AUTH)->setCurrentIndex(u.auth);
        SetText(page, CSnmpUserDlg::IDC_AUTH_PASSWORD, u.authPassword);
        SetText(page, CSnmpUserDlg::IDC_PRIV_PASSWORD, u.privPassword);
        Click(page, CSnmpUserDlg::IDC_APPLY);
        ASSERT_TRUE(WaitIdle(page));
        EXPECT_TRUE(boxes.texts.empty()) << boxes.texts.front();
        EXPECT_TRUE(HasRow(page, CSnmpUserDlg::IDC_LIST, {u.name.toStdString(), "pages", "V3", u.tool, "DES_CBC"}))
            << Describe(ListRows(page, CSnmpUserDlg::IDC_LIST));
        std::string index = "." + std::to_string(u.name.toUtf8().size());
        for (unsigned char c : u.name.toUtf8())
            index += "." + std::to_string(c);
        EXPECT_TRUE(AnyContains(WaitSets(*sw, 5), kAdmin + ".2.1.1.8" + index + ".3")) << index;
        EXPECT_TRUE(Reads(sw->port(), {QStringLiteral("-v3"), QStringLiteral("-u"), u.name, QStringLiteral("-l"),
                                       QStringLiteral("authPriv"), QStringLiteral("-a"), QString::fromStdString(u.tool),
                                       QStringLiteral("-A"), u.authPassword, QStringLiteral("-x"), QStringLiteral("DES"),
                                       QStringLiteral("-X"), u.privPassword}));
        EXPECT_FALSE(Reads(sw->port(), {QStringLiteral("-v3"), QStringLiteral("-u"), u.name, QStringLiteral("-l"),
                                        QStringLiteral("authPriv"), QStringLiteral("-a"), QString::fromStdString(u.tool),
                                        QStringLiteral("-A"), QStringLiteral("wrongpassword"), QStringLiteral("-x"),
                                        QStringLiteral("DES"), QStringLiteral("-X"), u.privPassword}));
    }
    // A password too long for its protocol: refused with its message, which does not hold it.
    SetText(page, CSnmpUserDlg::IDC_USER, QStringLiteral("long"));
    SetText(page, CSnmpUserDlg::IDC_GROUP, QStringLiteral("pages"));
    Combo(page, CSnmpUserDlg::IDC_VERSION)->setCurrentIndex(2);
    FindControl<QCheckBox>(&page, CSnmpUserDlg::IDC_ENCRYPTED)->click();
    const QString strLong = QStringLiteral("secretsecretsecretsecretsecretsecret");
    SetText(page, CSnmpUserDlg::IDC_AUTH_PASSWORD, strLong);
    Click(page, CSnmpUserDlg::IDC_APPLY);
    EXPECT_EQ(boxes.texts, std::vector<std::string>{" MD5 Max. Password length is 32."});
    page.reject();

    std::vector<std::string> secrets = {"colleaguepass1", "colleaguepriv1", "joergpassword", "joergprivacy", strLong.toStdString()};
    std::string log;
    if (std::ifstream in("snmp.log", std::ios::binary); in) {
        std::stringstream s;
        s << in.rdbuf();
        log = s.str();
    }
    for (const std::string& secret : secrets) {
        EXPECT_FALSE(AnyContains(trace.lines(), secret)) << secret;
        EXPECT_FALSE(AnyContains(boxes.texts, secret)) << secret;
        EXPECT_EQ(log.find(secret), std::string::npos) << secret;
    }
    // The switch keeps them but does not read them back.
    const std::string colleague = ".9.99.111.108.108.101.97.103.117.101.3";
    EXPECT_EQ(SnmpGetHex(sw->port(), kAdmin + ".2.1.1.3" + colleague), "70 61 67 65 73");  // "pages"
    EXPECT_EQ(SnmpGetHex(sw->port(), kAdmin + ".2.1.1.5" + colleague), "");
}

// A group made on the group page (its level written to the row's level column) and an SNMPv3 user
// without keys in it: the user reads at noAuthNoPriv with the group's read view, and cannot write.
TEST(SnmpPages, AGroupAndAnUnencryptedUserWorkTogether)
{
    App();
    auto sw = OpenSwitch();
    ASSERT_NE(sw, nullptr);
    CMessageRecorder boxes;
    {
        CSnmpGroupDlg page;
        page.show();
        ASSERT_TRUE(WaitIdle(page));
        SetText(page, CSnmpGroupDlg::IDC_NAME, QStringLiteral("guests"));
        Combo(page, CSnmpGroupDlg::IDC_MODEL)->setCurrentIndex(2);
        EXPECT_TRUE(Combo(page, CSnmpGroupDlg::IDC_LEVEL)->isEnabled());
        SetText(page, CSnmpGroupDlg::IDC_READ, QStringLiteral("all"));
        SetText(page, CSnmpGroupDlg::IDC_NOTIFY, QStringLiteral("all"));
        sw->ClearLog();
        Click(page, CSnmpGroupDlg::IDC_APPLY);
        ASSERT_TRUE(WaitIdle(page));
        EXPECT_TRUE(HasRow(page, CSnmpGroupDlg::IDC_LIST, {"guests", "all", "", "all", "v3", "NoAuthNoPriv"}))
            << Describe(ListRows(page, CSnmpGroupDlg::IDC_LIST));
        const auto sets = WaitSets(*sw, 3);
        ASSERT_EQ(sets.size(), 3u);
        const std::string index = ".6.103.117.101.115.116.115.3.1";
        EXPECT_NE(sets[1].find(kAdmin + ".3.1.1.3" + index + "," + kAdmin + ".3.1.1.4" + index + "," + kAdmin + ".3.1.1.6" + index),
                  std::string::npos) << sets[1];
        page.reject();
    }
    {
        CSnmpUserDlg page;
        page.show();
        ASSERT_TRUE(WaitIdle(page));
        SetText(page, CSnmpUserDlg::IDC_USER, QStringLiteral("visitor"));
        SetText(page, CSnmpUserDlg::IDC_GROUP, QStringLiteral("guests"));
        Combo(page, CSnmpUserDlg::IDC_VERSION)->setCurrentIndex(2);
        Click(page, CSnmpUserDlg::IDC_APPLY);
        ASSERT_TRUE(WaitIdle(page));
        EXPECT_TRUE(HasRow(page, CSnmpUserDlg::IDC_LIST, {"visitor", "guests", "V3", "None", "None"}))
            << Describe(ListRows(page, CSnmpUserDlg::IDC_LIST));
        page.reject();
    }
    EXPECT_TRUE(boxes.texts.empty());
    const QStringList visitor = {QStringLiteral("-v3"), QStringLiteral("-u"), QStringLiteral("visitor"), QStringLiteral("-l"),
                                 QStringLiteral("noAuthNoPriv")};
    EXPECT_TRUE(Reads(sw->port(), visitor));
    QStringList set = visitor;
    set << QStringLiteral("-On") << QStringLiteral("127.0.0.1:%1").arg(sw->port()) << QStringLiteral("1.3.6.1.2.1.1.6.0")
        << QStringLiteral("s") << QStringLiteral("x");
    EXPECT_EQ(tqxtest::ToolOutput(QStringLiteral("snmpset"), set).find("STRING"), std::string::npos);  // refused
    EXPECT_EQ(SnmpGetHex(sw->port(), "1.3.6.1.2.1.1.6.0"), "52 61 63 6B 20 31");  // still "Rack 1"

}

// A trap host added on the host page receives a link-down trap in snmptrapd when a link goes down,
// and none while the trap page has the twisted-pair link traps off.
TEST(SnmpPages, ATrapHostAddedReceivesLinkDownUnlessSwitchedOff)
{
    App();
    const std::string host = tqxtest::LocalHostAddress();
    if (host.empty())
        GTEST_SKIP() << "this machine has no address but the loopback one";
    tqxtest::TrapReceiver trapd(host);
    ASSERT_TRUE(trapd.ok()) << trapd.process().output();
    auto sw = OpenSwitch("TQX-8800", {"--trap-port", std::to_string(trapd.port())});
    ASSERT_NE(sw, nullptr);
    CMessageRecorder boxes;
    {
        CSnmpHostDlg page;
        page.show();
        ASSERT_TRUE(WaitIdle(page));
        FindControl<CIpAddressCtrl>(&page, CSnmpHostDlg::IDC_ADDRESS)->SetAddress(QString::fromStdString(host));
        Combo(page, CSnmpHostDlg::IDC_VERSION)->setCurrentIndex(1);
        SetText(page, CSnmpHostDlg::IDC_NAME, QStringLiteral("public"));
        Click(page, CSnmpHostDlg::IDC_APPLY);
        ASSERT_TRUE(WaitIdle(page));
        EXPECT_TRUE(boxes.texts.empty());
        EXPECT_TRUE(HasRow(page, CSnmpHostDlg::IDC_LIST, {host, "V2c", "public"}));
        page.reject();
    }
    const std::string linkDown = ".1.3.6.1.6.3.1.1.4.1.0 = OID: .1.3.6.1.6.3.1.1.5.3";
    const std::string linkUp = ".1.3.6.1.6.3.1.1.4.1.0 = OID: .1.3.6.1.6.3.1.1.5.4";
    ASSERT_TRUE(sw->Control({"link 1 down"}));
    EXPECT_TRUE(trapd.process().waitForOutput(linkDown, std::chrono::seconds(5))) << trapd.process().output();

    // The trap page: the box of twisted-pair link traps cleared and applied.
    auto applyTraps = [&](bool bOn) {
        CSnmpTrapDlg page;
        page.show();
        EXPECT_TRUE(WaitFor([&] { return !page.IsReading(); }, 20000));
        EXPECT_TRUE(Checked(page, 1012) != bOn);
        FindControl<QCheckBox>(&page, 1012)->setChecked(bOn);
        Click(page, CSnmpTrapDlg::IDC_APPLY);
        page.reject();
    };
    applyTraps(false);
    EXPECT_EQ(SnmpGetHex(sw->port(), kAdmin + ".8.4.0"), "2");
    trapd.process().clearOutput();
    ASSERT_TRUE(sw->Control({"link 2 down"}));
    applyTraps(true);
    ASSERT_TRUE(sw->Control({"link 2 up"}));
    EXPECT_TRUE(trapd.process().waitForOutput(linkUp, std::chrono::seconds(5))) << trapd.process().output();
    EXPECT_EQ(trapd.process().output().find(linkDown), std::string::npos) << trapd.process().output();
}

// Each page's refusals: the message, in the order of the checks, and nothing sent.
TEST(SnmpPages, RefusalsShowTheirTextAndSendNothing)
{
    App();
    auto sw = OpenSwitch();
    ASSERT_NE(sw, nullptr);
    CMessageRecorder boxes;
    CSnmpCommunityDlg community;
    CSnmpUserDlg user;
    CSnmpGroupDlg group;
    CSnmpViewDlg view;
    CSnmpHostDlg host;
    for (CSnmpTablePage* p : std::initializer_list<CSnmpTablePage*>{&community, &user, &group, &view, &host}) {
        p->show();
        ASSERT_TRUE(WaitIdle(*p));
    }
    auto text = [](QWidget& page, int nId, const char* psz) { SetText(page, nId, QString::fromUtf8(psz)); };
    auto combo = [](QWidget& page, int nId, int n) { Combo(page, nId)->setCurrentIndex(n); };
    auto userInputs = [&](const char* name, const char* groupName, int version, bool encrypted, int auth,
                          const char* authPassword, int priv, const char* privPassword) {
        text(user, CSnmpUserDlg::IDC_USER, name);
        text(user, CSnmpUserDlg::IDC_GROUP, groupName);
        combo(user, CSnmpUserDlg::IDC_VERSION, version);
        auto* pBox = FindControl<QCheckBox>(&user, CSnmpUserDlg::IDC_ENCRYPTED);
        if (pBox->isChecked() != encrypted)
            pBox->click();
        combo(user, CSnmpUserDlg::IDC_AUTH, auth);
        combo(user, CSnmpUserDlg::IDC_PRIV, priv);
        text(user, CSnmpUserDlg::IDC_AUTH_PASSWORD, authPassword);
        text(user, CSnmpUserDlg::IDC_PRIV_PASSWORD, privPassword);
    };
    auto viewInputs = [&](const char* name, const char* subtree, const char* mask) {
        text(view, CSnmpViewDlg::IDC_NAME, name);
        text(view, CSnmpViewDlg::IDC_SUBTREE, subtree);
        text(view, CSnmpViewDlg::IDC_MASK, mask);
    };
    auto hostInputs = [&](const char* address, const char* name) {
        FindControl<CIpAddressCtrl>(&host, CSnmpHostDlg::IDC_ADDRESS)->SetAddress(QLatin1String(address));
        text(host, CSnmpHostDlg::IDC_NAME, name);
    };
    const std::string x33(33, 'x'), x41(41, 'x');
    struct Case {
        const char* what;
        CSnmpTablePage* page;
        std::function<void()> arrange;
        std::string message;
    };
    const std::vector<Case> cases = {
        {"community empty", &community, [&] { text(community, CSnmpCommunityDlg::IDC_NAME, "   "); }, "Please enter valid Community Name !"},
        {"community forbidden", &community, [&] { text(community, CSnmpCommunityDlg::IDC_NAME, "a/b"); }, "Invalid Community Name."},
        {"community exists", &community, [&] { text(community, CSnmpCommunityDlg::IDC_NAME, "public"); }, "This Community Entry already exists."},
        {"user empty", &user, [&] { userInputs("", "g", 0, false, 0, "", 0, ""); }, "Please enter valid User Name "},
        {"user forbidden", &user, [&] { userInputs("a;b", "g", 0, false, 0, "", 0, ""); }, "Invalid User Name ."},
        {"group empty", &user, [&] { userInputs("u", "", 0, false, 0, "", 0, ""); }, "Please enter valid Group Name "},
        {"group forbidden", &user, [&] { userInputs("u", "g?", 0, false, 0, "", 0, ""); }, "Invalid Group Name."},
        {"user exists", &user, [&] { userInputs("public", "g", 1, false, 0, "", 0, ""); }, "This User Entry already exists."},
        {"auth password empty", &user, [&] { userInputs("u", "g", 2, true, 0, "", 0, "privpassword"); }, "Auth-Protocol Password can't be empty."},
        {"MD5 too long", &user, [&] { userInputs("u", "g", 2, true, 0, x33.c_str(), 0, "privpassword"); }, " MD5 Max. Password length is 32."},
        {"SHA too long", &user, [&] { userInputs("u", "g", 2, true, 1, x41.c_str(), 0, "privpassword"); }, " SHA Max. Password length is 40."},
        {"priv password empty", &user, [&] { userInputs("u", "g", 2, true, 1, x33.c_str(), 0, ""); }, "Priv-Protocol Password can't be empty."},
        {"DES too long", &user, [&] { userInputs("u", "g", 2, true, 1, "authpassword", 0, x33.c_str()); }, " DES Max. Password length is 32."},
        {"group name empty", &group, [&] { text(group, CSnmpGroupDlg::IDC_NAME, ""); }, "Please enter valid group name!"},
        {"group name forbidden", &group, [&] { text(group, CSnmpGroupDlg::IDC_NAME, "g<"); }, "Invalid Group Name."},
        {"group exists", &group, [&] { text(group, CSnmpGroupDlg::IDC_NAME, "private"); combo(group, CSnmpGroupDlg::IDC_MODEL, 1); },
         "This Group Entry already exists."},
        {"view empty", &view, [&] { viewInputs("", "1.3.6.1", "1"); }, "Please enter valid view name."},
        {"view forbidden", &view, [&] { viewInputs("v.w", "1.3.6.1", "1"); }, "Invalid View Name."},
        {"subtree letter", &view, [&] { viewInputs("v", "1.3.a", "1"); }, "Please enter valid subtree OID"},
        {"subtree two dots", &view, [&] { viewInputs("v", "1..3", "1"); }, "Please enter valid subtree OID ."},
        {"subtree leading dot", &view, [&] { viewInputs("v", ".1.3", "1"); }, "Please enter valid subtree OID ."},
        {"subtree trailing dot", &view, [&] { viewInputs("v", "1.3.", "1"); }, "Please enter valid subtree OID ."},
        {"subtree arc too big", &view, [&] { viewInputs("v", "1.4294967296", "1"); }, "Please enter valid subtree OID ."},
        {"mask empty", &view, [&] { viewInputs("v", "1.3.6.1", ""); }, "Please enter valid OID Mask."},
        {"mask 1.2", &view, [&] { viewInputs("v", "1.3.6.1", "1.2"); }, "Please enter valid OID Mask."},
        {"mask 1..1", &view, [&] { viewInputs("v", "1.3.6.1", "1..1"); }, "Please enter valid OID Mask."},
        {"mask too long", &view, [&] { viewInputs("v", "1.3.6.1", "1.1.1.1.1"); }, "Invalid  OID length"},
        {"view exists", &view, [&] { viewInputs("all", "1", "1"); }, "This View Entry already exist."},
        {"host empty", &host, [&] { hostInputs("", "public"); }, "Invalid Host IP."},
        {"host 0.0.0.0", &host, [&] { hostInputs("0.0.0.0", "public"); }, "Invalid Host IP."},
        {"host 10.0.0.0", &host, [&] { hostInputs("10.0.0.0", "public"); }, "Invalid Host IP."},
        {"host 127.0.0.1", &host, [&] { hostInputs("127.0.0.1", "public"); }, "Invalid Host IP."},
        {"host 192.168.1.255", &host, [&] { hostInputs("192.168.1.255", "public"); }, "Invalid Host IP."},
        {"host 224.0.0.1", &host, [&] { hostInputs("224.0.0.1", "public"); }, "Invalid Host IP."},
        {"host 172.16.0.0", &host, [&] { hostInputs("172.16.0.0", "public"); }, "Invalid Host IP."},
        {"host name empty", &host, [&] { hostInputs("192.168.1.10", ""); }, "The Community String or SNMPv3 User Name can not be empty."},
        {"host name forbidden", &host, [&] { hostInputs("192.168.1.10", "pub'lic"); }, "Invalid Community String/SNMPv3 User Name. "},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        boxes.clear();
        sw->ClearLog();
        c.arrange();
        c.page->OnApply();
        EXPECT_EQ(boxes.texts, std::vector<std::string>{c.message});
        const auto sets = SetsByNow(*sw);
        EXPECT_TRUE(sets.empty()) << sets.front();
    }
    // A row status other than 1, 5 or 6 is not sent.
    boxes.clear();
    sw->ClearLog();
    EXPECT_FALSE(community.Model().SetRowStatus(QString::fromStdString(kAdmin + ".5.1.1.3"), QStringLiteral(".1.120"),
                                                QStringLiteral("4"), &community));
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"error istatus value!"});
    EXPECT_TRUE(SetsByNow(*sw).empty());
    // Delete without a selection.
    sw->ClearLog();
    for (auto [p, message] : std::initializer_list<std::pair<CSnmpTablePage*, const char*>>{
             {&community, "Please select the item would be delete!\n"}, {&view, "Please Selecte the Item you would delete"},
             {&host, "Please Selecte the Item you would delete"}}) {
        boxes.clear();
        p->List()->clearSelection();
        p->OnDelete();
        EXPECT_EQ(boxes.texts, std::vector<std::string>{message});
    }
    EXPECT_TRUE(SetsByNow(*sw).empty());
    // The same user name with another version is no duplicate; a group at AuthPriv ends its index
    // in .3; a view with mask 1.1.01 on 1.3.6.1 is taken.
    boxes.clear();
    userInputs("pages", "public", 1, false, 0, "", 0, "");
    user.OnApply();
    text(group, CSnmpGroupDlg::IDC_NAME, "ops");
    combo(group, CSnmpGroupDlg::IDC_MODEL, 2);
    combo(group, CSnmpGroupDlg::IDC_LEVEL, 2);
    text(group, CSnmpGroupDlg::IDC_READ, "all");
    group.OnApply();
    viewInputs("internet", "1.3.6.1", "1.1.01");
    view.OnApply();
    hostInputs("192.168.1.10", "public");
    host.OnApply();
    for (CSnmpTablePage* p : std::initializer_list<CSnmpTablePage*>{&user, &group, &view, &host})
        ASSERT_TRUE(WaitIdle(*p));
    EXPECT_TRUE(boxes.texts.empty());
    EXPECT_TRUE(HasRow(user, CSnmpUserDlg::IDC_LIST, {"pages", "public", "V2c", "None", "None"}));
    EXPECT_TRUE(HasRow(group, CSnmpGroupDlg::IDC_LIST, {"ops", "all", "", "", "v3", "AuthPriv"}));
    EXPECT_TRUE(AnyContains(WaitSets(*sw, 12), kAdmin + ".3.1.1.7.3.111.112.115.3.3"));
    EXPECT_TRUE(HasRow(view, CSnmpViewDlg::IDC_LIST, {"internet", "1.3.6.1", "1.1.1", "Included"}))
        << Describe(ListRows(view, CSnmpViewDlg::IDC_LIST));
    EXPECT_TRUE(HasRow(host, CSnmpHostDlg::IDC_LIST, {"192.168.1.10", "V1", "public"}));
    // The eleventh community.
    for (int i = community.List()->GetItemCount(); i < 10; ++i) {
        text(community, CSnmpCommunityDlg::IDC_NAME, ("c" + std::to_string(i)).c_str());
        community.OnApply();
        ASSERT_TRUE(WaitIdle(community));
    }
    ASSERT_EQ(community.List()->GetItemCount(), 10);
    boxes.clear();
    sw->ClearLog();
    text(community, CSnmpCommunityDlg::IDC_NAME, "c10");
    community.OnApply();
    EXPECT_EQ(boxes.texts, std::vector<std::string>{"Maximum number of Community Entry is 10."});
    EXPECT_TRUE(SetsByNow(*sw).empty());
}

// The scalar pages: the engine ID read as hex, its checks, Default; the global state; six trap
// boxes on a device without PoE.
TEST(SnmpPages, EngineIdGlobalStateAndTrapPages)
{
    App();
    auto sw = OpenSwitch();
    ASSERT_NE(sw, nullptr);
    CMessageRecorder boxes;
    {
        CSnmpEngineIdDlg page;
        page.show();
        auto* pEdit = FindControl<QLineEdit>(&page, CSnmpEngineIdDlg::IDC_ENGINE_ID);
        ASSERT_TRUE(WaitFor([&] { return !page.IsReading() && !pEdit->text().isEmpty(); }, 20000));
        EXPECT_EQ(pEdit->text(), "80007ed90302545101" "0000");
        sw->ClearLog();
        for (auto [input, message] : std::initializer_list<std::pair<const char*, const char*>>{
                 {"123456789", "ID length is 10-64"},
                 {"12345678901234567890123456789012345678901234567890123456789012345", "ID length is 10-64"},
                 {"123456789G", "the accepted character is from 0 to F"}}) {
            boxes.clear();
            SetText(page, CSnmpEngineIdDlg::IDC_ENGINE_ID, QLatin1String(input));
            Click(page, CSnmpEngineIdDlg::IDC_APPLY);
            EXPECT_EQ(boxes.texts, std::vector<std::string>{message}) << input;
        }
        EXPECT_TRUE(SetsByNow(*sw).empty());
        boxes.clear();
        // An odd length gets a leading 0.
        SetText(page, CSnmpEngineIdDlg::IDC_ENGINE_ID, QStringLiteral("8000007e580"));
        Click(page, CSnmpEngineIdDlg::IDC_APPLY);
        EXPECT_TRUE(WaitFor([&] { return !page.IsReading() && pEdit->text() == "08000007e580"; }, 20000)) << pEdit->text().toStdString();
        Click(page, CSnmpEngineIdDlg::IDC_DEFAULT);
        EXPECT_TRUE(WaitFor([&] { return !page.IsReading() && pEdit->text() == "8000081c044653"; }, 20000));
        EXPECT_EQ(SnmpGetHex(sw->port(), kAdmin + ".7.0"), "80 00 08 1C 04 46 53");
        EXPECT_TRUE(boxes.texts.empty());
        page.reject();
    }
    {
        CSnmpTrapDlg page;
        page.show();
        ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 20000));
        EXPECT_TRUE(Checked(page, 1195));
        EXPECT_FALSE(FindControl<QCheckBox>(&page, 1010)->isVisible());
        EXPECT_TRUE(FindControl<QCheckBox>(&page, 1013)->isVisible());
        sw->ClearLog();
        Click(page, CSnmpTrapDlg::IDC_APPLY);
        const auto sets = WaitSets(*sw, 1);
        ASSERT_EQ(sets.size(), 1u);
        EXPECT_NE(sets[0].find(kAdmin + ".8.6.0"), std::string::npos) << sets[0];
        EXPECT_EQ(sets[0].find(kAdmin + ".8.7.0"), std::string::npos) << sets[0];
        page.reject();
    }
    {
        CSnmpGlobalStateDlg page;
        page.show();
        ASSERT_TRUE(WaitFor([&] { return Checked(page, CSnmpGlobalStateDlg::IDC_ENABLE); }, 20000));
        FindControl<QCheckBox>(&page, CSnmpGlobalStateDlg::IDC_ENABLE)->setChecked(false);
        Click(page, CSnmpGlobalStateDlg::IDC_APPLY);
        page.reject();
    }
    EXPECT_FALSE(Reads(sw->port(), Community("public")));
    ASSERT_TRUE(sw->Control({"snmp on"}));
    EXPECT_TRUE(Reads(sw->port(), Community("public")));
}

// On a PoE model the trap page shows and writes all nine switches.
TEST(SnmpPages, TrapPageOfAPoeModelHasNineBoxes)
{
    App();
    auto sw = OpenSwitch("TQX-8810P");
    ASSERT_NE(sw, nullptr);
    CSnmpTrapDlg page;
    page.show();
    ASSERT_TRUE(WaitFor([&] { return !page.IsReading(); }, 20000));
    EXPECT_TRUE(FindControl<QCheckBox>(&page, 1182)->isVisible());
    EXPECT_TRUE(Checked(page, 1182));
    FindControl<QCheckBox>(&page, 1182)->setChecked(false);
    sw->ClearLog();
    Click(page, CSnmpTrapDlg::IDC_APPLY);
    ASSERT_EQ(WaitSets(*sw, 1).size(), 1u);
    EXPECT_NE(sw->Sets()[0].find(kAdmin + ".8.9.0"), std::string::npos);
    EXPECT_EQ(SnmpGetHex(sw->port(), kAdmin + ".8.9.0"), "2");
    page.reject();
}
