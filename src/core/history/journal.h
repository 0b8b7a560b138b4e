// The recovery journal: a font's unsaved history on disk as it is made, so
// that a crash or a kill loses at most the change in progress.
//
// THE FILE. All numbers are little-endian; u16/u32/u64 unsigned, i32 signed.
//
//   0   8  magic "QUILLJN1"
//   8   records, one after the other, to the end of the file.
//
// A RECORD, at offset R:
//
//   R+0   u32  body length L, at least 1
//   R+4   u32  CRC-32 of the body (zlib's: reflected 0xEDB88320, ~ before and after)
//   R+8   L    body: a kind byte, then the kind's fields
//
// Offsets below are within the body.
//
// 1 font, always the first record, exactly once:
//   0   u8   1
//   1   u16  path length P
//   3   P    the font's path
//   3+P u64  its file's size, u64 change time in ns, u64 device, u64 inode,
//            as it was opened or last saved
//   35+P u32 steps K kept by the history, u32 of them done D (D <= K),
//            i32 steps done when the font was as saved, -1 never
//   47+P     the font as a whole font file (headers, table, strip)
// 2 kept step, the K records right after the font: a step as it stands, the
//   D done ones newest first, then the undone ones oldest first, so that each
//   is read against the strip size it is next toggled at.
// 3 pushed step: a new step; the undone ones are dropped. Written as it stands
//   undone, the replay redoes it.
// 4 undone, 5 redone: the kind byte only.
// 6 dropped: u32 count of the oldest steps the history let go.
//
// A STEP, in kept and pushed records, at S:
//   S+0  u8   0 pixels, 1 body, 2 columns
//   S+1  u8   1 done, 0 undone
//   S+2  u16  name length N, then N bytes of name
//   pixels:  u32 count, then count times u32 pixel offset in the strip and
//            u16 difference (XOR, the high byte 0 at 8 bits)
//   body:    u8 1 when the strip is shared with the font's (not written), then
//            the other body: its strip and table, the one before while done
//   columns: u8 1 inserted, 0 removed, i32 first column, i32 count of columns,
//            u16 fill, u32 byte count of the columns' pixels (0 when all were
//            the fill, else count x height x bytes per pixel), those pixels,
//            then the other body without its strip
//   A body: i32 width, i32 height, [u32 byte count, the strip's pixels,
//   top row first], u16 rows, rows x (u16 code, i32 x, i32 extra), u32
//   ranges, ranges x (u16 first, u16 last), u8 1 when the ranges are the
//   ones the file was read with.
//
// TORN TAILS AND DAMAGE. Records are only appended, one whole write each, and
// a failed write is cut off again, so a crash can leave only the last record
// incomplete: its head cut short, its length running past the end, or its
// bytes (or a zeroed head, length 0) not yet on the disk. A record is bad when
// its head is cut short, its length is 0 or runs past the end, or its
// checksum fails. A bad record is a torn tail, dropped with Torn set, only
// when it is the last thing in the file:
//   - its head is cut short, or
//   - its length is 0, runs past the end, or ends exactly at the end, and no
//     whole record (a length that fits, its checksum, a kind's shape) begins
//     anywhere in the bytes after its head.
// Any other bad record is damage, and the read fails saying which record:
// whole records after it are never quietly lost.
//
// NO SALT. A journal is never appended to after a start: each one is written
// afresh into a new file (created exclusively beside it) and renamed over the
// old, and the page replaces what it keeps as well. So nothing from an earlier
// journal can follow a valid prefix, and a record that checks out belongs.
//
// LIMITS. A replay refuses, before it takes the memory, a step that would
// grow the strip past the format's size or past kMaxFontBytes, and a history
// holding more than the history's bound before a step is added: the writers'
// history drops its oldest steps past that bound.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "base/fileio.h"
#include "edit/editstep.h"
#include "font/editfont.h"

// A font's history as a journal left it.
struct TJournalHistory {
    TEditedFont Font;              // as at the last step kept
    std::vector<TEditStep> Steps;  // oldest first
    std::size_t Done = 0;          // steps done; the rest are undone
    std::ptrdiff_t Clean = -1;     // steps done when the font was as saved; -1 never
    TFileStamp Stamp;              // the font's file as it was opened or last saved
    bool Torn = false;             // a record cut short was dropped
    // The steps the font is away from its file as saved.
    std::size_t Changes() const;
};

// What a replay may take: a step that grows the strip past Strip bytes is
// refused, and so is a history holding more than History bytes before a step
// is added, so that a replay's memory stays within a few times their sum.
struct TJournalLimits {
    std::size_t Strip = kMaxFontBytes;
    std::size_t History = kHistoryBound;
};

// Reads the journal at Path and replays it. Throws EToolkitError when the
// file can't be read and EFontError saying what is wrong when it isn't a
// journal, is damaged other than by a torn tail, or passes the limits.
TJournalHistory ReadJournal(const std::string& Path);
// The same from a journal's bytes, wherever they were kept; Name says where
// in the errors.
TJournalHistory ParseJournal(ByteSource& In, const std::string& Name,
                             const TJournalLimits& Limits = {});

// The journal's records made as bytes, each whole with its length and
// checksum, for whatever keeps them: the writer's file, or a browser's storage.
class TJournalRecords {
public:
    using TOut = std::function<void(ByteSpan)>;
    // The journal's beginning, a piece at a time: its header, the font as it
    // stands, then the history's steps as they stand, Done of them done.
    void Start(const TEditedFont& Font, const TFileStamp& Stamp,
               const std::vector<const TEditStep*>& Steps, std::size_t Done, std::ptrdiff_t Clean,
               const TOut& Out);
    // The font holds a new step, which drops the undone ones.
    ByteSpan Pushed(const TEditStep& Step, const TEditedFont& Font);
    ByteSpan Undone();
    ByteSpan Redone();
    // The history let its Count oldest steps go.
    ByteSpan Dropped(std::size_t Count);

private:
    // A record is made in record_ between Begin and Seal.
    Bytes& Begin(std::uint8_t Kind);
    ByteSpan Seal();

    Bytes record_;
};

// Whether a journal whose records after the font hold SinceBase bytes has
// grown so far past the history's Bound that it is better begun afresh.
inline bool JournalOvergrown(std::uint64_t SinceBase, std::size_t Bound) {
    return SinceBase > Bound + Bound / 4;
}

// Writes a journal's file from the records a session hands its sink. Every
// call writes whole records, synced only by Sync; a failure throws
// EToolkitError with the system's reason and leaves the file ending on its
// last whole record.
class TJournalWriter {
public:
    using TWrite = std::function<void(const TJournalRecords::TOut&)>;
    // Starts the journal at Path afresh with what Write hands its Out, as
    // TJournalRecords::Start does: written aside and renamed over Path, so
    // that a journal is always whole, and synced first when it replaces one.
    void Begin(const std::string& Path, const TWrite& Write);
    // One more record, whole.
    void Append(ByteSpan Record);
    // Puts what is written on the disk; a thread that does it holds File().
    void Sync();
    bool Started() const { return file_ != nullptr; }
    // Forgets the journal, removing its file when Remove.
    void Stop(bool Remove);
    // The file, shared with a thread that syncs it.
    std::shared_ptr<TAppendFile> File() const { return file_; }

private:
    std::shared_ptr<TAppendFile> file_;
};

// The checksum of the records (CRC-32, as zlib's).
std::uint32_t Crc32(ByteSpan Data, std::uint32_t Crc = 0);
