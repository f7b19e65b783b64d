#pragma once

#include "engine/HeaderKey.h"
#include "engine/KeyList.h"
#include "engine/ScratchFile.h"
#include "engine/VeskRun.h"

#include <memory>
#include <string>
#include <vector>

namespace norvane {

struct PassControl;
struct RemovalOptions;
struct StripOptions;

// The option check boxes as the Vesk command reads them. Every option off
// (and the scope kFirst) gives the original rules.
struct VeskOptions {
    bool backup = false;             // "BackUp"
    bool removeAttachments = false;  // "添付ファイル削除"
    bool removeTraces = false;       // "添付ファイル跡削除"; only together with removeAttachments
    bool allText = false;            // "全文章": the scope kAll, whatever scope says
    bool autoRegister = false;       // "自動登録"
    HeaderScope scope = HeaderScope::kFirst;  // kMessages: "全メッセージのヘッダー"
    bool anyCase = false;                     // "小文字のヘッダーキーも対象" (see StripOptions, RemovalOptions)
    bool protectSigned = false;               // "署名・暗号メールを保護"
    bool keepLineEnds = false;                // "改行コードを保持"
    // With removeAttachments: each removed attachment's decoded content is
    // saved into attachmentFolder (empty: a folder beside each mail named
    // after it, or the Maildir's own folder for them).
    bool saveAttachments = false;             // "添付ファイルを保存"
    std::string attachmentFolder{};
    // The charset saved files are named in (see FileNameCharset); empty:
    // UTF-8.
    std::string fileNameCharset{};
    // With removeAttachments and the traces kept: a note line is left after
    // each removed attachment's part headers.
    bool removalNote = false;                 // "削除の記録を残す"

    HeaderScope Scope() const { return allText ? HeaderScope::kAll : scope; }
};

// The attachment removal and the header stripping the options ask for, as
// the Vesk pass runs them: RemoveAttachments (removing bodies when
// removeAttachments is on) and then StripHeaders with these leave a file as
// VeskFile does.
RemovalOptions RemovalOptionsOf(const VeskOptions& options);
StripOptions StripOptionsOf(const VeskOptions& options);

// Whether a pass writes.
struct VeskMode {
    // A dry run: the same pass over the file, open read-only under a read
    // lock, with nothing written: no replacement or temporary file beside
    // it, no backup, no saved attachment or its folder. The counts, the
    // registered keys (into the key list given, so give it a copy), the
    // attachments listed as saved, their notes and the errors are the real
    // run's; kProcessed then means the file would be replaced.
    bool dryRun = false;
    // With dryRun: the result is kept for PreparedVesk::TakePreview, in an
    // anonymous file outside the mail's folder.
    bool keepResult = false;
};

// A dry run's file and result, both as bytes.
struct VeskPreview {
    MappedBytes before;  // the file as it was read
    MappedBytes after;   // the result, when it differs
    bool changes = false;

