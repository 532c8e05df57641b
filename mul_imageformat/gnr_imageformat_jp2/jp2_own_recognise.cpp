// Recognising own XML box texts and parsing own "uuid" box contents. Every
// offset stays inside the given bytes.
#include <cctype>
#include <cstring>

#include "gnr_system/string/LxStringUtils.h"
#include "mul_imageformat/gnr_imageformat_jp2/jp2_extra.h"
#include "w32_system/debugging/LxDiag.h"

namespace
{

struct Root {
    const char* open;
    uint32_t code;
    const char* close; // null: no closing tag is checked
    bool indexed;
};

// Tested in this order; the byte count is the opening text's length.
const Root kRoots[] = {
    {"<AdvancedImageAttributes>", jp2_own_artt, "</AdvancedImageAttributes>", false},
    {"<TextInfo ", jp2_own_tinf, nullptr, false},
    {"<CalibrationSeq ", jp2_own_vcal, "</CalibrationSeq>", true},
    {"<Calibration ", jp2_own_acal, nullptr, false},
    {"<ReportObjects ", jp2_own_srob, nullptr, false},
    {"<ReportObjectsSeq ", jp2_own_vrob, "</ReportObjectsSeq>", true},
    {"<Metadata ", jp2_own_aimd, "</Metadata>", false},
    {"<Metadata_V1.2 ", jp2_own_aim1, "</Metadata_V1.2>", false},
    {"<Metadata_V1.1 ", jp2_own_aim1, "</Metadata_V1.1>", false},
    {"<MetadataSeq ", jp2_own_vimd, "</MetadataSeq>", true},
    {"<Events ", jp2_own_ieve, "</Events>", false},
};

const char kIndexAttribute[] = "_SEQUENCE_INDEX=\""; // 17 bytes

// The text without trailing white space and zero bytes.
size_t TrimmedEnd(const uint8_t* text, size_t size)
{
    while (size > 0 && (text[size - 1] == 0 || isspace(text[size - 1])))
        --size;
    return size;
}

// After the comment and white space; size when the comment is not there.
size_t RootStart(const uint8_t* text, size_t size)
{
    if (size < jp2_generator_comment_size ||
        memcmp(text, jp2_generator_comment, jp2_generator_comment_size) != 0)
        return size;
    size_t at = jp2_generator_comment_size;
    while (at < size && isspace(text[at]))
        ++at;
    return at;
}

// The position of the last '<' in [from, end), or end.
size_t LastOpen(const uint8_t* text, size_t from, size_t end)
{
    for (size_t i = end; i > from; --i)
        if (text[i - 1] == '<')
            return i - 1;
    return end;
}

bool ClosesWith(const uint8_t* text, size_t from, size_t end, const char* tag, size_t tagSize,
                size_t& closeAt)
{
    closeAt = LastOpen(text, from, end);
    return closeAt < end && end - closeAt == tagSize && memcmp(text + closeAt, tag, tagSize) == 0;
}

// Decimal digits into a 32-bit value; false for none or an overflow.
bool ParseIndex(const uint8_t* text, size_t at, size_t end, uint32_t& value, size_t& after)
{
    uint64_t v = 0;
    size_t i = at;
    while (i < end && text[i] >= '0' && text[i] <= '9') {
        v = v * 10 + (text[i] - '0');
        if (v > 0xFFFFFFFFull)
            return false;
        ++i;
    }
    if (i == at)
        return false;
    value = uint32_t(v);
    after = i;
    return true;
}

CLxStringW Name(const uint8_t* text, size_t size)
{
    CLxStringW name;
    CLxStringUtils::UTF8toWn(reinterpret_cast<const char*>(text), name, unsigned(size));
    return name;
}

} // namespace

