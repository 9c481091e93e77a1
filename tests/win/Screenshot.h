// Screenshots for the Windows tests: a part of the screen as a person sees it, pixel counts by colour,
// and a minimal PNG writer (stored deflate blocks) so that a reviewer can look at them.
#pragma once
#ifndef NOMINMAX
#define NOMINMAX
#endif
#include <windows.h>

#include <algorithm>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

namespace lm::wintest {

class Screenshot {
public:
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Colours as COLORREF, 0x00BBGGRR.
    uint32_t At(int x, int y) const { return pixels_[static_cast<size_t>(y) * width_ + x]; }
    // Pixels of exactly this colour inside the rectangle (cut to the picture).
    int Count(RECT r, uint32_t color) const {
        int n = 0;
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, height_); ++y)
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, width_); ++x)
                n += At(x, y) == color ? 1 : 0;
        return n;
    }
    static int Brightness(uint32_t color) {
        return (color & 0xFF) + ((color >> 8) & 0xFF) + ((color >> 16) & 0xFF);
    }

    // The screen's pixels in the rectangle, read back from the screen's drawing context.
    static Screenshot Capture(RECT r) {
        Screenshot shot;
        shot.width_ = r.right - r.left;
        shot.height_ = r.bottom - r.top;
        BITMAPINFO info{};
        info.bmiHeader.biSize = sizeof info.bmiHeader;
        info.bmiHeader.biWidth = shot.width_;
        info.bmiHeader.biHeight = -shot.height_; // top row first
        info.bmiHeader.biPlanes = 1;
        info.bmiHeader.biBitCount = 32;
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, shot.width_, shot.height_, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const auto* bgra = static_cast<const uint32_t*>(bits);
        shot.pixels_.resize(static_cast<size_t>(shot.width_) * shot.height_);
        for (size_t i = 0; i < shot.pixels_.size(); ++i) // 0x00RRGGBB to 0x00BBGGRR
            shot.pixels_[i] = ((bgra[i] & 0xFF) << 16) | (bgra[i] & 0xFF00) | ((bgra[i] >> 16) & 0xFF);
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return shot;
    }

    // An RGB PNG: zlib stream of stored blocks with its Adler-32, each chunk with its CRC.
    bool SavePng(const std::wstring& path) const {
        std::string raw;
        for (int y = 0; y < height_; ++y) {
            raw += '\0'; // no filter
            for (int x = 0; x < width_; ++x) {
                uint32_t c = At(x, y);
                raw += static_cast<char>(c & 0xFF);
                raw += static_cast<char>((c >> 8) & 0xFF);
                raw += static_cast<char>((c >> 16) & 0xFF);
            }
        }
        std::string z = "\x78\x01";
        size_t at = 0;
        do {
            size_t n = std::min<size_t>(65535, raw.size() - at);
            z += static_cast<char>(at + n == raw.size() ? 1 : 0); // the last block
            z += static_cast<char>(n & 0xFF);
            z += static_cast<char>(n >> 8);
            z += static_cast<char>(~n & 0xFF);
            z += static_cast<char>((~n >> 8) & 0xFF);
            z.append(raw, at, n);
            at += n;
        } while (at < raw.size());
        uint32_t a = 1, b = 0;
        for (unsigned char c : raw) {
            a = (a + c) % 65521;
            b = (b + a) % 65521;
        }
        AppendBig(z, (b << 16) | a);

        std::string header;
        AppendBig(header, static_cast<uint32_t>(width_));
        AppendBig(header, static_cast<uint32_t>(height_));
        header += std::string("\x08\x02\x00\x00\x00", 5); // 8 bits, RGB, deflate, no filter, no interlace
        std::string png = "\x89PNG\r\n\x1a\n";
        Chunk(png, "IHDR", header);
        Chunk(png, "IDAT", z);
        Chunk(png, "IEND", "");
        FILE* f = _wfopen(path.c_str(), L"wb");
        if (!f)
            return false;
        bool ok = std::fwrite(png.data(), 1, png.size(), f) == png.size();
        return std::fclose(f) == 0 && ok;
    }

private:
    static void AppendBig(std::string& out, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((v >> shift) & 0xFF);
    }
    static void Chunk(std::string& png, const char* type, const std::string& data) {
        AppendBig(png, static_cast<uint32_t>(data.size()));
        std::string body = std::string(type) + data;
        uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char c : body) {
            crc ^= c;
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        png += body;
        AppendBig(png, ~crc);
    }

    int width_ = 0;
    int height_ = 0;
    std::vector<uint32_t> pixels_;
};

} // namespace lm::wintest
