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
