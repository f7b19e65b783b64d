#include "FormTestSupport.h"

#include "controls/AboutG3F.h"
#include "settings/IniFile.h"
#include "ui/QtPrompt.h"
#include "settings/KeyListStorage.h"
#include "ui/THintFilter.h"
#include "ui/THintStyle.h"

#include <QMessageBox>
#include <QTabWidget>
#include <QTimer>

namespace norvane::test {
namespace {

using FormShow = FormTest;

TEST_F(FormShow, FirstStartShowsMessage3UsesDefaultsAndWritesTheFileAtClose)
{
    TForm1& f = Start();
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].kind, PromptKind::Notice);
    EXPECT_EQ(prompt.shown[0].text, "\"" + Ini() + "\"\r\r初期化ﾌｧｲﾙが、有りません！");
    EXPECT_EQ(f.pos(), QPoint(200, 95));
    EXPECT_EQ(f.size(), QSize(333, 292));
    EXPECT_EQ(Widget<QTabWidget>("PageControl1")->currentIndex(), 1);
    EXPECT_TRUE(Box(1)->isChecked());
    EXPECT_TRUE(Box(2)->isChecked());
    for (int i = 3; i <= 6; ++i)
        EXPECT_FALSE(Box(i)->isChecked()) << i;
    EXPECT_FALSE(Box(6)->isEnabled());
    EXPECT_TRUE(f.ShowHints());
    EXPECT_EQ(Panel().count(), 0);
    EXPECT_FALSE(Button(2)->isEnabled());
    EXPECT_FALSE(Button(3)->isEnabled());
    EXPECT_FALSE(Button(4)->isEnabled());
    EXPECT_FALSE(Button(5)->isEnabled());
    EXPECT_EQ(Grid().Cell(0, 0), "No.");
    EXPECT_EQ(Grid().Cell(1, 0), "FileName");
    EXPECT_EQ(Grid().RowCount(), 6);
    EXPECT_EQ(Grid().ColWidth(1), 110);
    EXPECT_EQ(Grid().ColWidth(2), 120);
    EXPECT_TRUE(f.isEnabled());
    // Both bars: a lowered outer bevel around a raised inner one.
    for (const char* bar : {"Panel1", "Panel2"}) {
        EXPECT_EQ(Widget<QFrame>(bar)->frameShape(), QFrame::Box) << bar;
        EXPECT_EQ(Widget<QFrame>(bar)->frameShadow(), QFrame::Sunken) << bar;
        EXPECT_EQ(Widget<QFrame>(bar)->frameWidth(), 2) << bar;
    }

    Close();
    const IniFile ini = IniFile::Load(Ini());
    EXPECT_EQ(ini.GetString("norvane", "XYWH", "-"), "200,95,333,292");
    EXPECT_EQ(ini.GetString("norvane", "ChkBFlg", "-"), "0x03");
    EXPECT_EQ(ini.GetString("norvane", "Path", "-"), "");
    EXPECT_FALSE(ini.HasSection("Dat"));
}

TEST_F(FormShow, StoredGeometryOptionsAndHintTimingsApplyAtTheNextStart)
{
    WriteIni("XYWH=10,20,400,300\r\nChkBFlg=0xD5\r\nHntPaus=120\r\nHStPaus=70\r\nHHdPaus=900\r\n");
    TForm1& f = Start();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(f.pos(), QPoint(10, 20));
    EXPECT_EQ(f.size(), QSize(400, 300));
    EXPECT_EQ(Widget<QLineEdit>("Edit1")->width(), 370);
    const bool expected[] = {true, false, true, false, true, false};
    for (int i = 0; i < 6; ++i)
        EXPECT_EQ(Box(i + 1)->isChecked(), expected[i]) << i;
    EXPECT_TRUE(Box(6)->isEnabled());
    EXPECT_FALSE(f.ShowHints());
    const auto* style = dynamic_cast<const THintStyle*>(QApplication::style());
    ASSERT_NE(style, nullptr);
    EXPECT_EQ(f.HintFilter().HintPause(), 120);
    EXPECT_EQ(f.HintFilter().ShortPause(), 70);
    EXPECT_EQ(f.HintFilter().HidePause(), 900);

    // Bits 6 and 7 travel back; a changed tick is stored.
    Box(2)->setChecked(true);
    f.resize(420, 310);
    Close();
    const IniFile ini = IniFile::Load(Ini());
    EXPECT_EQ(ini.GetString("norvane", "ChkBFlg", "-"), "0xD7");
    EXPECT_EQ(ini.GetString("norvane", "XYWH", "-"), "10,20,420,310");
}

