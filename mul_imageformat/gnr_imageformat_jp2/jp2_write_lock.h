// The writer's hold on its file: an exclusive advisory lock (flock) on a
// descriptor of its own, taken before the file is emptied or rewritten, so
// that a second writer is refused and a reader does not repair the file
// under the writer.
#pragma once

#include "gnr_system/string/LxString.h"

class jp2_write_lock
{
  public:
    jp2_write_lock() = default;
    ~jp2_write_lock() { release(); }
    jp2_write_lock(const jp2_write_lock&) = delete;
    jp2_write_lock& operator=(const jp2_write_lock&) = delete;

    // Opens the file for writing without emptying it (creating it when
    // asked and missing) and locks it. False when it cannot be opened or
    // another writer holds it; nothing of the file is changed then.
    bool acquire(const CLxStringW& path, bool create);
    void release();
    bool held() const { return m_fd >= 0; }

  private:
    int m_fd = -1;
};
