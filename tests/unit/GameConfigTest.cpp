#include "app/GameConfig.h"

#include <gtest/gtest.h>

#include <map>
#include <set>

namespace {

using Lines = std::vector<std::string>;

// In-memory files with switches that make single steps fail as the platform's
// do: a temporary that cannot be written is not left behind, and a move that
// fails removes the temporary and leaves the target as it was.
class FakeFiles : public IConfigFiles {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> unreadable;
    std::set<std::string> unwritable; // temporaries
    std::set<std::string> unmovable;  // targets

    bool ReadAll(const std::string& path, std::string& text) override {
        auto it = files.find(path);
        if (it == files.end() || unreadable.count(path))
            return false;
        text = it->second;
        return true;
    }
    bool WriteTemporary(const std::string& temporary, const std::string& text) override {
        if (unwritable.count(temporary))
            return false;
        files[temporary] = text;
        return true;
    }
    bool MoveIntoPlace(const std::string& temporary, const std::string& target) override {
        const std::string text = files[temporary];
        files.erase(temporary);
        if (unmovable.count(target))
            return false;
        files[target] = text;
        return true;
    }
    void Delete(const std::string& path) override { files.erase(path); }
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

// Whatever step fails, the player's configuration and bindings stay exactly
// as they were and no temporary file is left behind.
TEST(ConfigFiles, AFailedStepNeverCostsTheConfiguration) {
    const std::string original = "bind w +forward\r\nseta jp_x 1\r\nseta cp_clanPwd \"a:b\"\r\n";
    struct Case {
        const char* what;
        void (*arrange)(FakeFiles&);
    } cases[] = {
        {"main temporary", [](FakeFiles& f) { f.unwritable.insert("japlus\\jampconfig.tmp"); }},
        {"extra temporary", [](FakeFiles& f) { f.unwritable.insert("japlus\\jampconfig_ex.tmp"); }},
        {"extra file locked", [](FakeFiles& f) { f.unmovable.insert(kEx); }},
        {"main file locked", [](FakeFiles& f) { f.unmovable.insert(kCfg); }},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        FakeFiles fs;
        fs.files[kCfg] = original;
        fs.files[kEx] = "old\r\n";
        c.arrange(fs);
        StageConfigFiles(fs);
        EXPECT_EQ(fs.files[kCfg], original);
        // Only a locked main file leaves the bindings in both files.
        if (fs.unmovable.count(kCfg) == 0) {
            EXPECT_EQ(fs.files[kEx], "old\r\n");
        }
        EXPECT_EQ(fs.files.size(), 2u);
        if (fs.unwritable.count("japlus\\jampconfig.tmp") || fs.unmovable.count(kCfg)) {
            RestoreConfigFiles(fs);
            EXPECT_EQ(fs.files[kCfg], original);
            EXPECT_EQ(fs.files.size(), 2u);
        }
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
