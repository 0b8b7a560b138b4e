#include "fileio.h"

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/uio.h>
#include <unistd.h>
#include <cerrno>
#include <cstdio>
#include <random>

#include "errors.h"

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

bool RegularFileExists(const std::string& path) {
    struct stat st {};
    return ::stat(path.c_str(), &st) == 0 && S_ISREG(st.st_mode);
}

namespace {

bool WriteAll(int fd, ByteSpan head, ByteSpan body) {
    iovec parts[2] = {{const_cast<std::uint8_t*>(head.data()), head.size()},
                      {const_cast<std::uint8_t*>(body.data()), body.size()}};
    iovec* part = parts;
    int count = 2;
    while (count > 0) {
        if (part->iov_len == 0) {
            ++part, --count;
            continue;
        }
        const ssize_t put = ::writev(fd, part, count);
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        auto done = static_cast<std::size_t>(put);
        while (count > 0 && done >= part->iov_len) {
            done -= part->iov_len;
            ++part, --count;
        }
        if (count > 0) {
            part->iov_base = static_cast<std::uint8_t*>(part->iov_base) + done;
            part->iov_len -= done;
        }
    }
    return true;
}

std::string TempNameBeside(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    static std::mt19937_64 rng{std::random_device{}()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx",
                  static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
    return dir + "." + name + suffix + ".tmp";
}

}  // namespace

void WriteFileAtomically(const std::string& path, ByteSpan head, ByteSpan body,
                         Durability durability) {
    if (path.empty()) throw EToolkitError(CannotCreateFile(path));
    struct stat st {};
    bool replacing = ::stat(path.c_str(), &st) == 0;

    // A new file is created in place, as there is nothing to protect, and is
    // removed again if the write fails. An existing file is replaced through
    // a temporary file that is renamed over it once complete.
    std::string written = path;
    int fd = -1;
    if (!replacing) {
        fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) throw EToolkitError(CannotCreateFile(path));
        if (fd < 0) replacing = ::stat(path.c_str(), &st) == 0;  // created meanwhile
    }
    if (replacing && !S_ISREG(st.st_mode)) throw EToolkitError(CannotCreateFile(path));
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        written = TempNameBeside(path);
        // Created as a plain create would be under the umask; the replaced
        // file passes its own permissions on below.
        fd = ::open(written.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw EToolkitError(CannotCreateFile(path));

    bool ok = WriteAll(fd, head, body);
    ok = ok && (!replacing || ::fchmod(fd, st.st_mode & 07777) == 0);
    ok = ok && (durability == Durability::Unsynced || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        ::unlink(written.c_str());
        throw EToolkitError(kStreamWriteError);
    }
    if (written != path && ::rename(written.c_str(), path.c_str()) != 0) {
        ::unlink(written.c_str());
        throw EToolkitError(CannotCreateFile(path));
    }
}
