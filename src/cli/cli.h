// What the command-line programs share: options parsed with their own usage
// text, one-line refusals, and an end on a signal that leaves no partial file.
#pragma once

#include <CLI/CLI.hpp>
#include <functional>
#include <initializer_list>
#include <optional>
#include <string>

#include "font/editfont.h"
#include "image/palette.h"
#include "text/textfile.h"

// Parses the command line into the options set up on App, adding -h/--help
// and --version. Returns the status to stop with: 0 once the usage or the
// version is printed, 2 after a usage error (said on stderr with the usage);
// nothing to go on.
std::optional<int> ParseCommandLine(CLI::App& App, int argc, char** argv, const std::string& Usage);

// A usage error found after parsing: said as ParseCommandLine says one.
int UsageError(const CLI::App& App, const std::string& What, const std::string& Usage);

// The usage text's last lines: -h and --version, described from column
// Column, then Exit, the exit statuses.
std::string UsageEnd(std::size_t Column, const std::string& Exit);
// The exit statuses of a program that writes one font.
inline const char* const kFontWrittenExit =
    "Exit status: 0 when the font was written, 1 when anything was refused, 2 for\n"
    "a usage error.\n";

// Whether A and B name one file: the same device and inode, or the same path
// where either can't be looked at.
bool SameFile(const std::string& A, const std::string& B);
// A usage error when Out is one of the Inputs given (an empty one is not):
// writing it would destroy what is read.
std::optional<int> OutIsAnInput(const CLI::App& App, const std::string& Out,
                                std::initializer_list<std::string> Inputs,
                                const std::string& Usage);

// "PATH: why" on stderr (why alone when it names the file: no PATH); the
// refusal status, 1.
int Refuse(const std::string& Path, const std::string& Why);

// A file that can't be used, and why: said as Refuse says it.
struct TRefusal {
    std::string Path, Why;
};
// What the programs read, each throwing TRefusal: a whole text file; a font
// (the system's reason, or "Invalid SFT file!"); a palette from a .CMP or a
// .BM file (the reader's own warning). Without Pixels the font's strip is
// checked but left empty, as TEditedFont::Load leaves it.
std::string ReadTextFile(const std::string& Path);
TEditedFont LoadFontFile(const std::string& Path, bool Pixels = true);
TPalette LoadPaletteFile(const std::string& Path, bool BM);
// A text's characters as ReadText reads them (a .po's translations only);
// the reader's refusals name the file themselves.
TText ReadTextOf(const std::string& Path);

// On SIGINT or SIGTERM the file being written goes and the program ends
// with 128 + the signal.
void StopCleanlyOnSignals();

// Run's status, run with StopCleanlyOnSignals: a TRefusal it throws is said
// as Refuse says it, and running out of memory is refused for MemoryPath.
int RunRefusing(const std::function<int()>& Run, const std::string& MemoryPath);
