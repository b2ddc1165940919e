#pragma once

// In-memory stand-ins for the update's seams: a game folder, an FTP server,
// a portal and a listener that records what the window would be told.

#include "update/Crc32.h"
#include "update/FtpConnection.h"
#include "update/GameFolder.h"
#include "update/ITextFetch.h"
#include "update/IUpdateListener.h"
#include "update/SignedUpdate.h"
#include "update/UpdateRun.h"

#include <algorithm>
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

// A manifest line for these bytes.
inline std::string ManifestEntry(const std::string& name, const std::string& bytes) {
    return name + "|" + std::to_string(Crc32(bytes.data(), bytes.size())) + "|" +
           std::to_string(bytes.size()) + "\r\n";
}

class FakeFolder : public IGameFolder {
public:
    std::map<std::string, std::string> files;
    std::set<std::string> uncreatable;
    std::vector<std::string> log; // "delete x", "create x", "move x>y"

    bool GetLocalFileSize(const std::string& path, uint32_t& size) override {
        auto it = files.find(path);
        if (it == files.end())
            return false;
        size = static_cast<uint32_t>(it->second.size());
        return true;
    }
    uint32_t ComputeFileCrc32(const std::string& path, uint32_t& crc) override {
        auto it = files.find(path);
        crc = it == files.end() ? 0 : Crc32(it->second.data(), it->second.size());
        return it == files.end() ? 2 : 0;
    }
    void DeleteLocalFile(const std::string& path) override {
        log.push_back("delete " + path);
        files.erase(path);
    }
    std::unique_ptr<ILocalFile> CreateLocalFile(const std::string& path) override {
        log.push_back("create " + path);
        if (uncreatable.count(path))
            return nullptr;
        files[path].clear();
        return std::make_unique<File>(files[path]);
    }
    bool MoveIntoPlace(const std::string& from, const std::string& target) override {
        log.push_back("move " + from + ">" + target);
        files[target] = files[from];
        files.erase(from);
        return true;
    }

private:
    class File : public ILocalFile {
    public:
        explicit File(std::string& bytes) : m_bytes(bytes) {}
        bool Write(const void* data, size_t length) override {
            m_bytes.append(static_cast<const char*>(data), length);
            return true;
        }
        bool Close() override { return true; }

    private:
        std::string& m_bytes;
    };
};

// Files on the server, keyed by their manifest names; listed sizes may differ
// from the bytes sent, a file may break off after some bytes, and a hook runs
// after every read. Like an ordinary Unix server it knows only "/" as a folder
// separator: a name holding "\\" is not found.
class FakeFtp : public IFtpConnector {
public:
    std::map<std::string, std::string> files;
    std::map<std::string, uint64_t> listedSizes; // instead of the real size
    std::set<std::string> unlisted;
    std::map<std::string, size_t> breakAfter; // the connection ends early, as if complete
    std::map<std::string, size_t> failAfter;  // the read reports an error
    bool down = false;
    size_t readSize = 1024;
    std::function<void(const std::string&)> onRead;
    std::vector<std::string> opened;

    std::unique_ptr<IFtpConnection> Connect() override {
        if (down)
            return nullptr;
        return std::make_unique<Connection>(*this);
    }

private:
    class Remote : public IRemoteFile {
    public:
        Remote(FakeFtp& ftp, std::string name) : m_ftp(ftp), m_name(std::move(name)) {}
        long long Read(void* buffer, size_t length) override {
            std::string bytes = m_ftp.files[m_name];
            if (m_ftp.breakAfter.count(m_name))
                bytes.resize(std::min(bytes.size(), m_ftp.breakAfter[m_name]));
            if (m_ftp.failAfter.count(m_name) && m_pos >= m_ftp.failAfter[m_name])
                return -1;
            const size_t n = std::min({length, m_ftp.readSize, bytes.size() - m_pos});
            bytes.copy(static_cast<char*>(buffer), n, m_pos);
            m_pos += n;
            if (m_ftp.onRead)
                m_ftp.onRead(m_name);
            return static_cast<long long>(n);
        }

    private:
        FakeFtp& m_ftp;
        std::string m_name;
        size_t m_pos = 0;
    };
    class Connection : public IFtpConnection {
    public:
        explicit Connection(FakeFtp& ftp) : m_ftp(ftp) {}
        bool GetRemoteSize(const std::string& remote, uint64_t& size) override {
            const std::string name = Key(remote);
            if (!m_ftp.files.count(name) || m_ftp.unlisted.count(name))
                return false;
            size =
                m_ftp.listedSizes.count(name) ? m_ftp.listedSizes[name] : m_ftp.files[name].size();
            return true;
        }
        std::unique_ptr<IRemoteFile> OpenRemoteFile(const std::string& remote) override {
            const std::string name = Key(remote);
            if (!m_ftp.files.count(name))
                return nullptr;
            m_ftp.opened.push_back(name);
            return std::make_unique<Remote>(m_ftp, name);
        }

    private:
        static std::string Key(std::string remote) {
            if (remote.find('\\') != std::string::npos)
                return std::string();
            std::replace(remote.begin(), remote.end(), '/', '\\');
            return remote;
        }
        FakeFtp& m_ftp;
    };
};

class FakePortal : public ITextFetch {
public:
    std::map<std::string, std::string> texts; // a URL missing here fails
    bool Fetch(const std::string& url, std::string& text) override {
        auto it = texts.find(url);
        text = it == texts.end() ? std::string() : it->second;
        return it != texts.end();
    }
};

class RecordingListener : public IUpdateListener {
public:
    std::vector<std::string> calls;
    std::vector<float> progress;
    void OnProgress(float percent) override {
        progress.push_back(percent);
        calls.push_back("progress");
    }
    void OnStatusText(const char* text) override { calls.push_back(std::string("status ") + text); }
    std::vector<UpdateEnd> ends;
    void OnUpdateFinished(UpdateEnd end) override {
        ends.push_back(end);
        calls.push_back(end == UpdateEnd::kSelfUpdate ? "self-update" : "finished");
    }
    bool Failed() const { return !ends.empty() && ends.back() == UpdateEnd::kFailed; }
};

class CountingSelfUpdate : public ISelfUpdateStarter {
public:
    int starts = 0;
    bool startable = true;
    bool StartSelfUpdate() override {
        ++starts;
        return startable;
    }
};

// The signed documents a portal would serve (a URL missing here fails), and
// the highest sequences a launcher stored.
class MemoryDocuments : public IDocumentFetch {
public:
    std::map<std::string, std::string> texts;
    bool FetchDocument(const std::string& url, size_t limit, std::string& text) override {
        auto it = texts.find(url);
        text = it == texts.end() ? std::string() : it->second.substr(0, limit + 1);
        return it != texts.end();
    }
};

class MemorySequences : public ISequenceStore {
public:
    std::map<SignedKind, uint64_t> highest;
    uint64_t ReadHighest(SignedKind kind) override { return highest[kind]; }
    void WriteHighest(SignedKind kind, uint64_t sequence) override { highest[kind] = sequence; }
};
