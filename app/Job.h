#pragma once

#include "app/WorkAhead.h"
#include "engine/PassControl.h"

#include <atomic>
#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <functional>
#include <mutex>
#include <string>
#include <vector>

namespace norvane {

// What became of one file of a job.
enum class FileOutcome {
    Processed,  // the job did its work: Vesk rewrote the file, Analyze counted it
    Unchanged,  // Vesk found nothing to change and left the file alone
    Refused,    // the file was left alone because it may not be rewritten
    Error,      // reading or writing failed; the job ends here
    Skipped,    // not reached: an earlier file failed or the job was cancelled
};

// One file's result, reported as the file is done.
struct FileResult {
    std::size_t index = 0;  // the file's place in the job's list
    std::string path;
    FileOutcome outcome = FileOutcome::Skipped;
    int attachmentLines = 0;  // Vesk: lines deleted with attachment bodies and traces
    int headerLines = 0;      // Vesk: header lines stripped; Analyze: header lines counted
    std::uint64_t bytesBefore = 0;  // Vesk: the file's size as read
    std::uint64_t bytesAfter = 0;   // Vesk: the result's size
    std::vector<std::string> registeredKeys;  // Vesk: keys the file registered, in order met
    bool protectedEntity = false;  // Vesk: a signed or encrypted entity was kept whole
    std::vector<std::string> saved;  // Vesk: files the attachments were saved to
    std::string message;      // Error and Refused: the error's text, not naming the file
};

// How far a job has come.
struct JobProgress {
    std::size_t filesDone = 0;  // files finished, the first ones of the list
    std::size_t filesTotal = 0;
    // Of the file the job works on next (the one after those done): bytes
    // read so far and its size; 0 of 0 until it is read.
    std::uint64_t bytesDone = 0;
    std::uint64_t bytesTotal = 0;
};

// Follows a job. Files are reported in the order of the job's list on the
// caller's thread, whatever order they are worked in.
class JobObserver {
public:
    virtual ~JobObserver() = default;
    // A file is done (every outcome but Skipped).
    virtual void FileDone(const FileResult&) {}
    // Asked before each file; true ends the job there.
    virtual bool Cancelled() { return false; }
    // A flag that stops the job at once, inside a file too: the file being
    // worked stays as it was and is Skipped, the job ends cancelled. It may
    // be set from any thread or from a signal handler. None: only Cancelled
    // is asked, between files.
    virtual const std::atomic<bool>* CancelFlag() { return nullptr; }
    // How far the job has come: after each file on the caller's thread, and
    // about every MiB while the next file is read, on the thread reading it
    // (a worker's). Never two calls at once.
    virtual void Progress(const JobProgress&) {}
};

// Seam for tests: sees each progress report of a job on the thread that
// reports it, right after the observer had it; so a test can hold a run or
// send a signal at a chosen point.
std::function<void(const JobProgress&)>& ProgressSeam();

// A job's side of its observer: whether to stop, and the control of each
// file's pass, which stops it on the cancel flag and reports its reading
// while the file is the one the job works on next.
class JobFollower {
public:
    JobFollower(JobObserver* observer, std::size_t filesTotal);
    JobFollower(const JobFollower&) = delete;
    JobFollower& operator=(const JobFollower&) = delete;

    // The observer's Cancelled, or the flag set.
    bool Cancelled();
    // The control for the pass over file `index` of the list.
    PassControl ControlFor(std::size_t index);
    // The observer's FileDone.
    void FileDone(const FileResult& file);
    // The first filesDone files are done; reports it.
    void FilesDone(std::size_t filesDone);

private:
    void Read(std::size_t index, std::uint64_t done, std::uint64_t size);
    // To the observer and the seam; under mutex_.
    void Report(const JobProgress& progress);

    JobObserver* observer_;
    const std::atomic<bool>* flag_ = nullptr;
    std::size_t total_;
    std::atomic<std::size_t> done_{0};
    std::mutex mutex_;  // one report at a time
    std::uint64_t reportedBytes_ = 0;  // of file done_, under mutex_
};

// What every job returns.
struct JobResult {
    std::vector<FileResult> files;  // one per file of the list, in order
    bool cancelled = false;

