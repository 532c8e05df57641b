// The JP2 source and target over files and byte arrays.
#include "jp2_test_support.h"

#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_file.h"

using namespace jp2test;

namespace
{

Bytes ReadAll(jp2_file_source& source)
{
    Bytes out;
    uint8_t buffer[7]; // small, so reads are cut at the box end
    for (int32_t n; (n = source.read(buffer, sizeof buffer)) > 0;)
        out.insert(out.end(), buffer, buffer + n);
    return out;
}

struct Jp2Source : testing::Test {
    ScopedTempDir dir;
    std::u16string Write(const char* name, const Bytes& b)
    {
        WriteFile(dir.path() / name, b);
        return dir.u16(name);
    }
};

} // namespace

TEST_F(Jp2Source, CodestreamNOfThree)
{
    const Bytes file = GreyFile({Codestream(0), Codestream(1), Codestream(2)});
    const std::u16string path = Write("three.jp2", file);
    for (int n = 0; n < 3; ++n) {
        jp2_file_source source;
        ASSERT_TRUE(source.open(path.c_str(), n)) << n;
        EXPECT_EQ(ReadAll(source), Codestream(uint8_t(n)));
        EXPECT_EQ(source.capabilities(), 3);
        EXPECT_EQ(source.access_dimensions()->get_num_components(), 1u);
    }
    jp2_file_source source;
    EXPECT_FALSE(source.open(path.c_str(), 3));
    EXPECT_FALSE(source.is_open());
    EXPECT_FALSE(source.open(path.c_str(), -1));

    CLxByteArray array = ToArray(file);
    ASSERT_TRUE(source.open(&array, 2));
    EXPECT_EQ(ReadAll(source), Codestream(2));
    EXPECT_FALSE(source.open(&array, 3));
}

TEST_F(Jp2Source, RecordedListFindsCodestreams)
{
    const std::u16string path =
        Write("three.jp2", GreyFile({Codestream(0), Codestream(1), Codestream(2)}));
    SLxJP2PositionsInfo* list = LX_NewJp2PositionsInfo();
    jp2_file_source source;
    ASSERT_TRUE(source.open(path.c_str(), 0, list, true));
    ASSERT_EQ(list->uiCount, 4u);
    const uint32_t types[] = {Code("jP  "), Code("ftyp"), Code("jp2h"), Code("jp2c")};
    const uint64_t offsets[] = {0, 12, 32, 32 + 8 + 22 + 15};
    for (uint32_t i = 0; i < 4; ++i) {
        EXPECT_EQ(list->pEntries[i].uiBoxType, types[i]);
        EXPECT_EQ(list->pEntries[i].uiOwnCode, Code("LUNK"));
        EXPECT_EQ(list->pEntries[i].uiOffset, offsets[i]);
    }
    // The rest of the codestreams, as the target lists them.
    for (uint64_t k = 1; k < 3; ++k)
        jp2_add_position(list, Code("jp2c"), Code("LUNK"), offsets[3] + 16 * k);
    ASSERT_TRUE(source.open(path.c_str(), 2, list, false));
    EXPECT_EQ(ReadAll(source), Codestream(2));
    EXPECT_FALSE(source.open(path.c_str(), 3, list, false));
    LX_FreeJp2PositionsInfo(list);
}

TEST_F(Jp2Source, SeekAndOrigin)
{
    const std::u16string path = Write("one.jp2", GreyFile({Codestream(9)}));
    jp2_file_source source;
    ASSERT_TRUE(source.open(path.c_str(), 0));
    const int64_t start = source.get_pos(true);
    EXPECT_EQ(uint64_t(start), source.codestream_start());
    ASSERT_TRUE(source.set_origin(start + 2));
    ASSERT_TRUE(source.seek(0));
    EXPECT_EQ(source.get_pos(false), 0);
    uint8_t b[2];
    ASSERT_EQ(source.read(b, 2), 2);
    EXPECT_EQ(b[0], 0xFF);
    EXPECT_EQ(b[1], 0x51);
    EXPECT_EQ(source.get_pos(true), start + 4);
    source.close();
    EXPECT_FALSE(source.seek(0));
}

TEST_F(Jp2Source, FilesThatDoNotOpen)
{
    const Bytes header = Box("jp2h", Cat({Ihdr(4, 5, 1, 7), ColrEnum(17)}));
    Bytes longSignature = Box("jP  ", Bytes{0x0D, 0x0A, 0x87, 0x0A, 0, 0, 0, 0});
    const struct {
        const char* name;
        Bytes bytes;
        bool opens;
    } cases[] = {
        {"plain", GreyFile({Codestream(0)}), true},
        {"jp2h_before_ftyp", Cat({Signature(), header, FileType(), Box("jp2c", Codestream(0))}),
         false},
        {"long_signature", Cat({longSignature, FileType(), header, Box("jp2c", Codestream(0))}),
         false},
        {"no_jp2h", Cat({Signature(), FileType(), Box("jp2c", Codestream(0))}), false},
        {"no_codestream", Cat({Signature(), FileType(), header}), false},
        {"xml_and_uuid_skipped",
         Cat({Signature(), FileType(), header, Box("xml ", Bytes(3)), Box("uuid", Bytes(16)),
              Box("jp2c", Codestream(0))}),
         true},
        {"empty", Bytes{}, false},
        {"not_jp2", Bytes(64, 'x'), false},
    };
    for (const auto& c : cases) {
        jp2_file_source source;
        const std::u16string path = Write(c.name, c.bytes);
        EXPECT_EQ(source.open(path.c_str(), 0), c.opens) << c.name;
        EXPECT_EQ(source.is_open(), c.opens) << c.name;
    }
    jp2_file_source source;
    EXPECT_FALSE(source.open(dir.u16("missing").c_str(), 0));
}

