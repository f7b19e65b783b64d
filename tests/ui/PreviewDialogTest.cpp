#include "FormTestSupport.h"

#include <QAction>
#include <QDialog>
#include <QPlainTextEdit>

#include <filesystem>

namespace norvane::test {
namespace {

namespace fs = std::filesystem;

const std::string kMail =
    "Received: from a\n\tby b\nSubject: s\nContent-Type: multipart/mixed; boundary=\"b\";\n"
    "\tcharset=iso-2022-jp\n\n--b\nContent-Type: text/plain\n\ntext\n--b\n"
    "Content-Type: application/octet-stream; name=\"x.bin\"\nContent-Transfer-Encoding: base64\n"
    "Content-Disposition: attachment; filename=\"x.bin\"\n\n"
    "QUJDREVGR0hJSktMTU5PUFFSU1RVVldYWVo=\nQUJD\n--b--\n\n\n";

class Preview : public FormTest {
protected:
    QAction* Item(const char* name) const { return form->findChild<QAction*>(QString::fromLatin1(name)); }

    QDialog* Dialog() const { return form->findChild<QDialog*>(QStringLiteral("PreviewDialog")); }
    static std::string Shown(QDialog* dialog)
    {
        const auto* text = dialog->findChild<QPlainTextEdit*>(QStringLiteral("Changes"));
        return text ? text->toPlainText().toStdString() : std::string();
    }
};

TEST_F(Preview, FromThePopupMenuListsWhatVeskWouldRemoveAndWritesNothing)
{
    struct Case {
        const char* name;
        const char* end;
    };
    const Case cases[] = {{"CR LF", "\r\n"}, {"LF", "\n"}, {"CR", "\r"}};
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        const fs::path mail = dir.Path() / "mail";
        fs::remove_all(mail);
        fs::create_directories(mail);
        std::string text;
        for (const char ch : kMail)
            ch == '\n' ? text.append(c.end) : text.append(1, ch);
        WriteFile((mail / "a.eml").string(), text);
        WriteFile((mail / "b.eml").string(), "Subject: s\r\n\r\nbody\r\n");
        WriteIni("SaveAttachments=1\r\n", "Dat1=Received\r\n");
        Start();
        Drop({(mail / "a.eml").string(), (mail / "b.eml").string()});
        Box(1)->setChecked(true);  // BackUp: still no backup
        Box(4)->setChecked(true);  // auto-registration: still nothing saved
        Box(5)->setChecked(true);  // attachments
        const std::string mailBefore = FolderState(mail);
        const std::string iniBefore = ReadFile(Ini());

        Grid().SelectCell(1, 1);
        form->PopupMenu1Popup();
        ASSERT_TRUE(Item("PPreview")->isEnabled());
        Item("PPreview")->trigger();
        QDialog* dialog = Dialog();
        ASSERT_NE(dialog, nullptr);
        EXPECT_TRUE(dialog->isVisible());
        const std::string shown = Shown(dialog);
        EXPECT_EQ(FolderState(mail), mailBefore);
        EXPECT_EQ(ReadFile(Ini()), iniBefore);

        for (const char* expected :
             {"a.eml", "ヘッダー行: 2", "1 行目: ヘッダー行の削除 (2 行)", "    - Received: from a\n    - \tby b\n",
              "charset 行の結合", "    + Content-Type: multipart/mixed; boundary=\"b\"; charset=iso-2022-jp",
              "添付ファイルの削除 (2 行, ", "    - QUJD\n", "空行の削除 (2 行)", "自動登録されるキー: Subject"}) {
            EXPECT_NE(shown.find(expected), std::string::npos) << expected << "\n" << shown;
        }
        // The attachment's file and its note, as a run would make them.
        for (const std::string& expected :
             {"保存される添付ファイル: " + (mail / "a.eml.attachments/x.bin").string(),
              std::string("    + X-Norvane-Removed: 29 bytes; sha256=")}) {
            EXPECT_NE(shown.find(expected), std::string::npos) << expected << "\n" << shown;
        }
        // Only the selected row's file.
        EXPECT_EQ(shown.find("b.eml"), std::string::npos) << shown;
        EXPECT_EQ(shown.find("改行コードの変更") != std::string::npos, std::string_view(c.end) != "\r\n") << shown;
        dialog->close();
        Close();
    }
}

TEST_F(Preview, EnabledLikeDeleteAndActsOnEverySelectedRow)
{
    const fs::path mail = dir.Path() / "mail";
    fs::create_directories(mail);
    WriteFile((mail / "a.eml").string(), "Received: r\r\n\r\nbody\r\n");
    WriteFile((mail / "b.eml").string(), "Subject: s\nReceived: r\n\nbody\n");
    WriteIni("", "Dat1=Received\r\n");
    Start();
    Drop({(mail / "a.eml").string(), (mail / "b.eml").string()});

    Grid().SelectCell(2, 1);  // a key cell: no file
    form->PopupMenu1Popup();
    EXPECT_FALSE(Item("PPreview")->isEnabled());
    EXPECT_EQ(Item("PPreview")->isEnabled(), Item("PDelete")->isEnabled());

    Grid().setRangeSelected(QTableWidgetSelectionRange(0, 0, 1, 0), true);
    form->PopupMenu1Popup();
    ASSERT_TRUE(Item("PPreview")->isEnabled());
    Item("PPreview")->trigger();
    ASSERT_NE(Dialog(), nullptr);
    const std::string shown = Shown(Dialog());
    const auto a = shown.find("a.eml");
    const auto b = shown.find("b.eml");
    EXPECT_NE(a, std::string::npos) << shown;
    EXPECT_NE(b, std::string::npos) << shown;
    EXPECT_LT(a, b);
    EXPECT_NE(shown.find("    - Received: r"), std::string::npos) << shown;
    EXPECT_EQ(ReadFile((mail / "a.eml").string()), "Received: r\r\n\r\nbody\r\n");
}

}  // namespace
}  // namespace norvane::test
