// Message catalogue lookup. Until a catalogue for the user's language is
// installed, every id answers "no text" and the editor shows its English
// defaults.
#include "platform/localisation/nvolocal32.h"

const char* L32_Object_GetMessage(int32_t /*id*/) noexcept
{
    return nullptr;
}
