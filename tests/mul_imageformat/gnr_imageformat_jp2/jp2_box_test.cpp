// The box layer over byte arrays and files.
#include "jp2_test_support.h"

#include <climits>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_box.h"
#include "w32_system/LxFileAPI.h"

using namespace jp2test;

namespace
{

struct HeaderCase {
    const char* name;
    Bytes bytes;
    bool open;         // a box opens
    std::string error; // or this text is thrown
    bool openEnded;
    uint64_t contents; // contents length of a box with a known end
};

class Jp2BoxHeader : public testing::TestWithParam<HeaderCase>
{
};

const char kIllegalExtended[] = "Illegal extended box length encountered in JP2 file.";
const char kIllegalLength[] = "Illegal box length field encountered in JP2 file.";

std::vector<HeaderCase> HeaderCases()
{
    const Bytes ten(10, 0xAB);
    return {
        {"lbox0_runs_to_end", RawBox(0, "jp2c", ten), true, "", true, 0},
        {"xlbox16_is_empty", RawBox(1, "jp2c", ten, 16, true), true, "", false, 0},
        {"xlbox26", RawBox(1, "jp2c", ten, 26, true), true, "", false, 10},
        {"xlbox15_refused", RawBox(1, "jp2c", ten, 15, true), false, kIllegalExtended, false, 0},
        {"lbox7_refused", RawBox(7, "jp2c", ten), false, kIllegalLength, false, 0},
        {"lbox8_is_empty", RawBox(8, "jp2c", ten), true, "", false, 0},
        {"lbox_all_ones_open_ended", RawBox(0xFFFFFFFF, "jp2c", ten), true, "", true, 0},
        {"xlbox_huge_open_ended", RawBox(1, "jp2c", ten, 0xFFFFFFFFFFFFFFFFull, true), true, "",
         true, 0},
        {"cut_in_header", Bytes{0, 0, 0, 20, 'j', 'p'}, false, "", false, 0},
        {"cut_in_xlbox", Bytes{0, 0, 0, 1, 'j', 'p', '2', 'c', 0, 0}, false, "", false, 0},
        {"zero_type", RawBox(12, "\0\0\0\0", Bytes(4)), false, "", false, 0},
    };
}

} // namespace

TEST_P(Jp2BoxHeader, OpensOrRefuses)
{
    const HeaderCase& c = GetParam();
    CLxByteArray array = ToArray(c.bytes);
    jp2_box_reader box;
    const std::string error = ErrorOf([&] { box.open(&array); });
    EXPECT_EQ(error, c.error);
    EXPECT_EQ(box.is_open(), c.open);
    if (!c.open)
        return;
    EXPECT_EQ(box.open_ended, c.openEnded);
    if (!c.openEnded) {
        EXPECT_EQ(box.contents_end - box.contents_start, c.contents);
    }
    // Unread contents make close() false.
    EXPECT_EQ(box.close(), c.openEnded || c.contents == 0);
}

INSTANTIATE_TEST_SUITE_P(Cases, Jp2BoxHeader, testing::ValuesIn(HeaderCases()),
                         [](const testing::TestParamInfo<HeaderCase>& i) { return i.param.name; });

TEST(Jp2Box, ReadIsCutAtTheBoxEnd)
{
    CLxByteArray array = ToArray(Cat({Box("abcd", Bytes(10, 7)), Box("efgh", Bytes(3, 9))}));
    jp2_box_reader box;
    ASSERT_TRUE(box.open(&array));
    uint8_t buffer[100];
    EXPECT_EQ(box.read(buffer, 100), 10);
    EXPECT_EQ(box.read(buffer, 100), 0);
    EXPECT_TRUE(box.close());
    ASSERT_TRUE(box.open(&array));
    EXPECT_EQ(box.box_type, Code("efgh"));
}

