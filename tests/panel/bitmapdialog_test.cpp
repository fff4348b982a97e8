// The panel window base: background modes, the tree drawn over the picture, transparent controls,
// clicks reaching the ports, and every model kit loaded into a window.
#include "panel/BitmapDialog.h"
#include "panel/MyBitmapApp.h"

#include <gtest/gtest.h>

#include <QApplication>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QMenuBar>
#include <QMouseEvent>
#include <QPushButton>
#include <QSettings>
#include <QSlider>
#include <QTemporaryDir>

namespace {

int argc = 1;
char arg0[] = "bitmapdialog_test";
char* argv[] = {arg0, nullptr};

class BitmapDialogTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        if (!QApplication::instance())
            new QApplication(argc, argv);
    }
    void SetUp() override { m_cwd = QDir::currentPath(); }
    void TearDown() override { QDir::setCurrent(m_cwd); }

    QString m_cwd;
};

// The window with its background reachable, so the erase modes can be chosen directly.
class TestDialog : public CBitmapDialog {
public:
    CDib& Background() { return m_dibBackground; }
    void SetMode(int nMode) { m_nBkMode = nMode; }
};

bool WriteBmp(const QString& path, const QSize& size, QColor color)
{
    QImage image(size, QImage::Format_RGB32);
    image.fill(color);
    CDib dib;
    return dib.CreateFromImage(image, 24) && dib.WriteFile(path);
}

QImage Grab(QWidget& w)
{
    return w.grab().toImage();
}

TEST_F(BitmapDialogTest, TilingCoversTheAreaFromTheTopLeft)
{
    const auto positions = CBitmapDialog::TilePositions(QSize(100, 50), QSize(250, 120));
    ASSERT_EQ(positions.size(), 9u);
    EXPECT_EQ(positions.front(), QPoint(0, 0));
    EXPECT_EQ(positions[1], QPoint(100, 0));
    EXPECT_EQ(positions.back(), QPoint(200, 100));
    EXPECT_TRUE(CBitmapDialog::TilePositions(QSize(0, 50), QSize(250, 120)).empty());
    EXPECT_EQ(CBitmapDialog::TilePositions(QSize(300, 200), QSize(250, 120)).size(), 1u);
}

