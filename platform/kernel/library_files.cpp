// Library files: parts libraries ("NorvoDLL00") whose entries are devices,
// and symbol libraries ("NorvoSLL00") whose entries are schematic symbols
// and packages; notes files are symbol libraries with one entry.
//
// A library is an SQLite file of the image format's tables, keyed by entry
// number. It is checked as a whole when it is opened (quick check, kind,
// format version, content checksum). Writing an entry is one transaction
// on the file that replaces the entry's rows and the checksum together, so
// the file is never left half written.
#include "platform/kernel/database.h"
#include "platform/kernel/image_store.h"
#include "platform/kernel/nvokernel32.h"
#include "platform/kernel/registry.h"

#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <map>
#include <set>

namespace kernel::image {

namespace {

constexpr int32_t kDeviceEntry = 1;
constexpr int32_t kSymbolEntry = 2;

struct Library;

// What a library handle or an entry handle stands for.
struct LibraryThing {
    explicit LibraryThing(bool entry) : isEntry(entry) {}
    const bool isEntry;
    int32_t handle = 0;
};

struct Entry : LibraryThing {
    Entry(Library& l, std::string n, bool w) : LibraryThing(true), library(l), name(std::move(n)), write(w) {}
    Library& library;
    std::string name;
    bool write;
};

struct DirEntry {
    int64_t number;
    int32_t kind;
};

struct Library : LibraryThing {
    Library() : LibraryThing(false) {}
    ~Library()
    {
        for (auto& e : readEntries) Handles().Remove(e->handle);
        if (writeEntry) Handles().Remove(writeEntry->handle);
        if (handle) Handles().Remove(handle);
    }
    Connection db;
    std::string path, kind;
    bool writable = false;
    std::vector<std::string> names;  // in name order
    std::map<std::string, DirEntry> directory;
    std::vector<std::unique_ptr<Entry>> readEntries;
    std::unique_ptr<Entry> writeEntry;
};

std::map<int32_t, std::unique_ptr<Library>>& Libraries()
{
    static std::map<int32_t, std::unique_ptr<Library>> libraries;
    return libraries;
}

LibraryThing* ThingOf(int32_t handle)
{
    return static_cast<LibraryThing*>(Handles().Find(handle, HandleType::Library));
}

Library& LibraryOf(int32_t handle)
{
    LibraryThing* thing = ThingOf(handle);
    if (!thing || thing->isEntry) Fail("no such library (the handle is not open)");
    return static_cast<Library&>(*thing);
}

Entry& EntryOf(int32_t handle)
{
    LibraryThing* thing = ThingOf(handle);
    if (!thing || !thing->isEntry) Fail("no such library entry (the handle is not open)");
    return static_cast<Entry&>(*thing);
}

int32_t EntryKindOf(std::string_view libraryKind)
{
    return libraryKind == kPartsKind ? kDeviceEntry : kSymbolEntry;
}

// Reads the directory, checking that it is one this library may hold.
void ReadDirectory(Library& lib)
{
    std::vector<std::string> names;
    std::map<std::string, DirEntry> directory;
    // Each entry's rows are keyed by its number: two entries sharing one
    // would read each other's rows, and writing one would delete the other.
    std::set<int64_t> numbers;
    TableReader r(lib.db, kLibEntries);
    while (r.Next()) {
        const int64_t number = r.Int64(0);
        std::string name = r.Text(1);
        const int32_t kind = r.Int(2);
        if (number < 1 || number > INT32_MAX || name.empty()) r.Bad("bad entry number or name");
        if (kind != EntryKindOf(lib.kind)) r.Bad("an entry of the wrong kind for this library");
        if (!directory.emplace(name, DirEntry{number, kind}).second) r.Bad("two entries of the same name");
        if (!numbers.insert(number).second) r.Bad("two entries of the same number");
    }
    for (const auto& [name, entry] : directory) names.push_back(name);
    lib.names = std::move(names);
    lib.directory = std::move(directory);
}

bool DirectoryWritable(const std::string& path)
{
    return access(DirectoryOf(path).c_str(), W_OK) == 0;
}

std::unique_ptr<Library> Open(const std::string& path, const std::string& kind, bool writable)
{
    auto lib = std::make_unique<Library>();
    lib->path = path;
    lib->kind = kind;
    lib->writable = writable;
    struct stat st {};
    const bool exists = stat(path.c_str(), &st) == 0;
    if (writable && (!exists || (S_ISREG(st.st_mode) && st.st_size == 0))) {
        // A new library, or an empty file made ready for one (the editor
        // empties a notes file before writing it).
        if (!DirectoryWritable(path)) Fail("the directory cannot be written");
        try {
            lib->db.Open(path, SQLITE_OPEN_READWRITE | SQLITE_OPEN_CREATE);
            lib->db.Exec("BEGIN IMMEDIATE");
            CreateTables(lib->db, LibraryTables());
            WriteMeta(lib->db, kind, ComputeChecksum(lib->db, kind, LibraryTables()));
            lib->db.Exec("COMMIT");
        } catch (const Failure&) {
            // Nothing half made stays behind: a file made here goes again.
            lib->db.Close();
            if (!exists) unlink(path.c_str());
            throw;
        }
    } else {
        const std::string found = OpenChecked(lib->db, path, writable);
        if (found != kind) Fail("it is " + KindText(found) + ", not " + KindText(kind));
        if (writable && (sqlite3_db_readonly(lib->db.get(), "main") == 1 || access(path.c_str(), W_OK) != 0))
            Fail("the file cannot be written");
        if (writable && !DirectoryWritable(path)) Fail("the directory cannot be written");
        try {
            VerifyChecksum(lib->db, [&] { return ComputeChecksum(lib->db, kind, LibraryTables()); });
        } catch (const Failure& f) {
            FailAsDamaged(f);
        }
    }
    ReadDirectory(*lib);
    return lib;
}

// Removes every row of entry `number`.
void DeleteEntryRows(Connection& db, int64_t number)
{
    const std::pair<const Table*, const char*> keys[] = {
        {&kLibEntries, "number"}, {&kSymbols, "key"},   {&kSymbolEntries, "symbol"}, {&kPadStacks, "owner"},
        {&kDevices, "key"},       {&kGroups, "device"}, {&kPins, "device"},          {&kItems, "owner"}};
    for (const auto& [table, column] : keys) {
        Statement s(db, std::string("DELETE FROM \"") + table->name + "\" WHERE \"" + column + "\" = ?");
        sqlite3_bind_int64(s.get(), 1, number);
        s.Step();
    }
}

// Writes the library's write entry in one transaction: the old rows of the
// entry go, the new ones come, and the checksum follows.
template <class WriteRows>
void WriteEntry(Library& lib, int32_t entryKind, WriteRows&& writeRows)
{
    if (!lib.writeEntry) Fail("no entry is open for writing");
    const std::string& name = lib.writeEntry->name;
    Connection& db = lib.db;
    db.Exec("BEGIN IMMEDIATE");
    try {
        // Another handle may have written the file since it was opened.
        ReadDirectory(lib);
        int64_t number = 0;
        if (auto it = lib.directory.find(name); it != lib.directory.end()) {
            number = it->second.number;
            DeleteEntryRows(db, number);
        } else {
            number = db.QueryInt("SELECT coalesce(max(\"number\"), 0) + 1 FROM lib_entries", 1);
            if (number > INT32_MAX) Fail("the library is full");
        }
        {
            TableWriter entries(db, kLibEntries);
            entries.Int(number).Text(name).Int(entryKind);
            entries.Row();
            PartsWriter parts(db);
            writeRows(parts, static_cast<int32_t>(number));
        }
        UpdateChecksum(db, ComputeChecksum(db, lib.kind, LibraryTables()));
        db.Exec("COMMIT");
    } catch (...) {
        sqlite3_exec(db.get(), "ROLLBACK", nullptr, nullptr, nullptr);
        throw;
    }
    ReadDirectory(lib);
}

// The entry number a read entry stands for, checked against `entryKind`.
int64_t EntryNumber(const Entry& entry, int32_t entryKind)
{
    if (entry.write) Fail("the entry is open for writing, not for reading");
    const Library& lib = entry.library;
    auto it = lib.directory.find(entry.name);
    if (it == lib.directory.end()) Fail("the library has no entry \"" + entry.name + "\"");
    if (it->second.kind != entryKind)
        Fail(entryKind == kDeviceEntry ? "the entry holds a symbol, not a device"
                                       : "the entry holds a device, not a symbol");
    return it->second.number;
}

std::unique_ptr<Device> ReadDeviceEntry(Connection& db, int64_t number)
{
    std::unique_ptr<Device> device;
    const auto key = static_cast<int32_t>(number);
    PartsLookup find{[](int32_t) -> Symbol* { return nullptr; },
                     [&](int32_t k) { return k == key ? device.get() : nullptr; }, nullptr};
    {
        TableReader r(db, kDevices, "\"key\" = ?", {number});
        ReadDevices(r, [&](int32_t, std::unique_ptr<Device> d) {
            if (device) r.Bad("two devices in one entry");
            device = std::move(d);
        });
    }
    if (!device) Fail("damaged: the entry holds no device");
    TableReader groups(db, kGroups, "\"device\" = ?", {number});
    ReadGroups(groups, find);
    TableReader pins(db, kPins, "\"device\" = ?", {number});
    ReadPins(pins, find);
    return device;
}

std::unique_ptr<Symbol> ReadSymbolEntry(Connection& db, int64_t number)
{
    std::unique_ptr<Symbol> symbol;
    const auto key = static_cast<int32_t>(number);
    PartsLookup find{[&](int32_t k) { return k == key ? symbol.get() : nullptr; },
                     [](int32_t) -> Device* { return nullptr; }, nullptr};
    {
        TableReader r(db, kSymbols, "\"key\" = ?", {number});
        ReadSymbols(r, [&](int32_t, std::unique_ptr<Symbol> s) {
            if (symbol) r.Bad("two symbols in one entry");
            symbol = std::move(s);
        });
    }
    if (!symbol) Fail("damaged: the entry holds no symbol");
    TableReader entries(db, kSymbolEntries, "\"symbol\" = ?", {number});
    ReadSymbolEntries(entries, find);
    TableReader padStacks(db, kPadStacks, "\"owner\" = ?", {number});
    ReadPadStacks(padStacks, find);
    TableReader items(db, kItems, "\"owner_kind\" IN (1, 6) AND \"owner\" = ?", {number});
    while (items.Next()) {
        ObjectArray* array = PartsItemArray(items, find);
        if (!array) items.Bad("item of an owner that does not exist");
        ReadItemInto(items, *array);
    }
    return symbol;
}

}  // namespace

}  // namespace kernel::image

