// Each model's configuration description against the simulated switch of that model: one read of
// every object of a section, as the Device Configure page makes it, answers every object, and the
// value labels cover what the device reports.
#include "core/Settings.h"
#include "panel/MibXml.h"
#include "snmp/engine/Snmp.h"

#include "Agents.h"

#include <gtest/gtest.h>

#include <QFile>

#include <filesystem>

namespace {

TEST(MibXmlSim, EveryModelAnswersItsConfigurationObjects)
{
    if (!std::filesystem::exists(tqxtest::BuiltProgram("sim/tqx-sim")))
        GTEST_SKIP() << "tqx-sim is not built in this build folder";
    int nModels = 0;
    for (const char* model : {"TQX-8800", "TQX-8810P", "TQF-8828P", "TQX-8848", "TQX-8816", "TQX-8852"}) {
        SCOPED_TRACE(model);
        const QString file = QStringLiteral(TQX_SOURCE_DIR "/models/") + QString::fromLatin1(model)
            + QStringLiteral("/TQX9048_CFG.XML");
        ASSERT_TRUE(QFile::exists(file));
        tqxtest::SimAgent sim(model);
        ASSERT_TRUE(sim.ok()) << sim.process().output();
        ResetSettings();
        g_nSnmpPort = sim.port();
        ++nModels;
        for (const char* section : {"DEVINFO", "DEVCFG"}) {
            SCOPED_TRACE(section);
            CMibXml mib;
            ASSERT_TRUE(mib.Open(file, QString::fromLatin1(section)));
            CSnmpV1 msg(0);
            msg.setType(0);
            msg.clearVarBindList();
            msg.setCommunity("public");
            ASSERT_TRUE(mib.BuildGetRequest(&msg, QStringLiteral("0")));
            ASSERT_GT(msg.getValuesCount(), 0);
            std::unique_ptr<CSnmp> reply;
            ASSERT_EQ(msg.send("127.0.0.1", reply, 3000), 0);
            ASSERT_TRUE(reply);
            int status = -1, index = -1;
            reply->getErrorInfo(status, index);
            EXPECT_EQ(status, 0) << "error index " << index;
            ASSERT_EQ(reply->getValuesCount(), msg.getValuesCount());
            for (int i = 0; i < reply->getValuesCount(); ++i) {
                QString oid, value;
                int type = 0;
                ASSERT_EQ(reply->getOid(i, oid), 0);
                ASSERT_EQ(reply->getValue(i, type, value), 0);
                ASSERT_TRUE(oid.endsWith(QStringLiteral(".0")));
                const QString name = oid.left(oid.size() - 2);
                QString desc;
                EXPECT_TRUE(mib.GetDesc(name, desc)) << oid.toStdString();
                CMibXml::PairList labels;
                if (mib.GetValueList(name, labels)) {
                    bool bLabelled = false;
                    for (const auto& label : labels)
                        bLabelled = bLabelled || label.second == value;
                    EXPECT_TRUE(bLabelled) << oid.toStdString() << " = " << value.toStdString() << " has no label";
                }
            }
        }
        sim.process().stop();
    }
    ResetSettings();
    EXPECT_EQ(nModels, 6);
}

}  // namespace
