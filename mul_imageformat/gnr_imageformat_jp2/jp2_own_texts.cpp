// Builders of the own XML box texts and the contents of own "uuid" boxes.
#include <clocale>
#include <cstdio>
#include <cstring>

#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxStringUtils.h"
#include "gnr_system/variant/LxVariant.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"

namespace
{

CLxStringA Begin()
{
    CLxStringA text(jp2_generator_comment);
    text += "\r\n";
    return text;
}

// printf's "%f" family without the process locale's decimal separator.
CLxStringA Fixed(const char* format, double value)
{
    char buffer[512];
    snprintf(buffer, sizeof buffer, format, value);
    const char* point = localeconv()->decimal_point;
    if (point && point[0] && point[0] != '.' && !point[1])
        for (char* p = buffer; *p; ++p)
            if (*p == point[0])
                *p = '.';
    return CLxStringA(buffer);
}

CLxStringA Unsigned(uint32_t value)
{
    char buffer[16];
    snprintf(buffer, sizeof buffer, "%u", value);
    return CLxStringA(buffer);
}

// The serializer's UTF-8 text from its "<variant" element on.
CLxStringA VariantXml(const CLxVariant& v)
{
    CLxStringA document;
    CLxXMLAPI::VariantToXMLDocument_UTF8(document, v);
    const int at = document.Find("<variant");
    return at > 0 ? document.Mid(at) : document;
}

CLxStringA Utf8(const CLxStringW& text)
{
    CLxStringA out;
    CLxStringUtils::WtoUTF8(text.GetString(), out);
    return out;
}

CLxStringA AttributeValue(const CLxStringW& text)
{
    CLxStringW escaped(text);
    CLxXMLAPI::ValidateXML_AttValue(escaped);
    return Utf8(escaped);
}

// A tag name of custom data: no blank, no markup, not empty.
bool UsableName(const CLxStringA& name)
{
    if (name.IsEmpty())
        return false;
    for (int i = 0; i < name.GetLength(); ++i) {
        const unsigned char c = static_cast<unsigned char>(name[i]);
        if (c <= ' ' || strchr("<>/\"'&=", c))
            return false;
    }
    return true;
}

} // namespace

CLxStringA LX_Jp2TextAdvancedAttributes(uint32_t significantBits, uint32_t virtualComponents)
{
    CLxVariant v;
    v.Append(CLxVariant(significantBits, CLxStringW(u"SignificantBits")));
    v.Append(CLxVariant(virtualComponents, CLxStringW(u"VirtualComponents")));
    CLxStringA text = Begin();
    text += "<AdvancedImageAttributes>";
    text += VariantXml(v);
    text += "</AdvancedImageAttributes>\r\n";
    return text;
}

CLxStringA LX_Jp2TextCalibration(double calibration, double aspect)
{
    CLxStringA text = Begin();
    text +=
        "<Calibration _DOCTYPE=\"CalibrationDocument\" _VERSION=\"1.000000\"><CalibrationValues "
        "Calibration_11=\"";
    text += Fixed("%f", calibration);
    text += "\" Calibration_12=\"0\" Calibration_21=\"0\" Calibration_22=\"";
    text += Fixed("%f", calibration * aspect);
    text += "\"/></Calibration>\r\n";
    return text;
}

CLxStringA LX_Jp2TextCalibrationSeq(uint32_t index, double calibration, double aspect, bool valid,
                                    const CLxStringW& objective)
{
    CLxVariant v;
    v.Append(CLxVariant(calibration, CLxStringW(u"dCalibration")));
    v.Append(CLxVariant(aspect, CLxStringW(u"dAspect")));
    v.Append(CLxVariant(valid, CLxStringW(u"bValid")));
    v.Append(CLxVariant(objective, CLxStringW(u"sObjective")));
    CLxStringA text = Begin();
    text += "<CalibrationSeq _SEQUENCE_INDEX=\"";
    text += Unsigned(index);
    text += "\">";
    text += VariantXml(v);
    text += "</CalibrationSeq>\r\n";
    return text;
}

CLxStringA LX_Jp2TextReportObjects(const CLxStringA& reportObjects)
{
    CLxStringA text = Begin();
    text += reportObjects;
    return text;
}

CLxStringA LX_Jp2TextReportObjectsSeq(uint32_t index, const CLxStringA& reportObjects)
{
    CLxStringA text = Begin();
    text += "<ReportObjectsSeq _SEQUENCE_INDEX=\"";
    text += Unsigned(index);
    text += "\">";
    text += reportObjects;
    text += "</ReportObjectsSeq>";
    return text;
}

