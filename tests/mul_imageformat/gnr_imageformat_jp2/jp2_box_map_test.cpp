// The box map, the box streams and the in-place edits of a document.
#include "jp2_test_support.h"

#include <cstring>

#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"

using namespace jp2test;

namespace
{

struct Jp2Document : testing::Test {
    ScopedTempDir dir;
    std::u16string path = dir.u16("doc.jp2");
    SLxJP2PositionsInfo* map = LX_NewJp2PositionsInfo();

    ~Jp2Document() override { LX_FreeJp2PositionsInfo(map); }

    // Three codestreams written by the target, the standard boxes listed.
    void WriteCodestreams()
    {
        jp2_file_target target;
        target.open(path.c_str(), map);
        target.set_write_through(true);
        target.access_dimensions()->init(4, 5, 1, false);
        target.access_dimensions()->set_precision(0, 8, false);
        target.access_colour()->init(eJp2sLUM);
        target.access_resolution()->init(1.0f);
        target.access_resolution()->set_resolution(1000, false);
        for (uint8_t k = 0; k < 3; ++k) {
            if (k)
                target.next_codestream();
            const Bytes cs = Codestream(k);
            target.write(cs.data(), int32_t(cs.size()));
        }
        target.close();
    }
    Bytes Text(const char* t) { return Bytes(t, t + strlen(t)); }
};

} // namespace

TEST(Jp2PositionsInfo, GrowsByTenOrTheRequest)
{
    SLxJP2PositionsInfo* map = LX_NewJp2PositionsInfo();
    ASSERT_TRUE(ensure_free_positions_info(map, 1));
    EXPECT_EQ(map->uiCountAllocated, 10u);
    map->uiCount = 10;
    ASSERT_TRUE(ensure_free_positions_info(map, 25));
    EXPECT_EQ(map->uiCountAllocated, 35u);
    ASSERT_TRUE(ensure_free_positions_info(map, 25));
    EXPECT_EQ(map->uiCountAllocated, 35u);
    EXPECT_FALSE(ensure_free_positions_info(nullptr, 1));
    LX_FreeJp2PositionsInfo(map);
}

TEST_F(Jp2Document, OwnBoxesAndTheMapReadBack)
{
    WriteCodestreams();
    ASSERT_EQ(map->uiCount, 6u);
    const Bytes events = Text("<Events/>"), vimd = Text("<MetadataSeq/>");
    const Bytes uuid = Cat({Bytes(jp2_uuid_binl, jp2_uuid_binl + 16), Bytes{1, 2, 3}});
    const SLxJP2OwnBox boxes[] = {{Code("xml "), jp2_own_ieve, events.data(), events.size()},
                                  {Code("xml "), jp2_own_vimd, vimd.data(), vimd.size()},
                                  {Code("uuid"), jp2_own_binl, uuid.data(), uuid.size()}};
    ASSERT_EQ(LX_AppendJp2OwnBoxes(path.c_str(), boxes, 3, map, true), 0);
    ASSERT_EQ(map->uiCount, 10u);

    const Bytes file = ReadFile(dir.path() / "doc.jp2");
    const uint32_t c = 10;
    // The end record and the map box at 24 + N before the end.
    ASSERT_EQ(memcmp(file.data() + file.size() - 40, jp2_box_map_magic, 32), 0);
    EXPECT_EQ(file[file.size() - 8], 44 + 16 * c);
    EXPECT_EQ(GetU32(file, file.size() - 24 - (44 + 16 * c)), 68 + 16 * c);

    SLxJP2PositionsInfo* read = nullptr;
    ASSERT_EQ(LX_ReadJp2BoxMap(path.c_str(), &read), 0);
    ASSERT_NE(read, nullptr);
    ASSERT_EQ(read->uiCount, c);
    for (uint32_t i = 0; i < c; ++i) {
        EXPECT_EQ(read->pEntries[i].uiBoxType, map->pEntries[i].uiBoxType);
        EXPECT_EQ(read->pEntries[i].uiOwnCode, map->pEntries[i].uiOwnCode);
        EXPECT_EQ(read->pEntries[i].uiOffset, map->pEntries[i].uiOffset);
        EXPECT_EQ(GetU32(file, size_t(read->pEntries[i].uiOffset) + 4),
                  read->pEntries[i].uiBoxType);
    }
    EXPECT_EQ(LX_FindJp2BoxPosition(read, Code("uuid"), jp2_own_pmap, 0), 9);

    // The XML stream through the map and by walking the boxes.
    for (bool withMap : {true, false}) {
        CLxJP2XMLStream xml;
        const int start = LX_FindJp2BoxPosition(read, Code("xml "), jp2_own_ieve, 0);
        ASSERT_TRUE(xml.OpenRead(path.c_str(), withMap ? read : nullptr, start));
        std::vector<uint8_t> text;
        EXPECT_EQ(xml.Remaining(), int64_t(events.size()));
        ASSERT_TRUE(xml.ReadRest(text));
        EXPECT_EQ(text, events);
        ASSERT_TRUE(xml.Next());
        ASSERT_TRUE(xml.ReadRest(text));
        EXPECT_EQ(text, vimd);
        EXPECT_FALSE(xml.Next());
    }
    CLxJP2UUIDStream stream;
    ASSERT_TRUE(stream.OpenRead(path.c_str(), read,
                                LX_FindJp2BoxPosition(read, Code("uuid"), jp2_own_binl, 0)));
    uint8_t id[16];
    std::vector<uint8_t> data;
    ASSERT_TRUE(stream.ReadBox(id, data));
    EXPECT_EQ(memcmp(id, jp2_uuid_binl, 16), 0);
    EXPECT_EQ(data, (Bytes{1, 2, 3}));
    ASSERT_TRUE(stream.Next()); // the map itself
    ASSERT_TRUE(stream.ReadBox(id, data));
    EXPECT_EQ(memcmp(id, jp2_uuid_pmap, 16), 0);
    EXPECT_FALSE(stream.Next());
    LX_FreeJp2PositionsInfo(read);

    // A source through the read map finds every codestream.
    jp2_file_source source;
    ASSERT_TRUE(source.open(path.c_str(), 2, map, false));
    uint8_t back[16];
    ASSERT_EQ(source.read(back, 16), 8);
    EXPECT_EQ(back[5], 2);
}

