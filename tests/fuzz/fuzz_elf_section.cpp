// libFuzzer target for the ELF section finder: any bytes give a section
// that lies inside them, or a refusal.
#include <cstdlib>
#include <cstring>

#include "fuzz_support.h"
#include "w32_system/dynlib/LxElfSection.h"

namespace
{

class CMemorySource : public CLxByteSource
{
  public:
    CMemorySource(const uint8_t* data, size_t size) : CLxByteSource(size), m_data(data) {}

  protected:
    bool ReadInside(uint64_t offset, void* dst, size_t length) const override
    {
        memcpy(dst, m_data + offset, length);
        return true;
    }

  private:
    const uint8_t* m_data;
};

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    CMemorySource source(data, size);
    for (const char* name : {"sta9IDX", "sta9ID", ".text", ""}) {
        SLxElfSpan span{};
        if (LX_FindElfSection(source, name, &span) == 0 && !source.Contains(span.offset, span.size))
            abort();
    }
    return 0;
}
