// Kernel functions: environment, system tables, the database as a whole,
// pages and levels, objects, maps, arrays and id heaps.
#pragma once

#include <cstdint>

#define KERNEL_CORE_FUNCTIONS(X)                                                                   \
    /* Environment strings and system tables */                                                   \
    X(const char*, E_GetString, (const char* name), (name))                                        \
    X(int32_t, E_SetString, (const char* name, const char* value), (name, value))                  \
    X(void*, E_SysTable, (int32_t table), (table))                                                 \
    X(int32_t, E_MemCopy, (void* destination, const void* source, int32_t bytes),                  \
      (destination, source, bytes))                                                                \
    /* The database, its levels and pages */                                                      \
    X(int32_t, DB_CreateDataBase, (const char* name, const char* hierName, const char* pageName),  \
      (name, hierName, pageName))                                                                  \
    X(void, DB_DiscardDataBase, (), ())                                                            \
    X(int32_t, DB_DataBase, (), ())                                                                \
    X(int32_t, DB_CreateHier, (int32_t id, const char* name, const char* pageName),               \
      (id, name, pageName))                                                                        \
    X(int32_t, DB_CurHier, (), ())                                                                 \
    X(int32_t, DB_SetCurHier, (int32_t hier), (hier))                                              \
    X(int32_t, DB_CreatePage, (int32_t id, const char* name), (id, name))                          \
    X(int32_t, DB_CurPage, (), ())                                                                 \
    X(int32_t, DB_SetCurPage, (int32_t page), (page))                                              \
    X(int32_t, DB_Page, (int32_t page), (page))                                                    \
    X(int32_t, DB_ReadPage, (int32_t page, PageRec* record), (page, record))                       \
    X(int32_t, DB_ChangePageDispl,                                                                 \
      (int32_t page, int32_t viewX, int32_t viewY, int32_t viewMode, int32_t viewSize),            \
      (page, viewX, viewY, viewMode, viewSize))                                                    \
    X(int32_t*, DB_TextSizeTable, (), ())                                                          \
    /* Change groups: an edit made whole or undone */                                             \
    X(int32_t, DB_BeginChange, (), ())                                                             \
    X(int32_t, DB_EndChange, (int32_t keep), (keep))                                               \
    X(int32_t, DB_ChangeDepth, (), ())                                                             \
    X(int32_t, DB_PutBackBox, (int32_t * box), (box))                                              \
    /* Maps of the current level and of the design */                                             \
    X(int32_t, DB_PageMap, (), ())                                                                 \
    X(int32_t, DB_HierarchyMap, (), ())                                                            \
    X(int32_t, DB_SchCompMap, (), ())                                                              \
    X(int32_t, DB_LayCompMap, (), ())                                                              \
    X(int32_t, DB_NetMap, (), ())                                                                  \
    X(int32_t, DB_BusMap, (), ())                                                                  \
    X(int32_t, DB_BranchMap, (), ())                                                               \
    X(int32_t, DB_JunctMap, (), ())                                                                \
    X(int32_t, DB_TraceMap, (), ())                                                                \
    X(int32_t, DB_ViaMap, (), ())                                                                  \
    X(int32_t, DB_FileMap, (), ())                                                                 \
    X(int32_t, DB_SymbMap, (), ())                                                                 \
    X(int32_t, DB_DeviceMap, (), ())                                                               \
    X(int32_t, DB_PadStackMap, (), ())                                                             \
    X(int32_t, DB_LayoutTextArray, (), ())                                                         \
    /* Any object */                                                                              \
    X(int32_t, O_Mask, (int32_t object, int32_t value, int32_t mask), (object, value, mask))       \
    X(int32_t, O_GetStatus, (int32_t object), (object))                                            \
    X(const char*, O_GetName, (int32_t object), (object))                                          \
    X(int32_t, O_Rename, (int32_t object, const char* name), (object, name))                       \
    X(int32_t, O_ChangePosition, (int32_t object, int32_t x, int32_t y), (object, x, y))           \
    X(int32_t, O_ChangePage, (int32_t object, int32_t page), (object, page))                       \
    X(int32_t, O_TestPage, (int32_t object, int32_t page), (object, page))                         \
    X(int32_t, O_Discard, (int32_t object), (object))                                              \
    /* Maps */                                                                                    \
    X(int32_t, OM_GetFirst, (int32_t map), (map))                                                  \
    X(int32_t, OM_GetCount, (int32_t map), (map))                                                  \
    X(int32_t, OM_SearchMask, (int32_t map, int32_t* cursor, int32_t value, int32_t mask),         \
      (map, cursor, value, mask))                                                                  \
    X(int32_t, OM_SearchName, (int32_t map, int32_t* cursor, const char* name), (map, cursor, name)) \
    X(int32_t, OM_SearchNameMask,                                                                  \
      (int32_t map, int32_t* cursor, const char* name, int32_t value, int32_t mask),               \
      (map, cursor, name, value, mask))                                                            \
    X(int32_t, OM_FindName, (int32_t map, const char* name), (map, name))                          \
    X(int32_t, OM_FindNameMask, (int32_t map, const char* name, int32_t value, int32_t mask),      \
      (map, name, value, mask))                                                                    \
    X(int32_t, OM_FindMask, (int32_t map, int32_t value, int32_t mask), (map, value, mask))        \
    X(int32_t, OM_MaskAll, (int32_t map, int32_t value, int32_t mask), (map, value, mask))         \
    X(int32_t, OM_MaskIds,                                                                         \
      (int32_t map, const int32_t* ids, int32_t count, int32_t value, int32_t mask),               \
      (map, ids, count, value, mask))                                                              \
    X(int32_t, OM_Object, (int32_t map, int32_t id), (map, id))                                    \
    X(int32_t, OM_Add, (int32_t map, int32_t object, int32_t key), (map, object, key))             \
    X(int32_t, OM_Delete, (int32_t map, int32_t id), (map, id))                                    \
    X(int32_t, OM_DeleteAll, (int32_t map), (map))                                                 \
    X(int32_t, OM_ChangeId, (int32_t map, int32_t id, int32_t newId), (map, id, newId))            \
    X(int32_t, OM_FindNextFreeNumSuffix, (int32_t map, const char* name, char* buffer),            \
      (map, name, buffer))                                                                         \
    /* Arrays */                                                                                  \
    X(int32_t, OA_GetCount, (int32_t array), (array))                                              \
    X(int32_t, OA_Object, (int32_t array, int32_t index), (array, index))                          \
    X(int32_t, OA_Add, (int32_t array, int32_t object), (array, object))                           \
    X(int32_t, OA_Delete, (int32_t array, int32_t index), (array, index))                          \
    X(int32_t, OA_SearchMask, (int32_t array, int32_t start, int32_t mask), (array, start, mask))  \
    X(int32_t, OA_MaskAll, (int32_t array, int32_t value, int32_t mask), (array, value, mask))     \
    X(int32_t, IA_SearchMaskLink, (int32_t array, int32_t start, int32_t mask, int32_t link),      \
      (array, start, mask, link))                                                                  \
    /* Free-id heaps of the current level */                                                      \
    X(int32_t, MakeHeap, (int32_t kind, int32_t owner), (kind, owner))                             \
    X(int32_t, AddToHeap, (int32_t owner, int32_t id, int32_t kind), (owner, id, kind))            \
    X(int32_t, GetFreeID, (int32_t kind), (kind))
