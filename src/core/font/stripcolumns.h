// Columns of a strip put in or taken out, and the character table following
// them: the work under inserting, deleting and resizing glyphs.
#pragma once

#include <cstdint>
#include <vector>

#include "base/bytes.h"
#include "font/font.h"
#include "font/pixeledit.h"

// Grid's pixels with Width columns put in before column At (0 to Grid's
// width): Columns holds them, Width * Height pixels top row first, or when
// it is empty each one is Fill. Throws std::bad_alloc only.
Bytes InsertColumns(const TPixelGrid& Grid, std::int32_t At, std::int32_t Width, ByteSpan Columns,
                    std::uint16_t Fill);
// Grid's pixels without columns At .. At + Width - 1, which lie within it;
// Removed, when given, receives them as InsertColumns takes them.
Bytes RemoveColumns(const TPixelGrid& Grid, std::int32_t At, std::int32_t Width,
                    Bytes* Removed = nullptr);
// Every X at or past From moves by By, kept within 32 bits.
void MoveColumns(std::vector<TCharEntry>& Table, std::int32_t From, std::int32_t By);
