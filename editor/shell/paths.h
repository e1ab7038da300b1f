// Paths. The editor's procedures join folders and names with "\"; this is
// the one place that turns such a path into a Linux path.
#pragma once

#include <string>

// Joins `folder` and `name` with one separator; backslashes become slashes.
std::string JoinPath(const std::string& folder, const std::string& name);