TEST(Jp2Box, OpenEndedBoxReadsToTheEndOfTheStream)
{
    CLxByteArray array = ToArray(RawBox(0, "jp2c", Bytes(5, 1)));
    jp2_box_reader box;
    ASSERT_TRUE(box.open(&array));
    uint8_t buffer[100];
    EXPECT_EQ(box.read(buffer, 100), 5);
    EXPECT_EQ(box.available(), 0u);
    EXPECT_TRUE(box.close());
}

TEST(Jp2Box, PartialReadThenCloseSkipsToTheNextBox)
{
    ScopedTempDir dir;
    WriteFile(dir.path() / "boxes", Cat({Box("abcd", Bytes(10, 7)), Box("efgh", Bytes(3, 9))}));
    LX_HFILE file = LX_INVALID_HFILE;
    ASSERT_EQ(LX_OpenFile(dir.u16("boxes").c_str(), 1, 3, LX_INVALID_HFILE, &file), 0);
    jp2_box_reader box;
    ASSERT_TRUE(box.open(file));
    uint32_t word = 0;
    EXPECT_TRUE(box.read_u32(word));
    EXPECT_EQ(word, 0x07070707u);
    EXPECT_FALSE(box.close());
    ASSERT_TRUE(box.open(file));
    EXPECT_EQ(box.box_type, Code("efgh"));
    EXPECT_EQ(box.contents_start, 26u);
    uint16_t half = 0;
    EXPECT_TRUE(box.read_u16(half));
    EXPECT_FALSE(box.read_u16(half)); // one byte left: consumed, false
    EXPECT_TRUE(box.close());
    EXPECT_FALSE(box.open(file)); // end of the file
    LX_CloseFile(file);
}

TEST(Jp2Box, SubBoxes)
{
    // A sub-box one byte longer than the room left in its parent.
    {
        CLxByteArray array = ToArray(Box("jp2h", RawBox(13, "ihdr", Bytes(4))));
        jp2_box_reader parent, sub;
        ASSERT_TRUE(parent.open(&array));
        EXPECT_EQ(ErrorOf([&] { sub.open_sub(&parent); }),
                  "Error encountered in box structure used by JP2 or a JP2 family file format.  "
                  "A sub-box appears to be too long to fit within its parent super-box.");
    }
    // Sub-boxes in turn, the parent's stream handed back each time.
    {
        CLxByteArray array =
            ToArray(Cat({Box("jp2h", Cat({Box("aaaa", Bytes(2, 1)), Box("bbbb", Bytes(1, 2))})),
                         Box("next", {})}));
        jp2_box_reader parent, sub;
        ASSERT_TRUE(parent.open(&array));
        ASSERT_TRUE(sub.open_sub(&parent));
        EXPECT_EQ(parent.get_bytes(), nullptr);
        EXPECT_EQ(sub.box_type, Code("aaaa"));
        EXPECT_FALSE(sub.close());
        EXPECT_EQ(parent.get_bytes(), &array);
        ASSERT_TRUE(sub.open_sub(&parent));
        EXPECT_EQ(sub.box_type, Code("bbbb"));
        uint8_t b = 0;
        EXPECT_TRUE(sub.read_u8(b));
        EXPECT_EQ(b, 2);
        EXPECT_TRUE(sub.close());
        EXPECT_FALSE(sub.open_sub(&parent)); // fewer than 8 bytes left
        EXPECT_TRUE(parent.close());
        ASSERT_TRUE(parent.open(&array));
        EXPECT_EQ(parent.box_type, Code("next"));
    }
    // An open-ended sub-box ends at its parent's end, and ends the parent.
    {
        CLxByteArray array =
            ToArray(Cat({Box("jp2h", RawBox(0, "ihdr", Bytes(4, 5))), Box("next", {})}));
        jp2_box_reader parent, sub;
        ASSERT_TRUE(parent.open(&array));
        ASSERT_TRUE(sub.open_sub(&parent));
        uint8_t buffer[64];
        EXPECT_EQ(sub.read(buffer, 64), 4);
        EXPECT_TRUE(sub.close());
        EXPECT_FALSE(parent.is_open());
        ASSERT_TRUE(parent.open(&array));
        EXPECT_EQ(parent.box_type, Code("next"));
    }
}

