// brindle's device object and exports against a driver that records every
// request: the instance search, the request codes and buffers, the log lines
// and when they reach the file, and the port emulation's frames and bit map.
#include <cstdlib>
#include <deque>
#include <filesystem>
#include <fstream>
#include <set>

#include <gtest/gtest.h>
#include <sys/stat.h>

#include "brindle/brindle.h"
#include "brindle/driver.h"
#include "brindle/port_map.h"
#include "support/test_platform.h"

namespace {

struct Request {
    std::uint32_t code = 0;
    std::vector<int> in;
    std::vector<int> out; // what the caller handed over (the bytes of a write)
    std::uint32_t outSize = 0;
};

class RecordingDriver : public brindle::Driver {
public:
    std::set<int> present{0};
    std::vector<std::string> opened;
    int closes = 0;
    std::vector<Request> requests;
    std::deque<std::vector<unsigned char>> replies;
    int failFrom = -1; // requests from this one (0-based) on fail

    brindle::Handle open(const std::string& name) override
    {
        opened.push_back(name);
        const int digit = name.back() - '0';
        return present.count(digit) ? 100 + digit : brindle::InvalidHandle;
    }
    bool control(brindle::Handle handle, std::uint32_t code, const void* in, std::uint32_t inSize, void* out,
                 std::uint32_t outSize, std::uint32_t& returned) override
    {
        invalidUses += handle == brindle::InvalidHandle;
        Request r;
        r.code = code;
        r.outSize = outSize;
        for (std::uint32_t i = 0; i < inSize; ++i)
            r.in.push_back(static_cast<const unsigned char*>(in)[i]);
        if (code == brindle::IoctlBulkWrite)
            for (std::uint32_t i = 0; i < outSize; ++i)
                r.out.push_back(static_cast<const unsigned char*>(out)[i]);
        requests.push_back(r);
        returned = 0;
        if (failFrom >= 0 && static_cast<int>(requests.size()) > failFrom)
            return false;
        if (code == brindle::IoctlBulkRead) {
            std::vector<unsigned char> reply;
            if (!replies.empty()) {
                reply = replies.front();
                replies.pop_front();
            }
            for (std::size_t i = 0; i < reply.size(); ++i)
                static_cast<unsigned char*>(out)[i] = reply[i];
            returned = static_cast<std::uint32_t>(reply.size());
        } else if (code == brindle::IoctlBulkWrite) {
            returned = outSize;
        } else if (out) {
            returned = outSize;
        }
        return true;
    }
    void close(brindle::Handle handle) override
    {
        invalidUses += handle == brindle::InvalidHandle;
        ++closes;
    }
    int invalidUses = 0; // requests or closes on a handle that never opened
};

class Brindle : public ::testing::Test {
protected:
    Brindle()
    {
        setenv("XDG_STATE_HOME", state.str().c_str(), 1);
        brindle::useDriver(&driver);
    }
    ~Brindle() override { brindle::useDriver(nullptr); }
    std::string log() const { return orbilan::test::readFile(logFile()); }
    std::filesystem::path logFile() const { return state.path() / "orbilan" / "vnalog.txt"; }

    orbilan::test::TempDir state;
    RecordingDriver driver;
};

} // namespace

TEST_F(Brindle, ConstructorSearchesTheInstanceAndClosesAgain)
{
    driver.present = {3};
    {
        VNADevice d;
        EXPECT_EQ(d.get_State(), 1);
        EXPECT_EQ(d.get_Instance(), 3);
        EXPECT_EQ(driver.opened, (std::vector<std::string>{"\\\\.\\ezusb-0", "\\\\.\\ezusb-1", "\\\\.\\ezusb-2", "\\\\.\\ezusb-3"}));
        EXPECT_EQ(driver.closes, 1);
    }
    driver.present = {};
    driver.opened.clear();
    VNADevice none;
    EXPECT_EQ(none.get_State(), -1);
    EXPECT_EQ(none.get_Instance(), 255);
    EXPECT_EQ(driver.opened.size(), 10u);
    unsigned char frame[4] = {1, 2, 3, 4};
    EXPECT_FALSE(none.Write(frame, 4));
}

TEST_F(Brindle, SetInstanceTakesZeroToNineOnly)
{
    driver.present = {0, 3};
    VNADevice d;
    EXPECT_FALSE(d.set_Instance(10));
    EXPECT_FALSE(d.set_Instance(-1));
    EXPECT_EQ(d.get_Instance(), 0);
    EXPECT_TRUE(d.set_Instance(3));
    driver.opened.clear();
    unsigned char reply[256];
    EXPECT_TRUE(d.Read(reply));
    EXPECT_EQ(driver.opened, (std::vector<std::string>{"\\\\.\\ezusb-3"}));
}

