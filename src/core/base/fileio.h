// Read-only access to regular files, and the atomic replacement of a file.
#pragma once

#include <cstdint>
#include <functional>
#include <string>

#include "base/bytes.h"

// An open regular file. Opening refuses anything that is not a regular file
// (folders, FIFOs, devices) without blocking on it.
class ReadOnlyFile final : public ByteSource {
public:
    ReadOnlyFile() = default;
    ReadOnlyFile(const ReadOnlyFile&) = delete;
    ReadOnlyFile& operator=(const ReadOnlyFile&) = delete;
    ~ReadOnlyFile() override;

    bool Open(const std::string& path);
    std::uint64_t Size() const { return size_; }

    std::uint64_t Left() const override { return size_ - pos_; }
    // Buffered for small fields; large reads go straight into dst.
    bool Read(void* dst, std::size_t n) override;
    // Reads n bytes at an absolute offset, independent of the cursor.
    bool ReadAt(std::uint64_t offset, void* dst, std::size_t n);

private:
    bool Fill(void* dst, std::size_t n);

    int fd_ = -1;
    std::uint64_t size_ = 0;
    std::uint64_t pos_ = 0;
    std::uint8_t buf_[64 * 1024];  // a small font is read whole in one go
    std::size_t bufPos_ = 0;
    std::size_t bufLen_ = 0;
};

// A file's bytes, fetched a band at a time, each fetch checked
// against the file's end.
class TBandSource {
public:
    virtual ~TBandSource() = default;
    virtual std::uint64_t Size() const = 0;
    // The N bytes at Offset, valid until the next call; null when the file
    // holds fewer. Throws EFontError when the file can't be read.
    virtual const std::uint8_t* At(std::uint64_t Offset, std::size_t N) = 0;
};

// Bytes held in memory, handed out as they stand.
class TMemoryBands final : public TBandSource {
public:
    explicit TMemoryBands(ByteSpan File) : file_(File) {}
    std::uint64_t Size() const override { return file_.size(); }
    const std::uint8_t* At(std::uint64_t Offset, std::size_t N) override;

private:
    ByteSpan file_;
};

// Bytes read from an open file into one buffer, a band (kBand bytes, or
// the N asked for when more) at a time.
class TFileBands final : public TBandSource {
public:
    static constexpr std::size_t kBand = 256u << 10;
    explicit TFileBands(ReadOnlyFile& File) : file_(File) {}
    std::uint64_t Size() const override { return file_.Size(); }
    const std::uint8_t* At(std::uint64_t Offset, std::size_t N) override;

private:
    ReadOnlyFile& file_;
    Bytes band_;
    std::uint64_t bandAt_ = 0;
    std::size_t bandSize_ = 0;
};

// True when a regular file (or a link to one) exists at path; folders and
// other special files count as missing.
bool RegularFileExists(const std::string& path);

// Why path can't be opened as a regular file to read: the system's reason
// ("No such file or directory", "Is a directory", ...), or empty text when
// it can.
std::string WhyNotReadable(const std::string& path);

// Whether a save waits until the data is on the disk before it replaces the
// target. Either way the target holds the old or the new bytes, never a mix,
// should the program die; only a power loss can tell the two apart.
enum class Durability { Synced, Unsynced };

// Writes head then body to path through a temporary file in the same folder
// that is renamed over the target only once every byte is written (and, when
// Synced, on disk). A symbolic link keeps pointing at the replaced file. On
// failure the previous file is untouched, the temporary file is removed, and
// EToolkitError "Cannot create file <path>" or "Stream write error" is thrown.
void WriteFileAtomically(const std::string& path, ByteSpan head, ByteSpan body,
                         Durability durability = Durability::Synced);

// The same for a file made piece by piece: Produce hands each piece, in
// order, to the writer it is given, and stops once that returns false.
using TPieceWriter = std::function<bool(ByteSpan)>;
void WriteFileAtomically(const std::string& path,
                         const std::function<void(const TPieceWriter&)>& Produce,
                         Durability durability = Durability::Synced);

// Removes the temporary file of a write in progress, if any. Safe to call
// from a signal handler, for a program that ends on a signal mid-write.
void RemovePendingFile() noexcept;

// A file's size, last change and identity, to tell when another program has
// changed or replaced it.
struct TFileStamp {
    std::int64_t Size = -1;  // -1: there is no such file
    std::int64_t ChangedNs = 0;
    std::uint64_t Device = 0, Inode = 0;
    bool operator==(const TFileStamp&) const = default;
};
TFileStamp StampOf(const std::string& Path);

// A file made anew and written by appending; it can be synced from another
// thread while it is written. Every failure throws EToolkitError with the
// system's reason ("No space left on device").
class TAppendFile {
public:
    // Creates Path, which must not exist.
    explicit TAppendFile(const std::string& Path);
    TAppendFile(const TAppendFile&) = delete;
    TAppendFile& operator=(const TAppendFile&) = delete;
    ~TAppendFile();

    // All of Data or, cutting back what went in, none of it.
    void Append(ByteSpan Data);
    void Sync();
    // Gives the file the name Path, replacing any file of that name.
    void Rename(const std::string& Path);
    const std::string& Path() const { return path_; }
    std::uint64_t Size() const { return size_; }

private:
    int fd_ = -1;
    std::string path_;
    std::uint64_t size_ = 0;
};

// A lock file held with flock() while its holder runs: the system lets go
// of it however the process ends, so a process id used again can't fool it.
class TFileLock {
public:
    TFileLock() = default;
    TFileLock(const TFileLock&) = delete;
    TFileLock& operator=(const TFileLock&) = delete;
    ~TFileLock() { Release(false); }

    // Takes the lock at Path, making the file when Create; false when
    // another holder has it or the file can't be had.
    bool Take(const std::string& Path, bool Create);
    bool Held() const { return fd_ >= 0; }
    // Lets go, removing the file first when Remove.
    void Release(bool Remove);

private:
    int fd_ = -1;
    std::string path_;
};
