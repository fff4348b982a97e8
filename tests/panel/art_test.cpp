// The art generator and the model kits: the checked-in output is what the generator makes now, and
// every kit's description places its ports and lamps exactly over the drawn panel.
#include "panel/Dib.h"

#include <gtest/gtest.h>

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QProcess>
#include <QSettings>
#include <QTemporaryDir>

#include <pugixml.hpp>

namespace {

const QString kSource = QStringLiteral(TQX_SOURCE_DIR);

struct Kit
{
    const char* folder;
    const char* xml;
    int ports;
    int extra; // ports with a fibre twin
    const char* allGiga;
    const char* fan;
};

const Kit kKits[] = {
    {"TQX-8800", "TQX8800.xml", 24, 4, "N", "N"},
    {"TQX-8810P", "TQX8810P.xml", 10, 2, "N", "N"},
    {"TQF-8828P", "TQF8828P.xml", 28, 4, "N", "N"},
    {"TQX-8848", "TQX8848.xml", 48, 4, "Y", "Y"},
    {"TQX-8816", "TQX8816.xml", 16, 4, "N", "N"},
    {"TQX-8852", "TQX8852.xml", 52, 4, "Y", "Y"},
};

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

int Int(const pugi::xml_node& node, const char* name)
{
    return node.child(name).text().as_int(-1);
}

QRect RectOf(const pugi::xml_node& node)
{
    return QRect(Int(node, "LEFT"), Int(node, "TOP"), Int(node, "WIDTH"), Int(node, "HEIGHT"));
}

} // namespace

TEST(ArtTest, CheckedInOutputIsWhatTheGeneratorMakes)
{
    const QString art = qEnvironmentVariable("TQX_ART");
    ASSERT_FALSE(art.isEmpty()) << "TQX_ART names the generator";
    QTemporaryDir out;
    ASSERT_TRUE(out.isValid());
    QProcess process;
    process.start(art, {out.path()});
    ASSERT_TRUE(process.waitForFinished(120000)) << "generator did not finish";
    ASSERT_EQ(process.exitStatus(), QProcess::NormalExit);
    ASSERT_EQ(process.exitCode(), 0) << process.readAllStandardError().toStdString();

    int compared = 0;
    QDirIterator it(out.path(), QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString generated = it.next();
        const QString relative = QDir(out.path()).relativeFilePath(generated);
        EXPECT_EQ(ReadAll(generated), ReadAll(QDir(kSource).filePath(relative)))
            << relative.toStdString() << " differs from the generator's output: run the art-generate target";
        ++compared;
    }
    EXPECT_GT(compared, 100);
    // Every program bitmap in the tree is one the generator makes.
    for (const QString& name : QDir(kSource + "/panel/bitmaps").entryList(QDir::Files))
        EXPECT_TRUE(QFile::exists(out.path() + "/panel/bitmaps/" + name)) << name.toStdString();

    QProcess bad;
    bad.start(art, {});
    ASSERT_TRUE(bad.waitForFinished(30000));
    EXPECT_EQ(bad.exitCode(), 2);
}

