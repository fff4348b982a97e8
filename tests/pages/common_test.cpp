// What the pages share: the text helpers, the report list's columns, controls by id, the resizable
// base and the message-box service.
#include "pages/common/Controls.h"
#include "pages/common/Format.h"
#include "pages/common/ListCtrl.h"
#include "pages/common/MessageBox.h"
#include "pages/common/ResizeDlg.h"

#include "MessageRecorder.h"
#include "QtSupport.h"

#include <QClipboard>
#include <QHeaderView>
#include <QKeyEvent>
#include <QLabel>
#include <QPushButton>
#include <QSizeGrip>

#include <gtest/gtest.h>

using tqxtest::App;

TEST(PageText, FormatMacFromOid)
{
    const struct {
        const char* in;
        const char* out;
    } cases[] = {
        {"0.28.240.18.52.86", "00-1C-F0-12-34-56"},
        {"255.255.255.255.255.255", "FF-FF-FF-FF-FF-FF"},
        {"1", "01"},
        {"", ""},
        {"0.28.x.18", "00-1C-00-12"},
        // Longer runs and large components are cut at the buffer's 19 characters.
        {"1.2.3.4.5.6.7.8.9", "01-02-03-04-05-06-0"},
        {"4096.4096.4096.4096.4096.4096", "1000-1000-1000-1000"},
    };
    for (const auto& c : cases)
        EXPECT_EQ(FormatMacFromOid(QString::fromLatin1(c.in)).toStdString(), c.out) << c.in;
}

TEST(PageText, ForbiddenNameCharacters)
{
    const QString forbidden = QString::fromLatin1("~`!@#$%^&*{}[]|\\:;\"'<>,.?/");
    ASSERT_EQ(forbidden.size(), 26);
    ASSERT_EQ(QString::fromLatin1(kForbiddenNameChars), forbidden);
    for (const QChar c : forbidden)
        EXPECT_TRUE(HasForbiddenNameChar(QStringLiteral("Core") + c + QStringLiteral("1"))) << c.toLatin1();
    for (const char* ok : {"Core Switch", "core_switch-2", "(lab)+=", "", "B\xc3\xbcro"})
        EXPECT_FALSE(HasForbiddenNameChar(QString::fromUtf8(ok))) << ok;
}

TEST(PageText, Utf8ToDevice)
{
    EXPECT_EQ(CUtf8Text::ToDevice(QString::fromUtf8("B\xc3\xbcro \xe2\x82\xac")), QByteArray("B\xc3\xbcro \xe2\x82\xac"));
    // A character outside the basic plane is one 4-byte sequence; a lone surrogate is U+FFFD.
    EXPECT_EQ(CUtf8Text::ToDevice(QString::fromUtf8("\xf0\x9f\x98\x80")), QByteArray("\xf0\x9f\x98\x80"));
    EXPECT_EQ(CUtf8Text::ToDevice(QString(QChar(0xD800)) + QLatin1Char('a')), QByteArray("\xef\xbf\xbd" "a"));
    // At most 127 bytes; a character that does not fit whole ends the text.
    EXPECT_EQ(CUtf8Text::ToDevice(QString(200, QLatin1Char('x'))), QByteArray(127, 'x'));
    const QByteArray euros = CUtf8Text::ToDevice(QString(50, QChar(0x20AC)));
    EXPECT_EQ(euros.size(), 126);
    EXPECT_EQ(CUtf8Text::ToDevice(QString(126, QLatin1Char('x')) + QChar(0xFC)), QByteArray(126, 'x'));
    EXPECT_EQ(CUtf8Text::ToDevice(QStringLiteral("abc"), 3), QByteArray("ab"));
    EXPECT_TRUE(CUtf8Text::ToDevice(QString()).isEmpty());
}

