#pragma once

#include "app/Job.h"

#include <QString>

#include <atomic>
#include <chrono>
#include <functional>
#include <mutex>

class QWidget;

namespace norvane {

class ProgressDialog;

// Runs a job on a thread of its own. A run that takes longer than Delay()
// shows the progress dialog, whose "中止" stops the job at once (see
// JobObserver::CancelFlag), and lets the window's event loop go on, so that
// the window repaints; user input to the window is dropped meanwhile (it
// cannot start a second run or close the window). A shorter run ends
// before anything else of the window runs. Everything the caller shows
// (prompts, error boxes) it shows after Run, on the window's thread.
class BackgroundJob final : public JobObserver {
public:
    BackgroundJob(QWidget& window, QString title);
    BackgroundJob(const BackgroundJob&) = delete;
    BackgroundJob& operator=(const BackgroundJob&) = delete;

    // Runs job (of filesTotal files, as far as is known before it starts)
    // with this as its observer and returns once it is done, raising what
    // it raised. The job must not touch widgets.
    void Run(std::size_t filesTotal, const std::function<void(JobObserver&)>& job);

    const std::atomic<bool>* CancelFlag() override { return &cancel_; }
    // On the job's threads: the latest report goes to the dialog.
    void Progress(const JobProgress& progress) override;

    // How long a run goes before the dialog shows and the window goes on.
    static std::chrono::milliseconds& Delay();

private:
    void ShowLatest();

    QWidget& window_;
    QString title_;
    std::atomic<bool> cancel_{false};
    ProgressDialog* dialog_ = nullptr;
    std::mutex mutex_;
    JobProgress latest_;  // under mutex_
    bool posted_ = false; // an update waits in the window's queue; under mutex_
};

}  // namespace norvane
