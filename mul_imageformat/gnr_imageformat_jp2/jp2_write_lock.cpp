#include "mul_imageformat/gnr_imageformat_jp2/jp2_write_lock.h"

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

#include "gnr_system/string/LxStringUtils.h"

bool jp2_write_lock::acquire(const CLxStringW& path, bool create)
{
    release();
    CLxStringA narrow;
    if (path.IsEmpty() || !CLxStringUtils::WtoUTF8(path.GetString(), narrow))
        return false;
    const int fd = ::open(narrow.GetString(), O_RDWR | O_CLOEXEC | (create ? O_CREAT : 0), 0666);
    if (fd < 0)
        return false;
    int rc;
    do
        rc = ::flock(fd, LOCK_EX | LOCK_NB);
    while (rc != 0 && errno == EINTR);
    if (rc != 0) {
        ::close(fd);
        return false;
    }
    m_fd = fd;
    return true;
}

void jp2_write_lock::release()
{
    if (m_fd < 0)
        return;
    ::flock(m_fd, LOCK_UN);
    ::close(m_fd);
    m_fd = -1;
}
