#include "CommandLine.h"

#include <gtest/gtest.h>

using quillane::SplitCommandLine;
using Args = std::vector<std::string>;

TEST(CommandLine, SplitsLikeWindowsPrograms) {
    EXPECT_EQ(SplitCommandLine("\"/opt/My App/cabarc\" -o X \"/tmp/a b.cab\" *.* /tmp/~Quillane/"),
              (Args{"/opt/My App/cabarc", "-o", "X", "/tmp/a b.cab", "*.*", "/tmp/~Quillane/"}));
    EXPECT_EQ(SplitCommandLine("  a\t\tb  "), (Args{"a", "b"}));
    EXPECT_EQ(SplitCommandLine("\"\""), (Args{""}));
    EXPECT_EQ(SplitCommandLine("a\"b c\"d"), (Args{"ab cd"}));
    EXPECT_EQ(SplitCommandLine("\"say \"\"hi\"\"\""), (Args{"say \"hi\""}));
    EXPECT_EQ(SplitCommandLine("a\\\\b \\\"q\\\" c\\\\\\\\\"d e\""), (Args{"a\\\\b", "\"q\"", "c\\\\d e"}));
    EXPECT_EQ(SplitCommandLine(""), Args{});
    EXPECT_EQ(SplitCommandLine("\"unterminated arg"), (Args{"unterminated arg"}));
}

TEST(CommandLine, HelpAndVersionAreExactlyThoseWords) {
    EXPECT_EQ(quillane::CommandLineInformation("--version", "2.0"), std::optional<std::string>("Quillane 2.0\n"));
    const auto help = quillane::CommandLineInformation("--help", "2.0");
    ASSERT_TRUE(help);
    EXPECT_EQ(help->rfind("Usage: quillane [PACK | FOLDER]\n", 0), 0u);
    EXPECT_NE(help->find("$XDG_CONFIG_HOME/Quillane/Config.ini"), std::string::npos);
    // Anything else is a pack to install, even when it looks like an option.
    for (const char* argument : {"", "--Help", "-h", "--version ", "--versions", "/home/me/--help", "http://x/--help"}) {
        EXPECT_FALSE(quillane::CommandLineInformation(argument, "2.0")) << argument;
    }
}
