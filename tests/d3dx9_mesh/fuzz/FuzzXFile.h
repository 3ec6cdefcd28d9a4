// One fuzz input through every .x entry point: the single-mesh loader, the
// hierarchy loader with skin conversion, and the animation sets' keys.
#pragma once

#include <cstddef>
#include <cstdint>

int LvFuzzXFile(const uint8_t* data, size_t size);
