// The automatic placement engine. Its exported functions come with the
// placement front end; the library exists now so that the editor's binding
// and the build are complete.
#include "platform/placement/nvosplc32.h"
