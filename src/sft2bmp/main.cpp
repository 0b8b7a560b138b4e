// sft2bmp: converts fonts to the BMP files the viewer's Save as BMP writes,
// or prints their character tables.
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstring>
#include <iostream>
#include <map>
#include <nlohmann/json.hpp>
#include <optional>
#include <string>
#include <vector>

#include "fileio.h"
#include "font.h"
#include "palette.h"
#include "picture.h"

namespace {

const char* const kUsage =
    "Usage: sft2bmp [options] FONT...\n"
    "Converts each font (.SFT) to a Windows BMP file named after it.\n"
    "\n"
    "Options:\n"
    "  -o DIR      write the BMP files into DIR (default: the current folder)\n"
    "  --cmp FILE  draw 8-bit fonts through the palette of a .CMP colour map\n"
    "  --bm FILE   draw 8-bit fonts through the palette of a .BM game bitmap\n"
    "              (default: uicolormap.cmp in the current folder)\n"
    "  --info      print each font's information and character table instead\n"
    "  --json      the same as JSON\n"
    "  -h, --help  show this text\n"
    "  --version   show the version\n"
    "\n"
    "Exit status: 0 when every font was done, 1 when any was refused, 2 for a\n"
    "usage error.\n";

enum class Mode { Convert, Info, Json };

struct Options {
    Mode mode = Mode::Convert;
    std::string outDir;
    std::string paletteFile;
    bool paletteIsBM = false;
    bool paletteGiven = false;
    std::vector<std::string> fonts;
};

int UsageError(const std::string& what) {
    std::cerr << "sft2bmp: " << what << "\n" << kUsage;
    return 2;
}

// Returns the exit code to stop with, or nothing to go on.
std::optional<int> ParseArgs(int argc, char** argv, Options& o) {
    bool optionsDone = false;
    for (int i = 1; i < argc; ++i) {
        const std::string a = argv[i];
        auto value = [&]() -> std::optional<std::string> {
            if (i + 1 >= argc) return std::nullopt;
            return std::string(argv[++i]);
        };
        if (optionsDone || a.empty() || a[0] != '-' || a == "-") {
            o.fonts.push_back(a);
        } else if (a == "--") {
            optionsDone = true;
        } else if (a == "-h" || a == "--help") {
            std::cout << kUsage;
            return 0;
        } else if (a == "--version") {
            std::cout << "sft2bmp " QUILL_VERSION "\n";
            return 0;
        } else if (a == "-o") {
            auto v = value();
            if (!v || v->empty()) return UsageError("-o needs a folder");
            o.outDir = *v;
        } else if (a == "--cmp" || a == "--bm") {
            if (o.paletteGiven) return UsageError("give --cmp or --bm once");
            auto v = value();
            if (!v || v->empty()) return UsageError(a + " needs a file");
            o.paletteFile = *v;
            o.paletteIsBM = a == "--bm";
            o.paletteGiven = true;
        } else if (a == "--info" || a == "--json") {
            const Mode m = a == "--info" ? Mode::Info : Mode::Json;
            if (o.mode != Mode::Convert && o.mode != m)
                return UsageError("give --info or --json, not both");
            o.mode = m;
        } else {
            return UsageError("unknown option " + a);
        }
    }
    if (o.fonts.empty()) return UsageError("no font given");
    return std::nullopt;
}

// The palette for 8-bit fonts, read once, when the first 8-bit font needs it.
class PaletteSource {
public:
    explicit PaletteSource(const Options& o) : o_(o) {}

    // The palette, or nullptr with why set to the reason there is none.
    const TPalette* Get(std::string& why) {
        if (!tried_) {
            tried_ = true;
            Load();
        }
        why = why_;
        return ok_ ? &palette_ : nullptr;
    }

private:
    struct Remember : IWarningSink {
        std::string text;
        void ShowWarning(const std::string& t) override { text = t; }
    };

    void Load() {
        std::string file = o_.paletteFile;
        if (!o_.paletteGiven) {
            file = "uicolormap.cmp";
            if (!RegularFileExists(file)) {
                why_ =
                    "no palette for an 8-bit font: uicolormap.cmp not found! (give --cmp or --bm)";
                return;
            }
        }
        Remember sink;
        ok_ = o_.paletteIsBM ? LoadBMPalette(file, palette_, sink)
                             : LoadCMPPalette(file, palette_, sink);
        if (!ok_) why_ = "no palette for an 8-bit font: " + file + ": " + sink.text;
    }

