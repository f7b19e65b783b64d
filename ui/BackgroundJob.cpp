#include "ui/BackgroundJob.h"

#include "ui/ProgressDialog.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QWidget>
#include <QWindow>

#include <condition_variable>
#include <exception>
#include <thread>

namespace norvane {

namespace {

// Drops user input to everything but the progress dialog while it lives,
// and keeps the other windows from being closed.
class InputHold final : public QObject {
public:
    explicit InputHold(const QWidget& dialog) : dialog_(dialog) { qApp->installEventFilter(this); }
    ~InputHold() override { qApp->removeEventFilter(this); }
    InputHold(const InputHold&) = delete;
    InputHold& operator=(const InputHold&) = delete;

protected:
    bool eventFilter(QObject* watched, QEvent* event) override
    {
        switch (event->type()) {
        case QEvent::MouseButtonPress:
        case QEvent::MouseButtonRelease:
        case QEvent::MouseButtonDblClick:
        case QEvent::Wheel:
        case QEvent::KeyPress:
        case QEvent::KeyRelease:
        case QEvent::ShortcutOverride:
        case QEvent::Shortcut:
        case QEvent::ContextMenu:
        case QEvent::DragEnter:
        case QEvent::DragMove:
        case QEvent::Drop:
        case QEvent::TouchBegin:
        case QEvent::TouchUpdate:
        case QEvent::TouchEnd:
        case QEvent::Close:
            if (InDialog(watched))
                return false;
            // An event merely filtered out would count as accepted: a close
            // would go ahead.
            event->ignore();
            return true;
        default:
            return false;
        }
    }

private:
    bool InDialog(const QObject* watched) const
    {
        if (const auto* widget = qobject_cast<const QWidget*>(watched))
            return widget->window() == &dialog_;
        if (const auto* window = qobject_cast<const QWindow*>(watched))
            return window == dialog_.windowHandle();
        return false;
    }

    const QWidget& dialog_;
};

}  // namespace

std::chrono::milliseconds& BackgroundJob::Delay()
{
    static std::chrono::milliseconds delay(500);
    return delay;
}

BackgroundJob::BackgroundJob(QWidget& window, QString title) : window_(window), title_(std::move(title)) {}

void BackgroundJob::Run(std::size_t filesTotal, const std::function<void(JobObserver&)>& job)
{
    cancel_ = false;
    ProgressDialog dialog(title_, &window_);
    QObject::connect(&dialog, &ProgressDialog::CancelRequested, &dialog, [this] { cancel_ = true; });
    InputHold hold(dialog);
    {
        std::lock_guard lock(mutex_);
        dialog_ = &dialog;
        latest_ = JobProgress{};
        latest_.filesTotal = filesTotal;
        posted_ = false;
    }
    QEventLoop loop;
    std::exception_ptr failure;
    std::mutex doneMutex;
    std::condition_variable doneSignal;
    bool done = false;
    std::thread worker([&] {
        try {
            job(*this);
        } catch (...) {
            failure = std::current_exception();
        }
        {
            std::lock_guard lock(doneMutex);
            done = true;
        }
        doneSignal.notify_all();
        QMetaObject::invokeMethod(&loop, &QEventLoop::quit, Qt::QueuedConnection);
    });
    // A short run ends before anything else of the window runs, as if it
    // had run on this thread; only a longer one lets the window go on.
    bool quick = false;
    {
        std::unique_lock lock(doneMutex);
        quick = doneSignal.wait_for(lock, Delay(), [&] { return done; });
    }
    if (!quick) {
        ShowLatest();
        dialog.show();
        loop.exec();
    }
    worker.join();
    {
        std::lock_guard lock(mutex_);
        dialog_ = nullptr;
    }
    if (failure)
        std::rethrow_exception(failure);
}

void BackgroundJob::Progress(const JobProgress& progress)
{
    {
        std::lock_guard lock(mutex_);
        latest_ = progress;
        // Reports come faster than the dialog needs them: one update waits
        // at a time and shows the latest.
        if (!posted_ && dialog_) {
            posted_ = true;
            QMetaObject::invokeMethod(dialog_, [this] { ShowLatest(); }, Qt::QueuedConnection);
        }
    }
}

void BackgroundJob::ShowLatest()
{
    JobProgress progress;
    ProgressDialog* dialog = nullptr;
    {
        std::lock_guard lock(mutex_);
        progress = latest_;
        posted_ = false;
        dialog = dialog_;
    }
    if (dialog)
        dialog->SetProgress(progress.filesDone, progress.filesTotal, progress.bytesDone, progress.bytesTotal);
}

}  // namespace norvane
