#include "FormTestSupport.h"
#include "LanguageSupport.h"

#include "engine/Restore.h"

#include <QAction>
#include <QMenu>

#include <sys/stat.h>

namespace norvane::test {
namespace {

constexpr std::string_view kMail = "Received: from a\r\n\tby b\r\nSubject: hello\r\n\r\nbody\r\n";
constexpr std::string_view kStripped = "Subject: hello\r\n\r\nbody\r\n";
constexpr std::string_view kSignedStripped =
    "Content-Type: multipart/signed; boundary=\"s\"\r\n\r\n--s\r\n\r\nbody\r\n\r\n\r\n--s--\r\n";
const std::string kSigned = "Received: r\r\n" + std::string(kSignedStripped);

class RunReport : public FormTest {
protected:
    QLabel& Report() const { return *Widget<QLabel>("RunReport"); }
    QAction& RestoreItem() const { return *Widget<QAction>("PRestore"); }
};

TEST_F(RunReport, ALineUnderTheButtonsTotalsTheRunBeforeTheClosingQuestion)
{
    WriteIni("ChkBFlg=0x00\r\n", "Dat1=Received\r\n");
    Start();
    EXPECT_TRUE(Report().isHidden());
    struct Case {
        const char* name;
        std::vector<std::pair<std::string, std::string_view>> files;  // missing when the text is empty
        std::string report;
        bool finished;  // the closing question comes only when no file failed
    } cases[] = {
        {"every file done",
         {{"a.eml", kMail}, {"b.eml", kStripped}, {"s.eml", kSigned}},
         "処理 3 件：" + std::to_string(kMail.size() + kStripped.size() + kSigned.size()) + " → " +
             std::to_string(2 * kStripped.size() + kSignedStripped.size()) +
             " バイト（変更なし 1 件、スキップ 0 件、保護 1 件）",
         true},
        {"stopped at a missing file",
         {{"a.eml", kMail}, {"gone.eml", ""}, {"c.eml", kMail}},
         "処理 1 件：" + std::to_string(kMail.size()) + " → " + std::to_string(kStripped.size()) +
             " バイト（変更なし 0 件、スキップ 1 件、保護 0 件）",
         false},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        std::vector<std::string> paths;
        for (const auto& [name, text] : c.files) {
            paths.push_back(dir.File(name));
            std::filesystem::remove(paths.back());
            if (!text.empty())
                WriteFile(paths.back(), text);
        }
        Drop(paths);
        // A prompt that notes the report line as each message shows.
        struct Noting : RecordingPrompt {
            QLabel* label = nullptr;
            std::vector<std::string> seen;
            bool Show(PromptKind kind, std::string_view caption, std::string_view text) override
            {
                seen.push_back(label->isHidden() ? "" : label->text().toStdString());
                return RecordingPrompt::Show(kind, caption, text);
            }
        } noting;
        noting.label = &Report();
        SetPrompt(&noting);
        dialogs.errors.clear();
        Button(2)->click();
        SetPrompt(&prompt);
        EXPECT_FALSE(Report().isHidden());
        EXPECT_EQ(Report().text().toStdString(), c.report);
        if (c.finished) {
            ASSERT_EQ(noting.shown.size(), 2u);  // the signed-mail notice, then the closing question
            EXPECT_EQ(noting.shown.back().text, "ヴェスクしました！\r\r確認しますか？");
            EXPECT_EQ(noting.seen.back(), c.report);
        } else {
            EXPECT_TRUE(noting.shown.empty());
            EXPECT_EQ(dialogs.errors.size(), 1u);
        }
    }
}

TEST_F(RunReport, CountsTheSavedAttachments)
{
    WriteIni("ChkBFlg=0x10\r\nSaveAttachments=1\r\nRemovalNote=0\r\n", "");
    Start();
    const std::string part = "--b\r\nContent-Disposition: attachment; filename=\"x.txt\"\r\nContent-Transfer-Encoding: base64\r\n\r\neA==\r\n";
    const std::string mail = "Content-Type: multipart/mixed; boundary=\"b\"\r\n\r\n" + part + part + "--b--\r\n";
    WriteFile(dir.File("a.eml"), mail);
    Drop({dir.File("a.eml")});
    prompt.answers = {false};
    Button(2)->click();
    EXPECT_EQ(ReadFile(dir.File("a.eml.attachments/x.txt")), "x");
    EXPECT_EQ(ReadFile(dir.File("a.eml.attachments/x-2.txt")), "x");
    const std::string text = Report().text().toStdString();
    EXPECT_TRUE(text.ends_with("）、添付ファイル 2 個を保存")) << text;
}

TEST_F(RunReport, RestoreFromThePopupMenuAsksNamingTheBackupAndItsTime)
{
    WriteIni("", "Dat1=Received\r\n");  // BackUp is on by default
    Start();
    const std::string mail = dir.File("a.eml");
    WriteFile(mail, kMail);
    Drop({mail});
    prompt.answers = {false};
    Button(2)->click();
    ASSERT_EQ(ReadFile(mail), kStripped);
    const std::string backup = dir.File("a.bak");
    ASSERT_EQ(ReadFile(backup), kMail);
    struct stat st {};
    ASSERT_EQ(::stat(backup.c_str(), &st), 0);
    const std::string question =
        "ﾌｧｲﾙ " + mail + " を\rﾊﾞｯｸｱｯﾌﾟ " + backup + "（" + LocalTimeText(st.st_mtim) + "）から元に戻して宜しいですか？";

    // Only a listed file name offers the item.
    Grid().SelectCell(2, 1);
    form->PopupMenu1Popup();
    EXPECT_FALSE(RestoreItem().isEnabled());
    Grid().SelectCell(1, 1);
    form->PopupMenu1Popup();
    EXPECT_TRUE(RestoreItem().isEnabled());
    EXPECT_EQ(RestoreItem().text().toStdString(), "元に戻す");

    struct Case {
        const char* name;
        bool answer;
        std::string_view content;
    } cases[] = {{"answered no", false, kStripped}, {"answered yes", true, kMail}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        prompt.shown.clear();
        prompt.answers = {c.answer};
        RestoreItem().trigger();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].kind, PromptKind::Question);
        EXPECT_EQ(prompt.shown[0].caption, "確認");
        EXPECT_EQ(prompt.shown[0].text, question);
        EXPECT_EQ(ReadFile(mail), c.content);
        EXPECT_EQ(ReadFile(backup), kMail);
    }
    EXPECT_TRUE(dialogs.errors.empty());

