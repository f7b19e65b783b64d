#include "FormTestSupport.h"

#include "controls/AboutG3F.h"
#include "settings/KeyListStorage.h"

#include <QHelpEvent>
#include <QMenu>
#include <QTimer>
#include <QToolTip>

namespace norvane::test {
namespace {

constexpr std::string_view kMail =
    "Received: from a\r\n\tby b\r\nSubject: hello\r\nX-Mailer: m\r\nFrom: x@example.org\r\n\r\nbody\r\n";
constexpr std::string_view kStripped = "Subject: hello\r\nX-Mailer: m\r\nFrom: x@example.org\r\n\r\nbody\r\n";

class Commands : public FormTest {};

TEST_F(Commands, OneVeskRunEndToEnd)
{
    WriteIni("", "Dat1=;Received\r\nDat2=;Subject\r\n");
    TForm1& f = Start();
    const auto paths = DropThree(kMail);
    EXPECT_EQ(f.SelectedFiles(), paths);
    EXPECT_EQ(Column(0), (Cells{"1", "2", "3"}));
    EXPECT_EQ(Column(1), (Cells{"one.eml", "two.eml", "three.eml"}));
    EXPECT_EQ(Grid().Cell(1, 0), "FileName: 3");
    EXPECT_EQ(Widget<QLabel>("Label1")->text().toStdString(), dir.Path().string() + "/");
    EXPECT_EQ(Widget<QLabel>("Label1")->toolTip().toStdString(), "対象フォルダー\r" + dir.Path().string() + "/");

    // The user ticks 'Received' in the key panel.
    Panel().ToggleItemCheck(PanelIndex("Received"));
    EXPECT_EQ(f.Keys(), (KeyList{"Received", ";Subject"}));

    prompt.answers = {true};
    Button(2)->click();
    EXPECT_TRUE(dialogs.errors.empty());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "ヴェスクしました！\r\r確認しますか？");
    for (const auto& path : paths) {
        EXPECT_EQ(ReadFile(path), kStripped) << path;
        EXPECT_EQ(ReadFile(path.substr(0, path.size() - 4) + ".bak"), kMail) << path;
    }
    // Yes ran Analyze on the stripped files.
    EXPECT_EQ(Grid().Cell(2, 0), "MailHedarKey: 3");
    EXPECT_EQ(Column(2), (Cells{"From", "Subject", "X-Mailer"}));
    EXPECT_EQ(Column(3), (Cells{"3", "3", "3"}));
    EXPECT_EQ(Column(4), (Cells{"New", "", "New"}));
    EXPECT_EQ(Column(1), (Cells{"one.eml", "two.eml", "three.eml"}));
}

TEST_F(Commands, VeskNamesTheSignedMailItKeptWholeInOneNotice)
{
    WriteIni("", "Dat1=Received\r\n");
    TForm1& f = Start();
    const std::string signedMail =
        "Received: r\r\nContent-Type: multipart/signed; boundary=\"s\"\r\n\r\n--s\r\n\r\nbody\r\n\r\n\r\n--s--\r\n";
    const std::vector<std::string> paths = {dir.File("s1.eml"), dir.File("plain.eml"), dir.File("s2.eml")};
    WriteFile(paths[0], signedMail);
    WriteFile(paths[1], kMail);
    WriteFile(paths[2], signedMail);
    Drop(paths);
    ASSERT_EQ(f.SelectedFiles().size(), 3u);
    Button(2)->click();
    EXPECT_TRUE(dialogs.errors.empty());
    ASSERT_EQ(prompt.shown.size(), 2u);
    EXPECT_EQ(prompt.shown[0].kind, PromptKind::Notice);
    EXPECT_EQ(prompt.shown[0].caption, "確認");
    EXPECT_EQ(prompt.shown[0].text, "署名・暗号メールは変更せずに残しました：\r" + paths[0] + "\r" + paths[2]);
    EXPECT_EQ(prompt.shown[1].text, "ヴェスクしました！\r\r確認しますか？");
    EXPECT_EQ(ReadFile(paths[0]), signedMail.substr(signedMail.find("Content-Type")));
}

TEST_F(Commands, VeskAnsweredNoLeavesTheKeyColumnsAndRefillsThePanelOnlyForNewKeys)
{
    WriteIni("ChkBFlg=0x08\r\n", "Dat1=Received\r\n");
    Start();
    DropThree(kMail);
    prompt.answers = {false};
    Button(2)->click();
    EXPECT_EQ(Grid().Cell(2, 0), "MailHedarKey");
    EXPECT_EQ(Column(2), (Cells{"", "", ""}));
    // Auto-registration met three new keys: they show unticked.
    EXPECT_EQ(PanelItems(), (Cells{"-From", "+Received", "-Subject", "-X-Mailer"}));
    EXPECT_FALSE(std::filesystem::exists(dir.File("one.bak")));
}

TEST_F(Commands, VeskErrorReportsTheMessageAndKeepsEarlierFilesProcessed)
{
    WriteIni("ChkBFlg=0x08\r\n", "Dat1=Received\r\n");
    Start();
    WriteFile(dir.File("a.eml"), kMail);
    WriteFile(dir.File("c.eml"), kMail);
    Drop({dir.File("a.eml"), dir.File("b.eml"), dir.File("c.eml")});
    Button(2)->click();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "ﾌｧｲﾙ " + dir.File("b.eml") + " は開けません");
    EXPECT_TRUE(prompt.shown.empty());  // no closing question
    EXPECT_EQ(ReadFile(dir.File("a.eml")), kStripped);
    EXPECT_EQ(ReadFile(dir.File("c.eml")), kMail);
    // Keys registered before the error are in the panel as in the key list.
    EXPECT_EQ(PanelItems(), (Cells{"-From", "+Received", "-Subject", "-X-Mailer"}));
    EXPECT_EQ(form->Keys().Count(), 4u);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    // They are saved at the end of the run, before the window closes.
    KeyList saved;
    LoadKeyList(Ini(), saved);
    EXPECT_EQ(saved, form->Keys());
}

