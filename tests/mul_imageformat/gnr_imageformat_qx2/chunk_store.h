// A chunk file in one of the two places the layer works on: a file in a
// fresh folder or a caller's memory block.
#pragma once

#include <string>

#include "chunk_test_support.h"

namespace chunktest
{

enum ETarget { eOnFile, eInMemory };

inline const char* TargetName(ETarget target)
{
    return target == eOnFile ? "File" : "Memory";
}

class ChunkStore
{
  public:
    explicit ChunkStore(ETarget target, const char* name = "store.qx2")
        : m_target(target), m_path((m_dir.path() / name).string()), m_wide(U16(m_path.c_str()))
    {
    }

    int OpenWrite(CLxFileChunker& chunker, const char* version = "Ver2.1", bool append = false)
    {
        CLxStringA v(version);
        return m_target == eOnFile ? chunker.Open(m_wide.c_str(), false, append, v)
                                   : chunker.OpenMemory(&m_block, false, append, v);
    }
    int OpenRead(CLxFileChunker& chunker, CLxStringA* version = nullptr)
    {
        CLxStringA v;
        const int rc = m_target == eOnFile ? chunker.Open(m_wide.c_str(), true, false, v)
                                           : chunker.OpenMemory(&m_block, true, false, v);
        if (version)
            *version = v;
        return rc;
    }
    std::string Contents() const
    {
        return m_target == eOnFile ? ReadFileBytes(m_path) : Bytes(m_block);
    }
    void SetContents(const std::string& bytes)
    {
        if (m_target == eOnFile)
            WriteFileBytes(m_path, bytes);
        else
            m_block.SetData(bytes.data(), uint32_t(bytes.size()), eLxByteArrayOpFromStart,
                            eLxByteArrayAllocExact);
    }
    const std::string& Path() const { return m_path; }
    const std::u16string& Wide() const { return m_wide; }
    ETarget Target() const { return m_target; }

  private:
    ETarget m_target;
    ScopedTempDir m_dir;
    std::string m_path;
    std::u16string m_wide;
    CLxByteArray m_block;
};

} // namespace chunktest
