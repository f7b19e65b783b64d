#include "engine/HeldLines.h"

#include "engine/Error.h"

#include <vector>

namespace norvane {

namespace {

constexpr std::size_t kReadBlock = 64 * 1024;

// One held line is stored as its bytes, one byte for its end and a LF.
constexpr char kFirstEndCode = '0';

void PutRecord(std::string_view record, LineSink& out)
{
    const auto end = static_cast<LineEnd>(record.back() - kFirstEndCode);
    out.PutLineWithEnd(record.substr(0, record.size() - 1), end);
}

void Emit(std::string_view bytes, std::string& partial, LineSink& out)
{
    std::size_t start = 0;
    while (start < bytes.size()) {
        const std::size_t lf = bytes.find('\n', start);
        if (lf == std::string_view::npos) {
            partial.append(bytes.substr(start));
            return;
        }
        if (partial.empty()) {
            PutRecord(bytes.substr(start, lf - start), out);
        } else {
            partial.append(bytes.substr(start, lf - start));
            PutRecord(partial, out);
            partial.clear();
        }
        start = lf + 1;
    }
}

}  // namespace

HeldLines::~HeldLines()
{
    if (spill_)
        std::fclose(spill_);
}

void HeldLines::Add(std::string_view line, LineEnd end)
{
    ++count_;
    memory_.append(line);
    memory_ += static_cast<char>(kFirstEndCode + static_cast<int>(end));
    memory_ += '\n';
    if (memory_.size() > allowance_)
        Spill();
}

void HeldLines::Spill()
{
    if (!spill_) {
        // Unnamed and readable by the owner only: nothing of the mail is
        // left behind or shown to others.
        spill_ = std::tmpfile();
        if (!spill_)
            return;  // held in memory after all
    }
    if (std::fwrite(memory_.data(), 1, memory_.size(), spill_) != memory_.size())
        ThrowCannotCreate(P_tmpdir);
    spilled_ += memory_.size();
    memory_.clear();
    memory_.shrink_to_fit();
}

void HeldLines::PassOn(LineSink& out)
{
    std::string partial;
    if (spill_ && spilled_ > 0) {
        if (std::fflush(spill_) != 0 || std::fseek(spill_, 0, SEEK_SET) != 0)
            ThrowCannotOpen(P_tmpdir);
        std::vector<char> block(kReadBlock);
        std::uint64_t left = spilled_;
        while (left > 0) {
            const std::size_t want = left < block.size() ? static_cast<std::size_t>(left) : block.size();
            const std::size_t got = std::fread(block.data(), 1, want, spill_);
            if (got == 0)
                ThrowCannotOpen(P_tmpdir);
            left -= got;
            Emit(std::string_view(block.data(), got), partial, out);
        }
    }
    Emit(memory_, partial, out);
    Clear();
}

void HeldLines::Clear()
{
    memory_.clear();
    if (memory_.capacity() > allowance_)
        memory_.shrink_to_fit();
    if (spill_) {
        std::fclose(spill_);
        spill_ = nullptr;
    }
    spilled_ = 0;
    count_ = 0;
}

}  // namespace norvane
