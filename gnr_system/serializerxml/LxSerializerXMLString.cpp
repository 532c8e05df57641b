// The serializer object: finds its text through named parameters and hands
// it to the XML reader or writer.
#include "gnr_system/serializerxml/LxSerializerXML.h"
#include "gnr_system/string/LxString.h"
#include "gnr_system/variant/LxVariant.h"

LX_DEFINE_CONSTRUCTOR(CLxSerializerXMLString)

CLxClassInfo CLxSerializerXMLString::sm_classCLxSerializerXMLString(
    "CLxSerializerXMLString", "ILxSerializer", nullptr, nullptr, nullptr, nullptr, nullptr, nullptr,
    nullptr, nullptr, int(sizeof(CLxSerializerXMLString)),
    &LX_ConstructorForCLxSerializerXMLString);

namespace
{

enum : int { kBadArgument = -4, kFailed = -9 };

// The pointer held by a parameter; null when the parameter is no "voidPtr"
// (a byte array would convert to the address of its bytes, which is no
// string object) or holds null.
void* PointerOf(const CLxVariant& param)
{
    if (!param.GetData() || param.GetData()->GetKind() != eLxVariantVoidPtr)
        return nullptr;
    return param.GetVoidPtr();
}

// The length that goes with a raw text; false when "rawStringLen" is missing
// or not a number.
bool RawLength(const CLxVariant& params, size_t& length)
{
    const CLxVariant* param = params.Search(u"rawStringLen");
    bool ok = false;
    if (param)
        length = param->GetLx_uint32(&ok);
    return ok;
}

} // namespace

int CLxSerializerXMLString::Load(CLxVariant& out, const CLxVariant& params)
{
    enum EKey { eString, eRawString, eStringUTF8, eRawStringUTF8, eKeyCount };
    static const char16_t* const kKeys[eKeyCount] = {u"string", u"rawString", u"stringUTF8",
                                                     u"rawStringUTF8"};
    for (int key = 0; key < eKeyCount; ++key) {
        const CLxVariant* param = params.Search(kKeys[key]);
        if (!param)
            continue;
        void* pointer = PointerOf(*param);
        if (!pointer)
            return kBadArgument;
        size_t length = 0;
        if ((key == eRawString || key == eRawStringUTF8) && !RawLength(params, length))
            return kFailed;
        switch (key) {
        case eString:
            return CLxXMLAPI::VariantFromXML(out, *static_cast<const CLxStringW*>(pointer));
        case eRawString:
            return CLxXMLAPI::VariantFromXML(out, static_cast<const char16_t*>(pointer), length);
        case eStringUTF8:
            return CLxXMLAPI::VariantFromXML_UTF8(out, *static_cast<const CLxStringA*>(pointer));
        default:
            return CLxXMLAPI::VariantFromXML_UTF8(out, static_cast<const char*>(pointer), length);
        }
    }
    return kBadArgument;
}

int CLxSerializerXMLString::Save(CLxVariant& params, const CLxVariant& in)
{
    if (const CLxVariant* param = params.Search(u"string")) {
        CLxStringW* text = static_cast<CLxStringW*>(PointerOf(*param));
        return text ? CLxXMLAPI::VariantToXMLDocument(*text, in) : kBadArgument;
    }
    if (const CLxVariant* param = params.Search(u"stringUTF8")) {
        CLxStringA* text = static_cast<CLxStringA*>(PointerOf(*param));
        return text ? CLxXMLAPI::VariantToXMLDocument_UTF8(*text, in) : kBadArgument;
    }
    return kBadArgument;
}

CLxClassInfo* CLxSerializerXMLString::GetCLxClassInfo()
{
    return &sm_classCLxSerializerXMLString;
}

ILxInterface* CLxSerializerXMLString::QueryInterface(const char* interfaceName)
{
    if (LX_IsInterfaceName(interfaceName, "ILxSerializer"))
        return AddRefAndReturn(static_cast<ILxSerializer*>(this));
    return nullptr;
}
