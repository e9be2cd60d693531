// Paths below a folder, told apart as Windows tells paths apart: letters
// compare ignoring case, and C:\Docs holds C:\Docs\a.txt and C:\docs\Sub\b,
// never C:\Docs2\c.
#pragma once

#include <string>
#include <string_view>

// Whether two paths name the same folder, as Windows compares them: letters
// ignoring case (C:\Music and C:\MUSIC), one final separator no difference.
bool SameFolderPath(std::string_view a, std::string_view b);
// The same rule as a key: for UTF-8 paths, equal exactly when
// SameFolderPath says so, so many folders can be told apart by a hash.
std::string FolderPathKey(std::string_view path);

// True when `path` lies below `folder` (given with or without its final
// separator). The empty folder holds every path.
bool IsPathUnder(std::string_view path, std::string_view folder);
