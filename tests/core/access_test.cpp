// Files the user may not read: refused like any unreadable file. Tests run as
// root in CI, where permissions don't apply, so the readers run in a child
// that has given up root first.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include "font.h"
#include "palette.h"
#include "testfiles.h"

namespace {

TEST(Access, UnreadableFilesAreRefused) {
    TempDir dir;
    const std::string font = dir.Path("locked.sft"), cmp = dir.Path("locked.cmp"), bm = dir.Path("locked.bm");
    WriteFile(font, MakeFont(8, 2, 2));
    WriteFile(cmp, MakeCMP(PatternPalette(1)));
    WriteFile(bm, MakeBM(PatternPalette(1)));
    for (const auto& p : {font, cmp, bm}) ASSERT_EQ(::chmod(p.c_str(), 0), 0);
    ASSERT_EQ(::chmod(dir.Dir().c_str(), 0755), 0);

    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        if (::geteuid() == 0 && (::setgid(65534) != 0 || ::setuid(65534) != 0)) ::_exit(10);
        if (::access(font.c_str(), R_OK) == 0) ::_exit(11);  // still able to read: no test
        TSftFont f;
        TCharTable t{};
        if (LoadSFT(font, f, t, 255)) ::_exit(12);
        TPalette pal{};
        RecordingSink sink;
        if (LoadCMPPalette(cmp, pal, sink) || LoadBMPalette(bm, pal, sink)) ::_exit(13);
        if (sink.shown != std::vector<std::string>{kInvalidCMP, kInvalidBM}) ::_exit(14);
        if (pal != TPalette{}) ::_exit(15);
        ::_exit(0);
    }
    int status = 0;
    ASSERT_EQ(::waitpid(child, &status, 0), child);
    ASSERT_TRUE(WIFEXITED(status));
    EXPECT_EQ(WEXITSTATUS(status), 0);
}

}  // namespace
