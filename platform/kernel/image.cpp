// The database image: the open design saved to an SQLite file and loaded
// back in its place.
//
// Saving writes a new file beside the target in one transaction, flushes it
// to disk and renames it over the target, so the target always holds either
// the old image or the whole new one. Loading reads everything into a new
// database, checks it row by row and against the content checksum, and only
// then puts it in place of the open one.
#include "platform/kernel/database.h"
#include "platform/kernel/image_store.h"
#include "platform/kernel/nvokernel32.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <fstream>
#include <iterator>
#include <map>

namespace kernel::image {

namespace {

// ---- Saving ----------------------------------------------------------------------

std::string Errno()
{
    return std::strerror(errno);
}

// Writes every table of the design into `db` (an empty file, one
// transaction) and gives the content checksum.
class DesignWriter {
public:
    explicit DesignWriter(Connection& db)
        : parts_(db),
          design_(db, kDesign),
          levels_(db, kLevels),
          heaps_(db, kHeaps),
          pages_(db, kPages),
          components_(db, kComponents),
          layComps_(db, kLayComps),
          layCompParts_(db, kLayCompParts),
          nets_(db, kNets),
          nodes_(db, kNodes),
          buses_(db, kBuses),
          busMembers_(db, kBusMembers),
          branches_(db, kBranches),
          branchPoints_(db, kBranchPoints),
          junctions_(db, kJunctions),
          traces_(db, kTraces),
          tracePoints_(db, kTracePoints),
          vias_(db, kVias),
          bendPoints_(db, kBendPoints),
          files_(db, kFiles)
    {
    }

    uint64_t Write(const Database& db)
    {
        // The text-size table, each value in four bytes, lowest first.
        unsigned char sizes[sizeof db.textSizes];
        for (size_t i = 0; i < std::size(db.textSizes); ++i) {
            const auto v = static_cast<uint32_t>(db.textSizes[i]);
            for (size_t b = 0; b < 4; ++b) sizes[i * 4 + b] = static_cast<unsigned char>(v >> (8 * b));
        }
        design_.Text(db.design.name).Int(db.design.status).Int(db.curLevel).Blob(sizes, sizeof sizes);
        design_.Row();

        db.symbols.ForEach([&](const Object& o) { WriteSymbol(parts_, o.id, static_cast<const Symbol&>(o)); });
        WritePadStacks(parts_, 0, db.padStacks);
        db.devices.ForEach([&](const Object& o) { WriteDevice(parts_, o.id, static_cast<const Device&>(o)); });
        db.levels.ForEach([&](const Object& o) { WriteLevel(static_cast<const Level&>(o)); });

        std::map<const Table*, const TableWriter*> writers;
        for (const TableWriter* w :
             {&design_, &levels_, &heaps_, &pages_, &parts_.symbols, &parts_.entries, &parts_.padStacks,
              &parts_.devices, &parts_.groups, &parts_.pins, &components_, &layComps_, &layCompParts_, &nets_,
              &nodes_, &buses_, &busMembers_, &branches_, &branchPoints_, &junctions_, &traces_, &tracePoints_,
              &vias_, &bendPoints_, &files_, &parts_.items})
            writers[&w->table()] = w;
        Checksum sum(kDesignKind);
        for (const Table* table : DesignTables()) {
            const TableWriter* w = writers.at(table);
            sum.Add(*table, w->Hash(), w->Rows());
        }
        return sum.Value();
    }

private:
    void Texts(int32_t ownerKind, int32_t level, int32_t owner, const ObjectArray& texts)
    {
        int32_t number = 0;
        texts.ForEach([&](const Object& item) {
            WriteItem(parts_.items, ownerKind, level, owner, 0, ++number, static_cast<const Item&>(item));
        });
    }

