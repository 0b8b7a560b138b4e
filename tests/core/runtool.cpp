#include "runtool.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/wait.h>
#include <unistd.h>

#include <algorithm>
#include <filesystem>

namespace fs = std::filesystem;

int StartTool(const char* program, const std::string& cwd, std::vector<std::string> args,
              const TempDir& io) {
    const pid_t pid = ::fork();
    if (pid == 0) {
        if (::chdir(cwd.c_str()) != 0) ::_exit(120);
        ::dup2(::open(io.Path("out").c_str(), O_WRONLY | O_CREAT, 0600), 1);
        ::dup2(::open(io.Path("err").c_str(), O_WRONLY | O_CREAT, 0600), 2);
        std::vector<char*> argv = {const_cast<char*>(program)};
        for (auto& a : args) argv.push_back(a.data());
        argv.push_back(nullptr);
        ::execv(program, argv.data());
        ::_exit(121);
    }
    return pid;
}

int WaitTool(int pid) {
    int status = 0;
    ::waitpid(pid, &status, 0);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
}

ToolResult RunTool(const char* program, const std::string& cwd, std::vector<std::string> args) {
    TempDir io;
    const int code = WaitTool(StartTool(program, cwd, std::move(args), io));
    const ByteVec out = ReadFile(io.Path("out")), err = ReadFile(io.Path("err"));
    return {code, std::string(out.begin(), out.end()), std::string(err.begin(), err.end())};
}

void ExpectRuns(const char* program, const TempDir& dir, const std::vector<ToolCase>& cases) {
    for (const ToolCase& c : cases) {
        SCOPED_TRACE(testing::PrintToString(c.args));
        const std::vector<std::string> before = dir.Entries();
        const ToolResult r = RunTool(program, dir.Path(c.cwd), c.args);
        EXPECT_EQ(r.code, c.code);
        EXPECT_EQ(r.err.substr(0, c.err.size()), c.err);
        if (c.err.empty() || c.err.back() == '\n') {
            EXPECT_EQ(r.err.size(), c.err.size()) << r.err;
        }
        std::vector<std::string> after = before;
        for (const auto& [name, bytes] : c.written) {
            EXPECT_EQ(ReadFile(dir.Path(name)), bytes) << name;
            after.push_back(name);
        }
        std::sort(after.begin(), after.end());
        after.erase(std::unique(after.begin(), after.end()), after.end());
        EXPECT_EQ(dir.Entries(), after);  // nothing else written
        for (const auto& [name, bytes] : c.written)
            if (!std::binary_search(before.begin(), before.end(), name)) fs::remove(dir.Path(name));
    }
}
