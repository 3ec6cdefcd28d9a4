// A small reader of uncompressed dds files, 2D and volume: the only kind our
// content tools write. Channel masks decide the layout, so any uncompressed
// 8/16/24/32-bit RGB, luminance or alpha format reads the same way.
#include "texture_image.h"

#include <cstring>

namespace lvtex {

namespace {

constexpr uint32_t kMagic = 0x20534444u; // "DDS "
constexpr uint32_t kHeaderSize = 124;
constexpr uint32_t kPitchFlag = 0x8;
constexpr uint32_t kFormatAlphaPixels = 0x1;
constexpr uint32_t kFormatAlpha = 0x2;
constexpr uint32_t kFormatFourCC = 0x4;
constexpr uint32_t kFormatRgb = 0x40;
constexpr uint32_t kFormatLuminance = 0x20000;
constexpr uint32_t kCaps2Volume = 0x200000;
constexpr unsigned kMaxExtent = 16384;
constexpr unsigned kMaxDepth = 2048;

// Channel value scaled to 8 bits; a missing mask gives the fallback.
uint8_t Channel(uint32_t pixel, uint32_t mask, uint8_t fallback)
{
    if (mask == 0) return fallback;
    int shift = 0;
    while (!((mask >> shift) & 1u)) ++shift;
    const uint32_t bits = mask >> shift;
    const uint32_t value = (pixel & mask) >> shift;
    return uint8_t((value * 255u + bits / 2) / bits);
}

} // namespace

bool DecodeDds(const std::vector<uint8_t>& bytes, Image& image, std::string& reason)
{
    if (bytes.size() < 4 + kHeaderSize || ReadLittle32(bytes.data()) != kMagic) {
        reason = "not a dds file";
        return false;
    }
    const uint8_t* h = bytes.data() + 4;
    if (ReadLittle32(h) != kHeaderSize) {
        reason = "dds header of the wrong size";
        return false;
    }
    const uint32_t flags = ReadLittle32(h + 4);
    const unsigned height = ReadLittle32(h + 8);
    const unsigned width = ReadLittle32(h + 12);
    const uint32_t pitch = ReadLittle32(h + 16);
    const uint32_t caps2 = ReadLittle32(h + 108);
    const unsigned depth = (caps2 & kCaps2Volume) ? ReadLittle32(h + 20) : 1;
    const uint8_t* pf = h + 72;
    const uint32_t formatFlags = ReadLittle32(pf + 4);
    const uint32_t bitCount = ReadLittle32(pf + 12);
    const uint32_t rMask = ReadLittle32(pf + 16), gMask = ReadLittle32(pf + 20), bMask = ReadLittle32(pf + 24);
    const uint32_t aMask = (formatFlags & (kFormatAlphaPixels | kFormatAlpha)) ? ReadLittle32(pf + 28) : 0;
    if (formatFlags & kFormatFourCC) {
        reason = "compressed dds files are not supported";
        return false;
    }
    if (!(formatFlags & (kFormatRgb | kFormatLuminance | kFormatAlpha)) ||
        (bitCount != 8 && bitCount != 16 && bitCount != 24 && bitCount != 32)) {
        reason = "unsupported dds pixel format";
        return false;
    }
    if (width == 0 || height == 0 || depth == 0 || width > kMaxExtent || height > kMaxExtent || depth > kMaxDepth) {
        reason = "dds size out of range";
        return false;
    }
    const size_t pixelBytes = bitCount / 8;
    size_t rowBytes = size_t(width) * pixelBytes;
    if ((flags & kPitchFlag) && pitch >= rowBytes && pitch < rowBytes + 64) rowBytes = pitch;
    const size_t need = rowBytes * height * depth;
    const size_t have = bytes.size() - 4 - kHeaderSize;
    if (need / depth / height != rowBytes || need > have) {
        reason = "dds file is truncated";
        return false;
    }
    const bool luminance = (formatFlags & kFormatLuminance) != 0;
    const bool alphaOnly = !luminance && !(formatFlags & kFormatRgb);
    image.width = width;
    image.height = height;
    image.depth = depth;
    image.rgba.resize(size_t(width) * height * depth * 4);
    const uint8_t* data = bytes.data() + 4 + kHeaderSize;
    uint8_t* out = image.rgba.data();
    for (size_t row = 0; row < size_t(height) * depth; ++row) {
        const uint8_t* in = data + row * rowBytes;
        for (unsigned x = 0; x < width; ++x, in += pixelBytes, out += 4) {
            uint32_t pixel = 0;
            std::memcpy(&pixel, in, pixelBytes); // little-endian files on a little-endian machine
            if (alphaOnly) {
                out[0] = out[1] = out[2] = 0;
                out[3] = Channel(pixel, aMask ? aMask : 0xFFu, 255);
                continue;
            }
            out[0] = Channel(pixel, rMask, 0);
            out[1] = luminance ? out[0] : Channel(pixel, gMask, 0);
            out[2] = luminance ? out[0] : Channel(pixel, bMask, 0);
            out[3] = Channel(pixel, aMask, 255);
        }
    }
    return true;
}

} // namespace lvtex
