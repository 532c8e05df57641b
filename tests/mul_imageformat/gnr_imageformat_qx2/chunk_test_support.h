// Helpers of the chunk file tests: file bytes, hashes, chunk data patterns
// and a walk of every chunk a chunker serves.
#pragma once

#include <fcntl.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <cstdint>
#include <functional>
#include <map>
#include <string>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "test_support.h"

namespace chunktest
{

inline std::string ReadFileBytes(const std::string& path)
{
    std::string out;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    struct stat st;
    if (fstat(fd, &st) == 0)
        out.resize(size_t(st.st_size));
    size_t done = 0;
    while (done < out.size()) {
        const ssize_t n = pread(fd, &out[done], out.size() - done, off_t(done));
        if (n <= 0)
            break;
        done += size_t(n);
    }
    out.resize(done);
    close(fd);
    return out;
}

inline void WriteFileBytes(const std::string& path, const std::string& bytes)
{
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    ASSERT_GE(fd, 0);
    ASSERT_EQ(write(fd, bytes.data(), bytes.size()), ssize_t(bytes.size()));
    close(fd);
}

// A hash of the file's bytes that reads only its data extents: a hole reads
// as zeros, and a hole that became data changes the extent list. Keeps
// hashing a 40 MB sparse tail cheap.
inline size_t FileHash(const std::string& path)
{
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return 0;
    struct stat st;
    size_t hash = fstat(fd, &st) == 0 ? size_t(st.st_size) : 0;
    std::string extent;
    off_t data = lseek(fd, 0, SEEK_DATA);
    while (data >= 0 && data < st.st_size) {
        off_t hole = lseek(fd, data, SEEK_HOLE);
        if (hole < 0)
            hole = st.st_size;
        extent.resize(size_t(hole - data));
        if (pread(fd, &extent[0], extent.size(), data) != ssize_t(extent.size()))
            break;
        hash = hash * 1000003u ^ size_t(data) ^ std::hash<std::string>()(extent) * 31u;
        data = lseek(fd, hole, SEEK_DATA);
    }
    close(fd);
    return hash;
}

inline uint64_t FileSize(const std::string& path)
{
    struct stat st;
    return stat(path.c_str(), &st) == 0 ? uint64_t(st.st_size) : 0;
}

// Data bytes that differ per chunk and per position.
inline std::string Pattern(uint32_t size, uint32_t seed)
{
    std::string data(size, '\0');
    uint32_t x = seed * 2654435761u + 12345u;
    for (uint32_t i = 0; i < size; ++i) {
        x = x * 1103515245u + 12345u;
        data[i] = char(x >> 16);
    }
    return data;
}

inline std::string Bytes(const CLxByteArray& data)
{
    return std::string(reinterpret_cast<const char*>(data.GetData()), data.GetSize());
}

// name -> data of every chunk the chunker serves, in GetNextChunkName order;
// a chunk that does not read is stored as "<rc>".
inline std::map<std::string, std::string> AllChunks(CLxFileChunker& chunker)
{
    std::map<std::string, std::string> chunks;
    CLxStringA name;
    int rc = chunker.GetNextChunkName(name, nullptr);
    while (rc == 0) {
        CLxByteArray data;
        const int got = chunker.GetChunk(name, data);
        chunks[std::string(name)] = got == 0 ? Bytes(data) : "<" + std::to_string(got) + ">";
        CLxStringA next;
        rc = chunker.GetNextChunkName(next, name);
        name = next;
    }
    return chunks;
}

inline int32_t GetLE32(const std::string& bytes, size_t at)
{
    uint32_t v = 0;
    for (int i = 3; i >= 0; --i)
        v = v << 8 | uint8_t(bytes[at + size_t(i)]);
    return int32_t(v);
}

inline uint64_t GetLE64(const std::string& bytes, size_t at)
{
    uint64_t v = 0;
    for (int i = 7; i >= 0; --i)
        v = v << 8 | uint8_t(bytes[at + size_t(i)]);
    return v;
}

inline void PutLE32(std::string& bytes, size_t at, uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        bytes[at + size_t(i)] = char(v >> (8 * i));
}

inline void PutLE64(std::string& bytes, size_t at, uint64_t v)
{
    for (int i = 0; i < 8; ++i)
        bytes[at + size_t(i)] = char(v >> (8 * i));
}

// Runs the independent Python check (qx2_chunk_check.py) with those
// arguments: its exit status, or -1 when python3 was not found at configure
// time.
inline int RunIndependentCheck(const std::string& arguments)
{
#ifdef LXTEST_PYTHON3
    const std::string command =
        std::string(LXTEST_PYTHON3) + " " + LXTEST_QX2_CHUNK_CHECK + " " + arguments + " >&2";
    const int status = system(command.c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : 128;
#else
    (void)arguments;
    return -1;
#endif
}

inline bool HaveIndependentCheck()
{
#ifdef LXTEST_PYTHON3
    return true;
#else
    return false;
#endif
}

// A file this layer wrote passes the independent layout check; a repaired
// file may keep bytes that are no chunk between its chunks.
inline void ExpectIndependentCheckPasses(const std::string& path, bool repaired = false)
{
    if (HaveIndependentCheck()) {
        const char* mode = repaired ? "verify-repaired '" : "verify '";
        EXPECT_EQ(RunIndependentCheck(mode + path + "'"), 0) << path;
    }
}

} // namespace chunktest
