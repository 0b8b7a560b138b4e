#include "text/textfile.h"

#include <algorithm>
#include <cstdio>

#include "base/errors.h"
#include "text/charcode.h"

namespace {

std::string Hex(unsigned Value, int Digits) {
    char buf[16];
    std::snprintf(buf, sizeof buf, "0x%0*X", Digits, Value);
    return buf;
}

std::u32string Utf16(ByteSpan Bytes, bool Big, std::string_view Name) {
    const auto refuse = [&](const std::string& Why) {
        return EFontError(std::string(Name) + " is not UTF-16 text (" + Why + ").");
    };
    if (Bytes.size() % 2) throw refuse("an odd number of bytes");
    std::u32string out;
    out.reserve(Bytes.size() / 2);
    const auto unit = [&](std::size_t At) {
        return char32_t(Big ? Bytes[At] << 8 | Bytes[At + 1] : Bytes[At + 1] << 8 | Bytes[At]);
    };
    for (std::size_t i = 2; i + 1 < Bytes.size(); i += 2) {
        const char32_t u = unit(i);
        const bool high = u >= 0xD800 && u < 0xDC00, low = u >= 0xDC00 && u < 0xE000;
        const char32_t next = i + 3 < Bytes.size() ? unit(i + 2) : 0;
        if (low || (high && !(next >= 0xDC00 && next < 0xE000)))
            throw refuse("a lone surrogate " + Hex(unsigned(u), 4) + " at offset " +
                         std::to_string(i));
        if (high) {
            out.push_back(0x10000 + ((u - 0xD800) << 10) + (next - 0xDC00));
            i += 2;
        } else {
            out.push_back(u);
        }
    }
    return out;
}

// Each line of Text with its number; a line ends at \n, \r\n or \r.
template <class Char, class Each>
void ForEachLine(std::basic_string_view<Char> Text, Each&& Do) {
    constexpr Char kBreaks[] = {Char('\r'), Char('\n'), Char(0)};
    std::uint32_t number = 1;
    for (std::size_t at = 0; at < Text.size(); ++number) {
        std::size_t end = Text.find_first_of(kBreaks, at);
        if (end == Text.npos) end = Text.size();
        Do(number, Text.substr(at, end - at), at);
        at = end + (end + 1 < Text.size() && Text[end] == Char('\r') && Text[end + 1] == Char('\n')
                        ? 2
                        : 1);
    }
}

// Each line of a file's text decoded: UTF-16 with its byte order mark whole,
// UTF-8 (its mark dropped) a line at a time into one buffer.
template <class Each>
void ForEachTextLine(ByteSpan Bytes, std::string_view Name, Each&& Do) {
    const auto starts = [&](std::initializer_list<std::uint8_t> Mark) {
        return Bytes.size() >= Mark.size() && std::equal(Mark.begin(), Mark.end(), Bytes.begin());
    };
    if (starts({0xFF, 0xFE}) || starts({0xFE, 0xFF})) {
        const std::u32string text = Utf16(Bytes, Bytes[0] == 0xFE, Name);
        ForEachLine(std::u32string_view(text),
                    [&](std::uint32_t N, std::u32string_view Line, std::size_t) { Do(N, Line); });
        return;
    }
    const std::size_t skip = starts({0xEF, 0xBB, 0xBF}) ? 3 : 0;
    const std::string_view text(reinterpret_cast<const char*>(Bytes.data()) + skip,
                                Bytes.size() - skip);
    std::u32string line;
    ForEachLine(text, [&](std::uint32_t N, std::string_view Bytes, std::size_t At) {
        line.clear();
        const std::size_t bad = DecodeUtf8(Bytes, line);
        if (bad < Bytes.size())
            throw EFontError(std::string(Name) + " is not UTF-8 text (byte " +
                             Hex(std::uint8_t(Bytes[bad]), 2) + " at offset " +
                             std::to_string(skip + At + bad) + ").");
        Do(N, std::u32string_view(line));
    });
}

std::u32string_view Trimmed(std::u32string_view S) {
    while (!S.empty() && (S.front() == U' ' || S.front() == U'\t')) S.remove_prefix(1);
    while (!S.empty() && (S.back() == U' ' || S.back() == U'\t')) S.remove_suffix(1);
    return S;
}

// A gettext file read a line at a time: each translation's text goes
// straight into the text's one buffer, so a long file costs no string per line.
class TPoReader {
public:
    TPoReader(std::string_view Name, TText& Out) : name_(Name), out_(Out) {}

