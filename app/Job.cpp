#include "app/Job.h"

#include <exception>
#include <thread>

namespace norvane {

unsigned CoreCount()
{
    const unsigned cores = std::thread::hardware_concurrency();
    return cores == 0 ? 1 : cores;
}

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

bool RunFiles(JobResult& result, JobObserver* observer, const std::function<void(FileResult&)>& work)
{
    for (auto& file : result.files) {
        if (observer && observer->Cancelled()) {
            result.cancelled = true;
            return false;
        }
        try {
            work(file);
        } catch (const std::exception& error) {
            file.outcome = FileOutcome::Error;
            file.message = error.what();
        }
        if (observer)
            observer->FileDone(file);
        if (file.outcome == FileOutcome::Error)
            return false;
    }
    return true;
}

}  // namespace norvane