TEST(Jp2Target, WritesTheHeaderBeforeTheFirstByte)
{
    CLxByteArray array;
    jp2_file_target target;
    target.open(&array);
    target.access_dimensions()->init(4, 5, 1, false);
    target.access_dimensions()->set_precision(0, 8, false);
    target.access_colour()->init(eJp2sLUM);
    target.access_resolution()->init(1.0f);
    EXPECT_EQ(array.GetSize(), 0u);
    const Bytes cs0 = Codestream(0), cs1 = Codestream(1);
    ASSERT_TRUE(target.write(cs0.data(), int32_t(cs0.size())));
    ASSERT_TRUE(target.next_codestream());
    ASSERT_TRUE(target.write(cs1.data(), int32_t(cs1.size())));
    ASSERT_TRUE(target.close());
    EXPECT_EQ(FromArray(array), GreyFile({cs0, cs1}));
}

TEST(Jp2Target, FileAndArrayGiveTheSameBytes)
{
    ScopedTempDir dir;
    for (bool writeThrough : {false, true}) {
        CLxByteArray array;
        SLxJP2PositionsInfo* list = LX_NewJp2PositionsInfo();
        jp2_file_target onFile, onArray;
        onFile.open(dir.u16("t.jp2").c_str(), list);
        onArray.open(&array);
        for (jp2_file_target* t : {&onFile, &onArray}) {
            t->set_write_through(writeThrough);
            t->access_dimensions()->init(6, 7, 3, false);
            for (uint32_t c = 0; c < 3; ++c)
                t->access_dimensions()->set_precision(c, c == 2 ? 12 : 8, false);
            t->access_colour()->init(eJp2sRGB);
            t->access_resolution()->init(1.0f);
            t->access_resolution()->set_resolution(2835, false);
            for (uint8_t k = 0; k < 3; ++k) {
                if (k) {
                    ASSERT_TRUE(t->next_codestream());
                }
                const Bytes cs = Codestream(k);
                ASSERT_TRUE(t->write(cs.data(), int32_t(cs.size())));
            }
            ASSERT_TRUE(t->close());
        }
        const Bytes written = ReadFile(dir.path() / "t.jp2");
        EXPECT_EQ(written, FromArray(array)) << writeThrough;
        // The list holds the standard boxes, each at its header.
        ASSERT_EQ(list->uiCount, 6u);
        for (uint32_t i = 0; i < list->uiCount; ++i)
            EXPECT_EQ(GetU32(written, size_t(list->pEntries[i].uiOffset) + 4),
                      list->pEntries[i].uiBoxType);
        // And a source reads back what was written.
        jp2_file_source source;
        ASSERT_TRUE(source.open(&array, 2));
        EXPECT_EQ(source.access_dimensions()->get_bit_depth(2), 12);
        EXPECT_EQ(source.access_colour()->get_space(), eJp2sRGB);
        EXPECT_NEAR(source.access_resolution()->get_resolution(false), 2835, 0.5);
        LX_FreeJp2PositionsInfo(list);
    }
}

TEST(Jp2Target, LargeCodestreamsGetTheExtendedHeader)
{
    const struct {
        uint32_t side;
        int depth;
        bool extended;
    } cases[] = {{70000, 16, true}, {60000, 8, false}};
    for (const auto& c : cases) {
        ScopedTempDir dir;
        jp2_file_target target;
        target.open(dir.u16("big.jp2").c_str());
        target.set_write_through(true);
        target.access_dimensions()->init(c.side, c.side, 1, false);
        target.access_dimensions()->set_precision(0, c.depth, false);
        target.access_colour()->init(eJp2sLUM);
        const Bytes cs = Codestream(0);
        ASSERT_TRUE(target.write(cs.data(), int32_t(cs.size())));
        ASSERT_TRUE(target.close());
        const Bytes b = ReadFile(dir.path() / "big.jp2");
        const size_t at = 12 + 20 + 8 + 22 + 15;
        ASSERT_GE(b.size(), at + 16);
        EXPECT_EQ(GetU32(b, at + 4), Code("jp2c"));
        if (c.extended) {
            EXPECT_EQ(GetU32(b, at), 1u);
            EXPECT_EQ(GetU32(b, at + 12), 16u + cs.size());
        } else {
            EXPECT_EQ(GetU32(b, at), 8u + cs.size());
        }
        jp2_file_source source;
        ASSERT_TRUE(source.open(dir.u16("big.jp2").c_str(), 0));
        uint8_t back[64];
        EXPECT_EQ(source.read(back, 64), int32_t(cs.size()));
    }
}

TEST(Jp2Target, Failures)
{
    ScopedTempDir dir;
    jp2_file_target target;
    EXPECT_EQ(ErrorOf([&] { target.open((dir.u16() + u"/no/such/folder/x.jp2").c_str()); }),
              "Unable to open output file.");
    CLxByteArray array;
    target.open(&array);
    target.access_dimensions()->init(1, 1, 1, false);
    target.access_dimensions()->set_precision(0, 8, false);
    const uint8_t b = 0;
    EXPECT_EQ(ErrorOf([&] { target.write(&b, 1); }), "No JP2 file colour information available!");
    EXPECT_FALSE(target.next_codestream());
    // A target that got no byte leaves an empty file.
    {
        jp2_file_target unused;
        unused.open(dir.u16("empty.jp2").c_str());
        EXPECT_TRUE(unused.close());
    }
    EXPECT_TRUE(ReadFile(dir.path() / "empty.jp2").empty());
}
