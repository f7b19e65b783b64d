#include "app/AnalyzeJob.h"

#include <exception>

namespace norvane {

AnalyzeJobResult RunAnalyzeJob(const std::vector<std::string>& files, const KeyList& keyList, bool allText,
                               JobObserver* observer)
{
    AnalyzeJobResult result;
    result.files.resize(files.size());
    KeyCountList counts;
    for (std::size_t i = 0; i < files.size(); ++i) {
        auto& file = result.files[i];
        file.index = i;
        file.path = files[i];
    }
    for (auto& file : result.files) {
        if (observer && observer->Cancelled()) {
            result.cancelled = true;
            return result;
        }
        try {
            file.headerLines = CountHeaderKeys(file.path, counts, allText);
            file.outcome = FileOutcome::Processed;
        } catch (const std::exception& error) {
            file.outcome = FileOutcome::Error;
            file.message = error.what();
        }
        if (observer)
            observer->FileDone(file);
        if (file.outcome == FileOutcome::Error)
            return result;
    }
    result.tally = AnalyzeResult(counts, keyList);
    return result;
}

}  // namespace norvane
