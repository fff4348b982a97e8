// Reading the panel description into the object tree.
#include "panel/PanelLoader.h"

#include <gtest/gtest.h>

#include <QByteArray>
#include <QString>

#include <utility>
#include <vector>

namespace {

struct Loaded {
    CDevModule root;
    CModuleList modules;
    std::vector<std::pair<int, int>> positions;
    bool ok = false;
    bool limit = false;

    explicit Loaded(const char* xml)
    {
        CPanelLoader loader([this](int l, int t) { positions.emplace_back(l, t); });
        ok = loader.LoadFromData(QByteArray(xml), &root, &modules);
        limit = loader.HitLimit();
    }
};

// Rectangle properties for an element.
#define RECT(id, l, t, w, h) "<ID>" id "</ID><LEFT>" #l "</LEFT><TOP>" #t "</TOP><WIDTH>" #w "</WIDTH><HEIGHT>" #h "</HEIGHT>"

TEST(PanelLoader, BuildsTheTreeThroughReferences)
{
    Loaded d(R"(<SWITCH>
      <DEVICEPANEL items="ITEMS">)" RECT("dev", 0, 0, 640, 120) R"(<BMP>face.bmp</BMP>
        <ITEMS>
          <PORT lamps="L">)" RECT("1", 10, 20, 30, 25) R"(<STATUS>PORTLINK10</STATUS>
            <BMPLINK100>up.bmp</BMPLINK100><BMPENABLE></BMPENABLE>
            <L><LAMP>)" RECT("0", 12, 22, 5, 4) R"(<TYPE>S100M</TYPE><STATUS>LAMPON</STATUS></LAMP></L>
          </PORT>
          <!-- comments and text make nothing -->
          <PANEL>)" RECT("p", 0, 0, 100, 100) R"(<NAME>front</NAME></PANEL>
          <CONSOLE>)" RECT("c", 500, 10, 40, 30) R"(</CONSOLE>
          <WHATEVER>)" RECT("x", 0, 0, 1, 1) R"(</WHATEVER>
          <PORT>)" RECT("2", 50, 20, 30, 25) R"(</PORT>
        </ITEMS>
      </DEVICEPANEL>
    </SWITCH>)");
    ASSERT_TRUE(d.ok);
    EXPECT_EQ(d.root.GetID(), QStringLiteral("dev"));
    EXPECT_EQ(d.root.GetRect(), QRect(0, 0, 640, 120));
    EXPECT_EQ(d.root.GetBmpName(), QStringLiteral("face.bmp"));
    ASSERT_EQ(d.root.GetChildCount(), 4);
    const char* const kinds[] = {"CPort", "CPanel", "CCom", "CPort"};
    for (int i = 0; i < 4; ++i)
        EXPECT_STREQ(d.root.GetChild(i)->GetRuntimeClassName(), kinds[i]);

    auto* pPort = static_cast<CPort*>(d.root.GetChild(0));
    EXPECT_EQ(pPort->GetStatus(), PORT_LINK10);
    EXPECT_EQ(pPort->GetPortBitmap(PORT_LINK100), QStringLiteral("up.bmp"));
    EXPECT_TRUE(pPort->GetPortBitmap(PORT_ENABLE).isEmpty());
    EXPECT_EQ(pPort->GetPortNum(), 1);
    EXPECT_EQ(static_cast<CPort*>(d.root.GetChild(3))->GetPortNum(), 2);
    EXPECT_EQ(static_cast<CPort*>(d.root.GetChild(3))->GetStatus(), PORT_ENABLE);  // no STATUS
    EXPECT_EQ(d.root.GetChild(1)->GetName(), QStringLiteral("front"));

    // The lamp is the port's child, watches it, and its ID "0" leaves the identifier empty.
    ASSERT_EQ(pPort->GetChildCount(), 1);
    auto* pLamp = static_cast<CLamp*>(pPort->GetChild(0));
    EXPECT_TRUE(pLamp->IsType(LAMP_S100M));
    EXPECT_EQ(pLamp->GetStatus(), LAMP_ON);
    EXPECT_TRUE(pLamp->GetID().isEmpty());
    EXPECT_EQ(pLamp->m_pSubject, &pPort->m_subject);
    EXPECT_EQ(pLamp->m_pOwner, pPort);
    pPort->SetPortStatus(PORT_DISABLED);
    EXPECT_EQ(pLamp->GetStatus(), LAMP_OFF);
}

TEST(PanelLoader, TwoAttributesSelectingOneNodeAttachItsChildrenTwice)
{
    Loaded d(R"(<R><DEVICEPANEL a="K" b="../DEVICEPANEL/K">)" RECT("d", 0, 0, 10, 10) R"(
      <K><PORT>)" RECT("1", 0, 0, 5, 5) R"(</PORT><SLOT>)" RECT("s", 0, 0, 5, 5) R"(</SLOT></K>
    </DEVICEPANEL></R>)");
    ASSERT_EQ(d.root.GetChildCount(), 4);
    EXPECT_STREQ(d.root.GetChild(0)->GetRuntimeClassName(), "CPort");
    EXPECT_STREQ(d.root.GetChild(1)->GetRuntimeClassName(), "CSlot");
    EXPECT_STREQ(d.root.GetChild(2)->GetRuntimeClassName(), "CPort");
    EXPECT_STREQ(d.root.GetChild(3)->GetRuntimeClassName(), "CSlot");
}

TEST(PanelLoader, IdZeroFillsThePositionTableInDocumentOrder)
{
    Loaded d(R"(<R><DEVICEPANEL k="K">)" RECT("d", 0, 0, 10, 10) R"(<K>
      <PORT l="L">)" RECT("0", 1, 2, 5, 5) R"(<L><LAMP>)" RECT("0", 3, 4, 1, 1) R"(</LAMP></L></PORT>
      <PORT>)" RECT("7", 50, 60, 5, 5) R"(</PORT>
      <LED>)" RECT("0", 5, 6, 1, 1) R"(</LED>
      <SLOT>)" "<ID>0</ID><LEFT>8</LEFT><TOP>9</TOP>" R"(</SLOT>
    </K></DEVICEPANEL></R>)");
    // The slot without WIDTH is rejected but its position was taken before the rejection.
    const std::vector<std::pair<int, int>> expected{{1, 2}, {3, 4}, {5, 6}, {8, 9}};
    EXPECT_EQ(d.positions, expected);
    EXPECT_EQ(d.root.GetChildCount(), 3);
}

TEST(PanelLoader, StatusKeywordsAreChosenByTag)
{
    const struct {
        const char* tag;
        const char* status;
        const char* className;
        int expected;
    } cases[] = {
        {"LAMP", "PORTENABLE", "CLamp", LAMP_OFF},  {"LAMP", "LAMP1G", "CLamp", LAMP_1G},
        {"LAMP", "LAMPON", "CLamp", LAMP_ON},       {"PORT", "PORTENABLE", "CPort", PORT_ENABLE},
        {"PORT", "PORTDISABLED", "CPort", PORT_DISABLED}, {"PORT", "PORTEMPTY", "CPort", PORT_EMPTY},
        {"PORT", "PORTLINK100", "CPort", PORT_LINK100},   {"PORT", "LAMPOFF", "CPort", PORT_ENABLE},
        {"PORT", "portempty", "CPort", PORT_ENABLE},      {"PANEL", "PORTDISABLED", "CPanel", 0},
        {"SLOT", "LAMP1G", "CSlot", 0},
    };
    for (const auto& c : cases) {
        const QByteArray xml = QByteArray("<R><DEVICEPANEL k='K'>") + RECT("d", 0, 0, 9, 9) + "<K><" + c.tag + ">"
            + RECT("1", 0, 0, 5, 5) + "<STATUS>" + c.status + "</STATUS></" + c.tag + "></K></DEVICEPANEL></R>";
        Loaded d(xml.constData());
        ASSERT_EQ(d.root.GetChildCount(), 1) << c.tag;
        EXPECT_STREQ(d.root.GetChild(0)->GetRuntimeClassName(), c.className);
        EXPECT_EQ(d.root.GetChild(0)->GetStatus(), c.expected) << c.tag << " " << c.status;
    }
}

TEST(PanelLoader, ModulesGoToTheModuleListWhereverTheyAreReferenced)
{
    Loaded d(R"(<R>
      <DEVICEPANEL k="K">)" RECT("d", 0, 0, 9, 9) R"(<K>
        <MODULE p="P">)" RECT("m1", 1, 1, 5, 5) R"(<P><PORT>)" RECT("9", 0, 0, 3, 3) R"(</PORT></P></MODULE>
        <PORT>)" RECT("1", 0, 0, 3, 3) R"(</PORT>
      </K></DEVICEPANEL>
      <DEVICEMODULE k="K">)" RECT("dm", 0, 0, 9, 9) R"(<K>
        <MODULE>)" RECT("m2", 2, 2, 5, 5) R"(</MODULE>
        <PORT>)" RECT("orphan", 0, 0, 3, 3) R"(</PORT>
      </K></DEVICEMODULE>
    </R>)");
    ASSERT_EQ(d.modules.size(), 2u);
    EXPECT_EQ(d.modules[0]->GetID(), QStringLiteral("m1"));
    EXPECT_EQ(d.modules[1]->GetID(), QStringLiteral("m2"));
    // The first module keeps its own port; the tree holds only the direct port; the port under
    // DEVICEMODULE has no parent and makes nothing.
    ASSERT_EQ(d.modules[0]->GetChildCount(), 1);
    EXPECT_STREQ(d.modules[0]->GetChild(0)->GetRuntimeClassName(), "CPort");
    ASSERT_EQ(d.root.GetChildCount(), 1);
    EXPECT_EQ(d.root.GetChild(0)->GetID(), QStringLiteral("1"));
    // DEVICEMODULE does not read its properties into the root.
    EXPECT_EQ(d.root.GetID(), QStringLiteral("d"));
}

TEST(PanelLoader, RejectedAndIncompleteElements)
{
    Loaded d(R"(<R><DEVICEPANEL k="K">)" RECT("d", 0, 0, 9, 9) R"(<K>
      <PANEL c="C"><ID>nowidth</ID><LEFT>0</LEFT><TOP>0</TOP><HEIGHT>5</HEIGHT>
        <C><PORT>)" RECT("lost", 0, 0, 3, 3) R"(</PORT></C></PANEL>
      <PORT><WIDTH>12</WIDTH></PORT>
      <PORT>)" "<ID>n</ID><LEFT>abc</LEFT><TOP>99999999999999</TOP><WIDTH>-5</WIDTH><HEIGHT>7x</HEIGHT>" R"(</PORT>
    </K></DEVICEPANEL></R>)");
    // The panel without WIDTH makes nothing, nor do the elements under it; a port missing ID, LEFT,
    // TOP and HEIGHT is read with empty and zero values; numbers read as the C library reads them.
    ASSERT_EQ(d.root.GetChildCount(), 2);
    EXPECT_TRUE(d.root.GetChild(0)->GetID().isEmpty());
    EXPECT_EQ(d.root.GetChild(0)->GetRect(), QRect(0, 0, 12, 0));
    EXPECT_EQ(d.root.GetChild(1)->GetLeft(), 0);
    EXPECT_EQ(d.root.GetChild(1)->GetTop(), INT_MAX);
    EXPECT_EQ(d.root.GetChild(1)->GetWidth(), -5);
    EXPECT_EQ(d.root.GetChild(1)->GetHeight(), 7);
}

TEST(PanelLoader, HostileReferencesStayBounded)
{
    const char* const cases[] = {
        // A port referring back to the element it is described in: a cycle.
        R"(<R><DEVICEPANEL k=".">)" RECT("d", 0, 0, 9, 9) R"(<PORT k="..">)" RECT("1", 0, 0, 3, 3) R"(</PORT></DEVICEPANEL></R>)",
        // The document root from inside the document.
        R"(<R k="/"><DEVICEPANEL k="/">)" RECT("d", 0, 0, 9, 9) R"(</DEVICEPANEL></R>)",
        // Doubling at every level.
        R"(<R><DEVICEPANEL a="." b=".">)" RECT("d", 0, 0, 9, 9) R"(</DEVICEPANEL></R>)",
        // Paths that are not XPath, or select attributes, text or nothing.
        R"x(<R><DEVICEPANEL a="[[" b="@a" c="text()" d="NOPE" e="count(" f="1+1">)x" RECT("d", 0, 0, 9, 9) "</DEVICEPANEL></R>",
    };
    for (const char* xml : cases) {
        Loaded d(xml);
        EXPECT_TRUE(d.ok);
        EXPECT_EQ(d.root.GetID(), QStringLiteral("d"));
    }
    Loaded cycle(cases[0]);
    EXPECT_TRUE(cycle.limit);
    EXPECT_GT(cycle.root.GetChildCount(), 0);
}

TEST(PanelLoader, MissingOrMalformedFileLeavesThePanelEmpty)
{
    CDevModule root;
    CModuleList modules;
    CPanelLoader loader([](int, int) {});
    EXPECT_TRUE(loader.Load(QStringLiteral("/nonexistent/panel.xml"), &root, &modules));
    EXPECT_TRUE(loader.LoadFromData("<R><DEVICEPANEL><ID>x</ID>", &root, &modules));
    EXPECT_EQ(root.GetChildCount(), 0);
    EXPECT_TRUE(root.GetID().isEmpty());
    EXPECT_EQ(root.GetRect(), QRect());
    EXPECT_TRUE(modules.empty());
}

TEST(PanelLoader, ReadsAFileAndItsTextContent)
{
    CDevModule root;
    CModuleList modules;
    CPanelLoader loader([](int, int) {});
    ASSERT_TRUE(loader.Load(QStringLiteral(TQX_SOURCE_DIR "/tests/panel/fixtures/panel_small.xml"), &root, &modules));
    EXPECT_EQ(root.GetName(), QStringLiteral("Small switch"));
    EXPECT_EQ(root.GetRect(), QRect(0, 0, 200, 60));
    ASSERT_EQ(root.GetChildCount(), 3);
    EXPECT_EQ(root.FindNthChild("CPort", 1)->GetID(), QStringLiteral("2"));
    EXPECT_EQ(root.FindChild("CCom", "console")->GetBmpName(), QStringLiteral("console.bmp"));
}

}  // namespace
