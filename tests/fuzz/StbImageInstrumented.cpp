// The image library's decoders compiled into the image target itself, so the
// fuzzer sees their branches and the sanitizers check their memory, in the
// replay of the sanitizer build too. The game links the system's build of the
// same library version.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