using namespace kernel;
using namespace kernel::image;

int32_t E_OpenLibrary(const char* path, const char* kind, int32_t mode) noexcept
{
    return Run(0, [&]() -> int32_t {
        if (!path || !*path) Fail("cannot open a library: no file name");
        const std::string where = "cannot open the library " + Quoted(path) + ": ";
        if (!kind || (kind != kPartsKind && kind != kSymbolsKind))
            Fail(where + "unknown library kind" + (kind ? " " + Quoted(kind) : std::string()));
        if (mode != 0 && mode != -1) Fail(where + "unknown mode " + std::to_string(mode) + " (0 reads, -1 writes)");
        std::unique_ptr<Library> lib;
        try {
            lib = Open(path, kind, mode == -1);
        } catch (const Failure& f) {
            Fail(where + f.text);
        }
        const int32_t handle = Handles().Add(HandleType::Library, static_cast<LibraryThing*>(lib.get()));
        if (!handle) Fail(where + "too many open handles");
        lib->handle = handle;
        Libraries()[handle] = std::move(lib);
        return handle;
    });
}

int32_t E_CloseLibrary(int32_t library) noexcept
{
    return Run(0, [&]() -> int32_t {
        Library& lib = LibraryOf(library);
        Libraries().erase(lib.handle);
        return 1;
    });
}

