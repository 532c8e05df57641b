// Object areas of run-length object pictures as a caller may hand them in:
// every walk, trace, hit test, edit and conversion must stay inside the
// declared bytes whatever the headers say.
//
// Input: u16 width, u16 height (both taken modulo 512, plus 1), u32 object
// count, u32 last-object offset, then the object area.
#include <cstring>
#include <vector>

#include "fuzz_support.h"
#include "gnr_picture/BinPicBufAPI/LxBinPicBufAPI.h"
#include "gnr_picture/PicBufAPI/LxPicBufAPI.h"
#include "gnr_picture/RLEPicBufAPI/LxRLEPicBufAPI.h"
#include "../gnr_picture/RLEPicBufAPI/rle_test_support.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

// Pixels of the objects in 64 bits, over the objects GetNextRLEObject
// reaches (on to the last-object offset, past the object count) and the
// segments within each object's size.
uint64_t Pixels(const SLxRLEPicBuf* rec)
{
    uint64_t pixels = 0;
    for (const SLxRLEObject* o = CLxRLEPicBufAPI::GetNextRLEObject(rec, nullptr); o;
         o = CLxRLEPicBufAPI::GetNextRLEObject(rec, o)) {
        const uint8_t* p = reinterpret_cast<const uint8_t*>(o);
        uint64_t at = 49, size = Word(p, 20);
        for (uint32_t s = Word(p, 24); s > 0 && at + 8 <= size; --s) {
            uint64_t count = Word(p, at + 4);
            if (at + 8 + 8 * count > size)
                break;
            for (uint64_t i = 0; i < count; ++i)
                pixels += Word(p, at + 12 + 8 * i);
            at += 8 + 8 * count;
        }
    }
    return pixels;
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzz_support::QuietDiagnostics();
    if (size < 12 || size > (1u << 20))
        return 0;
    const uint32_t width = 1 + (uint32_t(data[0] | data[1] << 8) % 512);
    const uint32_t height = 1 + (uint32_t(data[2] | data[3] << 8) % 512);
    SLxRLEPicBuf rec;
    CLxRLEPicBufAPI::Init(&rec, 0, true);
    rec.uiWidth = width;
    rec.uiHeight = height;
    rec.uiObjectCount = Word(data, 4);
    rec.uiLastObjectOffset = Word(data, 8);
    rec.uiObjectSize = uint32_t(size - 12);
    if (rec.uiObjectSize) {
        rec.pObjects = static_cast<uint8_t*>(CLxAlloc::Alloc(0, rec.uiObjectSize));
        std::memcpy(rec.pObjects, data + 12, rec.uiObjectSize);
    }

    // Traces walk pixel by pixel: only objects of sane size are traced.
    const bool traceable = Pixels(&rec) < 200000;
    uint32_t counters[4];
    for (const SLxRLEObject* o = CLxRLEPicBufAPI::GetNextRLEObject(&rec, nullptr); o;
         o = CLxRLEPicBufAPI::GetNextRLEObject(&rec, o)) {
        CLxRLEPicBufAPI::GetCustomDataPtr(o);
        CLxRLEPicBufAPI::Projections(o, counters, width);
        CLxRLEPicBufAPI::OuterProjections(o, counters, width);
        if (traceable) {
            uint64_t area = 0;
            CLxAlloc::Free(CLxRLEPicBufAPI::ContourPoints(o, area));
        }
    }
    CLxRLEPicBufAPI::GetPictureVisibleArea(&rec);
    CLxRLEPicBufAPI::FindObjectByObjectID(&rec, 1);
    CLxRLEPicBufAPI::FindObjectByIndex(&rec, 2);
    for (uint32_t k = 0; k < 4; ++k) {
        uint32_t x = (width * k) / 4, y = (height * (3 - k)) / 4;
        CLxRLEPicBufAPI::HitTest(&rec, x, y, nullptr, nullptr);
        CLxRLEPicBufAPI::HitTestVisible(&rec, x, y, nullptr, nullptr);
        if (traceable)
            CLxRLEPicBufAPI::HitTestVisibleEx(&rec, x, y, nullptr, nullptr, 1.0);
    }

    SLxRLEPicBuf copy, plain, cut;
    CLxRLEPicBufAPI::Init(&copy, 0, true);
    CLxRLEPicBufAPI::Init(&plain, 0, false);
    CLxRLEPicBufAPI::Init(&cut, 4, true);
    if (CLxRLEPicBufAPI::Copy(&copy, &rec) == 0) {
        CLxRLEPicBufAPI::IsEqual(&copy, &rec);
        CLxRLEPicBufAPI::AddObject(&copy, CLxRLEPicBufAPI::FindObjectByIndex(&rec, 0), nullptr);
        const uint32_t positions[] = {0, 1};
        CLxRLEPicBufAPI::DeleteObject(&copy, positions, 2);
        CLxRLEPicBufAPI::DeleteObjectsWithStatus(&copy, 0);
        CLxRLEPicBufAPI::DeleteObjectWithID(&copy, 2);
        CLxRLEPicBufAPI::AppendObjectsKeepID(&copy, &rec);
    }
    if (CLxRLEPicBufAPI::ConvertRLEToNonPaintedRLE(&plain, &rec) == 0)
        CLxRLEPicBufAPI::ConvertRLEToPaintedRLE(&plain);
    CLxRLEPicBufAPI::CutRectangle(&cut, &rec, width / 4, height / 4, width / 2, height / 2);

    SLxPicBuf pic;
    CLxPicBufAPI::Init(&pic);
    if (CLxPicBufAPI::Reinit(&pic, width, height, 0, 16, 1, true) == 0)
        CLxRLEPicBufAPI::ConvertRLEToPicBuf(&pic, &rec);
    CLxPicBufAPI::Free(&pic);
    SLxBinPicBuf bin;
    CLxBinPicBufAPI::Init(&bin);
    if (CLxBinPicBufAPI::Reinit(&bin, width, height, 0, true) == 0)
        CLxRLEPicBufAPI::ConvertRLEToBinPicBuf(&bin, &rec);
    CLxBinPicBufAPI::Free(&bin);

    for (SLxRLEPicBuf* r : {&rec, &copy, &plain, &cut})
        CLxRLEPicBufAPI::Free(r);
    return 0;
}
