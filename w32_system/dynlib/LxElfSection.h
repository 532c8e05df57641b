// Locating a named section in an ELF file without loading it.
#pragma once

#include <cstddef>
#include <cstdint>

// Bytes at offsets within a source of known size: a file, or memory in tests.
// Read refuses every range that does not lie wholly inside Size(), so a
// reader of file layouts can pass offsets and lengths straight from the file.
class CLxByteSource
{
public:
    explicit CLxByteSource(uint64_t size) : m_size(size) {}
    virtual ~CLxByteSource() = default;

    uint64_t Size() const { return m_size; }
    // True when [offset, offset + length) lies inside the source.
    bool Contains(uint64_t offset, uint64_t length) const
    {
        return offset <= m_size && length <= m_size - offset;
    }
    // Exactly length bytes at offset into dst; false when they are not all there.
    bool Read(uint64_t offset, void* dst, size_t length) const
    {
        return Contains(offset, length) && (length == 0 || ReadInside(offset, dst, length));
    }

protected:
    // Called only for a non-empty range inside Size().
    virtual bool ReadInside(uint64_t offset, void* dst, size_t length) const = 0;

private:
    uint64_t m_size;
};

// Where a section's data lies in the file.
struct SLxElfSpan {
    uint64_t offset;
    uint64_t size;
};

// Finds the first section whose name equals name (ASCII letters compared
// without regard to case) in a little-endian ELF file of either class.
// 0: *span is set and lies inside the source. -9: not such an ELF file, a
// damaged header or table, no section of that name, or the section has no
// file data (SHT_NOBITS).
int LX_FindElfSection(const CLxByteSource& source, const char* name, SLxElfSpan* span);
