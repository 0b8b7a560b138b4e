// Command-line programs run in a test folder, one at a time or as a table.
#pragma once

#include <string>
#include <utility>
#include <vector>

#include "testfiles.h"

// A command-line program run in a folder, its output caught in files so that
// no pipe can fill up.
struct ToolResult {
    int code = -1;  // the exit status, or -1 when a signal ended it
    std::string out, err;
};
// Starts program in cwd with args; stdout and stderr go to files "out" and
// "err" in io.
int StartTool(const char* program, const std::string& cwd, std::vector<std::string> args,
              const TempDir& io);
int WaitTool(int pid);
ToolResult RunTool(const char* program, const std::string& cwd, std::vector<std::string> args);

// One run in a table of a program's runs: what it is given, its status, what
// it says on stderr (all of it when the text ends a line, else its start) and
// the files it must write. Nothing else may be written; what a run writes
// new is removed before the next.
struct ToolCase {
    std::vector<std::string> args;
    int code = 0;
    std::string err = {};
    std::vector<std::pair<std::string, ByteVec>> written = {};
    std::string cwd = ".";  // within the folder
};
void ExpectRuns(const char* program, const TempDir& dir, const std::vector<ToolCase>& cases);
