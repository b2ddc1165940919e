// The extra time of one fetch of the launcher's over HTTPS against the same
// fetch over plain HTTP, under Wine, taken in turns against the loopback
// servers of tls_servers.py (same document, a fresh session and connection
// per fetch as the launcher makes them: every HTTPS fetch pays a handshake
// and a certificate check), and the first fetch of a process alone.
#include "InTurns.h"
#include "net/Win32HttpFetch.h"

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <vector>

namespace {

std::string Url(const char* scheme, const char* portVariable) {
    const char* port = std::getenv(portVariable);
    return std::string(scheme) + "://localhost:" + (port ? port : "0") + "/INFO/serverlist.inf";
}

double Median(std::vector<double> times) {
    std::sort(times.begin(), times.end());
    return times[times.size() / 2];
}

} // namespace

int main(int argc, char** argv) {
    const std::string plain = Url("http", "VEMOR_TEST_TLS_PLAIN");
    const std::string secure = Url("https", "VEMOR_TEST_TLS_GOOD");
    // "first http|https": the first fetch of a process alone, which under
    // Wine also loads the TLS stack and the host's root certificates.
    if (argc == 3 && std::string(argv[1]) == "first") {
        const bool tls = std::string(argv[2]) == "https";
        std::string text;
        bool ok = false;
        const double took = FastestSeconds(1, 1, [&] {
            ok = HttpFetch(UpdateMode::kPlain).Fetch(tls ? secure : plain, kPortalTextLimit, text);
        });
        std::printf("%.1f\n", ok ? took * 1e3 : -1.0);
        return ok ? 0 : 1;
    }
    std::string expected;
    if (!HttpFetch(UpdateMode::kPlain).Fetch(plain, kPortalTextLimit, expected) ||
        expected.empty()) {
        std::printf("https fetch: the plain server did not answer\n");
        return 1;
    }
    bool same = true;
    std::vector<double> plainTimes, secureTimes;
    for (int round = 0; round < 30; ++round) {
        const TimedPair pair = InTurns(
            1,
            [&] {
                std::string text;
                same = HttpFetch(UpdateMode::kPlain).Fetch(secure, kPortalTextLimit, text) &&
                       text == expected && same;
            },
            [&] {
                std::string text;
                HttpFetch(UpdateMode::kPlain).Fetch(plain, kPortalTextLimit, text);
            });
        secureTimes.push_back(pair.subject);
        plainTimes.push_back(pair.reference);
    }
    if (!same) {
        std::printf("https fetch: the HTTPS fetch failed or differs\n");
        return 1;
    }
    PrintRatio("fetch under Wine (median of 30)", "https", Median(secureTimes), "http",
               Median(plainTimes));
    PrintRatio("fetch under Wine (fastest of 30)", "https",
               *std::min_element(secureTimes.begin(), secureTimes.end()), "http",
               *std::min_element(plainTimes.begin(), plainTimes.end()));
    return 0;
}
