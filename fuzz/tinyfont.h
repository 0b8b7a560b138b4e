// A TrueType font of three glyphs (the missing-glyph box, "A" and "B"),
// written table by table, for the outline fuzz target's seeds.
#pragma once

#include <cstdint>
#include <map>
#include <string>
#include <vector>

namespace tiny {

using Buf = std::vector<std::uint8_t>;

inline void U16(Buf& b, int v) {
    b.push_back(std::uint8_t(v >> 8));
    b.push_back(std::uint8_t(v));
}
inline void U32(Buf& b, std::uint32_t v) {
    U16(b, int(v >> 16));
    U16(b, int(v & 0xFFFF));
}

// One closed contour per list of on-curve points.
inline Buf Glyph(const std::vector<std::vector<std::pair<int, int>>>& contours) {
    Buf g;
    int n = 0, x0 = 1 << 15, y0 = 1 << 15, x1 = -x0, y1 = -y0;
    for (const auto& c : contours)
        for (auto [x, y] : c)
            x0 = std::min(x0, x), y0 = std::min(y0, y), x1 = std::max(x1, x), y1 = std::max(y1, y);
    U16(g, int(contours.size()));
    for (int v : {x0, y0, x1, y1}) U16(g, v);
    for (const auto& c : contours) U16(g, (n += int(c.size())) - 1);
    U16(g, 0);                                   // no instructions
    for (int i = 0; i < n; ++i) g.push_back(1);  // on the curve, 16-bit deltas
    for (int axis = 0; axis < 2; ++axis) {
        int last = 0;
        for (const auto& c : contours)
            for (auto [x, y] : c) {
                const int v = axis ? y : x;
                U16(g, v - last);
                last = v;
            }
    }
    if (g.size() % 2) g.push_back(0);
    return g;
}

inline Buf Font(bool hinted = false) {
    const std::vector<Buf> glyphs = {
        Glyph({{{50, 0}, {50, 700}, {450, 700}, {450, 0}},
               {{100, 50}, {400, 50}, {400, 650}, {100, 650}}}),
        Glyph({{{0, 0}, {300, 720}, {600, 0}}}),
        Glyph({{{60, 0}, {60, 720}, {520, 720}, {520, 0}},
               {{160, 100}, {420, 100}, {420, 620}, {160, 620}}}),
    };
    std::map<std::string, Buf> t;
    Buf& glyf = t["glyf"];
    Buf& loca = t["loca"];
    for (const Buf& g : glyphs) {
        U16(loca, int(glyf.size() / 2));
        glyf.insert(glyf.end(), g.begin(), g.end());
    }
    U16(loca, int(glyf.size() / 2));
    Buf& head = t["head"];
    U32(head, 0x10000), U32(head, 0x10000), U32(head, 0), U32(head, 0x5F0F3CF5);
    U16(head, 8), U16(head, 1000);
    for (int i = 0; i < 4; ++i) U32(head, 0);  // created, modified
    for (int v : {0, 0, 600, 720, 0, 8, 2, 0, 0}) U16(head, v);
    Buf& hhea = t["hhea"];
    U32(hhea, 0x10000);
    for (int v : {800, 0xFFFF - 199, 0, 650, 0, 0, 600, 1, 0, 0, 0, 0, 0, 0, 0, 3}) U16(hhea, v);
    Buf& maxp = t["maxp"];
    U32(maxp, 0x10000);
    for (int v : {3, 8, 2, 0, 0, 2, 0, 0, 1, 0, 64, 0, 0, 0}) U16(maxp, v);
    Buf& hmtx = t["hmtx"];
    for (int v : {500, 50, 650, 0, 600, 60}) U16(hmtx, v);
    Buf& cmap = t["cmap"];
    U16(cmap, 0), U16(cmap, 1), U16(cmap, 3), U16(cmap, 1), U32(cmap, 12);
    // Format 4: "A" and "B" to glyphs 1 and 2, and the closing segment.
    for (int v : {4, 32, 0, 4, 4, 1, 0, 66, 0xFFFF, 0, 65, 0xFFFF, 0x10000 - 64, 1, 0, 0})
        U16(cmap, v);
    if (hinted) {
        // A font program and a prep that the interpreter runs at each size.
        t["fpgm"] = {0xB0, 0x00, 0x2C, 0x2D};              // PUSHB 0, FDEF, ENDF
        t["prep"] = {0xB0, 0x40, 0x1D, 0xB0, 0x00, 0x2B};  // PUSHB 64, SCVTCI, PUSHB 0, CALL
    }

    Buf out;
    U32(out, 0x10000);
    int log2 = 0;
    while (2 << log2 <= int(t.size())) ++log2;
    U16(out, int(t.size())), U16(out, 16 << log2), U16(out, log2);
    U16(out, int(t.size()) * 16 - (16 << log2));
    std::uint32_t offset = 12 + 16 * std::uint32_t(t.size());
    for (const auto& [tag, body] : t) {
        for (char c : tag) out.push_back(std::uint8_t(c));
        U32(out, 0), U32(out, offset), U32(out, std::uint32_t(body.size()));
        offset += std::uint32_t((body.size() + 3) / 4 * 4);
    }
    for (const auto& [tag, body] : t) {
        out.insert(out.end(), body.begin(), body.end());
        out.resize((out.size() + 3) / 4 * 4, 0);
    }
    return out;
}

}  // namespace tiny
