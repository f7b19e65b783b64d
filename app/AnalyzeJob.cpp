#include "app/AnalyzeJob.h"

namespace norvane {

AnalyzeJobResult RunAnalyzeJob(const std::vector<std::string>& files, const KeyList& keyList, const AnalyzeOptions& options,
                               JobObserver* observer)
{
    AnalyzeJobResult result;
    result.files = FileResults(files);
    KeyCountList counts;
    const auto work = [&](FileResult& file) {
        file.headerLines = CountHeaderKeys(file.path, counts, options);
        file.outcome = FileOutcome::Processed;
    };
    if (RunFiles(result, observer, work))
        result.tally = AnalyzeResult(counts, keyList);
    return result;
}

}  // namespace norvane