const char* E_GetLibDirName(int32_t library, int32_t index) noexcept
{
    return Run<const char*>(nullptr, [&]() -> const char* {
        Library& lib = LibraryOf(library);
        if (index < 0 || index >= static_cast<int32_t>(lib.names.size()))
            Fail("the library has no entry " + std::to_string(index));
        return lib.names[static_cast<size_t>(index)].c_str();
    });
}

int32_t E_OpenLibToRead(int32_t library, const char* name) noexcept
{
    return Run(0, [&]() -> int32_t {
        Library& lib = LibraryOf(library);
        if (!name) Fail("no entry name");
        if (!lib.directory.count(name)) Fail("the library " + Quoted(lib.path) + " has no entry " + Quoted(name));
        for (const auto& e : lib.readEntries)
            if (e->name == name) return e->handle;
        auto entry = std::make_unique<Entry>(lib, name, false);
        entry->handle = Handles().Add(HandleType::Library, static_cast<LibraryThing*>(entry.get()));
        if (!entry->handle) Fail("too many open handles");
        lib.readEntries.push_back(std::move(entry));
        return lib.readEntries.back()->handle;
    });
}

int32_t E_OpenLibToWrite(int32_t library, const char* name) noexcept
{
    return Run(0, [&]() -> int32_t {
        Library& lib = LibraryOf(library);
        if (!lib.writable) Fail("the library " + Quoted(lib.path) + " is open for reading only");
        if (!name || !*name || !ValidName(name)) Fail("an entry name must have 1 to 255 characters");
        auto entry = std::make_unique<Entry>(lib, name, true);
        entry->handle = Handles().Add(HandleType::Library, static_cast<LibraryThing*>(entry.get()));
        if (!entry->handle) Fail("too many open handles");
        if (lib.writeEntry) Handles().Remove(lib.writeEntry->handle);
        lib.writeEntry = std::move(entry);
        return lib.writeEntry->handle;
    });
}

