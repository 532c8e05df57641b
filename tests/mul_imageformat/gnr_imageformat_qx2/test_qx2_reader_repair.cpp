// Documents whose writer stopped before the map: the reader repairs them on
// open (in place, or in memory when it may not write) and reads every frame
// that was complete.
#include <gtest/gtest.h>

#include <poll.h>
#include <sys/file.h>
#include <sys/wait.h>

#include <csignal>
#include <random>
#include <thread>

#include "mul_imageformat/gnr_imageformat_qx2/LxQX2XmlChunk.h"
#include "qx2_document_writer.h"
#include "qx2_reader_support.h"

using namespace chunktest;
using namespace qx2test;

namespace
{

const SDocSpec kSpec{"Ver2.1", 101, 9, 1, 8, true, 0};

SLxImageAttributes StoredAttributes(const std::string& path)
{
    CLxFileChunker chunker;
    CLxStringA version;
    SLxImageAttributes a{};
    EXPECT_EQ(0, chunker.Open(U16(path.c_str()).c_str(), true, false, version));
    CLxByteArray data;
    EXPECT_EQ(0, chunker.GetChunk("ImageAttributes!", data));
    CLxVariant v;
    CLxQX2Serializer serializer;
    EXPECT_EQ(0, serializer.Load(data, v));
    LX_QX2AttributesFromVariant(v, a);
    return a;
}

// The time cache of the file, or "<rc>".
std::string StoredTimes(const std::string& path)
{
    CLxFileChunker chunker;
    CLxStringA version;
    EXPECT_EQ(0, chunker.Open(U16(path.c_str()).c_str(), true, false, version));
    CLxByteArray data;
    const int rc = chunker.GetChunk("CustomData|AcqTimesCache!", data);
    return rc == 0 ? Bytes(data) : "<" + std::to_string(rc) + ">";
}

void ExpectFrame(ILxInputImageFile* reader, const SDocSpec& s, uint32_t f)
{
    std::string frame(size_t(s.Stride()) * s.height, '\0');
    ASSERT_EQ(0, reader->GetImageData(f, &frame[0], 0, 0)) << "frame " << f;
    EXPECT_EQ(ExpectedFrame(s, f), frame) << "frame " << f;
}

// Frames in that order, each with the time 10 x (f + 1), no map.
void WriteUnfinished(ChunkStore& store, const SDocSpec& s, std::initializer_list<uint32_t> frames)
{
    DocumentWriter w(store, s);
    ASSERT_EQ(0, w.Opened());
    ASSERT_EQ(0, w.Attributes(0)); // as a writer leaves them at its first frame
    for (uint32_t f : frames)
        ASSERT_EQ(0, w.Frame(f, 10.0 * (f + 1)));
}

TEST(ReaderRepair, UnfinishedFileGetsMapAttributesAndTimeCache)
{
    ChunkStore store(eOnFile);
    WriteUnfinished(store, kSpec, {0, 1, 2, 3, 4});
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(5u, a.uiSequenceCount);
    for (uint32_t f = 0; f < 5; ++f)
        ExpectFrame(reader.p, kSpec, f);
    reader.Reset();

    EXPECT_EQ(5u, StoredAttributes(store.Path()).uiSequenceCount);
    std::string times;
    for (uint32_t f = 0; f < 5; ++f)
        times += Double(10.0 * (f + 1));
    EXPECT_EQ(times, StoredTimes(store.Path()));
    ExpectIndependentCheckPasses(store.Path(), true);

    // Opened again: nothing to repair, not one byte changes.
    const size_t hash = FileHash(store.Path());
    ASSERT_EQ(0, OpenReader(store, format, reader));
    ExpectFrame(reader.p, kSpec, 4);
    reader.Reset();
    EXPECT_EQ(hash, FileHash(store.Path()));
}

TEST(ReaderRepair, GapDropsTheTimeCache)
{
    ChunkStore store(eOnFile);
    WriteUnfinished(store, kSpec, {0, 1, 3});
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(4u, a.uiSequenceCount);
    std::string frame(size_t(kSpec.Stride()) * kSpec.height, '\0');
    EXPECT_EQ(-13, reader->GetImageData(2, &frame[0], 0, 0));
    ExpectFrame(reader.p, kSpec, 3);
    reader.Reset();
    EXPECT_EQ("<-13>", StoredTimes(store.Path()));
}

TEST(ReaderRepair, OutOfOrderFramesKeepTheirTimesByIndex)
{
    ChunkStore store(eOnFile);
    // Frame 1 rewritten after frame 2: it overwrites its own entry.
    WriteUnfinished(store, kSpec, {0, 1, 2, 1});
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    reader.Reset();
    EXPECT_EQ(Double(10) + Double(20) + Double(30), StoredTimes(store.Path()));
}

TEST(ReaderRepair, VersionOneGetsNoTimeCache)
{
    ChunkStore store(eOnFile);
    const SDocSpec s{"Ver1.0", 5, 4, 3, 8, false, 0};
    WriteUnfinished(store, s, {0, 1, 2});
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    for (uint32_t f = 0; f < 3; ++f)
        ExpectFrame(reader.p, s, f);
    reader.Reset();
    EXPECT_EQ(3u, StoredAttributes(store.Path()).uiSequenceCount);
    EXPECT_EQ("<-13>", StoredTimes(store.Path()));
}

// A writer that stopped before its first frame finished left its attributes
// and no frame: a document of no frames, repaired in place or in memory.
TEST(ReaderRepair, NoFinishedFrameCountsNoFrames)
{
    const struct {
        const char* version;
        ETarget target;
    } cases[] = {
        {"Ver2.1", eOnFile}, {"Ver2.1", eInMemory}, {"Ver1.0", eOnFile}, {"Ver1.0", eInMemory}};
    for (const auto& c : cases) {
        SCOPED_TRACE(std::string(c.version) + ", " + TargetName(c.target));
        const SDocSpec s{c.version, 5, 4, 1, 8, true, 0};
        ChunkStore store(c.target);
        WriteUnfinished(store, s, {});
        FormatDouble format;
        ReaderRef reader;
        CLxByteArray block;
        ASSERT_EQ(0, OpenReader(store, format, reader, &block));
        SLxImageAttributes a{};
        EXPECT_EQ(0, reader->GetImageAttributes(a));
        EXPECT_EQ(0u, a.uiSequenceCount);
        std::string frame(size_t(s.Stride()) * s.height, '\0');
        EXPECT_NE(0, reader->GetImageData(0, &frame[0], 0, 0));
        reader.Reset();
        if (c.target == eOnFile)
            EXPECT_EQ(0u, StoredAttributes(store.Path()).uiSequenceCount);
    }
}

TEST(ReaderRepair, LastAttributesChunkWinsAsInTheMap)
{
    ChunkStore store(eOnFile);
    {
        DocumentWriter w(store, kSpec);
        CLxVariant first(CLxListVariant(), CLxStringW(u"a"));
        first.Append(CLxVariant(77u, CLxStringW(u"uiTileWidth")));
        first.Append(CLxVariant(3u, CLxStringW(u"uiWidth")));
        ASSERT_EQ(0, w.Chunk("ImageAttributes!", Xml(first)));
        ASSERT_EQ(0, w.Attributes(0));
        ASSERT_EQ(0, w.Frame(0));
    }
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    reader.Reset();
    const SLxImageAttributes a = StoredAttributes(store.Path());
    EXPECT_EQ(kSpec.width, a.uiWidth);
    EXPECT_EQ(kSpec.width, a.uiTileWidth) << "a key of the earlier chunk leaked through";
}

TEST(ReaderRepair, FileWithoutAttributesGetsAnIncompleteRecord)
{
    ChunkStore store(eOnFile);
    {
        DocumentWriter w(store, kSpec);
        ASSERT_EQ(0, w.Frame(0));
        ASSERT_EQ(0, w.Frame(1));
    }
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    SLxImageAttributes a{};
    EXPECT_EQ(-9, reader->GetImageAttributes(a));
    EXPECT_EQ(2u, a.uiSequenceCount);
}

enum EAccess { eReadOnly, eLockedByOther, eMemoryBlock };

class ReaderRepairWithoutWriting : public ::testing::TestWithParam<EAccess>
{
};

TEST_P(ReaderRepairWithoutWriting, RepairsInMemoryAndLeavesTheBytes)
{
    ChunkStore store(GetParam() == eMemoryBlock ? eInMemory : eOnFile);
    WriteUnfinished(store, kSpec, {0, 1, 2});
    int holder = -1;
    if (GetParam() == eReadOnly)
        ASSERT_EQ(0, chmod(store.Path().c_str(), 0444));
    if (GetParam() == eLockedByOther) {
        holder = open(store.Path().c_str(), O_RDWR | O_CLOEXEC);
        ASSERT_GE(holder, 0);
        ASSERT_EQ(0, flock(holder, LOCK_EX | LOCK_NB));
    }
    const std::string before = store.Contents();
    FormatDouble format;
    ReaderRef reader;
    CLxByteArray block;
    ASSERT_EQ(0, OpenReader(store, format, reader, &block));
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(3u, a.uiSequenceCount);
    for (uint32_t f = 0; f < 3; ++f)
        ExpectFrame(reader.p, kSpec, f);
    CLxByteArray times;
    ASSERT_EQ(0, reader->GetCustomData(u"AcqTimesCache", times));
    EXPECT_EQ(Double(10) + Double(20) + Double(30), Bytes(times));
    reader.Reset();
    EXPECT_EQ(before, GetParam() == eMemoryBlock ? Bytes(block) : store.Contents());
    if (holder >= 0)
        close(holder);
}

INSTANTIATE_TEST_SUITE_P(Access, ReaderRepairWithoutWriting,
                         ::testing::Values(eReadOnly, eLockedByOther, eMemoryBlock));

TEST(ReaderRepair, BadSignatureIsRefusedUnrepaired)
{
    ChunkStore store(eOnFile);
    WriteUnfinished(store, kSpec, {0});
    std::string bytes = store.Contents();
    bytes[20] = 'X'; // inside the signature's name
    store.SetContents(bytes);
    FormatDouble format;
    ReaderRef reader;
    EXPECT_EQ(-9, OpenReader(store, format, reader));
    EXPECT_EQ(nullptr, reader.p);
    EXPECT_EQ(bytes, store.Contents());
}

// ---- One finished document cut the ways a crash cuts it.

struct SChunkPlace {
    uint64_t offset;
    std::string name;
    uint64_t end; // of its data
};

std::vector<SChunkPlace> Places(const std::string& bytes)
{
    std::vector<SChunkPlace> places;
    for (uint64_t at = 0; at + 16 <= bytes.size();) {
        const uint32_t n = uint32_t(GetLE32(bytes, at + 4));
        const uint64_t d = GetLE64(bytes, at + 8);
        places.push_back({at, bytes.substr(at + 16, n), at + 16 + n + d});
        at = (at + 16 + n + d + 4095) / 4096 * 4096;
    }
    return places;
}

struct SDocument {
    std::string bytes;
    std::vector<SChunkPlace> places;
};

const SDocument& Finished()
{
    static const SDocument doc = [] {
        SDocument made;
        ChunkStore store(eOnFile);
        DocumentWriter w(store, kSpec);
        EXPECT_EQ(0, w.Attributes(0));
        std::vector<double> times;
        for (uint32_t f = 0; f < 6; ++f) {
            EXPECT_EQ(0, w.Frame(f, 10.0 * (f + 1)));
            times.push_back(10.0 * (f + 1));
        }
        EXPECT_EQ(0, w.Attributes(6));
        EXPECT_EQ(0, w.TimeCache(times));
        EXPECT_EQ(0, w.Finish());
        made.bytes = store.Contents();
        made.places = Places(made.bytes);
        return made;
    }();
    return doc;
}

uint64_t FrameOffset(const SDocument& doc, uint32_t f)
{
    for (const SChunkPlace& p : doc.places)
        if (p.name == "ImageDataSeq|" + std::to_string(f) + "!")
            return p.offset;
    return 0;
}

struct CutCase {
    const char* name;
    std::string (*cut)(const SDocument&);
    std::vector<uint32_t> frames; // complete frames
    uint32_t count;
};

const CutCase kCuts[] = {
    {"AfterFrame3",
     [](const SDocument& d) { return d.bytes.substr(0, FrameOffset(d, 4)); },
     {0, 1, 2, 3},
     4},
    {"InFrame4Header",
     [](const SDocument& d) { return d.bytes.substr(0, FrameOffset(d, 4) + 9); },
     {0, 1, 2, 3},
     4},
    {"InFrame4Name",
     [](const SDocument& d) { return d.bytes.substr(0, FrameOffset(d, 4) + 20); },
     {0, 1, 2, 3},
     4},
    {"InFrame4Data",
     [](const SDocument& d) { return d.bytes.substr(0, FrameOffset(d, 4) + 60); },
     {0, 1, 2, 3},
     4},
    {"InFrame4Padding",
     [](const SDocument& d) { return d.bytes.substr(0, FrameOffset(d, 4) + 4000); },
     {0, 1, 2, 3, 4},
     5},
    {"InMap",
     [](const SDocument& d) { return d.bytes.substr(0, d.places.back().offset + 100); },
     {0, 1, 2, 3, 4, 5},
     6},
    {"InEndRecord",
     [](const SDocument& d) { return d.bytes.substr(0, d.bytes.size() - 20); },
     {0, 1, 2, 3, 4, 5},
     6},
    {"MapRemoved",
     [](const SDocument& d) { return d.bytes.substr(0, d.places.back().offset); },
     {0, 1, 2, 3, 4, 5},
     6},
    {"Frame2Removed",
     [](const SDocument& d) {
         const uint64_t from = FrameOffset(d, 2), to = FrameOffset(d, 3);
         return d.bytes.substr(0, from) + d.bytes.substr(to, d.places.back().offset - to);
     },
     {0, 1, 3, 4, 5},
     6},
};

class ReaderCrashImage : public ::testing::TestWithParam<CutCase>
{
};

TEST_P(ReaderCrashImage, ReopensWithEveryCompleteFrame)
{
    const CutCase& c = GetParam();
    ChunkStore store(eOnFile);
    store.SetContents(c.cut(Finished()));
    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_EQ(c.count, a.uiSequenceCount);
    for (uint32_t f : c.frames)
        ExpectFrame(reader.p, kSpec, f);
    reader.Reset();
    ExpectIndependentCheckPasses(store.Path(), true);
    // The writer's own time cache survives the removed frame, so only the
    // other cuts are held to the repaired document's rules.
    if (HaveIndependentCheck() && std::string(c.name) != "Frame2Removed")
        EXPECT_EQ(0, RunIndependentCheck("check-repaired '" + store.Path() + "'"));
    const size_t hash = FileHash(store.Path());
    ASSERT_EQ(0, OpenReader(store, format, reader));
    for (uint32_t f : c.frames)
        ExpectFrame(reader.p, kSpec, f);
    reader.Reset();
    EXPECT_EQ(hash, FileHash(store.Path()));
}

INSTANTIATE_TEST_SUITE_P(Cuts, ReaderCrashImage, ::testing::ValuesIn(kCuts),
                         [](const auto& info) { return std::string(info.param.name); });

// ---- A writer killed at a random moment.

[[noreturn]] void WriteFramesUntilKilled(ChunkStore& store, const SDocSpec& s, int report)
{
    DocumentWriter w(store, s);
    if (w.Opened() != 0 || w.Chunker().EnsureFileSize(40960000) != 0 || w.Attributes(0) != 0)
        _exit(3);
    for (uint32_t f = 0; f < 100000; ++f) {
        if (w.Frame(f, f) != 0)
            _exit(4);
        if (write(report, &f, sizeof f) != sizeof f)
            _exit(5);
    }
    _exit(6);
}

class ReaderKilledWriter : public ::testing::TestWithParam<uint32_t>
{
};

TEST_P(ReaderKilledWriter, EveryReportedFrameReadsBack)
{
    const uint32_t seed = GetParam();
    const SDocSpec s{"Ver2.1", 64 + seed, 32, 1, 16, seed % 2 == 0, 0};
    ChunkStore store(eOnFile);
    int fds[2];
    ASSERT_EQ(0, pipe(fds));
    const pid_t child = fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        close(fds[0]);
        WriteFramesUntilKilled(store, s, fds[1]);
    }
    close(fds[1]);
    struct pollfd ready = {fds[0], POLLIN, 0};
    ASSERT_EQ(1, poll(&ready, 1, 30000));
    std::mt19937 rng(seed);
    std::this_thread::sleep_for(std::chrono::microseconds(rng() % 30000));
    ASSERT_EQ(0, kill(child, SIGKILL));
    int status = 0;
    ASSERT_EQ(child, waitpid(child, &status, 0));
    ASSERT_TRUE(WIFSIGNALED(status)) << WEXITSTATUS(status);
    uint32_t f = 0, reported = 0;
    while (read(fds[0], &f, sizeof f) == sizeof f)
        reported = f + 1;
    close(fds[0]);

    FormatDouble format;
    ReaderRef reader;
    ASSERT_EQ(0, OpenReader(store, format, reader));
    SLxImageAttributes a{};
    ASSERT_EQ(0, reader->GetImageAttributes(a));
    EXPECT_GE(a.uiSequenceCount, reported);
    for (uint32_t i = 0; i < reported; ++i)
        ExpectFrame(reader.p, s, i);
}

INSTANTIATE_TEST_SUITE_P(Seeds, ReaderKilledWriter, ::testing::Values(1u, 2u, 3u, 4u));

} // namespace
