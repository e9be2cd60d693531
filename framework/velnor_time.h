// The program's clock value.
#pragma once

#include <cstdint>

// Seconds since 1970-01-01 UTC. Stored as 32 bits; read back unsigned, so the
// stored form keeps working until 2106.
using VelnorTime = int64_t;