TEST(PageText, Utf8FromDevice)
{
    const struct {
        QByteArray in;
        QString out;
    } cases[] = {
        {QByteArray("B\xc3\xbcro"), QString::fromUtf8("B\xc3\xbcro")},
        {QByteArray("\xe2\x82\xac"), QString(QChar(0x20AC))},
        {QByteArray("\xf0\x9f\x98\x80"), QString::fromUtf8("\xf0\x9f\x98\x80")},
        {QByteArray(), QString()},
        // A zero byte ends the text (devices pad their buffers).
        {QByteArray("ab\0cd", 5), QStringLiteral("ab")},
        // A sequence cut short by the end of the value is dropped, nothing is read past it.
        {QByteArray("ab\xe2\x82"), QStringLiteral("ab")},
        {QByteArray("\xfc\x80\x80"), QString()},
        // Stray continuation bytes read as one character each; forms beyond U+10FFFF and
        // surrogates become U+FFFD.
        {QByteArray("\x80z"), QString(QChar(0x80)) + QLatin1Char('z')},
        {QByteArray("\xf8\x88\x80\x80\x80"), QString(QChar(0xFFFD))},
        {QByteArray("\xed\xa0\x80"), QString(QChar(0xFFFD))},
        {QByteArray("\xc0\x80x"), QString()},
    };
    for (const auto& c : cases)
        EXPECT_EQ(CUtf8Text::FromDevice(c.in), c.out) << c.in.toHex().toStdString();
    // At most 255 UTF-16 units.
    EXPECT_EQ(CUtf8Text::FromDevice(QByteArray(300, 'a')).size(), 255);
    EXPECT_EQ(CUtf8Text::FromDevice(QByteArray(254, 'a') + QByteArray("\xf0\x9f\x98\x80")).size(), 254);
    // Both directions agree for what the pages write.
    const QString name = QString::fromUtf8("Stra\xc3\x9f" "e 5 (\xe6\x9d\xb1)");
    EXPECT_EQ(CUtf8Text::FromDevice(CUtf8Text::ToDevice(name)), name);
}

TEST(PageList, ColumnsAreHeadingWidePlus15AndFullRowSelect)
{
    App();
    CListCtrl list;
    const QString heading = Heading(" Index", 8);
    EXPECT_EQ(heading, QStringLiteral(" Index        "));
    EXPECT_EQ(InsertColumnAuto(list, 0, heading), 0);
    EXPECT_EQ(InsertColumnAuto(list, 1, Heading(" Speed(b/s)", 21)), 1);
    EXPECT_EQ(list.columnWidth(0), list.header()->fontMetrics().horizontalAdvance(heading) + 15);
    EXPECT_GT(list.columnWidth(1), list.columnWidth(0));
    EXPECT_EQ(list.headerItem()->text(1), QStringLiteral(" Speed(b/s)") + QString(21, QLatin1Char(' ')));
    list.SetExtendedStyle(0x120);
    EXPECT_EQ(list.selectionBehavior(), QAbstractItemView::SelectRows);

    EXPECT_EQ(list.InsertItem(0, QStringLiteral("a")), 0);
    EXPECT_EQ(list.InsertItem(9, QStringLiteral("b")), 1);
    EXPECT_TRUE(list.SetItemText(1, 1, QStringLiteral("b1")));
    EXPECT_FALSE(list.SetItemText(1, 2, QStringLiteral("no such column")));
    EXPECT_FALSE(list.SetItemText(5, 0, QStringLiteral("no such row")));
    EXPECT_EQ(list.GetItemText(1, 1), QStringLiteral("b1"));
    EXPECT_EQ(list.GetSelectedRow(), -1);
    EXPECT_EQ(list.SelectedRowText(), QString());
    list.SelectRow(1);
    EXPECT_EQ(list.GetSelectedRow(), 1);
    // Ctrl+C copies the selected row's cells, tab-separated.
    QKeyEvent copy(QEvent::KeyPress, Qt::Key_C, Qt::ControlModifier);
    QApplication::sendEvent(&list, &copy);
    EXPECT_EQ(QApplication::clipboard()->text(), QStringLiteral("b\tb1"));
    list.DeleteAllItems();
    EXPECT_EQ(list.GetItemCount(), 0);
    EXPECT_EQ(list.GetColumnCount(), 2);
}