    void WriteLevel(const Level& level)
    {
        const int32_t L = level.id;
        levels_.Int(L).Int(level.status).Text(level.name).Int(level.curPage);
        levels_.Row();
        const IdSpace* heaps[] = {&const_cast<Level&>(level).bendPoints.ids(),
                                  &const_cast<Level&>(level).junctions.ids(), &level.nodeIds};
        for (int kind = 1; kind <= 3; ++kind)
            for (int32_t id : heaps[kind - 1]->Reserved()) {
                heaps_.Int(L).Int(kind).Int(id);
                heaps_.Row();
            }
        level.pages.ForEach([&](const Object& o) {
            const auto& p = static_cast<const Page&>(o);
            pages_.Int(L).Int(p.id).Int(p.status).Text(p.name);
            pages_.Int(p.viewX).Int(p.viewY).Int(p.viewMode).Int(p.viewSize);
            pages_.Row();
        });
        level.components.ForEach([&](const Object& o) {
            const auto& c = static_cast<const Component&>(o);
            components_.Int(L).Int(c.id).Int(c.status).Text(c.name).Int(c.x).Int(c.y).Int(c.symb).Int(c.device);
            components_.Int(c.layComp).Int(c.group).Int(c.page).Int(c.info).Int(c.angle).Int(c.extra);
            components_.Row();
            Texts(kCompText, L, c.id, c.texts);
        });
        level.layComps.ForEach([&](const Object& o) {
            const auto& c = static_cast<const LayComp&>(o);
            layComps_.Int(L).Int(c.id).Int(c.status).Text(c.name).Int(c.x).Int(c.y).Int(c.angle).Int(c.symb);
            layComps_.Int(c.device).Int(c.extra);
            layComps_.Row();
            int32_t slot = 0;
            for (const PartLink& link : c.parts) {
                // A slot whose component has gone reads 0, and is kept as 0.
                auto* comp = ObjectAs<Component>(link.handle, Kind::Component);
                const int32_t id = comp && comp->map && LevelOf(*comp) == &level ? comp->id : 0;
                layCompParts_.Int(L).Int(c.id).Int(++slot).Int(id);
                layCompParts_.Row();
            }
            Texts(kLayCompText, L, c.id, c.texts);
        });
        level.nets.ForEach([&](const Object& o) {
            const auto& net = static_cast<const Net&>(o);
            nets_.Int(L).Int(net.id).Int(net.status).Text(net.name);
            nets_.Row();
            net.nodes.ForEach([&](const Object& n) {
                const auto& node = static_cast<const Node&>(n);
                nodes_.Int(L).Int(net.id).Int(node.id).Int(node.status).Text(node.name);
                nodes_.Int(node.comp).Int(node.entry).Int(node.layComp).Int(node.layEntry);
                nodes_.Row();
            });
        });
        level.buses.ForEach([&](const Object& o) {
            const auto& bus = static_cast<const Bus&>(o);
            buses_.Int(L).Int(bus.id).Int(bus.status).Text(bus.name);
            buses_.Row();
            // Each member with its slot, in slot order; free slots and the
            // slots of deleted nets (free for every reader) have no row.
            for (size_t slot = 0; slot < bus.members.size(); ++slot) {
                auto* net = ObjectAs<Net>(bus.members[slot], Kind::Net);
                if (!net) continue;
                busMembers_.Int(L).Int(bus.id).Int(static_cast<int32_t>(slot)).Int(net->id);
                busMembers_.Row();
            }
        });
        level.branches.ForEach([&](const Object& o) {
            const auto& b = static_cast<const Branch&>(o);
            branches_.Int(L).Int(b.id).Int(b.status).Text(b.name).Int(b.net).Int(b.page);
            branches_.Row();
            int32_t number = 0;
            for (const BranchPoint& p : b.points) {
                branchPoints_.Int(L).Int(b.id).Int(++number).Int(p.flags).Int(p.ref).Int(p.x).Int(p.y);
                branchPoints_.Row();
            }
            Texts(kBranchText, L, b.id, b.texts);
        });
        level.junctions.ForEach([&](const Object& o) {
            const auto& j = static_cast<const Junction&>(o);
            junctions_.Int(L).Int(j.id).Int(j.status).Text(j.name).Int(j.x).Int(j.y).Int(j.page);
            junctions_.Row();
        });
        level.traces.ForEach([&](const Object& o) {
            const auto& t = static_cast<const Trace&>(o);
            traces_.Int(L).Int(t.id).Int(t.status).Text(t.name).Int(t.net);
            traces_.Row();
            int32_t number = 0;
            for (const TracePoint& p : t.points) {
                tracePoints_.Int(L).Int(t.id).Int(++number).Int(p.flags).Int(p.ref).Int(p.x).Int(p.y);
                tracePoints_.Int(p.layer).Int(p.width);
                tracePoints_.Row();
            }
        });
        level.vias.ForEach([&](const Object& o) {
            const auto& v = static_cast<const Via&>(o);
            vias_.Int(L).Int(v.id).Int(v.status).Text(v.name).Int(v.x).Int(v.y).Int(v.padStack).Int(v.layers);
            vias_.Row();
        });
        level.bendPoints.ForEach([&](const Object& o) {
            const auto& b = static_cast<const BendPoint&>(o);
            bendPoints_.Int(L).Int(b.id).Int(b.status).Text(b.name).Int(b.x).Int(b.y);
            bendPoints_.Row();
        });
        level.files.ForEach([&](const Object& o) {
            const auto& f = static_cast<const FileObject&>(o);
            files_.Int(L).Int(f.id).Int(f.status).Text(f.name).Blob(f.data.data(), f.data.size()).Int(f.position);
            files_.Row();
        });
        Texts(kLayoutText, L, 0, level.layoutTexts);
    }