TEST_F(BitmapDialogTest, PanelIsDrawnOverTheStretchedBackgroundAndClicksReachThePorts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(dir.isValid());
    ASSERT_TRUE(WriteBmp(dir.filePath("face.bmp"), QSize(20, 10), Qt::red));
    ASSERT_TRUE(WriteBmp(dir.filePath("enable.bmp"), QSize(4, 4), Qt::blue));
    ASSERT_TRUE(WriteBmp(dir.filePath("link.bmp"), QSize(4, 4), Qt::green));
    QFile xml(dir.filePath("panel.xml"));
    ASSERT_TRUE(xml.open(QIODevice::WriteOnly));
    xml.write("<SW><DEVICEPANEL o='O'><ID>sw</ID><LEFT>0</LEFT><TOP>0</TOP><WIDTH>200</WIDTH><HEIGHT>100</HEIGHT>"
              "<BMP>face.bmp</BMP><O>"
              "<PORT><ID>1</ID><LEFT>20</LEFT><TOP>30</TOP><WIDTH>40</WIDTH><HEIGHT>20</HEIGHT>"
              "<BMPENABLE>enable.bmp</BMPENABLE><BMPLINK100>link.bmp</BMPLINK100></PORT>"
              "<PORT><ID>2</ID><LEFT>120</LEFT><TOP>30</TOP><WIDTH>40</WIDTH><HEIGHT>20</HEIGHT>"
              "<BMPENABLE>enable.bmp</BMPENABLE></PORT>"
              "</O></DEVICEPANEL></SW>");
    xml.close();
    QDir::setCurrent(dir.path());

    CBitmapDialog dialog;
    dialog.LoadPanel(QStringLiteral("panel.xml"));
    EXPECT_EQ(dialog.GetBkMode(), CBitmapDialog::BK_STRETCH);
    EXPECT_EQ(dialog.size(), QSize(200, 100));
    ASSERT_TRUE(dialog.GetBackground().IsLoaded());

    QImage picture = Grab(dialog);
    EXPECT_EQ(QColor(picture.pixel(5, 5)), QColor(Qt::red));
    EXPECT_EQ(QColor(picture.pixel(190, 90)), QColor(Qt::red));
    EXPECT_EQ(QColor(picture.pixel(40, 40)), QColor(Qt::blue));   // port 1, stretched to its rectangle
    EXPECT_EQ(QColor(picture.pixel(140, 40)), QColor(Qt::blue));  // port 2

    static_cast<CPort*>(dialog.GetRoot().FindNthChild("CPort", 0))->SetPortStatus(PORT_LINK100);
    picture = Grab(dialog);
    EXPECT_EQ(QColor(picture.pixel(40, 40)), QColor(Qt::green));

    std::vector<int> clicked;
    const auto connection = QObject::connect(&CPortClickNotifier::Instance(), &CPortClickNotifier::portClicked,
                                             [&](int n) { clicked.push_back(n); });
    for (const QPoint pt : {QPoint(140, 40), QPoint(100, 40), QPoint(21, 31)}) {
        QMouseEvent press(QEvent::MouseButtonPress, pt, dialog.mapToGlobal(pt), Qt::LeftButton, Qt::LeftButton, Qt::NoModifier);
        QApplication::sendEvent(&dialog, &press);
    }
    QObject::disconnect(connection);
    EXPECT_EQ(clicked, std::vector<int>{2});

    // Hovering a port shows the panel's own cursor.
    dialog.setCursor(Qt::ArrowCursor);
    QMouseEvent away(QEvent::MouseMove, QPointF(100, 40), dialog.mapToGlobal(QPointF(100, 40)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &away);
    EXPECT_EQ(dialog.cursor().shape(), Qt::ArrowCursor);
    QMouseEvent over(QEvent::MouseMove, QPointF(40, 40), dialog.mapToGlobal(QPointF(40, 40)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(&dialog, &over);
    EXPECT_EQ(dialog.cursor().shape(), PanelCursor().shape());
    EXPECT_NE(dialog.cursor().shape(), Qt::ArrowCursor);
}

TEST_F(BitmapDialogTest, CentredAndTiledBackgrounds)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteBmp(dir.filePath("tile.bmp"), QSize(100, 50), Qt::red));
    TestDialog dialog;
    ASSERT_TRUE(dialog.Background().Load(dir.filePath("tile.bmp")));
    dialog.resize(250, 120);
    const QColor window = dialog.palette().window().color();

    dialog.SetMode(CBitmapDialog::BK_CENTER);
    QImage picture = Grab(dialog);
    EXPECT_EQ(QColor(picture.pixel(125, 60)), QColor(Qt::red));
    EXPECT_EQ(QColor(picture.pixel(5, 5)), window);
    EXPECT_EQ(QColor(picture.pixel(245, 115)), window);

    dialog.SetMode(CBitmapDialog::BK_TILE);
    picture = Grab(dialog);
    for (const QPoint pt : {QPoint(5, 5), QPoint(245, 115), QPoint(125, 60), QPoint(205, 105)})
        EXPECT_EQ(QColor(picture.pixel(pt)), QColor(Qt::red)) << pt.x() << "," << pt.y();
}

TEST_F(BitmapDialogTest, ButtonsAndStaticsAreTransparentTrackBarsAreNot)
{
    QTemporaryDir dir;
    ASSERT_TRUE(WriteBmp(dir.filePath("bg.bmp"), QSize(10, 10), Qt::red));
    TestDialog dialog;
    auto* pLabel = new QLabel(&dialog);
    pLabel->setGeometry(10, 10, 60, 30);
    auto* pButton = new QPushButton(&dialog);
    pButton->setGeometry(80, 10, 60, 30);
    auto* pSlider = new QSlider(Qt::Horizontal, &dialog);
    pSlider->setGeometry(10, 60, 120, 30);
    dialog.resize(200, 100);
    // Before a picture is loaded every control keeps its default look.
    dialog.ApplyControlColors();
    EXPECT_NE(pButton->palette().button().color().alpha(), 0);

    ASSERT_TRUE(dialog.Background().Load(dir.filePath("bg.bmp")));
    dialog.SetMode(CBitmapDialog::BK_STRETCH);
    dialog.ApplyControlColors();
    EXPECT_EQ(pButton->palette().button().color().alpha(), 0);
    EXPECT_EQ(pLabel->palette().window().color().alpha(), 0);
    EXPECT_TRUE(pSlider->autoFillBackground());

    const QImage picture = Grab(dialog);
    EXPECT_EQ(QColor(picture.pixel(40, 25)), QColor(Qt::red));  // through the label
    EXPECT_EQ(QColor(picture.pixel(12, 62)), dialog.palette().window().color());  // slider background

    // A control added later is made transparent once the event loop has run.
    auto* pLate = new QLabel(&dialog);
    QApplication::processEvents();
    EXPECT_EQ(pLate->palette().window().color().alpha(), 0);
}

TEST_F(BitmapDialogTest, MissingDescriptionLeavesAnEmptyPanel)
{
    CBitmapDialog dialog;
    auto* pMenu = new QMenuBar(&dialog);
    pMenu->addMenu(QStringLiteral("&Device"));
    pMenu->adjustSize();
    const int nMenu = dialog.FrameAllowance();
    EXPECT_GT(nMenu, 0);
    dialog.LoadPanel(QStringLiteral("/nonexistent/panel.xml"));
    EXPECT_EQ(dialog.GetRoot().GetChildCount(), 0);
    EXPECT_FALSE(dialog.GetBackground().IsLoaded());
    EXPECT_EQ(dialog.height(), nMenu);
    EXPECT_EQ(dialog.ClientRect().height(), 0);
}

TEST_F(BitmapDialogTest, AbsurdPanelSizesAreClamped)
{
    QTemporaryDir dir;
    QFile xml(dir.filePath("huge.xml"));
    ASSERT_TRUE(xml.open(QIODevice::WriteOnly));
    xml.write("<R><DEVICEPANEL><ID>x</ID><LEFT>-99999999</LEFT><TOP>0</TOP><WIDTH>2000000000</WIDTH>"
              "<HEIGHT>-7</HEIGHT></DEVICEPANEL></R>");
    xml.close();
    CBitmapDialog dialog;
    dialog.LoadPanel(dir.filePath("huge.xml"));
    EXPECT_LE(dialog.width(), CBitmapDialog::kMaxWindowSide);
    EXPECT_GE(dialog.height(), 0);
    EXPECT_LE(dialog.height(), CBitmapDialog::kMaxWindowSide);
}

TEST_F(BitmapDialogTest, EveryModelKitLoadsIntoTheWindow)
{
    const QDir models(QStringLiteral(TQX_SOURCE_DIR "/models"));
    const QString artefacts = QStringLiteral(TQX_BINARY_DIR "/tests/panel/artefacts");
    QDir().mkpath(artefacts);
    int nKits = 0;
    for (const QString& kit : models.entryList(QDir::Dirs | QDir::NoDotAndDotDot)) {
        const QString kitDir = models.filePath(kit);
        if (!QFile::exists(kitDir + QStringLiteral("/User.ini")))
            continue;
        SCOPED_TRACE(kit.toStdString());
        ++nKits;
        QSettings ini(kitDir + QStringLiteral("/User.ini"), QSettings::IniFormat);
        const QString xmlName = ini.value(QStringLiteral("DeviceInfo/XMLName")).toString();
        const int nPorts = ini.value(QStringLiteral("DeviceInfo/DevicePortNum")).toInt();
        ASSERT_FALSE(xmlName.isEmpty());
        QDir::setCurrent(kitDir);

        CMyBitmapApp store;
        CBitmapDialog dialog;
        auto* pMenu = new QMenuBar(&dialog);
        pMenu->addMenu(QStringLiteral("&Device Manager"));
        pMenu->adjustSize();
        const int nMenu = dialog.FrameAllowance();
        dialog.LoadPanel(xmlName);

        const QRect panel = dialog.GetRoot().GetRect();
        ASSERT_GT(panel.width(), 0);
        ASSERT_GT(panel.height(), 0);
        EXPECT_TRUE(dialog.GetBackground().IsLoaded());
        EXPECT_EQ(dialog.size(), QSize(panel.width(), panel.height() + nMenu));
        EXPECT_EQ(dialog.ClientRect().size(), panel.size());

        // Every port and its lamps lie inside the drawn panel; the front ports all have a lamp.
        int nFound = 0;
        for (CVirtualDev* pPort; (pPort = dialog.GetRoot().FindNthChild("CPort", nFound)) != nullptr; ++nFound) {
            EXPECT_TRUE(panel.contains(pPort->GetRect())) << "port " << nFound + 1;
            EXPECT_TRUE(pPort->GetBitmap().IsLoaded()) << "port " << nFound + 1;
            if (nFound < nPorts)
                EXPECT_GT(pPort->GetChildCount(), 0) << "port " << nFound + 1;
            for (int i = 0; i < pPort->GetChildCount(); ++i) {
                const CVirtualDev* pLamp = pPort->GetChild(i);
                EXPECT_STREQ(pLamp->GetRuntimeClassName(), "CLamp");
                EXPECT_TRUE(panel.contains(pLamp->GetRect())) << "lamp of port " << nFound + 1;
            }
        }
        EXPECT_GE(nFound, nPorts);
        // Elements with ID "0" went to the bitmap store's position table, in reading order.
        const QByteArray description = [&] {
            QFile f(xmlName);
            return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
        }();
        EXPECT_EQ(store.GetPositionCount(), std::min<int>(CMyBitmapApp::kPositionCount, description.count("<ID>0</ID>")));

        const QImage picture = Grab(dialog);
        ASSERT_FALSE(picture.isNull());
        EXPECT_TRUE(picture.save(artefacts + QLatin1Char('/') + kit + QStringLiteral(".png")));
    }
    EXPECT_GT(nKits, 0);
}

}  // namespace
