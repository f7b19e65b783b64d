#pragma once

#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <string_view>
#include <vector>

namespace norvane {

// Reads a whole file; a file that cannot be opened or read raises the
// open error naming errorName (the path when empty).
std::string ReadWholeFile(const std::string& path, std::string_view errorName = {});

// How a LineReader reports a file it cannot open or read.
enum class ReadErrorText {
    CannotOpen,  // the open error naming the file
    Cause,       // ReadErrorMessage of the system's error number
};

// What differs between the readers of a mail file.
struct LineReaderOptions {
    // The largest buffer a reader starts with (4 KiB at least); a smaller
    // file gets one just large enough for it, and a line longer than the
    // buffer grows it.
    std::size_t firstBlock = std::size_t{1} << 20;
    // Byte 26 (an end-of-file mark) ends the data: it and everything
    // after it are never returned.
    bool endAtByte26 = false;
    ReadErrorText errors = ReadErrorText::CannotOpen;
};

// Splits a file into lines while reading it in blocks: a line ends at CR LF,
// at a lone CR or at a lone LF (LF followed by CR is two line ends); a last
// line without line end is a line; a final line end adds no empty line. NUL
// is an ordinary byte. The view returned by Next stays valid until the next
// call.
class LineReader {
public:
    // Opens the file. A file that cannot be opened or read raises the error
    // the options choose, here or at the first Next (a folder may be found
    // only then).
    explicit LineReader(const std::string& path, const LineReaderOptions& options = {});
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool Next(std::string_view& line);
    // Byte offset in the file where the line last returned by Next begins.
    std::uint64_t LineOffset() const { return lineOffset_; }
    // Goes back (or forward) to a byte offset that begins a line.
    void Seek(std::uint64_t offset);

private:
    bool Fill();
    [[noreturn]] void Fail(int error) const;

    int fd_ = -1;
    std::string path_;
    LineReaderOptions options_;
    std::unique_ptr<char[]> buffer_;  // not cleared: only bytes read are looked at
    std::size_t capacity_ = 0;
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t bufferOffset_ = 0;  // file offset of buffer_[0]
    std::uint64_t lineOffset_ = 0;
    // buffer_[begin_, noLfBefore_) is known to hold no LF, so a file with CR
    // line ends is not searched to the end of the block for every line.
    std::size_t noLfBefore_ = 0;
    bool eof_ = false;
};

// Replaces a file atomically: the bytes go to a temporary file in the same
// folder, which is flushed and renamed over the original, keeping its
// permission bits. A symbolic link is followed: its target is replaced and
// the link stays. A file the user may not write is refused. On any failure
// the original stays as it was, the temporary file is removed and the create
// error names errorName (the path when empty).
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path, std::string_view errorName = {});
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(std::string_view bytes);
    void WriteLine(std::string_view line)  // the line followed by CR LF
    {
        Write(line);
        Write("\r\n");
    }
    std::uint64_t BytesWritten() const { return written_; }
    // Flushes and renames over the target.
    void Commit();
    // Drops the temporary file; the target stays as it was.
    void Abandon();

private:
    void FlushBuffer();
    [[noreturn]] void Fail();

    std::string target_;
    std::string errorName_;
    std::string tempPath_;
    int fd_ = -1;
    std::string buffer_;
    std::uint64_t written_ = 0;
};

// Writes text into a file atomically (see AtomicFileWriter).
void WriteWholeFile(const std::string& path, std::string_view text, std::string_view errorName = {});

// Seam for tests: conditions a test cannot provoke when it runs as root.
struct FileSystemSeam {
    // Whether the user may write an existing file (default: access(W_OK)).
    std::function<bool(const std::string& path)> mayWrite;
    // Called before the temporary file for a target is renamed; returning
    // true makes the write fail as a full disk would.
    std::function<bool(const std::string& target)> failBeforeRename;
};
FileSystemSeam& TestSeam();

}  // namespace norvane
