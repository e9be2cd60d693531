// The real tree the refresh and memory benchmarks walk: /usr hard-linked
// seven times under build/bench-tree (about a million entries, no data
// copied), made once. VELNOR_BENCH_TREE puts it elsewhere.
#pragma once

#include <string>

std::string BenchTreeRoot();
// False when the tree could not be made.
bool EnsureBenchTree(const std::string& root);