TEST_F(Brindle, InitReadsThreeBlocksAndStartStopSendTheHoldRequest)
{
    VNADevice d;
    EXPECT_TRUE(d.Init());
    ASSERT_EQ(driver.requests.size(), 3u);
    EXPECT_EQ(driver.requests[0].code, 0x222004u);
    EXPECT_EQ(driver.requests[0].outSize, 18u);
    EXPECT_EQ(driver.requests[1].code, 0x222074u);
    EXPECT_EQ(driver.requests[1].outSize, 6u);
    EXPECT_EQ(driver.requests[2].code, 0x222008u);
    EXPECT_EQ(driver.requests[2].outSize, 9u);
    EXPECT_EQ(d.get_BytesReturned(), 9);
    EXPECT_EQ(driver.closes, 2); // after the search, and after the reads

    EXPECT_TRUE(d.Stop());
    EXPECT_TRUE(d.Start());
    ASSERT_EQ(driver.requests.size(), 5u);
    EXPECT_EQ(driver.requests[3].code, 0x222014u);
    EXPECT_EQ(driver.requests[3].in, (std::vector<int>{0xA0, 0, 0x92, 0x7F, 0, 0, 1, 0, 0, 1}));
    EXPECT_EQ(driver.requests[4].in, (std::vector<int>{0xA0, 0, 0x92, 0x7F, 0, 0, 1, 0, 0, 0}));

    // A failed read leaves the handle open: the next transfer uses it.
    driver.failFrom = 6;
    const int closes = driver.closes;
    EXPECT_FALSE(d.Init());
    EXPECT_EQ(driver.closes, closes);
    const std::size_t opens = driver.opened.size();
    unsigned char reply[256];
    EXPECT_FALSE(d.Read(reply));
    EXPECT_EQ(driver.opened.size(), opens);
}

TEST_F(Brindle, TransfersUseTheirPipesAndLogExactLines)
{
    {
        VNADevice d;
        unsigned char frame[4] = {0x5A, 0x80, 0x20, 0x00};
        EXPECT_TRUE(d.Write(frame, 4));
        driver.replies.push_back({1, 2, 3, 4, 5});
        driver.replies.push_back(std::vector<unsigned char>(255, 0xAB));
        unsigned char reply[256];
        EXPECT_TRUE(d.Read(reply));
        EXPECT_EQ(d.get_BytesReturned(), 5);
        EXPECT_TRUE(d.Read(reply));
        EXPECT_EQ(d.get_BytesReturned(), 255);
        EXPECT_EQ(driver.closes, 1); // the handle stays open between transfers
        ASSERT_EQ(driver.requests.size(), 3u);
        EXPECT_EQ(driver.requests[0].code, 0x222051u);
        EXPECT_EQ(driver.requests[0].in, (std::vector<int>{0, 0, 0, 0}));
        EXPECT_EQ(driver.requests[0].out, (std::vector<int>{0x5A, 0x80, 0x20, 0x00}));
        EXPECT_EQ(driver.requests[1].code, 0x22204Eu);
        EXPECT_EQ(driver.requests[1].in, (std::vector<int>{1, 0, 0, 0}));
        EXPECT_EQ(driver.requests[1].outSize, 255u);
        EXPECT_FALSE(std::filesystem::exists(logFile())); // not before it fills or the device goes

        EXPECT_FALSE(d.Write(nullptr, 4));
        EXPECT_FALSE(d.Write(frame, -1));
        EXPECT_FALSE(d.Read(nullptr));
    }
    EXPECT_EQ(log(), "Cache created\n"
                     "Write Length 4: Message = 5a 80 20 00 \n"
                     "Read command, count = 5 Data =01 02 03 04 05 \n"
                     "Read command, count = 255 Data =\n"
                     "Cache closed\n");
}

TEST_F(Brindle, FullLogIsAppendedBeforeItOverflows)
{
    std::size_t expected = std::string("Cache created\n").size();
    {
        VNADevice d;
        unsigned char frame[15] = {0x55, 0x50, 10, 1, 0, 0, 1, 2, 3, 4, 0, 1, 2, 3, 4};
        const std::size_t entry = std::string("Write Length 15: Message = ").size() + 15 * 3 + 1;
        for (int i = 0; i < 14000; ++i)
            ASSERT_TRUE(d.Write(frame, 15));
        expected += 14000 * entry;
        ASSERT_TRUE(std::filesystem::exists(logFile()));
        EXPECT_GT(std::filesystem::file_size(logFile()), 998976u);
        EXPECT_LE(std::filesystem::file_size(logFile()), 1000000u);
        // A write far longer than the slack left after the flush point.
        std::vector<unsigned char> big(30000, 0x11);
        ASSERT_TRUE(d.Write(big.data(), 30000));
        expected += std::string("Write Length 30000: Message = ").size() + 30000 * 3 + 1;
    }
    expected += std::string("Cache closed\n").size();
    EXPECT_EQ(std::filesystem::file_size(logFile()), expected); // nothing lost, nothing doubled
}