    PartsWriter parts_;
    TableWriter design_, levels_, heaps_, pages_, components_, layComps_, layCompParts_, nets_, nodes_, buses_,
        busMembers_, branches_, branchPoints_, junctions_, traces_, tracePoints_, vias_, bendPoints_, files_;
};

// The process's umask, read without changing it where the system tells it.
mode_t CurrentUmask()
{
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line))
        if (line.rfind("Umask:", 0) == 0) return static_cast<mode_t>(std::strtoul(line.c_str() + 6, nullptr, 8));
    const mode_t mask = umask(022);
    umask(mask);
    return mask;
}

// The mode a new file gets: the old file's, else what the umask allows.
mode_t NewFileMode(const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode)) return st.st_mode & 07777;
    return 0666 & ~CurrentUmask();
}

void SyncFile(const std::string& path, bool directory)
{
    const int fd = open(path.c_str(), directory ? O_RDONLY | O_DIRECTORY : O_RDONLY);
    if (fd < 0) Fail("cannot flush \"" + path + "\" (" + Errno() + ")");
    const int rc = fsync(fd);
    const std::string error = rc != 0 ? Errno() : std::string();
    close(fd);
    // Some file systems cannot flush a directory; the rename stands anyway.
    if (rc != 0 && !directory) Fail("cannot flush \"" + path + "\" (" + error + ")");
}

// A temporary file beside the target, removed again unless kept. It is
// made the owner's to read and write (0600) so that nothing stops its own
// write; Finish gives it the target's mode once it is written.
class TempFile {
public:
    explicit TempFile(const std::string& target) : target_(target)
    {
        std::string pattern = target + ".tmp-XXXXXX";
        const int fd = mkstemp(pattern.data());
        if (fd < 0) Fail("cannot create a file in \"" + DirectoryOf(target) + "\" (" + Errno() + ")");
        // mkstemp's 0600 is cut by the umask: a umask without the owner's
        // write bit would leave the file read-only to its own write.
        const bool writable = fchmod(fd, S_IRUSR | S_IWUSR) == 0;
        const std::string error = writable ? std::string() : Errno();
        close(fd);
        if (!writable) {
            unlink(pattern.c_str());
            Fail("cannot make \"" + pattern + "\" writable (" + error + ")");
        }
        path_ = pattern;
    }
    ~TempFile()
    {
        if (!path_.empty()) unlink(path_.c_str());
    }
    TempFile(const TempFile&) = delete;
    TempFile& operator=(const TempFile&) = delete;
    const std::string& path() const { return path_; }
    void Keep() { path_.clear(); }
    // Once written: gives the file the mode it is to keep (the target's,
    // else what the umask allows; also one without the owner's read or
    // write bit, the file being complete by now) and flushes it to disk,
    // mode and content, through one descriptor opened while it is still
    // the owner's to read.
    void Finish() const
    {
        const int fd = open(path_.c_str(), O_RDONLY);
        if (fd < 0) Fail("cannot flush \"" + path_ + "\" (" + Errno() + ")");
        std::string error;
        if (fchmod(fd, NewFileMode(target_)) != 0)
            error = "cannot set the mode of \"" + path_ + "\" (" + Errno() + ")";
        else if (fsync(fd) != 0)
            error = "cannot flush \"" + path_ + "\" (" + Errno() + ")";
        close(fd);
        if (!error.empty()) Fail(error);
    }

private:
    std::string target_;
    std::string path_;
};

