#include "w32_system/LxMutexCS.h"

#include <pthread.h>

#include <atomic>
#include <cstdlib>
#include <new>

// The record behind a handle: a recursive pthread mutex plus its owner and
// depth, so that destroy can refuse a mutex that is held, even by the caller
// (a held pthread mutex must never be destroyed).
struct pthread_mutexCS_t_ {
    pthread_mutex_t mutex;
    std::atomic<pthread_t> owner;
    std::atomic<bool> owned;
    int depth; // written only by the owner
};

namespace {

// The numbers of the Windows C runtime, which callers compare with; Linux
// differs for ENOSYS (38 there).
enum : int { kEPERM = 1, kENOMEM = 12, kEBUSY = 16, kEINVAL = 22, kENOSYS = 40 };

// Serialises creation on first use of statically initialised handles.
pthread_mutex_t g_creationLock = PTHREAD_MUTEX_INITIALIZER;

const pthread_mutexCS_t kStaticInit = PTHREAD_MUTEXCS_INITIALIZER;

void noteEntered(pthread_mutexCS_t_* m)
{
    if (m->depth++ == 0) {
        m->owner.store(pthread_self(), std::memory_order_relaxed);
        m->owned.store(true, std::memory_order_release);
    }
}

int createOnFirstUse(pthread_mutexCS_t* handle)
{
    pthread_mutex_lock(&g_creationLock);
    int result;
    if (*handle == kStaticInit)
        result = pthread_mutexCS_init(handle, nullptr);
    else
        result = *handle ? 0 : kEINVAL;
    pthread_mutex_unlock(&g_creationLock);
    return result;
}

// The handle of a -1 word may be written by another thread's creation, so
// read it under the creation lock's protocol: creation completes before the
// word changes.
int resolve(pthread_mutexCS_t* handle, pthread_mutexCS_t_** record)
{
    if (!handle)
        return kEINVAL;
    pthread_mutexCS_t current = __atomic_load_n(handle, __ATOMIC_ACQUIRE);
    if (!current)
        return kEINVAL;
    if (current == kStaticInit) {
        if (int result = createOnFirstUse(handle))
            return result;
        current = __atomic_load_n(handle, __ATOMIC_ACQUIRE);
    }
    *record = current;
    return 0;
}

} // namespace

int pthread_mutexCS_init(pthread_mutexCS_t* handle, const pthread_mutexattrCS_t* attr)
{
    if (!handle)
        return kEINVAL;
    auto* m = static_cast<pthread_mutexCS_t_*>(calloc(1, sizeof(pthread_mutexCS_t_)));
    if (!m) {
        *handle = nullptr;
        return kENOMEM;
    }
    if (attr && *attr && (*attr)->pshared == 1) {
        free(m);
        *handle = nullptr;
        return kENOSYS;
    }
    pthread_mutexattr_t a;
    pthread_mutexattr_init(&a);
    pthread_mutexattr_settype(&a, PTHREAD_MUTEX_RECURSIVE);
    int rc = pthread_mutex_init(&m->mutex, &a);
    pthread_mutexattr_destroy(&a);
    if (rc) {
        free(m);
        *handle = nullptr;
        return kENOMEM;
    }
    new (&m->owner) std::atomic<pthread_t>();
    new (&m->owned) std::atomic<bool>(false);
    __atomic_store_n(handle, m, __ATOMIC_RELEASE);
    return 0;
}

int pthread_mutexCS_lock(pthread_mutexCS_t* handle)
{
    pthread_mutexCS_t_* m;
    if (int result = resolve(handle, &m))
        return result;
    pthread_mutex_lock(&m->mutex);
    noteEntered(m);
    return 0;
}

int pthread_mutexCS_trylock(pthread_mutexCS_t* handle)
{
    pthread_mutexCS_t_* m;
    if (int result = resolve(handle, &m))
        return result;
    if (pthread_mutex_trylock(&m->mutex))
        return kEBUSY;
    noteEntered(m);
    return 0;
}

int pthread_mutexCS_unlock(pthread_mutexCS_t* handle)
{
    if (!handle || !*handle || *handle == kStaticInit)
        return kEINVAL;
    pthread_mutexCS_t_* m = *handle;
    // Only the owner may leave a recursive pthread mutex; Windows does not
    // check, but unlocking another thread's mutex is undefined here.
    if (!m->owned.load(std::memory_order_acquire) ||
        !pthread_equal(m->owner.load(std::memory_order_relaxed), pthread_self()))
        return kEPERM;
    if (--m->depth == 0)
        m->owned.store(false, std::memory_order_release);
    pthread_mutex_unlock(&m->mutex);
    return 0;
}

int pthread_mutexCS_destroy(pthread_mutexCS_t* handle)
{
    if (!handle || !*handle || *handle == kStaticInit)
        return kEINVAL;
    pthread_mutexCS_t_* m = *handle;
    if (pthread_mutex_trylock(&m->mutex))
        return kEBUSY;
    // Taken: by us alone (depth 0 before), or recursively by an owner that
    // still holds it, which must not lose the mutex under its feet.
    if (m->depth != 0) {
        pthread_mutex_unlock(&m->mutex);
        return kEBUSY;
    }
    *handle = nullptr;
    pthread_mutex_unlock(&m->mutex);
    pthread_mutex_destroy(&m->mutex);
    free(m);
    return 0;
}
