#include "FormTestSupport.h"
#include "LanguageSupport.h"

#include "controls/AboutG3F.h"
#include "ui/QtFormDialogs.h"
#include "ui/QtPrompt.h"

#include <QDialogButtonBox>
#include <QFileDialog>
#include <QMessageBox>
#include <QTabWidget>

#include <map>
#include <set>

namespace norvane::test {

namespace {

const char* Name(Language language)
{
    return language == Language::Japanese ? "Japanese" : "English";
}

std::string Bytes(const QString& text)
{
    return text.toStdString();
}

// The English translations that differ from their Japanese source.
std::set<QString> EnglishOnlyTexts()
{
    std::set<QString> texts;
    for (const TsMessage& message : ReadTs(EnglishTs()))
        if (message.translation != message.source)
            texts.insert(message.translation);
    return texts;
}

class WindowLanguage : public FormTest {
protected:
    // Started on a mail and analyzed, so the grid's headers carry counts.
    void StartAnalyzed()
    {
        WriteIni("ChkBFlg=0x02\r\n", "Dat1=Received\r\n");
        const std::string mail = dir.File("a.eml");
        WriteFile(mail, "Received: x\r\nSubject: s\r\n\r\nbody\r\n");
        Start({mail});
        form->Button3Click();
    }

    std::vector<ShownText> Texts() const
    {
        auto texts = ShownTexts(*form);
        for (int col = 0; col < Grid().ColCount(); ++col)
            texts.push_back({QStringLiteral("header %1").arg(col), QString::fromStdString(Grid().Cell(col, 0))});
        return texts;
    }
};

}  // namespace

TEST(TranslationFile, EnglishIsCompleteAndHoldsTheCoresForms)
{
    QString language;
    const std::vector<TsMessage> messages = ReadTs(EnglishTs(), &language);
    ASSERT_GT(messages.size(), 40u) << Bytes(EnglishTs());
    EXPECT_TRUE(language.startsWith(QLatin1String("en"))) << Bytes(language);
    std::map<std::string, std::string> core;
    for (const TsMessage& message : messages) {
        SCOPED_TRACE(Bytes(message.context + QLatin1Char(' ') + message.source));
        EXPECT_EQ(Bytes(message.type), "");
        EXPECT_FALSE(message.translation.isEmpty());
        EXPECT_FALSE(HasJapanese(message.translation)) << Bytes(message.translation);
        // Placeholders and line breaks carry over.
        EXPECT_EQ(message.translation.count(QLatin1String("%1")), message.source.count(QLatin1String("%1")));
        EXPECT_EQ(message.translation.count(QLatin1Char('\n')), message.source.count(QLatin1Char('\n')));
        if (message.context == QLatin1String(kCoreMessageContext.data(), kCoreMessageContext.size()))
            core[Bytes(message.source)] = Bytes(message.translation);
    }
    // The core's table and the file agree entry for entry.
    std::map<std::string, std::string> table;
    for (const MessageForms& forms : CoreMessageForms())
        table[std::string(forms.japanese)] = std::string(forms.english);
    EXPECT_EQ(core, table);
}

TEST_F(WindowLanguage, EnglishShowsEveryTextInEnglish)
{
    LanguageScope english(Language::English);
    StartAnalyzed();
    const auto texts = Texts();
    EXPECT_GT(texts.size(), 35u);
    for (const ShownText& shown : texts)
        EXPECT_FALSE(HasJapanese(shown.text)) << Bytes(shown.where) << ": " << Bytes(shown.text);
    EXPECT_EQ(Box(3)->text(), QStringLiteral("All text"));
    EXPECT_EQ(Grid().Cell(2, 0), "Header key: 2");
    EXPECT_EQ(Grid().Cell(4, 0), "Mark");
    std::string hint = Bytes(Box(1)->toolTip());
    QPoint at;
    form->AppShowHint(hint, Box(1), QPoint(1, 1), at);
    EXPECT_EQ(hint, " Keeps a backup copy of each file. ");
}

TEST_F(WindowLanguage, JapaneseShowsTheDesignedTextsAndNoEnglishOne)
{
    LanguageScope japanese(Language::Japanese);
    StartAnalyzed();
    const auto english = EnglishOnlyTexts();
    ASSERT_FALSE(english.empty());
    const auto texts = Texts();
    EXPECT_GT(texts.size(), 35u);
    for (const ShownText& shown : texts)
        EXPECT_EQ(english.count(shown.text), 0u) << Bytes(shown.where) << ": " << Bytes(shown.text);
    EXPECT_EQ(Box(3)->text(), QStringLiteral("全文章"));
    EXPECT_EQ(Grid().Cell(2, 0), "MailHedarKey: 2");
    EXPECT_EQ(Grid().Cell(4, 0), "Key");
}

TEST(DialogLanguage, TheAboutBoxMessageBoxesAndTheFileDialogSpeakTheLanguage)
{
    struct Case {
        Language language;
        const char* caption;
        const char* question;
        const char* yes;
        const char* no;
        const char* fileName;
        const char* fileType;
        const char* lookIn;
    };
    const Case cases[] = {
        {Language::Japanese, "確認", "X-Key\n\n登録して宜しいですか？", "はい(&Y)", "いいえ(&N)", "ファイル名(&N):",
         "ファイルの種類:", "アドレス:"},
        {Language::English, "Confirm", "X-Key\n\nRegister this key?", "&Yes", "&No", "File &name:", "Files of type:",
         "Look in:"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(Name(c.language));
        LanguageScope scope(c.language);
        const ComposedMessage message = ComposeMessage(MessageCode::AskRegister, "X-Key");
        const auto question = QtPrompt::MakeBox(message.kind, message.caption, message.text, nullptr);
        EXPECT_EQ(Bytes(question->windowTitle()), c.caption);
        EXPECT_EQ(Bytes(question->text()), c.question);
        EXPECT_EQ(Bytes(question->button(QMessageBox::Yes)->text()), c.yes);
        EXPECT_EQ(Bytes(question->button(QMessageBox::No)->text()), c.no);
        const auto notice = QtPrompt::MakeBox(PromptKind::Notice, "", "", nullptr);
        EXPECT_EQ(Bytes(notice->button(QMessageBox::Ok)->text()), "OK");

        const auto dialog = QtFormDialogs::MakeFileDialog(nullptr, "Mail (*.eml)", "/");
        EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
        const auto label = [&](const char* name) {
            const auto* found = dialog->findChild<QLabel*>(QLatin1String(name));
            return found ? Bytes(found->text()) : std::string("(none)");
        };
        EXPECT_EQ(label("fileNameLabel"), c.fileName);
        EXPECT_EQ(label("fileTypeLabel"), c.fileType);
        EXPECT_EQ(label("lookInLabel"), c.lookIn);
        const auto* buttons = dialog->findChild<QDialogButtonBox*>();
        ASSERT_NE(buttons, nullptr);
        const bool japanese = c.language == Language::Japanese;
        for (const QAbstractButton* button : buttons->buttons())
            EXPECT_EQ(HasJapanese(button->text()), japanese) << Bytes(button->text());

        // The About box's title and hints are its Japanese texts; names and
        // addresses read the same in both languages.
        TAboutG3F about(false);
        EXPECT_EQ(about.Form().LabelG3D2->text(), QStringLiteral("Version " NORVANE_VERSION));
        for (const ShownText& shown : ShownTexts(about)) {
            const bool japaneseText = shown.where.endsWith(QLatin1String("toolTip")) ||
                                      shown.where.endsWith(QLatin1String("windowTitle"));
            EXPECT_EQ(HasJapanese(shown.text), japanese && japaneseText) << Bytes(shown.where);
        }
    }
}

}  // namespace norvane::test
