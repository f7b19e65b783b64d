#include "controls/LabeLink.h"

#include <QApplication>
#include <QCursor>
#include <QEnterEvent>
#include <QTest>

#include <gtest/gtest.h>

#include <vector>

namespace {

TEST(MailTarget, PrefixByBytePositions)
{
    const struct {
        const char* target;
        const char* opened;
    } cases[] = {
        {"mori@example.org", "mailto:mori@example.org"},
        {"a@b.c", "mailto:a@b.c"},                      // "@" at 2, "." at 4
        {"ab.c@example.org", "mailto:ab.c@example.org"}, // "." at 3, before the "@"
        {"a.b@example.org", "a.b@example.org"},          // "." at 2
        {".ab@example.org", ".ab@example.org"},          // "." at 1
        {"@example.org", "@example.org"},                // "@" at 1
        {"mori@example", "mori@example"},                // no "."
        {"mailto:mori@example.org", "mailto:mori@example.org"},
        {"see mailto:x@example.org", "see mailto:x@example.org"},
        {"MAILTO:mori@example.org", "mailto:MAILTO:mori@example.org"},
        {"https://www.example.org/norvane/", "https://www.example.org/norvane/"},
        {"https://host.example.org/@name", "https://host.example.org/@name"},
        {"", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.target);
        EXPECT_EQ(MailTarget(c.target), c.opened);
    }
}

TEST(TargetUrl, WebMailAndLocalFiles)
{
    EXPECT_EQ(TargetUrl("https://www.example.org/a b").scheme(), "https");
    EXPECT_EQ(TargetUrl("mailto:mori@example.org").toString(), "mailto:mori@example.org");
    const QUrl file = TargetUrl("/tmp/some dir/prog.txt");
    EXPECT_TRUE(file.isLocalFile());
    EXPECT_EQ(file.toLocalFile(), "/tmp/some dir/prog.txt");
    const QUrl relative = TargetUrl("notes.txt");
    EXPECT_TRUE(relative.isLocalFile());
    EXPECT_TRUE(QDir::isAbsolutePath(relative.toLocalFile()));
}

class LinkTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        DesktopTestSeam().open = [this](const QUrl& url) {
            opened.push_back(url.toString());
            return openSucceeds;
        };
        DesktopTestSeam().failureBox = [this](const QString& text) { boxes.push_back(text); };
        // Keep the pointer off the window so that showing it enters nothing.
        QCursor::setPos(QPoint(2000, 2000));
        window.resize(300, 100);
        link = new TLabeLink(&window);
        link->setGeometry(10, 10, 200, 20);
        link->setText(QStringLiteral("mori@example.org"));
        window.show();
        ASSERT_TRUE(QTest::qWaitForWindowExposed(&window));
        navy = link->FontColor();
    }
    void TearDown() override { DesktopTestSeam() = {}; }

    void Enter()
    {
        QEnterEvent event(QPointF(5, 5), QPointF(5, 5), link->mapToGlobal(QPointF(5, 5)));
        QApplication::sendEvent(link, &event);
    }
    void Leave()
    {
        QEvent event(QEvent::Leave);
        QApplication::sendEvent(link, &event);
    }
    // A left click whose release finds the pointer at pointer (label
    // coordinates).
    void Click(QPoint pointer, Qt::MouseButton button = Qt::LeftButton)
    {
        QTest::mousePress(link, button, {}, QPoint(5, 5));
        QCursor::setPos(link->mapToGlobal(pointer));
        QTest::mouseRelease(link, button, {}, QPoint(5, 5));
    }

    QWidget window;
    TLabeLink* link = nullptr;
    QColor navy;
    std::vector<QString> opened;
    std::vector<QString> boxes;
    bool openSucceeds = true;
};

TEST_F(LinkTest, Defaults)
{
    EXPECT_EQ(navy, QColor(0, 0, 128));
    EXPECT_EQ(link->EnterColor(), clBlue);
    EXPECT_EQ(link->DownColor(), clRed);
    EXPECT_TRUE(link->IsLink());
    EXPECT_TRUE(link->font().bold());
    EXPECT_TRUE(link->font().underline());
    EXPECT_EQ(link->font().family(), "Times New Roman");
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(link->textFormat(), Qt::PlainText);  // "<b>x</b>" stays those eight characters
}

