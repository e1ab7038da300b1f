// What design images and library files share: the SQLite connection and
// statements, the tables of the format, the content checksum, the error
// text of E_LastError, and the writing and reading of symbols and devices,
// which both kinds of file hold.
//
// Inside, a failure is thrown as image::Failure with its text; the
// exported functions catch it, keep the text for E_LastError and return
// their failure value.
#pragma once

#include "platform/kernel/database.h"

#include <sqlite3.h>

#include <cstdint>
#include <functional>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace kernel::image {

// ---- Format ----------------------------------------------------------------------

// PRAGMA application_id of our files ("NVK1") and PRAGMA user_version, the
// format version this kernel writes and the newest it reads.
constexpr int32_t kApplicationId = 0x4E564B31;
constexpr int32_t kFormatVersion = 1;

// The file kinds named in the meta table.
inline constexpr std::string_view kDesignKind = "design";
inline constexpr std::string_view kPartsKind = "NorvoDLL00";
inline constexpr std::string_view kSymbolsKind = "NorvoSLL00";

// The longest file object, in bytes.
constexpr int64_t kMaxFileLength = int64_t{1} << 30;

// Owner kinds of the items table.
enum ItemOwner : int32_t {
    kSymbolItem = 1,     // owner = symbol key
    kCompText = 2,       // level, owner = component id
    kLayCompText = 3,    // level, owner = layout component id
    kBranchText = 4,     // level, owner = branch id
    kLayoutText = 5,     // level
    kPadStackItem = 6,   // owner = symbol key (0: the design's pad-stack map), sub = pad-stack key
};

// A table of the format: its name and its columns, in order. Columns carry
// no declared type, so SQLite stores every value exactly as bound.
struct Table {
    const char* name;
    std::vector<const char*> columns;
};

// Tables of a design image and of a library, in the fixed order in which
// the checksum takes them.
const std::vector<const Table*>& DesignTables();
const std::vector<const Table*>& LibraryTables();

extern const Table kDesign, kLevels, kHeaps, kPages, kSymbols, kSymbolEntries, kPadStacks, kDevices, kGroups,
    kPins, kComponents, kLayComps, kLayCompParts, kNets, kNodes, kBuses, kBusMembers, kBranches, kBranchPoints,
    kJunctions, kTraces, kTracePoints, kVias, kBendPoints, kFiles, kItems, kLibEntries;

// ---- Errors ----------------------------------------------------------------------

// An expected failure (a damaged, foreign or missing file, a refused
// argument): its text is what E_LastError gives.
struct Failure : std::exception {
    explicit Failure(std::string t) : text(std::move(t)) {}
    const char* what() const noexcept override { return text.c_str(); }
    std::string text;
};
[[noreturn]] void Fail(std::string text);
// A failure met while reading a file, taken as the file's fault: a text
// that already says so (it starts with "damaged", or with one of
// `alsoKept`) goes on as it is, any other (SQLite's own words) gets
// "damaged: " in front.
[[noreturn]] void FailAsDamaged(const Failure& failure, std::initializer_list<std::string_view> alsoKept = {});

// The text E_LastError gives.
void SetLastError(std::string text);
void ClearLastError();
const char* LastError();

// Runs `body` for an exported function of this family: a Failure becomes
// `failure` with the error text kept; running out of memory gives "out of
// memory"; anything else is a defect, reported on standard error with the
// function's name (see Guard) and given as "internal error". Success clears
// the text.
template <class R, class F>
R Run(R failure, F&& body, std::source_location where = std::source_location::current()) noexcept
{
    try {
        if (FaultArmed()) [[unlikely]]
            InjectFault(where.function_name());
        R result = body();
        ClearLastError();
        return result;
    } catch (const Failure& f) {
        SetLastError(f.text);
    } catch (const std::bad_alloc&) {
        SetLastError("out of memory");
    } catch (const std::exception& e) {
        ReportUnexpected(where.function_name(), e.what());
        SetLastError("internal error");
    } catch (...) {
        ReportUnexpected(where.function_name(), "unknown exception");
        SetLastError("internal error");
    }
    return failure;
}

// ---- Checksum --------------------------------------------------------------------

