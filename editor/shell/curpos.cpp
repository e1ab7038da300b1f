#include "editor/shell/curpos.h"

int32_t g_CurHier = 0;
std::string g_CurHierName;
int32_t g_PickTolerance = 0;
SelRectRec g_SelRect;
