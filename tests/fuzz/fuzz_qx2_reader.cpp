// libFuzzer target for the QX2 readers: a memory block opened with the
// reader its version asks for (repaired in memory when the map cannot be
// read), then every getter with buffers sized from the attributes. Every
// call must give a status code; the block never changes.
//
// The first input byte chooses how the rest becomes the block: with its two
// low bits 0 the bytes are taken as they are; otherwise they are chunk
// records (u8 name length, name, u16 data length, data), which the chunk
// layer writes into a block of version "Ver1.0" (bit 2) or "Ver2.1",
// finished with its map (bit 0) or left unfinished for the repair. The
// records keep inputs small and let mutations work on chunk contents; the
// layout itself is the chunk file target's.
//
//   cmake --build build-fuzz --target fuzz_qx2_reader fuzz_qx2_reader_corpus
//   export ASAN_OPTIONS=max_malloc_fill_size=0:malloc_context_size=2:quarantine_size_mb=32
//   cd build-fuzz/tests/fuzz
//   ./fuzz_qx2_reader -entropic=0 -max_len=32768 corpora/fuzz_qx2_reader
// (ASan's fill of every new block and its default quarantine cost more than
// the reader itself on these inputs.)
#include <algorithm>
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "../mul_imageformat/gnr_imageformat_qx2/qx2_format_double.h"
#include "gnr_metaformats/LxExperiment.h"
#include "gnr_metaformats/LxExperimentRecord.h"
#include "gnr_metaformats/LxPictureMetadata.h"
#include "gnr_metaformats/LxValueRecords.h"
#include "gnr_system/LxByteArray.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/LxImageAttributes.h"
#include "mul_imageformat/LxImageUnknownData.h"
#include "mul_imageformat/LxInputImageFile.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxFileChunker.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxQX2InputOpener.h"
#include "qx2_fuzz_input.h"

