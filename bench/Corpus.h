#pragma once

#include <cstdint>
#include <string>

namespace norvane::bench {

// Small, fast generator with the same sequence on every platform (the
// standard distributions are not portable), so a corpus can be made again
// byte for byte from its seed.
class Rng {
public:
    explicit Rng(std::uint64_t seed) : state_(seed) {}
    std::uint64_t Next();
    // Uniform in [low, high].
    std::uint64_t Between(std::uint64_t low, std::uint64_t high);
    // True with the given chance in percent.
    bool Percent(unsigned chance) { return Between(1, 100) <= chance; }

private:
    std::uint64_t state_;
};

struct CorpusOptions {
    std::uint64_t seed = 20261207;
    // Encoded size of one attachment body.
    std::uint64_t attachmentMin = 20 * 1024;
    std::uint64_t attachmentMax = 500 * 1024;
    // Chance in percent that a message is multipart/mixed with attachments.
    unsigned multipartPercent = 33;
};

struct CorpusStats {
    std::uint64_t bytes = 0;
    std::uint64_t messages = 0;
    std::uint64_t multipartMixed = 0;
    std::uint64_t attachments = 0;
};

// Appends one message (LF line ends) to out. With mboxFromLine the message
// begins with an mbox "From " separator line and body lines beginning with
// "From " are quoted as ">From ".
void AppendMessage(std::string& out, Rng& rng, const CorpusOptions& options,
                   bool mboxFromLine, CorpusStats& stats);

// Writes an mbox of messages until it holds at least targetBytes.
CorpusStats WriteMbox(const std::string& path, std::uint64_t targetBytes,
                      const CorpusOptions& options = {});

// Writes count single-message files named 00000.eml, 00001.eml, ... into an
// existing folder.
CorpusStats WriteEmlFolder(const std::string& folder, int count,
                           const CorpusOptions& options = {});

// A small mail file (one message, or up to three in mbox form) roughened the
// way stored mail gets: mixed line ends, lost or doubled lines, truncation,
// premature closing delimiters, short boundaries, inline parts, lower-case
// keys, header-like body lines, NUL bytes and end-of-file marks. For checking
// the engine against a reference, not for timing.
std::string RoughMail(Rng& rng);

}  // namespace norvane::bench