    // The file whose error ended the job, or nullptr.
    const FileResult* Failure() const;
};

// A job's files counted by what became of them.
struct JobTotals {
    std::size_t reached = 0;    // every outcome but Skipped
    std::size_t done = 0;       // Processed or Unchanged
    std::size_t unchanged = 0;
    std::size_t skipped = 0;
    std::size_t protectedFiles = 0;  // done, with a signed or encrypted entity kept whole
    std::size_t saved = 0;           // attachments saved by the files done
    std::uint64_t bytesBefore = 0;   // of the files done
    std::uint64_t bytesAfter = 0;
};

JobTotals Totals(const JobResult& result);

// One Skipped result per path, numbered in order.
std::vector<FileResult> FileResults(const std::vector<std::string>& paths);

// Works through result's files in order: asks the follower before each,
// lets work set the file's outcome and counts (an exception it raises makes
// the file an Error with the exception's text; the cancelled error leaves it
// Skipped and ends the job cancelled), reports the file, and ends after an
// Error. True when every file was worked.
bool RunFiles(JobResult& result, JobFollower& follower, const std::function<void(FileResult&)>& work);

// A file as RunFilesAhead hands it to prepare.
struct FileToPrepare {
    std::size_t index;  // its place in the job's list
    const std::string& path;
    const PassControl& control;  // stops the pass, reports its reading
    // The thread preparing it, numbered from 0 (the caller's) below the
    // job's workers; each thread takes its files in the list's order, so
    // prepare may keep state per thread without locking.
    unsigned thread;
};

// The threads RunFilesAhead starts beside the caller for `groups` groups of
// files and `workers` workers: one fewer than the workers, as the caller
// works groups too, and one fewer than the groups, since more would find
// nothing to do; none for a single group or worker.
inline unsigned ThreadsAhead(std::size_t groups, unsigned workers)
{
    if (workers <= 1 || groups <= 1)
        return 0;
    return groups - 1 < workers - 1 ? static_cast<unsigned>(groups - 1) : workers - 1;
}

// RunFiles in two steps: prepare(file) runs on `workers` threads
// (the caller's among them, while it waits for the next group), in groups
// of `batch` files (a worker's share, so that a short prepare is not lost in
// the handing over), at most twice `workers` groups ahead of the file being
// finished; finish(file, prepared) runs on the caller's thread in the list's
// order, where work runs in RunFiles. An exception prepare raised is the
// file's error when its turn comes; work ahead of an Error or a cancel is
// dropped unfinished (at once on the observer's cancel flag: the passes
// that use their control stop at their next block). With one worker or one
// group each file is prepared and finished on the caller's thread in turn.
template <class Prepared>
bool RunFilesAhead(JobResult& result, JobObserver* observer, unsigned workers,
                   const std::function<Prepared(const FileToPrepare&)>& prepare,
                   const std::function<void(FileResult&, Prepared&)>& finish, std::size_t batch = 1)
{
    const std::size_t count = result.files.size();
    batch = batch < 1 ? 1 : batch;
    const std::size_t groups = (count + batch - 1) / batch;
    const unsigned threads = ThreadsAhead(groups, workers);
    JobFollower follower(observer, count);
    if (threads == 0) {
        return RunFiles(result, follower, [&](FileResult& file) {
            const PassControl control = follower.ControlFor(file.index);
            Prepared prepared = prepare({file.index, file.path, control, 0});
            finish(file, prepared);
        });
    }
    struct Done {
        std::optional<Prepared> prepared;
        std::exception_ptr failure;
    };
    // Workers read only the paths, which stay as they are while files finish.
    const auto prepareBatch = [&](std::size_t index, unsigned thread) {
        std::vector<Done> done;
        for (std::size_t at = index * batch; at < count && at < (index + 1) * batch; ++at) {
            done.emplace_back();
            try {
                const PassControl control = follower.ControlFor(at);
                done.back().prepared.emplace(prepare({at, result.files[at].path, control, thread}));
            } catch (...) {
                done.back().failure = std::current_exception();
                break;  // the run ends there
            }
        }
        return done;
    };
    // The caller works groups too while it waits: one thread fewer.
    WorkAhead<std::vector<Done>> ahead(groups, threads, 2 * std::size_t{workers}, prepareBatch);
    std::vector<Done> current;
    std::size_t next = 0;
    return RunFiles(result, follower, [&](FileResult& file) {
        if (next == current.size()) {
            current = ahead.Take();
            next = 0;
        }
        Done& done = current[next++];
        if (done.failure)
            std::rethrow_exception(done.failure);
        finish(file, *done.prepared);
    });
}

}  // namespace norvane
