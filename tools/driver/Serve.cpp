// serve: one driver kept running that takes its commands over a loopback
// connection, since under an emulated 32-bit Wine every process start costs
// seconds.

#include <winsock2.h>

#include "Commands.h"
#include "Output.h"

#include <string>
#include <vector>

namespace driver {

namespace {

bool sendAll(SOCKET peer, const std::string& data) {
    size_t sent = 0;
    while (sent < data.size()) {
        const int n = send(peer, data.data() + sent, static_cast<int>(data.size() - sent), 0);
        if (n <= 0)
            return false;
        sent += static_cast<size_t>(n);
    }
    return true;
}

} // namespace

int cmdServe(const Options& options) {
    const long port = options.number("port");
    if (port <= 0 || port > 65535)
        throw UsageError{"--port must be 1..65535"};
    if (g_output)
        throw UsageError{"serve cannot be served"};
    WSADATA wsa;
    if (WSAStartup(MAKEWORD(2, 2), &wsa) != 0)
        throw Failure{"no Winsock"};
    SOCKET peer = socket(AF_INET, SOCK_STREAM, IPPROTO_TCP);
    sockaddr_in address = {};
    address.sin_family = AF_INET;
    address.sin_port = htons(static_cast<u_short>(port));
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    if (peer == INVALID_SOCKET ||
        connect(peer, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0)
        throw Failure{"cannot connect to port " + std::to_string(port)};
    std::string pending;
    char buffer[4096];
    for (;;) {
        const size_t end = pending.find('\n');
        if (end == std::string::npos) {
            const int n = recv(peer, buffer, sizeof buffer, 0);
            if (n <= 0)
                break;
            pending.append(buffer, static_cast<size_t>(n));
            continue;
        }
        const std::string request = pending.substr(0, end);
        pending.erase(0, end + 1);
        std::vector<std::string> words{"vemor-driver"};
        size_t start = 0;
        for (;;) {
            const size_t tab = request.find('\t', start);
            words.push_back(request.substr(start, tab - start));
            if (tab == std::string::npos)
                break;
            start = tab + 1;
        }
        std::vector<char*> argv;
        for (std::string& word : words)
            argv.push_back(&word[0]);
        std::string output, errors;
        g_output = &output;
        const int code = runCommand(static_cast<int>(argv.size()), argv.data(), errors);
        g_output = nullptr;
        const std::string head = std::to_string(code) + " " + std::to_string(output.size()) + " " +
                                 std::to_string(errors.size()) + "\n";
        if (!sendAll(peer, head + output + errors))
            break;
    }
    closesocket(peer);
    WSACleanup();
    return kExitOk;
}

} // namespace driver