SLxJP2OwnText LX_Jp2RecogniseText(const uint8_t* text, size_t size)
{
    SLxJP2OwnText result;
    if (!text)
        return result;
    const size_t start = RootStart(text, size);
    const size_t end = TrimmedEnd(text, size);
    if (start >= end)
        return result;
    for (const Root& root : kRoots) {
        const size_t openSize = strlen(root.open);
        if (end - start < openSize || memcmp(text + start, root.open, openSize) != 0)
            continue;
        const size_t afterRoot = start + openSize;
        if (!root.close) {
            result.uiCode = root.code;
            result.uiInner = start;
            result.uiInnerSize = end - start;
            return result;
        }
        // The opening tag ends at the first '>' (the root itself may end with it).
        size_t gt = start + openSize - 1;
        while (gt < end && text[gt] != '>')
            ++gt;
        size_t closeAt = 0;
        if (gt >= end || !ClosesWith(text, gt + 1, end, root.close, strlen(root.close), closeAt))
            return result;
        result.uiCode = root.code;
        result.uiInner = gt + 1;
        result.uiInnerSize = closeAt - (gt + 1);
        if (root.indexed) {
            const size_t attr = sizeof kIndexAttribute - 1;
            size_t after = 0;
            result.bIndexFound = end - afterRoot > attr &&
                                 memcmp(text + afterRoot, kIndexAttribute, attr) == 0 &&
                                 ParseIndex(text, afterRoot + attr, end, result.uiIndex, after);
            if (!result.bIndexFound) {
                result.uiIndex = 0;
                LX_DIAG_ASSERT_TEXT(u"_SEQUENCE_INDEX", u"Own box text without its frame index.");
            }
        }
        return result;
    }
    return result;
}

SLxJP2OwnText LX_Jp2RecogniseCustomData(const uint8_t* text, size_t size)
{
    SLxJP2OwnText result;
    if (!text)
        return result;
    const size_t start = RootStart(text, size);
    const size_t end = TrimmedEnd(text, size);
    if (start >= end || text[start] != '<')
        return result;
    size_t gt = start + 1;
    while (gt < end && text[gt] != '>')
        ++gt;
    if (gt >= end || gt == start + 1)
        return result;
    const size_t nameSize = gt - start - 1;
    size_t closeAt = LastOpen(text, gt + 1, end);
    // "</" + name + ">"
    if (closeAt >= end || end - closeAt != nameSize + 3 || text[closeAt + 1] != '/' ||
        memcmp(text + closeAt + 2, text + start + 1, nameSize) != 0 || text[end - 1] != '>')
        return result;
    result.uiCode = jp2_own_scdv;
    result.wsName = Name(text + start + 1, nameSize);
    result.uiInner = gt + 1;
    result.uiInnerSize = closeAt - (gt + 1);
    return result;
}

SLxJP2OwnText LX_Jp2RecogniseCustomDataSeq(const uint8_t* text, size_t size)
{
    SLxJP2OwnText result;
    if (!text)
        return result;
    const size_t start = RootStart(text, size);
    const size_t end = TrimmedEnd(text, size);
    if (start >= end || text[start] != '<')
        return result;
    // "<name index>": the name runs to white space.
    size_t i = start + 1;
    while (i < end && !isspace(text[i]) && text[i] != '>')
        ++i;
    const size_t nameSize = i - start - 1;
    if (nameSize == 0 || i >= end || !isspace(text[i]))
        return result;
    while (i < end && isspace(text[i]))
        ++i;
    uint32_t index = 0;
    size_t after = 0;
    if (!ParseIndex(text, i, end, index, after) || after >= end || text[after] != '>')
        return result;
    const size_t closeAt = LastOpen(text, after + 1, end);
    if (closeAt >= end || end - closeAt != nameSize + 3 || text[closeAt + 1] != '/' ||
        memcmp(text + closeAt + 2, text + start + 1, nameSize) != 0 || text[end - 1] != '>')
        return result;
    result.uiCode = jp2_own_vcdv;
    result.uiIndex = index;
    result.wsName = Name(text + start + 1, nameSize);
    result.uiInner = after + 1;
    result.uiInnerSize = closeAt - (after + 1);
    return result;
}

bool LX_Jp2ParseCustomBinary(const uint8_t* data, size_t size, CLxStringW& name, size_t& dataOffset)
{
    const void* zero = data ? memchr(data, 0, size) : nullptr;
    if (!zero)
        return false;
    const size_t nameSize = size_t(static_cast<const uint8_t*>(zero) - data);
    name = Name(data, nameSize);
    dataOffset = nameSize + 1;
    return true;
}

bool LX_Jp2ParseCustomBinarySeq(const uint8_t* data, size_t size, CLxStringW& name, uint32_t& index,
                                size_t& dataOffset)
{
    size_t at = 0;
    if (!LX_Jp2ParseCustomBinary(data, size, name, at) || size - at < 4)
        return false;
    index = uint32_t(data[at]) | (uint32_t(data[at + 1]) << 8) | (uint32_t(data[at + 2]) << 16) |
            (uint32_t(data[at + 3]) << 24);
    dataOffset = at + 4;
    return true;
}
