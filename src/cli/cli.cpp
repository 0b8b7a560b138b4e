#include "cli.h"

#include <sys/stat.h>
#include <unistd.h>

#include <algorithm>
#include <csignal>
#include <iostream>

#include "base/fileio.h"

std::optional<int> ParseCommandLine(CLI::App& App, int argc, char** argv,
                                    const std::string& Usage) {
    bool help = false, version = false;
    App.set_help_flag();
    App.add_flag("-h,--help", help);
    App.add_flag("--version", version);
    try {
        App.parse(argc, argv);
    } catch (const CLI::ParseError& e) {
        // Asking for help is never a usage error, whatever else is wrong.
        for (int i = 1; i < argc; ++i)
            if (std::string(argv[i]) == "--help" || std::string(argv[i]) == "-h") help = true;
        if (!help) return UsageError(App, e.what(), Usage);
    }
    if (help) {
        std::cout << Usage;
        return 0;
    }
    if (version) {
        std::cout << App.get_name() << " " QUILL_VERSION "\n";
        return 0;
    }
    return std::nullopt;
}

int UsageError(const CLI::App& App, const std::string& What, const std::string& Usage) {
    std::cerr << App.get_name() << ": " << What << "\n" << Usage;
    return 2;
}

std::string UsageEnd(std::size_t Column, const std::string& Exit) {
    const auto line = [Column](std::string option, const char* what) {
        option.resize(std::max(Column, option.size() + 1), ' ');
        return option + what + "\n";
    };
    return line("  -h, --help", "show this text") + line("  --version", "show the version") + "\n" +
           Exit;
}

bool SameFile(const std::string& A, const std::string& B) {
    struct stat a {
    }, b{};
    if (::stat(A.c_str(), &a) != 0 || ::stat(B.c_str(), &b) != 0) return A == B;
    return a.st_dev == b.st_dev && a.st_ino == b.st_ino;
}

std::optional<int> OutIsAnInput(const CLI::App& App, const std::string& Out,
                                std::initializer_list<std::string> Inputs,
                                const std::string& Usage) {
    for (const std::string& in : Inputs)
        if (!in.empty() && SameFile(in, Out))
            return UsageError(App, "-o " + Out + " is one of the inputs", Usage);
    return std::nullopt;
}

int Refuse(const std::string& Path, const std::string& Why) {
    std::cerr << Path << (Path.empty() ? "" : ": ") << Why << "\n";
    return 1;
}

std::string ReadTextFile(const std::string& Path) {
    ReadOnlyFile file;
    if (!file.Open(Path)) throw TRefusal{Path, WhyNotReadable(Path)};
    std::string text(static_cast<std::size_t>(file.Size()), '\0');
    if (!file.Read(text.data(), text.size())) throw TRefusal{Path, "the file could not be read"};
    return text;
}

TEditedFont LoadFontFile(const std::string& Path, bool Pixels) {
    TEditedFont font;
    if (font.Load(Path, Pixels)) return font;
    const std::string why = WhyNotReadable(Path);
    throw TRefusal{Path, why.empty() ? "Invalid SFT file!" : why};
}

TText ReadTextOf(const std::string& Path) {
    const std::string bytes = ReadTextFile(Path);
    try {
        return ReadText(ByteSpan(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size()),
                        Path);
    } catch (const EFontError& e) {
        throw TRefusal{"", e.what()};
    }
}

TPalette LoadPaletteFile(const std::string& Path, bool BM) {
    struct Remember : IWarningSink {
        std::string text;
        void ShowWarning(const std::string& t) override { text = t; }
    } sink;
    TPalette palette{};
    if (!(BM ? LoadBMPalette(Path, palette, sink) : LoadCMPPalette(Path, palette, sink)))
        throw TRefusal{Path, sink.text};
    return palette;
}

namespace {
extern "C" void StopOnSignal(int sig) {
    RemovePendingFile();
    ::_exit(128 + sig);
}
}  // namespace

void StopCleanlyOnSignals() {
    for (int sig : {SIGINT, SIGTERM}) {
        struct sigaction action {};
        action.sa_handler = StopOnSignal;
        sigemptyset(&action.sa_mask);
        ::sigaction(sig, &action, nullptr);
    }
}

int RunRefusing(const std::function<int()>& Run, const std::string& MemoryPath) {
    StopCleanlyOnSignals();
    try {
        return Run();
    } catch (const TRefusal& r) {
        return Refuse(r.Path, r.Why);
    } catch (const std::bad_alloc&) {
        return Refuse(MemoryPath, "Out of memory");
    }
}
