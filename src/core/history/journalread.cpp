// Reading the recovery journal: its records replayed in turn, a torn tail
// told from damage, the limits kept.
#include <array>
#include <cstdio>
#include <utility>

#include "base/errors.h"
#include "history/journal.h"
#include "history/journalformat.h"

using namespace journalformat;

namespace {

EFontError Damaged(const std::string& What) {
    return EFontError("the recovery journal is damaged: " + What);
}

// A history being rebuilt from the records in turn, within Limits.
class TReplay {
public:
    TReplay(TJournalHistory& History, const TJournalLimits& Limits)
        : h_(History), limits_(Limits) {}

    void Apply(ByteSpan Record) {
        SpanSource in(Record);
        std::uint64_t kind = 0;
        ReadLe(in, kind, 1);
        if (!based_) {
            if (kind != kBase) throw Damaged("it doesn't begin with a font");
            return Base(in);
        }
        if (kept_ < keep_) {
            if (kind != kKept) throw Damaged("its history is cut short");
            return Kept(in);
        }
        switch (kind) {
            case kPushed:
                return Pushed(in);
            case kUndone:
                return Toggle(true);
            case kRedone:
                return Toggle(false);
            case kDropped:
                return Dropped(in);
            default:
                throw Damaged("a record of an unknown kind");
        }
    }

    // Whether the records so far make a whole history.
    bool Whole() const { return based_ && kept_ == keep_; }

private:
    void Base(SpanSource& in) {
        std::uint64_t length = 0, size = 0, changed = 0, device = 0, inode = 0, keep = 0, done = 0,
                      clean = 0;
        if (!ReadLe(in, length, 2) || length > in.Left()) throw Damaged("its font is cut short");
        std::string path(std::size_t(length), '\0');
        in.Read(path.data(), path.size());
        if (!ReadLe(in, size, 8) || !ReadLe(in, changed, 8) || !ReadLe(in, device, 8) ||
            !ReadLe(in, inode, 8) || !ReadLe(in, keep, 4) || !ReadLe(in, done, 4) ||
            !ReadLe(in, clean, 4))
            throw Damaged("its font is cut short");
        h_.Stamp = {std::int64_t(size), std::int64_t(changed), device, inode};
        const auto cleanAt = std::int64_t(std::int32_t(std::uint32_t(clean)));
        if (done > keep || cleanAt < -1 || cleanAt > std::int64_t(keep))
            throw Damaged("its history's place is out of range");
        if (!h_.Font.Load(in, path) ||
            (h_.Font.BitsPerPixel() != 8 && h_.Font.BitsPerPixel() != 16))
            throw Damaged("its font can't be read");
        keep_ = keep, done_ = done;
        h_.Clean = std::ptrdiff_t(cleanAt);
        based_ = true;
        Rewind();
        if (keep_ == 0) h_.Done = 0;
    }

    // The steps kept come done ones newest first, then undone ones oldest
    // first: each can be checked against the size it is next toggled at.
    void Kept(SpanSource& in) {
        if (kept_ == done_) Rewind();
        Holding(kept_);
        TEditStep step = ReadStep(in);
        held_ += step.MemoryBytes();
        (kept_ < done_ ? done_steps_ : undone_).push_back(std::move(step));
        if (++kept_ < keep_) return;
        h_.Steps.clear();
        for (auto it = done_steps_.rbegin(); it != done_steps_.rend(); ++it)
            h_.Steps.push_back(std::move(*it));
        for (TEditStep& s : undone_) h_.Steps.push_back(std::move(s));
        done_steps_.clear(), undone_.clear();
        h_.Done = std::size_t(done_);
    }

    void Pushed(SpanSource& in) {
        Forget(h_.Steps.begin() + std::ptrdiff_t(h_.Done), h_.Steps.end());
        if (h_.Clean > std::ptrdiff_t(h_.Done)) h_.Clean = -1;
        Holding(h_.Steps.size());
        Rewind();
        TEditStep step = ReadStep(in);
        step.Toggle(h_.Font);
        held_ += step.MemoryBytes();
        h_.Steps.push_back(std::move(step));
        ++h_.Done;
    }