namespace
{

// Frames larger than this are not read: the harness, not the reader,
// sizes the caller's buffer.
constexpr uint64_t kMaxFrame = 64u << 10;
constexpr uint32_t kMaxPreviewBits = 12;

void Check(bool condition)
{
    if (!condition)
        abort();
}

// Bits 3 and 4 of the first input byte add the two costly getters, the
// preview and the keeper of foreign chunks (a temporary file), so that the
// fuzzer keeps them covered without paying for them on every input; bits 5
// and 6 choose the frame whose records are read.
void ReadEverything(ILxInputImageFile* reader, uint8_t mode)
{
    SLxImageAttributes a{};
    const int attributes = reader->GetImageAttributes(a);
    uint32_t w = 0, h = 0, bits = 0, comps = 0;
    reader->GetImageInfo(w, h, bits, comps);
    const uint64_t sample = a.uiBpcInMemory > 8 ? 2 : 1;
    const uint64_t stride = (uint64_t(a.uiWidth) * a.uiComp * sample + 3) / 4 * 4;
    const uint64_t frameBytes = stride * a.uiHeight;
    if (attributes == 0 && frameBytes > 0 && frameBytes <= kMaxFrame) {
        // Frames come at the padded stride; a record that cannot describe
        // one (version 1.0 hands it out as stored) gives no frame.
        const bool padded = a.uiWidthBytes == stride;
        // A guard after the frame: the reader writes exactly one frame.
        std::vector<uint8_t> frame(size_t(frameBytes) + 16, 0xA5);
        for (uint32_t seq : {0u, 1u, 2u, a.uiSequenceCount, 10000000u})
            Check(reader->GetImageData(seq, frame.data(), 0, 0) != 0 || padded);
        reader->GetImageDataFirst(frame.data(), 0, 0);
        for (size_t i = 0; i < 16; ++i)
            Check(frame[size_t(frameBytes) + i] == 0xA5);
        std::vector<uint8_t> plane(size_t(a.uiWidth) * sample * a.uiHeight + 1);
        reader->GetImageDataComponent(0, a.uiComp - 1, plane.data(), uint32_t(a.uiWidth * sample),
                                      1);
        const uint64_t binaryBytes = (uint64_t(a.uiWidth) + 31) / 32 * 4 * a.uiHeight;
        if (binaryBytes <= kMaxFrame) {
            std::vector<uint8_t> binary(size_t(binaryBytes) + 1);
            reader->GetImageBinary(binary.data());
        }
        // The preview builds a colour table of 2^bits entries per channel:
        // deeper frames take the same path at many times the cost.
        const uint32_t bits = std::min<uint32_t>(a.uiBpcSignificant, a.uiBpcInMemory);
        uint32_t pw = 24, ph = 16;
        std::vector<uint8_t> preview(size_t((pw * 3 + 3) / 4 * 4) * ph);
        if ((mode & 8) && bits <= kMaxPreviewBits &&
            reader->GetPreviewImage(pw, ph, nullptr, true, 0, 0) == 0)
            reader->GetPreviewImage(pw, ph, preview.data(), true, 0, 0);
    }
    uint32_t fw = 100, fh = 100;
    reader->GetPreviewImage(fw, fh, nullptr, false, 0, 0);
    // Each of these parses a record of the frame: one frame per input, chosen
    // by bits 5 and 6, keeps the cost of an input near that of one parse.
    const uint32_t seqs[4] = {0u, 1u, 5u, a.uiSequenceCount};
    {
        const uint32_t seq = seqs[(mode >> 5) & 3];
        SLxPictureMetadata md;
        reader->GetImageMetadata(seq, md, 0);
        double cal = 0, aspect = 0;
        CLxStringW objective, objects;
        reader->GetCalibration(seq, cal, aspect, objective);
        reader->GetReportObjectsSeq(seq, objects);
        CLxByteArray bytes;
        reader->GetCustomDataSeq(u"name", seq, bytes);
        CLxVariant v;
        reader->GetCustomDataVarSeq(u"name", seq, v);
    }
    SLxExperiment experiment;
    reader->GetExperiment(experiment, 0);
    SLxExperimentRecord events;
    reader->GetEvents(events, 0);
    SLxExperimentRecord::Free(events);
    double t = 0;
    reader->GetAcqTime(t);
    CLxStringW objects;
    reader->GetReportObjects(objects);
    SLxImageTextInfo texts;
    reader->GetTextInfo(texts);
    CLxByteArray bytes;
    reader->GetCustomData(u"name", bytes);
    reader->GetCustomData(u"AcqTimesCache", bytes);
    CLxVariant v;
    reader->GetCustomDataVar(u"AcqTimeV1_0", v);
    ILxImageUnknownData* keeper = nullptr;
    if ((mode & 16) && reader->GetUnknownData(&keeper) == 0) {
        std::vector<uint8_t> piece(4096);
        for (uint32_t i = 0; i < keeper->GetChunkCount(); ++i) {
            uint32_t size = uint32_t(piece.size());
            Check(keeper->ReadChunkData(i, 0, piece.data(), &size) == 0);
        }
        keeper->Release();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    if (size < 1 || size > (8u << 20))
        return 0;
    CLxByteArray block;
    const uint8_t mode = data[0];
    qx2fuzz::MakeBlock(data, size, block);
    data = block.GetData();
    size = block.GetSize();
    const std::string before(reinterpret_cast<const char*>(data), size);
    static qx2test::FormatDouble format;
    ILxInputImageFile* reader = nullptr;
    const int rc = LX_OpenQX2InputMemory(&format, &block, &reader);
    Check((rc == 0) == (reader != nullptr));
    if (reader) {
        reader->AddRef();
        ReadEverything(reader, mode);
        reader->Release();
    }
    Check(block.GetSize() == before.size() &&
          (before.empty() || memcmp(block.GetData(), before.data(), before.size()) == 0));
    return 0;
}
