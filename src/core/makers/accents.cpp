#include "makers/accents.h"

#include <algorithm>
#include <array>
#include <cstdio>
#include <map>

#include "base/errors.h"
#include "font/strip.h"
#include "makers/guides.h"
#include "makers/outlinestrip.h"
#include "text/charcode.h"

namespace {

// A combining mark and the spacing forms whose glyphs draw it, best first.
struct TMark {
    char32_t Combining;
    std::array<char32_t, 2> Spacing;
    bool Below = false;
};

constexpr TMark kMarks[] = {
    {0x300, {0x60}},        {0x301, {0xB4}},  {0x302, {0x2C6, 0x5E}}, {0x303, {0x2DC, 0x7E}},
    {0x304, {0xAF}},        {0x306, {0x2D8}}, {0x307, {0x2D9}},       {0x308, {0xA8}},
    {0x30A, {0x2DA, 0xB0}}, {0x30B, {0x2DD}}, {0x30C, {0x2C7}},       {0x327, {0xB8}, true},
    {0x328, {0x2DB}, true},
};
constexpr char32_t kOgonek = 0x328;

const TMark* MarkOf(char32_t Combining) {
    for (const TMark& m : kMarks)
        if (m.Combining == Combining) return &m;
    return nullptr;
}

bool Combining(char32_t C) { return C >= 0x300 && C <= 0x36F; }

std::string Named(std::uint32_t Code) {
    char hex[16];
    std::snprintf(hex, sizeof hex, "U+%04X", unsigned(Code));
    const bool shown = Code >= 0x20 && !(Code >= 0x7F && Code < 0xA0) && !Combining(Code);
    return shown ? Utf8Of(Code) + " (" + hex + ")" : std::string(hex);
}

std::int64_t FloorHalf(std::int64_t V) { return V >= 0 ? V / 2 : -((1 - V) / 2); }

// A built glyph: its base's columns with the mark's ink box put at Left, Top.
struct TBuilt {
    std::uint32_t Code;
    int BaseRow;
    TGlyphExtent Base;
    TPixelRect Ink;  // the mark's ink, in strip columns
    std::int32_t Left, Top;
    char32_t Letter, Mark;
};

}  // namespace

std::vector<std::uint32_t> AccentCodes(std::string_view Text) {
    std::vector<std::uint32_t> codes;
    std::size_t at = 0;
    while ((at = Text.find_first_not_of(" \t\r\n", at)) != std::string_view::npos) {
        const std::size_t end = std::min(Text.find_first_of(" \t\r\n", at), Text.size());
        const std::string_view word = Text.substr(at, end - at);
        at = end;
        const std::size_t dash = word.find('-', 1);
        if (word.size() > 2 && (word[0] | 0x20) == 'u' && word[1] == '+' &&
            dash != std::string_view::npos) {
            const std::uint32_t first = CharacterCode(word.substr(0, dash));
            const std::uint32_t last = CharacterCode(word.substr(dash + 1));
            if (last < first)
                throw EFontError("The range " + std::string(word) + " runs backwards");
            for (std::uint32_t c = first; c <= last; ++c) codes.push_back(c);
        } else if (word.size() > 2 && (word[0] | 0x20) == 'u' && word[1] == '+') {
            codes.push_back(CharacterCode(word));
        } else {
            std::u32string chars;
            try {
                chars = DecodeUtf8(word);
            } catch (const EFontError&) {
                throw EFontError("\"" + std::string(word) + "\" is not text");
            }
            codes.insert(codes.end(), chars.begin(), chars.end());
        }
    }
    if (codes.empty())
        throw EFontError("Type the characters to build, or ranges such as U+0100-U+017F");
    return codes;
}