TEST_F(Brindle, LogFilePastItsLimitIsKeptAsTheOldOneAndBegunAgain)
{
    const std::string session = "Cache created\nCache closed\n";
    constexpr std::uintmax_t limit = 16u * 1024 * 1024;
    namespace fs = std::filesystem;
    fs::create_directories(logFile().parent_path());
    const fs::path old = logFile().string() + ".1";

    // Just room for this session: appended as always.
    { std::ofstream(logFile()) << "earlier\n"; }
    fs::resize_file(logFile(), limit - session.size());
    { VNADevice d; }
    EXPECT_EQ(fs::file_size(logFile()), limit);
    EXPECT_FALSE(fs::exists(old));

    // One byte more would pass the limit: the full file becomes the old one
    // (replacing an earlier old one) and this session starts a new file.
    { std::ofstream(old) << "the one before\n"; }
    { VNADevice d; }
    EXPECT_EQ(log(), session);
    ASSERT_EQ(fs::file_size(old), limit);
    EXPECT_EQ(orbilan::test::readFile(old).substr(0, 8), "earlier\n");
}

TEST_F(Brindle, TheLogIsNeverWrittenThroughALinkOrIntoAPipe)
{
    namespace fs = std::filesystem;
    fs::create_directories(logFile().parent_path());
    // A link in the log's place pointing at another file of the user's.
    const auto victim = state.write("victim", "keep\n");
    fs::create_symlink(victim, logFile());
    { VNADevice d; }
    EXPECT_EQ(orbilan::test::readFile(victim), "keep\n");
    EXPECT_TRUE(fs::is_symlink(logFile()));

    // A pipe with no reader must not hang the transfers.
    fs::remove(logFile());
    ASSERT_EQ(mkfifo(logFile().c_str(), 0600), 0);
    { VNADevice d; }
    EXPECT_TRUE(fs::is_fifo(fs::symlink_status(logFile())));
}

TEST_F(Brindle, UnwritableLogFileLosesTheLogNotTheTransfers)
{
    const auto blocker = state.write("orbilan", "a file where the folder should be");
    VNADevice d;
    unsigned char frame[4] = {0x5A, 0x80, 0, 0};
    EXPECT_TRUE(d.Write(frame, 4));
}

TEST_F(Brindle, PortEmulationFramesAndBitMap)
{
    EXPECT_EQ(Out32(0x378, 0x01), 1);
    EXPECT_EQ(Out32(0x278, 0x80), 1);
    ASSERT_EQ(driver.requests.size(), 2u);
    EXPECT_EQ(driver.requests[0].out, (std::vector<int>{0x5A, 0x80, 0x20, 0x00}));
    EXPECT_EQ(driver.requests[1].out, (std::vector<int>{0x5A, 0x80, 0x00, 0x00})); // bit 7 is not carried
    EXPECT_EQ(Out32(0x3BC, 0x01), 0);
    EXPECT_EQ(driver.requests.size(), 2u);

    driver.replies.push_back({0, 0, 0x00, 0, 0});
    EXPECT_EQ(Inp32(0x379), 0x80);
    driver.replies.push_back({0, 0, 0x80, 0, 0});
    EXPECT_EQ(Inp32(0x279), 0x00);
    driver.replies.push_back({0, 0, 0x21, 0, 0});
    EXPECT_EQ(Inp32(0x378), 0x21);
    driver.replies.push_back({0, 0, 0x40, 0, 0});
    EXPECT_EQ(Inp32(0x278), 0x02);
    driver.replies.push_back({0, 0, 0x80, 0});
    EXPECT_EQ(Inp32(0x379), -1); // fewer than 5 bytes
    EXPECT_EQ(Inp32(0x37A), -1);
    driver.present = {};
    EXPECT_EQ(Inp32(0x379), -1);
    EXPECT_EQ(Out32(0x378, 0x01), 0);

    // Every call made its own device and appended a whole block to the log.
    const std::string text = log();
    std::size_t created = 0, closed = 0;
    for (std::size_t at = 0; (at = text.find("Cache created\n", at)) != std::string::npos; ++at)
        ++created;
    for (std::size_t at = 0; (at = text.find("Cache closed\n", at)) != std::string::npos; ++at)
        ++closed;
    EXPECT_EQ(created, 9u);
    EXPECT_EQ(closed, 9u);
    EXPECT_NE(text.find("Cache created\nWrite Length 4: Message = 5a 80 20 00 \nCache closed\n"), std::string::npos);

    for (int v = 0; v < 128; ++v)
        EXPECT_EQ(brindle::MapPortBits(brindle::MapPortBits(static_cast<std::uint8_t>(v))), v);
    EXPECT_EQ(brindle::MapPortBits(0x04), 0x08);
    EXPECT_EQ(brindle::MapPortBits(0x10), 0x10);
    EXPECT_EQ(brindle::MapPortBits(0x40), 0x02);
}