TEST_F(Commands, VeskWalksTheGridNotTheSelection)
{
    WriteIni("ChkBFlg=0x00\r\n", "Dat1=Received\r\n");
    Start();
    const auto paths = DropThree(kMail);
    Grid().SelectCell(1, 1);
    form->PDeleteClick();
    Grid().SelectCell(1, 2);
    form->PDeleteClick();
    EXPECT_EQ(Column(1), (Cells{"two.eml", "", ""}));
    Button(2)->click();
    EXPECT_EQ(ReadFile(paths[0]), kMail);
    EXPECT_EQ(ReadFile(paths[1]), kStripped);
    EXPECT_EQ(ReadFile(paths[2]), kMail);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Commands, FilesFromTwoFoldersAreProcessedWhereTheyLie)
{
    WriteIni("", "Dat1=Received\r\n");
    Start();
    std::filesystem::create_directory(dir.Path() / "x");
    std::filesystem::create_directory(dir.Path() / "y");
    const std::string a = (dir.Path() / "x" / "m.eml").string();
    const std::string b = (dir.Path() / "y" / "m.eml").string();
    WriteFile(a, kMail);
    WriteFile(b, kMail);
    Drop({a, b});
    EXPECT_EQ(Column(1), (Cells{"m.eml", "m.eml"}));
    EXPECT_EQ(Widget<QLabel>("Label1")->text().toStdString(), (dir.Path() / "x").string() + "/");
    Button(2)->click();
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(ReadFile(a), kStripped);
    EXPECT_EQ(ReadFile(b), kStripped);
}

TEST_F(Commands, FileDialogReplacesTheSelectionAndACancelKeepsIt)
{
    WriteIni("Filter=Mail|*.eml;*.txt|All|*.*\r\nPath=/srv/mail/\r\n");
    TForm1& f = Start();
    WriteFile(dir.File("a.eml"), kMail);
    dialogs.chosen = {dir.File("a.eml"), dir.File("a.eml")};
    Button(1)->click();
    EXPECT_EQ(dialogs.lastFilter, "Mail (*.eml *.txt);;All (*)");
    EXPECT_EQ(dialogs.lastFolder, "/srv/mail/");
    EXPECT_EQ(f.SelectedFiles(), (Cells{dir.File("a.eml")}));
    dialogs.confirm = false;
    Button(1)->click();
    EXPECT_EQ(f.SelectedFiles(), (Cells{dir.File("a.eml")}));
    EXPECT_EQ(Column(1)[0], "a.eml");
}

