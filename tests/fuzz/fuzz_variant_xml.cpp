// libFuzzer target for the variant XML reader: any bytes, read as UTF-8 and
// as UTF-16, must give a status code; a tree that was read must survive a
// round trip through the writer in both encodings unchanged.
//
//   cmake --build build-fuzz --target fuzz_variant_xml fuzz_variant_xml_corpus
//   cd build-fuzz/tests/fuzz && ./fuzz_variant_xml corpora/fuzz_variant_xml
#include <cstddef>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <string>

#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"
#include "w32_system/debugging/LxDiag.h"
#include "fuzz_quiet_reports.h"

namespace
{

// Repeated names make list equality fail on equal trees (a member is paired
// with the first of its name), so only trees without them are compared.
bool HasRepeatedNames(const CLxVariant& v)
{
    const int count = v.GetCount();
    for (int i = 0; i < count; ++i) {
        const CLxVariant* member = v.IndexPtr(i);
        if (!member)
            continue;
        if (!member->GetName().Equals(u"no_name") && v.IndexOf(member->GetName()) != i)
            return true;
        if (HasRepeatedNames(*member))
            return true;
    }
    return false;
}

void CheckRoundTrip(const CLxVariant& tree)
{
    if (HasRepeatedNames(tree))
        return;
    CLxStringW wide;
    CLxXMLAPI::VariantToXMLDocument(wide, tree);
    CLxVariant fromWide;
    if (CLxXMLAPI::VariantFromXML(fromWide, wide) != 0 || !(fromWide == tree))
        abort();
    CLxStringA narrow;
    CLxXMLAPI::VariantToXMLDocument_UTF8(narrow, tree);
    CLxVariant fromNarrow;
    if (CLxXMLAPI::VariantFromXML_UTF8(fromNarrow, narrow) != 0 || !(fromNarrow == tree))
        abort();
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    fuzzing::QuietReports();

    CLxVariant fromUtf8;
    if (CLxXMLAPI::VariantFromXML_UTF8(fromUtf8, reinterpret_cast<const char*>(data), size) == 0)
        CheckRoundTrip(fromUtf8);

    std::u16string units(size / 2, u'\0');
    memcpy(&units[0], data, units.size() * 2);
    CLxVariant fromUtf16;
    if (CLxXMLAPI::VariantFromXML(fromUtf16, units.data(), units.size()) == 0)
        CheckRoundTrip(fromUtf16);
    return 0;
}
