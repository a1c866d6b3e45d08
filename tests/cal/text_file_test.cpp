// Whole-file replace: the target is either the old file or the new one,
// never a half-written one, and every failure comes back as an error.
#include <csignal>
#include <filesystem>

#include <gtest/gtest.h>
#include <sys/resource.h>
#include <unistd.h>

#include "cal/text_file.h"
#include "support/test_platform.h"

using namespace orbilan::cal;
namespace fs = std::filesystem;
using orbilan::test::readFile;
using orbilan::test::TempDir;

namespace {
// Nothing but the named files in the folder: no temporary left behind.
std::vector<std::string> namesIn(const fs::path& dir)
{
    std::vector<std::string> names;
    for (const auto& e : fs::directory_iterator(dir))
        names.push_back(e.path().filename().string());
    std::sort(names.begin(), names.end());
    return names;
}
} // namespace

TEST(TextFile, CreatesAndReplaces)
{
    TempDir dir;
    const auto target = (dir.path() / "a.cal").string();
    EXPECT_FALSE(ReplaceFileContents(target, "first\r\n"));
    EXPECT_EQ(readFile(target), "first\r\n");
    EXPECT_FALSE(ReplaceFileContents(target, "second"));
    EXPECT_EQ(readFile(target), "second");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"a.cal"});

    // Through a link: the link stays, the file it names changes.
    fs::create_symlink(target, dir.path() / "link.cal");
    EXPECT_FALSE(ReplaceFileContents((dir.path() / "link.cal").string(), "third"));
    EXPECT_TRUE(fs::is_symlink(dir.path() / "link.cal"));
    EXPECT_EQ(readFile(target), "third");
}

TEST(TextFile, FailuresAreReportedAndLeaveNothingBehind)
{
    TempDir dir;
    dir.write("plain", "x");
    auto error = ReplaceFileContents((dir.path() / "missing" / "a.cal").string(), "data");
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 76);
    error = ReplaceFileContents((dir.path() / "plain" / "a.cal").string(), "data"); // a file as folder
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 76);

    // A folder in the target's place stays as it is.
    fs::create_directory(dir.path() / "taken.cal");
    dir.write("taken.cal/inside", "keep");
    error = ReplaceFileContents((dir.path() / "taken.cal").string(), "data");
    ASSERT_TRUE(error);
    EXPECT_EQ(readFile(dir.path() / "taken.cal" / "inside"), "keep");
    EXPECT_EQ(namesIn(dir.path()), (std::vector<std::string>{"plain", "taken.cal"}));
}

TEST(TextFile, AFailedWriteKeepsTheOldFile)
{
    TempDir dir;
    const auto target = dir.write("old.cal", "the previous calibration\r\n");
    // The file-size limit makes the write itself fail half way, as a full
    // disk would.
    std::signal(SIGXFSZ, SIG_IGN);
    rlimit saved{};
    ASSERT_EQ(getrlimit(RLIMIT_FSIZE, &saved), 0);
    rlimit small = saved;
    small.rlim_cur = 1000;
    ASSERT_EQ(setrlimit(RLIMIT_FSIZE, &small), 0);
    const auto error = ReplaceFileContents(target.string(), std::string(100000, 'z'));
    setrlimit(RLIMIT_FSIZE, &saved);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 61);
    EXPECT_EQ(readFile(target), "the previous calibration\r\n");
    EXPECT_EQ(namesIn(dir.path()), std::vector<std::string>{"old.cal"});
}

TEST(TextFile, ReadOnlyFolder)
{
    if (geteuid() == 0)
        GTEST_SKIP() << "permissions do not bind the super-user";
    TempDir dir;
    const auto target = dir.write("old.cal", "keep");
    fs::permissions(dir.path(), fs::perms::owner_read | fs::perms::owner_exec);
    const auto error = ReplaceFileContents(target.string(), "new");
    fs::permissions(dir.path(), fs::perms::owner_all);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 70);
    EXPECT_EQ(readFile(target), "keep");
}

TEST(TextFile, ReadWholeFile)
{
    TempDir dir;
    std::string text;
    EXPECT_FALSE(ReadWholeFile(dir.write("a", "abc\r\n").string(), text, 100));
    EXPECT_EQ(text, "abc\r\n");
    auto error = ReadWholeFile(dir.write("big", std::string(101, 'b')).string(), text, 100);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 7);
    EXPECT_TRUE(text.empty());
    error = ReadWholeFile((dir.path() / "none").string(), text, 100);
    ASSERT_TRUE(error);
    EXPECT_EQ(error->number, 76);
    error = ReadWholeFile(dir.str(), text, 100); // a folder
    ASSERT_TRUE(error);
    EXPECT_EQ(FileNameOf("/tmp/x/y.cal"), "y.cal");
}
