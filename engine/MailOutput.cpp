#include "engine/MailOutput.h"

#include "engine/Error.h"

namespace norvane {

MailOutput::MailOutput(const std::string& fileName)
{
    try {
        writer_.emplace(fileName);
    } catch (const Error&) {
        failure_ = std::current_exception();
    }
}

void MailOutput::PutLine(std::string_view line)
{
    if (failure_)
        return;
    try {
        writer_->WriteLine(line);
    } catch (const Error&) {
        failure_ = std::current_exception();
    }
}

void MailOutput::Commit()
{
    if (failure_)
        std::rethrow_exception(failure_);
    writer_->Commit();
}

}  // namespace norvane
