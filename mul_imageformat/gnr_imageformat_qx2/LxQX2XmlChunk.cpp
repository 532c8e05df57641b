#include "mul_imageformat/gnr_imageformat_qx2/LxQX2XmlChunk.h"

#include <atomic>

#include "gnr_system/rtti/LxRTTI.h"
#include "gnr_system/string/LxString.h"

namespace
{

constexpr int kFail = -9;

template <class T> void Item(CLxVariant& list, const char16_t* key, T value)
{
    list.Append(CLxVariant(value, CLxStringW(key)));
}

bool ReadUInt(const CLxVariant& in, const char16_t* key, uint32_t* value)
{
    const CLxVariant* item = in.SearchFixedOneLevel(key);
    bool ok = false;
    const uint32_t v = item ? item->GetLx_uint32(&ok) : 0;
    if (ok)
        *value = v;
    return ok;
}

} // namespace

CLxQX2Serializer::~CLxQX2Serializer()
{
    if (m_pSerializer)
        CLxRTTI::Release(m_pSerializer);
}

ILxSerializer* CLxQX2Serializer::Get()
{
    // The class is this library's own: a program that links the library's
    // objects without its module file still gets it. The registry is asked
    // once; a miss is not searched for again on every document.
    static std::atomic<bool> s_registryLacksIt{false};
    if (!m_pSerializer && !s_registryLacksIt) {
        m_pSerializer = static_cast<ILxSerializer*>(
            CLxRTTI::CreateAndQuery("CLxSerializerXMLString", "ILxSerializer"));
        s_registryLacksIt = m_pSerializer == nullptr;
    }
    if (!m_pSerializer) {
        ILxInterface* made = LX_ConstructorForCLxSerializerXMLString(__FILE__, __LINE__);
        m_pSerializer = static_cast<ILxSerializer*>(CLxRTTI::QueryInterface(made, "ILxSerializer"));
        CLxRTTI::Release(made);
    }
    return m_pSerializer;
}

int CLxQX2Serializer::Load(const CLxByteArray& chunk, CLxVariant& out)
{
    ILxSerializer* serializer = Get();
    if (!serializer)
        return kFail;
    // An empty chunk still needs a pointer to hand over.
    static const char kEmpty = 0;
    const char* text = chunk.GetSize() ? reinterpret_cast<const char*>(chunk.GetData()) : &kEmpty;
    CLxVariant params(CLxListVariant(), CLxStringW(u"params"));
    params.Append(
        CLxVariant(static_cast<void*>(const_cast<char*>(text)), CLxStringW(u"rawStringUTF8")));
    params.Append(CLxVariant(chunk.GetSize(), CLxStringW(u"rawStringLen")));
    const bool previous = out.EnableTypeChange(true);
    out.MakeNull();
    const int rc = serializer->Load(out, params);
    out.EnableTypeChange(previous);
    return rc;
}

int CLxQX2Serializer::Save(const CLxVariant& in, CLxByteArray& chunk)
{
    ILxSerializer* serializer = Get();
    if (!serializer)
        return kFail;
    CLxStringA text;
    CLxVariant params(static_cast<void*>(&text), CLxStringW(u"stringUTF8"));
    const int rc = serializer->Save(params, in);
    if (rc != 0)
        return rc;
    return chunk.SetData(text.GetString(), uint32_t(text.GetLength()), eLxByteArrayOpFromStart,
                         eLxByteArrayAllocExact) == 0
               ? 0
               : -3;
}

CLxVariant LX_QX2AttributesToVariant(const SLxImageAttributes& a)
{
    CLxVariant out(CLxListVariant(), CLxStringW(u"ImageAttributes"));
    Item(out, u"uiWidth", a.uiWidth);
    Item(out, u"uiWidthBytes", a.uiWidthBytes);
    Item(out, u"uiHeight", a.uiHeight);
    Item(out, u"uiComp", a.uiComp);
    Item(out, u"uiBpcInMemory", uint32_t(a.uiBpcInMemory));
    Item(out, u"uiBpcSignificant", uint32_t(a.uiBpcSignificant));
    Item(out, u"uiSequenceCount", a.uiSequenceCount);
    Item(out, u"uiTileWidth", a.uiTileWidth);
    Item(out, u"uiTileHeight", a.uiTileHeight);
    Item(out, u"eCompression", int(a.eCompression));
    Item(out, u"dCompressionParam", a.dCompressionParam);
    if (a.uiComp >= 1)
        Item(out, u"uiVirtualComponents", a.uiComp);
    return out;
}

void LX_QX2AttributesFromVariant(const CLxVariant& in, SLxImageAttributes& a)
{
    uint32_t v = 0;
    ReadUInt(in, u"uiWidth", &a.uiWidth);
    ReadUInt(in, u"uiWidthBytes", &a.uiWidthBytes);
    ReadUInt(in, u"uiHeight", &a.uiHeight);
    ReadUInt(in, u"uiComp", &a.uiComp);
    // The two bit depths are kept as their low 8 bits.
    if (ReadUInt(in, u"uiBpcInMemory", &v))
        a.uiBpcInMemory = uint8_t(v);
    if (ReadUInt(in, u"uiBpcSignificant", &v))
        a.uiBpcSignificant = uint8_t(v);
    ReadUInt(in, u"uiSequenceCount", &a.uiSequenceCount);
    ReadUInt(in, u"uiTileWidth", &a.uiTileWidth);
    ReadUInt(in, u"uiTileHeight", &a.uiTileHeight);
    if (const CLxVariant* item = in.SearchFixedOneLevel(u"eCompression")) {
        bool ok = false;
        const int32_t c = item->GetLx_int32(&ok);
        if (ok)
            a.eCompression = c;
    }
    if (const CLxVariant* item = in.SearchFixedOneLevel(u"dCompressionParam")) {
        bool ok = false;
        const double d = item->GetDouble(&ok);
        if (ok)
            a.dCompressionParam = d;
    }
}
