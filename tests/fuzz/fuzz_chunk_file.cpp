// libFuzzer target for the chunk file layer: any bytes, read as a memory
// block and as a file (writable and read-only), must give a status code.
// Open, rescan with a callback that adds a chunk, walk every name and read
// every chunk; then check what the layer promises:
//   - a memory block and a read-only file never change;
//   - a file repaired in place reopens with 0 and the same chunks;
//   - appending a chunk keeps every chunk that was readable before.
//
//   cmake --build build-fuzz --target fuzz_chunk_file fuzz_chunk_file_corpus
//   cd build-fuzz/tests/fuzz && ./fuzz_chunk_file corpora/fuzz_chunk_file
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <map>
#include <string>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "w32_system/LxStrHelpers.h"
#include "w32_system/LxUtf.h"
#include "w32_system/debugging/LxDiag.h"
#include "fuzz_quiet_reports.h"

namespace
{

// name -> status of GetChunk and the bytes it gave.
typedef std::map<std::string, std::pair<int, std::string>> ChunkView;

int AddOneChunk(const uint8_t* header, CLxStringA& name, CLxByteArray& data, void*)
{
    if (header)
        return 0;
    if (!name.Equals("##ADD_NEW_CHUNKS##0"))
        return -8;
    name = "FuzzAddedChunk";
    data.SetData("added", 5, eLxByteArrayOpFromStart, eLxByteArrayAllocExact);
    return 0;
}

void Check(bool condition)
{
    if (!condition)
        abort();
}

ChunkView ReadAll(CLxFileChunker& chunker)
{
    ChunkView view;
    CLxStringA name;
    int rc = chunker.GetNextChunkName(name, nullptr);
    while (rc == 0) {
        CLxByteArray data;
        const int got = chunker.GetChunk(name, data);
        view[std::string(name)] = {
            got, std::string(reinterpret_cast<const char*>(data.GetData()), data.GetSize())};
        Check(view.size() <= chunker.GetChunkCount());
        CLxStringA next;
        rc = chunker.GetNextChunkName(next, name);
        name = next;
    }
    Check(rc == -13);
    return view;
}

// Opens for reading and rescans when the map is missing; -1 when the file
// is no chunk file.
int OpenAndRead(CLxFileChunker& chunker, int openResult, ChunkView* view)
{
    if (openResult != 0 && openResult != -13)
        return -1;
    if (openResult == -13) {
        Check(chunker.IsMapUnreadable());
        Check(chunker.CreateMissingChunkMap(AddOneChunk, nullptr) == 0);
        Check(!chunker.IsMapUnreadable());
    }
    *view = ReadAll(chunker);
    return openResult;
}

std::string TempPath()
{
    const char* base = access("/dev/shm", W_OK) == 0 ? "/dev/shm" : getenv("TMPDIR");
    return std::string(base ? base : "/tmp") + "/fuzz_chunk_" + std::to_string(getpid()) + ".qx2";
}

bool WriteFile(const std::string& path, const uint8_t* data, size_t size, mode_t mode)
{
    unlink(path.c_str());
    const int fd = open(path.c_str(), O_CREAT | O_WRONLY | O_TRUNC | O_CLOEXEC, 0644);
    if (fd < 0)
        return false;
    bool ok = size == 0 || write(fd, data, size) == ssize_t(size);
    ok = fchmod(fd, mode) == 0 && ok;
    close(fd);
    return ok;
}

std::string Contents(const std::string& path)
{
    std::string out;
    const int fd = open(path.c_str(), O_RDONLY | O_CLOEXEC);
    if (fd < 0)
        return out;
    char buffer[65536];
    ssize_t n;
    while ((n = read(fd, buffer, sizeof buffer)) > 0)
        out.append(buffer, size_t(n));
    close(fd);
    return out;
}

void FuzzFile(const uint8_t* data, size_t size, bool readOnly, const ChunkView& memoryView,
              int memoryResult)
{
    const std::string path = TempPath();
    if (!WriteFile(path, data, size, readOnly ? 0444 : 0644))
        return;
    const std::u16string wpath = LX_Utf8ToUtf16(path.c_str());
    ChunkView view;
    int opened;
    {
        CLxFileChunker chunker;
        CLxStringA version;
        opened = OpenAndRead(chunker, chunker.Open(wpath.c_str(), true, false, version), &view);
        Check(opened == memoryResult);
        // The same bytes give the same chunks, in memory or in a file.
        Check(view == memoryView);
        chunker.Finalize();
    }
    if (readOnly)
        Check(Contents(path) == std::string(reinterpret_cast<const char*>(data), size));
    if (opened == -1) {
        unlink(path.c_str());
        return;
    }
    if (!readOnly && opened == -13) {
        CLxFileChunker again;
        CLxStringA version;
        Check(again.Open(wpath.c_str(), true, false, version) == 0);
        Check(ReadAll(again) == view);
    }
    if (!readOnly) {
        CLxFileChunker writer;
        CLxStringA version;
        if (writer.Open(wpath.c_str(), false, true, version) == 0) {
            Check(writer.WriteChunk("FuzzAppended", "x", 1) == 0);
            Check(writer.Finalize() == 0);
            CLxFileChunker reader;
            Check(reader.Open(wpath.c_str(), true, false, version) == 0);
            ChunkView after = ReadAll(reader);
            Check(after["FuzzAppended!"] == std::make_pair(0, std::string("x")));
            after.erase("FuzzAppended!");
            ChunkView before = view;
            before.erase("FuzzAppended!");
            Check(after == before);
        }
    }
    unlink(path.c_str());
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::QuietReports();
    if (size > (8u << 20))
        return 0;

    CLxByteArray block(data, uint32_t(size), 4096);
    ChunkView memoryView;
    int memoryResult;
    {
        CLxFileChunker chunker;
        CLxStringA version;
        memoryResult =
            OpenAndRead(chunker, chunker.OpenMemory(&block, true, false, version), &memoryView);
        chunker.Finalize();
    }
    Check(block.GetSize() == size && (size == 0 || memcmp(block.GetData(), data, size) == 0));

    // Files are slow: the last byte chooses whether and as what kind the input
    // goes to a file as well (a quarter of the inputs, writable or read-only).
    const uint8_t choice = size > 0 ? data[size - 1] : 0;
    if ((choice & 6) == 6)
        FuzzFile(data, size, choice & 1, memoryView, memoryResult);
    return 0;
}
