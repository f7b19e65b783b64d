#include "FormTestSupport.h"

#include "settings/IniFile.h"
#include "ui/ExtraPage.h"

#include <QTabWidget>
#include <QVBoxLayout>

namespace norvane::test {
namespace {

constexpr std::string_view kMail = "Received: r\r\nSubject: s\r\n\r\nbody\r\n";

class ExtraOptionsPage : public FormTest {
protected:
    QCheckBox* Extra(const char* key) const { return Widget<QCheckBox>((std::string("CheckBox") + key).c_str()); }

    // The ticks of the Extra page in its order, then "全文章".
    std::string Ticks() const
    {
        std::string ticks;
        for (const char* key : {"ProtectSigned", "AnyCase", "EveryMessage", "KeepLineEnds"})
            ticks += Extra(key)->isChecked() ? '1' : '0';
        return ticks + (Box(3)->isChecked() ? " 1" : " 0");
    }

    std::string Stored(const char* key) const { return IniFile::Load(Ini()).GetString("norvane", key, "-"); }
};

TEST_F(ExtraOptionsPage, ThirdTabWithOneBoxPerOptionInALayout)
{
    Start();
    auto* tabs = Widget<QTabWidget>("PageControl1");
    ASSERT_EQ(tabs->count(), 3);
    EXPECT_EQ(tabs->tabText(1).toStdString(), "Option");
    EXPECT_EQ(tabs->tabText(2).toStdString(), "Extra");
    QWidget* page = tabs->widget(2);
    auto* layout = qobject_cast<QVBoxLayout*>(page->layout());
    ASSERT_NE(layout, nullptr);
    const char* const expected[][2] = {
        {"ProtectSigned", "署名・暗号メールを保護"},
        {"AnyCase", "小文字のヘッダーキーも対象"},
        {"EveryMessage", "全メッセージのヘッダー"},
        {"KeepLineEnds", "改行コードを保持"},
    };
    for (int i = 0; i < 4; ++i) {
        SCOPED_TRACE(expected[i][0]);
        auto* box = qobject_cast<QCheckBox*>(layout->itemAt(i)->widget());
        ASSERT_NE(box, nullptr);
        EXPECT_EQ(box, Extra(expected[i][0]));
        EXPECT_EQ(box->text().toStdString(), expected[i][1]);
        EXPECT_FALSE(box->toolTip().isEmpty());
        EXPECT_FALSE(box->toolTip().contains(QLatin1Char('\n')));  // hints break lines with CR
    }
    // The designed pages keep their boxes.
    EXPECT_EQ(Box(3)->parentWidget()->objectName().toStdString(), "Panel2");
}

TEST_F(ExtraOptionsPage, TicksComeFromTheSettingsAndGoBackAtClose)
{
    struct Case {
        const char* name;
        const char* stored;
        const char* ticks;
    } cases[] = {
        {"no keys: defaults", "ChkBFlg=0x00\r\n", "1100 0"},
        {"all-text bit", "ChkBFlg=0x04\r\n", "1100 1"},
        {"every key", "ChkBFlg=0x00\r\nProtectSigned=0\r\nAnyCase=0\r\nEveryMessage=1\r\nKeepLineEnds=1\r\n", "0011 0"},
        {"EveryMessage wins over the bit", "ChkBFlg=0x04\r\nEveryMessage=1\r\n", "1110 0"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.stored);
        Start();
        EXPECT_EQ(Ticks(), c.ticks);
        Close();
        // What was read is written back as read.
        Start();
        EXPECT_EQ(Ticks(), c.ticks);
        Close();
        ResetSettings();
    }
}

TEST_F(ExtraOptionsPage, ChangedTicksAreStored)
{
    WriteIni("ChkBFlg=0x05\r\n");
    Start();
    Extra("ProtectSigned")->setChecked(false);
    Extra("KeepLineEnds")->setChecked(true);
    Close();
    EXPECT_EQ(Stored("ProtectSigned"), "0");
    EXPECT_EQ(Stored("AnyCase"), "1");
    EXPECT_EQ(Stored("EveryMessage"), "0");
    EXPECT_EQ(Stored("KeepLineEnds"), "1");
    EXPECT_EQ(Stored("ChkBFlg"), "0x05");
}

TEST_F(ExtraOptionsPage, EveryMessageAndAllTextExcludeEachOther)
{
    WriteIni("ChkBFlg=0x05\r\n");
    Start();
    EXPECT_EQ(Ticks(), "1100 1");
    Extra("EveryMessage")->click();
    EXPECT_EQ(Ticks(), "1110 0");
    Box(3)->click();
    EXPECT_EQ(Ticks(), "1100 1");
    Extra("EveryMessage")->click();
    EXPECT_EQ(Ticks(), "1110 0");
    // Unticking one leaves the other as it is.
    Extra("EveryMessage")->click();
    EXPECT_EQ(Ticks(), "1100 0");
    Extra("EveryMessage")->click();
    Close();
    EXPECT_EQ(Stored("EveryMessage"), "1");
    EXPECT_EQ(Stored("ChkBFlg"), "0x01");
}

TEST_F(ExtraOptionsPage, DroppedFoldersAreSkipped)
{
    WriteIni("ChkBFlg=0x00\r\n", "Dat1=Received\r\n");
    TForm1& f = Start();
    std::filesystem::create_directory(dir.File("folder.eml"));
    WriteFile(dir.File("a.eml"), kMail);
    Drop({dir.File("folder.eml"), dir.File("a.eml")});
    EXPECT_EQ(f.SelectedFiles(), std::vector<std::string>{dir.File("a.eml")});
    EXPECT_EQ(Grid().Cell(1, 0), "FileName: 1");
    EXPECT_EQ(Grid().Cell(1, 1), "a.eml");
    Button(2)->click();
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(ReadFile(dir.File("a.eml")), "Subject: s\r\n\r\nbody\r\n");
}

TEST_F(ExtraOptionsPage, AnUnchangedFileIsNoError)
{
    WriteIni("ChkBFlg=0x01\r\n", "Dat1=Received\r\n");
    Start();
    const std::string done = "Subject: s\r\n\r\nbody\r\n";
    WriteFile(dir.File("done.eml"), done);
    WriteFile(dir.File("b.eml"), kMail);
    Drop({dir.File("done.eml"), dir.File("b.eml")});
    Button(2)->click();
    EXPECT_TRUE(dialogs.errors.empty());
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "ヴェスクしました！\r\r確認しますか？");
    EXPECT_EQ(ReadFile(dir.File("done.eml")), done);
    EXPECT_FALSE(std::filesystem::exists(dir.File("done.bak")));
    EXPECT_EQ(ReadFile(dir.File("b.eml")), done);
}

}  // namespace
}  // namespace norvane::test