TEST_F(FormShow, GeometryOffEveryScreenOrTooSmallGivesTheDesignedBounds)
{
    const char* values[] = {"XYWH=9000,9000,333,292\r\n", "XYWH=10,20,20,10\r\n"};
    for (const char* value : values) {
        SCOPED_TRACE(value);
        WriteIni(value);
        TForm1& f = Start();
        EXPECT_EQ(f.pos(), QPoint(200, 95));
        EXPECT_EQ(f.size(), QSize(333, 292));
        form.reset();
    }
}

TEST_F(FormShow, GeometryLargerThanTheScreenIsCutToItAndSavedSo)
{
    struct Case {
        const char* value;
        bool cutWidth, cutHeight;
    };
    const Case cases[] = {
        {"XYWH=10,20,20000,20000\r\n", true, true},
        {"XYWH=10,20,400,20000\r\n", false, true},
        {"XYWH=10,20,20000,300\r\n", true, false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.value);
        WriteIni(c.value);
        TForm1& f = Start();
        const QRect area = f.screen()->availableGeometry();
        const QSize frame = f.frameGeometry().size() - f.size();
        EXPECT_TRUE(area.contains(f.frameGeometry()));
        EXPECT_EQ(f.width(), c.cutWidth ? area.width() - frame.width() : 400);
        EXPECT_EQ(f.height(), c.cutHeight ? area.height() - frame.height() : 300);
        EXPECT_EQ(f.x(), c.cutWidth ? area.left() : 10);
        const QRect shown(f.pos(), f.size());
        Close();
        const std::string saved = IniFile::Load(Ini()).GetString("norvane", "XYWH", "-");
        EXPECT_EQ(saved, std::to_string(shown.x()) + "," + std::to_string(shown.y()) + "," +
                             std::to_string(shown.width()) + "," + std::to_string(shown.height()));
    }
}

TEST_F(FormShow, SetsNoDisplayNameAndTheErrorBoxReadsTheProgramsTitle)
{
    WriteIni("");
    TForm1& f = Start();
    // Unset, the display name falls back to the application's own name.
    EXPECT_EQ(QGuiApplication::applicationDisplayName(), QGuiApplication::applicationName());
    f.SetDialogs(nullptr);
    QString title;
    QString text;
    QTimer::singleShot(0, [&] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        title = box->windowTitle();
        text = box->text();
        box->button(QMessageBox::Ok)->click();
    });
    Drop({dir.File("gone.eml")});
    Button(3)->click();
    EXPECT_EQ(title, QStringLiteral("Norvane"));
    EXPECT_EQ(text, QStringLiteral("ﾌｧｲﾙが見つかりません"));
}

TEST_F(FormShow, MalformedGeometryIsReportedAndStartUpGoesOn)
{
    WriteIni("XYWH=30,12AB,400,300\r\nChkBFlg=0x01\r\n", "Dat1=Received\r\n");
    TForm1& f = Start({dir.File("a.eml")});
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "'12AB' は整数ではありません");
    EXPECT_EQ(f.pos().x(), 30);
    EXPECT_FALSE(Box(2)->isChecked());  // read after the bad field
    EXPECT_EQ(PanelItems(), (Cells{"+Received"}));
    EXPECT_EQ(Grid().Cell(0, 0), "No.");
    EXPECT_TRUE(f.isEnabled());
}

TEST_F(FormShow, SplashWaitKeepsTheWindowFromInputThenClosesTheSplash)
{
    const auto elapsed = static_cast<std::int32_t>(TickCount() - SplashStartTick);
    if (elapsed > 60000)
        GTEST_SKIP() << "the test program has run too long for a 16-bit wait";
    WriteIni("");
    // Replace the short wait by one that outlasts start-up by a little.
    WriteFile(Ini(), "[norvane]\r\nOpnWait=" + std::to_string(elapsed + 300) + "\r\n");
    bool enabledDuringWait = true;
    bool splashDuringWait = false;
    QWidget* boxParent = nullptr;
    QTimer::singleShot(100, [&] {
        enabledDuringWait = form->isEnabled();
        splashDuringWait = AboutForm() != nullptr;
        boxParent = QtPrompt::BoxParent(form.get());
    });
    TForm1& f = Start();
    EXPECT_FALSE(enabledDuringWait);
    EXPECT_TRUE(splashDuringWait);
    EXPECT_NE(boxParent, &f);  // a message would sit on the splash
    EXPECT_GT(static_cast<std::int32_t>(TickCount() - SplashStartTick), elapsed + 300);
    EXPECT_EQ(AboutForm(), nullptr);
    EXPECT_TRUE(f.isEnabled());
    EXPECT_EQ(QtPrompt::BoxParent(&f), &f);
}

