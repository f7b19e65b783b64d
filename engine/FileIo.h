#pragma once

#include "engine/LineEnd.h"
#include "engine/LineSink.h"

#include <cstdint>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace norvane {

struct PassControl;

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
    // Asked before each block is read (a set cancel flag raises the
    // cancelled error) and told after it; none: nobody follows the reading.
    const PassControl* control = nullptr;
};

// Which lines a LineReader may hand over in one run (see TakeRun): never an
// empty line, nor one that begins with a byte of notFirst or with notPrefix,
// nor one that holds the byte absent (when not NUL).
struct PlainLineRule {
    bool crLfOnly = true;  // only lines that end in CR LF, else any line with its end
    char absent = 0;
    std::string_view notFirst;
    std::string_view notPrefix;
    bool prefixAnyCase = false;  // notPrefix in any ASCII letter case
};

// Splits a file into lines while reading it in blocks: a line ends at CR LF,
// at a lone CR or at a lone LF (LF followed by CR is two line ends); a last
// line without line end is a line; a final line end adds no empty line. NUL
// is an ordinary byte. The view returned by Next stays valid until the next
// call.
class LineReader {
public:
    // Opens the file. A file that cannot be opened or read raises the error
    // the options choose, here or at the first Next; anything but a regular
    // file raises the not-regular error (a FIFO is refused at once, never
    // waited on).
    explicit LineReader(const std::string& path, const LineReaderOptions& options = {});
    // Reads an open regular file from its start; the descriptor stays open
    // and belongs to the caller. Errors name errorName.
    LineReader(int fd, std::string_view errorName, const LineReaderOptions& options = {});
    ~LineReader();
    LineReader(const LineReader&) = delete;
    LineReader& operator=(const LineReader&) = delete;

    bool Next(std::string_view& line);
    // Takes the lines Next would return next, as long as they are already
    // held, whole with their ends, and follow rule, in one piece (none when
    // the next line does not). Afterwards LineOffset and LastLineEnd are
    // those of the run's last line, as if Next had returned each.
    LineRun TakeRun(const PlainLineRule& rule);
    // Byte offset in the file where the line last returned by Next begins.
    std::uint64_t LineOffset() const { return lineOffset_; }
    // The bytes the reader holds and the file offset of the first: valid
    // until the next Next or Seek.
    std::string_view Held() const { return {buffer_.get(), end_}; }
    std::uint64_t HeldOffset() const { return bufferOffset_; }
    // How the line last returned by Next ended.
    LineEnd LastLineEnd() const { return lineEnd_; }
    // Goes back (or forward) to a byte offset that begins a line.
    void Seek(std::uint64_t offset);

private:
    bool Fill();
    [[noreturn]] void Fail(int error) const;
    void SizeBuffer(std::uint64_t fileSize);

    int fd_ = -1;
    bool ownsFd_ = true;
    std::string path_;  // the name errors give
    LineReaderOptions options_;
    std::unique_ptr<char[]> buffer_;  // not cleared: only bytes read are looked at
    std::size_t capacity_ = 0;
    std::uint64_t fileSize_ = 0;  // as the reader was opened, for progress
    std::size_t begin_ = 0;
    std::size_t end_ = 0;
    std::uint64_t bufferOffset_ = 0;  // file offset of buffer_[0]
    std::uint64_t lineOffset_ = 0;
    LineEnd lineEnd_ = LineEnd::kNone;
    // buffer_[begin_, noLfBefore_) is known to hold no LF, so a file with CR
    // line ends is not searched to the end of the block for every line.
    std::size_t noLfBefore_ = 0;
    // The same for the byte a run rule keeps out.
    std::size_t noAbsentBefore_ = 0;
    char absent_ = 0;
    bool eof_ = false;
};

// Whether a file name is one of this program's temporary files
// (".NAME.nvtmp-XXXXXX", or ".nvtmp-XXXXXX" beside a very long name): what a
// killed run can leave behind, never to be taken for mail.
bool IsTemporaryName(std::string_view name);