    // A file without a backup: the error box says so and nothing is asked.
    const std::string other = dir.File("other.eml");
    WriteFile(other, kMail);
    Drop({other});
    Grid().SelectCell(1, 1);
    prompt.shown.clear();
    RestoreItem().trigger();
    EXPECT_TRUE(prompt.shown.empty());
    ASSERT_EQ(dialogs.errors.size(), 1u);
    EXPECT_EQ(dialogs.errors[0], "ﾌｧｲﾙ " + other + " のﾊﾞｯｸｱｯﾌﾟがありません");
}

TEST_F(RunReport, RestoreQuestionShowsFileNamesHoldingPercentMarksUnchanged)
{
    WriteIni("", "Dat1=Received\r\n");
    Start();
    struct Case {
        const char* name;
        const char* stem;
    } cases[] = {
        {"an encoded space", "Re%20news"},
        {"the marks of both arguments", "%1 and %2"},
        {"the second mark first", "%2%1"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const std::string mail = dir.File(std::string(c.stem) + ".eml");
        const std::string backup = dir.File(std::string(c.stem) + ".bak");
        WriteFile(mail, kMail);
        Drop({mail});
        prompt.answers = {false};
        Button(2)->click();
        ASSERT_EQ(ReadFile(backup), kMail);
        struct stat st {};
        ASSERT_EQ(::stat(backup.c_str(), &st), 0);
        Grid().SelectCell(1, 1);
        prompt.shown.clear();
        RestoreItem().trigger();
        ASSERT_EQ(prompt.shown.size(), 1u);
        EXPECT_EQ(prompt.shown[0].text, "ﾌｧｲﾙ " + mail + " を\rﾊﾞｯｸｱｯﾌﾟ " + backup + "（" +
                                            LocalTimeText(st.st_mtim) + "）から元に戻して宜しいですか？");
        EXPECT_EQ(ReadFile(mail), kStripped);
    }
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(RunReport, NoticesTakeTheCaptionOfTheEnglishWindow)
{
    LanguageScope english(Language::English);
    WriteIni("", "Dat1=Received\r\n");
    Start();
    const std::string mail = dir.File("s.eml");
    WriteFile(mail, kSigned);
    Drop({mail});
    prompt.answers = {false};
    Button(2)->click();
    ASSERT_EQ(prompt.shown.size(), 2u);  // the signed-mail notice, then the closing question
    EXPECT_EQ(prompt.shown[0].text, "Signed or encrypted mail kept whole:\r" + mail);
    EXPECT_EQ(prompt.shown[0].caption, "Confirm");
    EXPECT_EQ(prompt.shown[1].caption, "Confirm");
}

TEST_F(RunReport, SpeaksEnglishInTheEnglishWindow)
{
    LanguageScope english(Language::English);
    WriteIni("", "Dat1=Received\r\n");
    Start();
    const std::string mail = dir.File("a.eml");
    WriteFile(mail, kMail);
    Drop({mail});
    Button(2)->click();
    EXPECT_EQ(Report().text().toStdString(), "1 files done: " + std::to_string(kMail.size()) + " -> " +
                                                 std::to_string(kStripped.size()) +
                                                 " bytes (0 unchanged, 0 skipped, 0 protected)");
    EXPECT_EQ(RestoreItem().text().toStdString(), "Restore");
    prompt.shown.clear();
    Grid().SelectCell(1, 1);
    RestoreItem().trigger();
    ASSERT_EQ(prompt.shown.size(), 1u);
    const std::string backup = dir.File("a.bak");
    struct stat st {};
    ASSERT_EQ(::stat(backup.c_str(), &st), 0);
    EXPECT_EQ(prompt.shown[0].caption, "Confirm");
    EXPECT_EQ(prompt.shown[0].text,
              "Restore file " + mail + "\rfrom backup " + backup + " (" + LocalTimeText(st.st_mtim) + ")?");
}

}  // namespace
}  // namespace norvane::test
