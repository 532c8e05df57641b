#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <random>
#include <string>

#include "gnr_system/LxBase64.h"
#include "gnr_system/file_test_support.h"
#include "gnr_system/string/LxString.h"
#include "test_support.h"

namespace
{

std::string Encoded(const Base64Coder& coder)
{
    unsigned size = 0;
    const char* text = coder.EncodedBuffer(&size);
    return text ? std::string(text, size) : std::string();
}

std::string Decoded(const Base64Coder& coder)
{
    unsigned size = 0;
    const unsigned char* bytes = coder.DecodedBuffer(&size);
    return bytes ? std::string(reinterpret_cast<const char*>(bytes), size) : std::string();
}

bool Encode(Base64Coder& coder, const std::string& bytes)
{
    return coder.Encode(reinterpret_cast<const unsigned char*>(bytes.data()),
                        unsigned(bytes.size()));
}

// ---- Known answers (RFC 4648 section 10 and a few more)

struct KnownAnswer {
    const char* bytes;
    const char* text;
};

const KnownAnswer kKnownAnswers[] = {
    {"", ""},
    {"f", "Zg=="},
    {"fo", "Zm8="},
    {"foo", "Zm9v"},
    {"foob", "Zm9vYg=="},
    {"fooba", "Zm9vYmE="},
    {"foobar", "Zm9vYmFy"},
    {"abc", "YWJj"},
    {"a", "YQ=="},
    {"ab", "YWI="},
};

TEST(LxBase64, EncodesKnownAnswers)
{
    Base64Coder coder;
    for (const KnownAnswer& k : kKnownAnswers) {
        SCOPED_TRACE(k.bytes);
        ASSERT_TRUE(Encode(coder, k.bytes));
        EXPECT_EQ(Encoded(coder), k.text);
        // Terminated, and the input is kept in the decoded buffer.
        EXPECT_STREQ(coder.EncodedBuffer(), k.text);
        EXPECT_EQ(Decoded(coder), k.bytes);
    }
}

TEST(LxBase64, DecodesKnownAnswers)
{
    Base64Coder coder;
    for (const KnownAnswer& k : kKnownAnswers) {
        SCOPED_TRACE(k.text);
        ASSERT_TRUE(coder.DecodeA(k.text));
        EXPECT_EQ(Decoded(coder), k.bytes);
        ASSERT_TRUE(coder.DecodeW(U16(k.text).c_str()));
        EXPECT_EQ(Decoded(coder), k.bytes);
    }
}

TEST(LxBase64, EncodesAllByteValues)
{
    std::string bytes;
    for (int i = 0; i < 256; ++i)
        bytes += char(i);
    Base64Coder coder;
    ASSERT_TRUE(Encode(coder, bytes));
    const std::string text = Encoded(coder);
    ASSERT_TRUE(coder.DecodeA(text.c_str()));
    EXPECT_EQ(Decoded(coder), bytes);
}

// ---- Decoding rules

struct DecodeCase {
    const char* name;
    std::u16string text;
    bool ok;
    std::string bytes;
};

class DecodeTable : public ::testing::TestWithParam<DecodeCase>
{
};

// A refused text leaves no valid bytes, whatever the coder held before.
TEST_P(DecodeTable, NarrowAndWideAgree)
{
    const DecodeCase& c = GetParam();
    Base64Coder coder;
    ASSERT_TRUE(Encode(coder, "previous"));
    EXPECT_EQ(coder.DecodeW(c.text.c_str()), c.ok);
    EXPECT_EQ(Decoded(coder), c.bytes);

    bool narrowable = true;
    std::string narrow;
    for (char16_t u : c.text) {
        narrowable = narrowable && u <= 0xFF;
        narrow += char(u);
    }
    if (narrowable) {
        ASSERT_TRUE(Encode(coder, "previous"));
        EXPECT_EQ(coder.DecodeA(narrow.c_str()), c.ok);
        EXPECT_EQ(Decoded(coder), c.bytes);
    }
}

INSTANTIATE_TEST_SUITE_P(
    LxBase64, DecodeTable,
    ::testing::Values(DecodeCase{"empty", u"", true, ""},
                      DecodeCase{"line_break_inside", u"YW\nJj", true, "abc"},
                      DecodeCase{"crlf_and_spaces", u" Y W\r\nJ j \r\n", true, "abc"},
                      DecodeCase{"tab_and_vertical_tab_in_padding", u"YQ\t=\v=", true, "a"},
                      DecodeCase{"only_white_space", u" \r\n\t", true, ""},
                      // Unpadded tails: k characters give k - 1 bytes.
                      DecodeCase{"unpadded_two", u"YQ", true, "a"},
                      DecodeCase{"unpadded_three", u"YWI", true, "ab"},
                      DecodeCase{"unpadded_after_group", u"YWJjYQ", true, "abca"},
                      DecodeCase{"single_char_tail", u"YWJjY", false, ""},
                      DecodeCase{"single_char", u"Y", false, ""},
                      DecodeCase{"partial_padding", u"YQ=", false, ""},
                      DecodeCase{"three_pads", u"Y===", false, ""},
                      DecodeCase{"only_padding", u"====", false, ""},
                      DecodeCase{"padding_in_the_middle", u"YQ==YQ==", false, ""},
                      DecodeCase{"pad_inside_group", u"Y=Jj", false, ""},
                      DecodeCase{"not_in_alphabet", u"YW-j", false, ""},
                      DecodeCase{"control_character", u"YWJj\x01", false, ""},
                      DecodeCase{"top_bit_letter", u"YW\u00C1j", false, ""}, // 'A' | 0x80
                      DecodeCase{"unit_with_letter_low_byte", u"YWJ\u0141", false, ""},
                      DecodeCase{"unit_with_space_low_byte", u"YW\u0120Jj", false, ""}),
    [](const ::testing::TestParamInfo<DecodeCase>& info) { return info.param.name; });

TEST(LxBase64, NullInputs)
{
    Base64Coder coder;
    EXPECT_TRUE(coder.Encode(nullptr, 0));
    EXPECT_STREQ(coder.EncodedBuffer(), "");

    ASSERT_TRUE(Encode(coder, "abc"));
    EXPECT_FALSE(coder.Encode(nullptr, 3));
    EXPECT_EQ(Encoded(coder), "");
    EXPECT_STREQ(coder.EncodedBuffer(), "");

    EXPECT_TRUE(coder.DecodeW(nullptr));
    EXPECT_EQ(Decoded(coder), "");
    EXPECT_FALSE(coder.SetEncodeBufferA(nullptr, 2));
    EXPECT_FALSE(coder.SetDecodeBuffer(nullptr, 2));
}

// ---- Agreement with coreutils

class LxBase64Coreutils : public ::testing::Test
{
  protected:
    // base64 of the bytes with the given options ("-w0" or "" for the
    // default wrap at 76).
    std::string Coreutils(const std::string& bytes, const char* options)
    {
        const auto in = m_dir.path() / "in.bin";
        const auto out = m_dir.path() / "out.b64";
        WriteFile(in, bytes);
        const std::string command =
            std::string("base64 ") + options + " '" + in.string() + "' > '" + out.string() + "'";
        EXPECT_EQ(std::system(command.c_str()), 0) << command;
        return ReadFile(out);
    }

