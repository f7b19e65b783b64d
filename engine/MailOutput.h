#pragma once

#include "engine/ByteSink.h"
#include "engine/LineSink.h"
#include "engine/MailFile.h"

#include <exception>
#include <memory>
#include <optional>
#include <string>

namespace norvane {

// Writes surviving lines, each followed by CR LF or, with keepLineEnds, by
// the end it had (see KeptLineEnd), into the replacement of a mail file (see
// MailReplacement: a file that does not change is not written). A failure to
// create or write it is kept rather than thrown at once, so the rest of the
// file is still read (its keys registered); Finish and Commit raise it.
class MailOutput final : public LineSink {
public:
    // The replacement of a mail file the caller opened.
    explicit MailOutput(const MailFile& mail, bool keepLineEnds = false);
    // Opens the file a path names (a symbolic link's target) itself.
    explicit MailOutput(const std::string& fileName, bool keepLineEnds = false);

    // A line without its end: it ends with CR LF.
    void PutLine(std::string_view line) override;
    void PutLineWithEnd(std::string_view line, LineEnd end) override;
    // In one piece when the lines are written as they are.
    void PutLines(const LineRun& run) override;

    // Compares with the bytes reader, reading the same file, still holds.
    void CompareWith(const LineReader& reader)
    {
        if (replacement_)
            replacement_->CompareWith(reader);
    }
    // Every byte of the new content also goes to copy (a preview of it).
    void CopyTo(ByteSink* copy) { copy_ = copy; }
    // Raises a kept failure, else returns whether the file changes.
    bool Finish();
    // Bytes of the new content written so far.
    std::uint64_t ContentSize() const { return replacement_ ? replacement_->ContentSize() : 0; }
    // Finish, then flushes the replacement to disk, keeping a failure.
    void Sync();
    // Finish, then replaces the file when it changes.
    void Commit();

private:
    std::unique_ptr<MailFile> ownFile_;
    std::optional<MailReplacement> replacement_;
    std::exception_ptr failure_;
    ByteSink* copy_ = nullptr;
    bool keepLineEnds_ = false;
    LineEnd lastEnd_ = LineEnd::kNone;
};

}  // namespace norvane
