// What the journal's reader and writer share: its magic, each record's head
// and the kinds of record, as journal.h describes them.
#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>

#include "base/bytes.h"

namespace journalformat {

inline constexpr std::array<std::uint8_t, 8> kMagic = {'Q', 'U', 'I', 'L', 'L', 'J', 'N', '1'};
// Length and checksum before each record's bytes.
inline constexpr std::size_t kRecordHead = 8;

enum : std::uint8_t { kBase = 1, kKept, kPushed, kUndone, kRedone, kDropped };

// Whether a whole record, length, checksum and kind in order, begins anywhere
// in what is left of In, which is read to its end: a bad record with none
// after it is a torn tail, not damage. Throws EToolkitError "Name: read error".
bool WholeRecordFollows(ByteSource& In, const std::string& Name);

}  // namespace journalformat
