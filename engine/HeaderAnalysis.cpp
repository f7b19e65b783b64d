#include "engine/HeaderAnalysis.h"

#include "engine/Error.h"
#include "engine/TextRules.h"

#include <algorithm>
#include <cerrno>
#include <charconv>
#include <cstring>
#include <fcntl.h>
#include <memory>
#include <unistd.h>
#include <unordered_map>

namespace norvane {

namespace {

[[noreturn]] void ThrowReadError(int error)
{
    throw Error(ReadErrorMessage(error));
}

// Reads a file line by line for the analysis: a line ends at CR, CR LF or LF,
// and byte 26 ends the data. Small blocks, since the usual read stops at the
// end of the first header block.
class HeaderLineReader {
public:
    explicit HeaderLineReader(const std::string& path)
    {
        fd_ = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
        if (fd_ < 0)
            ThrowReadError(errno);
    }
    ~HeaderLineReader() { ::close(fd_); }
    HeaderLineReader(const HeaderLineReader&) = delete;
    HeaderLineReader& operator=(const HeaderLineReader&) = delete;

    bool Next(std::string_view& line)
    {
        for (;;) {
            const char* start = buffer_.get() + begin_;
            const std::size_t avail = end_ - begin_;
            std::size_t len = avail;
            if (avail > scanned_) {
                const char* from = start + scanned_;
                const auto* lf = static_cast<const char*>(std::memchr(from, '\n', avail - scanned_));
                const std::size_t span = lf ? static_cast<std::size_t>(lf - start) : avail;
                const auto* cr = static_cast<const char*>(std::memchr(from, '\r', span - scanned_));
                len = cr ? static_cast<std::size_t>(cr - start) : span;
            }
            scanned_ = len;
            if (len < avail) {
                if (start[len] == '\r' && len + 1 == avail && !eof_) {
                    Fill();  // the next byte decides whether this is CR LF
                    continue;
                }
                line = std::string_view(start, len);
                begin_ += len + 1;
                scanned_ = 0;
                if (start[len] == '\r' && begin_ < end_ && buffer_[begin_] == '\n')
                    ++begin_;
                return true;
            }
            if (eof_ || !Fill()) {
                if (begin_ == end_)
                    return false;
                line = std::string_view(buffer_.get() + begin_, end_ - begin_);
                begin_ = end_;
                scanned_ = 0;
                return true;
            }
        }
    }

private:
    static constexpr std::size_t kBlock = 16384;

    bool Fill()
    {
        if (eof_)
            return false;
        if (begin_ > 0) {
            std::memmove(buffer_.get(), buffer_.get() + begin_, end_ - begin_);
            end_ -= begin_;
            begin_ = 0;
        }
        if (end_ == size_) {
            // A line longer than the buffer: double it.
            const std::size_t size = size_ == 0 ? kBlock : size_ * 2;
            auto bigger = std::make_unique_for_overwrite<char[]>(size);
            if (end_ > 0)
                std::memcpy(bigger.get(), buffer_.get(), end_);
            buffer_ = std::move(bigger);
            size_ = size;
        }
        for (;;) {
            const ssize_t n = ::read(fd_, buffer_.get() + end_, size_ - end_);
            if (n < 0) {
                if (errno == EINTR)
                    continue;
                ThrowReadError(errno);
            }
            if (n == 0) {
                eof_ = true;
                return false;
            }
            // The old end-of-file mark: nothing after it is data.
            if (const void* mark = std::memchr(buffer_.get() + end_, 26, static_cast<std::size_t>(n))) {
                end_ = static_cast<std::size_t>(static_cast<const char*>(mark) - buffer_.get());
                eof_ = true;
                return true;
            }
            end_ += static_cast<std::size_t>(n);
            return true;
        }
    }

    int fd_ = -1;
    std::unique_ptr<char[]> buffer_;
    std::size_t size_ = 0;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::size_t scanned_ = 0;  // bytes after begin_ known to hold no line end
    bool eof_ = false;
};

std::string_view NamePart(std::string_view entry)
{
    return entry.substr(0, entry.find('='));
}

long long CountPart(std::string_view entry)
{
    const auto eq = entry.find('=');
    long long count = 0;
    if (eq != std::string_view::npos)
        std::from_chars(entry.data() + eq + 1, entry.data() + entry.size(), count);
    return count;
}

}  // namespace

std::string ReadErrorMessage(int error)
{
    if (error == ENOENT || error == ENOTDIR)
        return std::string(kMsgFileNotFound);
    if (error == EACCES || error == EPERM)
        return std::string(kMsgAccessDenied);
    std::string text(kMsgIoError);
    text.replace(text.find("%d"), 2, std::to_string(error));
    return text;
}

int CountHeaderKeys(const std::string& fileName, KeyCountList& keyCountList, bool allText)
{
    // The file's keys are gathered first and join the tally only once the
    // file has been read, so a read error leaves the tally as it was.
    struct Seen {
        std::string key;  // in the letter case of its last occurrence
        long long count = 0;
    };
    std::vector<Seen> seen;
    std::unordered_map<std::string, std::size_t> index;
    int counted = 0;
    {
        HeaderLineReader reader(fileName);
        std::string_view line;
        bool last = true;
        while ((last || allText) && reader.Next(line)) {
            const HeaderKeyResult found = ExtractHeaderKey(line, allText);
            last = found.result;
            if (!found.result && !allText)
                break;
            if (found.key.empty())
                continue;
            const auto [at, added] = index.try_emplace(LowerAscii(found.key), seen.size());
            if (added)
                seen.push_back({std::string(found.key), 1});
            else {
                seen[at->second].key.assign(found.key);
                ++seen[at->second].count;
            }
            ++counted;
        }
    }
    for (const auto& key : seen) {
        auto entry = std::find_if(keyCountList.begin(), keyCountList.end(), [&](const std::string& e) {
            return EqualsAsciiNoCase(NamePart(e), key.key);
        });
        const long long before = entry == keyCountList.end() ? 0 : CountPart(*entry);
        std::string text = key.key + "=" + std::to_string(before + key.count);
        if (entry == keyCountList.end())
            keyCountList.push_back(std::move(text));
        else
            *entry = std::move(text);
    }
    return counted;
}

std::vector<KeyTally> AnalyzeResult(const KeyCountList& keyCountList, const KeyList& keyList)
{
    KeyCountList sorted = keyCountList;
    std::sort(sorted.begin(), sorted.end(),
              [](const std::string& a, const std::string& b) { return LessAsciiNoCase(a, b); });
    std::vector<KeyTally> result;
    result.reserve(sorted.size());
    for (const auto& entry : sorted) {
        const auto eq = entry.find('=');
        KeyTally tally;
        tally.key = entry.substr(0, eq);
        tally.count = eq == std::string::npos ? std::string() : entry.substr(eq + 1);
        if (keyList.IsTicked(tally.key))
            tally.mark = kMarkDel;
        else if (keyList.Contains(tally.key))
            tally.mark = kMarkKept;
        else
            tally.mark = kMarkNew;
        result.push_back(std::move(tally));
    }
    return result;
}

std::vector<KeyTally> AnalyzeFiles(const std::vector<std::string>& files, const KeyList& keyList, bool allText)
{
    KeyCountList tally;
    for (const auto& file : files)
        CountHeaderKeys(file, tally, allText);
    return AnalyzeResult(tally, keyList);
}

}  // namespace norvane
