#include "picture/export.h"

#include <algorithm>
#include <functional>

using namespace bmplayout;

namespace {

using TFill = std::function<void(std::size_t, std::size_t, std::uint8_t*)>;

// The file a few hundred KiB of rows at a time, so that the whole image is
// never held: fill puts file rows First .. First + Count - 1 at Out.
void Pieces(const TBmpRows& Rows, const TPieceWriter& Write, const TFill& fill) {
    const std::size_t perPiece =
        std::max<std::size_t>(1, (256u << 10) / std::max(Rows.Stride(), std::size_t(1)));
    const std::size_t head = Rows.Headers().size();
    Bytes piece(head + std::min(perPiece, Rows.Count()) * Rows.Stride());
    // The headers go out with the first rows: a small font takes one write.
    std::copy(Rows.Headers().begin(), Rows.Headers().end(), piece.begin());
    std::size_t at = head;
    for (std::size_t r = 0; r < Rows.Count() || at != 0; r += perPiece, at = 0) {
        const std::size_t n = std::min(perPiece, Rows.Count() - r);
        fill(r, n, piece.data() + at);
        if (!Write(ByteSpan(piece.data(), at + n * Rows.Stride()))) return;
    }
}

void SavePieces(const TBmpRows& Rows, const std::string& FileName, Durability durability,
                const TFill& fill) {
    WriteFileAtomically(
        FileName, [&](const TPieceWriter& write) { Pieces(Rows, write, fill); }, durability);
}

}  // namespace

void BmpPieces(const TBmpRows& Rows, const TPieceWriter& Write) {
    Pieces(Rows, Write,
           [&](std::size_t first, std::size_t n, std::uint8_t* out) { Rows.Write(first, n, out); });
}

void SaveBmpRows(const TBmpRows& Rows, const std::string& FileName, Durability durability) {
    SavePieces(
        Rows, FileName, durability,
        [&](std::size_t first, std::size_t n, std::uint8_t* out) { Rows.Write(first, n, out); });
}

void SaveBmpFromFile(const TBmpRows& Rows, ReadOnlyFile& Font, std::uint64_t PixelsAt,
                     const std::string& FileName, Durability durability) {
    const std::size_t rowSize = Rows.PixelRowSize();
    Bytes band;
    SavePieces(Rows, FileName, durability,
               [&](std::size_t first, std::size_t n, std::uint8_t* out) {
                   // The file's rows go bottom up: the strip's rows above those written.
                   const std::size_t top = Rows.Count() - first - n;
                   if (band.size() < n * rowSize) band = Bytes(n * rowSize);
                   if (!Font.ReadAt(PixelsAt + top * rowSize, band.data(), n * rowSize))
                       throw EToolkitError(kInvalidSFT);  // the font shrank since it was read
                   Rows.WriteFrom(band.data(), n, out);
               });
}

namespace {
#ifdef _WIN32
constexpr const char* kSeparators = "\\/:";
#else
constexpr const char* kSeparators = "/";
#endif
}  // namespace

std::string FolderOf(const std::string& Path) {
    const auto cut = Path.find_last_of(kSeparators);
    return cut == std::string::npos ? std::string() : Path.substr(0, cut + 1);
}

std::string ProposedExportName(const std::string& FontPath, const std::string& LastSaveDir) {
    std::string name = FontPath.substr(FolderOf(FontPath).size());
    const auto dot = name.find_last_of('.');
    if (dot != std::string::npos) name.erase(dot);
    return LastSaveDir + name + ".BMP";
}
