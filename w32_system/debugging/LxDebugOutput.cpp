#include "w32_system/debugging/LxDebugOutput.h"

#include <pthread.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <string>

#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/debugging/LxErrnoKeeper.h"

namespace {

struct Subscription {
    LxDebugOutputSink sink;
    void* context;
};

constexpr int kMaxSinks = 16;
Subscription g_sinks[kMaxSinks];
pthread_mutex_t g_sinksLock = PTHREAD_MUTEX_INITIALIZER;
// Subscribed sinks, changed under the lock, read without it.
std::atomic<int> g_sinkCount{0};

bool echoToStderr()
{
    static const bool echo = [] {
        const char* v = getenv("QUELVIX_DEBUG_STDERR");
        return v && strcmp(v, "1") == 0;
    }();
    return echo;
}

} // namespace

void LX_OutputDebugString(const char16_t* text)
{
    if (!text)
        return;
    CLxErrnoKeeper keep;
    if (echoToStderr()) {
        std::string utf8 = LX_Utf16ToUtf8(text);
        ssize_t ignored = write(STDERR_FILENO, utf8.data(), utf8.size());
        (void)ignored;
    }
    // Sinks run under the lock so that a removed sink is never called after
    // LX_RemoveDebugOutputSink returns.
    pthread_mutex_lock(&g_sinksLock);
    for (const Subscription& s : g_sinks)
        if (s.sink)
            s.sink(text, s.context);
    pthread_mutex_unlock(&g_sinksLock);
}

bool LX_DebugOutputListened()
{
    return echoToStderr() || g_sinkCount.load() > 0;
}

int LX_AddDebugOutputSink(LxDebugOutputSink sink, void* context)
{
    if (!sink)
        return 0;
    pthread_mutex_lock(&g_sinksLock);
    int id = 0;
    for (int i = 0; i < kMaxSinks; ++i) {
        if (!g_sinks[i].sink) {
            g_sinks[i] = {sink, context};
            ++g_sinkCount;
            id = i + 1;
            break;
        }
    }
    pthread_mutex_unlock(&g_sinksLock);
    return id;
}

void LX_RemoveDebugOutputSink(int id)
{
    if (id < 1 || id > kMaxSinks)
        return;
    pthread_mutex_lock(&g_sinksLock);
    if (g_sinks[id - 1].sink)
        --g_sinkCount;
    g_sinks[id - 1] = {};
    pthread_mutex_unlock(&g_sinksLock);
}
