#pragma once

#include "digest/Crc32.h"
#include "log/RunLog.h"
#include "net/FtpConnection.h"
#include "net/ITextFetch.h"
#include "signing/SignedUpdate.h"
#include "update/GameFolder.h"
#include "update/IUpdateListener.h"
#include "update/Manifest.h"
#include "update/UpdateRun.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

inline std::string Bytes(size_t n, char seed) {
    std::string s(n, '\0');
    for (size_t i = 0; i < n; ++i)
        s[i] = static_cast<char>(seed + i * 31 + i / 7);
    return s;
}

inline ManifestItem Listed(const std::string& name, const std::string& bytes) {
    return ManifestItem{false, name, Crc32(bytes.data(), bytes.size()),
                        static_cast<uint32_t>(bytes.size())};
}

inline std::string ManifestEntry(const std::string& name, const std::string& bytes) {
    return name + "|" + std::to_string(Crc32(bytes.data(), bytes.size())) + "|" +
           std::to_string(bytes.size()) + "\r\n";
}

struct FakeFolder : IGameFolder {
    std::map<std::string, std::string> files;
    std::set<std::string> uncreatable;
    std::set<std::string> undeletable; // read-only or locked
    std::vector<std::string> log;      // "delete x", "create x", "move x>y"

    bool GetLocalFileSize(const std::string& path, uint32_t& size) override {
        size = files.count(path) ? static_cast<uint32_t>(files[path].size()) : 0;
        return files.count(path) != 0;
    }
    uint32_t ComputeFileCrc32(const std::string& path, uint32_t& crc) override {
        auto it = files.find(path);
        crc = it == files.end() ? 0 : Crc32(it->second.data(), it->second.size());
        return it == files.end() ? 2 : 0;
    }
    DeleteResult DeleteLocalFile(const std::string& path) override {
        log.push_back("delete " + path);
        if (undeletable.count(path))
            return {DeleteResult::kFailed, "error 5 (Access is denied)"};
        return {files.erase(path) ? DeleteResult::kDeleted : DeleteResult::kNotThere, ""};
    }
    std::unique_ptr<ILocalFile> CreateLocalFile(const std::string& path) override {
        log.push_back("create " + path);
        if (uncreatable.count(path))
            return nullptr;
        files[path].clear();
        return std::make_unique<File>(files[path]);
    }
    std::unique_ptr<ILocalFile>
    AppendLocalFile(const std::string& path,
                    const std::function<bool(const void*, size_t)>& existing) override {
        auto it = files.find(path);
        if (it == files.end() || !existing(it->second.data(), it->second.size()))
            return nullptr;
        log.push_back("append " + path);
        return std::make_unique<File>(it->second);
    }
    bool MoveIntoPlace(const std::string& from, const std::string& target) override {
        log.push_back("move " + from + ">" + target);
        files[target] = files[from];
        files.erase(from);
        return true;
    }

    struct File : ILocalFile {
        explicit File(std::string& bytes) : bytes(bytes) {}
        bool Write(const void* data, size_t length) override {
            bytes.append(static_cast<const char*>(data), length);
            return true;
        }
        bool Close() override { return true; }
        std::string& bytes;
    };
};

// Like an ordinary Unix server it knows only "/" as a folder separator: a
// name holding "\\" is not found.
struct FakeFtp : IFtpConnector {
    // The first `times` transfers end after `after` bytes, as the file's end
    // or, `withError`, as a read error that breaks the connection.
    struct Cut {
        size_t after;
        int times;
        bool withError = false;
    };
    std::map<std::string, std::string> files;
    std::map<std::string, Cut> cuts;
    bool down = false;
    bool refusesRestart = false;
    size_t readSize = 1024;
    std::function<void(const std::string&)> onRead;
    std::vector<std::string> opened;
    size_t sent = 0; // bytes of every transfer together

    std::unique_ptr<IFtpConnection> Connect() override {
        return down ? nullptr : std::make_unique<Connection>(*this);
    }