CLxStringA LX_Jp2TextExperiment(const CLxVariant& experiment)
{
    CLxStringA text = Begin();
    text += "<Metadata_V1.2 version=\"1.0\">";
    text += VariantXml(experiment);
    text += "</Metadata_V1.2>";
    return text;
}

CLxStringA LX_Jp2TextExperimentOld(const CLxVariant& experiment)
{
    CLxStringA text = Begin();
    text += "<Metadata version=\"1.0\">";
    text += VariantXml(experiment);
    text += "</Metadata>";
    return text;
}

CLxStringA LX_Jp2TextPictureMetadata(uint32_t index, const CLxVariant& metadata)
{
    CLxStringA text = Begin();
    text += "<MetadataSeq _SEQUENCE_INDEX=\"";
    text += Unsigned(index);
    text += "\">";
    text += VariantXml(metadata);
    text += "</MetadataSeq>";
    return text;
}

CLxStringA LX_Jp2TextTextInfo(int count, double version, const CLxStringW* texts, size_t n)
{
    char head[64];
    snprintf(head, sizeof head, "<TextInfo Count=\"%d\" _DOCTYPE=\"TextInfoDocument\" _VERSION=\"",
             count);
    CLxStringA text = Begin();
    text += head;
    text += Fixed("%0.6f", version);
    text += "\">";
    for (uint32_t i = 0; i < 14; ++i) {
        text += "<TextInfoItem Text=\"";
        if (texts && i < n)
            text += AttributeValue(texts[i]);
        text += "\" Index=\"";
        text += Unsigned(i);
        text += "\"/>";
    }
    text += "</TextInfo>\r\n";
    return text;
}

CLxStringA LX_Jp2TextEvents(const CLxVariant& events)
{
    CLxStringA text = Begin();
    text += "<Events version=\"1.0\">";
    text += VariantXml(events);
    text += "</Events>";
    return text;
}

bool LX_Jp2TextCustomData(const CLxStringW& name, const CLxVariant& data, CLxStringA& text)
{
    const CLxStringA tag = Utf8(name);
    text.Empty();
    if (!UsableName(tag))
        return false;
    text = Begin();
    text += "<";
    text += tag;
    text += ">";
    text += VariantXml(data);
    text += "</";
    text += tag;
    text += ">";
    return true;
}

bool LX_Jp2TextCustomDataSeq(const CLxStringW& name, uint32_t index, const CLxVariant& data,
                             CLxStringA& text)
{
    const CLxStringA tag = Utf8(name);
    text.Empty();
    if (!UsableName(tag))
        return false;
    text = Begin();
    text += "<";
    text += tag;
    text += " ";
    text += Unsigned(index);
    text += ">";
    text += VariantXml(data);
    text += "</";
    text += tag;
    text += ">";
    return true;
}

namespace
{

void Append(std::vector<uint8_t>& out, const void* data, size_t size)
{
    if (size)
        out.insert(out.end(), static_cast<const uint8_t*>(data),
                   static_cast<const uint8_t*>(data) + size);
}

void AppendName(std::vector<uint8_t>& out, const CLxStringW& name)
{
    const CLxStringA narrow = Utf8(name);
    Append(out, narrow.GetString(), size_t(narrow.GetLength()) + 1);
}

} // namespace

void LX_Jp2UuidCustomBinary(const CLxStringW& name, const uint8_t* data, size_t size,
                            std::vector<uint8_t>& out)
{
    out.clear();
    Append(out, jp2_uuid_scdb, 16);
    AppendName(out, name);
    Append(out, data, size);
}

void LX_Jp2UuidCustomBinarySeq(const CLxStringW& name, uint32_t index, const uint8_t* data,
                               size_t size, std::vector<uint8_t>& out)
{
    out.clear();
    Append(out, jp2_uuid_vcdb, 16);
    AppendName(out, name);
    const uint8_t le[4] = {uint8_t(index), uint8_t(index >> 8), uint8_t(index >> 16),
                           uint8_t(index >> 24)};
    Append(out, le, 4);
    Append(out, data, size);
}

void LX_Jp2UuidImageBinary(const uint8_t* data, size_t size, std::vector<uint8_t>& out)
{
    out.clear();
    Append(out, jp2_uuid_binl, 16);
    Append(out, data, size);
}
