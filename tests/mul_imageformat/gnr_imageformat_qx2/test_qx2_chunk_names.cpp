// Which chunk names the readers understand, and how wide custom names
// become chunk names.
#include <gtest/gtest.h>

#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ChunkNames.h"

using namespace LxQX2Names;

namespace
{

TEST(QX2ChunkNames, FrameIndicesArePlainDecimalsUpToTheWritersLimit)
{
    struct Case {
        const char* name;
        bool parsed;
        uint32_t index;
    } cases[] = {
        {"ImageDataSeq|0!", true, 0},
        {"ImageDataSeq|10!", true, 10},
        {"ImageDataSeq|10000000!", true, 10000000},
        {"ImageDataSeq|10000001!", false, 0},
        {"ImageDataSeq|007!", false, 0},
        {"ImageDataSeq|+7!", false, 0},
        {"ImageDataSeq|-1!", false, 0},
        {"ImageDataSeq|!", false, 0},
        {"ImageDataSeq|1 !", false, 0},
        {"ImageDataSeq|4294967297!", false, 0},
        {"ImageDataSeq|1!x", false, 0},
        {"ImageDataSeq|1", false, 0},
        {"ImageMetadataSeq|1!", false, 0},
    };
    for (const Case& c : cases) {
        uint32_t index = 12345;
        EXPECT_EQ(c.parsed, ParseIndexed(c.name, kFramePrefix, &index)) << c.name;
        EXPECT_EQ(c.parsed ? c.index : 12345u, index) << c.name;
    }
}

TEST(QX2ChunkNames, KnownNamesAndForeignLookAlikes)
{
    struct Case {
        const char* name;
        bool known;
    } cases[] = {
        {"QX2 FILE SIGNATURE CHUNK NAME01!", true},
        {"QX2 FILEMAP SIGNATURE NAME 0001!", true},
        {"ImageMetadata!", true},
        {"ImageMetadataSeq|3!", true},
        {"ImageEvents!", true},
        {"ImageBinary!", true},
        {"ImageTextInfo!", true},
        {"ImageAttributes!", true},
        {"ImageCalibration|0!", true},
        {"ReportObjects!", true},
        {"ReportObjects|12!", true},
        {"ImageDataSeq|9!", true},
        {"CustomData|AcqTimesCache!", true},
        {"CustomDataVar|AcqTimeV1_0!", true},
        {"CustomDataSeq|BinarySeqV1_0|4!", true},
        {"CustomDataVarSeq|a|b|0!", true},
        {"CustomData|!", true},
        {"Foo!", false},
        {"ImageDataSeq|x!", false},
        {"ImageMetadataSeq|01!", false},
        {"CustomDataSeq|noindex!", false},
        {"CustomDataSeq||3!", false},
        {"CustomDataVarSeq|a|99999999!", false},
        {"ImageAttributes2!", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(c.known, IsKnown(c.name)) << c.name;
}

TEST(QX2ChunkNames, WideNamesGoIntoNamesAsUtf8)
{
    EXPECT_STREQ("CustomData|Z\xc3\xa4hler!", Custom(eCustomBytes, u"Z\u00e4hler"));
    EXPECT_STREQ("CustomDataSeq|\xf0\x9f\x94\xac|7!", Custom(eCustomBytesSeq, u"\U0001F52C", 7));
    EXPECT_STREQ("CustomDataVar|AcqTimeV1_0!", Custom(eCustomVar, u"AcqTimeV1_0"));
    EXPECT_STREQ("CustomDataVarSeq||4294967295!", Custom(eCustomVarSeq, u"", 0xFFFFFFFFu));
    EXPECT_STREQ("ImageCalibration|10000000!", Indexed(kCalibrationPrefix, 10000000));
}

} // namespace
