#include "platform/kernel/image_store.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <fstream>

namespace kernel::image {

// ---- Tables ----------------------------------------------------------------------

const Table kDesign{"design", {"name", "status", "cur_level", "text_sizes"}};
const Table kLevels{"levels", {"id", "status", "name", "cur_page"}};
const Table kHeaps{"heaps", {"level", "kind", "id"}};
const Table kPages{"pages", {"level", "id", "status", "name", "view_x", "view_y", "view_mode", "view_size"}};
const Table kSymbols{"symbols", {"key", "status", "name"}};
const Table kSymbolEntries{"symbol_entries",
                           {"symbol", "number", "status", "name", "flags", "x", "y", "key_or_text_x", "text_y",
                            "text_angle", "swap_level", "label"}};
const Table kPadStacks{"pad_stacks", {"owner", "key", "status", "name", "hole", "hole2"}};
const Table kDevices{"devices", {"key", "status", "name", "prefix", "package"}};
const Table kGroups{"device_groups", {"device", "number", "status", "name", "symb_name"}};
const Table kPins{"device_pins", {"device", "grp", "number", "status", "name", "pin_number"}};
const Table kComponents{"components",
                        {"level", "id", "status", "name", "x", "y", "symb", "device", "lay_comp", "grp", "page",
                         "info", "angle", "extra"}};
const Table kLayComps{"lay_comps", {"level", "id", "status", "name", "x", "y", "angle", "symb", "device", "extra"}};
const Table kLayCompParts{"lay_comp_parts", {"level", "lay_comp", "slot", "comp"}};
const Table kNets{"nets", {"level", "id", "status", "name"}};
const Table kNodes{"nodes", {"level", "net", "id", "status", "name", "comp", "entry", "lay_comp", "lay_entry"}};
const Table kBuses{"buses", {"level", "id", "status", "name"}};
const Table kBusMembers{"bus_members", {"level", "bus", "slot", "net"}};
const Table kBranches{"branches", {"level", "id", "status", "name", "net", "page"}};
const Table kBranchPoints{"branch_points", {"level", "branch", "number", "flags", "ref", "x", "y"}};
const Table kJunctions{"junctions", {"level", "id", "status", "name", "x", "y", "page"}};
const Table kTraces{"traces", {"level", "id", "status", "name", "net"}};
const Table kTracePoints{"trace_points", {"level", "trace", "number", "flags", "ref", "x", "y", "layer", "width"}};
const Table kVias{"vias", {"level", "id", "status", "name", "x", "y", "pad_stack", "layers"}};
const Table kBendPoints{"bend_points", {"level", "id", "status", "name", "x", "y"}};
const Table kFiles{"files", {"level", "id", "status", "name", "data", "position"}};
const Table kItems{"items",
                   {"owner_kind", "level", "owner", "sub", "number", "status", "name", "kind", "link", "x", "y",
                    "layer", "style", "width", "gap", "angle", "p1", "p2", "p3", "p4", "text"}};
const Table kLibEntries{"lib_entries", {"number", "name", "kind"}};

const std::vector<const Table*>& DesignTables()
{
    static const std::vector<const Table*> tables{
        &kDesign,     &kLevels,        &kHeaps,      &kPages,     &kSymbols,    &kSymbolEntries, &kPadStacks,
        &kDevices,    &kGroups,        &kPins,       &kComponents, &kLayComps,  &kLayCompParts,  &kNets,
        &kNodes,      &kBuses,         &kBusMembers, &kBranches,  &kBranchPoints, &kJunctions,   &kTraces,
        &kTracePoints, &kVias,         &kBendPoints, &kFiles,     &kItems};
    return tables;
}

const std::vector<const Table*>& LibraryTables()
{
    static const std::vector<const Table*> tables{&kLibEntries, &kSymbols, &kSymbolEntries, &kPadStacks,
                                                  &kDevices,    &kGroups,  &kPins,          &kItems};
    return tables;
}

std::string Quoted(std::string_view s)
{
    return "\"" + std::string(s) + "\"";
}

std::string DirectoryOf(const std::string& path)
{
    const size_t slash = path.rfind('/');
    if (slash == std::string::npos) return ".";
    if (slash == 0) return "/";
    return path.substr(0, slash);
}

namespace {

std::string ColumnList(const Table& table)
{
    std::string list;
    for (const char* column : table.columns) {
        if (!list.empty()) list += ", ";
        list += Quoted(column);
    }
    return list;
}

}  // namespace

// ---- Errors ----------------------------------------------------------------------

namespace {

std::string& ErrorText()
{
    static std::string text;
    return text;
}

}  // namespace

void Fail(std::string text)
{
    throw Failure{std::move(text)};
}

void FailAsDamaged(const Failure& failure, std::initializer_list<std::string_view> alsoKept)
{
    const auto startsWith = [&](std::string_view prefix) { return failure.text.rfind(prefix, 0) == 0; };
    if (startsWith("damaged") || std::any_of(alsoKept.begin(), alsoKept.end(), startsWith)) throw failure;
    Fail("damaged: " + failure.text);
}

void SetLastError(std::string text)
{
    ErrorText() = std::move(text);
}

void ClearLastError()
{
    ErrorText().clear();
}

const char* LastError()
{
    return ErrorText().c_str();
}

// ---- Checksum --------------------------------------------------------------------

Checksum::Checksum(std::string_view kind)
{
    hash_.Name(kind);
    hash_.Int(kFormatVersion);
}

void Checksum::Add(const Table& table, uint64_t rowsHash, int64_t rows)
{
    hash_.Name(table.name);
    hash_.Int(static_cast<int64_t>(rowsHash));
    hash_.Int(rows);
}

uint64_t ComputeChecksum(Connection& db, std::string_view kind, const std::vector<const Table*>& tables)
{
    Checksum sum(kind);
    for (const Table* table : tables) {
        TableReader r(db, *table);
        while (r.Next()) {
        }
        sum.Add(*table, r.Hash(), r.Rows());
    }
    return sum.Value();
}

// ---- SQLite ----------------------------------------------------------------------

void Connection::Open(const std::string& path, int flags)
{
    Close();
    sqlite3* db = nullptr;
    const int rc = sqlite3_open_v2(path.c_str(), &db, flags | SQLITE_OPEN_NOMUTEX, nullptr);
    if (rc != SQLITE_OK) {
        std::string message = db ? sqlite3_errmsg(db) : sqlite3_errstr(rc);
        sqlite3_close(db);
        Fail("cannot open the file (" + message + ")");
    }
    db_ = db;
    sqlite3_extended_result_codes(db_, 1);
    // Files from outside may be damaged or made up: no schema tricks, and
    // SQLite checks cells as it reads them.
    sqlite3_db_config(db_, SQLITE_DBCONFIG_DEFENSIVE, 1, nullptr);
    sqlite3_db_config(db_, SQLITE_DBCONFIG_TRUSTED_SCHEMA, 0, nullptr);
    sqlite3_busy_timeout(db_, 2000);
    Exec("PRAGMA cell_size_check = ON");
}

bool Connection::Close()
{
    if (!db_) return true;
    const int rc = sqlite3_close(db_);
    db_ = nullptr;
    return rc == SQLITE_OK;
}

std::string Connection::Message() const
{
    return db_ ? sqlite3_errmsg(db_) : "no database";
}

void Connection::Exec(const std::string& sql)
{
    char* message = nullptr;
    if (sqlite3_exec(db_, sql.c_str(), nullptr, nullptr, &message) != SQLITE_OK) {
        std::string text = message ? message : Message();
        sqlite3_free(message);
        Fail(text);
    }
}

int64_t Connection::QueryInt(const std::string& sql, int64_t fallback)
{
    Statement s(*this, sql);
    return s.Step() ? sqlite3_column_int64(s.get(), 0) : fallback;
}

Statement::Statement(Connection& db, const std::string& sql) : db_(db)
{
    if (sqlite3_prepare_v2(db.get(), sql.c_str(), static_cast<int>(sql.size()), &stmt_, nullptr) != SQLITE_OK)
        Fail(db.Message());
}

bool Statement::Step()
{
    const int rc = sqlite3_step(stmt_);
    if (rc == SQLITE_ROW) return true;
    if (rc == SQLITE_DONE) return false;
    Fail(db_.Message());
}

void Statement::Reset()
{
    sqlite3_reset(stmt_);
    sqlite3_clear_bindings(stmt_);
}

void CreateTables(Connection& db, const std::vector<const Table*>& tables)
{
    for (const Table* table : tables)
        db.Exec("CREATE TABLE " + Quoted(table->name) + " (" + ColumnList(*table) + ")");
}

// ---- Writing ---------------------------------------------------------------------

namespace {

std::string InsertSql(const Table& table)
{
    std::string marks;
    for (size_t i = 0; i < table.columns.size(); ++i) marks += i ? ", ?" : "?";
    return "INSERT INTO " + Quoted(table.name) + " (" + ColumnList(table) + ") VALUES (" + marks + ")";
}

}  // namespace

TableWriter::TableWriter(Connection& db, const Table& table) : table_(table), insert_(db, InsertSql(table)) {}

TableWriter& TableWriter::Int(int64_t v)
{
    sqlite3_bind_int64(insert_.get(), ++column_, v);
    hash_.Int(v);
    return *this;
}

TableWriter& TableWriter::Text(const std::string& s)
{
    sqlite3_bind_text(insert_.get(), ++column_, s.data(), static_cast<int>(s.size()), SQLITE_STATIC);
    hash_.Text(s.data(), s.size());
    return *this;
}

TableWriter& TableWriter::Blob(const void* data, size_t size)
{
    // A zero-length blob is bound as such, never as NULL.
    if (size == 0)
        sqlite3_bind_zeroblob(insert_.get(), ++column_, 0);
    else
        sqlite3_bind_blob64(insert_.get(), ++column_, data, size, SQLITE_STATIC);
    hash_.Blob(data, size);
    return *this;
}

void TableWriter::Row()
{
    if (column_ != static_cast<int>(table_.columns.size()))
        Fail(std::string("internal error: wrong number of values for ") + table_.name);
    insert_.Step();
    sqlite3_reset(insert_.get());
    column_ = 0;
    ++rows_;
}

// ---- Reading ---------------------------------------------------------------------

namespace {

std::string SelectSql(const Table& table, const char* where)
{
    std::string sql = "SELECT " + ColumnList(table) + " FROM " + Quoted(table.name);
    if (where) sql += std::string(" WHERE ") + where;
    return sql + " ORDER BY rowid";
}

}  // namespace

TableReader::TableReader(Connection& db, const Table& table, const char* where, std::initializer_list<int64_t> params)
    : table_(table), select_(db, SelectSql(table, where)), cells_(table.columns.size())
{
    int i = 0;
    for (int64_t p : params) sqlite3_bind_int64(select_.get(), ++i, p);
}

bool TableReader::Next()
{
    if (!select_.Step()) return false;
    ++rows_;
    // Locals, so that they stay in registers across the library's calls.
    // Each value is taken once as SQLite holds it for the current row and
    // read through the value calls, which skip the statement's per-call
    // bookkeeping of the column calls (two of those per value where this
    // takes one). The connection is private to this thread and opened
    // without mutexes, so its values need no protection.
    sqlite3_stmt* s = select_.get();
    Cell* cells = cells_.data();
    Hasher hash = hash_;
    const int n = static_cast<int>(cells_.size());
    for (int c = 0; c < n; ++c) {
        Cell& cell = cells[c];
        sqlite3_value* value = sqlite3_column_value(s, c);
        cell.type = sqlite3_value_type(value);
        if (cell.type == SQLITE_INTEGER) [[likely]] {
            cell.integer = sqlite3_value_int64(value);
            hash.Int(cell.integer);
            continue;
        }
        switch (cell.type) {
        case SQLITE_TEXT:
            cell.bytes = reinterpret_cast<const char*>(sqlite3_value_text(value));
            cell.size = static_cast<size_t>(sqlite3_value_bytes(value));
            hash.Text(cell.bytes, cell.size);
            break;
        case SQLITE_BLOB:
            cell.bytes = static_cast<const char*>(sqlite3_value_blob(value));
            cell.size = static_cast<size_t>(sqlite3_value_bytes(value));
            hash.Blob(cell.bytes, cell.size);
            break;
        case SQLITE_FLOAT: {
            const double d = sqlite3_value_double(value);
            hash.Blob(&d, sizeof d);
            break;
        }
        default: hash.Null(); break;
        }
    }
    hash_ = hash;
    return true;
}

void TableReader::Bad(const std::string& what) const
{
    Fail("damaged: table " + std::string(table_.name) + ", row " + std::to_string(rows_) + ": " + what);
}

void TableReader::Refuse(int column, const char* what) const
{
    Bad(std::string(table_.columns[static_cast<size_t>(column)]) + " " + what);
}

std::string TableReader::Text(int column, size_t maxBytes) const
{
    const Cell& cell = cells_[static_cast<size_t>(column)];
    if (cell.type != SQLITE_TEXT) Refuse(column, "is not a text");
    if (cell.size > maxBytes || (cell.size && std::memchr(cell.bytes, 0, cell.size)))
        Refuse(column, "is too long or holds a zero byte");
    return std::string(cell.bytes ? cell.bytes : "", cell.size);
}

std::string_view TableReader::Blob(int column) const
{
    const Cell& cell = cells_[static_cast<size_t>(column)];
    if (cell.type != SQLITE_BLOB) Refuse(column, "is not a blob");
    return cell.size ? std::string_view(cell.bytes, cell.size) : std::string_view();
}

// ---- Meta and the common checks --------------------------------------------------

void WriteMeta(Connection& db, std::string_view kind, uint64_t checksum)
{
    db.Exec("CREATE TABLE meta (\"key\", \"value\")");
    Statement insert(db, "INSERT INTO meta (\"key\", \"value\") VALUES (?, ?)");
    sqlite3_bind_text(insert.get(), 1, "kind", -1, SQLITE_STATIC);
    sqlite3_bind_text(insert.get(), 2, kind.data(), static_cast<int>(kind.size()), SQLITE_STATIC);
    insert.Step();
    insert.Reset();
    sqlite3_bind_text(insert.get(), 1, "checksum", -1, SQLITE_STATIC);
    sqlite3_bind_int64(insert.get(), 2, static_cast<int64_t>(checksum));
    insert.Step();
    db.Exec("PRAGMA application_id = " + std::to_string(kApplicationId));
    db.Exec("PRAGMA user_version = " + std::to_string(kFormatVersion));
}

void UpdateChecksum(Connection& db, uint64_t checksum)
{
    Statement update(db, "UPDATE meta SET \"value\" = ? WHERE \"key\" = 'checksum'");
    sqlite3_bind_int64(update.get(), 1, static_cast<int64_t>(checksum));
    update.Step();
}

void VerifyChecksum(Connection& db, const std::function<uint64_t()>& expected)
{
    Statement stored(db, "SELECT \"value\" FROM meta WHERE \"key\" = 'checksum'");
    if (!stored.Step() || sqlite3_column_type(stored.get(), 0) != SQLITE_INTEGER ||
        static_cast<uint64_t>(sqlite3_column_int64(stored.get(), 0)) != expected())
        Fail("damaged: the content checksum does not match");
}

std::string KindText(std::string_view kind)
{
    if (kind == kDesignKind) return "a design image";
    if (kind == kPartsKind) return "a parts library (\"NorvoDLL00\")";
    if (kind == kSymbolsKind) return "a symbol library (\"NorvoSLL00\")";
    return "a file of unknown kind \"" + std::string(kind) + "\"";
}

std::string OpenChecked(Connection& db, const std::string& path, bool writable)
{
    struct stat st {};
    if (stat(path.c_str(), &st) != 0)
        Fail(errno == ENOENT ? "no such file" : std::string("cannot read it (") + std::strerror(errno) + ")");
    if (S_ISDIR(st.st_mode)) Fail("it is a directory");
    if (st.st_size == 0) Fail("the file is empty");
    {
        unsigned char header[100] = {};
        std::ifstream in(path, std::ios::binary);
        if (!in) Fail(std::string("cannot read it (") + std::strerror(errno) + ")");
        in.read(reinterpret_cast<char*>(header), sizeof header);
        const auto got = static_cast<size_t>(in.gcount());
        if (got < 16 || std::memcmp(header, "SQLite format 3", 16) != 0)
            Fail("not a design image or library (not an SQLite file)");
        if (got < sizeof header) Fail("damaged: the file is too short");
        // The file is a whole number of pages of a valid size.
        const unsigned raw = header[16] << 8 | header[17];
        const unsigned pageSize = raw == 1 ? 65536 : raw;
        if (pageSize < 512 || (pageSize & (pageSize - 1)) != 0) Fail("damaged: bad page size");
        if (static_cast<uint64_t>(st.st_size) % pageSize != 0)
            Fail("damaged: the file is truncated (its length is not a whole number of pages)");
    }
    if (!writable) {
        // A rollback journal beside the file is what a write stopped in the
        // middle leaves (the program writing it ended or the machine went
        // down): the file may hold part of that write, and only a writer can
        // roll it back. Reading it would take that half write for damage;
        // say what it is and leave both files as they are.
        struct stat journal {};
        const std::string journalPath = path + "-journal";
        if (stat(journalPath.c_str(), &journal) == 0 && S_ISREG(journal.st_mode) && journal.st_size > 0) {
            const std::string file = path.substr(path.find_last_of('/') + 1);
            const std::string name = file + "-journal";
            Fail("a write to it was interrupted: the journal \"" + name +
                 "\" beside it holds what that write had changed, so the file may hold part of it. Nothing was "
                 "changed. Keep both files together and let SQLite roll the write back: open the file once with "
                 "a program that may write it (for example: sqlite3 \"" + file +
                 "\" \"PRAGMA quick_check\"), which puts the file back as it was before that write and removes "
                 "the journal, then open it here again; or open a backup copy. Do not move or delete the "
                 "journal: the file would keep the half write");
        }
    }
    db.Open(path, writable ? SQLITE_OPEN_READWRITE : SQLITE_OPEN_READONLY);
    try {
        if (db.QueryInt("PRAGMA application_id") != kApplicationId)
            Fail("not a design image or library of this program (a foreign SQLite database)");
        const int64_t version = db.QueryInt("PRAGMA user_version");
        if (version > kFormatVersion)
            Fail("written by a newer version of the program (format " + std::to_string(version) +
                 "; this version reads format " + std::to_string(kFormatVersion) + " and older)");
        if (version < 1) Fail("damaged: no format version");
        {
            Statement check(db, "PRAGMA quick_check(1)");
            if (!check.Step()) Fail("damaged: the quick check gave no result");
            const auto* text = reinterpret_cast<const char*>(sqlite3_column_text(check.get(), 0));
            if (!text || std::strcmp(text, "ok") != 0) {
                // The first problem the check names, without its heading.
                std::string problem = text ? text : "the quick check failed";
                if (problem.rfind("*** ", 0) == 0 && problem.find('\n') != std::string::npos)
                    problem = problem.substr(problem.find('\n') + 1);
                problem = problem.substr(0, problem.find('\n'));
                Fail("damaged: " + problem);
            }
        }
        Statement kind(db, "SELECT \"value\" FROM meta WHERE \"key\" = 'kind'");
        if (!kind.Step() || sqlite3_column_type(kind.get(), 0) != SQLITE_TEXT) Fail("damaged: no file kind");
        std::string found(reinterpret_cast<const char*>(sqlite3_column_text(kind.get(), 0)),
                          static_cast<size_t>(sqlite3_column_bytes(kind.get(), 0)));
        if (found != kDesignKind && found != kPartsKind && found != kSymbolsKind) Fail("damaged: unknown file kind");
        return found;
    } catch (const Failure& f) {
        // SQLite's own words for a file it cannot read mean damage.
        FailAsDamaged(f, {"not a ", "written by"});
    }
}

// ---- Symbols and devices ---------------------------------------------------------

PartsWriter::PartsWriter(Connection& db)
    : symbols(db, kSymbols),
      entries(db, kSymbolEntries),
      padStacks(db, kPadStacks),
      devices(db, kDevices),
      groups(db, kGroups),
      pins(db, kPins),
      items(db, kItems)
{
}

void WriteItem(TableWriter& items, int32_t ownerKind, int32_t level, int32_t owner, int32_t sub, int32_t number,
               const Item& item)
{
    items.Int(ownerKind).Int(level).Int(owner).Int(sub).Int(number);
    items.Int(item.status).Text(item.name).Int(item.itemKind).Int(item.link).Int(item.x).Int(item.y);
    items.Int(item.layer).Int(item.style).Int(item.width).Int(item.gap).Int(item.angle);
    items.Int(item.p1).Int(item.p2).Int(item.p3).Int(item.p4).Text(item.text);
    items.Row();
}

void WritePadStacks(PartsWriter& w, int32_t owner, const ObjectMap& padStacks)
{
    padStacks.ForEach([&](const Object& o) {
        const auto& ps = static_cast<const PadStack&>(o);
        w.padStacks.Int(owner).Int(ps.id).Int(ps.status).Text(ps.name).Int(ps.hole).Int(ps.hole2);
        w.padStacks.Row();
        int32_t number = 0;
        ps.items.ForEach([&](const Object& item) {
            WriteItem(w.items, kPadStackItem, 0, owner, ps.id, ++number, static_cast<const Item&>(item));
        });
    });
}

void WriteSymbol(PartsWriter& w, int32_t key, const Symbol& symbol)
{
    w.symbols.Int(key).Int(symbol.status).Text(symbol.name);
    w.symbols.Row();
    int32_t number = 0;
    symbol.entries.ForEach([&](const Object& o) {
        const auto& e = static_cast<const SymbolEntry&>(o);
        w.entries.Int(key).Int(++number).Int(e.status).Text(e.name).Int(e.flags).Int(e.x).Int(e.y);
        w.entries.Int(e.keyOrTextX).Int(e.textY).Int(e.textAngle).Int(e.swapLevel).Text(e.label);
        w.entries.Row();
    });
    number = 0;
    symbol.items.ForEach([&](const Object& item) {
        WriteItem(w.items, kSymbolItem, 0, key, 0, ++number, static_cast<const Item&>(item));
    });
    WritePadStacks(w, key, symbol.padStacks);
}

void WriteDevice(PartsWriter& w, int32_t key, const Device& device)
{
    w.devices.Int(key).Int(device.status).Text(device.name).Text(device.prefix).Text(device.package);
    w.devices.Row();
    auto writePins = [&](int32_t group, const ObjectArray& pins) {
        int32_t number = 0;
        pins.ForEach([&](const Object& o) {
            const auto& pin = static_cast<const Pin&>(o);
            w.pins.Int(key).Int(group).Int(++number).Int(pin.status).Text(pin.name).Int(pin.number);
            w.pins.Row();
        });
    };
    int32_t number = 0;
    device.groups.ForEach([&](const Object& o) {
        const auto& g = static_cast<const Group&>(o);
        w.groups.Int(key).Int(++number).Int(g.status).Text(g.name).Text(g.symbName);
        w.groups.Row();
        writePins(number, g.pins);
    });
    writePins(0, device.supplyPins);
}

namespace {

// The next number of an array: rows of an array come in order 1, 2, 3 ...
void CheckNumber(const TableReader& r, int column, int64_t expected)
{
    if (r.Int64(column) != expected) r.Bad("elements out of order");
}

constexpr size_t kMaxPrefix = 8;

}  // namespace

ObjectMap* PartsLookup::PadStacks(int32_t owner) const
{
    if (owner == 0) return designPadStacks;
    Symbol* s = symbol(owner);
    return s ? &s->padStacks : nullptr;
}

void ReadSymbols(TableReader& r, const std::function<void(int32_t key, std::unique_ptr<Symbol>)>& make)
{
    while (r.Next()) {
        const int32_t key = r.Int(0);
        if (key == 0) r.Bad("symbol id 0");
        auto symbol = std::make_unique<Symbol>();
        symbol->status = r.Int(1);
        symbol->name = r.Text(2);
        make(key, std::move(symbol));
    }
}

void ReadSymbolEntries(TableReader& r, const PartsLookup& find)
{
    while (r.Next()) {
        Symbol* symbol = find.symbol(r.Int(0));
        if (!symbol) r.Bad("entry of a symbol that does not exist");
        CheckNumber(r, 1, symbol->entries.Count() + 1);
        auto e = std::make_unique<SymbolEntry>();
        e->status = r.Int(2);
        e->name = r.Text(3);
        e->flags = r.Int(4);
        e->x = r.Coord(5);
        e->y = r.Coord(6);
        e->keyOrTextX = r.Int(7);
        e->textY = r.Int(8);
        e->textAngle = r.Int(9);
        e->swapLevel = r.Int(10);
        e->label = r.Text(11);
        symbol->entries.Insert(std::move(e));
    }
}

void ReadPadStacks(TableReader& r, const PartsLookup& find)
{
    while (r.Next()) {
        ObjectMap* map = find.PadStacks(r.Int(0));
        if (!map) r.Bad("pad stack of an owner that does not exist");
        const int32_t key = r.Int(1);
        auto ps = std::make_unique<PadStack>();
        ps->status = r.Int(2);
        ps->name = r.Text(3);
        ps->hole = r.Int(4);
        ps->hole2 = r.Int(5);
        if (key == 0 || !map->Insert(std::move(ps), key)) r.Bad("pad-stack key taken or out of range");
    }
}

void ReadDevices(TableReader& r, const std::function<void(int32_t key, std::unique_ptr<Device>)>& make)
{
    while (r.Next()) {
        const int32_t key = r.Int(0);
        if (key == 0) r.Bad("device id 0");
        auto device = std::make_unique<Device>();
        device->status = r.Int(1);
        device->name = r.Text(2);
        device->prefix = r.Text(3, kMaxPrefix);
        device->package = r.Text(4);
        make(key, std::move(device));
    }
}

void ReadGroups(TableReader& r, const PartsLookup& find)
{
    while (r.Next()) {
        Device* device = find.device(r.Int(0));
        if (!device) r.Bad("group of a device that does not exist");
        CheckNumber(r, 1, device->groups.Count() + 1);
        auto group = std::make_unique<Group>();
        group->status = r.Int(2);
        group->name = r.Text(3);
        group->symbName = r.Text(4);
        device->groups.Insert(std::move(group));
    }
}

void ReadPins(TableReader& r, const PartsLookup& find)
{
    while (r.Next()) {
        Device* device = find.device(r.Int(0));
        if (!device) r.Bad("pin of a device that does not exist");
        const int32_t group = r.Int(1);
        ObjectArray* pins = nullptr;
        if (group == 0) {
            pins = &device->supplyPins;
        } else if (auto* g = device->groups.AtAs<Group>(group)) {
            pins = &g->pins;
        }
        if (!pins) r.Bad("pin of a group that does not exist");
        CheckNumber(r, 2, pins->Count() + 1);
        auto pin = std::make_unique<Pin>();
        pin->status = r.Int(3);
        pin->name = r.Text(4);
        pin->number = r.Int(5);
        pins->Insert(std::move(pin));
    }
}

ObjectArray* PartsItemArray(const TableReader& r, const PartsLookup& find)
{
    const int32_t ownerKind = r.Int(0), owner = r.Int(2), sub = r.Int(3);
    if (ownerKind == kSymbolItem) {
        Symbol* symbol = find.symbol(owner);
        return symbol ? &symbol->items : nullptr;
    }
    if (ownerKind == kPadStackItem) {
        ObjectMap* map = find.PadStacks(owner);
        auto* ps = map ? map->FindAs<PadStack>(sub) : nullptr;
        return ps ? &ps->items : nullptr;
    }
    return nullptr;
}

void ReadItemInto(const TableReader& r, ObjectArray& array)
{
    CheckNumber(r, 4, array.Count() + 1);
    auto item = std::make_unique<Item>();
    item->status = r.Int(5);
    item->name = r.Text(6);
    item->itemKind = r.Int(7);
    if (item->itemKind < 1 || item->itemKind > 6) r.Bad("unknown item kind");
    item->link = r.Int(8);
    item->x = r.Coord(9);
    item->y = r.Coord(10);
    const int32_t layer = r.Int(11), style = r.Int(12);
    if (layer < 0 || layer > 255 || style < 0 || style > 255) r.Bad("layer or style out of range");
    item->layer = static_cast<uint8_t>(layer);
    item->style = static_cast<uint8_t>(style);
    item->width = r.Int(13);
    item->gap = r.Int(14);
    item->angle = r.Int(15);
    item->p1 = r.Int(16);
    item->p2 = r.Int(17);
    item->p3 = r.Int(18);
    item->p4 = r.Int(19);
    item->text = r.Text(20);
    array.Insert(std::move(item));
}

}  // namespace kernel::image
