// Values the wire, net and page edits of the main window share with the
// rest of the editor.
#pragma once

// The answer of the last question of the confirmation popup: true only when
// the user chose Yes (M_Yes). PopupConfirm clears it before each question.
extern bool g_YesNoAnswer;

#include "platform/kernel/records.h"

#include <cstdint>

// Ask for the name of each new wire's net (menu M_InstName).
extern bool g_InstNameFlag;

// The other wire found under a point while a wire is drawn: its id, header,
// the index of the record found (1 before a junction search) and a point
// record of it.
extern int32_t g_CoverBranch;
extern BranchRec g_CoverBranchRec;
extern int32_t g_CoverBranchPos;
extern BranchPointRec g_CoverBranchPoint;
