#include "mul_imageformat/gnr_imageformat_qx2/LxFileMemoWrapper.h"

#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <cstring>
#include <utility>

#include "gnr_system/LxRefCount.h"
#include "w32_system/LxFileInternal.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

constexpr int kFail = -9;
constexpr int kBadArgument = -4;
constexpr uint64_t kMemoryLimit = 0xffffffffu;

int flockRetrying(int fd, int operation)
{
    int rc;
    do
        rc = flock(fd, operation);
    while (rc != 0 && errno == EINTR);
    return rc;
}

int truncateRetrying(int fd, uint64_t size)
{
    int rc;
    do
        rc = ftruncate(fd, off_t(size));
    while (rc != 0 && errno == EINTR);
    return rc;
}

} // namespace

// One open descriptor, shared by the copies of a wrapper; a writer's copy
// and that of the reader it made may be released on different threads.
struct CLxFileMemoWrapper::SLxSharedFile {
    SLxSharedFile(int file, bool lock) : fd(file), refs(1), locked(lock) {}
    int fd;
    CLxRefCount refs;
    bool locked;
};

CLxFileMemoWrapper::CLxFileMemoWrapper()
    : m_bFile(false), m_pShared(nullptr), m_pMemory(nullptr), m_qwPosition(0), m_bReadOnly(false)
{
}

CLxFileMemoWrapper::CLxFileMemoWrapper(const CLxFileMemoWrapper& other)
    : m_bFile(other.m_bFile), m_wsFileName(other.m_wsFileName), m_pShared(other.m_pShared),
      m_pMemory(other.m_pMemory), m_qwPosition(other.m_qwPosition), m_bReadOnly(other.m_bReadOnly)
{
    if (m_pShared)
        m_pShared->refs.Increment();
}

CLxFileMemoWrapper& CLxFileMemoWrapper::operator=(const CLxFileMemoWrapper& other)
{
    CLxFileMemoWrapper copy(other);
    Swap(copy);
    return *this;
}

CLxFileMemoWrapper::~CLxFileMemoWrapper()
{
    Release();
}

void CLxFileMemoWrapper::Swap(CLxFileMemoWrapper& other)
{
    std::swap(m_bFile, other.m_bFile);
    std::swap(m_wsFileName, other.m_wsFileName);
    std::swap(m_pShared, other.m_pShared);
    std::swap(m_pMemory, other.m_pMemory);
    std::swap(m_qwPosition, other.m_qwPosition);
    std::swap(m_bReadOnly, other.m_bReadOnly);
}

void CLxFileMemoWrapper::Release()
{
    uint32_t left = 0;
    if (m_pShared && m_pShared->refs.Decrement(&left) && left == 0) {
        if (m_pShared->locked)
            flockRetrying(m_pShared->fd, LOCK_UN);
        close(m_pShared->fd);
        delete m_pShared;
    }
    m_pShared = nullptr;
    m_pMemory = nullptr;
    m_bFile = false;
    m_qwPosition = 0;
    m_bReadOnly = false;
}

int CLxFileMemoWrapper::OpenFile(const char16_t* path, ELxFileMemoOpen mode)
{
    if (!path)
        return kBadArgument;
    if (IsOpen())
        return kFail;
    const std::string systemPath = LX_SystemPath(path);
    int flags = O_RDONLY;
    if (mode == eLxFileMemoCreate || mode == eLxFileMemoAppend)
        flags = O_RDWR | O_CREAT;
    else if (mode == eLxFileMemoReadWrite)
        flags = O_RDWR;
    // O_NONBLOCK: opening a FIFO must not wait for a writer; it is refused
    // below with everything else that is no regular file.
    const int fd = LX_OpenFd(systemPath, flags | O_NONBLOCK);
    if (fd < 0)
        return kFail;
    struct stat st;
    if (fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        close(fd);
        return kFail;
    }
    const bool writing = mode != eLxFileMemoRead;
    // Emptying waits for the lock: a held file is never cut by a second writer.
    if (writing && (flockRetrying(fd, LOCK_EX | LOCK_NB) != 0 ||
                    (mode == eLxFileMemoCreate && truncateRetrying(fd, 0) != 0))) {
        close(fd);
        return kFail;
    }
    m_pShared = new SLxSharedFile(fd, writing);
    m_bFile = true;
    m_wsFileName = path;
    m_qwPosition = 0;
    m_bReadOnly = !writing;
    return 0;
}

