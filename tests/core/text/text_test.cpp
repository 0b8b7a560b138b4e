// The code pages against glibc's iconv, byte by byte, and the text reader's
// forms: byte order marks, UTF-16, gettext's translations, refusals.
#include <gtest/gtest.h>
#include <iconv.h>

#include "base/errors.h"
#include "text/codepage.h"
#include "text/textfile.h"

namespace {

// What iconv makes of the byte alone, flushed; none for an error.
std::optional<char32_t> IconvOf(iconv_t Cd, int Byte) {
    ::iconv(Cd, nullptr, nullptr, nullptr, nullptr);
    char in = char(Byte), out[16];
    char *inp = &in, *outp = out;
    std::size_t inLeft = 1, outLeft = sizeof out;
    if (::iconv(Cd, &inp, &inLeft, &outp, &outLeft) == std::size_t(-1) ||
        ::iconv(Cd, nullptr, nullptr, &outp, &outLeft) == std::size_t(-1) || outp - out != 4)
        return std::nullopt;
    const auto* u = reinterpret_cast<const unsigned char*>(out);
    return char32_t(u[0] | u[1] << 8 | u[2] << 16 | u[3] << 24);
}

TText Read(const std::string& Bytes, const char* Name = "t.txt") {
    return ReadText(ByteSpan(reinterpret_cast<const std::uint8_t*>(Bytes.data()), Bytes.size()),
                    Name);
}

}  // namespace

TEST(CodePage, EveryByteAsIconvReadsItAndBack) {
    const std::vector<std::string> names = CodePageNames();
    ASSERT_EQ(names.size(), 31u);  // Unicode, 9 Windows, 15 ISO, 2 KOI8, 4 DOS
    for (const std::string& name : names) {
        if (name == "Unicode") continue;
        SCOPED_TRACE(name);
        const TCodePageMap page = CodePageNamed(name);
        EXPECT_EQ(page.Name(), name);
        const iconv_t cd = ::iconv_open("UTF-32LE", name.c_str());
        ASSERT_NE(cd, iconv_t(-1));
        for (int b = 0; b < 256; ++b) {
            const std::optional<char32_t> c = page.CharOf(std::uint32_t(b));
            EXPECT_EQ(c, IconvOf(cd, b)) << b;
            if (c) {
                EXPECT_EQ(page.CodeOf(*c), b);
            }
        }
        ::iconv_close(cd);
        EXPECT_EQ(page.CharOf(256), std::nullopt);
    }
    EXPECT_EQ(CodePageNamed("Unicode").CharOf(0x416), U'\u0416');
    EXPECT_EQ(CodePageNamed("unicode").CodeOf(0x1F600), std::nullopt);
}

TEST(CodePage, TakesIconvsSpellingsInAnyCase) {
    const std::vector<std::pair<const char*, const char*>> cases = {
        {"CP1251", "Windows-1251"},
        {"windows-1251", "Windows-1251"},
        {"iso8859-2", "ISO-8859-2"},
        {"ISO_8859-2", "ISO-8859-2"},
        {"latin2", "ISO-8859-2"},
        {"IBM437", "CP437"},
        {"koi8r", "KOI8-R"},
        {"cp866", "CP866"},
        {"ISO-8859-16", "ISO-8859-16"},
    };
    for (const auto& [spelled, name] : cases) EXPECT_EQ(CodePageNamed(spelled).Name(), name);
    for (const char* none : {"ISO-8859-12", "CP1259", "UTF-8", ""})
        EXPECT_FALSE(FindCodePage(none)) << none;
    EXPECT_THROW(CodePageNamed("NOPE"), EFontError);
}

