// The single-header image writer and font rasteriser, compiled once here so their
// own warnings and sanitizer exemptions stay out of the generator's code.
#define STB_IMAGE_WRITE_IMPLEMENTATION
#include <stb_image_write.h>

#define STB_TRUETYPE_IMPLEMENTATION
#include <stb_truetype.h>
