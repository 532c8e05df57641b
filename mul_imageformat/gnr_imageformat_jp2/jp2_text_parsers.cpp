#include "mul_imageformat/gnr_imageformat_jp2/jp2_text_parsers.h"

#include <expat.h>

#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>
#include <strings.h>

#include "gnr_metaformats/LxValueRecords.h"
#include "gnr_system/string/LxStringUtils.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

// Expat takes an int length; texts beyond it are fed in pieces.
bool Feed(XML_Parser parser, const char* text, size_t size)
{
    while (size > 0) {
        const int n = size > (1u << 30) ? (1 << 30) : int(size);
        if (XML_Parse(parser, text, n, 0) == XML_STATUS_ERROR)
            return false;
        text += n;
        size -= size_t(n);
    }
    return XML_Parse(parser, "", 0, 1) != XML_STATUS_ERROR;
}

const char* Attribute(const XML_Char** attributes, const char* name)
{
    for (int i = 0; attributes[i]; i += 2)
        if (strcasecmp(attributes[i], name) == 0)
            return attributes[i + 1];
    return nullptr;
}

struct TextInfoState {
    SLxImageTextInfo* info;
    int depth = 0;
    bool rootOk = false;
    bool bad = false;
};

// "%20", "%0D%0A" and "%B5" decoded; lone LF made CR LF.
std::u16string DecodeText(const CLxStringW& in)
{
    const char16_t* s = in.GetString();
    std::u16string out;
    const size_t n = in.GetLength();
    for (size_t i = 0; i < n;) {
        if (s[i] == u'%' && i + 6 <= n && (s[i + 1] == u'0') &&
            (s[i + 2] == u'D' || s[i + 2] == u'd') && s[i + 3] == u'%' && s[i + 4] == u'0' &&
            (s[i + 5] == u'A' || s[i + 5] == u'a')) {
            out += u"\r\n";
            i += 6;
        } else if (s[i] == u'%' && i + 3 <= n && s[i + 1] == u'2' && s[i + 2] == u'0') {
            out += u' ';
            i += 3;
        } else if (s[i] == u'%' && i + 3 <= n && (s[i + 1] == u'B' || s[i + 1] == u'b') &&
                   s[i + 2] == u'5') {
            out += char16_t(0xB5);
            i += 3;
        } else if (s[i] == u'\n' && (out.empty() || out.back() != u'\r')) {
            out += u"\r\n";
            ++i;
        } else {
            out += s[i++];
        }
    }
    return out;
}

void XMLCALL TextInfoStart(void* user, const XML_Char* name, const XML_Char** attributes)
{
    auto* st = static_cast<TextInfoState*>(user);
    if (st->depth++ == 0) {
        const char* doctype = Attribute(attributes, "_DOCTYPE");
        st->rootOk =
            strcmp(name, "TextInfo") == 0 && doctype && strcmp(doctype, "TextInfoDocument") == 0;
        if (const char* version = Attribute(attributes, "_VERSION")) {
            double v = 0;
            (void)sscanf(version, "%lf", &v);
        }
        return;
    }
    if (!st->rootOk)
        return;
    const char* text = Attribute(attributes, "Text");
    const char* index = Attribute(attributes, "Index");
    if (!text || !index)
        return;
    char* end = nullptr;
    const long i = strtol(index, &end, 10);
    if (end == index || i < 0 || i >= SLxImageTextInfo::eTextCount)
        return;
    CLxStringW wide;
    if (!CLxStringUtils::UTF8toW(text, wide))
        return;
    const std::u16string decoded = DecodeText(wide);
    st->info->wsText[i] = CLxStringW(decoded.c_str());
}

void XMLCALL TextInfoEnd(void* user, const XML_Char*)
{
    --static_cast<TextInfoState*>(user)->depth;
}

struct CalibrationState {
    double calibration = 0.0;
    double c22 = 0.0;
};

void XMLCALL CalibrationStart(void* user, const XML_Char* name, const XML_Char** attributes)
{
    auto* st = static_cast<CalibrationState*>(user);
    if (strcasecmp(name, "CalibrationValues") != 0)
        return;
    if (const char* c11 = Attribute(attributes, "Calibration_11"))
        st->calibration = strtod(c11, nullptr);
    if (const char* c22 = Attribute(attributes, "Calibration_22"))
        st->c22 = strtod(c22, nullptr);
}

} // namespace

bool LX_Jp2ParseTextInfo(const char* text, size_t size, SLxImageTextInfo& info)
{
    SLxImageTextInfo parsed(info);
    TextInfoState st{&parsed};
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (!parser)
        return false;
    XML_SetUserData(parser, &st);
    XML_SetElementHandler(parser, TextInfoStart, TextInfoEnd);
    const bool ok = Feed(parser, text, size);
    if (!ok)
        LX_TRACE(u"JP2InputFile - TextInfo XML parsing failed: %hs at line %d",
                 XML_ErrorString(XML_GetErrorCode(parser)), int(XML_GetCurrentLineNumber(parser)));
    XML_ParserFree(parser);
    if (!ok)
        return false;
    if (!st.rootOk) {
        LX_TRACE(u"JP2InputFile - TextInfo XML parsing failed: structure of the data inside XML "
                 u"not valid");
        return false;
    }
    info = parsed;
    return true;
}

bool LX_Jp2ParseOldCalibration(const char* text, size_t size, double& calibration, double& aspect)
{
    CalibrationState st;
    XML_Parser parser = XML_ParserCreate("UTF-8");
    if (!parser)
        return false;
    XML_SetUserData(parser, &st);
    XML_SetStartElementHandler(parser, CalibrationStart);
    const bool ok = Feed(parser, text, size);
    if (!ok) {
        LX_TRACE(u"%hs at line %d", XML_ErrorString(XML_GetErrorCode(parser)),
                 int(XML_GetCurrentLineNumber(parser)));
        LX_TRACE(u"Error: Expat XML parser failure, watch trace for details");
    }
    XML_ParserFree(parser);
    if (!ok)
        return false;
    calibration = std::fabs(st.calibration);
    aspect = st.calibration != 0.0 ? st.c22 / st.calibration : 1.0;
    if (!std::isfinite(aspect))
        aspect = 1.0;
    return true;
}
