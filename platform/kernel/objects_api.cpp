// The O_ functions: status, name, position and page of any object, reached
// through its handle.
#include "platform/kernel/database.h"
#include "platform/kernel/journal.h"
#include "platform/kernel/nvokernel32.h"

namespace kernel {

namespace {

// The page field of an object that lies on a page, else null.
int32_t* PageField(Object& object)
{
    switch (object.kind) {
    case Kind::Component: return &static_cast<Component&>(object).page;
    case Kind::Branch: return &static_cast<Branch&>(object).page;
    case Kind::Junction: return &static_cast<Junction&>(object).page;
    default: return nullptr;
    }
}

// The page an object lies on: its own page, its owner's page (texts of a
// component or branch), or for a node the page of its component.
int32_t PageOf(Object& object)
{
    if (int32_t* page = PageField(object)) return *page;
    if (object.kind == Kind::Item) {
        Object* owner = OwnerOf(object);
        return owner ? PageOf(*owner) : 0;
    }
    if (object.kind == Kind::Node) {
        const auto& node = static_cast<Node&>(object);
        Level* level = LevelOf(object);
        Component* comp = level && node.comp ? level->components.FindAs<Component>(node.comp) : nullptr;
        return comp ? comp->page : 0;
    }
    return 0;
}

// Point records show the position of what they refer to when they are read,
// so moving the object is all it takes.
template <class T>
int32_t Place(T& object, int32_t x, int32_t y)
{
    Touch(object);
    object.x = x;
    object.y = y;
    GeometryChanged(&object);
    return 1;
}

}  // namespace

}  // namespace kernel

using namespace kernel;

int32_t O_Mask(int32_t object, int32_t value, int32_t mask) noexcept
{
    return MarkGuard([&]() -> int32_t {
        Object* o = ObjectFromHandle(object);
        if (!o) return 0;
        const int32_t before = o->status;
        MaskStatus(*o, value, mask);
        StatusChanged(*o, before);
        return 1;
    });
}

int32_t O_GetStatus(int32_t object) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Object* o = ObjectFromHandle(object);
        return o ? o->status : 0;
    });
}

const char* O_GetName(int32_t object) noexcept
{
    return Guard<const char*>(nullptr, [&]() -> const char* {
        Object* o = ObjectFromHandle(object);
        return o ? o->name.c_str() : nullptr;
    });
}

int32_t O_Rename(int32_t object, const char* name) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Object* o = ObjectFromHandle(object);
        if (!o || !ValidName(name)) return 0;
        if (o->map) {
            o->map->Rename(*o, name);
        } else {
            Touch(*o);
            o->name = name;
            GeometryChanged(o);
        }
        return 1;
    });
}

int32_t O_ChangePosition(int32_t object, int32_t x, int32_t y) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Object* o = ObjectFromHandle(object);
        if (!o || !ValidPosition(x, y)) return 0;
        switch (o->kind) {
        case Kind::Component: return Place(static_cast<Component&>(*o), x, y);
        case Kind::LayComp: return Place(static_cast<LayComp&>(*o), x, y);
        case Kind::Junction: return Place(static_cast<Junction&>(*o), x, y);
        case Kind::Via: return Place(static_cast<Via&>(*o), x, y);
        case Kind::BendPoint: return Place(static_cast<BendPoint&>(*o), x, y);
        default: return 0;
        }
    });
}

int32_t O_ChangePage(int32_t object, int32_t page) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Object* o = ObjectFromHandle(object);
        int32_t* field = o ? PageField(*o) : nullptr;
        Level* level = o ? LevelOf(*o) : nullptr;
        if (!field || !level || !level->pages.Find(page)) return 0;
        Touch(*o);
        *field = page;
        GeometryChanged(o);
        return 1;
    });
}

int32_t O_TestPage(int32_t object, int32_t page) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Object* o = ObjectFromHandle(object);
        if (!o) return 0;
        if (page == 0) {
            Level* level = LevelOf(*o);
            page = level ? level->curPage : 0;
        }
        return page != 0 && PageOf(*o) == page ? 1 : 0;
    });
}

int32_t O_Discard(int32_t object) noexcept
{
    return Guard(0, [&]() -> int32_t {
        Object* o = ObjectFromHandle(object);
        Database* db = Db();
        if (!o || !db) return 0;
        // Only an object nobody owns yet: dropping it ends its handle (and
        // those of its own arrays and items).
        std::unique_ptr<Object> floating = db->TakeFloating(o);
        if (!floating) return 0;
        // A change group keeps it, so that it can put it back.
        if (g_journal) g_journal->Keep(std::move(floating));
        return 1;
    });
}
