// Shared pieces of the background-request tests: a recorder for completion
// routines and waits with generous bounds.
#pragma once

#include <dirent.h>
#include <unistd.h>

#include <chrono>
#include <condition_variable>
#include <functional>
#include <mutex>
#include <string>
#include <thread>
#include <vector>

#include "w32_system/LxAsyncIO.h"
#include "w32_system/LxFileAPI.h"

// Collects the reports of one request.
class AsyncRecorder
{
  public:
    struct Call {
        int status;
        uint64_t done; // bytes done, or bytes copied
        uint64_t size; // copies: the source size
        std::thread::id thread;
    };

    // Runs on the worker after the call is recorded, with its index.
    std::function<void(size_t index)> onCall;

    uintptr_t Word() { return reinterpret_cast<uintptr_t>(this); }

    static void OnTransfer(int status, uint32_t done, uintptr_t self)
    {
        reinterpret_cast<AsyncRecorder*>(self)->record(
            {status, done, 0, std::this_thread::get_id()});
    }
    static void OnCopy(int status, uint32_t sizeLow, uint32_t sizeHigh, uint32_t copiedLow,
                       uint32_t copiedHigh, uintptr_t self)
    {
        reinterpret_cast<AsyncRecorder*>(self)->record(
            {status, uint64_t(copiedHigh) << 32 | copiedLow, uint64_t(sizeHigh) << 32 | sizeLow,
             std::this_thread::get_id()});
    }

    // Until a report other than "more to come"; false when none came.
    bool WaitForEnd(int seconds = 30)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(seconds), [&] { return m_ended; });
    }
    bool WaitForCalls(size_t count, int seconds = 30)
    {
        std::unique_lock<std::mutex> lock(m_mutex);
        return m_changed.wait_for(lock, std::chrono::seconds(seconds),
                                  [&] { return m_finished >= count; });
    }
    std::vector<Call> Calls()
    {
        std::lock_guard<std::mutex> lock(m_mutex);
        return m_calls;
    }
    std::vector<std::pair<int, uint64_t>> StatusesAndBytes()
    {
        std::vector<std::pair<int, uint64_t>> out;
        for (const Call& c : Calls())
            out.emplace_back(c.status, c.done);
        return out;
    }

  private:
    // The hook runs before the call counts as made, and nothing of the
    // recorder is touched after the lock is released: a test may destroy
    // the recorder as soon as its wait is over.
    void record(const Call& call)
    {
        size_t index;
        {
            std::lock_guard<std::mutex> lock(m_mutex);
            index = m_calls.size();
            m_calls.push_back(call);
        }
        if (onCall)
            onCall(index);
        std::lock_guard<std::mutex> lock(m_mutex);
        ++m_finished;
        m_ended = m_ended || call.status != LX_FILE_ASYNC_MORE;
        m_changed.notify_all();
    }

    std::mutex m_mutex;
    std::condition_variable m_changed;
    std::vector<Call> m_calls;
    size_t m_finished = 0;
    bool m_ended = false;
};

// Polls `done` every millisecond for up to `seconds`.
inline bool Eventually(const std::function<bool()>& done, int seconds = 10)
{
    auto until = std::chrono::steady_clock::now() + std::chrono::seconds(seconds);
    while (!done()) {
        if (std::chrono::steady_clock::now() > until)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(1));
    }
    return true;
}

// Idle workers retire within a few milliseconds; after that no routine of an
// earlier request can run any more.
inline bool AllWorkersRetired()
{
    return Eventually([] { return LX_AsyncWorkerCount() == 0; });
}

inline int OpenDescriptorCount()
{
    int count = 0;
    if (DIR* dir = opendir("/proc/self/fd")) {
        while (readdir(dir))
            ++count;
        closedir(dir);
    }
    return count;
}

inline std::string PatternBytes(size_t size, unsigned seed = 1)
{
    std::string bytes(size, '\0');
    uint32_t x = seed * 2654435761u + 1;
    for (char& c : bytes) {
        x = x * 1103515245u + 12345u;
        c = char(x >> 16);
    }
    return bytes;
}
