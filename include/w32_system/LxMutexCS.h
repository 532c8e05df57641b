// Process-wide locks: small recursive mutexes with the calling conventions
// and result codes of the POSIX-threads mutex functions.
//
// A handle is one pointer-sized word: the record's address while the mutex
// exists, 0 once destroyed (or after a failed creation), or
// PTHREAD_MUTEXCS_INITIALIZER (-1), created by its first lock or trylock.
// Results: 0, or 22 EINVAL, 12 ENOMEM, 40 ENOSYS, 16 EBUSY.
#pragma once

#include <cstdint>

#include "w32_system/LxExport.h"

struct pthread_mutexCS_t_;
typedef pthread_mutexCS_t_* pthread_mutexCS_t;
#define PTHREAD_MUTEXCS_INITIALIZER (reinterpret_cast<pthread_mutexCS_t>(~uintptr_t(0)))

// The attribute record: only the process-shared flag is looked at.
struct pthread_mutexattrCS_t_ {
    int pshared;
};
typedef pthread_mutexattrCS_t_* pthread_mutexattrCS_t;

// 0; 22 null handle address; 12 no memory; 40 process-shared attribute.
LX_EXPORT int pthread_mutexCS_init(pthread_mutexCS_t* mutex, const pthread_mutexattrCS_t* attr);
LX_EXPORT int pthread_mutexCS_lock(pthread_mutexCS_t* mutex);
LX_EXPORT int pthread_mutexCS_unlock(pthread_mutexCS_t* mutex);
// 0 when taken (also recursively by the owner); 16 when another thread holds it.
LX_EXPORT int pthread_mutexCS_trylock(pthread_mutexCS_t* mutex);
// 0 (handle set to 0); 16 while held (by any thread: a held mutex is never
// destroyed); 22 for a null address, a 0 or a -1 handle.
LX_EXPORT int pthread_mutexCS_destroy(pthread_mutexCS_t* mutex);

// Scoped lock for the library's own use.
class CLxMutexCSLock
{
public:
    explicit CLxMutexCSLock(pthread_mutexCS_t* mutex) : m_mutex(mutex) { pthread_mutexCS_lock(m_mutex); }
    ~CLxMutexCSLock() { pthread_mutexCS_unlock(m_mutex); }
    CLxMutexCSLock(const CLxMutexCSLock&) = delete;
    CLxMutexCSLock& operator=(const CLxMutexCSLock&) = delete;

private:
    pthread_mutexCS_t* m_mutex;
};