// Creates a new temporary file for the file `name` in folder (a path ending
// in "/", or empty for the folder open as dirFd): hidden, exclusive, never
// through a symbolic link, mode 0600. Returns its descriptor and sets path
// (folder + its name), or -1 with errno set.
int CreateTemporaryFile(int dirFd, std::string_view folder, std::string_view name, std::string& path);

// Gives the temporary file temp in the folder open as dirFd the name `name`
// unless that exists (a no-replace rename, or a hard link where the file
// system lacks it): 0, or an errno (EEXIST when the name is taken).
int PlaceExclusively(int dirFd, const std::string& temp, const std::string& name);

// The last step of a new file written into the temporary file temp, open as
// fd, in the folder open as dirFd (shown as shownFolder, ending in "/"): fd
// is flushed and closed, then temp takes the name `name` there (see
// PlaceExclusively) and the folder is flushed. A name taken since it was
// chosen is followed by the one next gives (none: no other) up to
// `attempts` names. Returns the name taken; else raises the create error
// naming shownFolder and the last name chosen, with temp removed.
std::string PublishTemporaryFile(int fd, int dirFd, const std::string& temp, std::string name,
                                 std::string_view shownFolder, int attempts,
                                 const std::function<std::optional<std::string>()>& next);

// Appends length bytes of from, starting at offset, at to's position: in the
// kernel where the file systems allow it, else through a buffer. from's own
// position does not move. False when a read or write fails or from ends early.
bool CopyRange(int from, std::uint64_t offset, int to, std::uint64_t length);

// Replaces a file atomically: the bytes go to a hidden temporary file in the
// same folder, which is flushed and renamed over the original, keeping its
// permission bits and, where the process may set them, its owner and group.
// A symbolic link is followed: its target is replaced and the link stays. A
// file the user may not write is refused. On any failure the original stays
// as it was, the temporary file is removed and the create error names
// errorName (the path when empty).
class AtomicFileWriter {
public:
    explicit AtomicFileWriter(const std::string& path, std::string_view errorName = {});
    // Replaces target, a regular file whose status the caller took: the new
    // file gets its owner, group and mode, or the create error is raised when
    // they cannot be given. Whether the file may be written is the caller's
    // check.
    AtomicFileWriter(const std::string& target, const struct stat& like, std::string_view errorName);
    ~AtomicFileWriter();
    AtomicFileWriter(const AtomicFileWriter&) = delete;
    AtomicFileWriter& operator=(const AtomicFileWriter&) = delete;

    void Write(std::string_view bytes);
    void WriteLine(std::string_view line)  // the line followed by CR LF
    {
        Write(line);
        Write("\r\n");
    }
    // Appends length bytes of the open file from, from offset on (see CopyRange).
    void CopyFrom(int from, std::uint64_t offset, std::uint64_t length);
    std::uint64_t BytesWritten() const { return written_; }
    // Writes out what is buffered and flushes the file to disk, so that a
    // later Commit has little left to wait for.
    void Sync();
    // Flushes and renames over the target. lastCheck runs just before the
    // rename; an Error it raises drops the temporary file.
    void Commit(const std::function<void()>& lastCheck = {});
    // Drops the temporary file; the target stays as it was.
    void Abandon();

private:
    void Create(const struct stat* like);
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

// The file a path finally names, following symbolic links; the path itself
// when it does not exist yet.
std::string ResolveTarget(const std::string& path);

// Whether path names a folder (following links).
bool IsFolder(const std::string& path);

// Writes all of bytes to fd, going on after an interrupted or short write;
// false when a write fails.
bool WriteAll(int fd, std::string_view bytes);

// Seam for tests: conditions a test cannot provoke when it runs as root.
struct FileSystemSeam {
    // Whether the user may write an existing file (default: access(W_OK)).
    std::function<bool(const std::string& path)> mayWrite;
    // Called before a written file takes its name (a temporary file renamed
    // over its target, a backup copy given its name); returning true makes
    // the write fail as a full disk would. It may also change the target, as
    // another program would at that moment.
    std::function<bool(const std::string& target)> failBeforeRename;
    // Copies go through a buffer, as on a file system without kernel copies.
    bool plainCopy = false;
};
FileSystemSeam& TestSeam();

}  // namespace norvane
