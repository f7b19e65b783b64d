#include "app/Job.h"

#include "engine/Error.h"

#include <exception>

namespace norvane {

std::vector<FileResult> FileResults(const std::vector<std::string>& paths)
{
    std::vector<FileResult> files(paths.size());
    for (std::size_t i = 0; i < paths.size(); ++i) {
        files[i].index = i;
        files[i].path = paths[i];
    }
    return files;
}

const FileResult* JobResult::Failure() const
{
    for (const auto& file : files)
        if (file.outcome == FileOutcome::Error)
            return &file;
    return nullptr;
}

namespace {

// Reading is reported in steps of this many bytes, so that an observer that
// redraws is not asked to for every small block.
constexpr std::uint64_t kProgressStep = std::uint64_t{1} << 20;

}  // namespace

std::function<void(const JobProgress&)>& ProgressSeam()
{
    static std::function<void(const JobProgress&)> seam;
    return seam;
}

JobFollower::JobFollower(JobObserver* observer, std::size_t filesTotal)
    : observer_(observer), flag_(observer ? observer->CancelFlag() : nullptr), total_(filesTotal)
{
}

bool JobFollower::Cancelled()
{
    if (flag_ && flag_->load(std::memory_order_relaxed))
        return true;
    return observer_ && observer_->Cancelled();
}

PassControl JobFollower::ControlFor(std::size_t index)
{
    PassControl control;
    control.cancel = flag_;
    if (observer_)
        control.progress = [this, index](std::uint64_t done, std::uint64_t size) { Read(index, done, size); };
    return control;
}

void JobFollower::Read(std::size_t index, std::uint64_t done, std::uint64_t size)
{
    // Files read ahead are not the one the job waits on.
    if (index != done_.load(std::memory_order_relaxed))
        return;
    std::lock_guard lock(mutex_);
    if (index != done_.load(std::memory_order_relaxed))
        return;
    if (done < reportedBytes_ + kProgressStep && done < size)
        return;
    reportedBytes_ = done;
    Report({index, total_, done, size});
}

void JobFollower::FileDone(const FileResult& file)
{
    if (observer_)
        observer_->FileDone(file);
}

void JobFollower::FilesDone(std::size_t filesDone)
{
    if (!observer_)
        return;
    std::lock_guard lock(mutex_);
    done_.store(filesDone, std::memory_order_relaxed);
    reportedBytes_ = 0;
    Report({filesDone, total_, 0, 0});
}

void JobFollower::Report(const JobProgress& progress)
{
    observer_->Progress(progress);
    if (const auto& seam = ProgressSeam())
        seam(progress);
}

JobTotals Totals(const JobResult& result)
{
    JobTotals totals;
    for (const FileResult& file : result.files) {
        if (file.outcome == FileOutcome::Skipped) {
            ++totals.skipped;
            continue;
        }
        ++totals.reached;
        if (file.outcome != FileOutcome::Processed && file.outcome != FileOutcome::Unchanged)
            continue;
        ++totals.done;
        totals.unchanged += file.outcome == FileOutcome::Unchanged ? 1 : 0;
        totals.protectedFiles += file.protectedEntity ? 1 : 0;
        totals.saved += file.saved.size();
        totals.bytesBefore += file.bytesBefore;
        totals.bytesAfter += file.bytesAfter;
    }
    return totals;
}

bool RunFiles(JobResult& result, JobFollower& follower, const std::function<void(FileResult&)>& work)
{
    for (auto& file : result.files) {
        if (follower.Cancelled()) {
            result.cancelled = true;
            return false;
        }
        try {
            work(file);
        } catch (const Error& error) {
            if (error.Cancelled()) {
                // The file was left as it was: it counts as not reached.
                FileResult untouched;
                untouched.index = file.index;
                untouched.path = std::move(file.path);
                file = std::move(untouched);
                result.cancelled = true;
                return false;
            }
            file.outcome = FileOutcome::Error;
            file.message = error.what();
        } catch (const std::exception& error) {
            file.outcome = FileOutcome::Error;
            file.message = error.what();
        }
        follower.FileDone(file);
        follower.FilesDone(file.index + 1);
        if (file.outcome == FileOutcome::Error)
            return false;
    }
    return true;
}

}  // namespace norvane