TEST(Jp2Box, ReadingAClosedBoxIsAnError)
{
    jp2_box_reader box;
    uint8_t b;
    EXPECT_EQ(ErrorOf([&] { box.read(&b, 1); }), "Attempting to read from a closed JP2 file box.");
}

TEST(Jp2Box, SeekStaysInsideTheContents)
{
    CLxByteArray array = ToArray(Box("abcd", Bytes{1, 2, 3, 4}));
    jp2_box_reader box;
    ASSERT_TRUE(box.open(&array));
    box.seek(0);
    EXPECT_EQ(box.position, 8u);
    uint8_t b = 0;
    box.seek(10);
    EXPECT_TRUE(box.read_u8(b));
    EXPECT_EQ(b, 3);
    box.seek(1000);
    EXPECT_EQ(box.position, 12u);
    EXPECT_FALSE(box.read_u8(b));
}

TEST(Jp2BoxWriter, BufferedBoxHasItsExactLength)
{
    CLxByteArray array;
    jp2_box_writer box;
    box.box_type = Code("abcd");
    box.bytes = &array;
    EXPECT_TRUE(box.write("xyz", 3));
    EXPECT_TRUE(box.close());
    EXPECT_EQ(FromArray(array),
              Cat({Bytes{0, 0, 0, 11}, Bytes{'a', 'b', 'c', 'd', 'x', 'y', 'z'}}));
    EXPECT_FALSE(box.write("x", 1)); // closed
}

TEST(Jp2BoxWriter, SubBoxesGoIntoTheirParent)
{
    CLxByteArray array;
    jp2_box_writer parent, sub;
    parent.box_type = Code("jp2h");
    parent.bytes = &array;
    sub.box_type = Code("ihdr");
    sub.parent = &parent;
    sub.write_u16(0x0102);
    EXPECT_TRUE(sub.close());
    sub.reset();
    sub.box_type = Code("colr");
    sub.parent = &parent;
    EXPECT_TRUE(sub.close()); // an empty box is still a box
    EXPECT_TRUE(parent.close());
    EXPECT_EQ(FromArray(array), Cat({Bytes{0, 0, 0, 26}, Bytes{'j', 'p', '2', 'h'},
                                     Box("ihdr", Bytes{1, 2}), Box("colr", {})}));
}

TEST(Jp2BoxWriter, WriteThroughPatchesTheLength)
{
    CLxByteArray array;
    jp2_box_writer box;
    box.box_type = Code("jp2c");
    box.write_through = true;
    box.bytes = &array;
    ASSERT_TRUE(box.write_header());
    EXPECT_EQ(GetU32(FromArray(array), 0), 0u); // provisional
    EXPECT_TRUE(box.write("12345", 5));
    EXPECT_TRUE(box.close());
    EXPECT_EQ(FromArray(array), RawBox(13, "jp2c", Bytes{'1', '2', '3', '4', '5'}));
}

TEST(Jp2BoxWriter, ExpectedLengthChoosesTheHeader)
{
    const struct {
        uint64_t expected;
        bool extended;
    } cases[] = {{0, false}, {0x100000000ull, false}, {0x100000001ull, true}};
    for (const auto& c : cases) {
        ScopedTempDir dir;
        LX_HFILE file = LX_INVALID_HFILE;
        ASSERT_EQ(LX_OpenFile(dir.u16("f").c_str(), 15, 3, LX_INVALID_HFILE, &file), 0);
        jp2_box_writer box;
        box.box_type = Code("jp2c");
        box.write_through = true;
        box.file = file;
        box.expected_length = c.expected;
        ASSERT_TRUE(box.write_header());
        EXPECT_TRUE(box.write("ab", 2));
        EXPECT_TRUE(box.close());
        LX_CloseFile(file);
        const Bytes b = ReadFile(dir.path() / "f");
        if (c.extended)
            EXPECT_EQ(b, RawBox(1, "jp2c", Bytes{'a', 'b'}, 18, true)) << c.expected;
        else
            EXPECT_EQ(b, RawBox(10, "jp2c", Bytes{'a', 'b'})) << c.expected;
    }
}

