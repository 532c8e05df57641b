#include "mul_imageformat/gnr_imageformat_qx2/LxQX2ChunkNames.h"

#include <cstring>

#include "gnr_system/string/LxStringUtils.h"
#include "mul_imageformat/gnr_imageformat_qx2/LxChunkLayout.h"

namespace LxQX2Names
{

namespace
{

bool StartsWith(const char* text, const char* prefix, size_t* length)
{
    *length = strlen(prefix);
    return strncmp(text, prefix, *length) == 0;
}

// A plain decimal of [p, end) no larger than kMaxFrameIndex.
bool ParseDecimal(const char* p, const char* end, uint32_t* value)
{
    const size_t digits = size_t(end - p);
    if (digits == 0 || digits > 8 || (digits > 1 && *p == '0'))
        return false;
    uint32_t v = 0;
    for (; p != end; ++p) {
        if (*p < '0' || *p > '9')
            return false;
        v = v * 10 + uint32_t(*p - '0');
    }
    if (v > kMaxFrameIndex)
        return false;
    *value = v;
    return true;
}

// "<prefix><name>|<index>!" with a non-empty name.
bool IsCustomSeq(const char* name, const char* prefix)
{
    size_t n = 0;
    if (!StartsWith(name, prefix, &n))
        return false;
    const char* rest = name + n;
    const char* bang = strchr(rest, '!');
    const char* bar =
        bang ? static_cast<const char*>(memrchr(rest, '|', size_t(bang - rest))) : nullptr;
    uint32_t index = 0;
    return bar && bar != rest && bang[1] == 0 && ParseDecimal(bar + 1, bang, &index);
}

} // namespace

CLxStringA Indexed(const char* prefix, uint32_t seq)
{
    CLxStringA name;
    name.Format("%s%u!", prefix, seq);
    return name;
}

CLxStringA Custom(ECustomKind kind, const char16_t* name, uint32_t seq)
{
    CLxStringA utf8;
    CLxStringUtils::WtoUTF8(name, utf8);
    CLxStringA out;
    switch (kind) {
    case eCustomBytes:
        out.Format("CustomData|%s!", utf8.GetString());
        break;
    case eCustomBytesSeq:
        out.Format("CustomDataSeq|%s|%u!", utf8.GetString(), seq);
        break;
    case eCustomVar:
        out.Format("CustomDataVar|%s!", utf8.GetString());
        break;
    case eCustomVarSeq:
        out.Format("CustomDataVarSeq|%s|%u!", utf8.GetString(), seq);
        break;
    }
    return out;
}

bool ParseIndexed(const char* name, const char* prefix, uint32_t* index)
{
    size_t n = 0;
    if (!name || !StartsWith(name, prefix, &n))
        return false;
    const char* digits = name + n;
    const char* bang = strchr(digits, '!');
    return bang && bang[1] == 0 && ParseDecimal(digits, bang, index);
}

bool IsKnown(const char* name)
{
    static const char* const kFixed[] = {LxChunkLayout::kSignatureName,
                                         LxChunkLayout::kMapChunkName,
                                         kExperiment,
                                         kEvents,
                                         kBinary,
                                         kTextInfo,
                                         kAttributes,
                                         kReportObjects};
    static const char* const kIndexed[] = {kMetadataPrefix, kCalibrationPrefix,
                                           kReportObjectsPrefix, kFramePrefix};
    for (const char* fixed : kFixed)
        if (strcmp(name, fixed) == 0)
            return true;
    uint32_t index = 0;
    for (const char* prefix : kIndexed)
        if (ParseIndexed(name, prefix, &index))
            return true;
    size_t n = 0;
    return StartsWith(name, "CustomData|", &n) || StartsWith(name, "CustomDataVar|", &n) ||
           IsCustomSeq(name, "CustomDataSeq|") || IsCustomSeq(name, "CustomDataVarSeq|");
}

} // namespace LxQX2Names
