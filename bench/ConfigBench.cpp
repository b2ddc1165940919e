// The launch phase rewrites the game's configuration twice around every game
// start. Measured against the least any line-by-line rewrite must do: find
// each line end and copy the line.
#include "BenchTiming.h"

#include "app/GameConfig.h"

#include <cstring>
#include <string>

namespace {

std::string SampleConfig(int lines) {
    static const char* const kinds[] = {"bind w \"+forward\"",       "seta jp_duelSound \"1\"",
                                        "seta cl_maxpackets \"30\"", "unbindall",
                                        "seta name \"Padawan\"",     ""};
    std::string text;
    for (int i = 0; i < lines; ++i) {
        text += kinds[i % 6];
        text += (i % 3 == 0) ? "\n" : "\r\n";
    }
    return text;
}

// Splits at line ends and writes every line back with CR LF, nothing more.
std::string CopyLines(const std::string& text) {
    std::string out;
    out.reserve(text.size() + text.size() / 8);
    const char* p = text.data();
    const char* end = p + text.size();
    while (p < end) {
        const char* nl = static_cast<const char*>(std::memchr(p, '\n', end - p));
        const char* lineEnd = nl ? nl : end;
        const char* cut = (lineEnd > p && lineEnd[-1] == '\r') ? lineEnd - 1 : lineEnd;
        out.append(p, cut);
        out += "\r\n";
        p = nl ? nl + 1 : end;
    }
    return out;
}

} // namespace

int main() {
    const std::string config = SampleConfig(20000);
    size_t sink = 0;
    const double stage = FastestSeconds(7, 20, [&] {
        const StagedConfig staged = StageConfigLines(SplitConfigLines(config));
        sink +=
            JoinConfigLines(staged.mainLines).size() + JoinConfigLines(staged.extraLines).size();
    });
    const double restore = FastestSeconds(7, 20, [&] {
        sink += JoinConfigLines(RestoreConfigLines(SplitConfigLines(config))).size();
    });
    const double copy = FastestSeconds(7, 20, [&] { sink += CopyLines(config).size(); });
    PrintRatio("config staging, 20000 lines", "stage", stage, "line copy", copy);
    PrintRatio("config restore, 20000 lines", "restore", restore, "line copy", copy);
    return sink == 0;
}
