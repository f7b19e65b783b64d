#include "FormTestSupport.h"

#include "settings/IniFile.h"
#include "ui/ExtraPage.h"
#include "ui/FolderChooser.h"

#include <QHBoxLayout>
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

// Answers the folder chooser instead of a user and keeps where it started.
class RecordingFolderChooser : public FolderChooser {
public:
    bool ChooseFolder(QWidget*, const std::string& startFolder, std::string& folder) override
    {
        starts.push_back(startFolder);
        if (!confirm)
            return false;
        folder = chosen;
        return true;
    }

    std::vector<std::string> starts;
    std::string chosen;
    bool confirm = true;
};

class SavingOptions : public ExtraOptionsPage {
protected:
    QLineEdit* Folder() const { return Widget<QLineEdit>("EditAttachmentFolder"); }
    QPushButton* Browse() const { return Widget<QPushButton>("ButtonAttachmentFolder"); }

    // Enabled or not: the saving box, its folder field and button, the note box.
    std::string Enabled() const
    {
        std::string enabled;
        for (const QWidget* w : std::initializer_list<const QWidget*>{Extra("SaveAttachments"), Folder(), Browse(),
                                                                      Extra("RemovalNote")})
            enabled += w->isEnabled() ? '1' : '0';
        return enabled;
    }

    // The folder exactly as stored, not cut.
    std::string StoredFolder() const
    {
        return IniFile::Load(Ini()).Find("norvane", "AttachmentFolder").value_or("(missing)");
    }