TEST(Jp2BoxWriter, CodestreamOutgrowingTheOrdinaryHeaderIsAnError)
{
    // A sparse file whose codestream box passes 4 GiB without the extended
    // header: its length cannot be recorded, so it is never cut.
    ScopedTempDir dir;
    LX_HFILE file = LX_INVALID_HFILE;
    ASSERT_EQ(LX_OpenFile(dir.u16("big").c_str(), 15, 3, LX_INVALID_HFILE, &file), 0);
    jp2_box_writer box;
    box.box_type = Code("jp2c");
    box.write_through = true;
    box.file = file;
    ASSERT_TRUE(box.write_header());
    ASSERT_EQ(LX_SeekFile(file, 0x10, 1, 0), 0);
    ASSERT_TRUE(box.write("x", 1));
    try {
        box.close();
        ADD_FAILURE() << "no exception";
    } catch (const CLxJP2ErrorException& e) {
        EXPECT_EQ(e.GetCode(), -9);
    }
    EXPECT_FALSE(box.is_open());
    LX_CloseFile(file);
    const Bytes head = [&] {
        std::ifstream f(dir.path() / "big", std::ios::binary);
        Bytes b(8);
        f.read(reinterpret_cast<char*>(b.data()), 8);
        return b;
    }();
    EXPECT_EQ(GetU32(head, 0), 0u); // LBox 0: runs to the end of the file
    EXPECT_EQ(std::filesystem::file_size(dir.path() / "big"), 0x100000011ull);
}

TEST(Jp2BoxWriter, FailedStraightThroughWriteThrows1107)
{
    ScopedTempDir dir;
    WriteFile(dir.path() / "ro", Bytes{});
    LX_HFILE file = LX_INVALID_HFILE;
    ASSERT_EQ(LX_OpenFile(dir.u16("ro").c_str(), 1, 3, LX_INVALID_HFILE, &file), 0);
    jp2_box_writer box;
    box.box_type = Code("jp2c");
    box.write_through = true;
    box.file = file; // opened for reading only: every write fails
    try {
        box.write_header();
        FAIL() << "no exception";
    } catch (const CLxJP2ErrorException& e) {
        EXPECT_STREQ(e.GetText(), "Failed to write to the file.");
        EXPECT_EQ(e.GetCode(), -1107);
    }
    EXPECT_FALSE(box.write("x", 1)); // failed: ignored
    // A buffered box only reports false at its close.
    jp2_box_writer buffered;
    buffered.box_type = Code("abcd");
    buffered.file = file;
    EXPECT_TRUE(buffered.write("x", 1));
    EXPECT_FALSE(buffered.close());
    LX_CloseFile(file);
}

TEST(Jp2BoxList, FindBoxEntry)
{
    SLxJP2BoxPosition entries[] = {{Code("jp2c"), Code("LUNK"), 10},
                                   {Code("xml "), Code("VIMD"), 20},
                                   {Code("xml "), Code("VIMD"), 30}};
    SLxJP2PositionsInfo list{entries, 3, 3};
    EXPECT_EQ(find_box_entry(&list, Code("xml "), Code("VIMD"), -5), 1);
    EXPECT_EQ(find_box_entry(&list, Code("xml "), Code("VIMD"), 2), 2);
    EXPECT_EQ(find_box_entry(&list, Code("xml "), Code("VIMD"), 3), -1);
    EXPECT_EQ(find_box_entry(&list, Code("xml "), Code("IEVE"), 0), -1);
    EXPECT_EQ(find_box_entry(nullptr, Code("xml "), Code("VIMD"), 0), -1);
}