// A 64-bit hash over a stream of typed values. Each step is a bijection of
// the running state, so changing any single value always changes the
// result.
class Hasher {
public:
    void Int(int64_t v)
    {
        Word(1);
        Word(static_cast<uint64_t>(v));
    }
    void Null() { Word(2); }
    void Text(const void* data, size_t size) { Bytes(3, data, size); }
    void Blob(const void* data, size_t size) { Bytes(4, data, size); }
    void Name(std::string_view s) { Bytes(5, s.data(), s.size()); }
    uint64_t Value() const
    {
        uint64_t h = h_;
        h ^= h >> 33;
        h *= 0xFF51AFD7ED558CCDULL;
        h ^= h >> 33;
        return h;
    }

private:
    void Word(uint64_t w)
    {
        h_ = ((h_ << 23) | (h_ >> 41)) ^ w;
        h_ *= 0x9E3779B97F4A7C15ULL;
        h_ ^= h_ >> 31;
    }
    void Bytes(uint64_t tag, const void* data, size_t size)
    {
        Word(tag);
        Word(size);
        const auto* p = static_cast<const unsigned char*>(data);
        while (size >= 8) {
            uint64_t w = 0;
            for (int i = 0; i < 8; ++i) w |= static_cast<uint64_t>(p[i]) << (8 * i);
            Word(w);
            p += 8;
            size -= 8;
        }
        if (size) {
            uint64_t w = 0;
            for (size_t i = 0; i < size; ++i) w |= static_cast<uint64_t>(p[i]) << (8 * i);
            Word(w);
        }
    }

    uint64_t h_ = 0x6A09E667F3BCC908ULL;
};

// ---- SQLite ----------------------------------------------------------------------

class Statement;

class Connection {
public:
    Connection() = default;
    ~Connection() { Close(); }
    Connection(const Connection&) = delete;
    Connection& operator=(const Connection&) = delete;

    // Opens `path`; a failure says what it was doing with `path`.
    void Open(const std::string& path, int flags);
    // Closes; false when SQLite could not finish (the file may be incomplete).
    bool Close();
    sqlite3* get() const { return db_; }

    void Exec(const std::string& sql);
    // The integer the query's first row gives (a PRAGMA), `fallback` when none.
    int64_t QueryInt(const std::string& sql, int64_t fallback = 0);
    // SQLite's message for the last failure.
    std::string Message() const;

private:
    sqlite3* db_ = nullptr;
};

class Statement {
public:
    Statement(Connection& db, const std::string& sql);
    ~Statement() { sqlite3_finalize(stmt_); }
    Statement(const Statement&) = delete;
    Statement& operator=(const Statement&) = delete;
    sqlite3_stmt* get() const { return stmt_; }
    // Steps once: true for a row, false when done; a failure throws.
    bool Step();
    void Reset();

private:
    Connection& db_;
    sqlite3_stmt* stmt_ = nullptr;
};

// Creates the tables (no indexes: rows are read in insertion order).
void CreateTables(Connection& db, const std::vector<const Table*>& tables);

// Writes the rows of one table, hashing every value bound.
class TableWriter {
public:
    TableWriter(Connection& db, const Table& table);

    TableWriter& Int(int64_t v);
    TableWriter& Text(const std::string& s);
    TableWriter& Blob(const void* data, size_t size);
    // Inserts the row bound so far.
    void Row();

    const Table& table() const { return table_; }
    uint64_t Hash() const { return hash_.Value(); }
    int64_t Rows() const { return rows_; }

private:
    const Table& table_;
    Statement insert_;
    Hasher hash_;
    int column_ = 0;
    int64_t rows_ = 0;
};

// Reads the rows of one table in insertion order (optionally only those
// matching `where`, with integer parameters), hashing every value. Each
// value is fetched from SQLite once, as the row is read: the checksum and
// the typed getters below both use that copy.
class TableReader {
public:
    TableReader(Connection& db, const Table& table, const char* where = nullptr,
                std::initializer_list<int64_t> params = {});

    bool Next();
    // The getters check the value's type and range inline (every field of
    // every row passes them, and the readers that call them are too large
    // for the compiler to inline them on its own); a failure goes to Refuse.
    __attribute__((always_inline)) int64_t Int64(int column) const
    {
        const Cell& cell = cells_[static_cast<size_t>(column)];
        if (cell.type != SQLITE_INTEGER) [[unlikely]]
            Refuse(column, "is not an integer");
        return cell.integer;
    }
    // An integer field that must fit 32 bits.
    __attribute__((always_inline)) int32_t Int(int column) const
    {
        const int64_t v = Int64(column);
        if (v < INT32_MIN || v > INT32_MAX) [[unlikely]]
            Refuse(column, "is out of range");
        return static_cast<int32_t>(v);
    }
    // A position: an integer within the coordinate space every call that
    // places an object keeps to.
    __attribute__((always_inline)) int32_t Coord(int column) const
    {
        const int32_t v = Int(column);
        if (!ValidCoord(v)) [[unlikely]]
            Refuse(column, "lies beyond the coordinate space");
        return v;
    }
    // A name or text: TEXT, at most `maxBytes` bytes, no zero byte.
    std::string Text(int column, size_t maxBytes = kMaxName) const;
    std::string_view Blob(int column) const;

