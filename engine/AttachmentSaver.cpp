#include "engine/AttachmentSaver.h"

#include "engine/AttachmentName.h"
#include "engine/Error.h"
#include "engine/FileIo.h"
#include "engine/RemovalNote.h"
#include "engine/TextRules.h"
#include "engine/VeskRun.h"

#include <cerrno>
#include <fcntl.h>
#include <filesystem>
#include <system_error>
#include <unistd.h>

namespace norvane {

namespace {

constexpr std::string_view kAttachmentsSuffix = ".attachments/";
constexpr std::string_view kMaildirFolder = "norvane-attachments/";
// The stem of the hidden temporary file a content is decoded into.
constexpr std::string_view kTempStem = "attachment";

std::string WithSlash(std::string folder)
{
    if (!folder.empty() && folder.back() != '/')
        folder += '/';
    return folder;
}

std::string WithoutSlash(std::string_view folder)
{
    while (folder.size() > 1 && folder.back() == '/')
        folder.remove_suffix(1);
    return folder.empty() ? std::string(".") : std::string(folder);
}

// The given folder as the note names it: relative to the mail's folder,
// unless it was given absolute (or no relative path leads there).
std::string NoteFolderFor(const std::string& given, const std::string& mailFolder)
{
    namespace fs = std::filesystem;
    if (!given.empty() && given.front() == '/')
        return WithSlash(given);
    std::error_code error;
    const fs::path folder = fs::absolute(fs::path(WithoutSlash(given)), error);
    if (error)
        return WithSlash(given);
    const fs::path base = fs::absolute(fs::path(WithoutSlash(mailFolder)), error);
    fs::path relative;
    if (!error)
        relative = fs::relative(folder, base, error);
    if (error || relative.empty())
        return WithSlash(folder.lexically_normal().string());
    if (relative == ".")
        return {};
    return WithSlash(relative.string());
}

void GiveToMailOwner(int fd, const struct stat& mail)
{
    if (::geteuid() == 0 && ::fchown(fd, mail.st_uid, mail.st_gid) != 0) {
        // It stays root's: still not readable by others.
    }
}

}  // namespace

std::string DefaultAttachmentFolder(const std::string& mailPath)
{
    const auto [folder, name] = SplitPath(mailPath);
    if (MaildirTop(folder))
        return "../" + std::string(kMaildirFolder);
    return name + std::string(kAttachmentsSuffix);
}

std::string ChooseSavedName(const PartHeader& header, int number, std::string_view charset,
                            const std::function<bool(std::string_view)>& isTaken, std::size_t nameMax)
{
    const FileName decoded = AttachmentFileName(header, charset);
    const bool known = ParseTransferEncoding(header.ContentTransferEncoding()) != TransferEncoding::Unknown;
    const std::string name = PartFileName(decoded, number, header.MediaType(), known, nameMax);
    return FirstFreeName(name, isTaken, decoded.charset, nameMax);
}

void AttachmentSaver::Sink::Write(std::string_view bytes)
{
    if (saver_.options_.note)
        saver_.hash_.Update(bytes);
    if (saver_.fd_ >= 0)
        saver_.WriteFile(bytes);
}

AttachmentSaver::AttachmentSaver(const SaveOptions& options, const std::string& mailPath, const struct stat& mail)
    : options_(options), mail_(mail)
{
    const auto [mailFolder, mailName] = SplitPath(mailPath);
    if (options_.folder.empty()) {
        // As DefaultAttachmentFolder gives it, with the Maildir looked for once.
        if (const auto top = MaildirTop(mailFolder)) {
            shownFolder_ = *top + std::string(kMaildirFolder);
            noteFolder_ = "../" + std::string(kMaildirFolder);
        } else {
            shownFolder_ = mailPath + std::string(kAttachmentsSuffix);
            noteFolder_ = mailName + std::string(kAttachmentsSuffix);
        }
    } else {
        shownFolder_ = WithSlash(options_.folder);
        noteFolder_ = NoteFolderFor(options_.folder, mailFolder);
    }
}

AttachmentSaver::~AttachmentSaver()
{
    if (fd_ >= 0) {
        ::close(fd_);
        ::unlinkat(dirFd_, tempName_.c_str(), 0);
    }
    // A dry run's names were only planned: files under them are not its own.
    if (!kept_ && !options_.plan)
        for (const auto& name : names_)
            ::unlinkat(dirFd_, name.c_str(), 0);
    if (dirFd_ >= 0)
        ::close(dirFd_);
    if (madeFolder_)
        ::rmdir(WithoutSlash(shownFolder_).c_str());  // only when left empty
}

void AttachmentSaver::BeginPart()
{
    header_ = PartHeader();
}

void AttachmentSaver::PutHeaderLine(std::string_view line)
{
    header_.PutLine(line);
}

bool AttachmentSaver::BeginBody()
{
    DropBody();
    ++partNumber_;
    if (header_.HasRemovalNote() || (!options_.save && !options_.note))
        return false;
    inBody_ = true;
    decoder_.emplace(ParseTransferEncoding(header_.ContentTransferEncoding()), sink_);
    return options_.note;
}

void AttachmentSaver::PutBodyLine(std::string_view line)
{
    if (!inBody_)
        return;
    if (options_.save && !fileOpen_)
        CreateFile();
    hasLines_ = true;
    decoder_->PutLine(line);
}

std::optional<std::string> AttachmentSaver::EndBody()
{
    if (!inBody_)
        return std::nullopt;
    inBody_ = false;
    if (!hasLines_) {
        decoder_.reset();
        return std::nullopt;
    }
    hasLines_ = false;
    decoder_->Finish();
    const std::uint64_t size = decoder_->DecodedSize();
    decoder_.reset();
    // The digest is taken only for the note.
    const std::string digest = options_.note ? hash_.Final() : std::string();
    std::optional<std::string> notePath;
    if (fileOpen_)
        notePath = noteFolder_ + CloseFile();
    if (!options_.note)
        return std::nullopt;
    return RemovalNoteLine(size, digest, notePath ? std::optional<std::string_view>(*notePath) : std::nullopt, {});
}

void AttachmentSaver::DropBody()
{
    inBody_ = false;
    hasLines_ = false;
    decoder_.reset();
    if (options_.note)
        hash_.Final();  // starts over
    fileOpen_ = false;
    if (fd_ >= 0) {
        ::close(fd_);
        fd_ = -1;
        ::unlinkat(dirFd_, tempName_.c_str(), 0);
    }
}

bool AttachmentSaver::Taken(std::string_view name) const
{
    for (const auto& saved : names_)
        if (saved == name)
            return true;
    if (dirFd_ < 0)
        return false;  // planning, with the folder still to be made
    struct stat st {};
    // Anything that cannot be looked at counts as taken.
    return ::fstatat(dirFd_, std::string(name).c_str(), &st, AT_SYMLINK_NOFOLLOW) == 0 || errno != ENOENT;
}

void AttachmentSaver::OpenFolder()
{
    if (dirFd_ >= 0 || folderChecked_)
        return;
    const std::string path = WithoutSlash(shownFolder_);
    // A given folder may be a link the user made; the folder made beside the
    // mail is never reached through one.
    const int flags = O_RDONLY | O_DIRECTORY | O_CLOEXEC | (options_.folder.empty() ? O_NOFOLLOW : 0);
    dirFd_ = ::open(path.c_str(), flags);
    if (dirFd_ < 0 && errno == ENOENT && options_.plan) {
        folderChecked_ = true;
        return;
    }
    if (dirFd_ < 0 && errno == ENOENT && ::mkdir(path.c_str(), 0700) == 0) {
        madeFolder_ = true;
        dirFd_ = ::open(path.c_str(), flags);
        if (dirFd_ >= 0)
            GiveToMailOwner(dirFd_, mail_);
    }
    if (dirFd_ < 0)
        ThrowCannotCreate(path);
    const long nameMax = ::fpathconf(dirFd_, _PC_NAME_MAX);
    if (nameMax > 0 && static_cast<std::size_t>(nameMax) < kNameMax)
        nameMax_ = static_cast<std::size_t>(nameMax);
}

std::string AttachmentSaver::NextName() const
{
    std::string name = ChooseSavedName(header_, partNumber_, options_.charset,
                                       [this](std::string_view candidate) { return Taken(candidate); }, nameMax_);
    if (name.empty())
        ThrowCannotCreate(shownFolder_ + "attachment");
    return name;
}

void AttachmentSaver::CreateFile()
{
    OpenFolder();
    name_ = NextName();
    fileOpen_ = true;
    if (options_.plan)
        return;
    fd_ = CreateTemporaryFile(dirFd_, {}, kTempStem, tempName_);
    if (fd_ < 0)
        ThrowCannotCreate(shownFolder_ + name_);
    GiveToMailOwner(fd_, mail_);
}

void AttachmentSaver::WriteFile(std::string_view bytes)
{
    if (!WriteAll(fd_, bytes))
        ThrowCannotCreate(shownFolder_ + name_);
}

std::string AttachmentSaver::CloseFile()
{
    fileOpen_ = false;
    if (options_.plan) {
        names_.push_back(name_);
        saved_.push_back(shownFolder_ + name_);
        return name_;
    }
    const int fd = fd_;
    fd_ = -1;
    name_ = PublishTemporaryFile(fd, dirFd_, tempName_, name_, shownFolder_, 100,
                                 [this] { return std::optional<std::string>(NextName()); });
    names_.push_back(name_);
    saved_.push_back(shownFolder_ + name_);
    return name_;
}

}  // namespace norvane
