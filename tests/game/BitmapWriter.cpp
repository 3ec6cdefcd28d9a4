#include "tests/game/BitmapWriter.h"

#include <fstream>

void WriteBitmap(const std::string& path, int w, const std::vector<std::vector<uint8_t>>& rows)
{
    const int h = static_cast<int>(rows.size());
    const int rowBytes = w * 3 + w % 4;
    std::vector<uint8_t> file(54 + rowBytes * h, 0xEE); // padding bytes must be skipped
    auto put32 = [&](int at, uint32_t v) {
        for (int i = 0; i < 4; ++i) file[at + i] = (v >> (8 * i)) & 0xFF;
    };
    file[0] = 'B';
    file[1] = 'M';
    put32(2, static_cast<uint32_t>(file.size()));
    put32(6, 0);
    put32(10, 54);
    put32(14, 40);
    put32(18, w);
    put32(22, h);
    file[26] = 1;
    file[27] = 0;
    file[28] = 24;
    file[29] = 0;
    put32(30, 0);
    for (int r = 0; r < h; ++r)
        for (int c = 0; c < w * 3; ++c) file[54 + r * rowBytes + c] = rows[r][c];
    std::ofstream(path, std::ios::binary).write(reinterpret_cast<const char*>(file.data()), file.size());
}
