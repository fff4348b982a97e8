// The configuration MIB description reader and the requests built from it.
#include "panel/MibXml.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QFile>
#include <QSet>
#include <QString>

#include <string>
#include <vector>

#ifdef TQX_HAVE_SNMP
#include "snmp/engine/Snmp.h"
#endif

namespace {

const QString kFixture = QStringLiteral(TQX_SOURCE_DIR "/tests/panel/fixtures/mib_small.xml");

// Records what a request would carry; refuses OIDs starting with "bad" as the engine would.
struct FakeMessage {
    struct Binding {
        std::string oid;
        int type;
        bool hasValue;
        std::string value;
    };
    std::vector<Binding> bindings;
    int addValue(const char* oid, int type, const char* value)
    {
        if (std::string(oid).rfind("bad", 0) == 0)
            return -1;
        bindings.push_back({oid, type, value != nullptr, value ? value : ""});
        return 0;
    }
};

TEST(MibXml, OpenSelectsTheSectionOrFails)
{
    CMibXml mib;
    EXPECT_FALSE(mib.Open(QStringLiteral("/nonexistent/TQX9048_CFG.XML"), QStringLiteral("DEVINFO")));
    EXPECT_FALSE(mib.Open(kFixture, QStringLiteral("NOSUCH")));
    EXPECT_FALSE(mib.Open(kFixture, QStringLiteral("devinfo")));  // names are case-sensitive
    EXPECT_FALSE(mib.OpenData("<MIB><DEVINFO>", QStringLiteral("DEVINFO")));
    QString oid;
    EXPECT_FALSE(mib.GetFirstName(oid));
    EXPECT_FALSE(mib.GetDesc(QStringLiteral("1.3.6.1.2.1.1.1"), oid));
    EXPECT_TRUE(mib.Open(kFixture, QStringLiteral("DEVINFO")));
}

TEST(MibXml, EnumeratesItemsInOrderAndStopsAfterTheLast)
{
    CMibXml mib;
    ASSERT_TRUE(mib.Open(kFixture, QStringLiteral("DEVINFO")));
    QString oid;
    EXPECT_FALSE(mib.GetNextName(oid));  // before GetFirstName
    std::vector<QString> names;
    for (bool ok = mib.GetFirstName(oid); ok; ok = mib.GetNextName(oid))
        names.push_back(oid);
    const std::vector<QString> expected{QStringLiteral("1.3.6.1.2.1.1.1"), QStringLiteral("1.3.6.1.2.1.1.3"),
                                        QStringLiteral("1.3.6.1.2.1.1.4")};
    EXPECT_EQ(names, expected);
    EXPECT_FALSE(mib.GetNextName(oid));
    EXPECT_FALSE(mib.GetNextName(oid));
    EXPECT_TRUE(mib.GetFirstName(oid));  // starts over
    EXPECT_EQ(oid, expected[0]);
}

TEST(MibXml, ItemTextsByExactOid)
{
    CMibXml mib;
    ASSERT_TRUE(mib.Open(kFixture, QStringLiteral("DEVINFO")));
    const struct {
        const char* oid;
        bool (CMibXml::*get)(const QString&, QString&);
        bool found;
        const char* text;
    } cases[] = {
        {"1.3.6.1.2.1.1.1", &CMibXml::GetDesc, true, "System Description"},
        {"1.3.6.1.2.1.1.1", &CMibXml::GetType, true, "DisplayString"},
        {"1.3.6.1.2.1.1.4", &CMibXml::GetAccess, true, "READ-WRITE"},
        {"1.3.6.1.2.1.1.3", &CMibXml::GetType, false, ""},     // no TYPE element
        {"1.3.6.1.2.1.1", &CMibXml::GetDesc, false, ""},       // a prefix is not the OID
        {"1.3.6.1.2.1.1.1.0", &CMibXml::GetDesc, false, ""},   // nor an instance of it
        {"1.3.6.1.2.1.1.5", &CMibXml::GetDesc, false, ""},     // another section's item
    };
    for (const auto& c : cases) {
        QString text = QStringLiteral("untouched");
        EXPECT_EQ((mib.*c.get)(QString::fromLatin1(c.oid), text), c.found) << c.oid;
        if (c.found)
            EXPECT_EQ(text, QString::fromLatin1(c.text));
    }
}

TEST(MibXml, ValueLabelsAndStoredValues)
{
    CMibXml mib;
    ASSERT_TRUE(mib.Open(kFixture, QStringLiteral("DEVCFG")));
    const QString save = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.10");
    CMibXml::PairList labels;
    ASSERT_TRUE(mib.GetValueList(save, labels));
    const CMibXml::PairList expected{{QStringLiteral("Idle"), QStringLiteral("2")}, {QStringLiteral("Save"), QStringLiteral("1")}};
    EXPECT_EQ(labels, expected);
    EXPECT_FALSE(mib.GetValueList(QStringLiteral("1.3.6.1.2.1.1.5"), labels));

    QString value;
    EXPECT_FALSE(mib.GetRetValue(save, value));
    EXPECT_TRUE(mib.SetRetValue(save, QStringLiteral("2")));
    EXPECT_TRUE(mib.SetRetValue(save, QStringLiteral("1")));
    ASSERT_TRUE(mib.GetRetValue(save, value));
    EXPECT_EQ(value, QStringLiteral("1"));
    EXPECT_FALSE(mib.SetRetValue(QStringLiteral("9.9"), QStringLiteral("1")));

    const QString speed = QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.2");
    CMibXml::PairList rows;
    EXPECT_FALSE(mib.GetSuffixList(speed, rows));
    EXPECT_TRUE(mib.AddSuffix(speed, QStringLiteral("3"), QStringLiteral("6")));
    EXPECT_TRUE(mib.AddSuffix(speed, QStringLiteral("3"), QStringLiteral("7")));  // appended, not reused
    ASSERT_TRUE(mib.GetSuffixList(speed, rows));
    const CMibXml::PairList expectedRows{{QStringLiteral("3"), QStringLiteral("6")}, {QStringLiteral("3"), QStringLiteral("7")}};
    EXPECT_EQ(rows, expectedRows);
}

TEST(MibXml, GetRequestAddsEveryItemWithTheSuffix)
{
    CMibXml mib;
    ASSERT_TRUE(mib.Open(kFixture, QStringLiteral("DEVINFO")));
    FakeMessage msg;
    ASSERT_TRUE(mib.BuildGetRequest(&msg, QStringLiteral("0")));
    ASSERT_EQ(msg.bindings.size(), 3u);
    EXPECT_EQ(msg.bindings[0].oid, "1.3.6.1.2.1.1.1.0");
    EXPECT_EQ(msg.bindings[2].oid, "1.3.6.1.2.1.1.4.0");
    for (const auto& b : msg.bindings) {
        EXPECT_EQ(b.type, 4);
        EXPECT_FALSE(b.hasValue);
    }
    FakeMessage bare;
    ASSERT_TRUE(mib.BuildGetRequest(&bare));
    EXPECT_EQ(bare.bindings[0].oid, "1.3.6.1.2.1.1.1");
}

TEST(MibXml, SetRequestTakesWritableItemsAndTheirStoredValues)
{
    CMibXml mib;
    ASSERT_TRUE(mib.Open(kFixture, QStringLiteral("DEVCFG")));
    ASSERT_TRUE(mib.SetRetValue(QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.10"), QStringLiteral("1")));
    ASSERT_TRUE(mib.AddSuffix(QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.2"), QStringLiteral("2"), QStringLiteral("6")));
    ASSERT_TRUE(mib.AddSuffix(QStringLiteral("1.3.6.1.4.1.32473.10.76.10.1.13.1.2"), QStringLiteral("5"), QStringLiteral("7")));
    ASSERT_TRUE(mib.SetRetValue(QStringLiteral("1.3.6.1.2.1.1.5"), QStringLiteral("core-sw")));
    FakeMessage msg;
    ASSERT_TRUE(mib.BuildSetRequest(&msg));
    // The read-only item is left out even though it holds a value.
    ASSERT_EQ(msg.bindings.size(), 4u);
    const struct {
        const char* oid;
        int type;
        const char* value;
    } expected[] = {
        {"1.3.6.1.4.1.32473.10.76.10.1.10", 1, "1"},
        {"1.3.6.1.4.1.32473.10.76.10.1.13.1.2.2", 1, "6"},
        {"1.3.6.1.4.1.32473.10.76.10.1.13.1.2.5", 1, "7"},
        {"1.3.6.1.2.1.1.5", 2, "core-sw"},
    };
    for (std::size_t i = 0; i < 4; ++i) {
        EXPECT_EQ(msg.bindings[i].oid, expected[i].oid);
        EXPECT_EQ(msg.bindings[i].type, expected[i].type) << expected[i].oid;
        EXPECT_TRUE(msg.bindings[i].hasValue);
        EXPECT_EQ(msg.bindings[i].value, expected[i].value);
    }
}

TEST(MibXml, BrokenItemsAndOversizedOidsFailTheRequest)
{
    const QByteArray xml = "<MIB><S>"
                           "<A><NAME>1.3.6.1.2.1.1.1</NAME></A>"
                           "<B><NAME>1.3." + QByteArray(300, '1') + "</NAME><ACCESS>WRITE</ACCESS><RETVALUE>1</RETVALUE></B>"
                           "<C><NAME>bad.oid</NAME></C>"
                           "<D><DESC>no name</DESC></D>"
                           "<E><NAME>1.3.6.1.2.1.1.6</NAME></E>"
                           "</S></MIB>";
    CMibXml mib;
    ASSERT_TRUE(mib.OpenData(xml, QStringLiteral("S")));
    FakeMessage msg;
    EXPECT_FALSE(mib.BuildGetRequest(&msg, QStringLiteral("0")));
    // A is taken, B is too long and left out (not cut), C is refused by the engine, D ends the walk.
    ASSERT_EQ(msg.bindings.size(), 1u);
    EXPECT_EQ(msg.bindings[0].oid, "1.3.6.1.2.1.1.1.0");
    QString text;
    EXPECT_FALSE(mib.GetDesc(QStringLiteral("1.3.6.1.2.1.1.6"), text));  // the search ends at D too
    FakeMessage set;
    EXPECT_FALSE(mib.BuildSetRequest(&set));
    EXPECT_TRUE(set.bindings.empty());
    EXPECT_FALSE(mib.BuildGetRequest(static_cast<FakeMessage*>(nullptr)));
}

TEST(MibXml, AttachNeedsExactlyOneMibElement)
{
    auto one = std::make_shared<pugi::xml_document>();
    ASSERT_TRUE(one->load_string("<MIB><FIRST><I><NAME>1.2</NAME></I></FIRST><SECOND/></MIB>"));
    CMibXml mib;
    ASSERT_TRUE(mib.Attach(one));
    QString oid;
    ASSERT_TRUE(mib.GetFirstName(oid));
    EXPECT_EQ(oid, QStringLiteral("1.2"));
    // Values stored through the reader land in the shared document.
    ASSERT_TRUE(mib.SetRetValue(QStringLiteral("1.2"), QStringLiteral("v")));
    EXPECT_STREQ(one->child("MIB").child("FIRST").child("I").child("RETVALUE").child_value(), "v");

    auto two = std::make_shared<pugi::xml_document>();
    ASSERT_TRUE(two->load_string("<MIB><A/></MIB><!-- --><MIB><B/></MIB>", pugi::parse_default | pugi::parse_fragment));
    EXPECT_FALSE(mib.Attach(two));
    EXPECT_FALSE(mib.Attach(nullptr));
    EXPECT_FALSE(mib.GetFirstName(oid));
}

TEST(MibXml, ModelKitDescriptionsReadForBothSections)
{
    const QDir models(QStringLiteral(TQX_SOURCE_DIR "/models"));
    const QStringList kits = models.entryList(QDir::Dirs | QDir::NoDotAndDotDot);
    int nFiles = 0;
    for (const QString& kit : kits) {
        const QString file = models.filePath(kit + QStringLiteral("/TQX9048_CFG.XML"));
        if (!QFile::exists(file))
            continue;
        ++nFiles;
        // Every object the page asks for is one the simulated switch of that model serves.
        QFile profile(QStringLiteral(TQX_SOURCE_DIR "/sim/profiles/") + kit + QStringLiteral(".snmprec"));
        QSet<QString> served;
        if (profile.open(QIODevice::ReadOnly))
            for (const QByteArray& line : profile.readAll().split('\n'))
                served.insert(QString::fromLatin1(line.left(line.indexOf('|'))));
        for (const char* section : {"DEVINFO", "DEVCFG"}) {
            CMibXml mib;
            ASSERT_TRUE(mib.Open(file, QString::fromLatin1(section))) << kit.toStdString() << " " << section;
            QString oid;
            int nItems = 0;
            for (bool ok = mib.GetFirstName(oid); ok; ok = mib.GetNextName(oid)) {
                ++nItems;
                QString desc;
                EXPECT_TRUE(mib.GetDesc(oid, desc)) << kit.toStdString() << " " << oid.toStdString();
                EXPECT_FALSE(desc.isEmpty());
                if (!served.isEmpty())
                    EXPECT_TRUE(served.contains(oid + QStringLiteral(".0"))) << kit.toStdString() << " " << oid.toStdString();
            }
            EXPECT_GT(nItems, 0) << kit.toStdString() << " " << section;
            FakeMessage msg;
            EXPECT_TRUE(mib.BuildGetRequest(&msg, QStringLiteral("0")));
            EXPECT_EQ(msg.bindings.size(), static_cast<std::size_t>(nItems));
        }
    }
    EXPECT_GT(nFiles, 0);
}

#ifdef TQX_HAVE_SNMP
TEST(MibXml, BuildsRequestsOnTheEngineMessage)
{
    CMibXml mib;
    ASSERT_TRUE(mib.Open(kFixture, QStringLiteral("DEVINFO")));
    CSnmpV1 msg(0);
    msg.setType(0);
    msg.clearVarBindList();
    ASSERT_TRUE(mib.BuildGetRequest(&msg, QStringLiteral("0")));
    ASSERT_EQ(msg.getValuesCount(), 3);
    QString oid;
    ASSERT_EQ(msg.getOid(1, oid), 0);
    EXPECT_EQ(oid, QStringLiteral("1.3.6.1.2.1.1.3.0"));
}
#endif

}  // namespace
