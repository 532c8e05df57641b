// The JPEG 2000 keeper of foreign boxes.
#include <gtest/gtest.h>

#include <filesystem>
#include <vector>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_unknowndata.h"
#include "mul_imageformat/keeper_test_support.h"

namespace
{

std::vector<uint8_t> bytes(size_t n, uint8_t seed)
{
    std::vector<uint8_t> b(n);
    for (size_t i = 0; i < n; ++i)
        b[i] = static_cast<uint8_t>(seed + 13 * i);
    return b;
}

std::vector<uint8_t> readChunk(ILxImageUnknownData& keeper, uint32_t index)
{
    std::vector<uint8_t> all, piece(128);
    for (;;) {
        uint32_t size = static_cast<uint32_t>(piece.size());
        EXPECT_EQ(0, keeper.ReadChunkData(index, all.size(), piece.data(), &size));
        if (!size)
            return all;
        all.insert(all.end(), piece.begin(), piece.begin() + size);
    }
}

TEST(JP2UnknownData, BoxesReadBackAndLeaveNoFile)
{
    ScopedTmpdir tmp;
    auto* keeper = new CLxJP2UnknownData(CLxStringA("JPEG2000"));
    keeper->AddRef();

    const auto xml1 = bytes(300, 1), xml2 = bytes(500, 2), uuid = bytes(16, 3), data = bytes(40, 4);
    ASSERT_EQ(0, keeper->AppendChunk(CLxJP2UnknownData::udtXMLBox, xml1.data(), 300));
    ASSERT_EQ(0, keeper->AppendChunk(CLxJP2UnknownData::udtXMLBox, xml2.data(), 500));
    ASSERT_EQ(0, keeper->AppendChunk(CLxJP2UnknownData::udtUUIDBox, uuid.data(), 16));
    ASSERT_EQ(0, keeper->AppendChunkData(2, data.data(), 40));

    EXPECT_EQ(3u, keeper->GetChunkCount());
    EXPECT_EQ(xml1, readChunk(*keeper, 0));
    EXPECT_EQ(xml2, readChunk(*keeper, 1));
    std::vector<uint8_t> box(uuid);
    box.insert(box.end(), data.begin(), data.end());
    EXPECT_EQ(box, readChunk(*keeper, 2));
    EXPECT_EQ(CLxJP2UnknownData::udtUUIDBox, keeper->GetChunkType(2));

    // The second box's bytes follow the first one's in the temporary file.
    const auto files = tmp.files();
    ASSERT_EQ(1u, files.size());
    EXPECT_EQ(0u, files[0].rfind("jp2_unknown", 0));
    EXPECT_EQ(856u, std::filesystem::file_size(tmp.path() / files[0]));
    std::vector<uint8_t> second(500);
    FILE* f = fopen((tmp.path() / files[0]).c_str(), "rb");
    ASSERT_NE(nullptr, f);
    fseek(f, 300, SEEK_SET);
    ASSERT_EQ(500u, fread(second.data(), 1, 500, f));
    fclose(f);
    EXPECT_EQ(xml2, second);

    CLxStringA id;
    EXPECT_EQ(0, keeper->GetFormatID(id));
    EXPECT_STREQ("JPEG2000", id);

    EXPECT_EQ(0u, keeper->Release());
    EXPECT_TRUE(tmp.files().empty());
}

} // namespace
