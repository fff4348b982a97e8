#include "app/CommandLine.h"
#include "core/Settings.h"

#include <gtest/gtest.h>

#include <string>

namespace {

// Every setting the command line can change, with the start-up defaults.
struct Parsed {
    bool ok = true;
    std::string ip;
    std::string get = "public";
    std::string set = "private";
    int write = 1;
    std::string version = "1";
    int port = 161;
    std::string level = "1";
    std::string user;
    std::string auth;
    std::string priv;
    std::string authProto = "1";
    std::string privProto = "1";

    bool operator==(const Parsed&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Parsed& p)
{
    return os << "{ok=" << p.ok << " ip='" << p.ip << "' get='" << p.get << "' set='" << p.set << "' write=" << p.write
              << " version='" << p.version << "' port=" << p.port << " level='" << p.level << "' user='" << p.user
              << "' auth='" << p.auth << "' priv='" << p.priv << "' authProto='" << p.authProto << "' privProto='"
              << p.privProto << "'}";
}

Parsed Parse(const std::string& line)
{
    ResetSettings();
    Parsed p;
    p.ok = ParseParameters(line);
    p.ip = g_strDeviceIP.toStdString();
    p.get = g_strGetCommunity.toStdString();
    p.set = g_strSetCommunity.toStdString();
    p.write = g_bWriteAccess;
    p.version = g_strSnmpVersion.toStdString();
    p.port = g_nSnmpPort;
    p.level = g_strSecurityLevel.toStdString();
    p.user = g_strUserName.toStdString();
    p.auth = g_strAuthPassword.toStdString();
    p.priv = g_strPrivPassword.toStdString();
    p.authProto = g_strAuthProtocol.toStdString();
    p.privProto = g_strPrivProtocol.toStdString();
    return p;
}

const std::string kV3Tail = " /X1 /Y2 /Z3 /L3 /Uadmin /Aauthpass1 /Bprivpass1 /C3 /D2";

struct Case {
    const char* name;
    std::string line;
    Parsed want;
};

TEST(CommandLine, EveryCaseSetsExactlyItsSettings)
{
    const std::string long60(60, 'c');
    const std::string user40(40, 'u');
    const Case cases[] = {
        {"empty line", "", {.ok = false}},
        {"address only", "/M1 /I10.90.90.90", {.ip = "10.90.90.90"}},
        {"suite v1 line", "/M1 /I127.0.0.1 /Rpublic /Wprivate /Atrue /V1 /P16161",
         {.ip = "127.0.0.1", .port = 16161}},
        {"v1 stops after field 7", "/M1 /I1.2.3.4 /Rro /Wrw /ATRUE /V1 /P1161" + kV3Tail,
         {.ip = "1.2.3.4", .get = "ro", .set = "rw", .port = 1161}},
        {"v3 reads fields 8 to 16", "/M1 /I1.2.3.4 /Rro /Wrw /Atrue /V3 /P1161" + kV3Tail,
         {.ip = "1.2.3.4", .get = "ro", .set = "rw", .version = "3", .port = 1161, .level = "3", .user = "admin",
          .auth = "authpass1", .priv = "privpass1", .authProto = "3", .privProto = "2"}},
        {"any version but 1 reads on", "/M1 /I1.2.3.4 /R /W /Atrue /V2 /P /X /Y /Z /L2 /Ubob",
         {.ip = "1.2.3.4", .version = "2", .level = "2", .user = "bob"}},
        {"empty fields keep defaults, empty write access is off", "/M1 /I1.1.1.1 /R /W /A /V /P",
         {.ip = "1.1.1.1", .write = 0}},
        {"mixed case write access is off", "/M1 /I1.1.1.1 /Rr /Ww /ATrue", {.ip = "1.1.1.1", .get = "r", .set = "w", .write = 0}},
        {"false write access is off", "/M1 /I1.1.1.1 /Rr /Ww /Afalse", {.ip = "1.1.1.1", .get = "r", .set = "w", .write = 0}},
        {"no /I keeps every default", "/M1 /X1.2.3.4 /Rfoo /Wbar /Afalse", {.ok = false}},
        {"empty address stops", "/M1 /I /Rfoo /Wbar", {.ok = false}},
        {"fields by position, tags unread", "/Q7 /X9.9.9.9 /Ipub", {.ip = "9.9.9.9", .get = "pub"}},
        {"spaces removed inside values", "/M1 /I 10.1. 1.1 /Rmy com /W p r i v", {.ip = "10.1.1.1", .get = "mycom", .set = "priv"}},
        {"line ends inside the communities", "/M1 /I1.1.1.1 /Rr", {.ip = "1.1.1.1", .get = "r"}},
        {"trailing slash", "/M1 /I1.1.1.1/", {.ip = "1.1.1.1"}},
        {"one character", "/", {}},
        {"over-long values cut to the limit",
         "/M12345678901234567890123 /I123.123.123.123.99 /R" + long60 + " /W" + long60 + " /Atrue1234567 /V3abcdefgh /P80 /X /Y /Z /L1234567890 /U" + user40,
         {.ip = "123.123.123.123", .get = std::string(51, 'c'), .set = std::string(51, 'c'), .write = 0,
          .version = "3abcdef", .port = 80, .level = "1234567", .user = std::string(31, 'u')}},
        {"a UTF-8 character cut by the limit is dropped whole", "/M1 /I1.1.1.1 /R" + std::string(50, 'a') + "\xc3\xa9",
         {.ip = "1.1.1.1", .get = std::string(50, 'a')}},
        {"port 1", "/M1 /I1.1.1.1 /R /W /Atrue /V1 /P1", {.ip = "1.1.1.1", .port = 1}},
        {"port 65535", "/M1 /I1.1.1.1 /R /W /Atrue /V1 /P65535", {.ip = "1.1.1.1", .port = 65535}},
        {"port 0", "/M1 /I1.1.1.1 /R /W /Atrue /V1 /P0", {.ip = "1.1.1.1"}},
        {"port 65536", "/M1 /I1.1.1.1 /R /W /Atrue /V1 /P65536", {.ip = "1.1.1.1"}},
        {"port not a number", "/M1 /I1.1.1.1 /R /W /Atrue /V1 /P16x", {.ip = "1.1.1.1"}},
        {"port negative", "/M1 /I1.1.1.1 /R /W /Atrue /V1 /P-5", {.ip = "1.1.1.1"}},
        {"port with spaces", "/M1 /I1.1.1.1 /R /W /Atrue /V1 /P 1 6 2", {.ip = "1.1.1.1", .port = 162}},
        {"port with leading zeros", "/M1 /I1.1.1.1 /R /W /Atrue /V1 /P00162", {.ip = "1.1.1.1", .port = 162}},
        {"port over-long cut to 7 digits", "/M1 /I1.1.1.1 /R /W /Atrue /V1 /P1616161616", {.ip = "1.1.1.1"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Parse(c.line), c.want) << c.name << ": " << c.line;
}

TEST(CommandLine, GetNextParameterRespectsCapacityAndPosition)
{
    const std::string_view line = "/Iab cd/Rxyz";
    char buf[8];
    int pos = 2;
    GetNextParameter(line, buf, sizeof buf, &pos);
    EXPECT_STREQ(buf, "abcd");
    EXPECT_EQ(pos, 7);  // on the slash, not past it

    pos = 2;
    GetNextParameter(line, buf, 3, &pos);  // room for two characters and the NUL
    EXPECT_STREQ(buf, "ab");
    EXPECT_EQ(pos, 7);  // the rest of the value is consumed all the same

    pos = 2;
    buf[0] = 'q';
    GetNextParameter(line, buf, 0, &pos);  // no room at all: nothing written
    EXPECT_EQ(buf[0], 'q');
    EXPECT_EQ(pos, 7);

    pos = 40;  // past the end
    GetNextParameter(line, buf, sizeof buf, &pos);
    EXPECT_STREQ(buf, "");
    EXPECT_EQ(pos, 40);
}

TEST(CommandLine, ArgumentsJoinedByBlanksWithoutProgramName)
{
    EXPECT_EQ(CommandLineFromArguments({"/x/TqxModule", "/M1", "/I1.2.3.4", "/Rmy", "com"}),
              QStringLiteral("/M1 /I1.2.3.4 /Rmy com"));
    EXPECT_EQ(CommandLineFromArguments({"/x/TqxModule"}), QString());
}

} // namespace
