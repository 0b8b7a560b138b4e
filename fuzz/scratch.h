// A private scratch folder for the fuzz targets' files, preferably in memory.
#pragma once

#include <unistd.h>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <string>

#include "base/bytes.h"

class ScratchDir {
public:
    ScratchDir() {
        const char* base = ::access("/dev/shm", W_OK) == 0 ? "/dev/shm" : "/tmp";
        dir_ = std::string(base) + "/quill-fuzz-XXXXXX";
        if (!::mkdtemp(dir_.data())) std::abort();
    }
    ~ScratchDir() {
        std::error_code ec;
        std::filesystem::remove_all(dir_, ec);
    }
    const std::string& Dir() const { return dir_; }

private:
    std::string dir_;
};

inline std::string ScratchPath(const char* name) {
    static const ScratchDir scratch;
    return scratch.Dir() + "/" + name;
}

inline void WriteScratch(const std::string& path, ByteSpan data) {
    std::FILE* f = std::fopen(path.c_str(), "wb");
    if (!f) std::abort();
    if (!data.empty() && std::fwrite(data.data(), 1, data.size(), f) != data.size()) std::abort();
    std::fclose(f);
}

inline Bytes ReadBack(const std::string& path) {
    Bytes out;
    std::FILE* f = std::fopen(path.c_str(), "rb");
    if (!f) std::abort();
    std::uint8_t buf[4096];
    for (std::size_t n; (n = std::fread(buf, 1, sizeof buf, f)) > 0;)
        out.insert(out.end(), buf, buf + n);
    std::fclose(f);
    return out;
}
