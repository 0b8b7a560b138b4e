// The torn tail told from damage: whether whole records follow a bad one.
#include <algorithm>
#include <deque>
#include <functional>
#include <queue>
#include <vector>

#include "base/errors.h"
#include "history/journal.h"
#include "history/journalformat.h"

namespace journalformat {

namespace {

// CRC-32 arithmetic modulo its polynomial, bit-reflected as the checksum is:
// A times B, and x to the 8 N, what N zero bytes do to a checksum.
std::uint32_t CrcTimes(std::uint32_t A, std::uint32_t B) {
    std::uint32_t product = 0;
    for (std::uint32_t m = 1u << 31; m != 0; m >>= 1) {
        if (A & m) product ^= B;
        B = (B & 1) ? (B >> 1) ^ 0xEDB88320u : B >> 1;
    }
    return product;
}

std::uint32_t CrcShift(std::uint64_t N) {
    std::uint32_t p = 1u << 31, square = 1u << 30;  // x^0, x^1
    for (int k = 0; k < 3; ++k) square = CrcTimes(square, square);
    for (; N != 0; N >>= 1, square = CrcTimes(square, square))
        if (N & 1) p = CrcTimes(square, p);
    return p;
}

}  // namespace

// One pass, whatever the records' lengths: each candidate's checksum comes
// from the running one at its two ends, as crc(B) = crc(AB) ^ crc(A) shifted
// by B's length.
bool WholeRecordFollows(ByteSource& In, const std::string& Name) {
    struct TCandidate {
        std::uint64_t Start, Length;
        std::uint32_t Crc, CrcAtStart;
        std::uint64_t End() const { return Start + Length; }
        bool operator>(const TCandidate& o) const { return End() > o.End(); }
    };
    // Enough for any real tail; a tail made of more candidates than that
    // has the rest unchecked.
    constexpr std::size_t kMaxPending = std::size_t(1) << 16;
    constexpr std::size_t kChunk = std::size_t(64) << 10, kLook = kRecordHead + 3;
    std::deque<TCandidate> starting;  // by their start, as found
    std::priority_queue<TCandidate, std::vector<TCandidate>, std::greater<>> ending;
    const std::uint64_t total = In.Left();
    Bytes buf(kChunk + kLook);
    std::uint64_t base = 0;  // where buf begins
    std::size_t have = 0;
    std::uint32_t crc = 0;  // of the bytes up to crcAt
    std::uint64_t crcAt = 0;
    const auto crcTo = [&](std::uint64_t At) {
        crc = Crc32(ByteSpan(buf.data() + (crcAt - base), std::size_t(At - crcAt)), crc);
        crcAt = At;
    };
    // What happens at At: candidates begin or end there.
    const auto visit = [&](std::uint64_t At) {
        if (!starting.empty() && starting.front().Start == At) {
            crcTo(At);
            starting.front().CrcAtStart = crc;
            ending.push(starting.front());
            starting.pop_front();
        }
        for (; !ending.empty() && ending.top().End() == At; ending.pop()) {
            crcTo(At);
            const TCandidate& c = ending.top();
            if ((crc ^ CrcTimes(CrcShift(c.Length), c.CrcAtStart)) == c.Crc) return true;
        }
        return false;
    };
    for (;;) {
        const auto more =
            std::size_t(std::min<std::uint64_t>(buf.size() - have, total - base - have));
        if (!In.Read(buf.data() + have, more)) throw EToolkitError(Name + ": read error");
        have += more;
        // Positions whose head and kind are in the buffer, or all at the end.
        const bool last = base + have == total;
        const std::size_t upto = last ? have : have - kLook;
        for (std::size_t p = 0; p < upto; ++p) {
            const std::uint64_t at = base + p;
            if (visit(at)) return true;
            if (have - p < kRecordHead + 1) continue;
            const std::uint8_t* q = buf.data() + p;
            const std::uint64_t length = GetU32(q);
            if (length == 0 || length > total - at - kRecordHead) continue;
            // Only the shapes a record after the font can have.
            const std::uint8_t kind = q[kRecordHead];
            const bool shaped =
                kind == kUndone || kind == kRedone ? length == 1
                : kind == kDropped                 ? length == 5
                : kind == kKept || kind == kPushed
                    ? length >= 5 && q[kRecordHead + 1] <= 2 && q[kRecordHead + 2] <= 1
                    : false;
            if (shaped && starting.size() + ending.size() < kMaxPending)
                starting.push_back({at + kRecordHead, length, GetU32(q + 4), 0});
        }
        crcTo(base + upto);
        if (last) return visit(total);
        std::copy(buf.begin() + std::ptrdiff_t(upto), buf.begin() + std::ptrdiff_t(have),
                  buf.begin());
        base += upto, have -= upto;
    }
}

}  // namespace journalformat