TEST_F(LinkTest, ColourSequenceAndOpening)
{
    int enters = 0;
    int exits = 0;
    QObject::connect(link, &TLabeLink::OnEnter, [&] { ++enters; });
    QObject::connect(link, &TLabeLink::OnExit, [&] { ++exits; });

    Enter();
    EXPECT_EQ(link->FontColor(), QColor(0, 0, 255));
    QTest::mousePress(link, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(link->FontColor(), QColor(255, 0, 0));
    QCursor::setPos(link->mapToGlobal(QPoint(50, 10)));
    QTest::mouseRelease(link, Qt::LeftButton, {}, QPoint(5, 5));
    EXPECT_EQ(opened, std::vector<QString>{"mailto:mori@example.org"});
    EXPECT_EQ(link->FontColor(), QColor(255, 0, 0));  // until the pointer leaves
    EXPECT_TRUE(boxes.empty());
    Leave();
    EXPECT_EQ(link->FontColor(), navy);
    EXPECT_EQ(enters, 1);
    EXPECT_EQ(exits, 1);
}

TEST_F(LinkTest, ReleaseOutsideRestoresAndOpensNothing)
{
    Enter();
    // The release event's own position is inside; the pointer is not.
    Click(QPoint(250, 10));
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(link->FontColor(), navy);
}

TEST_F(LinkTest, FailedOpenShowsTheBox)
{
    openSucceeds = false;
    link->setText(QStringLiteral("https://www.example.org/"));
    Enter();
    Click(QPoint(20, 10));
    ASSERT_EQ(boxes.size(), 1u);
    EXPECT_EQ(boxes[0], QString::fromUtf8("https://www.example.org/\r\r関連起動ﾌﾟﾛｸﾞﾗﾑが有りません！"));
    EXPECT_EQ(link->FontColor(), QColor(255, 0, 0));
}

TEST_F(LinkTest, LinkStrIsTheTarget)
{
    link->setText(QStringLiteral("Write to me"));
    link->SetLinkStr(QStringLiteral("mori@example.org"));
    Enter();
    Click(QPoint(20, 10));
    EXPECT_EQ(opened, std::vector<QString>{"mailto:mori@example.org"});
}

TEST_F(LinkTest, OtherButtonsChangeNothing)
{
    Enter();
    for (Qt::MouseButton button : {Qt::RightButton, Qt::MiddleButton}) {
        Click(QPoint(20, 10), button);
        EXPECT_EQ(link->FontColor(), QColor(0, 0, 255));
    }
    EXPECT_TRUE(opened.empty());
}

TEST_F(LinkTest, NotALink)
{
    int enters = 0;
    QObject::connect(link, &TLabeLink::OnEnter, [&] { ++enters; });
    link->SetIsLink(false);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);  // the saved cursor
    Enter();
    EXPECT_EQ(link->FontColor(), navy);
    Click(QPoint(20, 10));
    EXPECT_EQ(link->FontColor(), navy);
    EXPECT_TRUE(opened.empty());
    EXPECT_EQ(enters, 1);

    link->setCursor(Qt::IBeamCursor);
    link->SetIsLink(true);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
    link->SetIsLink(false);
    EXPECT_EQ(link->cursor().shape(), Qt::PointingHandCursor);
}

TEST(LinkCursor, SavedAfterTheFormIsSet)
{
    TLabeLink link;
    link.setCursor(Qt::ArrowCursor);  // as a form would store it
    link.show();
    link.SetIsLink(false);
    EXPECT_EQ(link.cursor().shape(), Qt::ArrowCursor);
    link.SetIsLink(true);
    EXPECT_EQ(link.cursor().shape(), Qt::PointingHandCursor);

    // A cursor set by code after the form was loaded is not the saved one.
    TLabeLink loaded;
    loaded.show();
    loaded.setCursor(Qt::IBeamCursor);
    loaded.SetIsLink(false);
    EXPECT_EQ(loaded.cursor().shape(), Qt::PointingHandCursor);
}

TEST(LinkSize, FitsItsText)
{
    TLabeLink link;
    link.setGeometry(10, 10, 400, 50);
    link.setText(QStringLiteral("mori@example.org"));
    const QSize fitted = link.size();
    EXPECT_EQ(fitted, link.sizeHint());
    EXPECT_LT(fitted.width(), 400);
    EXPECT_EQ(link.pos(), QPoint(10, 10));

    QFont bigger = link.font();
    bigger.setPixelSize(30);
    link.setFont(bigger);
    EXPECT_GT(link.width(), fitted.width());

    link.SetAutoSize(false);
    const QSize kept = link.size();
    link.setText(QStringLiteral("https://www.example.org/norvane/"));
    EXPECT_EQ(link.size(), kept);
}

TEST_F(LinkTest, SecondEnterKeepsTheFirstSavedColour)
{
    Enter();
    Enter();
    Leave();
    EXPECT_EQ(link->FontColor(), navy);
}

TEST_F(LinkTest, ColourSetWhileOverIsReplacedOnLeaving)
{
    Enter();
    link->SetFontColor(QColor(0, 128, 0));
    Leave();
    EXPECT_EQ(link->FontColor(), navy);
}

TEST_F(LinkTest, LeaveWithoutEnterKeepsTheColour)
{
    link->SetFontColor(QColor(0, 128, 0));
    Leave();
    EXPECT_EQ(link->FontColor(), QColor(0, 128, 0));
}

}  // namespace
