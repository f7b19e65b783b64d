#include "bench/Reference.h"

#include "engine/TextRules.h"

#include <algorithm>
#include <iterator>
#include <map>

namespace norvane::bench {

Lines SplitLines(std::string_view text)
{
    Lines lines;
    std::size_t start = 0;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] != '\r' && text[i] != '\n')
            continue;
        lines.emplace_back(text.substr(start, i - start));
        if (text[i] == '\r' && i + 1 < text.size() && text[i + 1] == '\n')
            ++i;
        start = i + 1;
    }
    if (start < text.size())
        lines.emplace_back(text.substr(start));
    return lines;
}

std::string JoinLines(const Lines& lines)
{
    std::string text;
    for (const auto& line : lines) {
        text += line;
        text += "\r\n";
    }
    return text;
}

namespace {

std::string Boundary(const std::string& line, const std::string& next)
{
    if (line.rfind("Content-Type: multipart/mixed;", 0) != 0)
        return {};
    const std::string param = "boundary=\"";
    const std::string* source = &line;
    std::size_t at = line.find(param);
    if (at == std::string::npos || at < 1) {
        source = &next;
        at = next.find(param);
        if (at == std::string::npos || at < 1)
            return {};
    }
    const std::size_t start = at + param.size();
    if (source->size() <= start + 1)
        return {};
    return source->substr(start, source->size() - 1 - start);
}

bool IsDelimiter(const std::string& line, const std::string& boundary)
{
    const std::size_t at = line.find(boundary);
    return at != std::string::npos && at <= 2;
}

bool IsClosing(const std::string& line, const std::string& boundary)
{
    return line.rfind("--" + boundary + "--", 0) == 0;
}

}  // namespace

int ReferenceRemoveAttachments(Lines& lines, bool removeTraces)
{
    if (lines.size() < 2)
        return 0;
    int state = 0;
    std::string boundary;
    auto partStart = lines.end();
    int count = 0;
    Lines bodyDeleted;  // deleted since the attachment body began
    auto it = lines.begin();
    while (it != lines.end()) {
        if (state == 0 || state == 3) {
            const auto next = std::next(it);
            if (next != lines.end()) {
                std::string declared = Boundary(*it, *next);
                if (!declared.empty())
                    boundary = declared;
            }
            if (!boundary.empty() && IsDelimiter(*it, boundary)) {
                if (state == 0) {
                    if (IsClosing(*it, boundary)) {
                        boundary.clear();
                    } else {
                        partStart = it;
                        state = 1;
                    }
                } else {
                    if (IsClosing(*it, boundary))
                        boundary.clear();
                    if (removeTraces && partStart != lines.end()) {
                        while (!partStart->empty() && std::next(partStart) != lines.end()) {
                            partStart = lines.erase(partStart);
                            ++count;
                        }
                    }
                    partStart = lines.end();
                    state = 0;
                    bodyDeleted.clear();
                    continue;  // the same line once more, in state 0
                }
            }
            if (state == 3) {
                const auto following = std::next(it);
                bodyDeleted.splice(bodyDeleted.end(), lines, it);
                it = following;
                ++count;
                continue;
            }
        } else if (state == 1) {
            if (it->empty()) {
                partStart = lines.end();
                state = 0;
            } else if (it->rfind("Content-Disposition: ", 0) == 0) {
                state = 2;
            }
        } else if (state == 2 && it->empty()) {
            state = 3;
        }
        ++it;
    }
    if (state == 3) {
        // A body without a delimiter after it stays.
        count -= static_cast<int>(bodyDeleted.size());
        lines.splice(lines.end(), bodyDeleted);
    }
    return count;
}

int ReferenceStripHeaders(Lines& lines, const KeyList& keyList, bool allText)
{
    if (lines.size() < 2)
        return 0;
    int count = 0;
    bool removing = false;
    bool last = true;
    auto it = lines.begin();
    while (it != lines.end() && (last || allText)) {
        const HeaderKeyResult found = ExtractHeaderKey(*it, allText);
        last = found.result;
        if (!found.result && !allText) {
            ++it;
            break;
        }
        bool stays = true;
        if (!found.key.empty()) {
            if (keyList.IsTicked(found.key)) {
                stays = false;
                removing = true;
            } else {
                removing = false;
            }
        } else if (removing && !it->empty() && (it->front() == '\t' || it->front() == ' ')) {
            stays = false;
        } else {
            removing = false;
        }
        if (!stays) {
            it = lines.erase(it);
            ++count;
            continue;
        }
        // Only a line without a key of its own is a folded parameter.
        const std::size_t charset = it->find("charset=");
        if (found.key.empty() && it != lines.begin() && charset != std::string::npos &&
            std::prev(it)->rfind("Content-Type", 0) == 0) {
            *std::prev(it) += " " + it->substr(charset);
            it = lines.erase(it);
            continue;
        }
        ++it;
    }
    // Runs of empty lines become one, anywhere in the file.
    for (auto at = lines.begin(); at != lines.end();) {
        const auto next = std::next(at);
        if (at->empty() && next != lines.end() && next->empty())
            lines.erase(next);
        else
            at = next;
    }
    while (!lines.empty() && (lines.back().empty() || lines.back().front() == '\x1a'))
        lines.pop_back();
    return count;
}

std::vector<std::string> ReferenceKeyTally(const std::vector<std::string>& texts, bool allText)
{
    struct Entry {
        std::string key;
        long long count = 0;
    };
    std::map<std::string, Entry> byLowerKey;
    for (const auto& text : texts) {
        for (const auto& line : SplitLines(text.substr(0, text.find('\x1a')))) {
            const HeaderKeyResult found = ExtractHeaderKey(line, allText);
            if (!found.result && !allText)
                break;
            if (found.key.empty())
                continue;
            std::string lower(found.key);
            for (char& c : lower)
                if (c >= 'A' && c <= 'Z')
                    c = static_cast<char>(c - 'A' + 'a');
            Entry& entry = byLowerKey[lower];
            entry.key = std::string(found.key);
            ++entry.count;
        }
    }
    std::vector<std::string> entries;
    for (const auto& [lower, entry] : byLowerKey)
        entries.push_back(entry.key + "=" + std::to_string(entry.count));
    std::sort(entries.begin(), entries.end(), LessAsciiNoCase);
    return entries;
}

}  // namespace norvane::bench
