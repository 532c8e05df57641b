// Views of files in memory, at page granularity.
#include <sys/mman.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cerrno>
#include <map>
#include <mutex>

#include "w32_system/LxFileAPI.h"
#include "w32_system/LxFileInternal.h"

namespace {

// munmap needs the length the view was made with; the caller keeps only
// an address inside the view.
class ViewRegistry
{
  public:
    void add(void* base, size_t length)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        m_views[uintptr_t(base)] = length;
    }
    // Unmaps the view that begins at base; false when there is none.
    bool remove(void* base)
    {
        std::lock_guard<std::mutex> guard(m_lock);
        auto view = m_views.find(uintptr_t(base));
        if (view == m_views.end())
            return false;
        munmap(base, view->second);
        m_views.erase(view);
        return true;
    }

  private:
    std::mutex m_lock;
    std::map<uintptr_t, size_t> m_views;
};

ViewRegistry& views()
{
    static ViewRegistry registry;
    return registry;
}

uint64_t pageSize()
{
    static const uint64_t size = uint64_t(sysconf(_SC_PAGESIZE));
    return size;
}

// Pages past the end of the file fault when touched: a writable mapping
// makes the file long enough, the others are refused.
bool coverFile(int fd, int mode, uint64_t end)
{
    struct stat st;
    if (fstat(fd, &st) != 0)
        return false;
    if (end <= uint64_t(st.st_size))
        return true;
    if (mode != 2)
        return false;
    int rc;
    do
        rc = ftruncate(fd, off_t(end));
    while (rc < 0 && errno == EINTR);
    return rc == 0;
}

} // namespace

int LX_MapFile(LX_HFILE handle, int mode, uint32_t offsetLow, uint32_t offsetHigh, size_t length,
               void** address)
{
    if (!address || mode < 1 || mode > 3)
        return -4;
    int fd = LX_FdOf(handle);
    uint64_t offset = (uint64_t(offsetHigh) << 32) | offsetLow;
    if (fd < 0)
        return -9;
    if (length == 0) {
        struct stat st;
        if (fstat(fd, &st) != 0 || uint64_t(st.st_size) <= offset)
            return -9;
        length = size_t(uint64_t(st.st_size) - offset);
    }
    if (offset > uint64_t(INT64_MAX) - length || !coverFile(fd, mode, offset + length))
        return -9;
    uint64_t start = offset - offset % pageSize();
    size_t viewLength = length + size_t(offset - start);
    int protection = mode == 1 ? PROT_READ : PROT_READ | PROT_WRITE;
    int sharing = mode == 3 ? MAP_PRIVATE : MAP_SHARED;
    void* view = mmap(nullptr, viewLength, protection, sharing, fd, off_t(start));
    if (view == MAP_FAILED)
        return -9;
    views().add(view, viewLength);
    *address = static_cast<char*>(view) + (offset - start);
    return 0;
}

int LX_UnmapFile(void* address)
{
    if (!address)
        return -4;
    uintptr_t base = uintptr_t(address) - uintptr_t(address) % pageSize();
    return views().remove(reinterpret_cast<void*>(base)) ? 0 : -9;
}
