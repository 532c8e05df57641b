#include "w32_system/debugging/LxTraceWindowLock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <cstdlib>

std::string LX_TraceListenerLockPath()
{
    const char* runtime = getenv("XDG_RUNTIME_DIR");
    std::string folder = runtime && runtime[0] == '/' ? runtime : "/tmp";
    return folder + "/strata9-tracing-" + std::to_string(getuid()) + ".lock";
}

ELxListenerLock LX_TakeTraceListenerLock(int* fd)
{
    // /tmp is shared: never follow a link someone else planted there.
    int lockFd =
        open(LX_TraceListenerLockPath().c_str(), O_RDWR | O_CREAT | O_CLOEXEC | O_NOFOLLOW, 0600);
    if (lockFd < 0)
        return LX_LISTENER_LOCK_FAILED;
    // The lock belongs to this open file, so a second framework in the same
    // process is told apart from the first just as one in another process.
    int rc;
    do
        rc = flock(lockFd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        bool busy = errno == EWOULDBLOCK;
        close(lockFd);
        return busy ? LX_LISTENER_LOCK_BUSY : LX_LISTENER_LOCK_FAILED;
    }
    *fd = lockFd;
    return LX_LISTENER_LOCK_TAKEN;
}
