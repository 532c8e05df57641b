#include <gtest/gtest.h>

#include <string>

#include "mul_imageformat/gnr_imageformat_jp2/jp2_error.h"

TEST(Jp2Error, ExceptionKeepsAtMost255Characters)
{
    const std::string text(300, 'x');
    CLxJP2ErrorException e(text.c_str());
    EXPECT_EQ(std::string(e.GetText()), text.substr(0, 255));
    EXPECT_EQ(e.GetCode(), -9);
    EXPECT_EQ(CLxJP2ErrorException(nullptr, -1107).GetCode(), -1107);
    EXPECT_STREQ(CLxJP2ErrorException(nullptr).GetText(), "");
}

TEST(Jp2Error, MessageInTwoPiecesKeepsTheSecond)
{
    CLxJP2ErrorMessage message;
    message.PutText("first piece");
    message.PutText(std::string(300, 'y').c_str());
    try {
        message.End();
        FAIL() << "End() returned";
    } catch (const CLxJP2ErrorException& e) {
        EXPECT_EQ(std::string(e.GetText()), std::string(255, 'y'));
        EXPECT_EQ(e.GetCode(), -9);
    }
}

TEST(Jp2Error, HandlerInstallsNothingAndSaysSo)
{
    EXPECT_EQ(LX_InitJp2ErrorHandler(), 1);
}
