// The settings-file reader: one value of an initialisation file (section
// names in square brackets, "key=value" lines), read the way the system's
// profile functions read it.
//
// - Section and key names match without regard to case; the first section
//   of a name and the first key of a name in it count.
// - Blanks and tabs around names and values are dropped; a value enclosed
//   in a pair of equal quotes (' or ") loses them. Blanks inside stay.
// - A missing file, section or key gives the default, without its trailing
//   blanks. A line without "=" is a key with an empty value; lines that
//   begin with ";" are comments.
// - Text is single-byte (Latin-1), as every text of the editor.
#pragma once

#include <cstdint>
#include <string>

namespace winsys {

// Places the value of `key` in `section` of the file `path` (or the
// default) into `buffer`, cut to `size` - 1 characters and ended by a NUL,
// and returns the number of characters placed, the NUL not counted.
// Nothing is placed when `buffer` is null or `size` below 1 (result 0).
int32_t GetPrivateProfileString(const std::string& section, const std::string& key,
                                const std::string& defaultValue, char* buffer, int32_t size,
                                const std::string& path);

// The same value as a text, without a length limit.
std::string ReadProfileString(const std::string& path, const std::string& section, const std::string& key,
                              const std::string& defaultValue);

// While a batch lives, each file is read and parsed once, at its first
// value, and its values are kept until the last batch ends: a caller that
// reads many values of a file nothing writes meanwhile (the editor's
// settings load, with its numbered lists) does not read the file again for
// every value. Batches nest.
class ProfileBatch {
public:
    ProfileBatch();
    ~ProfileBatch();
    ProfileBatch(const ProfileBatch&) = delete;
    ProfileBatch& operator=(const ProfileBatch&) = delete;
};

}  // namespace winsys
