// Documents opened, read, written and released on several threads at once.
// Every reader and writer of a format shares that format's one object and
// counts references on it; a lost update frees it under the others (ASan:
// use after free) or leaves its count changed after the threads end.
#include <gtest/gtest.h>

#include <atomic>
#include <functional>
#include <string>
#include <thread>
#include <vector>

#include "output_test_support.h"

using namespace lxtest_vu2ziz;

namespace
{

constexpr int kThreads = 4;
// Each open also asks for the format this many times, the way a caller
// that checks a document's format does, to widen the window of a race.
constexpr int kFormatQueries = 50;

// The format object's class part and its count, asked through a reader.
struct SFormatCount {
    CLxClass* format = nullptr;
    uint32_t count = 0;
};

template <class File> SFormatCount FormatCountOf(File* file)
{
    SFormatCount out;
    ILxImageFormat* format = file->GetImageFormat();
    if (!format)
        return out;
    out.format = format->GetClass();
    out.count = out.format->Release();
    return out;
}

template <class File> bool QueryFormat(File* file)
{
    for (int i = 0; i < kFormatQueries; ++i) {
        ILxImageFormat* format = file->GetImageFormat();
        if (!format)
            return false;
        format->GetClass()->Release();
    }
    return true;
}

ILxInputImageFile* FormatReader(const std::string& name, bool jp2)
{
    const std::u16string path = U16(DocumentPath(name).c_str());
    return jp2 ? LX_CreateJp2InputFile(path.c_str()) : LX_CreateQx2InputFile(path.c_str());
}

// Frame 0 through the format reader, rows at the reader's stride.
std::vector<uint8_t> ReadWithFormatReader(const std::string& name, bool jp2)
{
    ILxInputImageFile* file = FormatReader(name, jp2);
    if (!file)
        return {};
    file->AddRef();
    std::vector<uint8_t> frame;
    SLxImageAttributes a{};
    if (QueryFormat(file) && file->GetImageAttributes(a) == 0) {
        frame.assign(size_t(a.uiWidthBytes) * a.uiHeight, 0);
        if (file->GetImageData(0, frame.data(), 0, 0) != 0)
            frame.clear();
    }
    file->Release();
    return frame;
}

// The document's last image through CreateJp2InputFile.
std::vector<uint8_t> ReadWithDocument(const std::string& name)
{
    Document doc(DocumentPath(name));
    if (!doc)
        return {};
    const uint32_t seq = doc->GetImageCount() - 1;
    uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
    if (!doc->GetImageInfo(seq, &w, &wb, &h, &comps, &bits))
        return {};
    std::vector<uint8_t> image(size_t(wb) * h);
    if (!doc->GetImage(seq, image.data()))
        return {};
    return image;
}

// One frame of the fixture's shape written by a format writer to path,
// then read back; true when it comes back as written.
bool WriteWithFormatWriter(const std::u16string& path, bool jp2)
{
    ILxOutputImageFile* writer =
        jp2 ? LX_CreateJp2OutputFile(path.c_str()) : LX_CreateQx2OutputFile(path.c_str(), false);
    if (!writer)
        return false;
    writer->AddRef();
    SLxImageAttributes a{};
    a.uiWidth = 5;
    a.uiHeight = 4;
    a.uiComp = 3;
    a.uiBpcInMemory = a.uiBpcSignificant = 8;
    a.uiWidthBytes = 16;
    a.eCompression = LX_COMPRESSION_LOSSLESS;
    std::vector<uint8_t> frame(size_t(a.uiWidthBytes) * a.uiHeight);
    for (size_t i = 0; i < frame.size(); ++i)
        frame[i] = i % 16 < 15 ? uint8_t(i * 7) : 0;
    const bool written = QueryFormat(writer) && writer->SetImageAttributes(a) == 0 &&
                         writer->SetImageData(0, frame.data(), nullptr, nullptr) == 0 &&
                         writer->Close() == 0;
    writer->Release();
    if (!written)
        return false;
    ILxInputImageFile* reader =
        jp2 ? LX_CreateJp2InputFile(path.c_str()) : LX_CreateQx2InputFile(path.c_str());
    if (!reader)
        return false;
    reader->AddRef();
    std::vector<uint8_t> back(frame.size(), 0);
    const bool same = reader->GetImageData(0, back.data(), 0, 0) == 0 && back == frame;
    reader->Release();
    return same;
}

// A copy of the fixture through CreateJp2OutputFile, its last image read
// back. The writer keeps JPEG 2000 only over a JPEG 2000 file, so the path
// first holds the fixture itself.
bool CopyWithDocumentWriter(const std::string& name, const std::string& path)
{
    CopyFile(DocumentPath(name), path);
    Document source(DocumentPath(name));
    if (!source)
        return false;
    IJp2OutputFile* output = CreateJp2OutputFile(U16(path.c_str()).c_str(), source.p);
    if (!output)
        return false;
    const bool copied = CopyImages(source.p, output);
    output->Release();
    if (!copied)
        return false;
    Document copy(path);
    if (!copy || copy->GetImageCount() != source->GetImageCount())
        return false;
    const uint32_t seq = source->GetImageCount() - 1;
    uint32_t w = 0, wb = 0, h = 0, comps = 0, bits = 0;
    if (!source->GetImageInfo(seq, &w, &wb, &h, &comps, &bits))
        return false;
    std::vector<uint8_t> a(size_t(wb) * h), b(size_t(wb) * h, 0xEE);
    return source->GetImage(seq, a.data()) && copy->GetImage(seq, b.data()) && a == b;
}

enum EWork { eFormatReader, eDocumentReader, eFormatWriter, eDocumentWriter };

struct SConcurrentCase {
    const char* label;
    EWork work;
    const char* fixture; // read, or copied (eDocumentWriter)
    bool jp2;            // the format of the file
    int rounds;          // per thread
};

const SConcurrentCase kConcurrentCases[] = {
    {"qx2 format readers", eFormatReader, "rgb5.qx2", false, 200},
    {"jp2 format readers", eFormatReader, "rgb5.jp2", true, 200},
    {"qx2 documents", eDocumentReader, "rgb5.qx2", false, 25},
    {"jp2 documents", eDocumentReader, "rgb5.jp2", true, 25},
    {"qx2 format writers", eFormatWriter, nullptr, false, 20},
    {"jp2 format writers", eFormatWriter, nullptr, true, 20},
    {"qx2 document writers", eDocumentWriter, "rgb5.qx2", false, 8},
    {"jp2 document writers", eDocumentWriter, "rgb5.jp2", true, 8},
};

// The format object the case's readers or writers share, and its count.
SFormatCount SharedFormat(const SConcurrentCase& c, const ScopedTempDir& dir)
{
    if (c.work == eFormatWriter || c.work == eDocumentWriter) {
        const std::u16string path = dir.u16(c.jp2 ? "probe.jp2" : "probe.qx2");
        ILxOutputImageFile* writer = c.jp2 ? LX_CreateJp2OutputFile(path.c_str())
                                           : LX_CreateQx2OutputFile(path.c_str(), false);
        if (!writer)
            return {};
        writer->AddRef();
        const SFormatCount out = FormatCountOf(writer);
        writer->Abort();
        writer->Release();
        return out;
    }
    ILxInputImageFile* reader = FormatReader(c.fixture, c.jp2);
    if (!reader)
        return {};
    reader->AddRef();
    const SFormatCount out = FormatCountOf(reader);
    reader->Release();
    return out;
}

TEST(ConcurrentDocuments, OpenReadWriteReleaseOnSeveralThreads)
{
    for (const SConcurrentCase& c : kConcurrentCases) {
        SCOPED_TRACE(c.label);
        ScopedTempDir dir;
        const SFormatCount before = SharedFormat(c, dir);
        ASSERT_NE(nullptr, before.format);
        std::vector<uint8_t> expected;
        if (c.work == eFormatReader)
            expected = ReadWithFormatReader(c.fixture, c.jp2);
        else if (c.work == eDocumentReader)
            expected = ReadWithDocument(c.fixture);
        if (c.work == eFormatReader || c.work == eDocumentReader) {
            ASSERT_FALSE(expected.empty());
        }

        std::atomic<int> failures{0};
        std::vector<std::thread> threads;
        for (int t = 0; t < kThreads; ++t)
            threads.emplace_back([&, t] {
                for (int round = 0; round < c.rounds; ++round) {
                    const std::string name = std::to_string(t) + (c.jp2 ? ".jp2" : ".qx2");
                    bool ok = false;
                    switch (c.work) {
                    case eFormatReader:
                        ok = ReadWithFormatReader(c.fixture, c.jp2) == expected;
                        break;
                    case eDocumentReader:
                        ok = ReadWithDocument(c.fixture) == expected;
                        break;
                    case eFormatWriter:
                        ok = WriteWithFormatWriter(dir.u16(name.c_str()), c.jp2);
                        break;
                    case eDocumentWriter:
                        ok = CopyWithDocumentWriter(c.fixture, (dir.path() / name).string());
                        break;
                    }
                    if (!ok)
                        ++failures;
                }
            });
        for (std::thread& thread : threads)
            thread.join();
        EXPECT_EQ(0, failures.load());
        const SFormatCount after = SharedFormat(c, dir);
        EXPECT_EQ(before.format, after.format);
        EXPECT_EQ(before.count, after.count);
    }
}

} // namespace