int CLxFileMemoWrapper::OpenMemory(CLxByteArray* block, bool readOnly)
{
    if (!block)
        return kBadArgument;
    if (IsOpen())
        return kFail;
    m_bFile = false;
    m_pMemory = block;
    m_qwPosition = 0;
    m_bReadOnly = readOnly;
    return 0;
}

int CLxFileMemoWrapper::Read(void* buffer, uint32_t count, uint32_t* read)
{
    if (!buffer || !count || !read)
        return kBadArgument;
    *read = 0;
    if (!IsOpen())
        return kFail;
    if (!m_bFile) {
        const uint64_t size = m_pMemory->GetSize();
        const uint64_t n = m_qwPosition < size ? std::min<uint64_t>(count, size - m_qwPosition) : 0;
        if (n)
            memcpy(buffer, m_pMemory->GetData() + m_qwPosition, size_t(n));
        m_qwPosition += n;
        *read = uint32_t(n);
        return 0;
    }
    auto p = static_cast<uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        const ssize_t n = pread(m_pShared->fd, p + done, count - done, off_t(m_qwPosition + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0) {
            *read = done;
            m_qwPosition += done;
            return kFail;
        }
        if (n == 0)
            break;
        done += uint32_t(n);
    }
    *read = done;
    m_qwPosition += done;
    return 0;
}

int CLxFileMemoWrapper::Write(const void* buffer, uint32_t count, uint32_t* written)
{
    if (written)
        *written = 0;
    if (!count)
        return 0;
    if (!buffer)
        return kBadArgument;
    if (!IsOpen() || m_bReadOnly)
        return kFail;
    if (!m_bFile) {
        const uint64_t end = m_qwPosition + count;
        if (end > kMemoryLimit)
            return kBadArgument;
        const uint32_t size = m_pMemory->GetSize();
        if (end > m_pMemory->GetAllocated() &&
            m_pMemory->SetData(nullptr, uint32_t(end - size), eLxByteArrayOpAppend,
                               eLxByteArrayAllocIncrement) != 0)
            return kFail;
        memcpy(m_pMemory->GetData(size) + m_qwPosition, buffer, count);
        if (end > size)
            m_pMemory->SetSize(uint32_t(end));
        m_qwPosition = end;
        if (written)
            *written = count;
        return 0;
    }
    auto p = static_cast<const uint8_t*>(buffer);
    uint32_t done = 0;
    while (done < count) {
        const ssize_t n = pwrite(m_pShared->fd, p + done, count - done, off_t(m_qwPosition + done));
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0)
            break;
        done += uint32_t(n);
    }
    m_qwPosition += done;
    if (written)
        *written = done;
    return done == count ? 0 : kFail;
}

int CLxFileMemoWrapper::SeekFile(int64_t distance, int origin)
{
    if (!IsOpen())
        return kFail;
    if (!m_bFile)
        return SeekMemory(distance, origin);
    uint64_t base;
    if (origin == 0)
        base = 0;
    else if (origin == 1)
        base = m_qwPosition;
    else if (origin == 2) {
        if (GetSize(&base) != 0)
            return kFail;
    } else
        return kFail;
    // Targets below 0 or past the signed 64-bit range are refused.
    if (distance < 0 ? uint64_t(-(distance + 1)) + 1 > base
                     : uint64_t(distance) > uint64_t(INT64_MAX) - base)
        return kFail;
    m_qwPosition =
        distance < 0 ? base - (uint64_t(-(distance + 1)) + 1) : base + uint64_t(distance);
    return 0;
}

