#pragma once

#include "engine/MailDiff.h"

#include <string>
#include <string_view>

#include <gtest/gtest.h>

namespace norvane::test {

// before with the diff's blocks applied, from the blocks' own line numbers;
// a block that starts inside the one before it fails the test.
inline std::string AppliedDiff(std::string_view before, std::string_view after)
{
    const DiffLines old(before);
    const DiffLines fresh(after);
    std::string result;
    std::size_t i = 0;
    for (const DiffBlock& block : DiffBlocks(old, fresh)) {
        EXPECT_GE(block.before, i);
        for (; i < block.before; ++i)
            result += old.Line(i);
        for (std::size_t k = 0; k < block.added; ++k)
            result += fresh.Line(block.after + k);
        i += block.removed;
    }
    for (; i < old.Count(); ++i)
        result += old.Line(i);
    return result;
}

}  // namespace norvane::test
