// A font's table and headers as JSON: what sft2bmp --json writes and what
// bmp2sft --table reads back.
#pragma once

#include <array>
#include <cstdint>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "font/font.h"

// One font's object: path, depth, size, characters and both headers.
nlohmann::json FontJson(const std::string& Path, const TSftFont& Font,
                        const std::vector<TCharEntry>& Table);

// What a table file holds: always the characters; the depth and the headers
// when it has them.
struct TTableFile {
    std::vector<TCharEntry> Table;
    std::optional<int> BitsPerPixel;
    std::optional<std::array<std::uint8_t, 40>> Header;
    std::optional<std::array<std::uint8_t, 128>> StripHeader;
};

// Reads a list of one font or that font's object alone. Throws EFontError
// with the reason, naming the row and field at fault.
TTableFile ParseTableJson(const std::string& Text);
