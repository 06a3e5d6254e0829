#include "core/command_line.h"

#include <gtest/gtest.h>

namespace boardcast {
namespace {

using Args = std::vector<std::string>;

TEST(CommandLine, AcceptedForms) {
    struct Row {
        Args args;
        Command command;
        std::optional<std::string> dataDir;
        std::optional<std::string> format;
        bool bare;
    };
    const Row rows[] = {
        {{}, Command::Desktop, {}, {}, false},
        {{"--data-dir", "/tmp/x"}, Command::Desktop, "/tmp/x", {}, false},
        {{"--data-dir=/tmp/y"}, Command::Desktop, "/tmp/y", {}, false},
        {{"convert"}, Command::Convert, {}, {}, false},
        {{"convert", "--format", "ubb", "--bare"}, Command::Convert, {}, "ubb", true},
        {{"--bare", "--format=my name", "convert", "--data-dir", "d"}, Command::Convert, "d",
         "my name", true},
        {{"convert", "--format="}, Command::Convert, {}, "", false},
        {{"posts", "--data-dir", "d"}, Command::Posts, "d", {}, false},
        {{"forums"}, Command::Forums, {}, {}, false},
        {{"check"}, Command::Check, {}, {}, false},
        {{"watch", "http://a/b?c=1"}, Command::Watch, {}, {}, false},
        {{"--help"}, Command::Help, {}, {}, false},
        {{"convert", "-h"}, Command::Help, {}, {}, false},
    };
    for (const Row& r : rows) {
        auto parsed = parseCommandLine(r.args);
        ASSERT_TRUE(parsed.ok()) << testing::PrintToString(r.args) << ": " << parsed.error().text;
        EXPECT_EQ(parsed.value().command, r.command);
        EXPECT_EQ(parsed.value().dataDir, r.dataDir);
        EXPECT_EQ(parsed.value().format, r.format);
        EXPECT_EQ(parsed.value().bare, r.bare);
    }
    EXPECT_EQ(parseCommandLine({"watch", "--data-dir", "d", "http://a/"}).value().url, "http://a/");
    EXPECT_EQ(parseCommandLine({"check"}).value().jobs, 1);
    EXPECT_EQ(parseCommandLine({"check", "--jobs", "8"}).value().jobs, 8);
    EXPECT_EQ(parseCommandLine({"--jobs=16", "check"}).value().jobs, 16);
}

TEST(CommandLine, RejectedForms) {
    const Args rows[] = {
        {"frobnicate"},           {"convert", "extra"},   {"--format"},
        {"convert", "--format"},  {"--data-dir"},         {"--data-dir="},
        {"--bare"},               {"convert", "--nope"},  {"--bare=1", "convert"},
        {"-x"},                   {"posts", "--bare"},    {"forums", "--format", "html"},
        {"posts", "forums"},      {"watch"},              {"watch", "a", "b"},
        {"check", "x"},           {"check", "--jobs"},    {"check", "--jobs", "0"},
        {"check", "--jobs=17"},   {"check", "--jobs=2x"}, {"check", "--jobs", "-1"},
        {"posts", "--jobs", "2"},
    };
    for (const Args& args : rows) {
        auto parsed = parseCommandLine(args);
        EXPECT_FALSE(parsed.ok()) << testing::PrintToString(args);
        if (!parsed.ok()) {
            EXPECT_FALSE(parsed.error().text.empty());
        }
    }
}

}  // namespace
}  // namespace boardcast
