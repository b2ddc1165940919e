#pragma once

#include <condition_variable>
#include <cstddef>
#include <cstdint>
#include <deque>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

// The CRC-32 of files read block by block, summed on a second thread while
// the next bytes are read: reading a file from the page cache costs about as
// much as summing it, so one thread doing both takes the time of the two
// added up, and from a disk the disk would wait while the CRC is summed. A
// file that fits one slab is done on the calling thread alone.
//
// One object serves one thread's files one after another; its slabs and its
// summing thread are kept from file to file.
class StreamCrc {
public:
    // What one hand-over between the two threads carries.
    static constexpr size_t kSlab = 1u << 20;

    StreamCrc();
    ~StreamCrc();
    StreamCrc(const StreamCrc&) = delete;
    StreamCrc& operator=(const StreamCrc&) = delete;

    // The CRC-32 of everything read(buffer, size) gives until it returns 0
    // (the end) or a negative value (an error: failed is set, and the CRC is
    // that of the bytes read before). Reads ask for `block` bytes at a time.
    uint32_t Compute(const std::function<long long(void*, size_t)>& read, size_t block,
                     bool& failed);

private:
    struct Slab {
        std::vector<unsigned char> bytes;
        size_t length = 0;
    };

    bool StartSummer();
    void Sum();

    Slab m_slabs[3];
    std::mutex m_lock;
    std::condition_variable m_changed;
    std::deque<Slab*> m_full;
    std::vector<Slab*> m_free;
    bool m_lastGiven = false;
    bool m_summed = false;
    bool m_quit = false;
    uint32_t m_state = 0;
    std::thread m_summer;
    bool m_summerStarted = false;
};