    RecordingFolderChooser chooser;
    FolderChooserScope chooserScope{&chooser};
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

namespace norvane::test {
namespace {

TEST_F(SavingOptions, TheSavingRowAndTheNoteBoxFollowTheOptionsInTheLayout)
{
    Start();
    auto* layout = qobject_cast<QVBoxLayout*>(Widget<QTabWidget>("PageControl1")->widget(2)->layout());
    ASSERT_NE(layout, nullptr);
    EXPECT_EQ(layout->itemAt(4)->widget(), Extra("SaveAttachments"));
    auto* row = qobject_cast<QHBoxLayout*>(layout->itemAt(5)->layout());
    ASSERT_NE(row, nullptr);
    EXPECT_EQ(row->itemAt(0)->widget(), Folder());
    EXPECT_EQ(row->itemAt(1)->widget(), Browse());
    EXPECT_EQ(layout->itemAt(6)->widget(), Extra("RemovalNote"));
    EXPECT_EQ(Extra("SaveAttachments")->text().toStdString(), "添付ファイルを保存");
    EXPECT_EQ(Extra("RemovalNote")->text().toStdString(), "削除の記録を残す");
    EXPECT_EQ(Browse()->text().toStdString(), "参照…");
    for (const QWidget* w : std::initializer_list<const QWidget*>{Extra("SaveAttachments"), Extra("RemovalNote"),
                                                                  Folder(), Browse()}) {
        SCOPED_TRACE(w->objectName().toStdString());
        EXPECT_FALSE(w->toolTip().isEmpty());
        EXPECT_FALSE(w->toolTip().contains(QLatin1Char('\n')));
    }
    // The field and button stand right of the box's tick, under its caption.
    EXPECT_GT(row->contentsMargins().left(), 0);
}

TEST_F(SavingOptions, EnabledOnlyWithAttachmentRemovalAndTheNoteOnlyWithTracesKept)
{
    struct Case {
        const char* name;
        const char* stored;
        const char* enabled;  // see Enabled()
    } cases[] = {
        {"no removal", "ChkBFlg=0x00\r\n", "0000"},
        {"no removal, saving ticked", "ChkBFlg=0x00\r\nSaveAttachments=1\r\n", "0000"},
        {"traces ticked without removal", "ChkBFlg=0x20\r\nSaveAttachments=1\r\n", "0000"},
        {"removal", "ChkBFlg=0x10\r\n", "1001"},
        {"removal and saving", "ChkBFlg=0x10\r\nSaveAttachments=1\r\n", "1111"},
        {"removal and traces", "ChkBFlg=0x30\r\n", "1000"},
        {"removal, traces and saving", "ChkBFlg=0x30\r\nSaveAttachments=1\r\n", "1110"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        WriteIni(c.stored);
        Start();
        EXPECT_EQ(Enabled(), c.enabled);
        Close();
        ResetSettings();
    }
}

TEST_F(SavingOptions, ClicksOnEitherPageChangeWhatIsEnabledAndTicksStay)
{
    WriteIni("ChkBFlg=0x00\r\n");
    Start();
    EXPECT_EQ(Enabled(), "0000");
    Box(5)->click();
    EXPECT_EQ(Enabled(), "1001");
    Extra("SaveAttachments")->click();
    EXPECT_EQ(Enabled(), "1111");
    Extra("RemovalNote")->click();
    Box(6)->click();
    EXPECT_EQ(Enabled(), "1110");
    Box(6)->click();
    EXPECT_EQ(Enabled(), "1111");
    Box(5)->click();
    EXPECT_EQ(Enabled(), "0000");
    // Disabled boxes keep their ticks, and they are stored.
    EXPECT_TRUE(Extra("SaveAttachments")->isChecked());
    EXPECT_FALSE(Extra("RemovalNote")->isChecked());
    Extra("SaveAttachments")->setChecked(false);
    Box(5)->click();
    EXPECT_EQ(Enabled(), "1001");
    Extra("SaveAttachments")->setChecked(true);
    Close();
    EXPECT_EQ(Stored("SaveAttachments"), "1");
    EXPECT_EQ(Stored("RemovalNote"), "0");
    EXPECT_EQ(Stored("ChkBFlg"), "0x10");
}

TEST_F(SavingOptions, TheStoredFolderComesBackByteForByte)
{
    const std::string folders[] = {
        "",
        "/home/ann/Mail/saved",
        "  blanks at both ends  ",
        "a=b;c",
        ";starts like a comment",
        "\"quoted\"",
        "/\xE6\xB7\xBB\xE4\xBB\x98/utf-8",
        "/not utf-8 \x82\xA0\xFF\xFE",
        std::string(300, 'x'),
    };
    for (const auto& folder : folders) {
        SCOPED_TRACE(folder);
        WriteFile(Ini(), "");
        IniFile file;
        file.SetString("norvane", "OpnWait", "0");
        file.SetString("norvane", "ChkBFlg", "0x10");
        file.SetString("norvane", "SaveAttachments", "1");
        file.SetString("norvane", "AttachmentFolder", folder);
        file.Save(Ini());
        Start();
        EXPECT_EQ(Folder()->text(), QFile::decodeName(QByteArray::fromStdString(folder)));
        Close();
        EXPECT_EQ(StoredFolder(), folder);
        ResetSettings();
    }
}

TEST_F(SavingOptions, AnEditedFolderIsStoredAsTyped)
{
    WriteIni("ChkBFlg=0x10\r\nSaveAttachments=1\r\nAttachmentFolder=/old\xFF\r\n");
    Start();
    Folder()->setText(QStringLiteral(" /新しい/dir "));
    Close();
    EXPECT_EQ(StoredFolder(), " /\xE6\x96\xB0\xE3\x81\x97\xE3\x81\x84/dir ");
}

TEST_F(SavingOptions, TheBrowseButtonAsksTheFolderChooser)
{
    WriteIni("ChkBFlg=0x10\r\nSaveAttachments=1\r\nPath=/last/folder\r\n");
    Start();
    // An empty field starts at the folder of the latest selection.
    chooser.chosen = "/chosen/\x82\xA0";
    Browse()->click();
    EXPECT_EQ(Folder()->text(), QFile::decodeName("/chosen/\x82\xA0"));
    // Otherwise at the field's folder; a cancel keeps it.
    chooser.confirm = false;
    Browse()->click();
    ASSERT_EQ(chooser.starts.size(), 2u);
    EXPECT_EQ(chooser.starts[0], "/last/folder");
    EXPECT_EQ(chooser.starts[1], "/chosen/\x82\xA0");
    Close();
    EXPECT_EQ(StoredFolder(), "/chosen/\x82\xA0");
}

}  // namespace
}  // namespace norvane::test
