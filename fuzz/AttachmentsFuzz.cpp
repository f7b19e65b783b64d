// Attachment removal over any mail text, with and without traces: a small
// hold limit (header lines spilled and read again from the file) gives what
// an unbounded one gives; the streaming remover leaves what the whole-file
// reference leaves; the file-level entry point writes exactly those lines
// and a backup of the mail as loaded.
//
// A second removal may delete more, so it is not checked: a multipart
// declaration inside an attachment body sets the boundary the scan goes on
// with, and it is deleted with the body, so the next run scans with the
// outer boundary again.
#include "bench/Reference.h"
#include "engine/Attachments.h"
#include "engine/FileIo.h"
#include "fuzz/FuzzSupport.h"

#include <limits>
#include <unistd.h>

namespace {

class CollectLines final : public norvane::LineSink {
public:
    void PutLine(std::string_view line) override { lines.emplace_back(line); }
    std::vector<std::string> lines;
};

struct Removal {
    std::vector<std::string> lines;
    int removed = 0;
};

Removal RemoveStreaming(const std::string& path, bool removeTraces, std::size_t holdLimit)
{
    using namespace norvane;
    LineReader reader(path);
    CollectLines out;
    AttachmentRemover remover(removeTraces, out, reader, holdLimit);
    std::string_view line;
    while (reader.Next(line))
        remover.PutLine(line);
    remover.Finish();
    return {std::move(out.lines), remover.Removed()};
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size)
{
    using namespace norvane;
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    static const std::string path = fuzz::ScratchPath("attachments/mail.eml");
    static const std::string backupPath = fuzz::ScratchPath("attachments/mail.bak");
    const std::vector<std::string> inputLines = fuzz::SplitMailLines(input);
    fuzz::WriteFileBytes(path, input);

    for (const bool removeTraces : {false, true}) {
        const Removal unbounded = RemoveStreaming(path, removeTraces, std::numeric_limits<std::size_t>::max());
        for (const std::size_t holdLimit : {0, 1, 24, 200}) {
            const Removal bounded = RemoveStreaming(path, removeTraces, holdLimit);
            FUZZ_REQUIRE_EQ(unbounded.lines, bounded.lines, "a small hold limit passes on the same lines");
            FUZZ_REQUIRE_EQ(unbounded.removed, bounded.removed, "a small hold limit deletes as many lines");
        }

        bench::Lines reference(inputLines.begin(), inputLines.end());
        const int referenceRemoved = bench::ReferenceRemoveAttachments(reference, removeTraces);
        FUZZ_REQUIRE_EQ(std::vector<std::string>(reference.begin(), reference.end()), unbounded.lines,
                        "removal leaves the lines the reference leaves");
        FUZZ_REQUIRE_EQ(referenceRemoved, unbounded.removed, "removal deletes as many lines as the reference");
    }

    // The file-level entry point, the backup only with traces so both
    // outcomes are seen.
    for (const bool removeTraces : {false, true}) {
        fuzz::WriteFileBytes(path, input);
        ::unlink(backupPath.c_str());
        const int removed = RemoveAttachments(path, removeTraces, true, removeTraces);
        const std::string output = fuzz::ReadFileBytes(path);
        if (inputLines.size() < 2) {
            FUZZ_REQUIRE_EQ(input, output, "a file of fewer than 2 lines stays as it is");
            FUZZ_REQUIRE(::access(backupPath.c_str(), F_OK) != 0, "a file of fewer than 2 lines gets no backup");
            continue;
        }
        bench::Lines reference(inputLines.begin(), inputLines.end());
        const int referenceRemoved = bench::ReferenceRemoveAttachments(reference, removeTraces);
        FUZZ_REQUIRE_EQ(bench::JoinLines(reference), output, "the rewritten file holds the surviving lines");
        FUZZ_REQUIRE_EQ(referenceRemoved, removed, "the file-level count is the lines deleted");
        // The backup is an exact copy, taken only when the file changed.
        const bool backedUp = ::access(backupPath.c_str(), F_OK) == 0;
        FUZZ_REQUIRE(backedUp == (removeTraces && output != input), "a backup exactly when the file changed");
        if (backedUp)
            FUZZ_REQUIRE_EQ(input, fuzz::ReadFileBytes(backupPath), "the backup holds the mail as it was");
    }

    // Without removal the file is not rewritten.
    fuzz::WriteFileBytes(path, input);
    FUZZ_REQUIRE_EQ(0, RemoveAttachments(path, false, false, true), "nothing is deleted without removal");
    FUZZ_REQUIRE_EQ(input, fuzz::ReadFileBytes(path), "without removal and backup the file stays as it is");
    return 0;
}