void Save(const Database& database, const std::string& path)
{
    struct stat st {};
    if (stat(path.c_str(), &st) == 0 && S_ISDIR(st.st_mode)) Fail("it is a directory");
    TempFile temp(path);
    {
        Connection db;
        db.Open(temp.path(), SQLITE_OPEN_READWRITE);
        try {
            // The temporary file is thrown away on any failure, so it needs
            // no journal; it is flushed to disk once, before the rename.
            db.Exec("PRAGMA journal_mode = OFF");
            db.Exec("PRAGMA synchronous = OFF");
            db.Exec("BEGIN");
            CreateTables(db, DesignTables());
            uint64_t checksum = 0;
            {
                DesignWriter writer(db);
                checksum = writer.Write(database);
            }
            WriteMeta(db, kDesignKind, checksum);
            db.Exec("COMMIT");
        } catch (const Failure& f) {
            Fail("cannot write \"" + temp.path() + "\" (" + f.text + ")");
        }
        if (!db.Close()) Fail("cannot finish \"" + temp.path() + "\"");
    }
    temp.Finish();
    if (rename(temp.path().c_str(), path.c_str()) != 0)
        Fail("cannot replace the file (" + Errno() + ")");
    temp.Keep();
    try {
        SyncFile(DirectoryOf(path), true);
    } catch (const Failure&) {
        // The new file is in place; a directory that cannot be flushed is
        // no reason to report the save as failed.
    }
}

// ---- Loading ---------------------------------------------------------------------

class DesignReader {
public:
    DesignReader(Connection& db, Database& out) : db_(db), out_(out) {}

    uint64_t Read()
    {
        Checksum sum(kDesignKind);
        for (const Table* table : DesignTables()) {
            TableReader r(db_, *table);
            ReadTable(r);
            sum.Add(*table, r.Hash(), r.Rows());
        }
        Finish();
        return sum.Value();
    }

private:
    // The level a row names: the same as the row before's, mostly, so that
    // case is inline and the look-up (and the refusal) are not.
    Level& LevelAt(const TableReader& r, int column)
    {
        const int32_t id = r.Int(column);
        if (id == lastLevelId_ && lastLevel_) [[likely]]
            return *lastLevel_;
        return FindLevel(r, id);
    }
    [[gnu::noinline]] Level& FindLevel(const TableReader& r, int32_t id)
    {
        lastLevel_ = id > 0 ? out_.levels.FindAs<Level>(id) : nullptr;
        lastLevelId_ = id;
        if (!lastLevel_) r.Bad("level " + std::to_string(id) + " does not exist");
        return *lastLevel_;
    }

    template <class T>
    T& Insert(const TableReader& r, ObjectMap& map, int32_t id, std::unique_ptr<T> object)
    {
        T* raw = object.get();
        if (id == 0 || !map.Insert(std::move(object), id)) r.Bad("id " + std::to_string(id) + " taken or out of range");
        return *raw;
    }