TEST_F(Brindle, SharedDeviceCarriesTheFrames)
{
    unsigned char frame[15] = {0x55, 0x00};
    EXPECT_EQ(vnawrite(frame, 15), 1);
    driver.replies.push_back({0, 0x20, 0, 0, 0, 9});
    unsigned char reply[256];
    std::int16_t count = -1;
    EXPECT_EQ(vnaread(reply, &count), 1);
    EXPECT_EQ(count, 6);
    driver.failFrom = static_cast<int>(driver.requests.size());
    count = -1;
    EXPECT_EQ(vnaread(reply, &count), 0);
    EXPECT_EQ(count, 0);
    driver.failFrom = -1;
    EXPECT_EQ(vnaread(reply, &count), 1); // the next call tries again
    EXPECT_EQ(vnaread(reply, nullptr), 1);
    EXPECT_EQ(vnaread(nullptr, &count), 0);
    EXPECT_EQ(driver.opened.size(), 2u); // searched once, then opened once and kept open
    EXPECT_EQ(driver.closes, 1);
}

TEST_F(Brindle, WithoutAnInstrumentEveryMemberFailsAndNoHandleIsUsed)
{
    driver.present = {};
    VNADevice d;
    ASSERT_EQ(d.get_State(), -1);
    unsigned char frame[15] = {0x55};
    unsigned char reply[256] = {};
    for (int round = 0; round < 2; ++round) { // and again: every call searches anew
        EXPECT_FALSE(d.Init());
        EXPECT_FALSE(d.Start());
        EXPECT_FALSE(d.Stop());
        EXPECT_FALSE(d.Write(frame, 15));
        EXPECT_FALSE(d.Read(reply));
        EXPECT_FALSE(d.Read(nullptr));
        EXPECT_FALSE(d.Write(nullptr, 15));
        EXPECT_FALSE(d.Write(frame, -1));
        EXPECT_EQ(d.get_BytesReturned(), 0);
        EXPECT_EQ(d.get_State(), -1);
        EXPECT_EQ(d.get_Instance(), 255);
    }
    EXPECT_TRUE(driver.requests.empty());
    EXPECT_EQ(driver.closes, 0);
    EXPECT_EQ(driver.invalidUses, 0);
    EXPECT_EQ(Out32(0x378, 1), 0);
    EXPECT_EQ(Inp32(0x379), -1);
    EXPECT_TRUE(driver.requests.empty());

    // An instrument plugged in later is found by the next open.
    driver.present = {2};
    EXPECT_TRUE(d.Write(frame, 15));
    EXPECT_EQ(d.get_State(), 1);
    EXPECT_EQ(d.get_Instance(), 2);
    EXPECT_EQ(driver.invalidUses, 0);
}

TEST(BrindleLog, GoesToTheUsersStateFolderOrNowhere)
{
    const char* keepState = std::getenv("XDG_STATE_HOME");
    const char* keepHome = std::getenv("HOME");
    const std::string savedState = keepState ? keepState : "", savedHome = keepHome ? keepHome : "";
    setenv("XDG_STATE_HOME", "/run/user/7/state", 1);
    setenv("HOME", "/home/ham", 1);
    EXPECT_EQ(brindle::logFilePath(), "/run/user/7/state/orbilan/vnalog.txt");
    setenv("XDG_STATE_HOME", "relative/state", 1); // not a place to trust
    EXPECT_EQ(brindle::logFilePath(), "/home/ham/.local/state/orbilan/vnalog.txt");
    unsetenv("XDG_STATE_HOME");
    unsetenv("HOME");
    EXPECT_EQ(brindle::logFilePath(), ""); // never a shared folder such as /tmp
    keepState ? setenv("XDG_STATE_HOME", savedState.c_str(), 1) : unsetenv("XDG_STATE_HOME");
    keepHome ? setenv("HOME", savedHome.c_str(), 1) : unsetenv("HOME");
}
