// Writes small image files of every format the loader reads, for the tests.
#pragma once

#include <cstdint>
#include <cstring>
#include <fstream>
#include <string>
#include <vector>

// An uncompressed dds file: 32-bit ARGB (masks as A8R8G8B8) or 8-bit luminance,
// depth > 1 makes a volume. Pixels are RGBA, top row first, slice after slice.
inline void WriteDds(const std::string& path, unsigned w, unsigned h, unsigned depth, const std::vector<uint8_t>& rgba,
                     bool luminance = false)
{
    uint32_t header[31] = {};
    header[0] = 124;
    header[1] = 0x1 | 0x2 | 0x4 | 0x1000 | 0x8 | (depth > 1 ? 0x800000 : 0);
    header[2] = h;
    header[3] = w;
    header[4] = w * (luminance ? 1 : 4);
    header[5] = depth > 1 ? depth : 0;
    uint32_t* pf = header + 18;
    pf[0] = 32;
    pf[1] = luminance ? 0x20000u : (0x40u | 0x1u);
    pf[3] = luminance ? 8 : 32;
    pf[4] = luminance ? 0xFFu : 0x00FF0000u;
    pf[5] = luminance ? 0 : 0x0000FF00u;
    pf[6] = luminance ? 0 : 0x000000FFu;
    pf[7] = luminance ? 0 : 0xFF000000u;
    header[26] = 0x1000;
    header[27] = depth > 1 ? 0x200000u : 0;
    std::ofstream out(path, std::ios::binary);
    out.write("DDS ", 4);
    out.write(reinterpret_cast<const char*>(header), sizeof header);
    for (size_t i = 0; i < size_t(w) * h * depth; ++i) {
        const uint8_t* p = &rgba[i * 4];
        if (luminance) {
            out.put(char(p[0]));
        } else {
            const uint8_t bgra[4] = {p[2], p[1], p[0], p[3]};
            out.write(reinterpret_cast<const char*>(bgra), 4);
        }
    }
}

// Four colour quadrants: red, green / blue, white (top row first).
inline std::vector<uint8_t> Quadrants(unsigned size)
{
    std::vector<uint8_t> rgba(size_t(size) * size * 4);
    for (unsigned y = 0; y < size; ++y) {
        for (unsigned x = 0; x < size; ++x) {
            uint8_t* p = &rgba[(size_t(y) * size + x) * 4];
            const bool right = x >= size / 2, bottom = y >= size / 2;
            p[0] = (!bottom && !right) || (bottom && right) ? 255 : 0;
            p[1] = (!bottom && right) || (bottom && right) ? 255 : 0;
            p[2] = bottom ? 255 : 0;
            p[3] = 255;
        }
    }
    return rgba;
}