    void Line(std::uint32_t Number, std::u32string_view Text) {
        number_ = Number;
        Text = Trimmed(Text);
        if (Text.empty() || Text[0] == U'#') return;
        if (Text[0] == U'"') return Append(Text);
        const std::size_t space = std::min(Text.find_first_of(U" \t"), Text.size());
        const std::u32string_view word = Text.substr(0, space);
        const std::u32string_view string = Trimmed(Text.substr(space));
        if (word == U"msgctxt" || word == U"msgid") {
            EndString();
            if (key_ == Key::Str || key_ == Key::Plural) NewEntry();
            if (word == U"msgctxt") {
                context_ = true;
                key_ = Key::Context;
            } else {
                key_ = Key::Id;
            }
        } else if (word == U"msgid_plural") {
            EndString();
            key_ = Key::Plural;
        } else if (word == U"msgstr" || (word.starts_with(U"msgstr[") && word.ends_with(U"]"))) {
            EndString();
            key_ = Key::Str;
            // The header (an empty msgid without a context) is no translation.
            string_ = {0, out_.All.size(), 0};
        } else {
            Refuse("it is no keyword, string or comment");
        }
        Append(string);
    }

    void Finish() { EndString(); }

private:
    enum class Key { None, Context, Id, Plural, Str };

    [[noreturn]] void Refuse(const std::string& Why) const {
        throw EFontError(std::string(name_) + " line " + std::to_string(number_) +
                         " is not gettext: " + Why + ".");
    }

    void NewEntry() {
        key_ = Key::None;
        context_ = idSeen_ = false;
    }

    // A string in quotes, its escapes read, added to the msgstr being read
    // (and only checked elsewhere).
    void Append(std::u32string_view S) {
        if (key_ == Key::None) Refuse("a string comes before any keyword");
        if (S.size() < 2 || S.front() != U'"') Refuse("a string in quotes was expected");
        const bool kept = key_ == Key::Str && (idSeen_ || context_);
        std::u32string& all = out_.All;
        const std::size_t before = all.size();
        std::size_t i = 1;
        for (; i < S.size() && S[i] != U'"'; ++i) {
            char32_t c = S[i];
            if (c == U'\\') {
                if (++i == S.size()) break;
                c = S[i] == U'n' ? U'\n' : S[i] == U't' ? U'\t' : S[i] == U'r' ? U'\r' : S[i];
            }
            if (key_ == Key::Id) idSeen_ = true;
            if (kept) all.push_back(c);
        }
        if (i + 1 != S.size()) {
            all.resize(before);
            Refuse(i >= S.size() ? "a string lacks its closing quote"
                                 : "text follows a string's closing quote");
        }
        if (kept && all.size() > before && string_.Size == 0) string_.Line = number_;
        string_.Size += all.size() - before;
    }

    // The msgstr read so far ends: kept as a line when it has text.
    void EndString() {
        if (key_ != Key::Str) return;
        if (string_.Size > 0) {
            out_.All.push_back(U'\n');
            out_.Lines.push_back(string_);
        }
        string_ = {};
    }

    std::string_view name_;
    TText& out_;
    std::uint32_t number_ = 0;
    Key key_ = Key::None;
    bool context_ = false, idSeen_ = false;  // of the entry being read
    TTextLine string_;                       // the msgstr being read
};

bool Gettext(std::string_view Name) {
    const std::size_t dot = Name.rfind('.');
    if (dot == std::string_view::npos) return false;
    std::string ext;
    for (char c : Name.substr(dot + 1)) ext += char(c >= 'A' && c <= 'Z' ? c + 32 : c);
    return ext == "po" || ext == "pot";
}

}  // namespace

TText ReadText(ByteSpan Bytes, std::string_view Name) {
    TText out;
    // Most of a file is its text: one allocation for all of it.
    out.All.reserve(Bytes.size() + 1);
    if (Gettext(Name)) {
        TPoReader po(Name, out);
        ForEachTextLine(Bytes, Name,
                        [&](std::uint32_t n, std::u32string_view line) { po.Line(n, line); });
        po.Finish();
    } else {
        ForEachTextLine(Bytes, Name, [&](std::uint32_t n, std::u32string_view line) {
            out.Lines.push_back({n, out.All.size(), line.size()});
            (out.All += line) += U'\n';
        });
    }
    return out;
}
