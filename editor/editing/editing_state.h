// Values the wire, net and page edits of the main window share with the
// rest of the editor.
#pragma once

// The answer of the last question of the confirmation popup: true only when
// the user chose Yes (M_Yes). PopupConfirm clears it before each question.
extern bool g_YesNoAnswer;
