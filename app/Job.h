#pragma once

#include <cstddef>
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
    std::vector<std::string> registeredKeys;  // Vesk: keys the file registered, in order met
    bool protectedEntity = false;  // Vesk: a signed or encrypted entity was kept whole
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

}  // namespace norvane