TEST_F(Commands, AnalyzeSizesTheGridForFewerAndMoreKeysThanFiles)
{
    WriteIni("", "Dat1=Received\r\nDat2=;Subject\r\n");
    Start();
    struct Case {
        const char* name;
        int files;
        std::string mail;
        Cells keys;
        int rows;
    };
    const Case cases[] = {
        {"fewer keys", 5, "Received: r\nSubject: s\nZeta: z\n\nbody\n", {"Received", "Subject", "Zeta"}, 6},
        {"more keys", 2, "A: 1\rB: 2\rC: 3\rD: 4\rReceived: 5\r\r", {"A", "B", "C", "D", "Received"}, 6},
        {"no headers", 2, "\r\nbody\r\n", {}, 3},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> paths;
        for (int i = 0; i < c.files; ++i) {
            paths.push_back(dir.File("f" + std::to_string(i) + ".eml"));
            WriteFile(paths.back(), c.mail);
        }
        Drop(paths);
        Button(3)->click();
        ASSERT_TRUE(dialogs.errors.empty());
        EXPECT_EQ(Grid().RowCount(), c.rows);
        EXPECT_EQ(Grid().Cell(2, 0), "MailHedarKey: " + std::to_string(c.keys.size()));
        for (int row = 1; row < Grid().RowCount(); ++row) {
            const bool key = row <= static_cast<int>(c.keys.size());
            EXPECT_EQ(Grid().Cell(2, row), key ? c.keys[row - 1] : "") << row;
            EXPECT_EQ(Grid().Cell(1, row).empty(), row > c.files) << row;
            if (key) {
                EXPECT_EQ(Grid().Cell(3, row), std::to_string(c.files)) << row;
            }
        }
    }
    // Marks: ticked, registered but kept, not registered.
    Drop({dir.File("f0.eml")});
    WriteFile(dir.File("f0.eml"), "Received: r\nSubject: s\nZeta: z\n");
    Button(3)->click();
    EXPECT_EQ(Column(4), (Cells{"Del", "", "New"}));
    EXPECT_EQ(Column(0), (Cells{"1", "2", "3"}));
}

TEST_F(Commands, AnalyzeErrorLeavesTheGridAsItWas)
{
    WriteIni("");
    Start();
    WriteFile(dir.File("a.eml"), "Subject: s\r\n");
    Drop({dir.File("a.eml"), dir.File("gone.eml")});
    Button(3)->click();
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "ﾌｧｲﾙが見つかりません");
    EXPECT_EQ(Grid().Cell(2, 0), "MailHedarKey");
    EXPECT_EQ(Grid().Cell(2, 1), "");
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(Commands, RegisterTrimsAndRefusesWhatTheKeyListHoldsInEitherForm)
{
    WriteIni("", "Dat1=;X-Mailer\r\n");
    TForm1& f = Start();
    auto* edit = Widget<QLineEdit>("Edit1");
    struct Case {
        const char* text;
        const char* notice;  // expected message, empty for none
    };
    const Case cases[] = {
        {"  Received ", "\"Received\"\r\r登録しました！"},
        {"x-mailer", "\"x-mailer\"\r\r既に、登録されています！"},
        {"RECEIVED", "\"RECEIVED\"\r\r既に、登録されています！"},
        {"   ", ""},
        {";Date", ""},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.text);
        prompt.shown.clear();
        edit->setText(QString::fromUtf8(c.text));
        EXPECT_TRUE(Button(4)->isEnabled());
        Button(4)->click();
        if (*c.notice) {
            ASSERT_EQ(prompt.shown.size(), 1u);
            EXPECT_EQ(prompt.shown[0].text, c.notice);
        } else {
            EXPECT_TRUE(prompt.shown.empty());
        }
    }
    EXPECT_EQ(f.Keys(), (KeyList{";X-Mailer", "Received"}));
    EXPECT_EQ(PanelItems(), (Cells{"+Received", "-X-Mailer"}));
    EXPECT_EQ(Panel().currentRow(), 0);
    EXPECT_FALSE(Button(5)->isEnabled());  // no user has picked an item yet
    edit->clear();
    EXPECT_FALSE(Button(4)->isEnabled());
}

