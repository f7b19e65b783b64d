#pragma once

#include "engine/ByteSink.h"
#include "engine/ContentDecoder.h"
#include "engine/PartHeader.h"
#include "engine/SafeName.h"
#include "engine/Sha256.h"

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <sys/stat.h>
#include <vector>

namespace norvane {

// How the attachments a pass removes are saved and noted.
struct SaveOptions {
    // Decode each removed attachment's content into a file of its own.
    bool save = false;
    // Leave the note line (see RemovalNote.h) after its part header lines.
    bool note = false;
    // The folder the files go to, as given (relative to the current
    // folder); empty: DefaultAttachmentFolder of the mail.
    std::string folder;
    // The charset file names are written in (see FileNameCharset); empty:
    // UTF-8.
    std::string charset;
    // A dry run: the names, the files listed and the notes are a run's, but
    // no folder or file is made.
    bool plan = false;
};

// Where a mail's attachments go when no folder is given, relative to the
// mail's folder and ending in "/": "NAME.attachments/" for the mail file
// NAME, or in a Maildir's "cur" or "new" (see MaildirTop)
// "../norvane-attachments/", shared by the Maildir's messages.
std::string DefaultAttachmentFolder(const std::string& mailPath);

// The name a removed part's content is saved under: its decoded file name
// (or "attachment-N" for the part numbered N in its mail) made safe, with
// ".encoded" for an unknown transfer encoding, numbered when isTaken says the
// name is taken. Empty when every numbered name is taken. It writes nothing,
// so a preview gives the names a run would.
std::string ChooseSavedName(const PartHeader& header, int number, std::string_view charset,
                            const std::function<bool(std::string_view)>& isTaken, std::size_t nameMax = kNameMax);

// Saves the removed attachments of one mail file and makes their notes, as
// the attachment remover reports the parts it meets. Each content is decoded
// (see ContentDecoder) into a hidden temporary file in the folder, created
// exclusively and never through a link, while its size (and, for the note,
// its SHA-256) is taken; once its body has ended at a delimiter the file is
// flushed and takes its name, never replacing a file. The folder is made
// (mode 0700) when the first file goes into it.
//
// A part that carries a note already is neither saved nor noted, and
// neither is a part without body lines: that is what a removal leaves, so a
// second run adds nothing, with or without the note. Errors are the create error naming the folder or the file. Files
// saved stay only when Keep is called; destroying the saver without it (the
// mail's step failed) removes them and a folder it made that is left empty.
// A dry run (plan) makes and removes nothing.
class AttachmentSaver {
public:
    // mailPath names the mail file as the run does (its folder is where the
    // default folder lies and what the note's paths are relative to); mail
    // is its status: root gives what it creates to the mail's owner.
    AttachmentSaver(const SaveOptions& options, const std::string& mailPath, const struct stat& mail);
    ~AttachmentSaver();
    AttachmentSaver(const AttachmentSaver&) = delete;
    AttachmentSaver& operator=(const AttachmentSaver&) = delete;

    // A part's header lines begin (after its delimiter line).
    void BeginPart();
    // One of its header lines, without its end.
    void PutHeaderLine(std::string_view line);
    // The part is an attachment whose body follows. True when a note is to
    // be put after the part header lines once the body has ended.
    bool BeginBody();
    void PutBodyLine(std::string_view line);
    // The body has ended at a delimiter: its file (if any) is complete and
    // named. Returns the note line without line end, when one is wanted.
    std::optional<std::string> EndBody();
    // The body was cut off and stays in the mail: its file goes.
    void DropBody();

    // The files saved, in order, as paths from the current folder.
    const std::vector<std::string>& Saved() const { return saved_; }
    // The mail's step succeeded: the files stay.
    void Keep() { kept_ = true; }

private:
    // Takes each decoded piece into the hash (for the note) and the open file.
    class Sink final : public ByteSink {
    public:
        explicit Sink(AttachmentSaver& saver) : saver_(saver) {}
        void Write(std::string_view bytes) override;

    private:
        AttachmentSaver& saver_;
    };

    void OpenFolder();
    void CreateFile();
    void WriteFile(std::string_view bytes);
    // Flushes the file and gives it its name; returns the name.
    std::string CloseFile();
    std::string NextName() const;
    bool Taken(std::string_view name) const;

    SaveOptions options_;
    struct stat mail_ {};
    std::string shownFolder_;  // the folder as paths from the current folder give it, with "/"
    std::string noteFolder_;   // the folder as the note gives it, with "/"
    int dirFd_ = -1;
    bool folderChecked_ = false;  // planning: the folder does not exist yet
    bool madeFolder_ = false;
    std::size_t nameMax_ = kNameMax;

    PartHeader header_;
    int partNumber_ = 0;
    bool inBody_ = false;    // a body is being saved or measured
    bool hasLines_ = false;  // and has had a line
    bool fileOpen_ = false;  // the body's file is open (or, planning, would be)
    int fd_ = -1;
    std::string tempName_;  // in the folder
    std::string name_;      // the name the open file is to take
    std::optional<ContentDecoder> decoder_;
    Sink sink_{*this};
    Sha256 hash_;

    std::vector<std::string> names_;  // the names saved, in the folder
    std::vector<std::string> saved_;
    bool kept_ = false;
};

}  // namespace norvane
