#pragma once

#include "engine/FileIo.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace norvane {

// What a pass may do with a mail file.
enum class MailAccess {
    kReplace,  // read, and replace when the content changes
    kRead,     // only read (a dry run): opened read-only under a read lock
};

// A mail file open for one pass, so that the file read is the file replaced
// and nobody else writes it meanwhile.
class MailFile {
public:
    // Opens path, which must name a regular file itself (a symbolic link is
    // refused; resolve it first): checked with lstat, opened without
    // following a link or waiting on a FIFO, and compared with that check.
    // Holds a write lock on the file (a read lock when the process may only
    // read it, or with access kRead) until destroyed. Raises the open error,
    // the not-regular error, the changed error or the in-use error naming
    // errorName (the path when empty).
    explicit MailFile(const std::string& path, std::string_view errorName = {},
                      MailAccess access = MailAccess::kReplace);
    ~MailFile();
    MailFile(const MailFile&) = delete;
    MailFile& operator=(const MailFile&) = delete;

    int Descriptor() const { return fd_; }
    MailAccess Access() const { return access_; }
    const std::string& Path() const { return path_; }
    const std::string& ErrorName() const { return errorName_; }
    // The status as the file was opened (under the lock).
    const struct stat& Status() const { return status_; }
    std::uint64_t Size() const { return static_cast<std::uint64_t>(status_.st_size); }

    // Raises the create error when the process may not replace the file: it
    // has no write permission bit at all, the process may not write it, or
    // the process could not give a new file its owner (neither root nor the
    // owner).
    void CheckReplaceable() const;
    // Raises the changed error when the path no longer names the file as it
    // was opened: the same device and inode, size and modification time.
    void CheckUnchanged() const;

private:
    std::string path_;
    std::string errorName_;
    int fd_ = -1;
    MailAccess access_ = MailAccess::kReplace;
    bool writable_ = false;
    struct stat status_ {};
};

// The new content of an open mail file, compared with the file while it is
// produced: nothing is written while it equals the file; at the first
// difference the equal part is copied (in the kernel) into a hidden
// temporary file beside the mail file and the writing goes on there. So a
// file that does not change is neither written nor replaced. For a file open
// with access kRead nothing is ever written: the content is compared and
// counted, and a difference raises what a replacement would (a file that may
// not be replaced), so a dry run fails where the real run would.
class MailReplacement {
public:
    explicit MailReplacement(const MailFile& mail);

    // Raises the create error when the file differs and may not be replaced
    // (see MailFile::CheckReplaceable) or cannot be written, the open error
    // when the file cannot be read to compare.
    void Write(std::string_view bytes);
    // Compares what is written with the bytes reader holds where they cover
    // it, rather than reading the file again; reader must read this file.
    void CompareWith(const LineReader& reader) { held_ = &reader; }
    void WriteLine(std::string_view line)  // the line followed by CR LF
    {
        Write(line);
        Write("\r\n");
    }
    // Ends the content; returns whether it differs from the file.
    bool Finish();
    // Bytes of content written so far.
    std::uint64_t ContentSize() const { return size_; }
    // Flushes the replacement to disk ahead of Commit (after Finish).
    void Sync();
    // Replaces the file when the content differs: flushed, with the file's
    // owner, group and mode, and only when the path still names the file as
    // it was opened (else the changed error). On any failure the file stays
    // as it was and the temporary file is removed. Does nothing for a file
    // open with access kRead.
    void Commit();

private:
    bool Refill();
    void Diverge(std::string_view rest);

    const MailFile& mail_;
    std::optional<AtomicFileWriter> writer_;
    std::vector<char> block_;     // the file's bytes being compared
    const LineReader* held_ = nullptr;
    const char* blockData_ = nullptr;  // block_ or the reader's bytes
    bool blockHeld_ = false;           // blockData_ is the reader's
    std::uint64_t blockAt_ = 0;   // file offset of block_[0]
    std::size_t blockLength_ = 0;
    std::uint64_t equal_ = 0;     // bytes of content equal to the file so far
    std::uint64_t size_ = 0;
    bool finished_ = false;
    bool differs_ = false;  // only counted: the file is open with access kRead
};

// Writes a backup of mail: a byte-for-byte copy of the file as it was opened
// (a reflink clone where the file system offers one), with its permission
// bits and, where the process may set them, its owner and group (without the
// group bits when the group cannot be set), flushed to disk. The copy is made
// in a hidden temporary file and then takes the first name from nextName that
// is free: an existing file is never replaced and a symbolic link never
// followed. Every name must lie in one folder, which is made (mode 0700) when
// it is missing. Returns the name taken. Raises the changed error when the
// mail file is no longer as it was opened, else the create error naming the
// backup; nothing is left behind then.
std::string WriteBackup(const MailFile& mail, const std::function<std::string()>& nextName);

}  // namespace norvane
