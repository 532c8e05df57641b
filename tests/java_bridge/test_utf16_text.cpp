#include <gtest/gtest.h>

#include <clocale>
#include <cmath>
#include <cstdio>
#include <limits>
#include <string>

#include "java_bridge/LxUtf16Text.h"

namespace
{

std::u16string ascii(const std::string& text)
{
    return std::u16string(text.begin(), text.end());
}

// The bridge's "%.2f" against the C library's in the C locale, whatever
// locale the process has.
TEST(JavaBridgeText, Fixed2IsPrintfInTheCLocale)
{
    const double values[] = {0.0,
                             -0.0,
                             1.5,
                             -2.25,
                             10.0,
                             1.4,
                             1.518,
                             509.0,
                             0.125,
                             0.135,
                             1.005,
                             -0.001,
                             1e-300,
                             123456789.987,
                             1e300,
                             -1.7976931348623157e308,
                             std::numeric_limits<double>::infinity(),
                             -std::numeric_limits<double>::infinity()};
    for (double value : values) {
        char expected[400];
        std::snprintf(expected, sizeof(expected), "%.2f", value);
        std::u16string text = u"<";
        lxjava::AppendFixed2(text, value);
        EXPECT_EQ(u"<" + ascii(expected), text) << expected;
    }
    std::u16string nan;
    lxjava::AppendFixed2(nan, std::numeric_limits<double>::quiet_NaN());
    EXPECT_EQ(u"nan", nan);
}

TEST(JavaBridgeText, NamesEndAtTheirTerminatorOrLength)
{
    const char16_t name[] = {u'G', u'F', u'P', 0, u'x'};
    std::u16string text;
    lxjava::AppendName(text, name, 5);
    EXPECT_EQ(u"GFP", text);
    text.clear();
    lxjava::AppendName(text, name, 2);
    EXPECT_EQ(u"GF", text);
}

TEST(JavaBridgeText, Utf8OfUtf16)
{
    const struct {
        std::u16string in;
        std::string out;
    } cases[] = {
        {u"", ""},
        {u"/data/donn\u00e9es/a.qx2", "/data/donn\xC3\xA9"
                                      "es/a.qx2"},
        {u"\u2013", "\xE2\x80\x93"},
        {u"\U0001F4C1", "\xF0\x9F\x93\x81"},
        {std::u16string(1, char16_t(0xD83D)) + u"x", "\xEF\xBF\xBDx"}, // lone high
        {std::u16string(1, char16_t(0xDC01)), "\xEF\xBF\xBD"},         // lone low
        {std::u16string(1, char16_t(0xD83D)), "\xEF\xBF\xBD"},         // high at the end
    };
    for (const auto& c : cases)
        EXPECT_EQ(c.out, lxjava::ToUtf8(c.in));
}

} // namespace