    void Toggle(bool Undo) {
        if (Undo ? h_.Done == 0 : h_.Done == h_.Steps.size())
            throw Damaged(Undo ? "it undoes a step it doesn't have"
                               : "it redoes a step it doesn't have");
        if (Undo) --h_.Done;
        h_.Steps[h_.Done].Toggle(h_.Font);
        if (!Undo) ++h_.Done;
    }

    void Dropped(SpanSource& in) {
        std::uint64_t n = 0;
        if (!ReadLe(in, n, 4) || n > h_.Done) throw Damaged("it drops steps it doesn't have");
        Forget(h_.Steps.begin(), h_.Steps.begin() + std::ptrdiff_t(n));
        h_.Done -= std::size_t(n);
        h_.Clean = h_.Clean >= std::ptrdiff_t(n) ? h_.Clean - std::ptrdiff_t(n) : -1;
    }

    void Rewind() { width_ = h_.Font.Font().Width, height_ = h_.Font.Font().Height; }

    TEditStep ReadStep(SpanSource& in) {
        return TEditStep::Read(in, width_, height_, h_.Font.BitsPerPixel(), limits_.Strip);
    }

    // A history drops its oldest steps as soon as they pass its bound, all
    // but the newest; a journal that holds more before a step is added is
    // refused, which keeps the strips its steps hold within the bound.
    void Holding(std::uint64_t Steps) const {
        if (Steps > 1 && held_ > limits_.History)
            throw Damaged("its history holds more than the " + std::to_string(limits_.History) +
                          " bytes a history may");
    }

    void Forget(std::vector<TEditStep>::iterator From, std::vector<TEditStep>::iterator To) {
        for (auto it = From; it != To; ++it) held_ -= it->MemoryBytes();
        h_.Steps.erase(From, To);
    }

    TJournalHistory& h_;
    const TJournalLimits limits_;
    std::size_t held_ = 0;  // what the steps read hold, as the history counts it
    bool based_ = false;
    std::uint64_t keep_ = 0, kept_ = 0, done_ = 0;
    std::vector<TEditStep> done_steps_, undone_;
    std::int32_t width_ = 0, height_ = 0;
};

}  // namespace

TJournalHistory ReadJournal(const std::string& Path) {
    ReadOnlyFile file;
    if (!file.Open(Path)) {
        const std::string why = WhyNotReadable(Path);
        throw EToolkitError(Path + ": " + (why.empty() ? "can't be read" : why));
    }
    return ParseJournal(file, Path);
}

TJournalHistory ParseJournal(ByteSource& In, const std::string& Name,
                             const TJournalLimits& Limits) {
    const std::uint64_t size = In.Left();
    std::array<std::uint8_t, kMagic.size()> magic{};
    if (!In.Read(magic.data(), magic.size()) || magic != kMagic)
        throw EFontError("it is not a recovery journal");
    TJournalHistory h;
    TReplay replay(h, Limits);
    Bytes record;
    for (std::size_t index = 1; In.Left() > 0; ++index) {
        const std::uint64_t at = size - In.Left();
        const std::string which =
            "record " + std::to_string(index) + " at byte " + std::to_string(at);
        std::uint64_t length = 0, crc = 0;
        // The rules of the format's comment: a bad record is a torn tail
        // only when it is the last thing in the file.
        if (!ReadLe(In, length, 4) || !ReadLe(In, crc, 4)) {
            h.Torn = true;
            break;
        }
        if (length == 0 || length > In.Left()) {
            if (WholeRecordFollows(In, Name))
                throw Damaged(which + " has a length of " + std::to_string(length) +
                              ", with whole records after it");
            h.Torn = true;
            break;
        }
        record.resize(std::size_t(length));
        if (!In.Read(record.data(), record.size())) throw EToolkitError(Name + ": read error");
        if (Crc32(record) != crc) {
            SpanSource rest(record);
            if (In.Left() == 0 && !WholeRecordFollows(rest, Name)) {
                h.Torn = true;
                break;
            }
            throw Damaged(which + " doesn't match its checksum");
        }
        replay.Apply(record);
    }
    if (!replay.Whole()) throw Damaged("it is cut short before its history");
    h.Font.SetModified(h.Clean != std::ptrdiff_t(h.Done));
    return h;
}
