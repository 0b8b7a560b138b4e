// Reading regular files: the buffered reader and the bands that parsers
// fetch from it. The writing half is in fileio.cpp.
#include "base/fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>
#include <algorithm>
#include <cerrno>
#include <cstring>

#include "base/errors.h"

ReadOnlyFile::~ReadOnlyFile() {
    if (fd_ >= 0) ::close(fd_);
}

bool ReadOnlyFile::Open(const std::string& path) {
    // O_NONBLOCK keeps a FIFO from blocking the open; it is refused below.
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return false;
    struct stat st {};
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode) || st.st_size < 0) {
        ::close(fd);
        return false;
    }
    // O_NONBLOCK means nothing to a regular file, so it can stay set.
    fd_ = fd;
    size_ = static_cast<std::uint64_t>(st.st_size);
    return true;
}

std::string WhyNotReadable(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC | O_NOCTTY);
    if (fd < 0) return std::strerror(errno);
    struct stat st {};
    const int err = ::fstat(fd, &st) != 0 ? errno : S_ISDIR(st.st_mode) ? EISDIR : 0;
    const bool special = err == 0 && !S_ISREG(st.st_mode);
    ::close(fd);
    return err ? std::strerror(err) : special ? "not a regular file" : "";
}

bool ReadOnlyFile::Fill(void* dst, std::size_t n) {
    auto* out = static_cast<std::uint8_t*>(dst);
    while (n > 0) {
        const ssize_t got = ::read(fd_, out, n);
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;  // the file shrank under us, or an I/O error
        out += got;
        n -= static_cast<std::size_t>(got);
    }
    return true;
}

bool ReadOnlyFile::Read(void* dst, std::size_t n) {
    if (fd_ < 0 || Left() < n) return false;
    auto* out = static_cast<std::uint8_t*>(dst);
    const std::size_t buffered = bufLen_ - bufPos_;
    if (n <= buffered) {
        if (n != 0) std::memcpy(out, buf_ + bufPos_, n);
        bufPos_ += n;
        pos_ += n;
        return true;
    }
    if (buffered != 0) std::memcpy(out, buf_ + bufPos_, buffered);
    out += buffered;
    std::size_t rest = n - buffered;
    bufPos_ = bufLen_ = 0;
    if (rest >= sizeof buf_) {
        if (!Fill(out, rest)) return false;
    } else {
        const auto want =
            static_cast<std::size_t>(std::min<std::uint64_t>(sizeof buf_, Left() - buffered));
        if (!Fill(buf_, want)) return false;
        bufLen_ = want;
        std::memcpy(out, buf_, rest);
        bufPos_ = rest;
    }
    pos_ += n;
    return true;
}

bool ReadOnlyFile::ReadAt(std::uint64_t offset, void* dst, std::size_t n) {
    if (fd_ < 0 || offset > size_ || size_ - offset < n) return false;
    auto* out = static_cast<std::uint8_t*>(dst);
    // Bytes already buffered (a small font's pixels after its headers) are
    // not read again.
    const std::uint64_t bufAt = pos_ - bufPos_;
    if (offset >= bufAt && offset - bufAt <= bufLen_ && bufLen_ - (offset - bufAt) >= n) {
        if (n != 0) std::memcpy(out, buf_ + (offset - bufAt), n);
        return true;
    }
    while (n > 0) {
        const ssize_t got = ::pread(fd_, out, n, static_cast<off_t>(offset));
        if (got < 0 && errno == EINTR) continue;
        if (got <= 0) return false;
        out += got;
        n -= static_cast<std::size_t>(got);
        offset += static_cast<std::uint64_t>(got);
    }
    return true;
}

const std::uint8_t* TMemoryBands::At(std::uint64_t Offset, std::size_t N) {
    if (Offset > file_.size() || file_.size() - Offset < N) return nullptr;
    return file_.data() + Offset;
}

const std::uint8_t* TFileBands::At(std::uint64_t Offset, std::size_t N) {
    if (Offset > Size() || Size() - Offset < N) return nullptr;
    if (Offset >= bandAt_ && Offset - bandAt_ <= bandSize_ && bandSize_ - (Offset - bandAt_) >= N)
        return band_.data() + (Offset - bandAt_);
    const auto want = std::size_t(std::min<std::uint64_t>(std::max(N, kBand), Size() - Offset));
    if (band_.size() < want) band_ = Bytes(want);
    if (!file_.ReadAt(Offset, band_.data(), want)) throw EFontError("the file could not be read");
    bandAt_ = Offset;
    bandSize_ = want;
    return band_.data();
}

bool RegularFileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}