int CLxFileMemoWrapper::SeekMemory(int64_t distance, int origin)
{
    const uint64_t size = m_pMemory->GetSize();
    if (origin == 0) {
        if (distance >= 0 && uint64_t(distance) > kMemoryLimit) {
            LX_DIAG_ASSERT_TEXT(
                u"qwPosition > 0xffffffffui64",
                u"CLxFileMemoWrapper::SeekFile() : Error, 'to memory' doesn't support 64bits.");
            return kBadArgument;
        }
        if (distance < 0 || uint64_t(distance) > size) {
            LX_DIAG_ASSERT_TEXT(u"qwPosition > uiSize",
                                u"CLxFileMemoWrapper::SeekFile() : Error, position out of memory.");
            return kFail;
        }
        m_qwPosition = uint64_t(distance);
        return 0;
    }
    if (origin == 1) {
        int64_t target;
        if (__builtin_add_overflow(int64_t(m_qwPosition), distance, &target))
            target = distance > 0 ? INT64_MAX : INT64_MIN;
        if (target > int64_t(kMemoryLimit)) {
            LX_DIAG_ASSERT_TEXT(
                u"uiCurrent + qwPosition > 0xffffffffui64",
                u"CLxFileMemoWrapper::SeekFile() : Error, 'to memory' doesn't support 64bits.");
            return kBadArgument;
        }
        if (target < 0 || uint64_t(target) > size) {
            LX_DIAG_ASSERT_TEXT(u"uiCurrent + qwPosition > uiSize",
                                u"CLxFileMemoWrapper::SeekFile() : Error, position out of memory.");
            return kFail;
        }
        m_qwPosition = uint64_t(target);
        return 0;
    }
    if (origin == 2) {
        // From the end only backwards: 0 down to -size.
        if (distance > 0 || uint64_t(-(distance + 1)) + 1 > size) {
            LX_DIAG_ASSERT_TEXT(u"qwPosition > uiSize",
                                u"CLxFileMemoWrapper::SeekFile() : Error, position out of memory.");
            return kFail;
        }
        m_qwPosition = size - (distance == 0 ? 0 : uint64_t(-(distance + 1)) + 1);
        return 0;
    }
    LX_DIAG_ASSERT_TEXT(u"origin > 2", u"CLxFileMemoWrapper::SeekFile() : Error, unknown origin.");
    return kFail;
}

int CLxFileMemoWrapper::GetPosition(uint64_t* position) const
{
    if (!position)
        return kBadArgument;
    *position = m_qwPosition;
    return IsOpen() ? 0 : kFail;
}

int CLxFileMemoWrapper::GetSize(uint64_t* size) const
{
    if (!size)
        return kBadArgument;
    *size = 0;
    if (!IsOpen())
        return kFail;
    if (!m_bFile) {
        *size = m_pMemory->GetSize();
        return 0;
    }
    struct stat st;
    if (fstat(m_pShared->fd, &st) != 0)
        return kFail;
    *size = uint64_t(st.st_size);
    return 0;
}

uint64_t CLxFileMemoWrapper::NextData(uint64_t from) const
{
    if (!m_bFile || !m_pShared || from > uint64_t(INT64_MAX))
        return from;
    const off_t data = lseek(m_pShared->fd, off_t(from), SEEK_DATA);
    if (data >= 0)
        return uint64_t(data);
    // ENXIO: nothing but a hole up to the end.
    return errno == ENXIO ? UINT64_MAX : from;
}

int CLxFileMemoWrapper::SetEndOfFile()
{
    if (!IsOpen() || m_bReadOnly)
        return kFail;
    if (m_bFile)
        return truncateRetrying(m_pShared->fd, m_qwPosition) == 0 ? 0 : kFail;
    if (m_qwPosition > kMemoryLimit)
        return kBadArgument;
    const uint32_t size = m_pMemory->GetSize();
    const uint32_t end = uint32_t(m_qwPosition);
    if (end > size) {
        if (end > m_pMemory->GetAllocated() &&
            m_pMemory->SetData(nullptr, end - size, eLxByteArrayOpAppend,
                               eLxByteArrayAllocIncrement) != 0)
            return kFail;
        memset(m_pMemory->GetData(size) + size, 0, end - size);
    }
    m_pMemory->SetSize(end);
    return 0;
}

int CLxFileMemoWrapper::Reserve(uint64_t size)
{
    if (!IsOpen() || m_bReadOnly)
        return kFail;
    if (!m_bFile || size == 0)
        return 0;
    if (size > uint64_t(INT64_MAX))
        return kBadArgument;
    int rc;
    do
        rc = fallocate(m_pShared->fd, FALLOC_FL_KEEP_SIZE, 0, off_t(size));
    while (rc != 0 && errno == EINTR);
    return rc == 0 ? 0 : kFail;
}

int CLxFileMemoWrapper::CloseFile()
{
    if (!IsOpen())
        return kFail;
    Release();
    return 0;
}

void CLxFileMemoWrapper::Unlock()
{
    if (m_pShared && m_pShared->locked) {
        flockRetrying(m_pShared->fd, LOCK_UN);
        m_pShared->locked = false;
    }
}