    std::string_view Before() const { return before.Bytes(); }
    std::string_view After() const { return changes ? after.Bytes() : before.Bytes(); }
};

// What became of a mail file.
enum class VeskOutcome {
    kUnchanged,  // the result was the file byte for byte: not written, no backup
    kProcessed,  // the file was replaced by the result
};

struct VeskCounts {
    int attachmentLines = 0;  // lines deleted with attachment bodies and traces
    int headerLines = 0;      // header and continuation lines stripped
    std::uint64_t bytesBefore = 0;  // the file's size as it was read
    std::uint64_t bytesAfter = 0;   // the result's size (bytesBefore when unchanged)
    std::vector<std::string> registeredKeys;  // keys the file registered unticked, in order met
    std::vector<std::string> saved;           // files the attachments were saved to, in order
    VeskOutcome outcome = VeskOutcome::kUnchanged;
    // A signed or encrypted entity was kept whole (only with protectSigned).
    bool protectedEntity = false;
};

// The whole Vesk work on one mail file in a single streaming pass:
// attachment removal (when on), then header stripping and tidying, read once
// and written once, then the backup (when on) and the replacement. The file
// ends up exactly as RemoveAttachments followed by StripHeaders would leave
// it (with the same options), with the same two counts; a file of fewer than
// 2 lines is left alone.
//
// The file is the run's target for fileName (resolved when the run began),
// opened once without following links and locked (see MailFile). A result
// equal to the file byte for byte leaves it untouched and takes no backup.
// Otherwise the backup, an exact copy of the file with the name the run
// gives, is complete and flushed before the file is replaced, keeping its
// owner, group and mode.
//
// With saveAttachments, each removed attachment's content is saved (see
// AttachmentSaver) while the file is read, complete and flushed before the
// file is replaced; with removalNote and the traces kept, its note is left
// after its part header lines. Nothing is saved from an entity the signed
// mail protection keeps whole. The files saved for a file whose step fails
// are removed again.
//
// Keys met by auto-registration join keyList unticked once the whole file
// was read (with attachment removal on, only once the file was written, as
// stripping never follows a removal that failed) and are returned; saving
// the key list is the caller's business.
//
// Errors name the file as given, or the backup: the open error; the
// not-regular error; the in-use error (another program holds a lock); the
// create error for a file that would change but may not be replaced (no
// write bit, not the process's to write, an owner or group it cannot give)
// or cannot be written, for a backup or a saved attachment (or its folder)
// that cannot be written; the changed
// error when the file is no longer what was read. The mail file is then
// untouched, and no backup is left unless the replacement itself failed.
//
// control, when given, follows the reading and may stop it: a stop asked
// for before the backup is begun raises the cancelled error and leaves the
// file, the key list and the folder as they were (no temporary file, no
// backup); later the file is finished.
VeskCounts VeskFile(const std::string& fileName, KeyList& keyList, const VeskOptions& options, VeskRun& run,
                    VeskMode mode = {}, const PassControl* control = nullptr);

// VeskFile in two steps, so that several files can be worked at once and
// still be committed one after another in their order.
//
// PrepareVeskFile opens and locks the file and runs the whole pass into the
// replacement (a hidden temporary file beside the file, made only when the
// file changes) without taking a backup, replacing anything or touching the
// key list, which it only reads and which must not change meanwhile (give it
// a copy when another thread registers keys). It raises the errors VeskFile
// raises while reading; an error of writing the replacement is kept for the
// commit, after the keys the file registers even when it cannot be written.
// The lock is held until the object is committed or destroyed; destroying it
// uncommitted drops the temporary file and leaves the file as it was.
class PreparedVesk {
public:
    struct State;
    explicit PreparedVesk(std::unique_ptr<State> state);
    PreparedVesk(PreparedVesk&&) noexcept;
    PreparedVesk& operator=(PreparedVesk&&) noexcept;
    ~PreparedVesk();

    // The counts of the pass; registeredKeys and the outcome come at commit.
    const VeskCounts& Counts() const;
    // Whether the result differs from the file.
    bool Changes() const;
    // A dry run's file and, with keepResult, its result (before the commit,
    // once). Raises the open error when the file cannot be mapped.
    VeskPreview TakePreview();

private:
    friend VeskCounts CommitPrepared(PreparedVesk& prepared, KeyList& keyList, VeskRun& run);
    std::unique_ptr<State> state_;
};

// control (see VeskFile), copied, also holds for the commit of the prepared
// file.
PreparedVesk PrepareVeskFile(const std::string& fileName, const KeyList& keyList, const VeskOptions& options,
                             const VeskRun& run, VeskMode mode = {}, const PassControl* control = nullptr);

// Finishes a prepared file as VeskFile would: registers the candidates that
// keyList still lacks (in order), then takes the backup under the next name
// the run gives and replaces the file, or raises the kept error. Commit each
// prepared file once, on one thread, in the order a serial run would take
// them; the result is then VeskFile's, byte for byte. A dry run's commit
// only registers the candidates.
VeskCounts CommitPrepared(PreparedVesk& prepared, KeyList& keyList, VeskRun& run);

}  // namespace norvane
