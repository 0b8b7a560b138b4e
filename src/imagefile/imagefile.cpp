#include "imagefile.h"

#include <QBuffer>
#include <QByteArray>
#include <QFile>
#include <QImage>
#include <QImageReader>
#include <algorithm>
#include <cstring>
#include <limits>

#include "bmpread.h"
#include "fileio.h"

namespace {

// Some decoders fill rows that a short file lacks without a word, so the
// length that the headers promise is checked here. BMP: uncompressed rows
// (plain or bit fields) must all lie within the file. PNG: the file must
// run to its closing IEND chunk.
// Head is the file's first bytes (at least the BMP headers, when it has them),
// tail its last 8.
void CheckComplete(ByteSpan f, ByteSpan tail, std::uint64_t size) {
    const auto fail = [] { throw EFontError("the file ends before its pixels do"); };
    if (f.size() >= 8 && std::memcmp(f.data(), "\x89PNG\r\n\x1a\n", 8) == 0) {
        if (size < 20 || tail.size() < 8 || std::memcmp(tail.data(), "IEND", 4) != 0) fail();
        return;
    }
    if (f.size() < 2 || f[0] != 'B' || f[1] != 'M') return;
    if (f.size() < 34) fail();
    const std::uint32_t infoSize = GetU32(f.data() + 14);
    if (infoSize < 40) return;  // the old 12-byte header: rare, left to the decoder
    const std::uint32_t compression = GetU32(f.data() + 30);
    if (compression != 0 && compression != 3 && compression != 6) return;
    const std::int64_t width = GetI32(f.data() + 18), height = GetI32(f.data() + 22);
    const std::uint64_t bits = GetU16(f.data() + 28);
    if (width <= 0 || height == 0) return;  // the decoder refuses these itself
    const std::uint64_t stride = ((std::uint64_t(width) * bits + 31) / 32) * 4;
    const std::uint64_t rows = std::uint64_t(height < 0 ? -height : height);
    if (stride != 0 && rows > std::numeric_limits<std::uint64_t>::max() / 2 / stride) fail();
    if (std::uint64_t(GetU32(f.data() + 10)) + stride * rows > size) fail();
}

// The decoders' own warnings ("libpng error: ...") would add to the one line
// that says why a picture is refused.
struct QuietDecoders {
    QuietDecoders()
        : previous(
              qInstallMessageHandler([](QtMsgType, const QMessageLogContext&, const QString&) {})) {
    }
    ~QuietDecoders() { qInstallMessageHandler(previous); }
    QtMessageHandler previous;
};

// Colours are read straight into the result where the decoder takes the
// memory it is given.
// The most pixels a byte of a picture file can stand for: a PNG's deflate
// packs at most 1032 bytes into one, of 8 pixels at 1 bit; a BMP's RLE skips
// at most 255 x 255 pixels in 4 bytes.
constexpr std::uint64_t kPixelsPerByte = 1u << 14;

// Decodes the picture that Device reads from a file of FileSize bytes.
TImagePixels Decode(QIODevice& Device, std::uint64_t FileSize) {
    const QuietDecoders quiet;
    QImageReader reader(&Device);
    reader.setAutoTransform(false);
    TImagePixels out;
    QImage image;
    const QSize size = reader.size();
    // A header may claim any size; memory goes only to what the file can hold.
    if (size.isValid() &&
        std::uint64_t(size.width()) * std::uint64_t(size.height()) > FileSize * kPixelsPerByte)
        throw EFontError("a picture of " + std::to_string(size.width()) + " x " +
                         std::to_string(size.height()) + " pixels can't be held in " +
                         std::to_string(FileSize) + " bytes");
    const bool direct = size.isValid() && (reader.imageFormat() == QImage::Format_RGB32 ||
                                           reader.imageFormat() == QImage::Format_ARGB32);
    if (direct && std::uint64_t(size.width()) * std::uint64_t(size.height()) <= (1u << 28)) {
        out.Colors.resize(std::size_t(size.width()) * std::size_t(size.height()));
        image = QImage(reinterpret_cast<uchar*>(out.Colors.data()), size.width(), size.height(),
                       qsizetype(4) * size.width(), reader.imageFormat());
    }
    if (!reader.read(&image))
        throw EFontError("not a picture that can be read (BMP or PNG): " +
                         reader.errorString().toStdString());
    if (!out.Colors.empty() && image.constBits() == reinterpret_cast<uchar*>(out.Colors.data())) {
        out.Width = image.width();
        out.Height = image.height();
        return out;
    }
    return ImagePixelsOf(std::move(image));
}

}  // namespace

