#include "history/journal.h"

#include <array>
#include <cstdio>
#include <functional>
#include <utility>

#include "base/errors.h"
#include "history/journalformat.h"

using namespace journalformat;

namespace {

using TCrcTables = std::array<std::array<std::uint32_t, 256>, 8>;

constexpr TCrcTables MakeCrcTables() {
    TCrcTables t{};
    for (std::uint32_t i = 0; i < 256; ++i) {
        std::uint32_t c = i;
        for (int k = 0; k < 8; ++k) c = (c & 1) ? 0xEDB88320u ^ (c >> 1) : c >> 1;
        t[0][i] = c;
    }
    for (std::size_t k = 1; k < 8; ++k)
        for (std::size_t i = 0; i < 256; ++i)
            t[k][i] = (t[k - 1][i] >> 8) ^ t[0][t[k - 1][i] & 0xFF];
    return t;
}

constexpr TCrcTables kCrc = MakeCrcTables();

}  // namespace

std::uint32_t Crc32(ByteSpan Data, std::uint32_t Crc) {
    std::uint32_t c = ~Crc;
    const std::uint8_t* p = Data.data();
    std::size_t n = Data.size();
    // Eight bytes a round: a strip of megabytes in a few milliseconds.
    for (; n >= 8; n -= 8, p += 8) {
        const std::uint32_t lo = c ^ GetU32(p), hi = GetU32(p + 4);
        c = kCrc[7][lo & 0xFF] ^ kCrc[6][(lo >> 8) & 0xFF] ^ kCrc[5][(lo >> 16) & 0xFF] ^
            kCrc[4][lo >> 24] ^ kCrc[3][hi & 0xFF] ^ kCrc[2][(hi >> 8) & 0xFF] ^
            kCrc[1][(hi >> 16) & 0xFF] ^ kCrc[0][hi >> 24];
    }
    for (; n > 0; --n, ++p) c = kCrc[0][(c ^ *p) & 0xFF] ^ (c >> 8);
    return ~c;
}

std::size_t TJournalHistory::Changes() const {
    if (Clean < 0) return Done;
    const auto clean = std::size_t(Clean);
    return Done > clean ? Done - clean : clean - Done;
}

// Writing

Bytes& TJournalRecords::Begin(std::uint8_t Kind) {
    // A wholesale step's record is let go of, not kept for the next dab.
    if (record_.capacity() > kLargeBuffer) record_ = Bytes();
    record_.clear();
    record_.resize(kRecordHead);
    record_.push_back(Kind);
    return record_;
}

ByteSpan TJournalRecords::Seal() {
    const ByteSpan body = ByteSpan(record_).subspan(kRecordHead);
    PutU32(record_.data(), std::uint32_t(body.size()));
    PutU32(record_.data() + 4, Crc32(body));
    return record_;
}

void TJournalRecords::Start(const TEditedFont& Font, const TFileStamp& Stamp,
                            const std::vector<const TEditStep*>& Steps, std::size_t Done,
                            std::ptrdiff_t Clean, const TOut& Out) {
    Out(kMagic);
    Bytes& base = Begin(kBase);
    AppendLe(base, Font.Path().size(), 2);
    AppendText(base, Font.Path().data(), Font.Path().size());
    for (const std::uint64_t v :
         {std::uint64_t(Stamp.Size), std::uint64_t(Stamp.ChangedNs), Stamp.Device, Stamp.Inode})
        AppendLe(base, v, 8);
    AppendLe(base, Steps.size(), 4);
    AppendLe(base, Done, 4);
    AppendLe(base, std::uint32_t(std::int32_t(Clean)), 4);
    const Bytes head = Font.HeadBytes();
    AppendBytes(base, head);
    AppendBytes(base, ByteSpan(Font.Font().Pixels.data(), Font.Font().Pixels.size()));
    Out(Seal());
    // Done steps newest first, then undone ones oldest first.
    for (std::size_t i = Done; i-- > 0;) Steps[i]->Write(Begin(kKept)), Out(Seal());
    for (std::size_t i = Done; i < Steps.size(); ++i) Steps[i]->Write(Begin(kKept)), Out(Seal());
}

ByteSpan TJournalRecords::Pushed(const TEditStep& Step, const TEditedFont& Font) {
    Step.WriteUndone(Begin(kPushed), Font);
    return Seal();
}

ByteSpan TJournalRecords::Undone() {
    Begin(kUndone);
    return Seal();
}

ByteSpan TJournalRecords::Redone() {
    Begin(kRedone);
    return Seal();
}

ByteSpan TJournalRecords::Dropped(std::size_t Count) {
    AppendLe(Begin(kDropped), Count, 4);
    return Seal();
}

void TJournalWriter::Begin(const std::string& Path, const TWrite& Write) {
    const std::string aside = Path + ".new";
    std::remove(aside.c_str());
    auto file = std::make_shared<TAppendFile>(aside);
    try {
        Write([&file](ByteSpan Piece) { file->Append(Piece); });
        // Only a journal that replaces another waits for the disk: a power cut
        // must not leave neither. A first one is synced with the next records.
        if (RegularFileExists(Path)) file->Sync();
        file->Rename(Path);
    } catch (...) {
        std::remove(aside.c_str());
        throw;
    }
    file_ = std::move(file);
}

void TJournalWriter::Append(ByteSpan Record) {
    if (file_) file_->Append(Record);
}

void TJournalWriter::Sync() {
    if (const std::shared_ptr<TAppendFile> file = file_) file->Sync();
}

void TJournalWriter::Stop(bool Remove) {
    if (file_ && Remove) std::remove(file_->Path().c_str());
    file_.reset();
}