TAccentPlan PlanAccented(const TEditedFont& Font, std::uint16_t Background,
                         std::vector<TAccentRequest> Requests) {
    std::stable_sort(
        Requests.begin(), Requests.end(),
        [](const TAccentRequest& a, const TAccentRequest& b) { return a.Code < b.Code; });
    const std::vector<TCharEntry>& table = Font.Table();
    std::map<std::uint32_t, int> rowOf;
    for (std::size_t r = table.size(); r-- > 0;) rowOf[table[r].Code] = int(r);
    const auto has = [&](char32_t c) { return rowOf.count(c) != 0; };
    const TStripGeometry glyphs(table, Font.Font().Width);
    const TPixelGrid grid = ReadOnlyGrid(Font.Font());
    const auto ink = [&](TGlyphExtent g) {
        return InkBox(Font.Font(), g, Background).value_or(TPixelRect{});
    };

    TAccentPlan plan;
    std::vector<TBuilt> built;
    std::int64_t width = 0;
    for (std::size_t i = 0; i < Requests.size(); ++i) {
        const TAccentRequest& q = Requests[i];
        if (i > 0 && Requests[i - 1].Code == q.Code) continue;
        const auto refuse = [&](std::string Why) {
            plan.Refused.push_back({q.Code, std::move(Why)});
        };
        const TMark* mark = q.Decomposition.size() == 2 ? MarkOf(q.Decomposition[1]) : nullptr;
        if (has(q.Code)) {
            refuse("already in the font");
            continue;
        }
        if (!mark || Combining(q.Decomposition[0]) || q.Code > 0xFFFF) {
            refuse("not one letter and one mark");
            continue;
        }
        char32_t base = q.Decomposition[0];
        if (!mark->Below && base == U'i' && has(0x131)) base = 0x131;
        if (!mark->Below && base == U'j' && has(0x237)) base = 0x237;
        if (!has(base)) {
            refuse("the font lacks the letter " + Named(base));
            continue;
        }
        const char32_t* form = std::find_if(mark->Spacing.begin(), mark->Spacing.end(),
                                            [&](char32_t c) { return c != 0 && has(c); });
        if (form == mark->Spacing.end()) {
            refuse("the font lacks the mark " + Named(mark->Spacing[0]));
            continue;
        }
        TBuilt b{q.Code, rowOf[base], glyphs.Extent(std::size_t(rowOf[base])), {}, 0, 0,
                 base,   *form};
        const TPixelRect baseInk = ink(b.Base);
        b.Ink = ink(glyphs.Extent(std::size_t(rowOf[*form])));
        if (baseInk.Empty()) {
            refuse("the font's letter " + Named(base) + " is blank");
            continue;
        }
        if (b.Ink.Empty()) {
            refuse("the font's mark " + Named(*form) + " is blank");
            continue;
        }
        const std::int64_t markW = b.Ink.Right - b.Ink.Left, markH = b.Ink.Bottom - b.Ink.Top;
        std::int64_t left =
            mark->Combining == kOgonek
                ? std::int64_t(baseInk.Right) - markW
                : baseInk.Left + FloorHalf(std::int64_t(baseInk.Right) - baseInk.Left - markW);
        left -= b.Base.Begin;
        std::int64_t top = 0;
        bool room = left >= 0 && left + markW <= b.Base.End - b.Base.Begin;
        if (mark->Below) {
            top = baseInk.Bottom;
            room = room && top + markH <= grid.Height;
        } else {
            top = std::max<std::int64_t>(std::int64_t(baseInk.Top) - 1 - markH, 0);
            room = room && top + markH <= baseInk.Top;
        }
        if (!room) {
            refuse("no room");
            continue;
        }
        b.Left = std::int32_t(left), b.Top = std::int32_t(top);
        width += b.Base.End - b.Base.Begin;
        built.push_back(b);
    }
    if (built.empty()) return plan;
    if (!StripFits(Font.BitsPerPixel(), Font.Font().Width + width, grid.Height))
        throw EFontError("The built characters would make the strip wider than a font holds");

    // The bases' columns side by side, then each mark's ink onto its own.
    const std::size_t bpp = std::size_t(grid.BytesPerPixel), row = std::size_t(width) * bpp;
    plan.Width = std::int32_t(width);
    plan.Pixels.resize(row * std::size_t(grid.Height));
    std::int32_t x = 0;
    for (const TBuilt& b : built) {
        const std::size_t w = std::size_t(b.Base.End - b.Base.Begin) * bpp;
        for (std::int32_t y = 0; y < grid.Height; ++y)
            std::copy_n(
                grid.Data +
                    (std::size_t(y) * std::size_t(grid.Width) + std::size_t(b.Base.Begin)) * bpp,
                w, plan.Pixels.data() + std::size_t(y) * row + std::size_t(x) * bpp);
        for (std::int32_t my = b.Ink.Top; my < b.Ink.Bottom; ++my)
            for (std::int32_t mx = b.Ink.Left; mx < b.Ink.Right; ++mx) {
                const std::uint16_t v = grid.Get(mx, my);
                if (v == Background) continue;
                const std::size_t at = std::size_t(b.Top + my - b.Ink.Top) * row +
                                       std::size_t(x + b.Left + mx - b.Ink.Left) * bpp;
                plan.Pixels[at] = std::uint8_t(v);
                if (bpp == 2) plan.Pixels[at + 1] = std::uint8_t(v >> 8);
            }
        plan.Rows.push_back({std::uint16_t(b.Code), x, table[std::size_t(b.BaseRow)].Extra});
        plan.Sources.push_back({b.Letter, b.Mark});
        x += b.Base.End - b.Base.Begin;
    }
    return plan;
}

