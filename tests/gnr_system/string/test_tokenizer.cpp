#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gnr_system/string/LxStringTokenizer.h"
#include "string_test_support.h"
#include "test_support.h"

namespace
{

using Tokens = std::vector<std::u16string>;

std::string Show(const Tokens& tokens)
{
    std::string out = "[";
    for (const auto& t : tokens)
        out += (out.size() > 1 ? "|" : "") + U8(t.c_str());
    return out + "]";
}

struct TokenizerCase {
    const char* name;
    const char16_t* text;
    const char16_t* delimiters;
    Tokens tokens; // what GetNextToken gives while HasMoreTokens
    Tokens fields; // what GetToken(0 .. Size() - 1) gives
};

class TokenizerTable : public ::testing::TestWithParam<TokenizerCase>
{
};

TEST_P(TokenizerTable, IteratesTokens)
{
    const TokenizerCase& c = GetParam();
    CLxStringTokenizer tokenizer(c.text, c.delimiters);
    Tokens tokens;
    while (tokenizer.HasMoreTokens() && tokens.size() <= c.tokens.size())
        tokens.push_back(ToU16(tokenizer.GetNextToken()));
    EXPECT_EQ(Show(tokens), Show(c.tokens));

    // Past the end there is nothing more, and asking again is harmless.
    EXPECT_FALSE(tokenizer.HasMoreTokens());
    EXPECT_TRUE(tokenizer.GetNextToken().IsEmpty());
    EXPECT_FALSE(tokenizer.HasMoreTokens());
}

TEST_P(TokenizerTable, CountsAndIndexesFields)
{
    const TokenizerCase& c = GetParam();
    const CLxStringTokenizer tokenizer(c.text, c.delimiters);
    ASSERT_EQ(tokenizer.Size(), int(c.fields.size()));
    Tokens fields;
    for (int i = 0; i < tokenizer.Size(); ++i)
        fields.push_back(ToU16(tokenizer.GetToken(i)));
    EXPECT_EQ(Show(fields), Show(c.fields));
    EXPECT_TRUE(tokenizer.GetToken(-1).IsEmpty());
    EXPECT_TRUE(tokenizer.GetToken(tokenizer.Size()).IsEmpty());
}

INSTANTIATE_TEST_SUITE_P(
    LxStringTokenizer, TokenizerTable,
    ::testing::Values(
        TokenizerCase{"plain", u"a,b,c", u",", {u"a", u"b", u"c"}, {u"a", u"b", u"c"}},
        TokenizerCase{"empty_token", u"a,,b", u",", {u"a", u"", u"b"}, {u"a", u"", u"b"}},
        TokenizerCase{"delimiter_at_end", u"a,b,", u",", {u"a", u"b"}, {u"a", u"b", u""}},
        TokenizerCase{"delimiter_at_start", u",a", u",", {u"", u"a"}, {u"", u"a"}},
        TokenizerCase{"only_delimiters", u";;", u";", {u"", u""}, {u"", u"", u""}},
        TokenizerCase{"one_delimiter", u",", u",", {u""}, {u"", u""}},
        TokenizerCase{"empty_text", u"", u",", {}, {}},
        TokenizerCase{"null_text", nullptr, u",", {}, {}},
        TokenizerCase{"no_delimiter_in_text", u"abc", u",", {u"abc"}, {u"abc"}},
        TokenizerCase{"empty_delimiter_set", u"a,b", u"", {u"a,b"}, {u"a,b"}},
        TokenizerCase{"null_delimiter_set", u"a,b", nullptr, {u"a,b"}, {u"a,b"}},
        TokenizerCase{"several_delimiters",
                      u"12:30 5.6",
                      u": .",
                      {u"12", u"30", u"5", u"6"},
                      {u"12", u"30", u"5", u"6"}},
        // There is no quoting: quotes are ordinary characters.
        TokenizerCase{"quotes_are_plain", u"\"a,b\"", u",", {u"\"a", u"b\""}, {u"\"a", u"b\""}},
        TokenizerCase{"non_bmp_text",
                      u"\U0001F600,\u00E9",
                      u",",
                      {u"\U0001F600", u"\u00E9"},
                      {u"\U0001F600", u"\u00E9"}}),
    [](const ::testing::TestParamInfo<TokenizerCase>& info) { return info.param.name; });

TEST(LxStringTokenizer, GetTokenDoesNotMoveThePosition)
{
    CLxStringTokenizer tokenizer(u"a,b,c", u",");
    EXPECT_EQ(ToU16(tokenizer.GetNextToken()), u"a");
    EXPECT_EQ(ToU16(tokenizer.GetToken(2)), u"c");
    EXPECT_EQ(ToU16(tokenizer.GetToken(0)), u"a");
    EXPECT_EQ(ToU16(tokenizer.GetNextToken()), u"b");
}

TEST(LxStringTokenizer, CopiesContinueIndependently)
{
    CLxStringTokenizer original(u"a,b,c", u",");
    original.GetNextToken();
    CLxStringTokenizer copy(original);
    EXPECT_EQ(ToU16(copy.GetNextToken()), u"b");
    EXPECT_EQ(ToU16(copy.GetNextToken()), u"c");
    EXPECT_EQ(ToU16(original.GetNextToken()), u"b");

    CLxStringTokenizer assigned(u"x;y", u";");
    assigned = original;
    EXPECT_EQ(ToU16(assigned.GetNextToken()), u"c");
    EXPECT_EQ(ToU16(original.GetNextToken()), u"c");
}

} // namespace
