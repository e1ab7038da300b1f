// The open design written into an SQLite database held in memory, in the
// tables of the design image, so that the design can be put back as it was
// (the change groups of change_groups.cpp).
#pragma once

#include "platform/kernel/image_store.h"

#include <cstdint>
#include <memory>

namespace kernel {
struct Database;
}

namespace kernel::image {

class MemoryImage {
public:
    // Writes every table of `database`; a failure throws Failure.
    explicit MemoryImage(const Database& database);
    // The content checksum of what was written, as the image computes it.
    uint64_t Checksum() const { return checksum_; }
    // A new database read back from the image; a failure throws Failure.
    std::unique_ptr<Database> Read();
    // The content checksum `database` would be written with.
    static uint64_t ChecksumOf(const Database& database);

private:
    Connection db_;
    uint64_t checksum_ = 0;
};

}  // namespace kernel::image
