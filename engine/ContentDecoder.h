#pragma once

#include "engine/ByteSink.h"

#include <cstdint>
#include <string>
#include <string_view>

namespace norvane {

// The Content-Transfer-Encodings a part's content is decoded by. 7bit, 8bit
// and binary content is taken as it stands (Identity).
enum class TransferEncoding { Identity, Base64, QuotedPrintable, Unknown };

// The encoding a Content-Transfer-Encoding value names, in any letter case,
// blanks around it and a trailing "(comment)" or ";..." ignored. An empty
// value (no such header) is Identity; a name not listed is Unknown.
TransferEncoding ParseTransferEncoding(std::string_view value);

// A part in an unknown encoding is saved as it stands, with this added to
// its file name.
inline constexpr std::string_view kEncodedSuffix = ".encoded";

// Decodes a part's content from its body lines, given one at a time without
// their line ends, and passes the bytes on to out in chunks of about
// chunkSize, so a large content is never held whole.
//
// Line ends decode to LF, except that the line end before the end of the
// part belongs to the delimiter line that follows and is never content:
// - Identity and Unknown: the lines joined by LF.
// - Base64: characters outside the alphabet (line ends, blanks, garbage) are
//   skipped; "=" ends a quantum of two or three characters (so padded pieces
//   may follow one another); a quantum left open at the end is decoded as if
//   padded, a single character left over is dropped.
// - QuotedPrintable: a line ending in "=" (blanks after it ignored) is
//   joined to the next; any other line end is a hard break and decodes to
//   LF; "=XX" with hexadecimal digits in either case is that byte; an "="
//   not followed by two of them stays as it stands, and so do blanks at the
//   end of a line.
class ContentDecoder {
public:
    static constexpr std::size_t kChunkSize = 64 * 1024;

    ContentDecoder(TransferEncoding encoding, ByteSink& out, std::size_t chunkSize = kChunkSize);
    ContentDecoder(const ContentDecoder&) = delete;
    ContentDecoder& operator=(const ContentDecoder&) = delete;

    void PutLine(std::string_view line);
    // The part has ended: passes on the bytes still held. Without it (a
    // content cut off) the held bytes are never written.
    void Finish();

    TransferEncoding Encoding() const { return encoding_; }
    // Bytes decoded so far, including those not yet passed on.
    std::uint64_t DecodedSize() const { return decoded_; }

private:
    void PutBase64(std::string_view line);
    void PutQuotedPrintable(std::string_view line);
    void Emit(std::string_view bytes);
    void Emit(char byte);
    void Flush();

    TransferEncoding encoding_;
    ByteSink& out_;
    std::size_t chunkSize_;
    std::string buffer_;
    std::uint64_t decoded_ = 0;
    // A line end seen but not yet known to be content: it is, once another
    // line follows.
    bool breakPending_ = false;
    // Base64: the sextets of the open quantum.
    std::uint32_t quantum_ = 0;
    int sextets_ = 0;
};

}  // namespace norvane
