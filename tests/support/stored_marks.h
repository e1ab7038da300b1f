// The marks a written design file holds, read from its SQLite tables as
// they are on disk: no kernel, no editor code. Every table with a status or
// flags column is read; a value holding any of the mark bits below is a
// mark, except the two settings a design keeps (256 on a page frame, a
// branch of negative id; 128 on an item, its text written again).
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace palvane_test {

// The status bits that commands, previews, selections and checks set and
// clear again: temporary, highlight, command, selection and deletion
// marks, 64 to 8192.
constexpr int64_t kStoredMarkBits = 64 | 128 | 256 | 512 | 1024 | 2048 | 4096 | 8192;

// One line per marked row: the table, the row's key columns, the column and
// its mark bits ("nodes level=1 net=3 id=9: status 256"). Empty when the
// file holds no mark. A file that cannot be read gives one line that says
// so, which no test takes for a clean file.
std::vector<std::string> StoredMarks(const std::string& path);

// The lines of StoredMarks joined with "; " (for an expectation's message).
std::string StoredMarksText(const std::string& path);

}  // namespace palvane_test