    const Table& table() const { return table_; }
    uint64_t Hash() const { return hash_.Value(); }
    int64_t Rows() const { return rows_; }
    // A failure naming this table and row.
    [[noreturn]] void Bad(const std::string& what) const;

private:
    // A value of the current row as SQLite gave it; text and blob bytes
    // stay SQLite's until the next step.
    struct Cell {
        int type = SQLITE_NULL;
        int64_t integer = 0;
        const char* bytes = nullptr;
        size_t size = 0;
    };
    // Bad, naming the column: "COLUMN " + `what`.
    [[noreturn]] void Refuse(int column, const char* what) const;

    const Table& table_;
    Statement select_;
    Hasher hash_;
    int64_t rows_ = 0;
    std::vector<Cell> cells_;
};

// The checksum of a whole file: the hash of each table's name, row hash and
// row count, in the order of `tables`.
class Checksum {
public:
    explicit Checksum(std::string_view kind);
    void Add(const Table& table, uint64_t rowsHash, int64_t rows);
    uint64_t Value() const { return hash_.Value(); }

private:
    Hasher hash_;
};
// Reads every row of every table and gives the checksum.
uint64_t ComputeChecksum(Connection& db, std::string_view kind, const std::vector<const Table*>& tables);

// The meta table: the file kind and the checksum.
void WriteMeta(Connection& db, std::string_view kind, uint64_t checksum);
void UpdateChecksum(Connection& db, uint64_t checksum);
// Fails ("damaged: the content checksum does not match") unless the meta
// table holds a checksum equal to what `expected` gives; `expected` is only
// asked once a stored checksum has been found.
void VerifyChecksum(Connection& db, const std::function<uint64_t()>& expected);

// Opens an existing design image or library for reading (or writing) and
// makes the checks common to both: an SQLite file, quick_check, our
// application id, a format version we read, the meta table. Gives the kind
// the file names. `what` names the file in failures ("design image").
std::string OpenChecked(Connection& db, const std::string& path, bool writable);

// A description of a file kind for messages.
std::string KindText(std::string_view kind);

// A name in double quotes: an SQL identifier, or a path or name in a message.
std::string Quoted(std::string_view s);
// The directory part of a path ("." for a bare name).
std::string DirectoryOf(const std::string& path);

// ---- Symbols and devices ---------------------------------------------------------

// Writers of every table a symbol or device fills, open together.
struct PartsWriter {
    explicit PartsWriter(Connection& db);
    TableWriter symbols, entries, padStacks, devices, groups, pins, items;
};

// Writes a symbol with its entries, items, and pad stacks with their items,
// under `key` (the symbol id in a design, the entry number in a library).
void WriteSymbol(PartsWriter& w, int32_t key, const Symbol& symbol);
// Writes a device with its groups and pins under `key`.
void WriteDevice(PartsWriter& w, int32_t key, const Device& device);
// Writes one item row.
void WriteItem(TableWriter& items, int32_t ownerKind, int32_t level, int32_t owner, int32_t sub, int32_t number,
               const Item& item);
// Pad stacks of a map (design-wide or a symbol's), owner 0 or the symbol key.
void WritePadStacks(PartsWriter& w, int32_t owner, const ObjectMap& padStacks);

// Readers fill objects found through these lookups (null: no such owner,
// a failure).
struct PartsLookup {
    std::function<Symbol*(int32_t key)> symbol;
    std::function<Device*(int32_t key)> device;
    // The pad-stack map of owner 0 (the design's), else null.
    ObjectMap* designPadStacks = nullptr;

    // The pad-stack map of an owner: 0 the design's, else a symbol key;
    // null when there is no such owner.
    ObjectMap* PadStacks(int32_t owner) const;
};

// Each reads its table to the end; new symbols and devices go to `make`.
void ReadSymbols(TableReader& r, const std::function<void(int32_t key, std::unique_ptr<Symbol>)>& make);
void ReadSymbolEntries(TableReader& r, const PartsLookup& find);
void ReadPadStacks(TableReader& r, const PartsLookup& find);
void ReadDevices(TableReader& r, const std::function<void(int32_t key, std::unique_ptr<Device>)>& make);
void ReadGroups(TableReader& r, const PartsLookup& find);
void ReadPins(TableReader& r, const PartsLookup& find);
// One item row (columns from owner_kind on) made into an Item; checks the
// number against the array it goes to and appends it.
void ReadItemInto(const TableReader& r, ObjectArray& array);
// The item array of a symbol-kind owner (kinds 1 and 6); null when none.
ObjectArray* PartsItemArray(const TableReader& r, const PartsLookup& find);

}  // namespace kernel::image
