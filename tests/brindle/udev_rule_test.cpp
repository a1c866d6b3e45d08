// The udev rule shipped for the instrument: every rule line is well formed
// as udev reads it, and the ids it opens up are the ones brindle looks for.
#include <map>
#include <regex>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "brindle/usb_access.h"
#include "support/test_platform.h"

namespace {

struct Pair {
    std::string key;  // "ATTR{idVendor}"
    std::string op;   // "==", "+=" ...
    std::string value;
};

// A rule line as comma-separated KEY[{attribute}] OP "value" pairs; empty
// when a pair does not parse.
std::vector<Pair> pairsOf(const std::string& line)
{
    static const std::regex pair(R"re(\s*([A-Z_]+(?:\{[A-Za-z0-9_]+\})?)\s*(==|!=|\+=|-=|:=|=)\s*"([^"]*)"\s*(,|$))re");
    std::vector<Pair> out;
    auto at = line.cbegin();
    std::smatch m;
    while (at != line.cend()) {
        if (!std::regex_search(at, line.cend(), m, pair, std::regex_constants::match_continuous))
            return {};
        out.push_back({m[1], m[2], m[3]});
        at = m[0].second;
    }
    return out;
}

bool isMatch(const std::string& op) { return op == "==" || op == "!="; }

} // namespace

TEST(UdevRule, LinesAreWellFormedAndOpenTheDefaultIds)
{
    const std::string text = orbilan::test::readFile(ORBILAN_SOURCE_DIR "/packaging/udev/60-orbilan.rules");
    ASSERT_FALSE(text.empty());
    // Keys udev knows, with what each may do: match, assign, or both.
    const std::map<std::string, std::string> keys = {
        {"SUBSYSTEM", "match"}, {"ACTION", "match"},  {"KERNEL", "match"}, {"ENV", "both"},
        {"ATTR", "both"},       {"ATTRS", "match"},   {"TAG", "both"},     {"MODE", "assign"},
        {"GROUP", "assign"},    {"OWNER", "assign"},
    };
    const std::string ids = brindle::UsbIdText(brindle::DefaultUsbId);
    const std::string vendor = ids.substr(0, 4), product = ids.substr(5);
    int rules = 0;
    bool opensTheInstrument = false;
    std::istringstream in(text);
    std::string line;
    while (std::getline(in, line)) {
        if (line.empty() || line[0] == '#')
            continue;
        ++rules;
        EXPECT_NE(line.back(), '\\') << "continued lines are not needed: " << line;
        const std::vector<Pair> pairs = pairsOf(line);
        ASSERT_FALSE(pairs.empty()) << "not a rule: " << line;
        std::map<std::string, std::string> matches;
        bool uaccess = false;
        for (const Pair& p : pairs) {
            const std::string name = p.key.substr(0, p.key.find('{'));
            ASSERT_TRUE(keys.count(name)) << "unknown key " << p.key;
            const std::string& may = keys.at(name);
            EXPECT_TRUE(may == "both" || (may == "match") == isMatch(p.op)) << p.key << p.op;
            EXPECT_EQ(p.key.find('{') != std::string::npos, name == "ENV" || name == "ATTR" || name == "ATTRS")
                << p.key;
            if (isMatch(p.op))
                matches[p.key] = p.value;
            uaccess = uaccess || (p.key == "TAG" && p.op == "+=" && p.value == "uaccess");
        }
        if (matches["SUBSYSTEM"] == "usb" && matches["ENV{DEVTYPE}"] == "usb_device"
            && matches["ATTR{idVendor}"] == vendor && matches["ATTR{idProduct}"] == product && uaccess)
            opensTheInstrument = true;
    }
    EXPECT_EQ(rules, 1);
    EXPECT_TRUE(opensTheInstrument) << "no rule tags " << vendor << ":" << product << " for the seat's user";
    // The printer port needs the group, which the file tells.
    EXPECT_NE(text.find("usermod -aG lp"), std::string::npos);

    // The pair parser itself refuses what udev refuses.
    EXPECT_TRUE(pairsOf(R"(SUBSYSTEM=="usb" ATTR{idVendor}=="0547")").empty()); // no comma
    EXPECT_TRUE(pairsOf(R"(SUBSYSTEM=="usb", TAG+=uaccess)").empty());           // unquoted
    EXPECT_EQ(pairsOf(R"(SUBSYSTEM=="usb", TAG+="uaccess")").size(), 2u);
}
