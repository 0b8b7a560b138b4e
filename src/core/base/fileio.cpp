// Writing files: atomic replacement, files appended to, lock files. The
// reading half is in fileread.cpp.
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
