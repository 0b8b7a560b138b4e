// The page's editing commands: each one call on the session.
#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <new>
#include <stdexcept>

#include "font/tabletext.h"
#include "image/color.h"
#include "page.h"
#include "picture/rgba.h"
#include "session/commands.h"
#include "session/display.h"
#include "text/charcode.h"
#include "text/textfile.h"

namespace {

std::vector<TTextRow> TextRows(val Rows) {
    std::vector<TTextRow> rows;
    const auto length = Rows["length"].as<unsigned>();
    for (unsigned r = 0; r < length; ++r)
        rows.push_back({Rows[r][0].as<std::string>(), Rows[r][1].as<std::string>(),
                        Rows[r][2].as<std::string>()});
    return rows;
}

val RowsVal(const std::vector<TTextRow>& Rows) {
    val out = val::array();
    for (std::size_t r = 0; r < Rows.size(); ++r)
        out.set(r, ArrayOf(std::vector<std::string>(Rows[r].begin(), Rows[r].end())));
    return out;
}

}  // namespace

val TPage::Press(int X, int Y, int Button, bool Ctrl, bool Shift) {
    return Guarded([&] {
        if (!picture_ || (Button != 0 && Button != 2)) return val::object();
        const TPointer button = Button == 2 ? TPointer::Right : TPointer::Left;
        return Report(session_.Press(X, Y, button, Ctrl, Shift));
    });
}

val TPage::Drag(int X, int Y, bool Shift) {
    try {
        return Report(session_.Drag(X, Y, Shift));
    } catch (const std::exception& e) {
        // The stroke was taken back: the whole strip is shown again.
        picture_->LoadFromFont(session_.Font().Font(), session_.Palette());
        val out = Error(std::string(e.what()) + ".");
        out.set("area", ArrayOf(std::vector<int>{0, 0, Width(), Height()}));
        return out;
    }
}

val TPage::Release() {
    return Guarded([&] { return Report(session_.Release()); });
}

val TPage::Colors() const {
    val out = val::object();
    out.set("current", session_.Current());
    out.set("background", session_.Background());
    return out;
}

void TPage::SetColor(bool Background, int Value) {
    session_.SetColor(Background, std::uint16_t(Value));
}

int TPage::To565(int R, int G, int B) const {
    return ::To565(TRgb{std::uint8_t(R), std::uint8_t(G), std::uint8_t(B)});
}

val TPage::RgbOf(int Value) const {
    const std::array<std::uint8_t, 3> rgb = session_.RgbOf(std::uint16_t(Value));
    return ArrayOf(std::vector<int>{rgb[0], rgb[1], rgb[2]});
}

void TPage::Select(val Rows, int Current) {
    session_.Select(emscripten::vecFromJSArray<int>(Rows), Current);
}

val TPage::Selection() const {
    val out = val::object();
    out.set("rows", ArrayOf(session_.Selection()));
    out.set("current", session_.CurrentRow());
    return out;
}

val TPage::GoTo(const std::string& Text) {
    return Guarded([&] { return Report(session_.GoTo(Text)); });
}

val TPage::ChooseEntry(const std::string& Id, int Index) {
    return Guarded([&] {
        ::ChooseEntry(CommandOf(Id), session_, std::size_t(Index));
        return Done();
    });
}

val TPage::CheckText(const std::string& Text, val Decompose) const {
    return Guarded([&] {
        const TTextCheck check = session_.CheckText(DecodeUtf8(Text), [&](char32_t C) {
            const auto parts =
                emscripten::vecFromJSArray<std::uint32_t>(Decompose(std::uint32_t(C)));
            return std::u32string(parts.begin(), parts.end());
        });
        val out = val::object();
        out.set("characters", double(check.Characters));
        val missing = val::array();
        for (std::size_t i = 0; i < check.Missing.size(); ++i) {
            const TMissingChar& m = check.Missing[i];
            char hex[16];
            std::snprintf(hex, sizeof hex, "U+%04X", unsigned(m.Char));
            val row = val::object();
            row.set("char", Utf8Of(m.Char));
            row.set("codePoint", std::uint32_t(m.Char));
            row.set("unicode", std::string(hex));
            row.set("code", m.Code ? val(int(*m.Code)) : val::null());
            row.set("fix", m.Fix == TFix::Build ? "build"
                           : m.Fix == TFix::Add ? "add"
                                                : "codepage");
            row.set("what", FixText(m, session_.CodePage()));
            missing.set(i, row);
        }
        out.set("missing", missing);
        return out;
    });
}

val TPage::ReadText(const std::string& File, const std::string& Name) const {
    return Guarded([&] {
        val out = val::object();
        std::u32string all;
        try {
            all = ::ReadText(SpanOf(File), Name).All;
        } catch (const EFontError& e) {
            return Error(e.what());  // its sentence ends already
        }
        std::string text;
        for (char32_t c : all) text += Utf8Of(c);
        out.set("text", text);
        return out;
    });
}

val TPage::GoToChar(int Char) {
    return Guarded([&] { return Report(session_.GoToChar(char32_t(Char))); });
}

val TPage::AccentCodes(const std::string& Text) const {
    return Guarded([&] {
        val out = val::object();
        out.set("codes", ArrayOf(::AccentCodes(Text)));
        return out;
    });
}

