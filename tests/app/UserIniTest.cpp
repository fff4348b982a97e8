#include "app/UserIni.h"

#include "Agents.h"

#include <gtest/gtest.h>

#include <fstream>
#include <string>

namespace {

struct Info {
    std::string name;
    int ports = 28;
    std::string xml;
    int giga = 0;
    int fan = 0;
    bool operator==(const Info&) const = default;
};

std::ostream& operator<<(std::ostream& os, const Info& i)
{
    return os << "{name='" << i.name << "' ports=" << i.ports << " xml='" << i.xml << "' giga=" << i.giga
              << " fan=" << i.fan << "}";
}

Info Read(const std::filesystem::path& path)
{
    const CDeviceInfo d = ReadDeviceInfo(QString::fromStdString(path.string()));
    return {d.strDeviceName.toStdString(), d.nDevicePortNum, d.strXMLName.toStdString(), d.bIsAllGiga, d.bIsHasFan};
}

struct Case {
    const char* name;
    std::string file;
    Info want;
};

TEST(UserIni, ReadsDeviceInfoWithDefaultsCaseAndLimits)
{
    const std::string name300(300, 'N');
    const Case cases[] = {
        {"complete", "[DeviceInfo]\nDeviceName=TQX-8800\nDevicePortNum=24\nXMLName=TQX8800.xml\nIsAllGiga=Y\nIsHasFan=y\n",
         {"TQX-8800", 24, "TQX8800.xml", 1, 1}},
        {"section and keys in other case", "[deviceinfo]\ndevicename=TQX-8848\nDEVICEPORTNUM=48\nXmlName=x.xml\nisallgiga=y\n",
         {"TQX-8848", 48, "x.xml", 1, 0}},
        {"missing keys take defaults", "[DeviceInfo]\nDeviceName=TQX-8800\n", {"TQX-8800"}},
        {"keys of another section are not read", "[Other]\nDeviceName=TQX-8800\nDevicePortNum=10\n", {}},
        {"empty file", "", {}},
        {"long text cut to 259 characters", "[DeviceInfo]\nDeviceName=" + name300 + "\nXMLName=a.xml\n",
         {std::string(259, 'N'), 28, "a.xml"}},
        {"flags other than Y or y are off", "[DeviceInfo]\nIsAllGiga=Yes\nIsHasFan=n\n", {}},
        {"text with a comma kept whole", "[DeviceInfo]\nDeviceName=TQX-8800, rev A\n", {"TQX-8800, rev A"}},
        {"quoted text", "[DeviceInfo]\nDeviceName=\"TQX 8800\"\n", {"TQX 8800"}},
        {"port count with trailing text", "[DeviceInfo]\nDevicePortNum=16 ports\n", {"", 16}},
        {"port count not a number", "[DeviceInfo]\nDevicePortNum=many\n", {"", 0}},
        {"port count empty", "[DeviceInfo]\nDevicePortNum=\n", {"", 28}},
        {"negative port count", "[DeviceInfo]\nDevicePortNum=-24\n", {"", 0}},
        {"port count beyond the lamp table", "[DeviceInfo]\nDevicePortNum=99999999999\n", {"", kMaxDevicePortNum}},
        {"garbage bytes", std::string("\x00\xff[\x01=\n=\n[[]]\n\\\\\n@Variant(\x03)\n", 26), {}},
    };
    tqxtest::TempDir dir;
    for (const Case& c : cases) {
        const auto path = dir.path() / (std::string(c.name) + ".ini");
        std::ofstream(path, std::ios::binary) << c.file;
        EXPECT_EQ(Read(path), c.want) << c.name;
    }
    EXPECT_EQ(Read(dir.path() / "missing.ini"), Info{}) << "missing file";
    EXPECT_EQ(Read(dir.path()), Info{}) << "a folder instead of a file";
}

TEST(UserIni, ExactKeyWinsOverOtherCase)
{
    tqxtest::TempDir dir;
    const auto path = dir.path() / "User.ini";
    std::ofstream(path) << "[DeviceInfo]\ndevicename=lower\nDeviceName=exact\n";
    const CUserIni ini(QString::fromStdString(path.string()));
    EXPECT_EQ(ini.GetString("DeviceName"), "exact");
    EXPECT_EQ(ini.GetString("devicename"), "lower");
    EXPECT_FALSE(ini.GetString("DEVICENAME").isEmpty());
    EXPECT_EQ(ini.GetString("Missing", "fallback"), "fallback");
    EXPECT_EQ(ini.GetInt("Missing", 7), 7);
}

TEST(UserIni, EachReadSeesTheFileAsItIsNow)
{
    // The same path rewritten with text of the same length and the same time stamp: every read must
    // show the current text, not an earlier read's.
    tqxtest::TempDir dir;
    const auto path = dir.path() / "User.ini";
    const std::filesystem::file_time_type stamp = std::filesystem::file_time_type::clock::now();
    for (const char* name : {"TQX-8810P", "TQF-8828P", "TQX-8810P", "TQX-9999X"}) {
        std::ofstream(path, std::ios::binary | std::ios::trunc) << "[DeviceInfo]\nDeviceName=" << name << "\n";
        std::filesystem::last_write_time(path, stamp);
        EXPECT_EQ(Read(path).name, name);
    }
}

} // namespace
