#include "update/Win32Ftp.h"

#include "update/RunLog.h"
#include "update/Win32LogFile.h"
#include "win/Internet.h"

#include <atomic>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kConnectTimeout = 10000;

// The error of a call that failed on the call thread. A call that was given
// up may still be running and write it later, so it is read only once the
// call has marked it as known.
struct CallError {
    std::string text;
    std::atomic<bool> known{false};

    void Note() {
        text = DescribeLastError();
        known = true;
    }
    std::string Text() const { return known ? text : std::string("no answer in time"); }
};

void LogFailure(const std::string& what, const CallError& error, const std::string& more = "") {
    LogLine(what + ": " + error.Text() + more);
}
constexpr char kUser[] = "kel";
constexpr char kPassword[] = "tQwa3mxp";

// Runs the blocking WinINet calls of one FTP connection on a thread of its
// own and waits for each at most a time-out. Windows honours the receive
// time-outs set on the handles for FTP as well, but Wine's FTP code ignores
// them: it waits 30 s for every reply line of a silent server and forever for
// a data connection that went silent in the middle of a file, which would
// keep "Launch!" disabled. A call that does not return in time is given up:
// the connection counts as broken, every later call fails at once, and the
// thread finishes the call on its own with what it shares with us (never the
// caller's stack), closing nothing that we still own.
class CallThread {
public:
    explicit CallThread(DWORD timeout) : m_state(std::make_shared<State>()), m_timeout(timeout) {
        std::thread([state = m_state] { Serve(*state); }).detach();
    }
    ~CallThread() {
        std::lock_guard<std::mutex> lock(m_state->lock);
        m_state->quit = true;
        m_state->changed.notify_all();
    }
    CallThread(const CallThread&) = delete;
    CallThread& operator=(const CallThread&) = delete;

    // The call's result; false also when it did not return within the
    // time-out (extra milliseconds may be granted, for a connect).
    bool Call(std::function<bool()> call, DWORD extra = 0) {
        std::unique_lock<std::mutex> lock(m_state->lock);
        if (m_broken)
            return false;
        m_state->call = std::move(call);
        m_state->pending = true;
        m_state->changed.notify_all();
        if (!m_state->changed.wait_for(lock, std::chrono::milliseconds(m_timeout + extra),
                                       [this] { return !m_state->pending; })) {
            m_broken = true;
            return false;
        }
        return m_state->result;
    }

private:
    struct State {
        std::mutex lock;
        std::condition_variable changed;
        std::function<bool()> call;
        bool pending = false;
        bool result = false;
        bool quit = false;
    };

    static void Serve(State& state) {
        std::unique_lock<std::mutex> lock(state.lock);
        for (;;) {
            state.changed.wait(lock, [&] { return state.pending || state.quit; });
            if (!state.pending)
                return;
            std::function<bool()> call = std::move(state.call);
            lock.unlock();
            const bool result = call();
            lock.lock();
            state.result = result;
            state.pending = false;
            state.changed.notify_all();
        }
    }

    std::shared_ptr<State> m_state;
    DWORD m_timeout;
    bool m_broken = false;
};

class WinRemoteFile : public IRemoteFile {
public:
    WinRemoteFile(HINTERNET file, std::shared_ptr<CallThread> calls)
        : m_file(file), m_calls(std::move(calls)) {}

    long long Read(void* buffer, size_t length) override {
        struct Shared {
            std::vector<char> bytes;
            DWORD got = 0;
            CallError error;
        };
        auto shared = std::make_shared<Shared>();
        shared->bytes.resize(length);
        HINTERNET file = m_file.Get();
        if (!m_calls->Call([shared, file] {
                if (::InternetReadFile(file, shared->bytes.data(),
                                       static_cast<DWORD>(shared->bytes.size()), &shared->got))
                    return true;
                shared->error.Note();
                return false;
            })) {
            LogFailure("FTP read", shared->error);
            return -1;
        }
        std::copy(shared->bytes.begin(), shared->bytes.begin() + shared->got,
                  static_cast<char*>(buffer));
        return shared->got;
    }

private:
    win::ScopedInternet m_file;
    std::shared_ptr<CallThread> m_calls;
};