TEST_F(Commands, DeleteRemovesTheSelectedKeyAfterYes)
{
    WriteIni("", "Dat1=Received\r\nDat2=;Date\r\nDat3=Subject\r\n");
    TForm1& f = Start();
    Button(5)->click();  // nothing selected: nothing asked
    EXPECT_TRUE(prompt.shown.empty());
    Panel().setCurrentRow(PanelIndex("Received"));
    EXPECT_TRUE(Button(5)->isEnabled());
    prompt.answers = {false};
    Button(5)->click();
    EXPECT_EQ(prompt.shown.back().text, "Received\r\r削除して宜しいですか？");
    EXPECT_EQ(f.Keys().Count(), 3u);
    prompt.answers = {true};
    Button(5)->click();
    EXPECT_EQ(f.Keys(), (KeyList{";Date", "Subject"}));
    EXPECT_EQ(PanelItems(), (Cells{"-Date", "+Subject"}));
    EXPECT_EQ(Panel().currentRow(), 1);  // the item that moved into its place
    prompt.answers = {true};
    Button(5)->click();
    EXPECT_EQ(Panel().currentRow(), 0);  // the last one went: the one above
    prompt.answers = {true};
    Button(5)->click();
    EXPECT_EQ(Panel().count(), 0);
    EXPECT_TRUE(f.Keys().IsEmpty());
    const auto asked = prompt.shown.size();
    Button(5)->click();
    EXPECT_EQ(prompt.shown.size(), asked);
}

TEST_F(Commands, DeleteActsOnASelectedKeyNotOnOneThatIsOnlyCurrent)
{
    WriteIni("", "Dat1=Received\r\nDat2=;Date\r\n");
    TForm1& f = Start();
    // Coming in by the keyboard makes the first item current, selecting none.
    QFocusEvent tabIn(QEvent::FocusIn, Qt::TabFocusReason);
    QApplication::sendEvent(&Panel(), &tabIn);
    ASSERT_EQ(Panel().currentRow(), 0);
    ASSERT_TRUE(Panel().selectedItems().isEmpty());
    EXPECT_FALSE(Button(5)->isEnabled());
    std::string hint = Button(5)->toolTip().toStdString();
    QPoint where;
    f.AppShowHint(hint, Button(5), QPoint(1, 1), where);
    EXPECT_EQ(hint, " メールヘッダーキーを削除します！ ");

    // Enabled by a selection, Delete asks nothing once the selection is gone.
    Panel().setCurrentRow(PanelIndex("Received"));
    EXPECT_TRUE(Button(5)->isEnabled());
    Panel().clearSelection();
    ASSERT_EQ(Panel().currentRow(), PanelIndex("Received"));
    prompt.answers = {true};
    Button(5)->click();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_EQ(f.Keys(), (KeyList{"Received", ";Date"}));
}

TEST_F(Commands, InfoShowsTheAboutBoxModallyWithItsHintsWhateverTheHintOption)
{
    WriteIni("ChkBFlg=0x00\r\n");
    TForm1& f = Start();
    ASSERT_FALSE(f.ShowHints());
    ASSERT_EQ(AboutForm(), nullptr);
    bool seen = false;
    bool modal = false;
    bool frameless = true;
    QWidget* owner = nullptr;
    QString hint;
    QString title;
    QTimer::singleShot(0, [&] {
        TAboutG3F* about = AboutForm();
        seen = about != nullptr && about->isVisible() && QApplication::activeModalWidget() == about;
        if (!about)
            return;
        modal = about->isModal();
        title = about->windowTitle();
        frameless = about->windowFlags().testFlag(Qt::FramelessWindowHint);
        owner = about->parentWidget();
        QWidget* link = about->findChild<QWidget*>(QStringLiteral("LabeLink1"));
        if (link) {
            QToolTip::showText(QPoint(1, 1), QStringLiteral("sentinel"));
            QHelpEvent help(QEvent::ToolTip, QPoint(2, 2), link->mapToGlobal(QPoint(2, 2)));
            QApplication::sendEvent(link, &help);
            hint = QToolTip::text();
            QToolTip::hideText();
        }
        about->reject();
    });
    Button(6)->click();
    EXPECT_TRUE(seen);
    EXPECT_TRUE(modal);
    EXPECT_FALSE(frameless);
    EXPECT_EQ(title, QStringLiteral("バージョン情報"));
    EXPECT_EQ(owner, &f);
    EXPECT_TRUE(hint.contains(QStringLiteral("ご要望、励ましはこのメールで！"))) << hint.toStdString();
    EXPECT_EQ(AboutForm(), nullptr);  // the command ends with the box closed
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(Commands, ButtonClickIgnoresOtherTags)
{
    WriteIni("");
    Start();
    QPushButton stray(form.get());
    stray.setProperty("Tag", 3);
    QObject::connect(&stray, &QPushButton::clicked, form.get(), &TForm1::ButtonClick);
    stray.click();
    EXPECT_TRUE(prompt.shown.empty());
    EXPECT_TRUE(dialogs.errors.empty());
}

}  // namespace
}  // namespace norvane::test
