// The data folder: a client's file names stay inside it, whatever the name
// or the links on its way say.
#include <gtest/gtest.h>

#include <filesystem>

#include "remote/data_folder.h"
#include "support/test_platform.h"

namespace orbilan::remote {
namespace {

namespace fs = std::filesystem;

class DataFolderTest : public ::testing::Test {
protected:
    DataFolderTest()
    {
        fs::create_directories(root.path() / "data" / "sub");
        fs::create_directories(root.path() / "elsewhere");
        root.write("data/a.cal", "x");
        root.write("data/sub/b.cal", "x");
        root.write("elsewhere/secret.cal", "x");
        fs::create_symlink(root.path() / "elsewhere" / "secret.cal", data() / "out.cal");
        fs::create_symlink(root.path() / "elsewhere", data() / "outdir");
        fs::create_symlink(data() / "a.cal", data() / "in.cal");
        fs::create_symlink(root.path() / "elsewhere" / "missing.cal", data() / "dangling.cal");
    }

    fs::path data() const { return root.path() / "data"; }
    std::string real(const std::string& name) const { return (fs::canonical(data()) / name).string(); }

    test::TempDir root;
};

TEST_F(DataFolderTest, NamesInsideTheFolderResolveToTheirFiles)
{
    const DataFolder folder(data().string());
    ASSERT_TRUE(folder.valid());
    std::string why;
    EXPECT_EQ(folder.forReading("a.cal", why), real("a.cal"));
    EXPECT_EQ(folder.forReading("sub/b.cal", why), real("sub/b.cal"));
    EXPECT_EQ(folder.forReading("./sub/../a.cal", why), std::nullopt); // no ".." at all, even one that stays in
    EXPECT_EQ(folder.forReading("in.cal", why), real("a.cal"));         // a link inside is followed
    EXPECT_EQ(folder.forWriting("new.cal", why), real("new.cal"));
    EXPECT_EQ(folder.forWriting("sub/new.cal", why), real("sub/new.cal"));
    EXPECT_EQ(folder.forWriting("a.cal", why), real("a.cal"));
}

TEST_F(DataFolderTest, NothingOutsideIsReachable)
{
    const DataFolder folder(data().string());
    const struct {
        const char* name;
        bool write;
        const char* why;
    } refused[] = {
        {"", false, "no file name"},
        {"/etc/passwd", false, "absolute paths are refused: name a file in the data folder"},
        {"/tmp/x.cal", true, "absolute paths are refused: name a file in the data folder"},
        {"../elsewhere/secret.cal", false, "a name with .. is refused: name a file in the data folder"},
        {"sub/../../x.cal", true, "a name with .. is refused: name a file in the data folder"},
        {"out.cal", false, "out.cal leads out of the data folder"},
        {"out.cal", true, "out.cal leads out of the data folder"},
        {"outdir/secret.cal", false, "outdir/secret.cal leads out of the data folder"},
        {"outdir/new.cal", true, "outdir/new.cal leads out of the data folder"},
        {"dangling.cal", true, "dangling.cal leads nowhere"},
        {"missing.cal", false, "missing.cal does not exist in the data folder"},
        {"nofolder/x.cal", true, "the folder of nofolder/x.cal does not exist in the data folder"},
        {"sub", false, "sub is a folder, not a file"},
        {"sub/", true, "sub/ names a folder, not a file"},
        {".", true, ". names a folder, not a file"},
    };
    for (const auto& r : refused) {
        std::string why;
        const auto path = r.write ? folder.forWriting(r.name, why) : folder.forReading(r.name, why);
        EXPECT_EQ(path, std::nullopt) << r.name;
        EXPECT_EQ(why, r.why) << r.name;
    }
}

TEST_F(DataFolderTest, AMissingFolderServesNoFile)
{
    const DataFolder folder((root.path() / "nowhere").string());
    EXPECT_FALSE(folder.valid());
    std::string why;
    EXPECT_EQ(folder.forReading("a.cal", why), std::nullopt);
    EXPECT_EQ(why, "the data folder is missing");
}

} // namespace
} // namespace orbilan::remote