TEST(ArtTest, KitsDescribeWhatIsDrawn)
{
    for (const Kit& kit : kKits) {
        SCOPED_TRACE(kit.folder);
        const QString dir = kSource + "/models/" + kit.folder + "/";

        QSettings ini(dir + "User.ini", QSettings::IniFormat);
        EXPECT_EQ(ini.value("DeviceInfo/DeviceName").toString(), QString::fromLatin1(kit.folder));
        EXPECT_EQ(ini.value("DeviceInfo/DevicePortNum").toInt(), kit.ports);
        EXPECT_EQ(ini.value("DeviceInfo/XMLName").toString(), QString::fromLatin1(kit.xml));
        EXPECT_EQ(ini.value("DeviceInfo/IsAllGiga").toString(), QString::fromLatin1(kit.allGiga));
        EXPECT_EQ(ini.value("DeviceInfo/IsHasFan").toString(), QString::fromLatin1(kit.fan));

        pugi::xml_document doc;
        ASSERT_TRUE(doc.load_file(qPrintable(dir + kit.xml)));
        const pugi::xml_node panel = doc.select_node("//DEVICEPANEL").node();
        ASSERT_TRUE(panel);
        CDib background;
        ASSERT_TRUE(background.ReadFile(dir + panel.child("BMP").text().as_string()));
        const QRect panelRect = RectOf(panel);
        EXPECT_EQ(panelRect, QRect(0, 0, background.GetWidth(), background.GetHeight()));

        // Port objects straight under the panel, in order: 1..N, then the fibre twins.
        const pugi::xml_node objects = panel.select_node(panel.attribute("OBJECTS").value()).node();
        ASSERT_TRUE(objects);
        int index = 0;
        int positions = 0;
        for (const pugi::xml_node& port : objects.children("PORT")) {
            SCOPED_TRACE(index);
            const bool twin = index >= kit.ports;
            const int number = twin ? kit.ports - kit.extra + 1 + (index - kit.ports) : index + 1;
            EXPECT_EQ(QString::fromUtf8(port.child("ID").text().as_string()),
                      twin ? QStringLiteral("%1F").arg(number) : QString::number(number));
            EXPECT_STREQ(port.child("STATUS").text().as_string(), twin ? "PORTEMPTY" : "PORTENABLE");
            const QRect rect = RectOf(port);
            EXPECT_TRUE(panelRect.contains(rect));

            // Every state picture exists at the port's size; the background shows the initial one
            // exactly where the port lies.
            for (const char* tag : {"BMPLINK100", "BMPLINK10", "BMPDISABLE", "BMPENABLE", "BMPEMPTY"}) {
                CDib pic;
                ASSERT_TRUE(pic.ReadFile(dir + port.child(tag).text().as_string())) << tag;
                EXPECT_EQ(pic.GetImage().size(), rect.size()) << tag;
            }
            CDib initial;
            ASSERT_TRUE(initial.ReadFile(dir + port.child(twin ? "BMPEMPTY" : "BMPENABLE").text().as_string()));
            EXPECT_EQ(background.GetImage().copy(rect), initial.GetImage());

            // The first child is the link lamp: 6 x 4, inside the port, over a plain lamp window.
            const pugi::xml_node lamps = port.select_node(port.attribute("LAMPS").value()).node();
            ASSERT_TRUE(lamps);
            const pugi::xml_node lamp = lamps.child("LAMP");
            ASSERT_TRUE(lamp);
            EXPECT_EQ(lamps.first_child(), lamp);
            EXPECT_STREQ(lamp.child("ID").text().as_string(), "0");
            EXPECT_STREQ(lamp.child("TYPE").text().as_string(), "LINK");
            const QRect lampRect = RectOf(lamp);
            EXPECT_EQ(lampRect.size(), QSize(6, 4));
            EXPECT_TRUE(rect.contains(lampRect));
            const QImage window = background.GetImage().copy(lampRect);
            for (int y = 0; y < 4; ++y)
                for (int x = 0; x < 6; ++x)
                    EXPECT_EQ(window.pixel(x, y), window.pixel(0, 0));
            EXPECT_LT(qGray(window.pixel(0, 0)), 60) << "the lamp window is dark";
            for (const pugi::xml_node& l : lamps.children("LAMP"))
                positions += QByteArray(l.child("ID").text().as_string()) == "0";
            ++index;
        }
        EXPECT_EQ(index, kit.ports + kit.extra);
        EXPECT_EQ(positions, index) << "one position-table entry per port object";
        EXPECT_LE(positions, 100);
        EXPECT_TRUE(objects.child("CONSOLE"));
        EXPECT_EQ(bool(objects.child("FAN")), QByteArray(kit.fan) == "Y");
    }
}
