// libFuzzer entry for the draw-list reader.
#include "FuzzDrawList.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return LvFuzzDrawList(data, size);
}
