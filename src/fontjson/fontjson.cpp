#include "fontjson.h"

#include <limits>

#include "base/errors.h"

namespace {

template <std::size_t N>
std::string Hex(const std::array<std::uint8_t, N>& bytes) {
    static const char digits[] = "0123456789abcdef";
    std::string s;
    for (std::uint8_t b : bytes) {
        s += digits[b >> 4];
        s += digits[b & 15];
    }
    return s;
}

template <std::size_t N>
std::array<std::uint8_t, N> FromHex(const nlohmann::json& v, const char* name) {
    const auto bad = [name] {
        throw EFontError(std::string("\"") + name + "\" is not " + std::to_string(2 * N) +
                         " hex digits");
    };
    if (!v.is_string() || v.get_ref<const std::string&>().size() != 2 * N) bad();
    const std::string& s = v.get_ref<const std::string&>();
    std::array<std::uint8_t, N> out{};
    for (std::size_t i = 0; i < 2 * N; ++i) {
        const char c = s[i];
        const int d = c >= '0' && c <= '9'   ? c - '0'
                      : c >= 'a' && c <= 'f' ? c - 'a' + 10
                      : c >= 'A' && c <= 'F' ? c - 'A' + 10
                                             : -1;
        if (d < 0) bad();
        out[i / 2] = std::uint8_t(out[i / 2] << 4 | d);
    }
    return out;
}

// A whole number within [lo, hi], or a refusal naming where it stands.
std::int64_t Whole(const nlohmann::json& v, const std::string& where, std::int64_t lo,
                   std::int64_t hi) {
    if (!v.is_number_integer() ||
        (v.is_number_unsigned() && v.get<std::uint64_t>() > std::uint64_t(hi)) ||
        v.get<std::int64_t>() < lo || v.get<std::int64_t>() > hi)
        throw EFontError(where + " is not a whole number from " + std::to_string(lo) + " to " +
                         std::to_string(hi));
    return v.get<std::int64_t>();
}

}  // namespace

nlohmann::json FontJson(const std::string& Path, const TSftFont& Font,
                        const std::vector<TCharEntry>& Table) {
    nlohmann::json chars = nlohmann::json::array();
    for (const TCharEntry& e : Table)
        chars.push_back({{"code", e.Code}, {"x", e.X}, {"extra", e.Extra}});
    return {{"path", Path},
            {"bits_per_pixel", Font.BitsPerPixel()},
            {"width", Font.Width},
            {"height", Font.Height},
            {"header", Hex(Font.Header)},
            {"strip_header", Hex(Font.StripHeader)},
            {"characters", std::move(chars)}};
}

TTableFile ParseTableJson(const std::string& Text) {
    nlohmann::json doc = nlohmann::json::parse(Text, nullptr, false);
    if (doc.is_discarded()) throw EFontError("not valid JSON");
    if (doc.is_array()) {
        if (doc.size() != 1)
            throw EFontError("the list holds " + std::to_string(doc.size()) +
                             " fonts; give one font's table");
        doc = doc[0];
    }
    if (!doc.is_object() || !doc.contains("characters") || !doc["characters"].is_array())
        throw EFontError("no \"characters\" list");
    const nlohmann::json& chars = doc["characters"];
    constexpr std::int64_t kMin = std::numeric_limits<std::int32_t>::min();
    constexpr std::int64_t kMax = std::numeric_limits<std::int32_t>::max();
    TTableFile out;
    for (std::size_t i = 0; i < chars.size(); ++i) {
        const nlohmann::json& c = chars[i];
        const std::string row = "character " + std::to_string(i + 1);
        if (!c.is_object()) throw EFontError(row + " is not an object");
        for (const char* key : {"code", "x", "extra"})
            if (!c.contains(key)) throw EFontError(row + " has no \"" + key + "\"");
        out.Table.push_back(
            TCharEntry{std::uint16_t(Whole(c["code"], row + ": code", 0, 65535)),
                       std::int32_t(Whole(c["x"], row + ": x", kMin, kMax)),
                       std::int32_t(Whole(c["extra"], row + ": extra", kMin, kMax))});
    }
    if (doc.contains("bits_per_pixel")) {
        const auto bpp = Whole(doc["bits_per_pixel"], "bits_per_pixel", 8, 16);
        if (bpp != 8 && bpp != 16) throw EFontError("bits_per_pixel is neither 8 nor 16");
        out.BitsPerPixel = int(bpp);
    }
    if (doc.contains("header")) out.Header = FromHex<40>(doc["header"], "header");
    if (doc.contains("strip_header"))
        out.StripHeader = FromHex<128>(doc["strip_header"], "strip_header");
    return out;
}
