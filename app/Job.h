#pragma once

#include "app/WorkAhead.h"

#include <cstddef>
#include <cstdint>
#include <exception>
#include <optional>
#include <functional>
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

// Follows a job. Files are reported in the order of the job's list on the
// caller's thread, whatever order they are worked in.
class JobObserver {
public:
    virtual ~JobObserver() = default;
    // A file is done (every outcome but Skipped).
    virtual void FileDone(const FileResult&) {}
    // Asked before each file; true ends the job there.
    virtual bool Cancelled() { return false; }
};

// What every job returns.
struct JobResult {
    std::vector<FileResult> files;  // one per file of the list, in order
    bool cancelled = false;

    // The file whose error ended the job, or nullptr.
    const FileResult* Failure() const;
};

// One Skipped result per path, numbered in order.
std::vector<FileResult> FileResults(const std::vector<std::string>& paths);

// Works through result's files in order: asks the observer before each,
// lets work set the file's outcome and counts (an exception it raises makes
// the file an Error with the exception's text), reports the file, and ends
// after an Error. True when every file was worked.
bool RunFiles(JobResult& result, JobObserver* observer, const std::function<void(FileResult&)>& work);

// RunFiles in two steps: prepare(path) runs on `workers` threads (the
// caller's among them, while it waits for the next group), in groups
// of `batch` files (a worker's share, so that a short prepare is not lost in
// the handing over), at most twice `workers` groups ahead of the file being
// finished; finish(file, prepared) runs on the caller's thread in the list's
// order, where work runs in RunFiles. An exception prepare raised is the
// file's error when its turn comes; work ahead of an Error or a cancel is
// dropped unfinished. With one worker each file is prepared and finished on
// the caller's thread in turn.
template <class Prepared>
bool RunFilesAhead(JobResult& result, JobObserver* observer, unsigned workers,
                   const std::function<Prepared(const std::string&)>& prepare,
                   const std::function<void(FileResult&, Prepared&)>& finish, std::size_t batch = 1)
{
    const std::size_t count = result.files.size();
    if (workers <= 1 || count <= 1) {
        return RunFiles(result, observer, [&](FileResult& file) {
            Prepared prepared = prepare(file.path);
            finish(file, prepared);
        });
    }
    struct Done {
        std::optional<Prepared> prepared;
        std::exception_ptr failure;
    };
    batch = batch < 1 ? 1 : batch;
    // Workers read only the paths, which stay as they are while files finish.
    const auto prepareBatch = [&](std::size_t index) {
        std::vector<Done> done;
        for (std::size_t at = index * batch; at < count && at < (index + 1) * batch; ++at) {
            done.emplace_back();
            try {
                done.back().prepared.emplace(prepare(result.files[at].path));
            } catch (...) {
                done.back().failure = std::current_exception();
                break;  // the run ends there
            }
        }
        return done;
    };
    // The caller works groups too while it waits: one thread fewer.
    WorkAhead<std::vector<Done>> ahead((count + batch - 1) / batch, workers - 1, 2 * std::size_t{workers},
                                       prepareBatch);
    std::vector<Done> current;
    std::size_t next = 0;
    return RunFiles(result, observer, [&](FileResult& file) {
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