    // Levels and pages have positive ids only.
    static int32_t Positive(const TableReader& r, int column)
    {
        const int32_t id = r.Int(column);
        if (id <= 0) r.Bad("id " + std::to_string(id) + " is not positive");
        return id;
    }

    // Negative ids are kept for the objects found by id alone: the page
    // frames among the branches, the fixed symbols of the levels and pages
    // and the library temporaries among the symbols, the temporary device.
    // Any other negative id is damage: walks and counts would pass the
    // object by while a search by id still found it. A kept id is damage
    // too where it does not mean what it is kept for: a frame of a page the
    // level does not have, a fixed symbol under another name.
    static bool ReservedBranch(int32_t id) { return FramePageOf(id) != 0; }
    static int32_t NotNegative(const TableReader& r, int column, bool (*reserved)(int32_t) = nullptr)
    {
        const int32_t id = r.Int(column);
        if (id < 0 && !(reserved && reserved(id)))
            r.Bad("id " + std::to_string(id) + " is negative and not one kept for such objects");
        return id;
    }

    template <class T>
    T& Owner(const TableReader& r, ObjectMap& map, int32_t id, const char* what)
    {
        auto* owner = id != 0 ? map.FindAs<T>(id) : nullptr;
        if (!owner) r.Bad(std::string(what) + " " + std::to_string(id) + " does not exist");
        return *owner;
    }