class Win32FtpConnection : public IFtpConnection {
public:
    Win32FtpConnection(HINTERNET session, HINTERNET connection, DWORD stallTimeout,
                     std::shared_ptr<CallThread> calls)
        : m_session(session), m_connection(connection), m_stallTimeout(stallTimeout),
          m_calls(std::move(calls)) {}

    bool GetRemoteSize(const std::string& name, uint64_t& size) override {
        struct Shared {
            WIN32_FIND_DATAA found = {};
            CallError error;
        };
        auto shared = std::make_shared<Shared>();
        HINTERNET connection = m_connection.Get();
        if (!m_calls->Call([shared, connection, name] {
                win::ScopedInternet find(::FtpFindFirstFileA(
                    connection, name.c_str(), &shared->found, INTERNET_FLAG_RELOAD, 1));
                if (!find)
                    shared->error.Note();
                return static_cast<bool>(find);
            })) {
            LogFailure("FTP size of " + name, shared->error);
            return false;
        }
        size =
            (static_cast<uint64_t>(shared->found.nFileSizeHigh) << 32) | shared->found.nFileSizeLow;
        return true;
    }

    std::unique_ptr<IRemoteFile> OpenRemoteFile(const std::string& name) override {
        auto file = std::make_shared<HINTERNET>(nullptr);
        auto error = std::make_shared<CallError>();
        HINTERNET connection = m_connection.Get();
        if (!m_calls->Call([file, error, connection, name] {
                *file = ::FtpOpenFileA(connection, name.c_str(), GENERIC_READ,
                                       FTP_TRANSFER_TYPE_BINARY, 1);
                if (!*file)
                    error->Note();
                return *file != nullptr;
            })) {
            LogFailure("FTP open " + name, *error);
            return nullptr;
        }
        win::SetStallTimeout(*file, m_stallTimeout);
        return std::make_unique<WinRemoteFile>(*file, m_calls);
    }

private:
    // Declared first, closed last.
    win::ScopedInternet m_session;
    win::ScopedInternet m_connection;
    DWORD m_stallTimeout;
    std::shared_ptr<CallThread> m_calls;
};

} // namespace

Win32FtpConnector::Win32FtpConnector(std::string host, unsigned short port, DWORD stallTimeout)
    : m_host(std::move(host)), m_port(port), m_stallTimeout(stallTimeout) {}

std::unique_ptr<IFtpConnection> Win32FtpConnector::Connect() {
    HINTERNET session = win::OpenInternetSession(kConnectTimeout, m_stallTimeout);
    if (!session)
        return nullptr;
    auto calls = std::make_shared<CallThread>(m_stallTimeout);
    auto connection = std::make_shared<HINTERNET>(nullptr);
    auto error = std::make_shared<CallError>();
    const std::string host = m_host;
    const unsigned short port = m_port;
    const std::string address = "FTP connect " + host + ":" + std::to_string(port);
    const unsigned long long started = LogClock();
    // Connecting and logging in: the connect time-out, then the server's
    // greeting and answers within the stall time-out.
    if (!calls->Call(
            [connection, error, session, host, port] {
                *connection = ::InternetConnectA(session, host.c_str(), port, kUser, kPassword,
                                                 INTERNET_SERVICE_FTP, INTERNET_FLAG_PASSIVE, 1);
                if (!*connection)
                    error->Note();
                return *connection != nullptr;
            },
            kConnectTimeout)) {
        LogFailure(address, *error, ", " + std::to_string(LogClock() - started) + " ms");
        // A connect still running is left to end with the session it belongs to.
        ::InternetCloseHandle(session);
        return nullptr;
    }
    LogLine(address + ": logged in, " + std::to_string(LogClock() - started) + " ms");
    win::SetStallTimeout(*connection, m_stallTimeout);
    return std::make_unique<Win32FtpConnection>(session, *connection, m_stallTimeout, calls);
}
