#include "engine/MailOutput.h"

#include "engine/Error.h"


namespace norvane {

MailOutput::MailOutput(const MailFile& mail, bool keepLineEnds) : keepLineEnds_(keepLineEnds)
{
    replacement_.emplace(mail);
}

MailOutput::MailOutput(const std::string& fileName, bool keepLineEnds) : keepLineEnds_(keepLineEnds)
{
    try {
        ownFile_ = std::make_unique<MailFile>(ResolveTarget(fileName), fileName);
        replacement_.emplace(*ownFile_);
    } catch (const Error&) {
        failure_ = std::current_exception();
    }
}

void MailOutput::PutLine(std::string_view line)
{
    PutLineWithEnd(line, LineEnd::kCrLf);
}

void MailOutput::PutLineWithEnd(std::string_view line, LineEnd end)
{
    if (failure_)
        return;
    if (keepLineEnds_)
        lastEnd_ = end = KeptLineEnd(lastEnd_, line, end);
    else
        end = LineEnd::kCrLf;
    try {
        if (copy_) {
            copy_->Write(line);
            copy_->Write(LineEndBytes(end));
        }
        replacement_->Write(line);
        replacement_->Write(LineEndBytes(end));
    } catch (const Error&) {
        failure_ = std::current_exception();
    }
}

void MailOutput::PutLines(const LineRun& run)
{
    if (!keepLineEnds_ && !run.allCrLf) {
        LineSink::PutLines(run);
        return;
    }
    if (failure_)
        return;
    // No line of a run is empty, so each keeps its end.
    lastEnd_ = run.lastEnd;
    try {
        if (copy_)
            copy_->Write(run.bytes);
        replacement_->Write(run.bytes);
    } catch (const Error&) {
        failure_ = std::current_exception();
    }
}

bool MailOutput::Finish()
{
    if (!failure_) {
        try {
            return replacement_->Finish();
        } catch (const Error&) {
            failure_ = std::current_exception();
        }
    }
    std::rethrow_exception(failure_);
}

void MailOutput::Sync()
{
    if (!Finish())
        return;
    try {
        replacement_->Sync();
    } catch (const Error&) {
        failure_ = std::current_exception();
    }
}

void MailOutput::Commit()
{
    Finish();
    replacement_->Commit();
}

}  // namespace norvane
