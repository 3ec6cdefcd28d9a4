// One fuzz input through the draw-list reader and the builders of every pass
// it loaded. Whatever the input, a loaded chain must hold only indices inside
// their tables and finite numbers; a breach stops the process.
#pragma once

#include <cstddef>
#include <cstdint>

int LvFuzzDrawList(const uint8_t* data, size_t size);