    void ExpectAgreement(const std::string& bytes)
    {
        SCOPED_TRACE("length " + std::to_string(bytes.size()));
        Base64Coder coder;
        ASSERT_TRUE(Encode(coder, bytes));
        EXPECT_EQ(Encoded(coder), Coreutils(bytes, "-w0"));

        const std::string wrapped = Coreutils(bytes, "");
        ASSERT_TRUE(coder.DecodeA(wrapped.c_str()));
        EXPECT_EQ(Decoded(coder), bytes);
        ASSERT_TRUE(coder.DecodeW(U16(wrapped.c_str()).c_str()));
        EXPECT_EQ(Decoded(coder), bytes);
    }

    std::string RandomBytes(size_t n)
    {
        std::uniform_int_distribution<int> byte(0, 255);
        std::string bytes(n, '\0');
        for (char& b : bytes)
            b = char(byte(m_random));
        return bytes;
    }

    ScopedTempDir m_dir;
    std::mt19937 m_random{4648};
};

TEST_F(LxBase64Coreutils, ShortRandomInputs)
{
    for (size_t n = 0; n <= 10; ++n)
        ExpectAgreement(RandomBytes(n));
}

TEST_F(LxBase64Coreutils, LargeRandomInput)
{
    const std::string bytes = RandomBytes(64 * 1024);
    ExpectAgreement(bytes);
    // Wrapped output really has line breaks to skip.
    EXPECT_EQ(Coreutils(bytes, "").find('\n'), 76u);
}

// ---- Buffers

TEST(LxBase64, SecondEncodeReusesBufferAndStartsAfresh)
{
    Base64Coder coder;
    ASSERT_TRUE(Encode(coder, "foobar"));
    const char* first = coder.EncodedBuffer();
    ASSERT_TRUE(Encode(coder, "f"));
    EXPECT_EQ(coder.EncodedBuffer(), first);
    EXPECT_EQ(Encoded(coder), "Zg==");
    for (int i = 4; i < 64; ++i)
        EXPECT_EQ(first[i], 0) << i;
}

TEST(LxBase64, BuffersGrowInSteps)
{
    Base64Coder coder;
    // 3072 bytes give exactly 4096 characters: the buffer must still hold a
    // zero after them.
    ASSERT_TRUE(Encode(coder, std::string(3072, 'x')));
    unsigned size = 0;
    const char* text = coder.EncodedBuffer(&size);
    EXPECT_EQ(size, 4096u);
    EXPECT_EQ(std::strlen(text), 4096u);
}

TEST(LxBase64, InputMayComeFromTheCodersOwnBuffers)
{
    Base64Coder coder;
    ASSERT_TRUE(coder.DecodeA("Zm9vYmFy"));
    unsigned size = 0;
    const unsigned char* bytes = coder.DecodedBuffer(&size);
    ASSERT_TRUE(coder.Encode(bytes, size));
    EXPECT_EQ(Encoded(coder), "Zm9vYmFy");

    // Skipping characters in place.
    ASSERT_TRUE(coder.SetEncodeBufferA("Zm9v YmFy", 9));
    const char* text = coder.EncodedBuffer(&size);
    ASSERT_TRUE(coder.SetEncodeBufferA(text + 4, size - 4));
    EXPECT_EQ(Encoded(coder), "YmFy");

    ASSERT_TRUE(coder.SetDecodeBuffer(reinterpret_cast<const unsigned char*>("abcdef"), 6));
    bytes = coder.DecodedBuffer();
    ASSERT_TRUE(coder.SetDecodeBuffer(bytes + 2, 3));
    EXPECT_EQ(Decoded(coder), "cde");
}

TEST(LxBase64, CopiesOwnTheirBuffers)
{
    Base64Coder original;
    ASSERT_TRUE(Encode(original, "foobar"));

    Base64Coder copy(original);
    EXPECT_NE(copy.EncodedBuffer(), original.EncodedBuffer());
    EXPECT_NE(copy.DecodedBuffer(), original.DecodedBuffer());
    EXPECT_EQ(Encoded(copy), "Zm9vYmFy");
    EXPECT_EQ(Decoded(copy), "foobar");

    ASSERT_TRUE(Encode(original, "abc"));
    EXPECT_EQ(Encoded(copy), "Zm9vYmFy");

    Base64Coder assigned;
    assigned = original;
    EXPECT_NE(assigned.EncodedBuffer(), original.EncodedBuffer());
    EXPECT_EQ(Encoded(assigned), "YWJj");
    const Base64Coder& alias = assigned;
    assigned = alias;
    EXPECT_EQ(Encoded(assigned), "YWJj");

    Base64Coder empty;
    Base64Coder copyOfEmpty(empty);
    EXPECT_EQ(copyOfEmpty.EncodedBuffer(), nullptr);
    // Each of the four coders frees only its own buffers when it ends.
}

// The steps are replaceable: a coder that also skips dots.
class DotSkippingCoder : public Base64Coder
{
  protected:
    bool _IsBadMimeChar(unsigned c) const override
    {
        return c == '.' || Base64Coder::_IsBadMimeChar(c);
    }
};

TEST(LxBase64, StepsAreReplaceable)
{
    DotSkippingCoder coder;
    ASSERT_TRUE(coder.DecodeA("Zm9v.YmFy"));
    EXPECT_EQ(Decoded(coder), "foobar");
}

} // namespace
