// Symbols and devices into the kernel, and library files out of it.
#include "tools/sources/source_builder.h"

#include "platform/kernel/nvokernel32.h"

#include <cstdio>
#include <filesystem>
#include <vector>

namespace nvo_sources {

namespace {

ItemRec ToRecord(const ItemDef& it)
{
    ItemRec r{};
    r.Kind = it.kind;
    r.Flags = it.flags;
    r.Link = it.link;
    r.X = it.x;
    r.Y = it.y;
    r.Layer = static_cast<uint8_t>(it.layer);
    r.Style = static_cast<uint8_t>(it.style);
    r.Width = it.width;
    r.Gap = it.gap;
    r.Angle = it.angle;
    r.P1 = it.p1;
    r.P2 = it.p2;
    r.P3 = it.p3;
    r.P4 = it.p4;
    r.Text = it.kind == kItemText ? it.text.c_str() : nullptr;
    return r;
}

std::string Refused(const SourcePos& pos, const std::string& what)
{
    return Where(pos) + ": the kernel refused " + what;
}

}  // namespace

bool AddItem(int32_t array, const ItemDef& it)
{
    const ItemRec r = ToRecord(it);
    const int32_t item = I_MakeItem(&r);
    return item != 0 && OA_Add(array, item) != 0;
}

int32_t BuildSymbol(const SymbolDef& s, std::string& error)
{
    const int32_t id = S_CreateSymbol(0, s.name.c_str());
    if (id == 0) {
        error = Refused(s.pos, "symbol '" + s.name + "'");
        return 0;
    }
    auto fail = [&](const SourcePos& pos, const std::string& what) {
        error = Refused(pos, what + " of symbol '" + s.name + "'");
        OM_Delete(DB_SymbMap(), id);
        return 0;
    };
    if (O_Mask(S_Symbol(id), s.layout ? 2 : 1, -1) == 0) return fail(s.pos, "the status");
    for (const PadStackDef& p : s.padStacks) {
        const int32_t stack = S_MakePadStack();
        if (stack == 0 || S_ChangePadStackHole(stack, p.hole, 0) == 0) return fail(p.pos, "a pad stack");
        for (const ItemDef& pad : p.pads)
            if (!AddItem(S_PadStackItemArray(stack), pad)) return fail(p.pos, "a pad");
        if (OM_Add(S_SymbolPadStackMap(id), stack, p.key) != p.key) return fail(p.pos, "pad stack key");
    }
    for (const EntryDef& e : s.entries) {
        const int32_t n = S_AddEntry(id, e.name.c_str(), e.x, e.y, e.flags, e.keyOrTextX, e.textY, e.textAngle);
        if (n == 0) return fail(e.pos, "entry '" + e.name + "'");
        if (e.swapLevel != -1 && S_ChangeEntrySwapLevel(id, n, e.swapLevel) == 0)
            return fail(e.pos, "the swap level of entry '" + e.name + "'");
    }
    for (const ItemDef& it : s.items)
        if (!AddItem(S_SymbolItemArray(id), it)) return fail(it.pos, "an item");
    return id;
}

int32_t BuildDevice(const DeviceDef& d, std::string& error)
{
    const std::string package = d.PackageText();
    const int32_t id = D_CreateDevice(0, d.name.c_str(), package.c_str());
    if (id == 0) {
        error = Refused(d.pos, "device '" + d.name + "'");
        return 0;
    }
    auto fail = [&](const SourcePos& pos, const std::string& what) {
        error = Refused(pos, what + " of device '" + d.name + "'");
        OM_Delete(DB_DeviceMap(), id);
        return 0;
    };
    if (D_ChangeDevicePrefix(id, d.prefix.c_str()) == 0) return fail(d.pos, "the prefix");
    for (const GroupDef& g : d.groups) {
        const int32_t group = D_AddGroup(id, g.name.c_str(), g.symbol.c_str());
        if (group == 0) return fail(g.pos, "gate '" + g.name + "'");
        for (const PinDef& p : g.pins)
            if (D_AddPin(id, group, p.number, p.name.c_str()) == 0) return fail(p.pos, "pin " + std::to_string(p.number));
    }
    for (const PinDef& p : d.supply)
        if (D_AddPin(id, 0, p.number, p.name.c_str()) == 0) return fail(p.pos, "supply pin " + std::to_string(p.number));
    return id;
}

namespace {

struct Entry {
    std::string name;
    int32_t id = 0;
};

std::string LastError()
{
    const char* e = E_LastError();
    return e && *e ? std::string(": ") + e : std::string();
}

// Writes one library file through a temporary file renamed over `path`.
bool WriteLibrary(const std::string& path, const char* kind, const std::vector<Entry>& entries, bool devices,
                  std::string& error)
{
    namespace fs = std::filesystem;
    const std::string temp = path + ".tmp";
    std::error_code ec;
    fs::remove(temp, ec);
    const int32_t lib = E_OpenLibrary(temp.c_str(), kind, -1);
    if (lib == 0) {
        error = path + ": cannot be written" + LastError();
        return false;
    }
    bool ok = true;
    for (const Entry& e : entries) {
        const int32_t entry = E_OpenLibToWrite(lib, e.name.c_str());
        const int32_t saved = entry == 0 ? 0 : devices ? D_SaveDevice(lib, e.id) : S_SaveSymbol(e.id, entry);
        if (saved == 0) {
            error = path + ": entry '" + e.name + "' cannot be written" + LastError();
            ok = false;
            break;
        }
        E_CloseLibWrite(lib);
    }
    E_CloseLibrary(lib);
    if (ok) {
        fs::rename(temp, path, ec);
        if (ec) {
            error = path + ": cannot be replaced: " + ec.message();
            ok = false;
        }
    }
    if (!ok) fs::remove(temp, ec);
    return ok;
}

}  // namespace

bool WriteLibraries(const Source& source, const LibraryOutputs& out, std::string& error)
{
    const Library& lib = source.library;
    std::vector<const SymbolDef*> schematic, layout;
    for (const std::string& name : source.ownSymbols) {
        const SymbolDef* s = lib.FindSymbol(name);
        (s->layout ? layout : schematic).push_back(s);
    }
    struct Kind {
        const char* what;
        size_t count;
        const std::string& path;
    };
    const Kind kinds[] = {{"parts (devices)", source.ownDevices.size(), out.parts},
                          {"schematic symbols", schematic.size(), out.symbols},
                          {"packages (layout symbols)", layout.size(), out.packages}};
    for (const Kind& k : kinds) {
        if (k.count > 0 && k.path.empty()) {
            error = std::string("the source defines ") + k.what + " but no output file is given for them";
            return false;
        }
        if (k.count == 0 && !k.path.empty()) {
            error = std::string("the source defines no ") + k.what + " for " + k.path;
            return false;
        }
    }
    if (DB_CreateDataBase("library", "LIBRARY", "LIBRARY") == 0) {
        error = "the kernel cannot create a scratch database";
        return false;
    }
    auto build = [&](const std::vector<const SymbolDef*>& symbols, std::vector<Entry>& entries) {
        for (const SymbolDef* s : symbols) {
            const int32_t id = BuildSymbol(*s, error);
            if (id == 0) return false;
            entries.push_back({s->name, id});
        }
        return true;
    };
    std::vector<Entry> schEntries, layEntries, devEntries;
    bool ok = build(schematic, schEntries) && build(layout, layEntries);
    for (size_t i = 0; ok && i < source.ownDevices.size(); ++i) {
        const DeviceDef* d = lib.FindDevice(source.ownDevices[i]);
        const int32_t id = BuildDevice(*d, error);
        ok = id != 0;
        if (ok) devEntries.push_back({d->name, id});
    }
    if (ok && !out.parts.empty()) ok = WriteLibrary(out.parts, "NorvoDLL00", devEntries, true, error);
    if (ok && !out.symbols.empty()) ok = WriteLibrary(out.symbols, "NorvoSLL00", schEntries, false, error);
    if (ok && !out.packages.empty()) ok = WriteLibrary(out.packages, "NorvoSLL00", layEntries, false, error);
    DB_DiscardDataBase();
    return ok;
}

}  // namespace nvo_sources
