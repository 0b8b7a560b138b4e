// Little-endian reads and writes, a bounds-checked cursor, and a byte buffer
// that does not zero what it is about to overwrite.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <vector>

// Memory for buffers of kLargeBuffer bytes and more: aligned to and advised
// for transparent huge pages, so that a fresh 12 MiB image faults in a few
// 2 MiB pages instead of thousands of 4 KiB ones. Harmless where they are off.
inline constexpr std::size_t kLargeBuffer = std::size_t(2) << 20;
void* AllocateLarge(std::size_t bytes);
void FreeLarge(void* p, std::size_t bytes) noexcept;

// Allocator whose value-initialisation is a no-op, so resize() on a pixel
// buffer that a read or a builder fills anyway costs no memset.
template <class T>
struct DefaultInitAllocator {
    // Not derived from std::allocator: the library fills vectors of trivial
    // types with zeros itself when it recognises that allocator.
    using value_type = T;
    template <class U>
    struct rebind {
        using other = DefaultInitAllocator<U>;
    };
    DefaultInitAllocator() noexcept = default;
    template <class U>
    DefaultInitAllocator(const DefaultInitAllocator<U>&) noexcept {}
    T* allocate(std::size_t n) {
        if (n < kLargeBuffer / sizeof(T)) return std::allocator<T>().allocate(n);
        if (n > std::allocator_traits<std::allocator<T>>::max_size(std::allocator<T>()))
            throw std::bad_alloc();
        return static_cast<T*>(AllocateLarge(n * sizeof(T)));
    }
    void deallocate(T* p, std::size_t n) noexcept {
        if (n < kLargeBuffer / sizeof(T))
            std::allocator<T>().deallocate(p, n);
        else
            FreeLarge(p, n * sizeof(T));
    }
    template <class U>
    void construct(U* p) noexcept {
        ::new (static_cast<void*>(p)) U;
    }
    template <class U, class... Args>
    void construct(U* p, Args&&... args) {
        ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
    }
    template <class U>
    bool operator==(const DefaultInitAllocator<U>&) const noexcept {
        return true;
    }
};

using Bytes = std::vector<std::uint8_t, DefaultInitAllocator<std::uint8_t>>;

// From's bytes at To's end in one copy: insert() constructs them one at a
// time through the allocator, which is slow for megabytes (in the page most).
inline void AppendBytes(Bytes& To, std::span<const std::uint8_t> From) {
    const std::size_t at = To.size();
    To.resize(at + From.size());
    if (!From.empty()) std::memcpy(To.data() + at, From.data(), From.size());
}
using ByteSpan = std::span<const std::uint8_t>;

// Bytes that copies share: a font's pixels stay alive in every picture drawn
// from them, without a copy of a strip that may be huge. Only the edited font
// writes them, in place, so that the pictures show its changes at once.
class SharedBytes {
public:
    SharedBytes() = default;
    explicit SharedBytes(Bytes&& Data) : data_(std::make_shared<Bytes>(std::move(Data))) {}
    const std::uint8_t* data() const { return data_ ? data_->data() : nullptr; }
    std::uint8_t* Writable() { return data_ ? data_->data() : nullptr; }
    std::size_t size() const { return data_ ? data_->size() : 0; }
    const std::uint8_t* begin() const { return data(); }
    const std::uint8_t* end() const { return data() + size(); }
    std::uint8_t operator[](std::size_t i) const { return (*data_)[i]; }
    bool operator==(const SharedBytes& o) const {
        return size() == o.size() && std::equal(begin(), end(), o.begin());
    }

private:
    std::shared_ptr<Bytes> data_;
};

inline std::uint16_t GetU16(const std::uint8_t* p) {
    return static_cast<std::uint16_t>(p[0] | (p[1] << 8));
}
inline std::uint32_t GetU32(const std::uint8_t* p) {
    return static_cast<std::uint32_t>(p[0]) | (static_cast<std::uint32_t>(p[1]) << 8) |
           (static_cast<std::uint32_t>(p[2]) << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}
inline std::int32_t GetI32(const std::uint8_t* p) { return static_cast<std::int32_t>(GetU32(p)); }
inline void PutU16(std::uint8_t* p, std::uint16_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
}
inline void PutU32(std::uint8_t* p, std::uint32_t v) {
    p[0] = static_cast<std::uint8_t>(v);
    p[1] = static_cast<std::uint8_t>(v >> 8);
    p[2] = static_cast<std::uint8_t>(v >> 16);
    p[3] = static_cast<std::uint8_t>(v >> 24);
}
inline void PutI32(std::uint8_t* p, std::int32_t v) { PutU32(p, static_cast<std::uint32_t>(v)); }

// The game's magic test: the leading bytes read as text up to the first zero
// byte, compared exactly. A shorter field never matches a longer magic.
inline bool MagicIs(ByteSpan field, const char* magic) {
    const std::size_t n = std::strlen(magic);
    if (field.size() < n) return false;
    for (std::size_t i = 0; i < n; ++i)
        if (field[i] != static_cast<std::uint8_t>(magic[i])) return false;
    return true;
}

// Sequential reader over a source of known length. Every read checks what is
// left first; a read that cannot be satisfied fails and consumes nothing.
class ByteSource {
public:
    virtual ~ByteSource() = default;
    // Bytes from the current position to the end of the source.
    virtual std::uint64_t Left() const = 0;
    // Reads exactly n bytes into dst, or returns false.
    virtual bool Read(void* dst, std::size_t n) = 0;

    bool ReadU16(std::uint16_t& v) {
        std::uint8_t b[2];
        if (!Read(b, 2)) return false;
        v = GetU16(b);
        return true;
    }
    bool ReadI32(std::int32_t& v) {
        std::uint8_t b[4];
        if (!Read(b, 4)) return false;
        v = GetI32(b);
        return true;
    }
};

class SpanSource final : public ByteSource {
public:
    explicit SpanSource(ByteSpan data) : data_(data) {}
    std::uint64_t Left() const override { return data_.size() - pos_; }
    bool Read(void* dst, std::size_t n) override {
        if (data_.size() - pos_ < n) return false;
        if (n != 0) std::memcpy(dst, data_.data() + pos_, n);
        pos_ += n;
        return true;
    }

private:
    ByteSpan data_;
    std::size_t pos_ = 0;
};

// Appends V's low N bytes, little-endian.
inline void AppendLe(Bytes& Out, std::uint64_t V, int N) {
    for (int i = 0; i < N; ++i) Out.push_back(static_cast<std::uint8_t>(V >> (8 * i)));
}

// Appends text's bytes as they are.
inline void AppendText(Bytes& Out, const char* Text, std::size_t N) {
    const auto* p = reinterpret_cast<const std::uint8_t*>(Text);
    Out.insert(Out.end(), p, p + N);
}

// Reads an N-byte little-endian value; false, consuming nothing, when fewer
// bytes are left.
inline bool ReadLe(ByteSource& In, std::uint64_t& V, int N) {
    std::uint8_t b[8];
    if (N > 8 || !In.Read(b, static_cast<std::size_t>(N))) return false;
    V = 0;
    for (int i = N - 1; i >= 0; --i) V = (V << 8) | b[i];
    return true;
}
