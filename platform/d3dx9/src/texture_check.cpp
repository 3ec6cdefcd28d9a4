// The checks a png, jpg or bmp file passes before the image library decodes
// it. The library's build on the system trusts parts of the headers that a
// broken or hostile file can get wrong: a jpg Huffman table of more than 256
// codes writes past the table, and a header's sizes are allocated before the
// data behind them is read, so a file of a hundred bytes could claim
// gigabytes. Each check here is one that every complete, valid file passes.
#include "texture_image.h"

#include <cstring>

namespace lvtex {

namespace {

bool Fail(std::string& reason, const char* why)
{
    reason = why;
    return false;
}

uint32_t Big32(const uint8_t* p)
{
    return uint32_t(p[0]) << 24 | uint32_t(p[1]) << 16 | uint32_t(p[2]) << 8 | p[3];
}

uint16_t Little16(const uint8_t* p)
{
    return uint16_t(p[0] | p[1] << 8);
}

bool StartsWith(const std::vector<uint8_t>& bytes, const char* signature, size_t length)
{
    return bytes.size() >= length && std::memcmp(bytes.data(), signature, length) == 0;
}

// ---- png: chunks (length, type, data, CRC) up to IEND.

const char kPngSignature[] = "\x89PNG\r\n\x1a\n";
constexpr size_t kPngSignatureBytes = 8;
constexpr size_t kPngChunkFrame = 12; // length, type and CRC around the data
constexpr size_t kPngHeaderBytes = 13;
// Deflate never expands its input more than this many times over.
constexpr uint64_t kMaxDeflateRatio = 1032;

unsigned PngChannels(uint8_t colourType)
{
    switch (colourType) {
    case 2:
        return 3; // RGB
    case 4:
        return 2; // grey and alpha
    case 6:
        return 4; // RGBA
    default:
        return 1; // grey, palette, and kinds the library refuses
    }
}

struct PngChunk
{
    size_t at; // where its length field starts
    uint32_t length;
    const uint8_t* type;
    const uint8_t* data;
    bool Is(const char* name) const { return std::memcmp(type, name, 4) == 0; }
};

// Calls visit on each chunk after the signature, up to and including IEND.
// False with a reason when a chunk runs past the end of the file.
template <typename Visit>
bool ForEachPngChunk(const std::vector<uint8_t>& bytes, std::string& reason, Visit visit)
{
    for (size_t at = kPngSignatureBytes; at < bytes.size();) {
        if (bytes.size() - at < kPngChunkFrame) return Fail(reason, "png chunk is truncated");
        const PngChunk chunk{at, Big32(&bytes[at]), &bytes[at + 4], &bytes[at + 8]};
        if (chunk.length > bytes.size() - at - kPngChunkFrame) return Fail(reason, "png chunk is truncated");
        visit(chunk);
        if (chunk.Is("IEND")) break;
        at += kPngChunkFrame + chunk.length;
    }
    return true;
}

bool CheckPng(const std::vector<uint8_t>& bytes, std::string& reason)
{
    uint64_t width = 0, height = 0, bitsPerPixel = 0, compressed = 0;
    const bool whole = ForEachPngChunk(bytes, reason, [&](const PngChunk& chunk) {
        if (chunk.Is("IHDR") && chunk.length >= kPngHeaderBytes) {
            width = Big32(chunk.data);
            height = Big32(chunk.data + 4);
            bitsPerPixel = uint64_t(chunk.data[8]) * PngChannels(chunk.data[9]);
        } else if (chunk.Is("IDAT")) {
            compressed += chunk.length;
        }
    });
    if (!whole) return false;
    if (compressed == 0) return Fail(reason, "png has no image data");
    // The filtered rows (a filter byte each, more for interlaced passes) all
    // come out of the compressed data. Compared by division: the product of
    // a hostile header's sizes does not fit in 64 bits.
    const uint64_t rowBytes = (width * bitsPerPixel + 7) / 8 + 1;
    const uint64_t mostFiltered = kMaxDeflateRatio * compressed + 8 * height + 4096;
    if (height > 0 && rowBytes > mostFiltered / height) return Fail(reason, "png image data is too short for its size");
    return true;
}

// ---- jpg: marker segments, and the entropy-coded data after each scan.

constexpr uint8_t kEndOfImage = 0xD9;
constexpr uint8_t kStartOfScan = 0xDA;
constexpr uint8_t kHuffmanTables = 0xC4;
constexpr uint8_t kBaselineFrame = 0xC0;
constexpr uint8_t kExtendedFrame = 0xC1;
constexpr uint8_t kTemporaryMarker = 0x01;
constexpr uint8_t kFirstRestart = 0xD0, kLastRestart = 0xD7;
// A Huffman table holds at most this many codes (its symbol array's size).
constexpr unsigned kMaxHuffmanCodes = 256;
constexpr size_t kHuffmanCountBytes = 16;
// Every 8 x 8 block takes at least two bits (a DC code and an end-of-block
// code, each at least one bit long).
constexpr uint64_t kMaxBlocksPerByte = 4;

bool IsFrameMarker(uint8_t m)
{
    // 0xC4 (tables), 0xC8 (reserved) and 0xCC (arithmetic conditioning) share the range.
    return m >= 0xC0 && m <= 0xCF && m != kHuffmanTables && m != 0xC8 && m != 0xCC;
}

// Tables by class (DC, AC) and slot; a scan may use only those defined before it.
constexpr unsigned kHuffmanClasses = 2, kHuffmanSlots = 4;
using DefinedTables = bool[kHuffmanClasses][kHuffmanSlots];

// One DHT segment's tables: a class/slot byte, sixteen counts, the symbols.
bool CheckHuffmanTables(const uint8_t* p, size_t length, DefinedTables& defined, std::string& reason)
{
    while (length > 0) {
        if (length < 1 + kHuffmanCountBytes) return Fail(reason, "jpg Huffman table is truncated");
        const unsigned tableClass = p[0] >> 4, slot = p[0] & 15;
        if (tableClass >= kHuffmanClasses || slot >= kHuffmanSlots)
            return Fail(reason, "jpg Huffman table slot is invalid");
        defined[tableClass][slot] = true;
        unsigned codes = 0;
        for (size_t i = 0; i < kHuffmanCountBytes; ++i) codes += p[1 + i];
        if (codes > kMaxHuffmanCodes) return Fail(reason, "jpg Huffman table has more than 256 codes");
        const size_t table = 1 + kHuffmanCountBytes + codes;
        if (table > length) return Fail(reason, "jpg Huffman table is truncated");
        p += table;
        length -= table;
    }
    return true;
}

// A scan header: the component count, then each component's id and table
// slots (DC in the high nibble, AC in the low one).
bool CheckScanTables(const uint8_t* p, size_t length, const DefinedTables& defined, std::string& reason)
{
    if (length < 1 || length < 1 + size_t(p[0]) * 2) return Fail(reason, "jpg scan header is truncated");
    for (size_t c = 0; c < p[0]; ++c) {
        const unsigned dc = p[2 + 2 * c] >> 4, ac = p[2 + 2 * c] & 15;
        if (dc >= kHuffmanSlots || ac >= kHuffmanSlots || !defined[0][dc] || !defined[1][ac])
            return Fail(reason, "jpg scan uses a Huffman table it does not define");
    }
    return true;
}

// Past a scan's entropy-coded data: to the next marker that is neither a
// stuffed zero nor a restart.
size_t SkipEntropyData(const std::vector<uint8_t>& bytes, size_t at)
{
    for (; at + 1 < bytes.size(); ++at) {
        const uint8_t next = bytes[at + 1];
        if (bytes[at] == 0xFF && next != 0x00 && !(next >= kFirstRestart && next <= kLastRestart)) return at;
    }
    return bytes.size();
}

// Only baseline files are read: the game's textures are baseline, and the
// library's progressive decoder is the part of it that has needed the most mending.
bool CheckJpeg(const std::vector<uint8_t>& bytes, std::string& reason)
{
    uint64_t width = 0, height = 0, entropyBytes = 0;
    DefinedTables defined = {};
    size_t at = 2;
    while (at < bytes.size()) {
        // Bytes before a marker are padding, skipped as the library skips them,
        // so every segment it reads is one checked here.
        while (at < bytes.size() && bytes[at] != 0xFF) ++at;
        while (at < bytes.size() && bytes[at] == 0xFF) ++at; // fill bytes
        if (at >= bytes.size()) break;
        const uint8_t marker = bytes[at++];
        if (marker == kEndOfImage) break;
        if (marker == kTemporaryMarker || (marker >= kFirstRestart && marker <= kLastRestart)) continue;
        if (at + 2 > bytes.size()) return Fail(reason, "jpg segment is truncated");
        const size_t length = size_t(bytes[at]) << 8 | bytes[at + 1];
        if (length < 2 || at + length > bytes.size()) return Fail(reason, "jpg segment is truncated");
        if (IsFrameMarker(marker)) {
            if (marker != kBaselineFrame && marker != kExtendedFrame)
                return Fail(reason, "only baseline jpg images are read");
            if (length >= 7) {
                height = uint64_t(bytes[at + 3]) << 8 | bytes[at + 4];
                width = uint64_t(bytes[at + 5]) << 8 | bytes[at + 6];
            }
        }
        if (marker == kHuffmanTables && !CheckHuffmanTables(&bytes[at + 2], length - 2, defined, reason)) return false;
        if (marker == kStartOfScan && !CheckScanTables(&bytes[at + 2], length - 2, defined, reason)) return false;
        at += length;
        if (marker == kStartOfScan) {
            const size_t end = SkipEntropyData(bytes, at);
            entropyBytes += end - at;
            at = end;
        }
    }
    const uint64_t blocks = ((width + 7) / 8) * ((height + 7) / 8);
    if (blocks > kMaxBlocksPerByte * entropyBytes + 64) return Fail(reason, "jpg image data is too short for its size");
    return true;
}

// ---- bmp: the rows of an uncompressed file lie whole in it.

constexpr uint32_t kBmpCoreHeader = 12;
constexpr uint32_t kBmpUncompressed = 0, kBmpBitFields = 3;
constexpr size_t kBmpInfoEnd = 34; // through the compression field

bool CheckBmp(const std::vector<uint8_t>& bytes, std::string& reason)
{
    if (bytes.size() < 26) return Fail(reason, "bmp header is truncated");
    const uint64_t offset = ReadLittle32(&bytes[10]);
    uint64_t width = 0, height = 0, bitsPerPixel = 0;
    uint32_t compression = kBmpUncompressed;
    if (ReadLittle32(&bytes[14]) == kBmpCoreHeader) {
        width = Little16(&bytes[18]);
        height = Little16(&bytes[20]);
        bitsPerPixel = Little16(&bytes[24]);
    } else {
        if (bytes.size() < kBmpInfoEnd) return Fail(reason, "bmp header is truncated");
        const int32_t h = int32_t(ReadLittle32(&bytes[22]));
        width = ReadLittle32(&bytes[18]);
        height = h < 0 ? uint64_t(-int64_t(h)) : uint64_t(h);
        bitsPerPixel = Little16(&bytes[28]);
        compression = ReadLittle32(&bytes[30]);
    }
    if (compression != kBmpUncompressed && compression != kBmpBitFields)
        return Fail(reason, "only uncompressed bmp images are read");
    const uint64_t rowBytes = (width * bitsPerPixel + 31) / 32 * 4;
    const uint64_t pixelBytes = offset < bytes.size() ? bytes.size() - offset : 0;
    if (height > 0 && rowBytes > pixelBytes / height) return Fail(reason, "bmp pixel data is truncated");
    return true;
}

} // namespace

bool DropEmptyPngData(const std::vector<uint8_t>& bytes, std::vector<uint8_t>& without)
{
    if (!StartsWith(bytes, kPngSignature, kPngSignatureBytes)) return false;
    std::vector<size_t> empty;
    std::string ignored;
    ForEachPngChunk(bytes, ignored, [&](const PngChunk& chunk) {
        if (chunk.Is("IDAT") && chunk.length == 0) empty.push_back(chunk.at);
    });
    if (empty.empty()) return false;
    without.clear();
    without.reserve(bytes.size() - empty.size() * kPngChunkFrame);
    size_t from = 0;
    for (const size_t at : empty) {
        without.insert(without.end(), bytes.begin() + std::ptrdiff_t(from), bytes.begin() + std::ptrdiff_t(at));
        from = at + kPngChunkFrame;
    }
    without.insert(without.end(), bytes.begin() + std::ptrdiff_t(from), bytes.end());
    return true;
}

bool CheckImageHeaders(const std::vector<uint8_t>& bytes, std::string& reason)
{
    if (StartsWith(bytes, kPngSignature, kPngSignatureBytes)) return CheckPng(bytes, reason);
    if (StartsWith(bytes, "\xff\xd8\xff", 3)) return CheckJpeg(bytes, reason);
    if (StartsWith(bytes, "BM", 2)) return CheckBmp(bytes, reason);
    // Only the formats the game's textures come in reach the image library:
    // its other decoders are code no texture needs, open to hostile files.
    return Fail(reason, "not a png, jpg, bmp or dds image");
}

} // namespace lvtex
