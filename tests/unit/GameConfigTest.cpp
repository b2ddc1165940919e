#include "app/GameConfig.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Lines = std::vector<std::string>;

// In-memory files; a replace of a target listed in `unreplaceable` fails and
// leaves everything as it was, as the platform's replacing move does.
class FakeFiles : public IConfigFiles {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> unreadable;
    std::set<std::string> unreplaceable;

    bool ReadAll(const std::string& path, std::string& text) override {
        auto it = files.find(path);
        if (it == files.end() || unreadable.count(path))
            return false;
        text = it->second;
        return true;
    }
    bool Replace(const std::string& target, const std::string&, const std::string& text) override {
        if (unreplaceable.count(target))
            return false;
        files[target] = text;
        return true;
    }
};

const char kCfg[] = "japlus\\jampconfig.cfg";
const char kEx[] = "japlus\\jampconfig_ex.cfg";

TEST(ConfigLines, SplitsOnCrLfAndLoneLfAndKeepsALastLineWithoutEnd) {
    EXPECT_EQ(SplitConfigLines(""), Lines{});
    EXPECT_EQ(SplitConfigLines("a\r\nb\nc"), (Lines{"a", "b", "c"}));
    EXPECT_EQ(SplitConfigLines("\r\n\nx\r\n"), (Lines{"", "", "x"}));
    // A lone CR is not a line end and stays part of the line.
    EXPECT_EQ(SplitConfigLines("a\rb\r\n"), (Lines{"a\rb"}));
    EXPECT_EQ(JoinConfigLines({"a", "", "b"}), "a\r\n\r\nb\r\n");
}

TEST(ConfigLines, StagingSortsByCaseInsensitivePrefixWithoutTrimming) {
    const StagedConfig staged = StageConfigLines({
        "unbindall",
        "bind w +forward",
        "seta jp_x 1",
        "seta name Player", // the usual file
        "BIND x y",
        "UnBindAll",
        " bind x y",
        "bind",
        "binder x",
        "unbind x",
        "bin",
        "SETA JPX 2",
        "set jp_x 1",
        "seta  jp_x 1",
        "seta j",
        "",
        "unbindallx",
    });
    EXPECT_EQ(staged.extraLines, (Lines{"unbindall", "bind w +forward", "BIND x y", "UnBindAll",
                                        "bind", "binder x", "unbindallx"}));
    EXPECT_EQ(staged.mainLines, (Lines{"seta name Player", " bind x y", "unbind x", "bin",
                                       "set jp_x 1", "seta  jp_x 1", "seta j", ""}));
}

TEST(ConfigLines, RestoreDropsClanPasswordLinesCaseSensitively) {
    EXPECT_EQ(RestoreConfigLines({"seta cp_clanPwd \"m1:c2\"", "seta name x", "echo xcp_clanPwdx",
                                  "seta CP_CLANPWD y", ""}),
              (Lines{"seta name x", "seta CP_CLANPWD y", ""}));
}

TEST(ConfigFiles, StagingMovesBindsOutAndLeavesNoTemporaryFile) {
    FakeFiles fs;
    fs.files[kCfg] = "unbindall\nbind w +forward\r\nseta jp_x 1\r\nseta name Player";
    fs.files[kEx] = "old";
    StageConfigFiles(fs);
    EXPECT_EQ(fs.files[kCfg], "seta name Player\r\n");
    EXPECT_EQ(fs.files[kEx], "unbindall\r\nbind w +forward\r\n");
    EXPECT_EQ(fs.files.size(), 2u);
}

TEST(ConfigFiles, StagingWithoutBindsKeepsTheExtraFileOfAnEarlierLaunch) {
    FakeFiles fs;
    fs.files[kCfg] = "seta name Player\r\n\r\nseta jp_speed 1\r\n";
    fs.files[kEx] = "bind a b\r\n";
    StageConfigFiles(fs);
    EXPECT_EQ(fs.files[kCfg], "seta name Player\r\n\r\n");
    EXPECT_EQ(fs.files[kEx], "bind a b\r\n");
    EXPECT_EQ(fs.files.size(), 2u);
}

TEST(ConfigFiles, MissingOrUnreadableConfigurationChangesNothing) {
    FakeFiles fs;
    fs.files[kEx] = "bind a b\r\n";
    StageConfigFiles(fs);
    RestoreConfigFiles(fs);
    EXPECT_EQ(fs.files.size(), 1u);

    fs.files[kCfg] = "bind q w\r\n";
    fs.unreadable.insert(kCfg);
    StageConfigFiles(fs);
    RestoreConfigFiles(fs);
    EXPECT_EQ(fs.files[kCfg], "bind q w\r\n");
    EXPECT_EQ(fs.files[kEx], "bind a b\r\n");
    EXPECT_EQ(fs.files.size(), 2u);
}

// Bindings that cannot be put in place stay in the main configuration, which
// is then left exactly as it was; a failed restore keeps the configuration.
TEST(ConfigFiles, AFailedReplaceKeepsTheFilesAsTheyWere) {
    const std::string original = "bind w +forward\r\nseta jp_x 1\r\nseta cp_clanPwd \"a:b\"\r\n";
    for (const char* failing : {kEx, kCfg}) {
        SCOPED_TRACE(failing);
        FakeFiles fs;
        fs.files[kCfg] = original;
        fs.files[kEx] = "old\r\n";
        fs.unreplaceable.insert(failing);
        StageConfigFiles(fs);
        if (failing == kCfg)
            RestoreConfigFiles(fs);
        EXPECT_EQ(fs.files[kCfg], original);
        EXPECT_EQ(fs.files[kEx], failing == kEx ? "old\r\n" : "bind w +forward\r\n");
    }
    FakeFiles fs;
    fs.files[kCfg] = original;
    RestoreConfigFiles(fs);
    EXPECT_EQ(fs.files[kCfg], "bind w +forward\r\nseta jp_x 1\r\n");
}

TEST(GameCommandLine, OrdinaryValuesGiveTheCommandLineUnchanged) {
    const std::string base =
        "jamp.exe +set fs_game japlus +exec jampconfig_ex.cfg +set cp_clanPwd ";
    EXPECT_EQ(BuildGameCommandLine("m1", "c2"), base + "m1:c2");
    EXPECT_EQ(BuildGameCommandLine("", ""), base + ":");
    EXPECT_EQ(BuildGameCommandLine("a-b_c.d/e", "0x7F\\~"), base + "a-b_c.d/e:0x7F\\~");
}

// A value that could end the password and start another argument or console
// command reaches the game in quotes, as one value.
TEST(GameCommandLine, ValuesFromThePageCannotAddCommands) {
    const std::string base =
        "jamp.exe +set fs_game japlus +exec jampconfig_ex.cfg +set cp_clanPwd ";
    EXPECT_EQ(BuildGameCommandLine("x +exec other.cfg", "c"), base + "\"x +exec other.cfg:c\"");
    EXPECT_EQ(BuildGameCommandLine("m+quit", "c"), base + "\"m+quit:c\"");
    EXPECT_EQ(BuildGameCommandLine("m;quit", "c"), base + "\"m;quit:c\"");
    // Quotes and control characters cannot live inside a quoted value at all.
    EXPECT_EQ(BuildGameCommandLine("a\" +exec x\"", "c"), base + "\"a +exec x:c\"");
    EXPECT_EQ(BuildGameCommandLine("a\r\nquit", "c\t"), base + "aquit:c");
    EXPECT_EQ(BuildGameCommandLine("caf\xe9", "c"), base + "\"caf\xe9:c\"");
}

} // namespace
