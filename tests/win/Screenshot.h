// Screenshots for the Windows tests: a part of the screen as a person sees it, and a minimal PNG writer
// (stored deflate blocks) so that a reviewer can look at it.
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

// Where a test saves the screenshot of that name: build/win/screenshots, made when missing.
inline std::wstring ShotPath(const std::wstring& name) {
    wchar_t module[MAX_PATH] = {};
    GetModuleFileNameW(nullptr, module, MAX_PATH);
    std::wstring dir = module;
    dir = dir.substr(0, dir.find_last_of(L"\\/")) + L"\\..\\screenshots";
    CreateDirectoryW(dir.c_str(), nullptr);
    return dir + L"\\" + name + L".png";
}

struct Screenshot {
    int width = 0;
    int height = 0;
    std::vector<uint32_t> pixels; // COLORREF, 0x00BBGGRR, top row first

    uint32_t At(int x, int y) const { return pixels[static_cast<size_t>(y) * width + x]; }
    // Pixels of exactly this colour inside the rectangle.
    int Count(RECT r, uint32_t color) const {
        int n = 0;
        for (int y = std::max<int>(r.top, 0); y < std::min<int>(r.bottom, height); ++y)
            for (int x = std::max<int>(r.left, 0); x < std::min<int>(r.right, width); ++x)
                n += At(x, y) == color ? 1 : 0;
        return n;
    }

    // What the screen shows in the rectangle, read from the screen's drawing context.
    static Screenshot Capture(RECT r) {
        Screenshot shot{r.right - r.left, r.bottom - r.top, {}};
        BITMAPINFO info{};
        info.bmiHeader = {sizeof info.bmiHeader, shot.width, -shot.height, 1, 32, BI_RGB, 0, 0, 0, 0, 0};
        void* bits = nullptr;
        HDC screen = GetDC(nullptr);
        HDC memory = CreateCompatibleDC(screen);
        HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
        HGDIOBJ old = SelectObject(memory, bitmap);
        BitBlt(memory, 0, 0, shot.width, shot.height, screen, r.left, r.top, SRCCOPY);
        GdiFlush();
        const auto* rgb = static_cast<const uint32_t*>(bits); // 0x00RRGGBB
        for (size_t i = 0; i < static_cast<size_t>(shot.width) * shot.height; ++i)
            shot.pixels.push_back(((rgb[i] & 0xFF) << 16) | (rgb[i] & 0xFF00) | ((rgb[i] >> 16) & 0xFF));
        SelectObject(memory, old);
        DeleteObject(bitmap);
        DeleteDC(memory);
        ReleaseDC(nullptr, screen);
        return shot;
    }

    bool SavePng(const std::wstring& path) const {
        std::string raw; // rows of RGB, each after a filter byte 0
        for (int y = 0; y < height; ++y) {
            raw += '\0';
            for (int x = 0; x < width; ++x)
                for (int shift : {0, 8, 16})
                    raw += static_cast<char>((At(x, y) >> shift) & 0xFF);
        }
        std::string z = "\x78\x01"; // zlib stream of stored blocks of at most 65535 bytes
        uint32_t a = 1, b = 0;
        for (unsigned char c : raw) {
            a = (a + c) % 65521;
            b = (b + a) % 65521;
        }
        size_t at = 0;
        do {
            size_t n = std::min<size_t>(65535, raw.size() - at);
            z += static_cast<char>(at + n == raw.size() ? 1 : 0);
            for (size_t v : {n, ~n})
                z += {static_cast<char>(v & 0xFF), static_cast<char>((v >> 8) & 0xFF)};
            z.append(raw, at, n);
            at += n;
        } while (at < raw.size());
        Big(z, (b << 16) | a);
        std::string header;
        Big(header, width);
        Big(header, height);
        header.append("\x08\x02\x00\x00\x00", 5); // 8-bit RGB, no interlace
        std::string png = "\x89PNG\r\n\x1a\n";
        Chunk(png, "IHDR", header);
        Chunk(png, "IDAT", z);
        Chunk(png, "IEND", "");
        FILE* f = _wfopen(path.c_str(), L"wb");
        bool ok = f && std::fwrite(png.data(), 1, png.size(), f) == png.size();
        return f && std::fclose(f) == 0 && ok;
    }

private:
    static void Big(std::string& out, uint32_t v) {
        for (int shift = 24; shift >= 0; shift -= 8)
            out += static_cast<char>((v >> shift) & 0xFF);
    }
    static void Chunk(std::string& png, const char* type, const std::string& data) {
        Big(png, static_cast<uint32_t>(data.size()));
        std::string body = type + data;
        uint32_t crc = 0xFFFFFFFFu;
        for (unsigned char c : body) {
            crc ^= c;
            for (int k = 0; k < 8; ++k)
                crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1)));
        }
        png += body;
        Big(png, ~crc);
    }
};

} // namespace lm::wintest