TEST_F(Jp2Document, DamagedMapsAreRefused)
{
    WriteCodestreams();
    const Bytes events = Text("<Events/>");
    const SLxJP2OwnBox box{Code("xml "), jp2_own_ieve, events.data(), events.size()};
    ASSERT_EQ(LX_AppendJp2OwnBoxes(path.c_str(), &box, 1, map, true), 0);
    const Bytes good = ReadFile(dir.path() / "doc.jp2");
    const size_t mapBox = good.size() - (68 + 16 * map->uiCount);

    const auto changed = [&](size_t at, uint8_t value) {
        Bytes b = good;
        b[at] = value;
        return b;
    };
    Bytes countZero = good;
    countZero[mapBox + 24] = countZero[mapBox + 25] = countZero[mapBox + 26] = 0;
    countZero[mapBox + 27] = 0;
    Bytes countHuge = good;
    countHuge[mapBox + 24] = 0x7F;
    const struct {
        const char* name;
        Bytes bytes;
        int status;
    } cases[] = {
        {"good", good, 0},
        {"magic", changed(good.size() - 20, 'x'), -9},
        {"identifier", changed(mapBox + 10, 0), -9},
        {"count_zero", countZero, -9},
        {"count_beyond_the_box", countHuge, -9},
        {"n_too_large", changed(good.size() - 2, 0x10), -9},
        {"no_map", GreyFile({Codestream(0)}), -9},
        {"tiny", Bytes(10, 0), -9},
    };
    for (const auto& c : cases) {
        WriteFile(dir.path() / c.name, c.bytes);
        SLxJP2PositionsInfo* read = nullptr;
        EXPECT_EQ(LX_ReadJp2BoxMap(dir.u16(c.name).c_str(), &read), c.status) << c.name;
        EXPECT_EQ(read != nullptr, c.status == 0) << c.name;
        LX_FreeJp2PositionsInfo(read);
    }
    SLxJP2PositionsInfo* none = nullptr;
    EXPECT_EQ(LX_ReadJp2BoxMap(dir.u16("missing").c_str(), &none), 0);
    EXPECT_EQ(none, nullptr);
}

