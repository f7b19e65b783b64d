#pragma once

#include <string_view>

namespace norvane {

// Whether a file name is one of this program's hidden temporary files
// (".NAME.nvtmp-XXXXXX", or ".nvtmp-XXXXXX" beside a very long name): what a
// killed run can leave behind, never to be taken for mail.
bool IsTemporaryName(std::string_view name);

}  // namespace norvane
