#include "base/fileio.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>
#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <random>

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

namespace {

bool WriteAll(int fd, ByteSpan data) {
    while (!data.empty()) {
        const ssize_t put = ::write(fd, data.data(), data.size());
        if (put < 0 && errno == EINTR) continue;
        if (put <= 0) return false;
        data = data.subspan(static_cast<std::size_t>(put));
    }
    return true;
}

std::string TempNameBeside(const std::string& path) {
    const auto slash = path.find_last_of('/');
    const std::string dir = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    const std::string name = slash == std::string::npos ? path : path.substr(slash + 1);
    static std::mt19937_64 rng{[] {
        // getentropy is a plain system call; std::random_device first probes
        // the processor, slow in a virtual machine.
        std::uint64_t seed = 0;
        return ::getentropy(&seed, sizeof seed) == 0 ? seed : std::random_device{}();
    }()};
    char suffix[24];
    std::snprintf(suffix, sizeof suffix, ".%012llx",
                  static_cast<unsigned long long>(rng() & 0xFFFFFFFFFFFFull));
    return dir + "." + name + suffix + ".tmp";
}

// The temporary file being written, for RemovePendingFile() in a signal handler.
char g_pending[4096];
volatile std::sig_atomic_t g_havePending = 0;

void Forget(const std::string& temp) {
    g_havePending = 0;
    ::unlink(temp.c_str());
}

// Saving through a symbolic link replaces the file it points to and keeps the
// link. Fills st for the target when it exists.
std::string LinkTarget(const std::string& path, struct stat& st, bool& exists) {
    exists = ::lstat(path.c_str(), &st) == 0;
    if (!exists || !S_ISLNK(st.st_mode)) return path;
    char* real = ::realpath(path.c_str(), nullptr);
    const std::string target = real ? real : path;
    std::free(real);
    exists = ::stat(target.c_str(), &st) == 0;
    return target;
}

}  // namespace

void RemovePendingFile() noexcept {
    if (g_havePending) ::unlink(g_pending);
}

void WriteFileAtomically(const std::string& path, ByteSpan head, ByteSpan body,
                         Durability durability) {
    WriteFileAtomically(
        path, [&](const TPieceWriter& write) { write(head) && write(body); }, durability);
}

void WriteFileAtomically(const std::string& path,
                         const std::function<void(const TPieceWriter&)>& Produce,
                         Durability durability) {
    if (path.empty()) throw EToolkitError(CannotCreateFile(path));
    struct stat st {};
    bool replacing = false;
    const std::string target = LinkTarget(path, st, replacing);
    if (replacing && !S_ISREG(st.st_mode)) throw EToolkitError(CannotCreateFile(path));

    // Written beside the target and renamed over it once complete, so that the
    // target name never holds a partial file, whatever ends the program.
    std::string temp;
    int fd = -1;
    for (int attempt = 0; fd < 0 && attempt < 16; ++attempt) {
        temp = TempNameBeside(target);
        // Noted before it exists, so that a signal in between cannot miss it.
        const bool noted = temp.size() < sizeof g_pending;
        if (noted) std::memcpy(g_pending, temp.c_str(), temp.size() + 1);
        g_havePending = noted;
        // Created as a plain create would be under the umask; a replaced file
        // passes its own permissions on below.
        fd = ::open(temp.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
        if (fd < 0) g_havePending = 0;
        if (fd < 0 && errno != EEXIST) break;
    }
    if (fd < 0) throw EToolkitError(CannotCreateFile(path));

    bool ok = true;
    try {
        Produce([&](ByteSpan piece) { return ok = ok && WriteAll(fd, piece); });
    } catch (...) {
        ::close(fd);
        Forget(temp);
        throw;
    }
    ok = ok && (!replacing || ::fchmod(fd, st.st_mode & 07777) == 0);
    ok = ok && (durability == Durability::Unsynced || ::fsync(fd) == 0);
    ok = (::close(fd) == 0) && ok;
    if (!ok) {
        Forget(temp);
        throw EToolkitError(kStreamWriteError);
    }
    if (::rename(temp.c_str(), target.c_str()) != 0) {
        Forget(temp);
        throw EToolkitError(CannotCreateFile(path));
    }
    g_havePending = 0;
}

namespace {

EToolkitError SystemError(const std::string& Path, int Error) {
    return EToolkitError(Path + ": " + std::strerror(Error));
}

}  // namespace

TFileStamp StampOf(const std::string& Path) {
    struct stat st {};
    if (::stat(Path.c_str(), &st) != 0) return {};
    return TFileStamp{std::int64_t(st.st_size),
                      std::int64_t(st.st_mtim.tv_sec) * 1000000000 + st.st_mtim.tv_nsec,
                      std::uint64_t(st.st_dev), std::uint64_t(st.st_ino)};
}

TAppendFile::TAppendFile(const std::string& Path) : path_(Path) {
    fd_ = ::open(Path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0600);
    if (fd_ < 0) throw SystemError(Path, errno);
}

TAppendFile::~TAppendFile() {
    if (fd_ >= 0) ::close(fd_);
}

void TAppendFile::Append(ByteSpan Data) {
    errno = 0;
    if (WriteAll(fd_, Data)) {
        size_ += Data.size();
        return;
    }
    // A short write with no reason is a full disk.
    const int error = errno ? errno : ENOSPC;
    // What went in is cut off again, so the file ends on whole pieces.
    if (::ftruncate(fd_, off_t(size_)) == 0) ::lseek(fd_, off_t(size_), SEEK_SET);
    throw SystemError(path_, error);
}

void TAppendFile::Sync() {
    if (::fdatasync(fd_) != 0) throw SystemError(path_, errno);
}

void TAppendFile::Rename(const std::string& Path) {
    if (::rename(path_.c_str(), Path.c_str()) != 0) throw SystemError(Path, errno);
    path_ = Path;
}

bool TFileLock::Take(const std::string& Path, bool Create) {
    Release(false);
    const int fd = ::open(Path.c_str(), O_RDWR | O_CLOEXEC | (Create ? O_CREAT : 0), 0600);
    if (fd < 0) return false;
    if (::flock(fd, LOCK_EX | LOCK_NB) != 0) {
        ::close(fd);
        return false;
    }
    fd_ = fd;
    path_ = Path;
    return true;
}

void TFileLock::Release(bool Remove) {
    if (fd_ < 0) return;
    // Removed while still held, so no one takes a lock on a file about to go.
    if (Remove) ::unlink(path_.c_str());
    ::close(fd_);
    fd_ = -1;
}
