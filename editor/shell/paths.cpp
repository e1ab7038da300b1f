#include "editor/shell/paths.h"

#include <algorithm>

std::string JoinPath(const std::string& folder, const std::string& name)
{
    std::string f = folder, n = name;
    std::replace(f.begin(), f.end(), '\\', '/');
    std::replace(n.begin(), n.end(), '\\', '/');
    while (!f.empty() && f.back() == '/' && f.size() > 1) f.pop_back();
    while (!n.empty() && n.front() == '/') n.erase(n.begin());
    if (f.empty()) return n;
    if (n.empty()) return f;
    return f.back() == '/' ? f + n : f + "/" + n;
}