TEST_F(FormShow, RunsOnceAlthoughTheWindowIsShownAgain)
{
    TForm1& f = Start();
    ASSERT_EQ(prompt.shown.size(), 1u);
    f.hide();
    f.showMinimized();
    f.showNormal();
    EXPECT_EQ(prompt.shown.size(), 1u);
}

TEST_F(FormShow, CommandLineListsFilesAndPatternsOnceAndSkipsMissingNames)
{
    WriteIni("");
    WriteFile(dir.File("b.eml"), "Subject: b\r\n");
    WriteFile(dir.File("a.eml"), "Subject: a\r\n");
    WriteFile(dir.File("c.txt"), "Subject: c\r\n");
    std::filesystem::create_directory(dir.Path() / "sub.eml");
    TForm1& f = Start({dir.File("*.eml"), dir.File("missing.eml"), dir.File("c.txt"), dir.File("a.eml")});
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(f.SelectedFiles(), (Cells{dir.File("a.eml"), dir.File("b.eml"), dir.File("c.txt")}));
    EXPECT_EQ(Column(1), (Cells{"a.eml", "b.eml", "c.txt"}));
    EXPECT_EQ(Grid().Cell(1, 0), "FileName: 3");
    EXPECT_TRUE(Button(2)->isEnabled());
    EXPECT_TRUE(Button(3)->isEnabled());
}

TEST_F(FormShow, CommandLineNamingNothingKeepsTheEmptyGrid)
{
    WriteIni("");
    Start({dir.File("missing.eml"), dir.File("*.none")});
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(Grid().Cell(1, 1), "");
    EXPECT_EQ(Grid().Cell(1, 0), "FileName");
    EXPECT_FALSE(Button(2)->isEnabled());
}

TEST_F(FormShow, KeyListIsSavedSortedAtClose)
{
    WriteIni("", "Dat1=X-Mailer\r\nDat2=;date\r\nDat3=Received\r\n");
    Start();
    EXPECT_EQ(PanelItems(), (Cells{"-date", "+Received", "+X-Mailer"}));
    Widget<QLineEdit>("Edit1")->setText("Apple");
    Button(4)->click();
    Close();
    KeyList saved;
    LoadKeyList(Ini(), saved);
    EXPECT_EQ(saved, (KeyList{";date", "Apple", "Received", "X-Mailer"}));
}

TEST_F(FormShow, CloseKeepsTheKeysAnotherSaverStored)
{
    WriteIni("", "Dat1=X-Mailer\r\nDat2=;date\r\n");
    Start();
    // The tool registers a key while the window is open.
    WriteIni("", "Dat1=X-Mailer\r\nDat2=;date\r\nDat3=;X-Tool\r\n");
    Widget<QLineEdit>("Edit1")->setText("Apple");
    Button(4)->click();
    Close();
    KeyList saved;
    LoadKeyList(Ini(), saved);
    EXPECT_EQ(saved, (KeyList{";date", ";X-Tool", "Apple", "X-Mailer"}));
}

TEST_F(FormShow, AKeyListThatCannotBeSavedIsReportedOnceAtClose)
{
    WriteIni("", "Dat1=X-Mailer\r\n");
    Start();
    // A folder where the settings file's lock file goes: no save can lock it.
    std::filesystem::create_directory(Ini() + ".lock");
    Widget<QLineEdit>("Edit1")->setText("Apple");
    Button(4)->click();
    Close();
    EXPECT_EQ(dialogs.errors, (std::vector<std::string>{"ﾌｧｲﾙ " + Ini() + " を作成できません"}));
    KeyList saved;
    LoadKeyList(Ini(), saved);
    EXPECT_EQ(saved, (KeyList{"X-Mailer"}));
}

}  // namespace
}  // namespace norvane::test
