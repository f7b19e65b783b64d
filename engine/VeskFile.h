#pragma once

#include "engine/KeyList.h"
#include "engine/VeskRun.h"

#include <string>
#include <vector>

namespace norvane {

// The option check boxes as the Vesk command reads them.
struct VeskOptions {
    bool backup = false;             // "BackUp"
    bool removeAttachments = false;  // "添付ファイル削除"
    bool removeTraces = false;       // "添付ファイル跡削除"; only together with removeAttachments
    bool allText = false;            // "全文章"
    bool autoRegister = false;       // "自動登録"
};

struct VeskCounts {
    int attachmentLines = 0;  // lines deleted with attachment bodies and traces
    int headerLines = 0;      // header and continuation lines stripped
    std::vector<std::string> registeredKeys;  // keys the file registered unticked, in order met
};

// The whole Vesk work on one mail file in a single streaming pass: the
// backup (when on), attachment removal (when on), then header stripping and
// tidying, read once and written once. The file ends up exactly as
// RemoveAttachments followed by StripHeaders would leave it, with the same
// two counts; a file of fewer than 2 lines is left alone. Keys met by
// auto-registration join keyList unticked once the whole file was read (with
// attachment removal on, only once the file was written, as stripping never
// follows a removal that failed) and are returned; saving the key list is
// the caller's business. The backup name comes from run, which learns of the
// backup. Errors: the open error naming the file, the create error naming
// the backup or the mail file; a failed backup leaves the mail file
// untouched, and the backup is complete before the mail file fails.
VeskCounts VeskFile(const std::string& fileName, KeyList& keyList, const VeskOptions& options, VeskRun& run);

}  // namespace norvane
