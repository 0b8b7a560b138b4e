#include "makers/textcheck.h"

#include <algorithm>
#include <set>

#include "makers/accents.h"
#include "text/charcode.h"

namespace {

bool Control(char32_t C) {
    return C < 0x20 || (C >= 0x7F && C < 0xA0) || C == 0x2028 || C == 0x2029;
}

}  // namespace

std::vector<char32_t> TextCharacters(std::u32string_view Text) {
    // Most of a long text is characters seen already: a bit per BMP one.
    std::vector<bool> seen(0x10000);
    std::set<char32_t> chars;
    for (char32_t c : Text) {
        if (c < 0x10000) {
            if (seen[c]) continue;
            seen[c] = true;
        }
        if (!Control(c)) chars.insert(c);
    }
    return {chars.begin(), chars.end()};
}

TTextCheck CheckText(const TEditedFont& Font, const TCodePageMap& Page,
                     const std::vector<char32_t>& Chars,
                     const std::function<std::u32string(char32_t)>& Decompose,
                     std::uint16_t Background) {
    std::vector<bool> has(0x10000);
    for (const TCharEntry& e : Font.Table()) has[e.Code] = true;

    TTextCheck check;
    check.Characters = Chars.size();
    std::vector<TAccentRequest> requests;
    for (char32_t c : Chars) {
        const std::optional<std::uint16_t> code = Page.CodeOf(c);
        if (code && has[*code]) continue;
        check.Missing.push_back({c, code, code ? TFix::Add : TFix::CodePage});
        if (code) requests.push_back({c, Decompose(c)});
    }
    if (!requests.empty()) {
        TAccentPlan plan;
        try {
            plan = PlanAccentedIn(Font, Page, Background, std::move(requests));
        } catch (const EFontError&) {
            // Too wide to build all at once: each is left to be added.
        }
        for (std::size_t i = 0; i < plan.Rows.size(); ++i) {
            const auto at =
                std::find_if(check.Missing.begin(), check.Missing.end(),
                             [&](const TMissingChar& m) { return m.Code == plan.Rows[i].Code; });
            at->Fix = TFix::Build;
            at->Letter = plan.Sources[i].Letter;
            at->Mark = plan.Sources[i].Mark;
        }
    }
    std::stable_sort(check.Missing.begin(), check.Missing.end(),
                     [](const TMissingChar& a, const TMissingChar& b) {
                         const auto key = [](const TMissingChar& m) {
                             return m.Code ? std::uint32_t(*m.Code)
                                           : 0x10000 + std::uint32_t(m.Char);
                         };
                         return key(a) < key(b);
                     });
    return check;
}

std::string FixText(const TMissingChar& Missing, const TCodePageMap& Page) {
    switch (Missing.Fix) {
        case TFix::Build:
            return "build from " + Utf8Of(Missing.Letter) + " and " + Utf8Of(Missing.Mark);
        case TFix::Add:
            return "draw or add from an outline font";
        case TFix::CodePage:
            break;
    }
    return "not in " + Page.Name();
}
