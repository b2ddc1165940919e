#include "update/StreamCrc.h"

#include "update/Crc32.h"

#include <algorithm>

namespace {

// Fills the slab with reads of `block` bytes; false at the end of the stream.
bool Fill(const std::function<long long(void*, size_t)>& read, size_t block,
          std::vector<unsigned char>& bytes, size_t& length, bool& failed) {
    length = 0;
    while (length < bytes.size()) {
        const long long got = read(bytes.data() + length, std::min(block, bytes.size() - length));
        if (got < 0)
            failed = true;
        if (got <= 0)
            return false;
        length += static_cast<size_t>(got);
    }
    return true;
}

} // namespace

StreamCrc::StreamCrc() {
    m_slabs[0].bytes.resize(kSlab);
}

StreamCrc::~StreamCrc() {
    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_quit = true;
    }
    m_changed.notify_all();
    if (m_summerStarted)
        m_summer.join();
}

bool StreamCrc::StartSummer() {
    if (m_summerStarted)
        return true;
    try {
        m_slabs[1].bytes.resize(kSlab);
        m_slabs[2].bytes.resize(kSlab);
        m_summer = std::thread([this] { Sum(); });
        m_summerStarted = true;
    } catch (...) {
        // No second thread (or no memory for it): the caller sums alone.
    }
    return m_summerStarted;
}

uint32_t StreamCrc::Compute(const std::function<long long(void*, size_t)>& read, size_t block,
                            bool& failed) {
    failed = false;
    Slab& first = m_slabs[0];
    if (!Fill(read, block, first.bytes, first.length, failed))
        return Crc32Finish(Crc32Update(kCrc32Start, first.bytes.data(), first.length));

    if (!StartSummer()) {
        uint32_t state = Crc32Update(kCrc32Start, first.bytes.data(), first.length);
        bool more = true;
        while (more) {
            more = Fill(read, block, first.bytes, first.length, failed);
            state = Crc32Update(state, first.bytes.data(), first.length);
        }
        return Crc32Finish(state);
    }

    {
        std::lock_guard<std::mutex> lock(m_lock);
        m_state = kCrc32Start;
        m_full.assign(1, &first);
        m_free.assign({&m_slabs[1], &m_slabs[2]});
        m_lastGiven = false;
        m_summed = false;
    }
    m_changed.notify_all();
    bool more = true;
    while (more) {
        Slab* slab = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_changed.wait(lock, [this] { return !m_free.empty(); });
            slab = m_free.back();
            m_free.pop_back();
        }
        more = Fill(read, block, slab->bytes, slab->length, failed);
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_full.push_back(slab);
            m_lastGiven = !more;
        }
        m_changed.notify_all();
    }
    std::unique_lock<std::mutex> lock(m_lock);
    m_changed.wait(lock, [this] { return m_summed; });
    return Crc32Finish(m_state);
}

void StreamCrc::Sum() {
    for (;;) {
        Slab* slab = nullptr;
        {
            std::unique_lock<std::mutex> lock(m_lock);
            m_changed.wait(
                lock, [this] { return m_quit || !m_full.empty() || (m_lastGiven && !m_summed); });
            if (m_quit)
                return;
            if (m_full.empty()) {
                m_summed = true;
                m_changed.notify_all();
                continue;
            }
            slab = m_full.front();
            m_full.pop_front();
        }
        // m_state belongs to this thread until m_summed is set.
        m_state = Crc32Update(m_state, slab->bytes.data(), slab->length);
        {
            std::lock_guard<std::mutex> lock(m_lock);
            m_free.push_back(slab);
        }
        m_changed.notify_all();
    }
}
