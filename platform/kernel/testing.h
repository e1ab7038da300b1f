// Test-only additions to the kernel: fault injection for the tests of
// callers that must leave the design unchanged when a kernel call fails.
// Not part of the function list the editor binds to.
#pragma once

#include "platform/export.h"

#include <cstdint>
#include <string_view>

// Makes the n-th following call of the kernel export `name` (for example
// "B_InsertRecord") a refusal: the export returns its failure result and
// does nothing, as a refusal of the kernel would. `times` calls in a row are
// refused from there (-1: every call until the hook is switched off).
// Counts every call of that export, successful or not, from this call on.
// n = 0 or an empty name switches the hook off. One export at a time: a new
// call replaces the previous one. The name "*" stands for every export: the
// n-th kernel call of any kind from here is refused; the name "+" for every
// export that changes what the design holds (makes, changes, renames,
// moves, adds or deletes objects, sets marks, switches the current level or
// page, reserves a free id, stores a page's view; reads and drawing are not
// counted).
PLATFORM_EXPORT void KT_FailCall(const char* name, int32_t n, int32_t times = 1) noexcept;

// The calls of the armed export ("*": of every export) counted since the
// last KT_FailCall, refused ones included. Arm with a large n to count the
// calls an edit makes without refusing any.
PLATFORM_EXPORT int32_t KT_CallsCounted() noexcept;

// The export whose call the hook refused last; empty before any refusal.
PLATFORM_EXPORT const char* KT_LastRefused() noexcept;

// A digest of every table of the open design as the image stores it: equal
// digests mean equal designs. Not counted by the refusal hook, and never
// refused by it. 0 when no design is open or it cannot be saved.
PLATFORM_EXPORT uint64_t KT_DesignDigest() noexcept;

// About the bytes that the journal of the open change group occupies (the
// values it copied, the changes it wrote down, its indexes; not the objects
// it keeps for a put-back, which the edit deleted); 0 when no group is
// open.
PLATFORM_EXPORT uint64_t KT_ChangeJournalBytes() noexcept;

// The pictures decoded since the process began: each run of Qt's BMP reader
// on a picture's bytes (ShowDib keeps a decoded picture for the next paint,
// so a picture drawn again without a change is not decoded again).
PLATFORM_EXPORT uint64_t KT_PicturesDecoded() noexcept;

// The bytes of the decoded pictures kept for drawing now.
PLATFORM_EXPORT uint64_t KT_PictureBytesKept() noexcept;

// Keeps the decoded pictures within `bytes` (dropping the least recently
// drawn at once when they take more); a negative value restores the
// kernel's own limit.
PLATFORM_EXPORT void KT_LimitPictureBytesKept(int64_t bytes) noexcept;

// The text of the `index`-th text (from 0) that a closed recording (a
// metafile of G_CloseMF) holds, in the order drawn; null past its last text
// or for a handle that is not a recording's. Valid until the recording is
// deleted.
PLATFORM_EXPORT const char* KT_MetafileText(int32_t metafile, int32_t index) noexcept;

// KT_FailCall("J_CreateJunction", n).
PLATFORM_EXPORT void KT_FailJunctionCreation(int32_t n) noexcept;

// Stores in the design image or library at `path` the content checksum of
// the rows it holds now, computed as the loaders compute it, so that a test
// may change rows through SQLite and hand the file to the loaders with a
// checksum that matches. 1 when done, else 0 with E_LastError set.
PLATFORM_EXPORT int32_t KT_ResealFile(const char* path) noexcept;

namespace kernel_testing {
// True while a refusal is armed.
bool RefusalArmed() noexcept;
// True when this call of the export `bareName` is the one to refuse.
bool RefuseCall(std::string_view bareName) noexcept;
}  // namespace kernel_testing
