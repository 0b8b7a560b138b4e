#include "font/tabletext.h"

#include <algorithm>
#include <cerrno>
#include <cstdlib>
#include <limits>
#include <optional>

#include "font/editfont.h"

namespace {

// A whole decimal number, blanks around it allowed; none for anything else.
std::optional<long long> WholeNumber(const std::string& Text) {
    const std::size_t first = Text.find_first_not_of(" \t");
    if (first == std::string::npos) return std::nullopt;
    const std::string s = Text.substr(first, Text.find_last_not_of(" \t") - first + 1);
    if (s.find_first_not_of("+-0123456789") != std::string::npos) return std::nullopt;
    errno = 0;
    char* end = nullptr;
    const long long v = std::strtoll(s.c_str(), &end, 10);
    if (errno != 0 || end != s.c_str() + s.size()) return std::nullopt;
    return v;
}

}  // namespace

std::vector<TTextRow> TextRowsOf(const std::vector<TCharEntry>& Table) {
    std::vector<TTextRow> rows;
    for (const TCharEntry& e : Table)
        rows.push_back({std::to_string(e.Code), std::to_string(e.X), std::to_string(e.Extra)});
    return rows;
}

std::vector<TCharEntry> TableOfTextRows(const std::vector<TTextRow>& Rows) {
    if (Rows.size() > kMaxChars)
        throw EFontError("The table has " + std::to_string(Rows.size()) +
                         " rows; a font holds at most " + std::to_string(kMaxChars));
    constexpr long long kMin = std::numeric_limits<std::int32_t>::min();
    constexpr long long kMax = std::numeric_limits<std::int32_t>::max();
    const char* const names[] = {"the code", "X", "Extra"};
    std::vector<TCharEntry> table;
    for (std::size_t r = 0; r < Rows.size(); ++r) {
        long long v[3];
        for (std::size_t c = 0; c < 3; ++c) {
            const long long lo = c == 0 ? 0 : kMin, hi = c == 0 ? 65535 : kMax;
            const std::optional<long long> n = WholeNumber(Rows[r][c]);
            if (!n || *n < lo || *n > hi)
                throw EFontError("Row " + std::to_string(r + 1) + ": " + names[c] + " \"" +
                                 Rows[r][c] + "\" is not a whole number from " +
                                 std::to_string(lo) + " to " + std::to_string(hi));
            v[c] = *n;
        }
        table.push_back({std::uint16_t(v[0]), std::int32_t(v[1]), std::int32_t(v[2])});
    }
    return table;
}

TTextRow RowAfter(const TTextRow* Previous) {
    if (!Previous) return {"0", "0", "0"};
    TTextRow row = *Previous;
    const std::optional<long long> code = WholeNumber(row[0]);
    if (code && *code >= 0 && *code < 65535) row[0] = std::to_string(*code + 1);
    return row;
}

std::vector<TTextRow> SortedByCode(const std::vector<TTextRow>& Rows) {
    std::vector<TCharEntry> table = TableOfTextRows(Rows);
    std::stable_sort(table.begin(), table.end(),
                     [](const TCharEntry& a, const TCharEntry& b) { return a.Code < b.Code; });
    return TextRowsOf(table);
}
