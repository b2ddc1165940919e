#include "net/Win32Ftp.h"

#include "log/RunLog.h"
#include "log/Win32LogFile.h"
#include "win/Internet.h"

#include <atomic>
#include <functional>
#include <thread>
#include <vector>

namespace {

constexpr DWORD kConnectTimeout = 10000;

// The error of a call that failed on the call thread. A call that was given
// up may still be running and write it later, so it is read only once the
// call has marked it as known.
struct CallError {
    std::string text;
    DWORD code = 0;
    std::atomic<bool> known{false};

    void Note() {
        code = ::GetLastError();
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
// The hand-over uses the system's own slim lock and condition variable: under
// Wine the standard library's (the threads library's semaphores) cost a
// round trip to the Wine server each, and one hand-over per read made the
// download half as fast again as WinINet alone.
class CallThread {
public:
    explicit CallThread(DWORD timeout) : m_state(std::make_shared<State>()), m_timeout(timeout) {
        std::thread([state = m_state] { Serve(*state); }).detach();
    }
    ~CallThread() {
        Locked lock(*m_state);
        m_state->quit = true;
        ::WakeAllConditionVariable(&m_state->changed);
    }
    CallThread(const CallThread&) = delete;
    CallThread& operator=(const CallThread&) = delete;

    // Whether a call was given up, or a failure left the connection in a
    // state not known: nothing more goes through this thread.
    bool IsBroken() const { return m_broken; }
    void MarkBroken() { m_broken = true; }

    // The call's result; false also when it did not return within the
    // time-out (extra milliseconds may be granted, for a connect).
    bool Call(std::function<bool()> call, DWORD extra = 0) {
        if (m_broken)
            return false;
        Locked lock(*m_state);
        m_state->call = std::move(call);
        m_state->pending = true;
        ::WakeAllConditionVariable(&m_state->changed);
        const ULONGLONG deadline = ::GetTickCount64() + m_timeout + extra;
        while (m_state->pending) {
            const ULONGLONG now = ::GetTickCount64();
            if (now >= deadline) {
                m_broken = true;
                return false;
            }
            ::SleepConditionVariableSRW(&m_state->changed, &m_state->lock,
                                        static_cast<DWORD>(deadline - now), 0);
        }
        return m_state->result;
    }

private:
    struct State {
        SRWLOCK lock = SRWLOCK_INIT;
        CONDITION_VARIABLE changed = CONDITION_VARIABLE_INIT;
        std::function<bool()> call;
        bool pending = false;
        bool result = false;
        bool quit = false;
    };
    struct Locked {
        explicit Locked(State& state) : state(state) { ::AcquireSRWLockExclusive(&state.lock); }
        ~Locked() { ::ReleaseSRWLockExclusive(&state.lock); }
        Locked(const Locked&) = delete;
        Locked& operator=(const Locked&) = delete;
        State& state;
    };

    static void Serve(State& state) {
        Locked lock(state);
        for (;;) {
            while (!state.pending && !state.quit)
                ::SleepConditionVariableSRW(&state.changed, &state.lock, INFINITE, 0);
            if (!state.pending)
                return;
            std::function<bool()> call = std::move(state.call);
            ::ReleaseSRWLockExclusive(&state.lock);
            const bool result = call();
            ::AcquireSRWLockExclusive(&state.lock);
            state.result = result;
            state.pending = false;
            ::WakeAllConditionVariable(&state.changed);
        }
    }

    std::shared_ptr<State> m_state;
    DWORD m_timeout;
    bool m_broken = false;
};

// What a read shares with the call thread: kept for the file's whole
// transfer, since a read that was given up may still write into it later.
struct ReadState {
    explicit ReadState(size_t length) : bytes(length) {}
    std::vector<char> bytes;
    DWORD got = 0;
    CallError error;
};

class WinRemoteFile : public IRemoteFile {
public:
    WinRemoteFile(HINTERNET file, std::shared_ptr<CallThread> calls)
        : m_file(file), m_calls(std::move(calls)) {}

    long long Read(void* buffer, size_t length) override {
        if (!m_state || m_state->bytes.size() < length)
            m_state = std::make_shared<ReadState>(length);
        HINTERNET file = m_file.Get();
        const auto wanted = static_cast<DWORD>(length);
        if (!m_calls->Call([state = m_state, file, wanted] {
                if (::InternetReadFile(file, state->bytes.data(), wanted, &state->got))
                    return true;
                state->error.Note();
                return false;
            })) {
            LogFailure("FTP read", m_state->error);
            // The data connection failed in the middle: the control
            // connection's state is not known, so it is not used again.
            m_calls->MarkBroken();
            return -1;
        }
        std::copy(m_state->bytes.begin(), m_state->bytes.begin() + m_state->got,
                  static_cast<char*>(buffer));
        return m_state->got;
    }

private:
    win::ScopedInternet m_file;
    std::shared_ptr<CallThread> m_calls;
    std::shared_ptr<ReadState> m_state;
};

class Win32FtpConnection : public IFtpConnection {
public:
    Win32FtpConnection(HINTERNET session, HINTERNET connection, DWORD stallTimeout,
                       std::shared_ptr<CallThread> calls)
        : m_session(session), m_connection(connection), m_stallTimeout(stallTimeout),
          m_calls(std::move(calls)) {}

    std::unique_ptr<IRemoteFile> OpenRemoteFile(const std::string& name, uint64_t& from) override {
        auto file = std::make_shared<HINTERNET>(nullptr);
        auto error = std::make_shared<CallError>();
        auto restarted = std::make_shared<bool>(false);
        HINTERNET connection = m_connection.Get();
        const uint64_t at = from;
        if (!m_calls->Call([file, error, restarted, connection, name, at] {
                if (at > 0)
                    *restarted = Restart(connection, at);
                *file = ::FtpOpenFileA(connection, name.c_str(), GENERIC_READ,
                                       FTP_TRANSFER_TYPE_BINARY, 1);
                if (!*file)
                    error->Note();
                return *file != nullptr;
            })) {
            LogFailure("FTP open " + name, *error);
            // Only the server's own answer (a refusal) leaves the connection usable.
            if (!error->known || error->code != ERROR_INTERNET_EXTENDED_ERROR)
                m_calls->MarkBroken();
            return nullptr;
        }
        if (at > 0 && !*restarted)
            from = 0;
        win::SetStallTimeout(*file, m_stallTimeout);
        return std::make_unique<WinRemoteFile>(*file, m_calls);
    }

    bool IsBroken() override { return m_calls->IsBroken(); }

private:
    // Asks the server to send the next file from byte `at`. WinINet has no
    // call of its own for this, but the server keeps the restart point until
    // the next transfer, through the TYPE and PASV that FtpOpenFile sends
    // first; the TYPE I comes before it, since servers refuse a restart in
    // ASCII mode. False when the server refused (it then sends from byte 0).
    static bool Restart(HINTERNET connection, uint64_t at) {
        if (!::FtpCommandA(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, "TYPE I", 1, nullptr))
            return false;
        const std::string rest = "REST " + std::to_string(at);
        if (!::FtpCommandA(connection, FALSE, FTP_TRANSFER_TYPE_BINARY, rest.c_str(), 1, nullptr))
            return false;
        char reply[256] = {};
        DWORD code = 0;
        DWORD length = sizeof reply - 1;
        return ::InternetGetLastResponseInfoA(&code, reply, &length) &&
               std::string(reply, length).rfind("350", 0) == 0;
    }

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