TEST(PageControls, FoundByIdOfTheRightKind)
{
    App();
    QWidget root;
    auto* pButton = SetControlId(new QPushButton(&root), 1145);
    auto* pInner = new QWidget(&root);
    auto* pLabel = SetControlId(new QLabel(pInner), 1095);
    EXPECT_EQ(FindControl<QPushButton>(&root, 1145), pButton);
    EXPECT_EQ(FindControl<QLabel>(&root, 1095), pLabel);
    EXPECT_EQ(FindControl<QLabel>(&root, 1145), nullptr);
    EXPECT_EQ(FindControl(&root, 7), nullptr);
    EXPECT_EQ(ControlId(pLabel), 1095);
    EXPECT_EQ(FindControl(nullptr, 1), nullptr);
}

namespace {

// A resizable page with one control per anchor mode, placed at absolute positions.
class CAnchorPage : public CResizeDlg {
public:
    CAnchorPage() : CResizeDlg(999, nullptr)
    {
        resize(400, 300);
        for (int i = 0; i < 7; ++i)
            SetControlId(new QLabel(this), 100 + i)->setGeometry(10, 10 + 30 * i, 50, 20);
        const CResizeAnchor anchors[] = {
            {100, kMoveX, 100}, {101, kMoveY, 100}, {102, kMoveXY, 50}, {103, kSizeX, 100},
            {104, kSizeY, 100}, {105, kSizeXY, 50},
            {106, kMoveX, 101},  // out of range: ignored
            {4242, kMoveX, 100}, // no such control
        };
        SetAnchors(anchors, 8);
    }
};

} // namespace

TEST(PageResize, AnchorsFollowTheSizeChange)
{
    App();
    CAnchorPage page;
    page.show();
    ASSERT_TRUE(page.IsInitialised());
    EXPECT_EQ(page.minimumSize(), QSize(400, 300));
    page.resize(500, 361);
    tqxtest::WaitFor([&] { return page.size() == QSize(500, 361); }, 2000);
    ASSERT_EQ(page.size(), QSize(500, 361));
    const auto geometry = [&](int id) { return FindControl(&page, id)->geometry(); };
    EXPECT_EQ(geometry(100), QRect(110, 10, 50, 20));
    EXPECT_EQ(geometry(101), QRect(10, 40 + 61, 50, 20));
    EXPECT_EQ(geometry(102), QRect(10 + 50, 70 + 30, 50, 20));  // 61 * 50 / 100 = 30
    EXPECT_EQ(geometry(103), QRect(10, 100, 150, 20));
    EXPECT_EQ(geometry(104), QRect(10, 130, 50, 81));
    EXPECT_EQ(geometry(105), QRect(10, 160, 100, 50));
    EXPECT_EQ(geometry(106), QRect(10, 190, 50, 20));
    // The grip sits in the new lower right corner; the next change is measured from the new size.
    const QRect grip = page.SizeGrip()->geometry();
    EXPECT_EQ(grip.bottomRight(), QPoint(499, 360));
    page.resize(450, 361);
    tqxtest::WaitFor([&] { return page.width() == 450; }, 2000);
    EXPECT_EQ(geometry(100), QRect(60, 10, 50, 20));
    // Never smaller than at opening.
    page.resize(100, 100);
    tqxtest::WaitFor([] { return false; }, 50);
    EXPECT_EQ(page.size(), QSize(400, 300));
    page.reject();
}

TEST(PageMessages, OneServiceForBoxesAndQuestions)
{
    App();
    tqxtest::CMessageRecorder recorder(true);
    AppMessageBox(QStringLiteral("Please select the VLAN !"), nullptr, MsgIcon::Information);
    EXPECT_TRUE(AppQuestionBox(QStringLiteral("Do you want to reboot the device?")));
    recorder.answer = false;
    EXPECT_FALSE(AppQuestionBox(QStringLiteral("again?")));
    EXPECT_EQ(recorder.texts, std::vector<std::string>{"Please select the VLAN !"});
    EXPECT_EQ(recorder.asked, (std::vector<std::string>{"Do you want to reboot the device?", "again?"}));
    ASSERT_EQ(recorder.requests.size(), 3u);
    EXPECT_EQ(recorder.requests[0].icon, MsgIcon::Information);
}
