#pragma once

#include "engine/FileIo.h"
#include "engine/LineSink.h"

#include <exception>
#include <optional>
#include <string>

namespace norvane {

// Writes surviving lines, each followed by CR LF, into the replacement of a
// mail file. A failure to create or write it is kept rather than thrown at
// once, so the rest of the file is still read (its keys registered, its
// backup completed); Commit raises it.
class MailOutput final : public LineSink {
public:
    explicit MailOutput(const std::string& fileName);

    void PutLine(std::string_view line) override;

    // Raises a kept failure, else renames the replacement over the file.
    void Commit();

private:
    std::optional<AtomicFileWriter> writer_;
    std::exception_ptr failure_;
};

}  // namespace norvane