val TPage::BuildAccented(val Codes, val Decompositions) {
    return Guarded([&] {
        const auto codes = emscripten::vecFromJSArray<std::uint32_t>(Codes);
        std::vector<TAccentRequest> asked;
        for (std::size_t i = 0; i < codes.size(); ++i) {
            const auto parts = emscripten::vecFromJSArray<std::uint32_t>(Decompositions[i]);
            asked.push_back({codes[i], std::u32string(parts.begin(), parts.end())});
        }
        TEditSession::TBuiltAccents built = session_.BuildAccented(std::move(asked));
        val out = Report(built.Change);
        if (!built.NotBuilt.empty()) out.set("notBuilt", built.NotBuilt);
        return out;
    });
}

val TPage::ReplaceColor(int From, int To) {
    return Guarded(
        [&] { return Report(session_.ReplaceColor(std::uint16_t(From), std::uint16_t(To))); });
}

double TPage::CountColor(int Value) {
    return picture_ ? double(session_.CountColor(std::uint16_t(Value))) : 0;
}

val TPage::ColorValueOf(const std::string& Field, const std::string& Text) const {
    return Guarded([&] {
        val out = val::object();
        out.set("value", ::ColorValueOf(Bits(), Field, Text));
        return out;
    });
}

std::string TPage::ColorValueText(int Value) const {
    return ::ColorValueText(Bits(), std::uint16_t(Value));
}

val TPage::TableRows() const {
    return Guarded([&] { return RowsVal(TextRowsOf(session_.Font().Table())); });
}

val TPage::RowAfter(val Row) const {
    return Guarded([&] {
        if (Row.isNull() || Row.isUndefined()) return RowsVal({::RowAfter(nullptr)})[0];
        const TTextRow previous = TextRows(val::array(std::vector<val>{Row}))[0];
        return RowsVal({::RowAfter(&previous)})[0];
    });
}

val TPage::SortRows(val Rows) const {
    return Guarded([&] {
        val out = val::object();
        out.set("rows", RowsVal(SortedByCode(TextRows(Rows))));
        return out;
    });
}

val TPage::SetTable(val Rows, int Row) {
    return Guarded([&] {
        std::vector<TCharEntry> table;
        try {
            table = TableOfTextRows(TextRows(Rows));
        } catch (const EFontError& e) {
            val out = Error(std::string(e.what()) + ".");
            out.set("refused", true);
            return out;
        }
        return Report(session_.SetTable(std::move(table), Row));
    });
}

std::string TPage::Tool() const { return ToolCommand(session_.Tool()).Id; }

void TPage::SetTool(const std::string& Id) {
    try {
        session_.SetTool(ToolOf(Id));
    } catch (const std::out_of_range&) {
        // A tool the page no longer has: the one in use stays.
    }
}

val TPage::PixelFrame() const {
    const TPixelRect f = session_.PixelFrame();
    if (f.Empty()) return val::null();
    return ArrayOf(std::vector<int>{f.Left, f.Top, f.Right, f.Bottom});
}

std::string TPage::ToolStatus(const std::string& Readout) const {
    return ::ToolStatus(session_.Tool(), Readout);
}

val TPage::GlyphPicture(int Row) {
    // Selected pixels, or the glyph's columns.
    if (!session_.PixelFrame().Empty()) return AreaPicture(session_.CopyArea());
    const TGlyphExtent glyph = session_.Glyph(Row);
    return AreaPicture({glyph.Begin, 0, glyph.End, Height()});
}

val TPage::StripPicture() { return AreaPicture({0, 0, Width(), Height()}); }

val TPage::AreaPicture(TPixelRect Area) {
    return Guarded([&] {
        const int w = Area.Right - Area.Left, h = Area.Bottom - Area.Top;
        if (w <= 0 || h <= 0) return val::null();
        val out = val::object();
        out.set("width", w);
        out.set("height", h);
        out.set("indexed", Bits() == 8);
        Bytes data(std::size_t(w) * std::size_t(h) * (Bits() == 8 ? 1 : 4));
        Bytes table(256 * 4);
        if (Bits() == 8) {
            const TSftFont& font = session_.Font().Font();
            for (int y = 0; y < h; ++y)
                std::copy_n(font.Pixels.data() +
                                std::size_t(y + Area.Top) * std::size_t(font.Width) +
                                std::size_t(Area.Left),
                            w, data.data() + std::size_t(y) * std::size_t(w));
            for (std::size_t k = 0; k < 256; ++k) {
                std::copy_n(&session_.Palette()[3 * k], 3, &table[4 * k]);
                table[4 * k + 3] = 255;
            }
        } else {
            PictureRGBA(*picture_, Area.Left, Area.Top, w, h, data.data());
        }
        out.set("data", ByteArray(data));
        out.set("table", ByteArray(table));
        return out;
    });
}

val TPage::PastePixels(int W, int H, bool Indexed, const std::string& Data,
                       const std::string& Table, bool Nearest) {
    return Guarded([&] {
        const std::optional<TImagePixels> image = ImageOf(W, H, Indexed, Data, Table);
        if (!image) return Error(std::string(kNoPictureToPaste) + ".");
        try {
            return Report(session_.Paste(*image, Nearest));
        } catch (const EColorsNotInPalette& e) {
            return Question(e);
        }
    });
}