TImagePixels ImagePixelsOf(const QImage& Image) {
    QImage image = Image;
    TImagePixels out;
    out.Width = image.width();
    out.Height = image.height();
    const std::size_t w = std::size_t(out.Width);
    if (image.format() == QImage::Format_Mono || image.format() == QImage::Format_MonoLSB)
        image = image.convertToFormat(QImage::Format_Indexed8);  // keeps the indices
    if (image.format() == QImage::Format_Indexed8) {
        out.Indexed = true;
        out.Colors = {};
        out.ColorTable.fill(0xFF000000u);  // indices past a short table are black
        const QList<QRgb> table = image.colorTable();
        for (qsizetype k = 0; k < table.size() && k < 256; ++k)
            out.ColorTable[std::size_t(k)] = table[k];
        out.Indices.resize(w * std::size_t(out.Height));
        for (int y = 0; y < out.Height; ++y)
            std::memcpy(out.Indices.data() + std::size_t(y) * w, image.constScanLine(y), w);
        return out;
    }
    if (image.format() != QImage::Format_RGB32 && image.format() != QImage::Format_ARGB32)
        image = image.convertToFormat(QImage::Format_ARGB32);
    out.Colors.resize(w * std::size_t(out.Height));
    for (int y = 0; y < out.Height; ++y)
        std::memcpy(out.Colors.data() + std::size_t(y) * w, image.constScanLine(y), 4 * w);
    return out;
}

TImagePixels DecodeImagePixels(ByteSpan File) {
    if (BmpFormIsRead(File)) return ReadBmp(File);
    CheckComplete(File, File.subspan(File.size() - std::min<std::size_t>(8, File.size())),
                  File.size());
    QByteArray bytes =
        QByteArray::fromRawData(reinterpret_cast<const char*>(File.data()), qsizetype(File.size()));
    QBuffer buffer(&bytes);
    buffer.open(QIODevice::ReadOnly);
    return Decode(buffer, File.size());
}

TImagePixels LoadImagePixels(const std::string& Path) {
    ReadOnlyFile file;
    if (!file.Open(Path)) throw EFontError(WhyNotReadable(Path));
    // BMP forms that the core reads are read whole. For the others only the
    // headers and the end are read here; Qt's decoder reads the rest from the
    // file itself, so a large picture is never held twice.
    std::uint8_t head[64], tail[8];
    const std::size_t headSize = std::min<std::uint64_t>(sizeof head, file.Size());
    const std::size_t tailSize = std::min<std::uint64_t>(sizeof tail, file.Size());
    if (!file.ReadAt(0, head, headSize) || !file.ReadAt(file.Size() - tailSize, tail, tailSize))
        throw EFontError("the file could not be read");
    if (BmpFormIsRead(ByteSpan(head, headSize))) {
        if (file.Size() > std::numeric_limits<std::size_t>::max()) throw std::bad_alloc();
        Bytes bytes(std::size_t(file.Size()));
        if (!file.ReadAt(0, bytes.data(), bytes.size()))
            throw EFontError("the file could not be read");
        return ReadBmp(bytes);
    }
    CheckComplete(ByteSpan(head, headSize), ByteSpan(tail, tailSize), file.Size());
    QFile device(QString::fromStdString(Path));
    if (!device.open(QIODevice::ReadOnly)) throw EFontError(WhyNotReadable(Path));
    return Decode(device, file.Size());
}
