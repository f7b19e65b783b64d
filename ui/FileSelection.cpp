#include "ui/FileSelection.h"

#include "app/FileArguments.h"

namespace norvane {

namespace {

std::string Trim(std::string_view text)
{
    const auto first = text.find_first_not_of(' ');
    if (first == std::string_view::npos)
        return {};
    const auto last = text.find_last_not_of(' ');
    return std::string(text.substr(first, last - first + 1));
}

}  // namespace

std::string ConvertFilter(std::string_view filter)
{
    std::vector<std::string> fields;
    std::size_t start = 0;
    while (start <= filter.size()) {
        const auto bar = filter.find('|', start);
        const auto end = bar == std::string_view::npos ? filter.size() : bar;
        fields.emplace_back(filter.substr(start, end - start));
        if (bar == std::string_view::npos)
            break;
        start = bar + 1;
    }
    std::string result;
    for (std::size_t i = 0; i + 1 < fields.size(); i += 2) {
        std::string patterns;
        std::string_view rest = fields[i + 1];
        while (!rest.empty()) {
            const auto semi = rest.find(';');
            std::string one = Trim(rest.substr(0, semi));
            rest = semi == std::string_view::npos ? std::string_view{} : rest.substr(semi + 1);
            if (one.empty())
                continue;
            if (one == "*.*")
                one = "*";
            if (!patterns.empty())
                patterns += ' ';
            patterns += one;
        }
        if (patterns.empty())
            continue;
        if (!result.empty())
            result += ";;";
        // Qt takes the patterns from the last parentheses of each entry.
        result += fields[i] + " (" + patterns + ")";
    }
    return result.empty() ? std::string("* (*)") : result;
}

std::vector<std::string> UniquePaths(const std::vector<std::string>& paths)
{
    return ExpandFiles(paths, {}, kPickedPaths);
}

std::vector<std::string> ExpandArguments(const std::vector<std::string>& arguments,
                                         const std::string& currentFolder)
{
    return ExpandFiles(arguments, currentFolder, kWindowArguments);
}

}  // namespace norvane
