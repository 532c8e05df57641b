// The lock that keeps a user to one tracing-window listener at a time.
#pragma once

#include <string>

// "strata9-tracing-<uid>.lock" in $XDG_RUNTIME_DIR, else in /tmp.
std::string LX_TraceListenerLockPath();

enum ELxListenerLock {
    LX_LISTENER_LOCK_TAKEN,  // *fd holds the lock until it is closed
    LX_LISTENER_LOCK_BUSY,   // another listener holds it
    LX_LISTENER_LOCK_FAILED, // the lock file cannot be opened or locked
};
ELxListenerLock LX_TakeTraceListenerLock(int* fd);
