#include "tests/support/stored_marks.h"

#include <sqlite3.h>

#include <algorithm>
#include <memory>

namespace palvane_test {
namespace {

struct CloseDb {
    void operator()(sqlite3* db) const { sqlite3_close(db); }
};
struct Finalize {
    void operator()(sqlite3_stmt* st) const { sqlite3_finalize(st); }
};
using Db = std::unique_ptr<sqlite3, CloseDb>;
using Statement = std::unique_ptr<sqlite3_stmt, Finalize>;

Statement Prepare(sqlite3* db, const std::string& sql)
{
    sqlite3_stmt* st = nullptr;
    if (sqlite3_prepare_v2(db, sql.c_str(), -1, &st, nullptr) != SQLITE_OK) return Statement();
    return Statement(st);
}

std::string Quoted(const std::string& name)
{
    std::string q = "\"";
    for (const char c : name) q += c == '"' ? std::string("\"\"") : std::string(1, c);
    return q + "\"";
}

std::vector<std::string> Columns(sqlite3* db, const std::string& table)
{
    std::vector<std::string> columns;
    const Statement st = Prepare(db, "PRAGMA table_info(" + Quoted(table) + ")");
    while (st && sqlite3_step(st.get()) == SQLITE_ROW)
        columns.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(st.get(), 1)));
    return columns;
}

// The bits of `value` that the design keeps in this table's row.
int64_t Kept(const std::string& table, const std::string& column, sqlite3_stmt* row,
             const std::vector<std::string>& columns)
{
    if (column != "status") return 0;
    if (table == "items") return 128;
    if (table == "branches")
        for (size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == "id" && sqlite3_column_int64(row, static_cast<int>(i)) < 0) return 256;
    return 0;
}

}  // namespace

std::vector<std::string> StoredMarks(const std::string& path)
{
    std::vector<std::string> marks;
    sqlite3* opened = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &opened, SQLITE_OPEN_READONLY, nullptr);
    const Db db(opened);
    std::vector<std::string> tables;
    const Statement list =
        rc == SQLITE_OK ? Prepare(db.get(), "SELECT name FROM sqlite_master WHERE type = 'table' ORDER BY name")
                        : Statement();
    if (!list) return {"cannot read " + path + ": " + (db ? sqlite3_errmsg(db.get()) : "no memory")};
    while (sqlite3_step(list.get()) == SQLITE_ROW)
        tables.emplace_back(reinterpret_cast<const char*>(sqlite3_column_text(list.get(), 0)));
    if (tables.empty()) return {"no tables in " + path};
    for (const std::string& table : tables) {
        const std::vector<std::string> columns = Columns(db.get(), table);
        std::vector<size_t> words;  // the status and flags columns
        size_t keys = columns.size();  // the columns before the first word name the row
        for (size_t i = 0; i < columns.size(); ++i)
            if (columns[i] == "status" || columns[i] == "flags") {
                words.push_back(i);
                keys = std::min(keys, i);
            }
        if (words.empty()) continue;
        const Statement rows = Prepare(db.get(), "SELECT * FROM " + Quoted(table));
        if (!rows) {
            marks.push_back("cannot read table " + table);
            continue;
        }
        while (sqlite3_step(rows.get()) == SQLITE_ROW) {
            for (const size_t w : words) {
                const int64_t value = sqlite3_column_int64(rows.get(), static_cast<int>(w));
                const int64_t bits = value & kStoredMarkBits & ~Kept(table, columns[w], rows.get(), columns);
                if (bits == 0) continue;
                std::string line = table;
                for (size_t k = 0; k < keys; ++k)
                    line += " " + columns[k] + "=" +
                            std::to_string(sqlite3_column_int64(rows.get(), static_cast<int>(k)));
                line += ": " + columns[w] + " " + std::to_string(bits);
                marks.push_back(line);
            }
        }
    }
    return marks;
}

std::string StoredMarksText(const std::string& path)
{
    std::string text;
    for (const std::string& line : StoredMarks(path)) text += (text.empty() ? "" : "; ") + line;
    return text;
}

}  // namespace palvane_test
