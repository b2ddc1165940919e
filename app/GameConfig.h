#pragma once

#include <string>
#include <vector>

// The game's configuration around a launch: before the game starts its key
// bindings move out of the mod's main configuration into a file the game is
// told to execute, and after it ends the clan password lines it saved are
// taken out again.

namespace game_files {
constexpr const char kConfig[] = "japlus\\jampconfig.cfg";
constexpr const char kConfigTmp[] = "japlus\\jampconfig.tmp";
constexpr const char kExtraConfig[] = "japlus\\jampconfig_ex.cfg";
constexpr const char kExtraConfigTmp[] = "japlus\\jampconfig_ex.tmp";
constexpr const char kRedirectCache[] = "japlus\\urlRedirect_cache.txt";
} // namespace game_files

// File access used by the configuration steps. The launcher uses the
// platform's files; tests substitute their own to provoke failures.
class IConfigFiles {
public:
    // Reads the whole file; false when it cannot be opened or read.
    virtual bool ReadAll(const std::string& path, std::string& text) = 0;
    // Writes text whole to a temporary file, flushed to the disk; false, with
    // no temporary left, when that failed.
    virtual bool WriteTemporary(const std::string& temporary, const std::string& text) = 0;
    // Puts the temporary in place of target with one replacing move, so that
    // the old or the new file exists whole at every instant. False, with the
    // temporary removed and target exactly as it was, when the move failed.
    virtual bool MoveIntoPlace(const std::string& temporary, const std::string& target) = 0;
    virtual void Delete(const std::string& path) = 0;

protected:
    ~IConfigFiles() = default;
};

// Lines as the game's text files hold them: CR LF or a lone LF ends a line,
// a last line without a line end is still a line.
std::vector<std::string> SplitConfigLines(const std::string& text);
// Every line followed by CR LF.
std::string JoinConfigLines(const std::vector<std::string>& lines);

struct StagedConfig {
    std::vector<std::string> mainLines;  // what stays in the main configuration
    std::vector<std::string> extraLines; // bind and unbindall lines, in file order
};

// Sorts the lines of the main configuration: lines starting with "bind" or
// "unbindall" go to the extra file, lines starting with "seta jp" are dropped,
// the rest stays (prefixes compared ignoring ASCII case, nothing trimmed).
StagedConfig StageConfigLines(const std::vector<std::string>& lines);
// Drops every line that contains "cp_clanPwd" (case-sensitive).
std::vector<std::string> RestoreConfigLines(const std::vector<std::string>& lines);

// The two file steps around the game. Neither ever leaves the main
// configuration lost or half-written: a temporary file that cannot be written
// whole stops the step with the configuration as it was.
void StageConfigFiles(IConfigFiles& files);
void RestoreConfigFiles(IConfigFiles& files);

// The game's command line with the clan password made of the access values.
std::string BuildGameCommandLine(const std::string& accessMid, const std::string& accessCode);
