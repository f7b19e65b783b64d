#include "ui/FolderChooser.h"
#include "ui/QtCursorScreen.h"
#include "ui/QtPrompt.h"

#include <QApplication>
#include <QFileDialog>
#include <QMessageBox>
#include <QPushButton>
#include <QTimer>

#include <gtest/gtest.h>

namespace norvane::test {
namespace {

// Answers the next modal message box with its default button and notes it.
struct BoxSeen {
    QString text;
    Qt::TextFormat format = Qt::AutoText;
    QMessageBox::Icon icon = QMessageBox::NoIcon;
    QString caption;
};

void AnswerNextBoxWithDefault(BoxSeen& seen)
{
    QTimer::singleShot(0, [&seen] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        ASSERT_NE(box, nullptr);
        seen = {box->text(), box->textFormat(), box->icon(), box->windowTitle()};
        box->defaultButton()->click();
    });
}

TEST(QtPrompt, ShowsPlainTextWithLineBreaksAndYesAsDefault)
{
    QtPrompt prompt;
    BoxSeen seen;
    AnswerNextBoxWithDefault(seen);
    EXPECT_TRUE(prompt.Show(PromptKind::Question, "確認", "<b>a</b>\r\rline？"));
    EXPECT_EQ(seen.text, QStringLiteral("<b>a</b>\n\nline？"));
    EXPECT_EQ(seen.format, Qt::PlainText);
    EXPECT_EQ(seen.icon, QMessageBox::Question);
    EXPECT_EQ(seen.caption, QStringLiteral("確認"));

    AnswerNextBoxWithDefault(seen);
    EXPECT_FALSE(prompt.Show(PromptKind::Notice, "確認", "\"k\"\r\r登録しました！"));
    EXPECT_EQ(seen.icon, QMessageBox::Warning);
}

TEST(QtCursorScreen, BusyCursorIsOneOverrideRestoredOnce)
{
    QtCursorScreen screen;
    screen.SetCursor(kHourGlassCursor);
    screen.SetCursor(kHourGlassCursor);
    ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
    screen.SetCursor(kDefaultCursor);
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(screen.Cursor(), kDefaultCursor);
}

TEST(QtFolderChooser, QtsOwnDialogForFoldersOnlyAtTheStartFolder)
{
    const auto dialog = QtFolderChooser::MakeFolderDialog(nullptr, "/tmp");
    EXPECT_TRUE(dialog->testOption(QFileDialog::DontUseNativeDialog));
    EXPECT_TRUE(dialog->testOption(QFileDialog::ShowDirsOnly));
    EXPECT_EQ(dialog->fileMode(), QFileDialog::Directory);
    EXPECT_EQ(dialog->directory().absolutePath(), QStringLiteral("/tmp"));
}

}  // namespace
}  // namespace norvane::test
