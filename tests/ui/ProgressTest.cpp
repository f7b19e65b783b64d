#include "FormTestSupport.h"

#include "ui/BackgroundJob.h"
#include "ui/ProgressDialog.h"

#include <QAction>
#include <QDialog>
#include <QProgressBar>
#include <QTimer>

#include <atomic>
#include <chrono>
#include <filesystem>
#include <thread>

namespace norvane::test {
namespace {

constexpr std::string_view kMail = "Received: from a\r\nSubject: hello\r\nX-Mailer: m\r\n\r\nbody\r\n";
constexpr std::string_view kStripped = "Subject: hello\r\nX-Mailer: m\r\n\r\nbody\r\n";

// Holds a run on its own thread once `filesDone` files are done, until the
// test lets it go (or ten seconds have passed, so that a fault fails the
// test rather than hanging it).
class HeldRun {
public:
    explicit HeldRun(std::size_t filesDone)
    {
        ProgressSeam() = [this, filesDone](const JobProgress& progress) {
            if (progress.filesDone != filesDone || progress.bytesTotal != 0)
                return;
            held = true;
            const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
            while (!released && std::chrono::steady_clock::now() < until)
                std::this_thread::sleep_for(std::chrono::milliseconds(1));
        };
    }
    ~HeldRun() { ProgressSeam() = nullptr; }
    HeldRun(const HeldRun&) = delete;
    HeldRun& operator=(const HeldRun&) = delete;

    std::atomic<bool> held{false};
    std::atomic<bool> released{false};
};

// What the window showed while a run was held.
struct WhileHeld {
    bool dialogShown = false;
    std::string filesText;
    int filesBar = -1;
    bool closed = true;  // whether the window could be closed meanwhile
};

class RunProgress : public FormTest {
protected:
    // Runs command (a click) while a timer of the window's thread waits for
    // the held run's dialog, tries what a user might, then presses "中止".
    WhileHeld RunAndCancel(HeldRun& run, const std::function<void()>& command)
    {
        WhileHeld seen;
        QTimer poll;
        poll.setInterval(5);
        QObject::connect(&poll, &QTimer::timeout, [&] {
            auto* dialog = form->findChild<ProgressDialog*>(QStringLiteral("ProgressDialog"));
            if (!run.held || !dialog || !dialog->isVisible())
                return;
            poll.stop();
            QCoreApplication::sendPostedEvents();  // the update of the report held at
            seen.dialogShown = true;
            seen.filesText = dialog->findChild<QLabel*>(QStringLiteral("ProgressFiles"))->text().toStdString();
            seen.filesBar = dialog->findChild<QProgressBar*>(QStringLiteral("ProgressFilesBar"))->value();
            // The window takes no input meanwhile: neither a second run nor
            // a close.
            QTest::mouseClick(Button(3), Qt::LeftButton);
            seen.closed = form->close();
            dialog->findChild<QPushButton*>(QStringLiteral("ProgressCancel"))->click();
            run.released = true;
        });
        poll.start();
        command();
        run.released = true;
        return seen;
    }
};

TEST_F(RunProgress, ASlowVeskShowsTheDialogAndItsCancelStopsTheRunWhereItWas)
{
    WriteIni("", "Dat1=Received\r\n");
    Start();
    const auto paths = DropThree(kMail);
    HeldRun run(1);
    const WhileHeld seen = RunAndCancel(run, [&] { Button(2)->click(); });

    EXPECT_TRUE(seen.dialogShown);
    EXPECT_EQ(seen.filesText, "1 / 3 ファイル");
    EXPECT_EQ(seen.filesBar, 1);
    EXPECT_FALSE(seen.closed);
    EXPECT_TRUE(form->isVisible());
    EXPECT_TRUE(dialogs.errors.empty());
    // No closing question: the notice says how far the run came.
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].kind, PromptKind::Notice);
    EXPECT_EQ(prompt.shown[0].text, "中止しました：3 件中 1 件処理しました");
    EXPECT_EQ(ReadFile(paths[0]), kStripped);
    EXPECT_EQ(ReadFile(paths[1]), kMail);
    EXPECT_EQ(ReadFile(paths[2]), kMail);
    EXPECT_EQ(ListFolder(dir.Path()), "norvane.ini one.bak one.eml three.eml two.eml ");
    // The click on Analyze meanwhile was dropped.
    EXPECT_EQ(Column(2), (Cells{"", "", ""}));
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
    EXPECT_EQ(form->findChild<ProgressDialog*>(), nullptr);
}

