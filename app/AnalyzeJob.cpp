#include "app/AnalyzeJob.h"

namespace norvane {

AnalyzeJobResult RunAnalyzeJob(const std::vector<std::string>& files, const KeyList& keyList, bool allText,
                               JobObserver* observer)
{
    AnalyzeJobResult result;
    result.files = FileResults(files);
    KeyCountList counts;
    const auto work = [&](FileResult& file) {
        file.headerLines = CountHeaderKeys(file.path, counts, allText);
        file.outcome = FileOutcome::Processed;
    };
    if (RunFiles(result, observer, work))
        result.tally = AnalyzeResult(counts, keyList);
    return result;
}

}  // namespace norvane
