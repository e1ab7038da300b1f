// Pad stacks: the pads of one pad per copper layer (and a text) that layout
// symbols' entries and vias refer to by key, made for a symbol's own
// pad-stack map or the design's, and the standard pad stacks of the design
// made from the settings' definition g_PadStackDef (systables.h).
//
// Status arguments only report failure: 1 when a procedure fails, left as
// the caller set them when it succeeds. A pad stack is built whole before
// it is registered under its key; a failure leaves nothing behind.
#pragma once

#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// Makes an item from `record` (a text with `text` for Kind 6), with its link
// and gap, and adds it to the pad stack's item array; `item` receives its
// index.
void MakePadStackItem(int32_t& status, int32_t padStack, const ItemRec& record, const std::string& text,
                      int32_t& item);

// Makes a pad stack with the hole (hole31, hole0) and, when `text` is not
// empty, a text item of text size 17, and registers it in the symbol's
// pad-stack map (the design's for symbol 0) under `key` (0: the lowest free
// key); `key` receives the key, `padStack` its handle (0 on failure).
void MakePadStack(int32_t& status, int32_t symbol, int32_t& padStack, int32_t& key, const std::string& text,
                  int32_t hole0, int32_t hole31);

// Makes a standard pad stack of the design under `key` from g_PadStackDef:
// its hole and 30 pads, square (shape 1) or round, each with `padGap`.
// Reports message 40 when the pad stack cannot be made or registered, 41
// when a pad cannot be made (a size below 0 or beyond the kernel's
// coordinates among them).
void CreatePadStack(int32_t& status, int32_t key, const std::string& text, int32_t padGap);
