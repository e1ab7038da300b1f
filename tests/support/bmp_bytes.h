// BMP files made byte by byte for the picture tests: run-length coded and
// one-bit pictures whose files are small while their decoded size is large,
// so a test can reach the kernel's decoded-size limit with a file of a few
// hundred kilobytes.
#pragma once

#include <algorithm>
#include <cstdint>
#include <initializer_list>
#include <string>

namespace palvane_test {

inline void PutBmpLong(std::string& s, uint32_t v)
{
    for (int i = 0; i < 4; ++i) s.push_back(static_cast<char>((v >> (8 * i)) & 0xFF));
}

// The file and info headers (40 bytes) and the palette of a bottom-up BMP.
inline std::string BmpHeaders(int width, int height, uint32_t bits, uint32_t compression, size_t pixelBytes,
                              std::initializer_list<uint32_t> palette)
{
    const auto headers = static_cast<uint32_t>(14 + 40 + 4 * palette.size());
    std::string bmp = "BM";
    PutBmpLong(bmp, headers + static_cast<uint32_t>(pixelBytes));
    PutBmpLong(bmp, 0);
    PutBmpLong(bmp, headers);
    PutBmpLong(bmp, 40);
    PutBmpLong(bmp, static_cast<uint32_t>(width));
    PutBmpLong(bmp, static_cast<uint32_t>(height));
    PutBmpLong(bmp, 1 | (bits << 16));  // one plane
    PutBmpLong(bmp, compression);
    PutBmpLong(bmp, static_cast<uint32_t>(pixelBytes));
    PutBmpLong(bmp, 2835);
    PutBmpLong(bmp, 2835);
    PutBmpLong(bmp, static_cast<uint32_t>(palette.size()));
    PutBmpLong(bmp, 0);
    for (uint32_t colour : palette) PutBmpLong(bmp, colour);  // 0x00RRGGBB
    return bmp;
}

// A width x height picture in one colour (0x00RRGGBB), 8-bit run-length
// coded: runs of 255 pixels, about 2 bytes for every 255 pixels.
inline std::string RunLengthBmp(int width, int height, uint32_t colour = 0x00FF0000)
{
    std::string pixels;
    for (int y = 0; y < height; ++y) {
        for (int x = 0; x < width; x += 255) {
            pixels.push_back(static_cast<char>(std::min(255, width - x)));
            pixels.push_back(0);
        }
        pixels.append(y + 1 < height ? std::string("\0\0", 2) : std::string("\0\1", 2));
    }
    return BmpHeaders(width, height, 8, 1, pixels.size(), {colour}) + pixels;
}

// A width x height picture of one bit a pixel, uncompressed, all in the
// first of its two colours.
inline std::string OneBitBmp(int width, int height)
{
    const size_t rowBytes = (static_cast<size_t>(width) + 31) / 32 * 4;
    const size_t pixels = rowBytes * static_cast<size_t>(height);
    return BmpHeaders(width, height, 1, 0, pixels, {0x000000FF, 0x00FFFFFF}) + std::string(pixels, '\0');
}

}  // namespace palvane_test
