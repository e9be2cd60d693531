// Paths below a folder, told apart as Windows tells paths apart: letters
// compare ignoring case, and C:\Docs holds C:\Docs\a.txt and C:\docs\Sub\b,
// never C:\Docs2\c.
#pragma once

#include <string_view>

// True when `path` lies below `folder` (given with or without its final
// separator). The empty folder holds every path.
bool IsPathUnder(std::string_view path, std::string_view folder);