    void ReadTable(TableReader& r)
    {
        const Table& t = r.table();
        PartsLookup parts{[this](int32_t key) { return out_.symbols.FindAs<Symbol>(key); },
                          [this](int32_t key) { return out_.devices.FindAs<Device>(key); }, &out_.padStacks};
        if (&t == &kDesign) {
            ReadDesign(r);
        } else if (&t == &kLevels) {
            while (r.Next()) {
                auto level = std::make_unique<Level>();
                level->status = r.Int(1);
                level->name = r.Text(2);
                level->curPage = r.Int(3);
                Insert(r, out_.levels, Positive(r, 0), std::move(level));
            }
        } else if (&t == &kHeaps) {
            while (r.Next()) heaps_.push_back({r.Int(0), r.Int(1), r.Int(2)});
        } else if (&t == &kPages) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto p = std::make_unique<Page>();
                p->status = r.Int(2);
                p->name = r.Text(3);
                p->viewX = r.Int(4);
                p->viewY = r.Int(5);
                p->viewMode = r.Int(6);
                p->viewSize = r.Int(7);
                Insert(r, L.pages, Positive(r, 1), std::move(p));
            }
        } else if (&t == &kSymbols) {
            ReadSymbols(r, [&](int32_t key, std::unique_ptr<Symbol> s) {
                if (key < 0) {
                    const char* kept = ReservedSymbolName(key);
                    if (!kept)
                        r.Bad("symbol id " + std::to_string(key) + " is negative and not one kept for such symbols");
                    if (*kept && s->name != kept)
                        r.Bad("symbol id " + std::to_string(key) + " is kept for \"" + kept + "\", not \"" + s->name +
                              "\"");
                }
                Insert(r, out_.symbols, key, std::move(s));
            });
        } else if (&t == &kSymbolEntries) {
            ReadSymbolEntries(r, parts);
        } else if (&t == &kPadStacks) {
            ReadPadStacks(r, parts);
        } else if (&t == &kDevices) {
            ReadDevices(r, [&](int32_t key, std::unique_ptr<Device> d) {
                if (key < -1) r.Bad("device id " + std::to_string(key) + " is negative and not the temporary -1");
                Insert(r, out_.devices, key, std::move(d));
            });
        } else if (&t == &kGroups) {
            ReadGroups(r, parts);
        } else if (&t == &kPins) {
            ReadPins(r, parts);
        } else if (&t == &kComponents) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto c = std::make_unique<Component>();
                c->status = r.Int(2);
                c->name = r.Text(3);
                c->x = r.Coord(4);
                c->y = r.Coord(5);
                c->symb = r.Int(6);
                c->device = r.Int(7);
                c->layComp = r.Int(8);
                c->group = r.Int(9);
                c->page = r.Int(10);
                c->info = r.Int(11);
                c->angle = r.Int(12);
                c->extra = r.Int(13);
                Insert(r, L.components, NotNegative(r, 1), std::move(c));
            }
        } else if (&t == &kLayComps) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto c = std::make_unique<LayComp>();
                c->status = r.Int(2);
                c->name = r.Text(3);
                c->x = r.Coord(4);
                c->y = r.Coord(5);
                c->angle = r.Int(6);
                c->symb = r.Int(7);
                c->device = r.Int(8);
                c->extra = r.Int(9);
                Insert(r, L.layComps, NotNegative(r, 1), std::move(c));
            }
        } else if (&t == &kLayCompParts) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto& lay = Owner<LayComp>(r, L.layComps, r.Int(1), "layout component");
                if (r.Int64(2) != static_cast<int64_t>(lay.parts.size()) + 1) r.Bad("elements out of order");
                const int32_t comp = r.Int(3);
                int32_t handle = 0;
                if (comp != 0) handle = Owner<Component>(r, L.components, comp, "component").Handle();
                lay.parts.push_back(PartLink{handle});
            }
        } else if (&t == &kNets) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                std::unique_ptr<Net> net = L.MakeNet();
                net->status = r.Int(2);
                net->name = r.Text(3);
                Insert(r, L.nets, NotNegative(r, 1), std::move(net));
            }
        } else if (&t == &kNodes) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto& net = Owner<Net>(r, L.nets, r.Int(1), "net");
                auto node = std::make_unique<Node>();
                node->status = r.Int(3);
                node->name = r.Text(4);
                Node& n = Insert(r, net.nodes, NotNegative(r, 2), std::move(node));
                n.SetSide(kSchematicSide, r.Int(5), r.Int(6));
                n.SetSide(kLayoutSide, r.Int(7), r.Int(8));
            }
        } else if (&t == &kBuses) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto bus = std::make_unique<Bus>();
                bus->status = r.Int(2);
                bus->name = r.Text(3);
                Insert(r, L.buses, NotNegative(r, 1), std::move(bus));
            }
        } else if (&t == &kBusMembers) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto& bus = Owner<Bus>(r, L.buses, r.Int(1), "bus");
                // Slots 0..127 in rising order, free slots between them
                // allowed (files of older versions number them 0, 1, 2 ...).
                const int64_t slot = r.Int64(2);
                if (slot < 0 || slot >= Bus::kMaxMembers)
                    r.Bad("member slot " + std::to_string(slot) + " is out of range 0..127");
                if (slot < static_cast<int64_t>(bus.members.size())) r.Bad("member slots out of order");
                const int32_t net = Owner<Net>(r, L.nets, r.Int(3), "net").Handle();
                bus.members.resize(static_cast<size_t>(slot) + 1, 0);
                bus.members.back() = net;
            }
        } else if (&t == &kBranches) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto b = std::make_unique<Branch>();
                b->status = r.Int(2);
                b->name = r.Text(3);
                b->net = r.Int(4);
                b->page = r.Int(5);
                const int32_t id = NotNegative(r, 1, ReservedBranch);
                if (const int32_t page = FramePageOf(id); page != 0 && !L.pages.Find(page))
                    r.Bad("frame id " + std::to_string(id) + " is kept for page " + std::to_string(page) +
                          ", which level " + std::to_string(L.id) + " does not have");
                Insert(r, L.branches, id, std::move(b));
            }
        } else if (&t == &kBranchPoints) {
            Branch* b = nullptr;
            int32_t lastId = 0;
            const Level* lastLevel = nullptr;
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                const int32_t id = r.Int(1);
                if (!b || id != lastId || &L != lastLevel) {
                    b = &Owner<Branch>(r, L.branches, id, "branch");
                    // A wire has two records or more: room for two at once
                    // spares growing the list from one to two.
                    if (b->points.empty()) b->points.reserve(2);
                }
                lastId = id;
                lastLevel = &L;
                if (r.Int64(2) != static_cast<int64_t>(b->points.size()) + 1) r.Bad("elements out of order");
                b->points.push_back(BranchPoint{r.Int(3), r.Int(4), r.Int(5), r.Int(6)});
            }
        } else if (&t == &kJunctions) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto j = std::make_unique<Junction>();
                j->status = r.Int(2);
                j->name = r.Text(3);
                j->x = r.Coord(4);
                j->y = r.Coord(5);
                j->page = r.Int(6);
                Insert(r, L.junctions, NotNegative(r, 1), std::move(j));
            }
        } else if (&t == &kTraces) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto tr = std::make_unique<Trace>();
                tr->status = r.Int(2);
                tr->name = r.Text(3);
                tr->net = r.Int(4);
                Insert(r, L.traces, NotNegative(r, 1), std::move(tr));
            }
        } else if (&t == &kTracePoints) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto& tr = Owner<Trace>(r, L.traces, r.Int(1), "trace");
                if (r.Int64(2) != static_cast<int64_t>(tr.points.size()) + 1) r.Bad("elements out of order");
                tr.points.push_back(TracePoint{r.Int(3), r.Int(4), r.Int(5), r.Int(6), r.Int(7), r.Int(8)});
            }
        } else if (&t == &kVias) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto v = std::make_unique<Via>();
                v->status = r.Int(2);
                v->name = r.Text(3);
                v->x = r.Coord(4);
                v->y = r.Coord(5);
                v->padStack = r.Int(6);
                v->layers = r.Int(7);
                Insert(r, L.vias, NotNegative(r, 1), std::move(v));
            }
        } else if (&t == &kBendPoints) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto b = std::make_unique<BendPoint>();
                b->status = r.Int(2);
                b->name = r.Text(3);
                b->x = r.Coord(4);
                b->y = r.Coord(5);
                Insert(r, L.bendPoints, NotNegative(r, 1), std::move(b));
            }
        } else if (&t == &kFiles) {
            while (r.Next()) {
                Level& L = LevelAt(r, 0);
                auto f = std::make_unique<FileObject>();
                f->status = r.Int(2);
                f->name = r.Text(3);
                const std::string_view data = r.Blob(4);
                if (data.size() > static_cast<size_t>(kMaxFileLength)) r.Bad("file object too long");
                f->data.assign(data.data(), data.size());
                f->position = r.Int64(5);
                if (f->position < 0 || f->position > kMaxFileLength) r.Bad("file position out of range");
                Insert(r, L.files, NotNegative(r, 1), std::move(f));
            }
        } else if (&t == &kItems) {
            ReadItems(r, parts);
        } else {
            Fail(std::string("internal error: no reader for ") + t.name);
        }
    }

    void ReadDesign(TableReader& r)
    {
        if (!r.Next()) r.Bad("no design row");
        out_.design.name = r.Text(0);
        out_.design.status = r.Int(1);
        out_.curLevel = r.Int(2);
        const std::string_view sizes = r.Blob(3);
        if (sizes.size() != std::size(out_.textSizes) * 4) r.Bad("text size table of the wrong size");
        for (size_t i = 0; i < std::size(out_.textSizes); ++i) {
            uint32_t v = 0;
            for (size_t b = 0; b < 4; ++b)
                v |= static_cast<uint32_t>(static_cast<unsigned char>(sizes[i * 4 + b])) << (8 * b);
            out_.textSizes[i] = static_cast<int32_t>(v);
        }
        if (r.Next()) r.Bad("more than one design row");
    }

    void ReadItems(TableReader& r, const PartsLookup& parts)
    {
        while (r.Next()) {
            const int32_t ownerKind = r.Int(0);
            ObjectArray* array = nullptr;
            switch (ownerKind) {
            case kSymbolItem:
            case kPadStackItem: array = PartsItemArray(r, parts); break;
            case kCompText: {
                Level& L = LevelAt(r, 1);
                array = &Owner<Component>(r, L.components, r.Int(2), "component").texts;
                break;
            }
            case kLayCompText: {
                Level& L = LevelAt(r, 1);
                array = &Owner<LayComp>(r, L.layComps, r.Int(2), "layout component").texts;
                break;
            }
            case kBranchText: {
                Level& L = LevelAt(r, 1);
                array = &Owner<Branch>(r, L.branches, r.Int(2), "branch").texts;
                break;
            }
            case kLayoutText: array = &LevelAt(r, 1).layoutTexts; break;
            default: r.Bad("unknown item owner kind");
            }
            if (!array) r.Bad("item of an owner that does not exist");
            ReadItemInto(r, *array);
        }
    }

    // What can only be checked once every table is read.
    void Finish()
    {
        if (!out_.levels.Find(out_.curLevel)) Fail("damaged: the current level does not exist");
        out_.levels.ForEach([&](Object& o) {
            auto& level = static_cast<Level&>(o);
            if (level.curPage != 0 && !level.pages.Find(level.curPage))
                Fail("damaged: the current page of level " + std::to_string(level.id) + " does not exist");
            // A level with pages but none current (a page made on a level
            // that had none is not made current) opens on its first page,
            // as a level whose current page is deleted goes on with it.
            if (level.curPage == 0)
                if (const Object* first = level.pages.Next(0)) level.curPage = first->id;
        });
        for (const HeapRow& h : heaps_) {
            auto* level = h.level > 0 ? out_.levels.FindAs<Level>(h.level) : nullptr;
            IdSpace* ids = nullptr;
            if (level && h.kind == 1) ids = &level->bendPoints.ids();
            if (level && h.kind == 2) ids = &level->junctions.ids();
            if (level && h.kind == 3) ids = &level->nodeIds;
            if (!ids || !ids->ReserveId(h.id)) Fail("damaged: a reserved id of a heap is not free");
        }
    }

    struct HeapRow {
        int32_t level, kind, id;
    };

    Connection& db_;
    Database& out_;
    std::vector<HeapRow> heaps_;
    Level* lastLevel_ = nullptr;
    int32_t lastLevelId_ = 0;
};