TEST_F(Jp2Document, StreamsWriteBoxesAndListThem)
{
    WriteCodestreams();
    {
        CLxJP2XMLStream xml;
        ASSERT_TRUE(xml.OpenWrite(path.c_str(), map, jp2_own_aim1));
        EXPECT_EQ(xml.Write("<a>", 3), 3);
        ASSERT_TRUE(xml.Next(jp2_own_ieve));
        EXPECT_EQ(xml.Write("<b/>", 4), 4);
        xml.Close();
        CLxJP2UUIDStream uuid;
        ASSERT_TRUE(uuid.OpenWrite(path.c_str(), map, jp2_own_vcdb));
        EXPECT_EQ(uuid.Write(jp2_uuid_vcdb, "n\0", 2), 2);
        EXPECT_EQ(uuid.WriteUint32(jp2_uuid_vcdb, 0x01020304), 4);
    }
    ASSERT_EQ(map->uiCount, 9u);
    EXPECT_EQ(map->pEntries[6].uiOwnCode, jp2_own_aim1);
    EXPECT_EQ(map->pEntries[8].uiOwnCode, jp2_own_vcdb);
    const Bytes file = ReadFile(dir.path() / "doc.jp2");
    const size_t a = size_t(map->pEntries[6].uiOffset);
    EXPECT_EQ(Bytes(file.begin() + long(a), file.begin() + long(a) + 11),
              Box("xml ", Bytes{'<', 'a', '>'}));
    const size_t u = size_t(map->pEntries[8].uiOffset);
    EXPECT_EQ(
        Bytes(file.begin() + long(u), file.end()),
        Box("uuid", Cat({Bytes(jp2_uuid_vcdb, jp2_uuid_vcdb + 16), Bytes{'n', 0, 1, 2, 3, 4}})));

    // Over a byte array: appended boxes, read back by walking.
    CLxByteArray array = ToArray(GreyFile({Codestream(0)}));
    {
        CLxJP2XMLStream out;
        ASSERT_TRUE(out.OpenAppend(&array));
        out.Write("x", 1);
        ASSERT_TRUE(out.Next(0));
        out.Write("yz", 2);
    }
    CLxJP2XMLStream in;
    ASSERT_TRUE(in.OpenRead(&array, nullptr, 0));
    uint8_t buffer[8] = {};
    EXPECT_EQ(in.Read(buffer, 8), 1);
    ASSERT_TRUE(in.Next());
    EXPECT_EQ(in.Read(buffer, 8), 2);
    EXPECT_EQ(buffer[1], 'z');
    EXPECT_FALSE(in.Next());
    EXPECT_FALSE(in.IsOpen());
    EXPECT_EQ(in.Read(buffer, 8), -1);

    CLxJP2XMLStream failed;
    EXPECT_FALSE(failed.OpenRead(dir.u16("missing").c_str(), nullptr, 0));
    EXPECT_FALSE(failed.OpenRead(path.c_str(), map, 99));
    EXPECT_FALSE(failed.OpenRead(path.c_str(), map, 0)); // entry 0 is not an XML box
}

TEST_F(Jp2Document, TruncateCutsTheMetadataTail)
{
    WriteCodestreams();
    const Bytes codestreams = ReadFile(dir.path() / "doc.jp2");
    const Bytes events = Text("<Events/>");
    const SLxJP2OwnBox box{Code("xml "), jp2_own_ieve, events.data(), events.size()};
    ASSERT_EQ(LX_AppendJp2OwnBoxes(path.c_str(), &box, 1, map, true), 0);
    bool complete = false;
    ASSERT_EQ(LX_TruncateJp2Metadata(path.c_str(), &complete), 0);
    EXPECT_TRUE(complete);
    EXPECT_EQ(ReadFile(dir.path() / "doc.jp2"), codestreams);
    ASSERT_EQ(LX_TruncateJp2Metadata(path.c_str()), 0); // nothing left to cut
    EXPECT_EQ(ReadFile(dir.path() / "doc.jp2"), codestreams);

    // Not a JP2 file: untouched.
    const Bytes other(100, 'q');
    WriteFile(dir.path() / "other", other);
    EXPECT_EQ(LX_TruncateJp2Metadata(dir.u16("other").c_str()), -9);
    EXPECT_EQ(ReadFile(dir.path() / "other"), other);
    EXPECT_EQ(LX_TruncateJp2Metadata(dir.u16("missing").c_str()), -1);
}

