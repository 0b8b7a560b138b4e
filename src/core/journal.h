// The recovery journal: a font's unsaved history on disk as it is made, so
// that a crash or a kill loses at most the change in progress. The file is a
// short header and records, each its length, a checksum and its bytes; a
// record cut short by a crash is dropped with everything after it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "editfont.h"
#include "editstep.h"
#include "fileio.h"

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

// Reads the journal at Path and replays it. Throws EToolkitError when the
// file can't be read and EFontError saying what is wrong when it isn't a
// journal or a record other than the last is damaged.
TJournalHistory ReadJournal(const std::string& Path);
// The same from a journal's bytes, wherever they were kept; Name says where
// in the errors.
TJournalHistory ParseJournal(ByteSource& In, const std::string& Name);

// The journal's records made as bytes, each whole with its length and
// checksum, for whatever keeps them: the writer's file, or a browser's storage.
class TJournalRecords {
public:
    using TOut = std::function<void(ByteSpan)>;
    // The journal's beginning, a piece at a time: its header, the font as it
    // stands, then the history's steps as they stand, Done of them done.
    // BaseSize is then the size of the header and the font.
    void Start(const TEditedFont& Font, const TFileStamp& Stamp,
               const std::vector<const TEditStep*>& Steps, std::size_t Done, std::ptrdiff_t Clean,
               const TOut& Out);
    std::uint64_t BaseSize() const { return base_; }
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
    std::uint64_t base_ = 0;
};

// Whether a journal whose records after the font hold SinceBase bytes has
// grown so far past the history's Bound that it is better begun afresh.
inline bool JournalOvergrown(std::uint64_t SinceBase, std::size_t Bound) {
    return SinceBase > Bound + Bound / 4;
}

// Writes a history's journal. Every call writes whole records, synced only
// by Sync; a failure throws EToolkitError with the system's reason and
// leaves the file ending on its last whole record.
class TJournalWriter {
public:
    using TWrite = std::function<void(const TJournalRecords::TOut&)>;
    // Starts the journal at Path afresh with what Write hands its Out, as
    // Start does.
    void Begin(const std::string& Path, const TWrite& Write);
    // One more record, whole.
    void Append(ByteSpan Record);
    // Starts the journal at Path afresh: the font as it stands, and the
    // history's steps as they stand, Done of them done; written aside and
    // renamed over Path, so that a journal is always whole, and synced first
    // when it replaces one.
    void Start(const std::string& Path, const TEditedFont& Font, const TFileStamp& Stamp,
               const std::vector<const TEditStep*>& Steps, std::size_t Done, std::ptrdiff_t Clean);
    // The font holds a new step, which drops the undone ones.
    void Pushed(const TEditStep& Step, const TEditedFont& Font);
    void Undone();
    void Redone();
    // The history let its Count oldest steps go.
    void Dropped(std::size_t Count);
    // Puts what is written on the disk; a thread that does it holds File().
    void Sync();
    bool Started() const { return file_ != nullptr; }
    // Forgets the journal, removing its file when Remove.
    void Stop(bool Remove);
    // Whether the steps written since the font hold much more than Bound:
    // time to start afresh.
    bool Overgrown(std::size_t Bound) const {
        return file_ && JournalOvergrown(file_->Size() - base_, Bound);
    }
    // The file, shared with a thread that syncs it.
    std::shared_ptr<TAppendFile> File() const { return file_; }

private:
    std::shared_ptr<TAppendFile> file_;
    std::uint64_t base_ = 0;  // the header and the font
    TJournalRecords records_;
};

// The checksum of the records (CRC-32, as zlib's).
std::uint32_t Crc32(ByteSpan Data, std::uint32_t Crc = 0);
