// Raw reading, writing and positioning under the chunk file, on either a file
// or a caller's memory block.
//
// Files: the path is UTF-16; reads and writes are positioned (pread/pwrite)
// at the position this wrapper tracks, so copies of a wrapper share the open
// file but not the position. The descriptor is reference-counted: the last
// holder closes it. A wrapper opened for writing holds an exclusive,
// non-blocking lock (flock) on the file until Unlock or the last close; a second
// writer of a held file is refused.
//
// Memory: the caller owns the CLxByteArray and keeps it alive while the
// wrapper uses it; positions are 32-bit; reads never pass its used size and
// writes grow it.
//
// Status codes: 0; -4 bad argument (also a memory position beyond 32 bits);
// -9 any failure of the file or of the positioning.
#pragma once

#include <cstdint>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/string/LxString.h"

enum ELxFileMemoOpen {
    eLxFileMemoRead = 0,      // existing file, read only
    eLxFileMemoCreate = 1,    // read and write, created or emptied (after the lock)
    eLxFileMemoAppend = 2,    // read and write, opened or created
    eLxFileMemoReadWrite = 3, // read and write, an existing file only
};

class CLxFileMemoWrapper
{
  public:
    CLxFileMemoWrapper();
    // Shares the other's file or memory block; the position is copied.
    CLxFileMemoWrapper(const CLxFileMemoWrapper& other);
    CLxFileMemoWrapper& operator=(const CLxFileMemoWrapper& other);
    // Releases this wrapper's hold on the file.
    ~CLxFileMemoWrapper();

    // -9 when this wrapper is already open, when the system refuses the path,
    // or (writing modes) when another holder has the file locked.
    int OpenFile(const char16_t* path, ELxFileMemoOpen mode);
    // -4 for a null block; -9 when this wrapper is already open.
    int OpenMemory(CLxByteArray* block, bool readOnly);

    // -4 for a null buffer, a zero count or a null out count. At the end of
    // the data *read is less than count (0 past the end) and 0 is returned.
    int Read(void* buffer, uint32_t count, uint32_t* read);
    // 0 at once for a zero count; -4 for a null buffer; -9 read-only, or a
    // failed or short write (*written, when given, says how much went out).
    int Write(const void* buffer, uint32_t count, uint32_t* written);
    // origin 0 start, 1 current position, 2 end. A file takes any target
    // from 0 on; a memory block a target within 0..its used size.
    int SeekFile(int64_t distance, int origin);
    int GetPosition(uint64_t* position) const;
    int GetSize(uint64_t* size) const;
    // The first offset from `from` on that may hold data other than zeros:
    // a file skips its holes; a memory block answers from itself. An offset
    // at or past the end means only zeros follow.
    uint64_t NextData(uint64_t from) const;
    // The data ends at the current position (longer or shorter).
    int SetEndOfFile();
    // Reserves disk space up to size bytes without changing the file's
    // length (a memory block: nothing to do). -9 when the system refuses.
    int Reserve(uint64_t size);
    // Releases this wrapper's hold on the file (the last hold also unlocks it).
    int CloseFile();
    // Releases the write lock, keeping the file open.
    void Unlock();

    bool IsOpen() const { return m_bFile ? m_pShared != nullptr : m_pMemory != nullptr; }
    bool IsFile() const { return m_bFile; }
    bool IsReadOnly() const { return m_bReadOnly; }
    const CLxStringW& GetFileName() const { return m_wsFileName; }

    void Swap(CLxFileMemoWrapper& other);

  private:
    struct SLxSharedFile;

    int SeekMemory(int64_t distance, int origin);
    void Release();

    bool m_bFile;
    CLxStringW m_wsFileName;
    SLxSharedFile* m_pShared;
    CLxByteArray* m_pMemory;
    uint64_t m_qwPosition;
    bool m_bReadOnly;
};
