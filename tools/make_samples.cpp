// Writes the bundled samples into the folder given: two fonts with glyphs for
// the codes 32 to 126 drawn by QPainter, the default colour map and a game
// bitmap that carries a second palette.
//   make_samples <folder>
#include <QFont>
#include <QFontMetrics>
#include <QGuiApplication>
#include <QImage>
#include <QPainter>
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <fstream>
#include <string>
#include <vector>

#include "base/bytes.h"

namespace {

using Buffer = std::vector<std::uint8_t>;

void Put32(Buffer& b, std::int32_t v) {
    std::uint8_t p[4];
    PutI32(p, v);
    b.insert(b.end(), p, p + 4);
}
void Put16(Buffer& b, std::uint16_t v) {
    std::uint8_t p[2];
    PutU16(p, v);
    b.insert(b.end(), p, p + 2);
}

bool WriteFile(const std::string& path, const Buffer& bytes) {
    std::ofstream out(path, std::ios::binary);
    out.write(reinterpret_cast<const char*>(bytes.data()), std::streamsize(bytes.size()));
    out.close();
    if (!out) std::fprintf(stderr, "cannot write %s\n", path.c_str());
    return bool(out);
}

// Glyphs of the codes 32 to 126 side by side, as coverage 0 to 255.
struct Coverage {
    int Width = 0;
    int Height = 0;
    std::vector<int> X;  // left edge of each glyph
    std::vector<int> Advance;
    std::vector<std::uint8_t> Alpha;
};

Coverage DrawGlyphs(const QFont& font, int height) {
    const QFontMetrics metrics(font);
    Coverage c;
    c.Height = height;
    for (int code = 32; code <= 126; ++code) {
        c.X.push_back(c.Width);
        const int advance = metrics.horizontalAdvance(QChar(code)) + 2;
        c.Advance.push_back(advance);
        c.Width += advance;
    }
    QImage image(c.Width, height, QImage::Format_ARGB32_Premultiplied);
    image.fill(Qt::transparent);
    QPainter painter(&image);
    painter.setFont(font);
    painter.setPen(Qt::white);
    const int baseline = (height + metrics.ascent() - metrics.descent()) / 2;
    for (int code = 32; code <= 126; ++code)
        painter.drawText(c.X[std::size_t(code - 32)] + 1, baseline, QString(QChar(code)));
    painter.end();
    c.Alpha.resize(std::size_t(c.Width) * std::size_t(height));
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < c.Width; ++x)
            c.Alpha[std::size_t(y) * std::size_t(c.Width) + std::size_t(x)] =
                std::uint8_t(qAlpha(image.pixel(x, y)));
    return c;
}

// One range 32..126, the strip header with its depth, the strip itself.
Buffer FontFile(const Coverage& c, int bitsPerPixel, const Buffer& pixels) {
    Buffer f = {'S', 'F', 'N', 'T'};
    f.resize(20, 0);
    Put32(f, 1);  // RangeCount
    f.resize(40, 0);
    Put16(f, 32);
    Put16(f, 126);
    for (std::size_t i = 0; i < c.X.size(); ++i) {
        Put32(f, c.X[i]);
        Put32(f, c.Advance[i]);
    }
    const std::size_t strip = f.size();
    f.resize(strip + 36, 0);
    Put32(f, bitsPerPixel);
    f.resize(strip + 128, 0);
    Put32(f, c.Width);
    Put32(f, c.Height);
    f.insert(f.end(), pixels.begin(), pixels.end());
    return f;
}

std::uint8_t Clamp(double v) { return std::uint8_t(std::clamp(std::lround(v), 0L, 255L)); }

// Entries 0..63: a ramp from black through the ink colour to a light tint,
// for anti-aliased glyphs; 64..255: a hue wheel in three brightnesses.
Buffer Palette(double inkR, double inkG, double inkB) {
    Buffer p;
    for (int i = 0; i < 64; ++i) {
        const double t = i / 63.0;
        const double lift = std::max(0.0, t - 0.7) / 0.3;  // the last stretch goes pale
        p.push_back(Clamp((inkR * t) * (1 - lift) + (inkR + (255 - inkR) * 0.6) * lift));
        p.push_back(Clamp((inkG * t) * (1 - lift) + (inkG + (255 - inkG) * 0.6) * lift));
        p.push_back(Clamp((inkB * t) * (1 - lift) + (inkB + (255 - inkB) * 0.6) * lift));
    }
    for (int i = 64; i < 256; ++i) {
        const int k = i - 64;
        const QColor c = QColor::fromHsvF((k % 64) / 64.0, 0.65, 1.0 - (k / 64) * 0.25);
        p.push_back(std::uint8_t(c.red()));
        p.push_back(std::uint8_t(c.green()));
        p.push_back(std::uint8_t(c.blue()));
    }
    return p;
}

Buffer ColorMapFile(const Buffer& palette) {
    Buffer f = {'C', 'M', 'P', ' '};
    f.resize(64, 0);
    f.insert(f.end(), palette.begin(), palette.end());
    return f;
}

// Header with the palette flag, a little image data, the palette at the end.
Buffer GameBitmapFile(const Buffer& palette) {
    Buffer f = {'B', 'M', ' '};
    f.resize(12, 0);
    Put32(f, 2);
    f.resize(128, 0);
    for (int i = 0; i < 256; ++i) f.push_back(std::uint8_t(i));
    f.insert(f.end(), palette.begin(), palette.end());
    return f;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (argc != 2) {
        std::fprintf(stderr, "usage: make_samples <folder>\n");
        return 2;
    }
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    const std::string dir = std::string(argv[1]) + "/";

    QFont sans(QStringLiteral("DejaVu Sans"));
    sans.setPixelSize(20);
    const Coverage thin = DrawGlyphs(sans, 26);
    Buffer pixels8;
    for (std::uint8_t a : thin.Alpha) pixels8.push_back(std::uint8_t(a * 63 / 255));

    QFont serif(QStringLiteral("DejaVu Serif"));
    serif.setPixelSize(24);
    serif.setBold(true);
    const Coverage bold = DrawGlyphs(serif, 32);
    Buffer pixels16;
    for (int y = 0; y < bold.Height; ++y)
        for (int x = 0; x < bold.Width; ++x) {
            // Amber at the top turning to rose at the bottom.
            const double t = double(y) / (bold.Height - 1);
            const double a =
                bold.Alpha[std::size_t(y) * std::size_t(bold.Width) + std::size_t(x)] / 255.0;
            const int r = int(std::lround(a * 31));
            const int g = int(std::lround(a * (50 - 34 * t)));
            const int b = int(std::lround(a * (4 + 18 * t)));
            const std::uint16_t v = std::uint16_t((r << 11) | (g << 5) | b);
            pixels16.push_back(std::uint8_t(v));
            pixels16.push_back(std::uint8_t(v >> 8));
        }

    const bool ok = WriteFile(dir + "QUILL8.SFT", FontFile(thin, 8, pixels8)) &&
                    WriteFile(dir + "QUILL16.SFT", FontFile(bold, 16, pixels16)) &&
                    WriteFile(dir + "uicolormap.cmp", ColorMapFile(Palette(240, 190, 80))) &&
                    WriteFile(dir + "ICE.BM", GameBitmapFile(Palette(90, 200, 250)));
    return ok ? 0 : 1;
}
