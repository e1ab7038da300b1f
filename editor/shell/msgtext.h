// Message texts by id: the localised text when the catalogue has one, else
// the English default; the localisation of forms and the user-interface
// font.
#pragma once

#include <cstdint>
#include <string>

class Form;

// The user-interface font, chosen once by InitFonts and given to every
// control by LocalizeForm. The face name is the font system's own text
// (UTF-8), the size in points, the character set the system's number of
// the locale's script.
extern std::string g_UIFontName;
extern int16_t g_UIFontSize;
extern int16_t g_UIFontCharset;

// The text for message id `id` (a decimal number written as text), with the
// default's leading and trailing blanks whatever the catalogue's text has.
std::string GetMsgText(const std::string& defaultText, const std::string& id);

// Gives the loaded form's controls the user-interface font (not bold) and
// replaces the caption of the window and of every control whose Tag holds a
// message id with the localised text. The window's Tag is the "Tag" property
// of its window. A step a control does not support is skipped; an empty
// face name or a size of 0 leaves the fonts as they are.
void LocalizeForm(Form& form);

// Chooses the user-interface font from the user's locale.
void InitFonts();
