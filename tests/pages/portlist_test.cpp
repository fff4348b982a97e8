// The port-list forms, the trunk rule and the per-port grids the configuration pages share.
#include "pages/common/PortGrid.h"
#include "pages/common/PortList.h"
#include "pages/common/TrunkMap.h"

#include <gtest/gtest.h>

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

std::vector<int> Flags(int nPortNum, std::initializer_list<int> ports)
{
    std::vector<int> flags(static_cast<std::size_t>(nPortNum), 0);
    for (int p : ports)
        flags[static_cast<std::size_t>(p - 1)] = 1;
    return flags;
}

} // namespace

TEST(PortList, BitmapDecodingIsBoundedByPortCountAndValue)
{
    const struct {
        QByteArray bitmap;
        int nPorts;
        const char* list;
        int count;
        const char* range;
    } cases[] = {
        {Bytes({0xC0, 0x00, 0x00, 0x10}), 28, "1,2,28", 3, "1-2,28"},
        {Bytes({0xEB}), 8, "1,2,3,5,7,8", 6, "1-3,5,7-8"},
        {QByteArray(), 24, "", 0, ""},
        // Shorter than the port count: only the bytes there are.
        {Bytes({0xFF}), 28, "1,2,3,4,5,6,7,8", 8, "1-8"},
        // Longer: only the first ceil(N/8) bytes, all eight bits of each.
        {QByteArray(10, '\xFF'), 10, "1,2,3,4,5,6,7,8,9,10,11,12,13,14,15,16", 16, "1-16"},
        {Bytes({0x00, 0x01, 0x80}), 24, "16,17", 2, "16-17"},
        {Bytes({0x80}), 0, "", 0, ""},
        {Bytes({0x80}), -5, "", 0, ""},
    };
    for (const auto& c : cases) {
        QString list = QStringLiteral("stale");
        EXPECT_EQ(PortListFromBitmap(c.bitmap, c.nPorts, list), c.count) << c.list;
        EXPECT_EQ(list.toStdString(), c.list);
        EXPECT_EQ(PortRangeFromBitmap(c.bitmap, c.nPorts).toStdString(), c.range);
    }
    // All bits set on the largest panel.
    QString list;
    EXPECT_EQ(PortListFromBitmap(QByteArray(8, '\xFF'), 52, list), 56);
    EXPECT_EQ(PortRangeFromBitmap(QByteArray(8, '\xFF'), 52).toStdString(), "1-56");
}

TEST(PortList, FlagsToWrittenBytes)
{
    const struct {
        int nPorts;
        std::vector<int> flags;
        const char* hex;
        const char* padded;
    } cases[] = {
        {28, Flags(28, {1, 2, 28}), "c000001", "c0000010"},
        {10, Flags(10, {1, 10}), "804", "80400000"},
        {16, Flags(16, {16}), "0001", "00010000"},
        {24, Flags(24, {1, 2, 3, 4, 5, 6, 7, 8, 9, 10, 11, 12, 13, 14, 15, 16, 17, 18, 19, 20, 21, 22, 23, 24}),
         "ffffff", "ffffff00"},
        {48, Flags(48, {48}), "000000000001", "0000000000010000"},
        {52, Flags(52, {52}), "0000000000001", "0000000000001000"},
        {8, Flags(8, {2}), "40", "40"},
    };
    for (const auto& c : cases) {
        const QString hex = HexFromPortFlags(c.flags);
        EXPECT_EQ(hex.toStdString(), c.hex) << c.nPorts;
        EXPECT_EQ(PadPortHex(hex, c.nPorts).toStdString(), c.padded) << c.nPorts;
        EXPECT_EQ(PortBitmapFromFlags(c.flags, c.nPorts), BytesFromHex(QString::fromLatin1(c.padded)));
        // What is written decodes to the ports that were set.
        QString list;
        PortListFromBitmap(PortBitmapFromFlags(c.flags, c.nPorts), c.nPorts, list);
        EXPECT_EQ(PortFlagsFromList(list, c.nPorts), c.flags) << c.nPorts;
    }
    EXPECT_EQ(PortBitmapFromFlags(Flags(28, {1, 2, 28}), 28), Bytes({0xC0, 0x00, 0x00, 0x10}));
}

TEST(PortList, HexBytesAndDump)
{
    EXPECT_EQ(BytesFromHex(QStringLiteral("c0000010")), Bytes({0xC0, 0x00, 0x00, 0x10}));
    EXPECT_EQ(BytesFromHex(QStringLiteral("AbC")), Bytes({0xAB, 0xC0}));
    EXPECT_EQ(BytesFromHex(QStringLiteral("ffffffff"), 2), Bytes({0xFF, 0xFF}));
    EXPECT_EQ(BytesFromHex(QString()), QByteArray());
    EXPECT_EQ(BytesFromHex(QStringLiteral("12zz34")), Bytes({0x12}));
    EXPECT_EQ(ByteDump(Bytes({0x00, 0x1C, 0xF0, 0x0A})).toStdString(), "001CF00A");
    EXPECT_EQ(ByteDump(QByteArray()).toStdString(), "");
}

