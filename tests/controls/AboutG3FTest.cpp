#include "controls/AboutG3F.h"

#include "controls/Controls.h"
#include "controls/LabeLink.h"

#include "../core/TestFiles.h"

#include <QApplication>
#include <QPointer>
#include <QScreen>
#include <QTest>
#include <QTimer>

#include <gtest/gtest.h>

#include <vector>

namespace {

using norvane::test::TempDir;
using norvane::test::WriteFile;

TEST(DescriptionFileFor, TextFileBesideTheExecutable)
{
    TempDir dir;
    WriteFile(dir.File("prog.exe"), "");
    EXPECT_EQ(DescriptionFileFor(dir.File("prog.exe")), "");
    WriteFile(dir.File("prog.txt"), "about");
    EXPECT_EQ(DescriptionFileFor(dir.File("prog.exe")), dir.File("prog.txt"));

    // Without an extension ".txt" is appended; a "." in the folder stays.
    std::filesystem::create_directories(dir.Path() / "v1.2");
    const std::string bare = (dir.Path() / "v1.2" / "prog").string();
    EXPECT_EQ(DescriptionFileFor(bare), "");
    WriteFile(bare + ".txt", "about");
    EXPECT_EQ(DescriptionFileFor(bare), bare + ".txt");

    // A name that begins with "." is all extension; the last "." counts.
    WriteFile(dir.File(".txt"), "about");
    EXPECT_EQ(DescriptionFileFor(dir.File(".norvane")), dir.File(".txt"));
    WriteFile(dir.File("prog.v2.txt"), "about");
    EXPECT_EQ(DescriptionFileFor(dir.File("prog.v2.bin")), dir.File("prog.v2.txt"));
}

class AboutTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        InstallFontSubstitutions();
        DesktopTestSeam().open = [this](const QUrl& url) {
            opened.push_back(url);
            return false;  // failures of the description file go unreported
        };
        DesktopTestSeam().failureBox = [this](const QString& text) { boxes.push_back(text); };
        AboutExecutableOverride() = dir.File("norvane");
    }
    void TearDown() override
    {
        CloseAbout();
        QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
        DesktopTestSeam() = {};
        AboutExecutableOverride().clear();
        QApplication::setWindowIcon(QIcon());
    }

    TempDir dir;
    std::vector<QUrl> opened;
    std::vector<QString> boxes;
};

TEST_F(AboutTest, SplashIsFramelessOnTopAndNotModal)
{
    EXPECT_TRUE(ShowAbout(true));
    TAboutG3F* splash = AboutForm();
    ASSERT_NE(splash, nullptr);
    EXPECT_TRUE(splash->isVisible());
    EXPECT_FALSE(splash->isModal());
    EXPECT_TRUE(splash->windowFlags() & Qt::FramelessWindowHint);
    EXPECT_TRUE(splash->windowFlags() & Qt::WindowStaysOnTopHint);
    EXPECT_EQ(splash->size(), QSize(285, 154));
}

TEST_F(AboutTest, CloseAboutTwice)
{
    EXPECT_FALSE(CloseAbout());
    ShowAbout(true);
    QPointer<TAboutG3F> splash = AboutForm();
    EXPECT_TRUE(CloseAbout());
    EXPECT_EQ(AboutForm(), nullptr);
    ASSERT_FALSE(splash.isNull());  // deleted later, not at once
    EXPECT_FALSE(splash->isVisible());
    EXPECT_FALSE(CloseAbout());
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
}

TEST_F(AboutTest, ModalDialogWithCaption)
{
    ShowAbout(true);
    QPointer<TAboutG3F> splash = AboutForm();
    struct Seen {
        bool called = false;
        bool modal = false;
        bool frameless = true;
        QString title;
        QSize size;
        QPoint center;
        bool splashHidden = false;
    } seen;
    QTimer::singleShot(0, [&] {
        TAboutG3F* about = AboutForm();
        seen.called = about != nullptr;
        if (about == nullptr) return;
        seen.modal = about->isModal();
        seen.frameless = about->windowFlags() & Qt::FramelessWindowHint;
        seen.title = about->windowTitle();
        seen.size = about->size();
        seen.center = about->frameGeometry().center();
        seen.splashHidden = splash.isNull() || !splash->isVisible();
        about->close();  // the close box
    });
    QWidget owner;
    owner.setGeometry(0, 0, 200, 100);
    owner.show();
    EXPECT_TRUE(ShowAbout(false, &owner));
    ASSERT_TRUE(seen.called);
    EXPECT_TRUE(seen.modal);
    EXPECT_FALSE(seen.frameless);
    EXPECT_EQ(seen.title, QString::fromUtf8("バージョン情報"));
    EXPECT_EQ(seen.size, QSize(285, 154));
    const QPoint screenCenter = QGuiApplication::primaryScreen()->availableGeometry().center();
    EXPECT_LE((seen.center - screenCenter).manhattanLength(), 8);  // frames aside; not over the owner
    EXPECT_TRUE(seen.splashHidden);  // the splash was closed first
    EXPECT_EQ(AboutForm(), nullptr);
    QCoreApplication::sendPostedEvents(nullptr, QEvent::DeferredDelete);
    EXPECT_TRUE(splash.isNull());
}

