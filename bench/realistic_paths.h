// Databases that look like a real user's: Start Menu links, documents in
// project trees, music, photos, programs, some names outside ASCII. The same
// seed always gives the same database, so runs compare.
#pragma once

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

class CVelnorDoc;

// `count` distinct full paths, averaging about 80 bytes.
std::vector<std::string> MakeRealisticPaths(size_t count, uint32_t seed = 1);

// Fills a new document: one record per path (about a third of them used,
// with counts and times), the six default folders plus a few of the user's,
// and a captured launcher placement.
void FillRealisticDatabase(CVelnorDoc& doc, size_t fileCount, uint32_t seed = 1);