TEST(PortList, ListTexts)
{
    EXPECT_EQ(PortFlagsFromList(QStringLiteral("1,3,99,0,x,,4"), 4), (std::vector<int>{1, 0, 1, 1}));
    EXPECT_TRUE(PortInList(QStringLiteral("1,15,20"), 15));
    EXPECT_FALSE(PortInList(QStringLiteral("1,15,20"), 5));
    EXPECT_FALSE(PortInList(QStringLiteral("1,15,20"), 2));
    EXPECT_FALSE(PortInList(QString(), 1));
}

TEST(TrunkMapRule, SelectionMustHoldWholeTrunks)
{
    // Ports 3 and 4 in trunk 1, 7 and 8 in trunk 2, on an 8-port map.
    const std::vector<int> map = {0, 0, 1, 1, 0, 0, 2, 2};
    const struct {
        std::vector<int> selected;
        bool whole;
    } cases[] = {
        {Flags(8, {}), true},
        {Flags(8, {1, 2, 5}), true},
        {Flags(8, {3, 4}), true},
        {Flags(8, {3}), false},
        {Flags(8, {4, 7, 8}), false},
        {Flags(8, {3, 4, 7, 8, 1}), true},
        {Flags(8, {8}), false},
    };
    for (const auto& c : cases)
        EXPECT_EQ(TrunkRuleHolds(map, c.selected), c.whole);
}

TEST(PortGridLayout, SizesAndLineBreaksByPortCount)
{
    const CPortGrid vlan48 = VlanMemberGrid(48);
    EXPECT_EQ(vlan48.window, QSize(530, 400));
    EXPECT_EQ(vlan48.Cell(24).y(), vlan48.Cell(1).y());
    EXPECT_GT(vlan48.Cell(25).y(), vlan48.Cell(24).y());
    EXPECT_EQ(vlan48.Cell(25).x(), vlan48.Cell(1).x());
    EXPECT_EQ(VlanMemberGrid(52).Cell(27).x(), VlanMemberGrid(52).Cell(1).x());
    EXPECT_EQ(VlanMemberGrid(16).Cell(2).x() - VlanMemberGrid(16).Cell(1).x(), 17 + 11);
    EXPECT_EQ(VlanMemberGrid(10).Cell(2).x() - VlanMemberGrid(10).Cell(1).x(), 17 + 29);
    EXPECT_EQ(VlanMemberGrid(28).Lines(28), 1);

    const struct {
        int nPorts;
        QSize window;
        int perLine;
        int lines;
    } pvid[] = {
        {48, {545, 345}, 12, 4}, {24, {545, 255}, 12, 2}, {10, {460, 255}, 10, 1},
        {28, {625, 255}, 14, 2}, {52, {585, 345}, 13, 4}, {16, {545, 255}, 8, 2},
    };
    for (const auto& c : pvid) {
        const CPortGrid g = PvidGrid(c.nPorts);
        EXPECT_EQ(g.window, c.window) << c.nPorts;
        EXPECT_EQ(g.nPerLine, c.perLine) << c.nPorts;
        EXPECT_EQ(g.Lines(c.nPorts), c.lines) << c.nPorts;
        EXPECT_EQ(g.Cell(c.perLine + 1).y() - g.Cell(1).y(), 45) << c.nPorts;
        // Every edit fits inside the page.
        EXPECT_LE(g.Cell(c.nPorts).x() + g.nCellWidth, c.window.width()) << c.nPorts;
    }

    const CPortGrid trunk16 = TrunkMemberGrid(16);
    EXPECT_EQ(trunk16.window, QSize(447, 275));
    EXPECT_EQ(trunk16.Cell(1).x(), 55);
    EXPECT_EQ(trunk16.Cell(2).x() - trunk16.Cell(1).x(), 21);
    EXPECT_EQ(TrunkMemberGrid(48).Cell(25).y() - TrunkMemberGrid(48).Cell(1).y(), 45);
    for (int n : {10, 16, 24, 28, 48, 52}) {
        const CPortGrid g = TrunkMemberGrid(n);
        EXPECT_LE(g.Cell(g.nPerLine).x() + g.nCellWidth, g.window.width()) << n;
        const CPortGrid v = VlanMemberGrid(n);
        EXPECT_LE(v.Cell(v.nPerLine).x() + v.nCellWidth, v.window.width()) << n;
    }
}
