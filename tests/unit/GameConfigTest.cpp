#include "app/GameConfig.h"

#include <gtest/gtest.h>

namespace {

using Lines = std::vector<std::string>;

// Single steps fail as the platform's do: a temporary that cannot be written
// is not left behind; a failed move removes the temporary, keeps the target.
struct FakeFiles : IConfigFiles {
    std::map<std::string, std::string> files;
    std::set<std::string> unreadable;
    std::set<std::string> unwritable; // temporaries
    std::set<std::string> unmovable;  // targets

    bool ReadAll(const std::string& path, std::string& text) override {
        if (!files.count(path) || unreadable.count(path))
            return false;
        return text = files[path], true;
    }
    bool WriteTemporary(const std::string& temporary, const std::string& text) override {
        return !unwritable.count(temporary) && (files[temporary] = text, true);
    }
    bool MoveIntoPlace(const std::string& temporary, const std::string& target) override {
        const std::string text = files[temporary];
        files.erase(temporary);
        return !unmovable.count(target) && (files[target] = text, true);
    }
    void Delete(const std::string& path) override { files.erase(path); }
};

const char kCfg[] = "japlus\\jampconfig.cfg";
const char kEx[] = "japlus\\jampconfig_ex.cfg";

TEST(GameConfigTest, SplitsOnCrLfAndLoneLfAndKeepsALastLineWithoutEnd) {
    EXPECT_EQ(SplitConfigLines(""), Lines{});
    // A lone CR is not a line end and stays part of the line.
    EXPECT_EQ(SplitConfigLines("a\rb\r\n\nx"), (Lines{"a\rb", "", "x"}));
}

TEST(GameConfigTest, StagingSortsByCaseInsensitivePrefixWithoutTrimming) {
    const StagedConfig staged = StageConfigLines(
        {"unbindall", "bind w +forward", "seta jp_x 1", "seta name Player", "UnBindAll",
         " bind x y", "binder x", "unbind x", "SETA JPX 2", "seta  jp_x 1", ""});
    EXPECT_EQ(staged.extraLines, (Lines{"unbindall", "bind w +forward", "UnBindAll", "binder x"}));
    EXPECT_EQ(staged.mainLines,
              (Lines{"seta name Player", " bind x y", "unbind x", "seta  jp_x 1", ""}));
}

TEST(GameConfigTest, RestoreDropsClanPasswordLinesCaseSensitively) {
    EXPECT_EQ(RestoreConfigLines({"seta cp_clanPwd \"m1:c2\"", "seta name x", "echo xcp_clanPwdx",
                                  "seta CP_CLANPWD y", ""}),
              (Lines{"seta name x", "seta CP_CLANPWD y", ""}));
}

TEST(GameConfigTest, StagingMovesBindsOut) {
    const struct {
        const char *cfg, *stagedCfg, *stagedEx;
    } cases[] = {
        {"unbindall\nbind w +forward\r\nseta jp_x 1\r\nseta name Player", "seta name Player\r\n",
         "unbindall\r\nbind w +forward\r\n"},
        {"seta name Player\r\n\r\nseta jp_speed 1\r\n", "seta name Player\r\n\r\n", "bind a b\r\n"},
    };
    for (const auto& c : cases) {
        FakeFiles fs;
        fs.files[kCfg] = c.cfg;
        fs.files[kEx] = "bind a b\r\n";
        StageConfigFiles(fs);
        EXPECT_EQ(fs.files[kCfg], c.stagedCfg);
        EXPECT_EQ(fs.files[kEx], c.stagedEx);
        EXPECT_EQ(fs.files.size(), 2u);
    }
}

TEST(GameConfigTest, MissingOrUnreadableConfigurationChangesNothing) {
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

TEST(GameConfigTest, AFailedStepNeverCostsTheConfiguration) {
    const std::string original = "bind w +forward\r\nseta jp_x 1\r\nseta cp_clanPwd \"a:b\"\r\n";
    const struct {
        const char* what;
        void (*arrange)(FakeFiles&);
    } cases[] = {
        {"main temporary", [](FakeFiles& f) { f.unwritable.insert("japlus\\jampconfig.tmp"); }},
        {"extra temporary", [](FakeFiles& f) { f.unwritable.insert("japlus\\jampconfig_ex.tmp"); }},
        {"extra file locked", [](FakeFiles& f) { f.unmovable.insert(kEx); }},
        {"main file locked", [](FakeFiles& f) { f.unmovable.insert(kCfg); }},
    };
    for (const auto& c : cases) {
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

TEST(GameConfigTest, ValuesFromThePageCannotAddCommands) {
    const std::string base =
        "jamp.exe +set fs_game japlus +exec jampconfig_ex.cfg +set cp_clanPwd ";
    const struct {
        const char *mid, *code, *password;
    } cases[] = {
        {"m1", "c2", "m1:c2"},
        {"", "", ":"},
        {"a-b_c.d/e", "0x7F\\~", "a-b_c.d/e:0x7F\\~"},
        {"x +exec other.cfg", "c", "\"x +exec other.cfg:c\""},
        {"m+quit", "c", "\"m+quit:c\""},
        {"m;quit", "c", "\"m;quit:c\""},
        {"a\" +exec x\"", "c", "\"a +exec x:c\""},
        {"a\r\nquit", "c\t", "aquit:c"},
        {"caf\xe9", "c", "\"caf\xe9:c\""},
    };
    for (const auto& c : cases)
        EXPECT_EQ(BuildGameCommandLine(c.mid, c.code), base + c.password) << c.mid;
}

} // namespace