std::unique_ptr<Database> Load(const std::string& path)
{
    Connection db;
    const std::string kind = OpenChecked(db, path, false);
    if (kind != kDesignKind) Fail("it is " + KindText(kind) + ", not a design image");
    auto database = std::make_unique<Database>();
    uint64_t checksum = 0;
    try {
        checksum = DesignReader(db, *database).Read();
    } catch (const Failure& f) {
        FailAsDamaged(f);
    }
    VerifyChecksum(db, [&] { return checksum; });
    return database;
}

}  // namespace

}  // namespace kernel::image

using namespace kernel;
using namespace kernel::image;

int32_t DB_SaveDataBase(const char* path) noexcept
{
    return Run(0, [&]() -> int32_t {
        if (!path || !*path) Fail("cannot save the design: no file name");
        const Database* db = Db();
        if (!db) Fail("cannot save the design to \"" + std::string(path) + "\": no design is open");
        try {
            Save(*db, path);
        } catch (const Failure& f) {
            Fail("cannot save the design to \"" + std::string(path) + "\": " + f.text);
        }
        return 1;
    });
}

int32_t DB_LoadDataBase(const char* path) noexcept
{
    return Run(0, [&]() -> int32_t {
        if (!path || !*path) Fail("cannot load a design: no file name");
        std::unique_ptr<Database> loaded;
        try {
            loaded = Load(path);
        } catch (const Failure& f) {
            Fail("cannot load the design \"" + std::string(path) + "\": " + f.text);
        }
        SetDb(std::move(loaded));
        return 1;
    });
}

int32_t SaveHeap(int32_t kind) noexcept
{
    return Run(0, [&]() -> int32_t {
        if (!Db()) Fail("cannot keep a heap: no design is open");
        if (kind < 1 || kind > 3) Fail("cannot keep a heap: no heap of kind " + std::to_string(kind));
        return 1;
    });
}

const char* E_LastError() noexcept
{
    return LastError();
}