TEST_F(AboutTest, DescriptionFileOpensFromTheTitle)
{
    WriteFile(dir.File("norvane.txt"), "about");
    TAboutG3F about(false);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    EXPECT_EQ(about.DescriptionFile(), dir.File("norvane.txt"));
    TLabelG3D* title = about.Form().LabelG3D1;
    EXPECT_EQ(title->cursor().shape(), Qt::PointingHandCursor);
    EXPECT_EQ(title->toolTip(), QString::fromUtf8("説明ファイル表示"));
    QTest::mouseClick(title, Qt::LeftButton);
    ASSERT_EQ(opened.size(), 1u);
    EXPECT_EQ(opened[0], QUrl::fromLocalFile(QString::fromStdString(dir.File("norvane.txt"))));
    EXPECT_TRUE(boxes.empty());
}

TEST_F(AboutTest, NoDescriptionFile)
{
    TAboutG3F about(false);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));
    EXPECT_EQ(about.DescriptionFile(), "");
    TLabelG3D* title = about.Form().LabelG3D1;
    EXPECT_EQ(title->cursor().shape(), Qt::ArrowCursor);
    EXPECT_TRUE(title->toolTip().isEmpty());
    QTest::mouseClick(title, Qt::LeftButton);
    EXPECT_TRUE(opened.empty());
}

namespace {

// The designed bounds, or, where the font in use needs more room for the
// text, as wide as the text about the same centre.
void ExpectDesignedOrFitted(const TLabelG3D& label, const QRect& designed)
{
    SCOPED_TRACE(label.objectName().toStdString());
    const int needed = label.fontMetrics().horizontalAdvance(label.text()) + 2 * kLabelG3DTextInset;
    if (needed <= designed.width()) {
        EXPECT_EQ(label.geometry(), designed);
        return;
    }
    EXPECT_EQ(label.width(), needed);
    EXPECT_NEAR(label.geometry().center().x(), designed.center().x(), 1);
    EXPECT_EQ(label.y(), designed.y());
    EXPECT_EQ(label.height(), designed.height());
}

}  // namespace

TEST_F(AboutTest, DesignedLabels)
{
    TAboutG3F about(true);
    const Ui::TAboutG3F& form = about.Form();
    ExpectDesignedOrFitted(*form.LabelG3D1, QRect(6, 6, 273, 38));
    EXPECT_EQ(form.LabelG3D1->text(), "  Norvane  ");
    EXPECT_EQ(form.LabelG3D1->Color(), clBlack);
    EXPECT_EQ(form.LabelG3D1->GradatColorTo(), clAqua);
    EXPECT_TRUE(form.LabelG3D1->GradatHalf());
    EXPECT_EQ(form.LabelG3D1->GradatFlg(), gfHorz);
    EXPECT_EQ(form.LabelG3D1->ShadowStep(), 3);
    EXPECT_EQ(form.LabelG3D1->FontColor(), QColor(255, 0, 255));
    EXPECT_EQ(form.LabelG3D1->font().family(), QString::fromUtf8("ＭＳ Ｐ明朝"));
    EXPECT_EQ(form.LabelG3D1->font().pixelSize(), 27);
    EXPECT_TRUE(form.LabelG3D1->font().underline());

    ExpectDesignedOrFitted(*form.LabelG3D2, QRect(73, 49, 140, 27));
    EXPECT_EQ(form.LabelG3D2->GradatFlg(), gfNone);
    EXPECT_EQ(form.LabelG3D2->ShadowStep(), 2);
    EXPECT_TRUE(form.LabelG3D2->text().startsWith("Version "));
    EXPECT_EQ(form.LabelG3D2->font().pixelSize(), 19);
    EXPECT_EQ(form.LabelG3D2->FontColor(), QColor(0, 255, 0));

    ExpectDesignedOrFitted(*form.LabelG3D3, QRect(59, 76, 167, 26));
    EXPECT_EQ(form.LabelG3D3->Layout(), tlBottom);
    EXPECT_EQ(form.LabelG3D3->GradatFlg(), gfNone);
    EXPECT_EQ(form.LabelG3D3->FontColor(), QColor(0, 255, 255));

    for (TLabeLink* link : {form.LabeLink1, form.LabeLink2}) {
        SCOPED_TRACE(link->objectName().toStdString());
        EXPECT_EQ(link->EnterColor(), clAqua);
        EXPECT_TRUE(link->Transparent());
        EXPECT_EQ(link->FontColor(), QColor(0, 0, 255));
        EXPECT_EQ(link->font().pixelSize(), 13);
        EXPECT_EQ(link->font().family(), "Arial");
    }
    EXPECT_EQ(form.LabeLink1->Target().left(7), "mailto:");
    EXPECT_TRUE(form.LabeLink2->Target().startsWith("https://"));
    EXPECT_EQ(form.LabeLink1->toolTip(), QString::fromUtf8("ご要望、励ましはこのメールで"));
    EXPECT_EQ(form.LabeLink2->toolTip(), QString::fromUtf8("最新情報が登録されているホームページです"));
    EXPECT_EQ(about.font().family(), QString::fromUtf8("ＭＳ Ｐゴシック"));
    EXPECT_EQ(about.font().pixelSize(), 12);
}

