// libFuzzer entry for the .x reader.
#include "FuzzXFile.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    return LvFuzzXFile(data, size);
}
