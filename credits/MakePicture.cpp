// Writes the about box's picture: a 119 x 162 uncompressed 24-bit bitmap of a brindle coat,
// warm tan crossed by dark wavy streaks, fading to white towards the text on its right.
// Generated at build time so that the artwork lives in the repository as code.

#include <cmath>
#include <cstdint>
#include <cstdio>
#include <fstream>
#include <vector>

namespace {

constexpr int kWidth = 119;
constexpr int kHeight = 162;
constexpr int kRowBytes = (kWidth * 3 + 3) / 4 * 4;
constexpr int kPixelBytes = kRowBytes * kHeight;
constexpr int kFileHeaderBytes = 14;
constexpr int kInfoHeaderBytes = 40;

struct Colour {
    double red, green, blue;
};

Colour Mix(const Colour& a, const Colour& b, double t) {
    return {a.red + (b.red - a.red) * t, a.green + (b.green - a.green) * t,
            a.blue + (b.blue - a.blue) * t};
}

double Clamp01(double v) {
    return v < 0 ? 0 : (v > 1 ? 1 : v);
}

Colour PixelAt(int x, int y) {
    const Colour top{214, 160, 92};
    const Colour bottom{150, 96, 48};
    const Colour streak{58, 34, 20};
    const Colour white{255, 255, 255};
    const double fx = x;
    const double fy = y;
    Colour c = Mix(top, bottom, fy / (kHeight - 1));
    // Streaks: bands of a slanted wave whose phase wanders, as a brindle coat's do.
    const double wave = std::sin(fy * 0.21 + fx * 0.06 + 2.4 * std::sin(fx * 0.045 + fy * 0.013)) +
                        0.45 * std::sin(fy * 0.53 - fx * 0.17 + std::sin(fx * 0.11));
    const double grain = 0.5 + 0.5 * std::sin(fx * 0.31 + fy * 1.7);
    c = Mix(c, streak, Clamp01((wave - 0.55) * 2.2) * (0.8 + 0.2 * grain));
    // Fade out over the last columns, where the text begins.
    return Mix(c, white, Clamp01((fx - 92) / 17.0));
}

void Put16(std::vector<unsigned char>& out, unsigned value) {
    out.push_back(static_cast<unsigned char>(value & 0xFF));
    out.push_back(static_cast<unsigned char>((value >> 8) & 0xFF));
}

void Put32(std::vector<unsigned char>& out, std::uint32_t value) {
    Put16(out, value & 0xFFFF);
    Put16(out, value >> 16);
}

unsigned char Channel(double v) {
    return static_cast<unsigned char>(std::lround(Clamp01(v / 255) * 255));
}

}  // namespace

int main(int argc, char** argv) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: %s OUTPUT.bmp\n", argv[0]);
        return 2;
    }
    std::vector<unsigned char> file;
    file.push_back('B');
    file.push_back('M');
    Put32(file, kFileHeaderBytes + kInfoHeaderBytes + kPixelBytes);
    Put32(file, 0);
    Put32(file, kFileHeaderBytes + kInfoHeaderBytes);
    Put32(file, kInfoHeaderBytes);
    Put32(file, kWidth);
    Put32(file, kHeight);  // positive: rows run bottom-up
    Put16(file, 1);        // planes
    Put16(file, 24);       // bits per pixel
    Put32(file, 0);        // uncompressed
    Put32(file, kPixelBytes);
    Put32(file, 2835);  // 72 dpi, in pixels per metre
    Put32(file, 2835);
    Put32(file, 0);
    Put32(file, 0);
    for (int row = kHeight - 1; row >= 0; --row) {
        for (int x = 0; x < kWidth; ++x) {
            const Colour c = PixelAt(x, row);
            file.push_back(Channel(c.blue));
            file.push_back(Channel(c.green));
            file.push_back(Channel(c.red));
        }
        for (int pad = kWidth * 3; pad < kRowBytes; ++pad)
            file.push_back(0);
    }
    std::ofstream out(argv[1], std::ios::binary | std::ios::trunc);
    out.write(reinterpret_cast<const char*>(file.data()),
              static_cast<std::streamsize>(file.size()));
    out.close();
    if (!out) {
        std::fprintf(stderr, "cannot write %s\n", argv[1]);
        return 1;
    }
    return 0;
}
