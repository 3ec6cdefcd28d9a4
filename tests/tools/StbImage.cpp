// The image reader the tests read generated textures back with.
#define STB_IMAGE_IMPLEMENTATION
#include <stb_image.h>
