#pragma once

#include "engine/Error.h"

#include <atomic>
#include <cstdint>
#include <functional>

namespace norvane {

// Lets another thread, or a signal handler, follow a pass over a file and
// stop it. The reader of the file asks it once per block it reads, so a
// stop takes effect within a block, never in the middle of a replacement.
struct PassControl {
    // Set from anywhere (a lock-free flag, safe in a signal handler) to stop
    // the pass at its next block with the cancelled error.
    const std::atomic<bool>* cancel = nullptr;
    // Called on the thread of the pass after each block read: the bytes of
    // the file read so far and the file's size (a part read again after a
    // seek counts where it lies, so `done` may go back).
    std::function<void(std::uint64_t done, std::uint64_t size)> progress;

    bool Cancelled() const { return cancel && cancel->load(std::memory_order_relaxed); }
    // Raises the cancelled error when the flag is set.
    void Check() const
    {
        if (Cancelled())
            ThrowCancelled();
    }
    void Read(std::uint64_t done, std::uint64_t size) const
    {
        if (progress)
            progress(done, size);
    }
};

}  // namespace norvane