// The painted face: edges, the black-to-face gradient with its last band
// below the area, and the icon box only when there is an icon.
TEST_F(AboutTest, PaintedFace)
{
    TAboutG3F about(true);
    QPalette colors = about.palette();
    colors.setColor(QPalette::Light, QColor(250, 250, 250));
    colors.setColor(QPalette::Dark, QColor(100, 100, 100));
    colors.setColor(QPalette::Button, QColor(200, 200, 200));
    about.setPalette(colors);
    about.show();
    ASSERT_TRUE(QTest::qWaitForWindowExposed(&about));

    QImage face = about.grab().toImage();
    EXPECT_EQ(face.pixelColor(0, 0), QColor(250, 250, 250));      // raised: light top left
    EXPECT_EQ(face.pixelColor(284, 153), QColor(100, 100, 100));  // dark bottom right
    EXPECT_EQ(face.pixelColor(1, 1), QColor(100, 100, 100));      // sunken: dark top left
    EXPECT_EQ(face.pixelColor(100, 5), QColor(0, 0, 0));          // first band
    EXPECT_EQ(face.pixelColor(10, 50), QColor(62, 62, 62));       // band 22 of 200 / 71
    EXPECT_EQ(face.pixelColor(10, 146), QColor(197, 197, 197));   // band 70
    EXPECT_EQ(face.pixelColor(100, 148), QColor(200, 200, 200));  // band 71, beyond the area
    EXPECT_EQ(face.pixelColor(100, 149), QColor(100, 100, 100));  // the inner edge below
    const QColor noIcon = face.pixelColor(14, 56);
    EXPECT_NE(noIcon, QColor(250, 250, 250));

    QApplication::setWindowIcon(ApplicationIcon());
    face = about.grab().toImage();
    EXPECT_EQ(face.pixelColor(14, 56), QColor(250, 250, 250));
    EXPECT_EQ(face.pixelColor(15, 57), QColor(100, 100, 100));
    EXPECT_EQ(face.pixelColor(53, 95), QColor(100, 100, 100));
    EXPECT_NE(face.pixelColor(17, 59), noIcon);
}

TEST(InstallFontSubstitutions, DesignedFamiliesFindInstalledFonts)
{
    InstallFontSubstitutions();
    const struct {
        const char* designed;
        const char* installed;
    } cases[] = {
        {"ＭＳ Ｐゴシック", "IPAPGothic"},
        {"ＭＳ Ｐ明朝", "IPAPMincho"},
        {"Arial", "DejaVu Sans"},
        {"Times New Roman", "DejaVu Serif"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.designed);
        const QFont font(QString::fromUtf8(c.designed));
        EXPECT_TRUE(QFontInfo(font).family().startsWith(QString::fromUtf8(c.installed)))
            << QFontInfo(font).family().toStdString();
    }
}

TEST(ApplicationIcon, ThirtyTwoPixels)
{
    const QIcon icon = ApplicationIcon();
    ASSERT_FALSE(icon.isNull());
    EXPECT_EQ(icon.availableSizes().value(0), QSize(32, 32));
}

TEST(SplashStartTick, TakenAtStart)
{
    const std::uint32_t now = TickCount();
    EXPECT_LE(std::int32_t(now - SplashStartTick), 10 * 60 * 1000);
    EXPECT_GE(std::int32_t(now - SplashStartTick), 0);
}

}  // namespace