// The letter a list shows beside a code, and the Text Preview's codes: under
// Unicode printable Latin-1 as before, under a page its character.
TEST(CodePage, TheLetterBesideACodeAndTheCodesOfAText) {
    const TCodePageMap unicode, cp1250 = CodePageNamed("Windows-1250");
    using C = std::optional<char32_t>;
    const std::vector<std::tuple<std::uint32_t, C, C>> shown = {
        {'A', U'A', U'A'},       {' ', {}, {}},  {0x0A, {}, {}},
        {0xB9, U'\u00B9', U'ą'}, {0x81, {}, {}}, {0x105, {}, {}}};
    for (const auto& [code, inUnicode, in1250] : shown) {
        SCOPED_TRACE(code);
        EXPECT_EQ(ShownCharOf(code, unicode), inUnicode);
        EXPECT_EQ(ShownCharOf(code, cp1250), in1250);
    }
    EXPECT_EQ(TextCodes(U"aą☃", cp1250), (std::vector<std::uint16_t>{'a', 0xB9, kNoCode}));
    EXPECT_EQ(TextCodes(U"aą☃", unicode), (std::vector<std::uint16_t>{'a', 0x105, 0x2603}));
}
TEST(TextFile, ReadsEachFormAndPlaceOfItsLines) {
    using Lines = std::vector<std::pair<std::uint32_t, std::u32string>>;
    const std::string po =
        "# comment\nmsgid \"\"\nmsgstr \"\"\n\"Content-Type: text/plain\\n\"\n\n"
        "msgctxt \"menu\"\nmsgid \"Open\"\nmsgstr \"Otw\xC3\xB3rz \\\"\\\\\\t\"\n\n"
        "#~ msgid \"old\"\n#~ msgstr \"stare\"\n"
        "msgid \"file\"\nmsgid_plural \"files\"\nmsgstr[0] \"plik\"\nmsgstr[1] \"\"\n"
        "  \"pliki\\n\"\r\n\"\xC4\x85\"\nmsgid \"untranslated\"\nmsgstr \"\"\n";
    const std::vector<std::tuple<std::string, const char*, Lines>> cases = {
        {"\xEF\xBB\xBF"
         "a\r\nb\rc\n",
         "t.txt",
         {{1, U"a"}, {2, U"b"}, {3, U"c"}}},
        {std::string("\xFF\xFE"
                     "a\0\x05\x01\n\0=\xD8\0\xDE",
                     12),
         "t.txt",
         {{1, U"a\u0105"}, {2, U"\U0001F600"}}},
        {std::string("\xFE\xFF\0b", 4), "t.txt", {{1, U"b"}}},
        {po, "pl.PO", {{8, U"Otwórz \"\\\t"}, {14, U"plik"}, {16, U"pliki\n\u0105"}}},
        {"msgid \"x\"\nmsgstr \"y\"\n", "x.pot", {{2, U"y"}}},
        {"msgid \"x\"\nmsgstr \"y\"\n", "x.txt", {{1, U"msgid \"x\""}, {2, U"msgstr \"y\""}}},
    };
    for (const auto& [bytes, name, lines] : cases) {
        SCOPED_TRACE(name);
        const TText text = Read(bytes, name);
        Lines got;
        std::u32string all;
        for (const TTextLine& l : text.Lines)
            got.emplace_back(l.Line, text.Text(l)), all += std::u32string(text.Text(l)) + U"\n";
        EXPECT_EQ(got, lines);
        EXPECT_EQ(text.All, all);
    }
}

TEST(TextFile, RefusesWhatIsNoTextSayingWhere) {
    const std::vector<std::tuple<std::string, const char*, std::string>> cases = {
        {std::string(1234, 'a') + "\xE9t\xC3\xA9", "pl.txt",
         "pl.txt is not UTF-8 text (byte 0xE9 at offset 1234)."},
        {"\xEF\xBB\xBF"
         "ab\xC3",
         "b.txt", "b.txt is not UTF-8 text (byte 0xC3 at offset 5)."},
        {"\xED\xA0\x80", "s.txt", "s.txt is not UTF-8 text (byte 0xED at offset 0)."},
        {std::string("\xFF\xFE\0", 3), "o.txt",
         "o.txt is not UTF-16 text (an odd number of bytes)."},
        {std::string("\xFF\xFE\0\xDC", 4), "l.txt",
         "l.txt is not UTF-16 text (a lone surrogate 0xDC00 at offset 2)."},
        {"msgid \"a\"\nmsgstr \"b", "u.po",
         "u.po line 2 is not gettext: a string lacks its closing quote."},
        {"msgid \"a\"\nmsgstr b", "k.po",
         "k.po line 2 is not gettext: a string in quotes was expected."},
        {"\"a\"", "c.po", "c.po line 1 is not gettext: a string comes before any keyword."},
        {"msgid \"a\"\nmsgfoo \"b\"", "w.po",
         "w.po line 2 is not gettext: it is no keyword, string or comment."},
    };
    for (const auto& [bytes, name, message] : cases) {
        try {
            Read(bytes, name);
            ADD_FAILURE() << name << " read";
        } catch (const EFontError& e) {
            EXPECT_EQ(e.what(), message);
        }
    }
}