    struct Connection;
    struct Remote : IRemoteFile {
        Remote(Connection& connection, std::string name, size_t from, size_t cutAt)
            : connection(connection), name(std::move(name)), pos(from), cutAt(cutAt) {}
        long long Read(void* buffer, size_t length) override {
            FakeFtp& ftp = connection.ftp;
            const std::string& bytes = ftp.files[name];
            if (pos == cutAt && pos < bytes.size() && ftp.cuts[name].withError)
                return connection.broken = true, -1;
            const size_t n = std::min({length, ftp.readSize, cutAt - pos});
            bytes.copy(static_cast<char*>(buffer), n, pos);
            pos += n;
            ftp.sent += n;
            if (ftp.onRead)
                ftp.onRead(name);
            return static_cast<long long>(n);
        }
        Connection& connection;
        std::string name;
        size_t pos;
        size_t cutAt;
    };
    struct Connection : IFtpConnection {
        explicit Connection(FakeFtp& ftp) : ftp(ftp) {}
        std::unique_ptr<IRemoteFile> OpenRemoteFile(const std::string& remote,
                                                    uint64_t& from) override {
            const std::string name = Key(remote);
            if (broken || !ftp.files.count(name))
                return nullptr;
            ftp.opened.push_back(name);
            if (ftp.refusesRestart || from > ftp.files[name].size())
                from = 0;
            size_t cutAt = ftp.files[name].size();
            auto cut = ftp.cuts.find(name);
            if (cut != ftp.cuts.end() && cut->second.times > 0) {
                --cut->second.times;
                cutAt = std::min<size_t>(cutAt, from + cut->second.after);
            }
            return std::make_unique<Remote>(*this, name, static_cast<size_t>(from), cutAt);
        }
        bool IsBroken() override { return broken; }
        static std::string Key(std::string remote) {
            if (remote.find('\\') != std::string::npos)
                return std::string();
            std::replace(remote.begin(), remote.end(), '/', '\\');
            return remote;
        }
        FakeFtp& ftp;
        bool broken = false;
    };
};

struct FakePortal : ITextFetch, IDocumentFetch {
    std::map<std::string, std::string> texts;
    bool Fetch(const std::string& url, size_t limit, std::string& text) override {
        auto it = texts.find(url);
        text = it == texts.end() ? std::string() : it->second.substr(0, limit + 1);
        return it != texts.end();
    }
    bool FetchDocument(const std::string& url, size_t limit, std::string& text) override {
        return Fetch(url, limit, text);
    }
};

struct RecordingListener : IUpdateListener {
    std::vector<std::string> calls;
    std::vector<float> progress;
    std::vector<UpdateEnd> ends;
    void OnProgress(float percent) override {
        progress.push_back(percent), calls.push_back("progress");
    }
    void OnStatusText(const char* text) override { calls.push_back(std::string("status ") + text); }
    void OnUpdateFinished(UpdateEnd end) override {
        ends.push_back(end);
        calls.push_back(end == UpdateEnd::kSelfUpdate ? "self-update" : "finished");
    }
    bool Failed() const { return !ends.empty() && ends.back() == UpdateEnd::kFailed; }
};

struct CountingSelfUpdate : ISelfUpdateStarter {
    int starts = 0;
    bool startable = true;
    bool StartSelfUpdate() override { return ++starts, startable; }
};

template <class Folder = FakeFolder> struct UpdateBench {
    Folder folder;
    FakeFtp ftp;
    FakePortal portal;
    CountingSelfUpdate selfUpdate;
    RecordingListener listener;
    IUpdateListener* reportsTo = &listener;
    UpdateWorker worker;

    void Run(IGameFolder& through, const std::string& url, SignedSource* source = nullptr,
             std::function<void()> beforeLastCall = {}) {
        UpdateServices services{portal, ftp, through, selfUpdate, url, source};
        services.beforeLastCall = std::move(beforeLastCall);
        RunUpdate(worker, *reportsTo, services);
    }
    bool Failed() const { return listener.Failed(); }
};

struct MemorySequences : ISequenceStore {
    std::map<SignedKind, uint64_t> highest;
    std::set<SignedKind> unreadable;
    bool ReadHighest(SignedKind kind, uint64_t& value) override {
        value = unreadable.count(kind) ? 0 : highest[kind];
        return !unreadable.count(kind);
    }
    void WriteHighest(SignedKind kind, uint64_t sequence) override { highest[kind] = sequence; }
};

struct CapturedLog {
    std::vector<std::string> lines;
    CapturedLog() { TheLog().Open(std::make_unique<Sink>(lines)); }
    ~CapturedLog() { TheLog().Open(nullptr); }
    std::string Starting(const std::string& prefix) const {
        std::string found;
        for (const std::string& line : lines)
            found += line.compare(0, prefix.size(), prefix) == 0 ? line + "\n" : "";
        return found;
    }

    struct Sink : ILogFile {
        explicit Sink(std::vector<std::string>& lines) : lines(lines) {}
        bool Append(const std::string& line) override { return lines.push_back(line), true; }
        size_t LineOverhead() const override { return 2; }
        std::vector<std::string>& lines;
    };
};
