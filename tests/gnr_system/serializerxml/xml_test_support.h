// Helpers of the variant XML tests: documents as bytes, xmllint as an outside
// judge, a registered record type, and reading back in either encoding.
#pragma once

#include <gtest/gtest.h>

#include <cstdio>
#include <fstream>
#include <string>
#include <sys/wait.h>
#include <unistd.h>
#include <vector>

#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "gnr_system/variant/variant_test_support.h"
#include "test_support.h"

// The bytes of a UTF-16 text as it lies in memory (little-endian units).
inline std::string BytesOf(const CLxStringW& text)
{
    return std::string(reinterpret_cast<const char*>(text.GetString()),
                       size_t(text.GetLength()) * 2);
}

inline std::string BytesOf(const CLxStringA& text)
{
    return std::string(text.GetString(), size_t(text.GetLength()));
}

inline std::u16string Units(const CLxStringW& text)
{
    return std::u16string(text.GetString(), size_t(text.GetLength()));
}

inline CLxStringW DocumentW(const CLxVariant& v)
{
    CLxStringW text;
    EXPECT_EQ(CLxXMLAPI::VariantToXMLDocument(text, v), 0);
    return text;
}

inline CLxStringA DocumentA(const CLxVariant& v)
{
    CLxStringA text;
    EXPECT_EQ(CLxXMLAPI::VariantToXMLDocument_UTF8(text, v), 0);
    return text;
}

// The documents, passed to xmllint --noout in one run: "" when all are
// well-formed, else xmllint's complaints.
inline bool HaveXmllint()
{
    return access("/usr/bin/xmllint", X_OK) == 0;
}

inline std::string XmllintComplaints(const std::vector<std::string>& documents)
{
    ScopedTempDir dir;
    std::string command = "/usr/bin/xmllint --noout";
    for (size_t i = 0; i < documents.size(); ++i) {
        const std::string path = (dir.path() / ("doc" + std::to_string(i) + ".xml")).string();
        std::ofstream(path, std::ios::binary) << documents[i];
        command += " '" + path + "'";
    }
    command += " 2>&1";
    std::string output;
    FILE* pipe = popen(command.c_str(), "r");
    if (!pipe)
        return "xmllint could not be started";
    char buffer[4096];
    size_t n;
    while ((n = fread(buffer, 1, sizeof buffer, pipe)) > 0)
        output.append(buffer, n);
    const int status = pclose(pipe);
    if (output.empty() && !(WIFEXITED(status) && WEXITSTATUS(status) == 0))
        output = "xmllint failed without a message";
    return output;
}

#define SKIP_WITHOUT_XMLLINT()                                                                     \
    do {                                                                                           \
        if (!HaveXmllint())                                                                        \
            LXTEST_SKIP_WITHOUT_TOOL() << "xmllint is missing (Debian package libxml2-utils)";     \
    } while (0)

// A record type for the tests: "RLxXmlTestRecord" with uiCount ("lx_uint32",
// 7) and wsLabel ("CLxStringW", "none").
inline CLxVariantRunType TestRecordType()
{
    static const bool registered = [] {
        CLxVariant count(7u, u"uiCount");
        CLxVariant label(u"none", u"wsLabel");
        CLxVariant end;
        return CLxVariant::RegisterRunType(
                   CLxVariant::CreateStruct(u"RLxXmlTestRecord", &count, &label, &end)) == 0;
    }();
    EXPECT_TRUE(registered);
    return CLxVariantRunType("RLxXmlTestRecord");
}

// The tree read back from a UTF-16 or UTF-8 document; the status in *status.
inline CLxVariant ReadW(const CLxStringW& text, int* status = nullptr)
{
    CLxVariant out;
    const int result = CLxXMLAPI::VariantFromXML(out, text);
    if (status)
        *status = result;
    else
        EXPECT_EQ(result, 0) << U8(text.GetString());
    return out;
}

inline CLxVariant ReadA(const std::string& text, int* status = nullptr)
{
    CLxVariant out;
    const int result = CLxXMLAPI::VariantFromXML_UTF8(out, text.data(), text.size());
    if (status)
        *status = result;
    else
        EXPECT_EQ(result, 0) << text;
    return out;
}

inline CLxVariant ReadW16(const std::u16string& text, int* status = nullptr)
{
    CLxVariant out;
    const int result = CLxXMLAPI::VariantFromXML(out, text.data(), text.size());
    if (status)
        *status = result;
    else
        EXPECT_EQ(result, 0) << U8(text.c_str());
    return out;
}

// The tree's dump, for failure messages (cut after 4000 bytes).
inline std::string DumpOf(const CLxVariant& v)
{
    CLxStringW dump;
    std::string text = U8(CLxVariant::Trace(dump, v).GetString());
    if (text.size() > 4000)
        text = text.substr(0, 4000) + "...";
    return text;
}

// "<?xml ...?><variant version="1.0">" + body + "</variant>" in UTF-8.
inline std::string Doc8(const std::string& body)
{
    return "<?xml version=\"1.0\" encoding=\"UTF-8\"?><variant version=\"1.0\">" + body +
           "</variant>";
}
