// The chunk file under every QX2 document: named chunks, each at a multiple
// of 4096 bytes, and a chunk map at the end that finds them by name.
//
// Chunk: u32 magic 0x0ABECEDA, u32 name length N, u64 data length D (high
// half 0), N name bytes ending in '!', D data bytes, zeros to the next 4096.
// The first chunk is the signature ("QX2 FILE SIGNATURE CHUNK NAME01!", 64
// bytes of version text); the last one of a finished file is the map
// ("QX2 FILEMAP SIGNATURE NAME 0001!"): each name with its '!' in unsigned
// byte order, its chunk's offset and length (u64 each), then the end record
// "QX2 CHUNK MAP SIGNATURE 0000001!" + u64 map offset, zeros, and the same
// 40-byte end record as the last bytes of the file.
//
// Names: every operation that takes a name adds the '!' when it is missing.
// A name has at most 511 bytes with its '!' and no other '!'.
//
// Status codes: 0; -4 bad argument (a name too long or reserved, a null
// chunker); -8 (callbacks) ends a series; -9 failure (bad or short chunk,
// failed write, a file another writer holds); -13 a name not in the map, or
// (Open) a file whose map cannot be read.
#pragma once

#include <cstdint>
#include <map>
#include <memory>
#include <string>

#include "gnr_system/LxByteArray.h"
#include "gnr_system/string/LxString.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileMemoWrapper.h"

// Rescan callback: header is the chunk's 16 header bytes (null for the
// "##ADD_NEW_CHUNKS##%i" series). During the walk its result is ignored;
// in the series 0 asks for a chunk with the name and data left in the
// arguments, -8 ends the series and anything else skips that number.
typedef int (*LX_PFN_CHUNK_RESCAN)(const uint8_t* header, CLxStringA& name, CLxByteArray& data,
                                   void* context);

class CLxFileChunker
{
  public:
    CLxFileChunker();
    // A reader on the same open file or block (a writer hands it out to read
    // back what it wrote): shares the descriptor, copies the map and the
    // flags but never writes. Its Finalize or destruction never closes the
    // file under the other.
    CLxFileChunker(const CLxFileChunker& other);
    CLxFileChunker& operator=(const CLxFileChunker&) = delete;
    // Releases the file without writing the map.
    ~CLxFileChunker();

    // read: version receives the file's version text; 0, -13 when the map
    // cannot be read (the file stays open; see CreateMissingChunkMap), -9
    // when the file is not a chunk file. Writing (read false): a new file
    // gets version in its signature chunk; appending to a chunk file
    // (append) keeps its chunks and version, which version receives; a file
    // without a readable map is rescanned first and new chunks follow its
    // last complete chunk. -9 when the file is held by another writer or is
    // not empty and not a chunk file.
    int Open(const char16_t* fileName, bool read, bool append, CLxStringA& version);
    // The same over a caller's block, which stays alive while in use. A new
    // block for writing is emptied first. Appending is not supported: -4
    // with the block untouched.
    int OpenMemory(CLxByteArray* block, bool read, bool append, CLxStringA& version);

    // One chunk at the end of the file, entered in the map (replacing an
    // entry of the same name). -4 for a bad or reserved name, -9 when the
    // write fails (the map and earlier chunks stay as they were).
    int WriteChunk(const char* name, const void* data, uint32_t size);
    int WriteChunk2(const char* name, const void* data1, uint32_t size1, const void* data2,
                    uint32_t size2);
    int WriteChunkBytes(const char* name, const CLxByteArray& data);

    // -13 for a name not in the map; -9 when the chunk there cannot be read
    // or carries another name.
    int GetChunk(const char* name, CLxByteArray& data);
    // after empty or null: the first name; else the name after it. -13 when
    // after is not in the map or is the last, or the map is empty.
    int GetNextChunkName(CLxStringA& out, const char* after);

    // Replaces this map by the other's; -4 for null.
    int CopyMapFrom(const CLxFileChunker* other);
    // Makes the file at least size bytes long (zeros); the position stays.
    int EnsureFileSize(uint64_t size);
    // Reserves disk space for size bytes of file without making it longer,
    // so a writer that dies leaves no zero tail.
    int ReserveSpace(uint64_t size);
    // Once: unless opened for reading, writes the map and cuts the file
    // after it; releases the lock and the file. -9 when the map write fails.
    int Finalize();

    // Rebuilds the map by walking the chunks from the start; the last
    // complete chunk of a name wins. Then asks the callback (may be null)
    // for the "##ADD_NEW_CHUNKS##%i" series. A file with a write permission
    // bit that no other writer holds is repaired in place (the map written
    // after the last complete chunk); otherwise not one byte changes and
    // the map and the added chunks are held in memory, served by GetChunk
    // and GetNextChunkName as if written.
    int CreateMissingChunkMap(LX_PFN_CHUNK_RESCAN callback, void* context);

    bool IsMapUnreadable() const { return m_bMapUnreadable; }
    uint32_t GetChunkCount() const { return uint32_t(m_map.size()); }

  private:
    struct SLxChunkEntry {
        uint64_t qwOffset;
        uint64_t qwLength;
        bool bHeld; // its data lives in m_held, not in the file
    };
    typedef std::map<std::string, SLxChunkEntry> ChunkMap;

    int OpenCommon(bool read, bool append, CLxStringA& version);
    int WriteSignature(const CLxStringA& version);
    int ReadSignature(CLxStringA& version);
    int ReadMap();
    int WriteMap();
    int AssembleAndWrite(const std::string& name, const void* data1, uint32_t size1,
                         const void* data2, uint32_t size2);
    int ReadChunk(uint64_t offset, uint64_t fileSize, uint64_t* foundAt, uint8_t* header,
                  std::string* name, CLxByteArray* data);
    int FindMagic(uint64_t from, uint64_t fileSize, uint64_t* found);
    int SeekTo(uint64_t position) { return m_file.SeekFile(int64_t(position), 0); }
    int Walk(LX_PFN_CHUNK_RESCAN callback, void* context, uint64_t* end);
    int AddNewChunks(LX_PFN_CHUNK_RESCAN callback, void* context, bool held);

    CLxFileMemoWrapper m_file;
    ChunkMap m_map;
    bool m_bFinalized;
    CLxByteArray m_block;
    bool m_bMapUnreadable;
    bool m_bRead;
    std::map<std::string, CLxByteArray> m_held;
    // Where the next chunk goes; reads move the file position, not this.
    uint64_t m_qwAppend;
    // Read buffer of the resynchronisation.
    std::unique_ptr<uint8_t[]> m_scan;
    uint32_t m_uiScanSize;
    bool m_bScanCache;   // m_scan holds m_uiScanGot file bytes from m_qwScanAt
    uint64_t m_qwScanAt; // (only while a walk runs)
    uint32_t m_uiScanGot;
};