    const Options& o_;
    bool tried_ = false;
    bool ok_ = false;
    TPalette palette_{};
    std::string why_;
};

// The system's reason when a font can't be opened at all, or empty text when
// it can and the refusal is about its contents.
std::string OpenError(const std::string& path) {
    const int fd = ::open(path.c_str(), O_RDONLY | O_NONBLOCK | O_CLOEXEC);
    if (fd < 0) return std::strerror(errno);
    struct stat st {};
    const bool folder = ::fstat(fd, &st) == 0 && S_ISDIR(st.st_mode);
    ::close(fd);
    return folder ? std::strerror(EISDIR) : std::string();
}

std::string InfoLines(const TSftFont& font) {
    const char* depth = font.BitsPerPixel() == 8 ? "8-bit font" : "16-bit font";
    return std::string(depth) + "\n" + std::to_string(font.CharCount) + " characters\n";
}

class Progress {
public:
    explicit Progress(std::size_t total)
        : on_(total > 1 && ::isatty(STDERR_FILENO)), total_(total) {}
    void Step(std::size_t done, const std::string& name) {
        if (!on_) return;
        std::fprintf(stderr, "\r\033[K[%zu/%zu] %s", done, total_, name.c_str());
        std::fflush(stderr);
        shown_ = true;
    }
    void Message(const std::string& line) {
        if (shown_) std::fputs("\r\033[K", stderr);
        std::fprintf(stderr, "%s\n", line.c_str());
        shown_ = false;
    }
    ~Progress() {
        if (shown_) std::fputs("\r\033[K", stderr);
    }

private:
    bool on_;
    std::size_t total_;
    bool shown_ = false;
};

// Interrupted mid-batch: the file being written goes, the finished ones stay,
// and the status says which signal ended the run.
extern "C" void StopOnSignal(int sig) {
    RemovePendingFile();
    ::_exit(128 + sig);
}

}  // namespace

int main(int argc, char** argv) {
    Options o;
    if (const auto stop = ParseArgs(argc, argv, o)) return *stop;
    for (int sig : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        action.sa_handler = StopOnSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(sig, &action, nullptr);
    }

    std::string outDir = o.outDir;
    if (!outDir.empty() && outDir.back() != '/') outDir += '/';

    PaletteSource palettes(o);
    Progress progress(o.mode == Mode::Convert ? o.fonts.size() : 0);
    nlohmann::json json = nlohmann::json::array();
    bool anyRefused = false;
    std::vector<TCharEntry> table(256);
    std::map<std::string, std::string> written;  // output file -> font

    for (std::size_t i = 0; i < o.fonts.size(); ++i) {
        const std::string& path = o.fonts[i];
        progress.Step(i + 1, path);
        auto refuse = [&](const std::string& why) {
            progress.Message(path + ": " + why);
            anyRefused = true;
        };
        try {
            TSftFont font;
            if (!LoadSFT(path, font, table, 255)) {
                const std::string why = OpenError(path);
                refuse(why.empty() ? "Invalid SFT file!" : why);
                continue;
            }
            if (o.mode == Mode::Info) {
                std::cout << path << "\n" << InfoLines(font) << "code\tx\textra\n";
                for (std::int32_t r = 0; r < font.CharCount; ++r) {
                    const TCharEntry& e = table[std::size_t(r)];
                    std::cout << e.Code << "\t" << e.X << "\t" << e.Extra << "\n";
                }
                continue;
            }
            if (o.mode == Mode::Json) {
                nlohmann::json chars = nlohmann::json::array();
                for (std::int32_t r = 0; r < font.CharCount; ++r) {
                    const TCharEntry& e = table[std::size_t(r)];
                    chars.push_back({{"code", e.Code}, {"x", e.X}, {"extra", e.Extra}});
                }
                json.push_back({{"path", path},
                                {"bits_per_pixel", font.BitsPerPixel()},
                                {"width", font.Width},
                                {"height", font.Height},
                                {"characters", std::move(chars)}});
                continue;
            }

            const TPalette* palette = nullptr;
            if (font.BitsPerPixel() == 8) {
                std::string why;
                palette = palettes.Get(why);
                if (!palette) {
                    refuse(why);
                    continue;
                }
            }
            // Converted and written a few rows at a time, as the viewer would save it.
            const TBmpRows rows(font.BitsPerPixel(), StripOf(font),
                                palette ? *palette : TPalette{});
            // Fonts of one name from different folders would overwrite each other.
            const std::string target = outDir + ProposedExportName(path, "");
            const auto [earlier, fresh] = written.emplace(target, path);
            if (!fresh) {
                refuse(target + " was already written from " + earlier->second);
                continue;
            }
            SaveBmpRows(rows, target, Durability::Unsynced);
        } catch (const std::bad_alloc&) {
            refuse("Out of memory");
        } catch (const std::exception& e) {
            refuse(e.what());
        }
    }
    if (o.mode == Mode::Json) std::cout << json.dump(2) << "\n";
    std::cout.flush();
    if (!std::cout) {
        std::cerr << "sft2bmp: cannot write the output\n";
        return 1;
    }
    return anyRefused ? 1 : 0;
}
