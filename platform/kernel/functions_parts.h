// Kernel functions: components, layout components, devices, symbols, pad
// stacks and items.
//
// Components and layout components are those of the current level and are
// named by id; devices and symbols are design-wide and named by id; pad
// stacks and items are named by handle. Builders marked "(builder)" are our
// own additions for the library and design compilers.
#pragma once

#include <cstdint>

#define KERNEL_PARTS_FUNCTIONS(X)                                                                  \
    /* Schematic components */                                                                    \
    X(int32_t, C_Component, (int32_t id), (id))                                                    \
    X(int32_t, C_CreateComponent,                                                                  \
      (int32_t id, const char* name, int32_t flags, int32_t device, int32_t symb, int32_t extra,    \
       int32_t x, int32_t y, int32_t angle),                                                       \
      (id, name, flags, device, symb, extra, x, y, angle))                                         \
    X(int32_t, C_ReadComponent, (int32_t id, CompRec* record), (id, record))                       \
    X(int32_t, C_ReadEntry, (int32_t comp, int32_t entry, EntryRec* record), (comp, entry, record)) \
    X(int32_t, C_ChangeCompDispAttr, (int32_t comp, int32_t angle, int32_t mirrored),             \
      (comp, angle, mirrored))                                                                     \
    X(int32_t, C_ChangeCompPackInfo, (int32_t comp, int32_t layComp, int32_t group),              \
      (comp, layComp, group))                                                                      \
    X(int32_t, C_ChangeCompSymbol, (int32_t comp, int32_t symb), (comp, symb))                     \
    X(int32_t, C_ChangeCompDevice, (int32_t comp, int32_t device), (comp, device))                 \
    X(int32_t, C_ChangeItemMask, (int32_t comp, int32_t mask), (comp, mask))                       \
    X(int32_t, C_CompTextArray, (int32_t comp), (comp))                                            \
    X(int32_t, C_CompText, (int32_t comp, int32_t index), (comp, index))                           \
    X(int32_t, C_SearchDevice, (int32_t* cursor, int32_t device), (cursor, device))                \
    X(int32_t, C_SearchSymbol, (int32_t* cursor, int32_t symb), (cursor, symb))                    \
    /* Layout components */                                                                       \
    X(int32_t, L_Component, (int32_t id), (id))                                                    \
    X(int32_t, L_CreateComponent,                                                                  \
      (int32_t id, const char* name, int32_t flags, int32_t device, int32_t symb, int32_t extra,    \
       int32_t x, int32_t y, int32_t angle),                                                       \
      (id, name, flags, device, symb, extra, x, y, angle))                                         \
    X(int32_t, L_ReadComponent, (int32_t id, LayCompRec* record), (id, record))                    \
    X(int32_t, L_ReadEntry, (int32_t layComp, int32_t entry, EntryRec* record),                   \
      (layComp, entry, record))                                                                    \
    X(int32_t, L_GetSchCompId, (int32_t layComp, int32_t index), (layComp, index))                 \
    X(int32_t, L_AddSchCompId, (int32_t layComp, int32_t comp), (layComp, comp))                   \
    X(int32_t, L_DeleteSchCompId, (int32_t layComp, int32_t index), (layComp, index))              \
    X(int32_t, L_ChangeSchCompId, (int32_t layComp, int32_t index, int32_t comp),                 \
      (layComp, index, comp))                                                                      \
    X(int32_t, L_CompTextArray, (int32_t layComp), (layComp))                                      \
    X(int32_t, L_CompText, (int32_t layComp, int32_t index), (layComp, index))                     \
    X(int32_t, L_SearchDevice, (int32_t* cursor, int32_t device), (cursor, device))                \
    X(int32_t, L_SearchSymbol, (int32_t* cursor, int32_t symb), (cursor, symb))                    \
    /* Devices, their groups (gates) and pins */                                                  \
    X(int32_t, D_Device, (int32_t id), (id))                                                       \
    X(int32_t, D_ReadDevice, (int32_t id, DeviceRec* record), (id, record))                        \
    X(int32_t, D_ReadGroup, (int32_t device, int32_t group, GroupRec* record),                    \
      (device, group, record))                                                                     \
    X(int32_t, D_GroupArray, (int32_t device), (device))                                           \
    X(int32_t, D_GroupPinArray, (int32_t device, int32_t group), (device, group))                  \
    X(int32_t, D_SupplyPinArray, (int32_t device), (device))                                       \
    X(int32_t, D_ReadPin, (int32_t pinArray, int32_t index, PinRec* record),                      \
      (pinArray, index, record))                                                                   \
    X(int32_t, D_SearchPinName, (int32_t pinArray, int32_t start, const char* name),              \
      (pinArray, start, name))                                                                     \
    /* (builder) */                                                                               \
    X(int32_t, D_CreateDevice, (int32_t id, const char* name, const char* package),               \
      (id, name, package))                                                                         \
    /* (builder) */                                                                               \
    X(int32_t, D_ChangeDevicePrefix, (int32_t device, const char* prefix), (device, prefix))       \
    /* (builder) */                                                                               \
    X(int32_t, D_AddGroup, (int32_t device, const char* name, const char* symbName),              \
      (device, name, symbName))                                                                    \
    /* (builder) group 0: a supply pin */                                                         \
    X(int32_t, D_AddPin, (int32_t device, int32_t group, int32_t number, const char* name),       \
      (device, group, number, name))                                                               \
    /* Symbols and their entries */                                                               \
    X(int32_t, S_Symbol, (int32_t id), (id))                                                       \
    X(int32_t, S_CreateSymbol, (int32_t id, const char* name), (id, name))                         \
    X(int32_t, S_ReadSymbol, (int32_t id, SymbRec* record), (id, record))                          \
    X(int32_t, S_ReadEntry, (int32_t symbol, int32_t entry, SymbEntryRec* record),                \
      (symbol, entry, record))                                                                     \
    X(int32_t, S_SymbolItemArray, (int32_t symbol), (symbol))                                      \
    X(int32_t, S_SymbolItem, (int32_t symbol, int32_t index), (symbol, index))                     \
    X(int32_t, S_SymbolEntryArray, (int32_t symbol), (symbol))                                     \
    X(int32_t, S_SymbolPadStackMap, (int32_t symbol), (symbol))                                    \
    /* (builder) */                                                                               \
    X(int32_t, S_AddEntry,                                                                         \
      (int32_t symbol, const char* name, int32_t x, int32_t y, int32_t flags, int32_t keyOrTextX,  \
       int32_t textY, int32_t textAngle),                                                          \
      (symbol, name, x, y, flags, keyOrTextX, textY, textAngle))                                   \
    /* (builder) */                                                                               \
    X(int32_t, S_ChangeEntrySwapLevel, (int32_t symbol, int32_t entry, int32_t level),            \
      (symbol, entry, level))                                                                      \
    /* Pad stacks (by handle) */                                                                  \
    X(int32_t, S_MakePadStack, (), ())                                                             \
    X(int32_t, S_ReadPadStack, (int32_t padStack, PadStackRec* record), (padStack, record))        \
    X(int32_t, S_ChangePadStackHole, (int32_t padStack, int32_t hole, int32_t hole2),             \
      (padStack, hole, hole2))                                                                     \
    X(int32_t, S_PadStackItemArray, (int32_t padStack), (padStack))                                \
    /* Items (by handle) */                                                                       \
    X(int32_t, I_MakeText,                                                                         \
      (int32_t x, int32_t y, int32_t angle, int32_t height, int32_t width, const char* text,       \
       int32_t flags, int32_t layer, int32_t width3),                                              \
      (x, y, angle, height, width, text, flags, layer, width3))                                    \
    X(int32_t, I_MakeItem, (const ItemRec* record), (record))                                      \
    X(int32_t, I_ReadItem, (int32_t item, ItemRec* record), (item, record))                        \
    X(int32_t, I_ReadItemAbs, (int32_t item, ItemRec* record), (item, record))                     \
    X(int32_t, I_ChangeItemXY, (int32_t item, const ItemRec* record), (item, record))              \
    X(int32_t, I_ChangeItemAttr,                                                                   \
      (int32_t item, int32_t flags, int32_t layer, int32_t style, int32_t width),                  \
      (item, flags, layer, style, width))                                                          \
    X(int32_t, I_ChangeTextSize, (int32_t item, int32_t height, int32_t width), (item, height, width)) \
    X(int32_t, I_ChangeItemLink, (int32_t item, int32_t link), (item, link))                       \
    X(int32_t, I_ChangeItemGap, (int32_t item, int32_t gap), (item, gap))                          \
    X(int32_t, T_LayoutText, (int32_t index), (index))