int32_t E_CloseLibWrite(int32_t library) noexcept
{
    return Run(0, [&]() -> int32_t {
        Library& lib = LibraryOf(library);
        if (!lib.writeEntry) Fail("no entry of the library " + Quoted(lib.path) + " is open for writing");
        Handles().Remove(lib.writeEntry->handle);
        lib.writeEntry.reset();
        return 1;
    });
}

int32_t S_SaveSymbol(int32_t symbol, int32_t entry) noexcept
{
    return Run(0, [&]() -> int32_t {
        Entry& e = EntryOf(entry);
        Library& lib = e.library;
        const std::string where = "cannot save the symbol into " + Quoted(lib.path) + ": ";
        if (!e.write) Fail(where + "the entry is open for reading, not for writing");
        if (lib.kind != kSymbolsKind) Fail(where + "a parts library holds devices, not symbols");
        Database* db = Db();
        const auto* s = db ? db->symbols.FindAs<Symbol>(symbol) : nullptr;
        if (!s) Fail(where + "no symbol " + std::to_string(symbol) + " in the design");
        try {
            WriteEntry(lib, kSymbolEntry, [&](PartsWriter& w, int32_t key) { WriteSymbol(w, key, *s); });
        } catch (const Failure& f) {
            Fail(where + f.text);
        }
        return 1;
    });
}

int32_t D_SaveDevice(int32_t library, int32_t device) noexcept
{
    return Run(0, [&]() -> int32_t {
        Library& lib = LibraryOf(library);
        const std::string where = "cannot save the device into " + Quoted(lib.path) + ": ";
        if (lib.kind != kPartsKind) Fail(where + "a symbol library holds symbols, not devices");
        if (!lib.writeEntry) Fail(where + "no entry is open for writing");
        Database* db = Db();
        const auto* d = db ? db->devices.FindAs<Device>(device) : nullptr;
        if (!d) Fail(where + "no device " + std::to_string(device) + " in the design");
        try {
            WriteEntry(lib, kDeviceEntry, [&](PartsWriter& w, int32_t key) { WriteDevice(w, key, *d); });
        } catch (const Failure& f) {
            Fail(where + f.text);
        }
        return 1;
    });
}

int32_t D_LoadDevice(int32_t id, int32_t entry) noexcept
{
    return Run(0, [&]() -> int32_t {
        Entry& e = EntryOf(entry);
        const std::string where = "cannot load the device " + Quoted(e.name) + ": ";
        Database* db = Db();
        if (!db) Fail(where + "no design is open");
        if (id != 0 && db->devices.Find(id)) Fail(where + "device id " + std::to_string(id) + " is taken");
        std::unique_ptr<Device> device;
        try {
            device = ReadDeviceEntry(e.library.db, EntryNumber(e, kDeviceEntry));
        } catch (const Failure& f) {
            Fail(where + f.text);
        }
        const int32_t key = db->devices.Insert(std::move(device), id);
        if (!key) Fail(where + "no free device id");
        return key;
    });
}

int32_t S_LoadSymbol(int32_t id, int32_t entry) noexcept
{
    return Run(0, [&]() -> int32_t {
        Entry& e = EntryOf(entry);
        const std::string where = "cannot load the symbol " + Quoted(e.name) + ": ";
        Database* db = Db();
        if (!db) Fail(where + "no design is open");
        if (id != 0 && db->symbols.Find(id)) Fail(where + "symbol id " + std::to_string(id) + " is taken");
        std::unique_ptr<Symbol> symbol;
        try {
            symbol = ReadSymbolEntry(e.library.db, EntryNumber(e, kSymbolEntry));
        } catch (const Failure& f) {
            Fail(where + f.text);
        }
        const int32_t key = db->symbols.Insert(std::move(symbol), id);
        if (!key) Fail(where + "symbol id " + std::to_string(id) + " is out of range or no id is free");
        return key;
    });
}
