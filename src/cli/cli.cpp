#include "cli.h"

#include <unistd.h>

#include <csignal>
#include <iostream>

#include "fileio.h"

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

int Refuse(const std::string& Path, const std::string& Why) {
    std::cerr << Path << ": " << Why << "\n";
    return 1;
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