TEST_F(Jp2Document, TruncateAfterAKilledWriter)
{
    const Bytes head = GreyFile({Codestream(0)});
    const struct {
        const char* name;
        Bytes last; // the open-ended codestream box
        bool complete;
    } cases[] = {
        {"lbox0_complete", RawBox(0, "jp2c", Codestream(1)), true},
        {"lbox0_cut", RawBox(0, "jp2c", Bytes{0xFF, 0x4F, 0xFF, 0x51, 0}), false},
        {"xlbox_placeholder", RawBox(1, "jp2c", Codestream(1), 0, true), true},
    };
    for (const auto& c : cases) {
        const Bytes crashed = Cat({head, c.last});
        WriteFile(dir.path() / c.name, crashed);
        bool complete = !c.complete;
        ASSERT_EQ(LX_TruncateJp2Metadata(dir.u16(c.name).c_str(), &complete), 0) << c.name;
        EXPECT_EQ(complete, c.complete) << c.name;
        const Bytes patched = ReadFile(dir.path() / c.name);
        ASSERT_EQ(patched.size(), crashed.size());
        // New boxes now land after the codestream.
        const Bytes events = Text("<Events/>");
        const SLxJP2OwnBox box{Code("xml "), jp2_own_ieve, events.data(), events.size()};
        ASSERT_EQ(LX_AppendJp2OwnBoxes(dir.u16(c.name).c_str(), &box, 1, nullptr, false), 0);
        jp2_file_source source;
        ASSERT_TRUE(source.open(dir.u16(c.name).c_str(), 1)) << c.name;
        EXPECT_EQ(source.codestream_end(), crashed.size()) << c.name;
        CLxJP2XMLStream xml;
        ASSERT_TRUE(xml.OpenRead(dir.u16(c.name).c_str(), nullptr, 0)) << c.name;
        std::vector<uint8_t> text;
        ASSERT_TRUE(xml.ReadRest(text));
        EXPECT_EQ(text, events);
    }
}

TEST_F(Jp2Document, CaptureResolutionIsRewrittenInPlace)
{
    WriteCodestreams();
    ASSERT_EQ(LX_WriteJp2CaptureResolution(path.c_str(), 2835.0), 0);
    jp2_file_source source;
    ASSERT_TRUE(source.open(path.c_str(), 0));
    EXPECT_NEAR(source.access_resolution()->get_resolution(false), 2835, 0.5);
    source.close();
    EXPECT_EQ(LX_WriteJp2CaptureResolution(path.c_str(), 0.0), -9);

    // Without a resolution box nothing is written.
    const Bytes plain = GreyFile({Codestream(0)});
    WriteFile(dir.path() / "plain.jp2", plain);
    EXPECT_EQ(LX_WriteJp2CaptureResolution(dir.u16("plain.jp2").c_str(), 2835.0), 0);
    EXPECT_EQ(ReadFile(dir.path() / "plain.jp2"), plain);
    WriteFile(dir.path() / "other", Bytes(50, 1));
    EXPECT_EQ(LX_WriteJp2CaptureResolution(dir.u16("other").c_str(), 2835.0), -9);
    EXPECT_EQ(LX_WriteJp2CaptureResolution(dir.u16("missing").c_str(), 2835.0), -1);
}

TEST(Jp2ExperimentVariant, BecomesAListWithBothItems)
{
    const CLxVariantRunType list("CLxListVariant");
    CLxVariant scalar(5, CLxStringW(u"vExperiment"));
    LX_NormalizeJp2ExperimentVariant(scalar);
    EXPECT_EQ(scalar.GetRunType(), list);
    ASSERT_EQ(scalar.GetCount(), 2);
    EXPECT_EQ(scalar[0].GetName(), CLxStringW(u"vMetadata"));
    EXPECT_EQ(scalar[1].GetName(), CLxStringW(u"vUnknownData"));
    EXPECT_EQ(scalar[1].GetRunType(), list);
    EXPECT_EQ(scalar.GetName(), CLxStringW(u"vExperiment"));

    CLxVariant half;
    half.Append(CLxVariant(list, CLxStringW(u"vMetadata"))).Append(CLxVariant(7, CLxStringW(u"x")));
    LX_NormalizeJp2ExperimentVariant(half);
    ASSERT_EQ(half.GetCount(), 2);
    EXPECT_EQ(half[0][0].GetLx_int32(), 7); // kept
    EXPECT_EQ(half[1].GetName(), CLxStringW(u"vUnknownData"));

    CLxVariant both = half;
    LX_NormalizeJp2ExperimentVariant(both);
    EXPECT_TRUE(both == half);
}
