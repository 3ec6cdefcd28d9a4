// Images as the texture loader reads them: RGBA8, top row first.
#pragma once

#include <cstdint>
#include <string>
#include <vector>

namespace lvtex {

struct Image
{
    unsigned width = 0;
    unsigned height = 0;
    unsigned depth = 1; // slices of a volume
    std::vector<uint8_t> rgba;
};

// The file formats' little-endian fields.
inline uint32_t ReadLittle32(const uint8_t* p)
{
    return uint32_t(p[0]) | uint32_t(p[1]) << 8 | uint32_t(p[2]) << 16 | uint32_t(p[3]) << 24;
}

// Decodes png, jpg, bmp (stb_image) or dds (ours) from memory. False with a
// reason on anything it cannot read safely.
bool DecodeImage(const std::vector<uint8_t>& bytes, Image& image, std::string& reason);
// The dds reader alone: uncompressed RGB/RGBA/luminance/alpha, 2D or volume.
bool DecodeDds(const std::vector<uint8_t>& bytes, Image& image, std::string& reason);
// False with a reason unless the file is a png, jpg or bmp whose headers the
// image library may be given (texture_check.cpp).
bool CheckImageHeaders(const std::vector<uint8_t>& bytes, std::string& reason);
// A png with its zero-length IDAT chunks left out, into `without`; false when
// the file is no png or has none. The image library copies each IDAT chunk
// onto the data gathered so far, in a buffer it allocates when data first
// arrives: an empty first chunk would be copied into no buffer at all.
bool DropEmptyPngData(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& without);

} // namespace lvtex
