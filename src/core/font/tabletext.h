// The character table as text rows of code, X and Extra, as the table editors
// show it, and the table those rows make.
#pragma once

#include <array>
#include <string>
#include <vector>

#include "font/font.h"

using TTextRow = std::array<std::string, 3>;

std::vector<TTextRow> TextRowsOf(const std::vector<TCharEntry>& Table);
// The table the rows make, with bmp2sft's limits: at most kMaxChars rows,
// codes 0 to 65535, X and Extra in 32 signed bits. Throws EFontError naming
// the first row refused and why.
std::vector<TCharEntry> TableOfTextRows(const std::vector<TTextRow>& Rows);
// The row Add puts after Previous: its X and Extra with the next code; all
// zero when there is none.
TTextRow RowAfter(const TTextRow* Previous);
// Sort by Code: the rows' table in code order, equal codes as they stand.
// Throws as TableOfTextRows does.
std::vector<TTextRow> SortedByCode(const std::vector<TTextRow>& Rows);