TAccentPlan PlanAccentedIn(const TEditedFont& Font, const TCodePageMap& Page,
                           std::uint16_t Background, std::vector<TAccentRequest> Requests) {
    if (Page.Unicode()) return PlanAccented(Font, Background, std::move(Requests));
    // The font seen with characters for codes; a code the page leaves
    // undefined becomes a private-use one, which is no letter or mark.
    TEditedFont seen = Font;
    std::vector<TCharEntry> table = Font.Table();
    for (TCharEntry& e : table)
        e.Code = std::uint16_t(Page.CharOf(e.Code).value_or(0xE000 | (e.Code & 0xFFF)));
    seen.SetTable(std::move(table));
    std::vector<TAccentRefusal> lacking;
    std::erase_if(Requests, [&](const TAccentRequest& q) {
        const bool lacks = !Page.CodeOf(q.Code);
        if (lacks) lacking.push_back({q.Code, "not in " + Page.Name()});
        return lacks;
    });
    TAccentPlan plan = PlanAccented(seen, Background, std::move(Requests));
    for (TCharEntry& row : plan.Rows) row.Code = *Page.CodeOf(row.Code);
    // The font's codes need not follow the characters' order.
    std::vector<std::size_t> order(plan.Rows.size());
    for (std::size_t i = 0; i < order.size(); ++i) order[i] = i;
    std::sort(order.begin(), order.end(),
              [&](std::size_t a, std::size_t b) { return plan.Rows[a].Code < plan.Rows[b].Code; });
    TAccentPlan sorted{plan.Width, {}, {}, {}, std::move(plan.Refused)};
    sorted.Pixels.resize(plan.Pixels.size());
    const std::size_t bpp = std::size_t(Font.BitsPerPixel() / 8),
                      rows = std::size_t(Font.Font().Height);
    std::int32_t x = 0;
    for (std::size_t i : order) {
        const std::int32_t from = plan.Rows[i].X;
        const std::int32_t to = i + 1 < plan.Rows.size() ? plan.Rows[i + 1].X : plan.Width;
        for (std::size_t y = 0; y < rows; ++y)
            std::copy_n(
                plan.Pixels.data() + (y * std::size_t(plan.Width) + std::size_t(from)) * bpp,
                std::size_t(to - from) * bpp,
                sorted.Pixels.data() + (y * std::size_t(plan.Width) + std::size_t(x)) * bpp);
        sorted.Rows.push_back({plan.Rows[i].Code, x, plan.Rows[i].Extra});
        sorted.Sources.push_back(plan.Sources[i]);
        x += to - from;
    }
    sorted.Refused.insert(sorted.Refused.end(), lacking.begin(), lacking.end());
    return sorted;
}

std::string NotBuiltText(const std::vector<TAccentRefusal>& Refused) {
    if (Refused.empty()) return {};
    constexpr std::size_t kShown = 24;
    std::string text = Refused.size() == 1
                           ? "1 character was not built:"
                           : std::to_string(Refused.size()) + " characters were not built:";
    for (std::size_t i = 0; i < std::min(Refused.size(), kShown); ++i)
        text += "\n" + Named(Refused[i].Code) + ": " + Refused[i].Why;
    if (Refused.size() > kShown)
        text += "\nand " + std::to_string(Refused.size() - kShown) + " more";
    return text;
}
