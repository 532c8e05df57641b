#include "gnr_picture/LxPicLibTables.h"

#include <cmath>

#include "w32_system/memory/LxAlloc.h"

double* g_pLxAcosTable = nullptr;
uint8_t g_LxBilinearWeights[256][256][4];

double LX_AcosTableEntry(uint32_t i)
{
    // The one expression of an entry: the table and the fallback without it
    // must agree bit for bit.
    return std::acos(double(i) * 0.0002 - 1.0);
}

double LX_TableAcos(double c)
{
    const double position = std::floor(5000.0 * (c + 1.0));
    // Tested in this form so that NaN lands on entry 0.
    const uint32_t i = position >= 0.0 ? position <= 10000.0 ? uint32_t(position) : 10000u : 0u;
    const double* table = g_pLxAcosTable;
    return table ? table[i] : LX_AcosTableEntry(i);
}

double* BuildAcosTable()
{
    auto* table = static_cast<double*>(
        CLxAlloc::Alloc(LX_HEAP_ZERO_MEMORY, kLxAcosTableEntries * sizeof(double)));
    if (!table)
        return nullptr;
    for (uint32_t i = 0; i < kLxAcosTableEntries; ++i)
        table[i] = LX_AcosTableEntry(i);
    return table;
}

void BuildBilinearWeightTable()
{
    for (uint32_t a = 0; a < 256; ++a) {
        for (uint32_t b = 0; b < 256; ++b) {
            const uint32_t w0 = (255 - a) * (255 - b) / 255;
            const uint32_t w1 = a * (255 - b) / 255;
            const uint32_t w2 = (255 - a) * b / 255;
            uint8_t* entry = g_LxBilinearWeights[a][b];
            entry[0] = uint8_t(w0);
            entry[1] = uint8_t(w1);
            entry[2] = uint8_t(w2);
            entry[3] = uint8_t(255 - w0 - w1 - w2);
        }
    }
}

bool LX_GnrPictureAttach()
{
    if (!g_pLxAcosTable)
        g_pLxAcosTable = BuildAcosTable();
    BuildBilinearWeightTable();
    return true;
}

void LX_GnrPictureDetach()
{
    double* table = g_pLxAcosTable;
    g_pLxAcosTable = nullptr;
    CLxAlloc::Free(table);
}
