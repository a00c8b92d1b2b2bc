#include "ToolRun.h"

#include <gtest/gtest.h>

namespace {

TEST(ToolCommands, VersionHelpAndUnknownCommands) {
    const Captured version = run({"--version"});
    EXPECT_EQ(version.code, 0);
    EXPECT_EQ(version.out, QStringLiteral("quorlent-tool " QUORLENT_VERSION "\n"));

    const Captured help = run({"--help"});
    EXPECT_EQ(help.code, 0);
    EXPECT_TRUE(help.out.startsWith("Usage: quorlent-tool COMMAND"));

    const Captured none = run({});
    EXPECT_EQ(none.code, 2);
    EXPECT_TRUE(none.out.isEmpty());
    EXPECT_TRUE(none.err.contains("Usage:"));

    const Captured unknown = run({"frobnicate"});
    EXPECT_EQ(unknown.code, 2);
    EXPECT_TRUE(unknown.err.contains("unknown command 'frobnicate'"));
}

} // namespace
