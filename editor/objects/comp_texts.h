// A schematic component's information record and the texts derived from
// its device, gate and symbol: the reference (name) text, the description
// text, the gate text and one pin-number text per pin of its gate, built
// under the packaging preferences (prefs.h).
//
// Status arguments only report failure: set to 1 when a procedure fails,
// left as the caller set them otherwise.
#pragma once

#include "editor/objects/comp_state.h"
#include "platform/kernel/records.h"

#include <cstdint>
#include <string>

// Component text kinds: the bit that finds them in the component's text
// array, and the flags and layer they are made with.
constexpr int32_t kRefTextMask = 2;
constexpr int32_t kDescTextMask = 4;
constexpr int32_t kGateTextMask = 8;
constexpr int32_t kPinTextMask = 16;
// The texts that belong to the packing (reference, description, pins).
constexpr int32_t kPackTextMask = 22;

// Fills `info` from component `id` and its record.
void FillCompInfo(int32_t id, const CompRec& comp, CompInfoRec& info);
// Renames component rec.Id to its base name (rec.Name up to the first
// blank) "/" group and rebuilds its reference, description, gate and pin
// texts. A name that another component bears, or that the kernel refuses,
// is reported (message 4) and changes nothing. Each new text is made before
// the old one it replaces goes; a text that cannot be made leaves the old
// one in place.
void ApplyCompInfo(int32_t& status, const CompInfoRec& rec);
// FillCompInfo into g_CompInfo, the name cut before its first "/", then
// ApplyCompInfo(g_CompInfo).
void RefreshCompTexts(int32_t id, const CompRec& comp);
// Replaces text `textIdx` of the component by a text made from `rec` with
// `text` (and rec's link); textIdx receives the new text's index. A
// missing text or a text the kernel refuses changes nothing.
void RemakeCompText(int32_t id, int32_t& textIdx, const ItemRec& rec, const std::string& text);
// Writes g_CompText's position, angle, size and attributes back to text
// `textIdx` of the component (not its link and gap).
void WriteCompText(int32_t id, int32_t textIdx);