TEST_F(RunProgress, ASlowAnalyzeCancelledLeavesTheGridAsItWas)
{
    WriteIni("", "Dat1=Received\r\n");
    Start();
    DropThree(kMail);
    HeldRun run(2);
    const WhileHeld seen = RunAndCancel(run, [&] { Button(3)->click(); });
    EXPECT_TRUE(seen.dialogShown);
    EXPECT_EQ(seen.filesText, "2 / 3 ファイル");
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "中止しました：3 件中 2 件処理しました");
    EXPECT_EQ(Grid().Cell(2, 0), "MailHedarKey");
    EXPECT_EQ(Column(2), (Cells{"", "", ""}));
    EXPECT_TRUE(dialogs.errors.empty());
}

TEST_F(RunProgress, ASlowPreviewShowsTheDialogAndItsCancelOpensNoPreview)
{
    WriteIni("", "Dat1=Received\r\n");
    Start();
    const auto paths = DropThree(kMail);
    Grid().setRangeSelected(QTableWidgetSelectionRange(0, 0, 2, 0), true);
    form->PopupMenu1Popup();
    QAction* item = form->findChild<QAction*>(QStringLiteral("PPreview"));
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    HeldRun run(1);
    const WhileHeld seen = RunAndCancel(run, [&] { item->trigger(); });

    EXPECT_TRUE(seen.dialogShown);
    EXPECT_EQ(seen.filesText, "1 / 3 ファイル");
    EXPECT_FALSE(seen.closed);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].kind, PromptKind::Notice);
    EXPECT_EQ(prompt.shown[0].text, "中止しました：3 件中 1 件処理しました");
    EXPECT_EQ(form->findChild<QDialog*>(QStringLiteral("PreviewDialog")), nullptr);
    for (const auto& path : paths)
        EXPECT_EQ(ReadFile(path), kMail);
    EXPECT_EQ(ListFolder(dir.Path()), "norvane.ini one.eml three.eml two.eml ");
    EXPECT_EQ(Column(2), (Cells{"", "", ""}));
    EXPECT_TRUE(dialogs.errors.empty());
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

TEST_F(RunProgress, AQuickRunShowsNoDialog)
{
    WriteIni("", "Dat1=Received\r\n");
    Start();
    const auto paths = DropThree(kMail);
    bool shown = false;
    QTimer poll;
    poll.setInterval(0);
    QObject::connect(&poll, &QTimer::timeout, [&] {
        if (auto* dialog = form->findChild<ProgressDialog*>(); dialog && dialog->isVisible())
            shown = true;
    });
    poll.start();
    prompt.answers = {false};
    Button(2)->click();
    EXPECT_FALSE(shown);
    ASSERT_EQ(prompt.shown.size(), 1u);
    EXPECT_EQ(prompt.shown[0].text, "ヴェスクしました！\r\r確認しますか？");
    EXPECT_EQ(ReadFile(paths[2]), kStripped);
}

TEST(ProgressDialog, ShowsFilesAlwaysAndBytesOnlyOfALargeFile)
{
    struct Case {
        const char* name;
        JobProgress progress;
        const char* files;
        const char* bytes;
        int bytesBar;
    };
    const Case cases[] = {
        {"between files", {2, 5, 0, 0}, "2 / 5 ファイル", "", 0},
        {"a small file", {2, 5, 1000, 4000}, "2 / 5 ファイル", "", 0},
        {"a large file", {0, 1, 3u << 20, 12u << 20}, "0 / 1 ファイル", "3.0 / 12.0 MB", 3 << 10},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        ProgressDialog dialog(QStringLiteral("t"));
        dialog.SetProgress(c.progress.filesDone, c.progress.filesTotal, c.progress.bytesDone, c.progress.bytesTotal);
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("ProgressFiles"))->text().toStdString(), c.files);
        EXPECT_EQ(dialog.findChild<QLabel*>(QStringLiteral("ProgressBytes"))->text().toStdString(), c.bytes);
        EXPECT_EQ(dialog.findChild<QProgressBar*>(QStringLiteral("ProgressBytesBar"))->value(), c.bytesBar);
    }
    // Cancel is asked once, and the dialog stays until the run closes it.
    ProgressDialog dialog(QStringLiteral("t"));
    int asked = 0;
    QObject::connect(&dialog, &ProgressDialog::CancelRequested, [&] { ++asked; });
    dialog.show();
    dialog.findChild<QPushButton*>(QStringLiteral("ProgressCancel"))->click();
    dialog.reject();
    EXPECT_EQ(asked, 1);
    EXPECT_TRUE(dialog.isVisible());
    EXPECT_TRUE(dialog.CancelAsked());
    EXPECT_FALSE(dialog.findChild<QPushButton*>(QStringLiteral("ProgressCancel"))->isEnabled());
}

}  // namespace
}  // namespace norvane::test
