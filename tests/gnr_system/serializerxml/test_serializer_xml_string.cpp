// The serializer object: its parameters, its class record and its life.
#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gnr_system/serializerxml/xml_test_support.h"

namespace
{

class XmlSerializer : public VariantTest
{
  protected:
    CLxSerializerXMLString m_serializer;
    const CLxVariant m_tree = ListOf(u"root", {CLxVariant(5, u"n"), CLxVariant(u"t", u"s")});
};

CLxVariant Pointer(const void* p, const char16_t* name)
{
    return CLxVariant(const_cast<void*>(p), name);
}

TEST_F(XmlSerializer, SaveFillsTheNamedString)
{
    CLxStringW wide(u"old text is replaced");
    CLxVariant params = Pointer(&wide, u"string");
    EXPECT_EQ(m_serializer.Save(params, m_tree), 0);
    EXPECT_EQ(Units(wide), Units(DocumentW(m_tree)));

    CLxStringA narrow("old");
    CLxVariant nested = ListOf(u"params", {Pointer(&narrow, u"stringUTF8")});
    EXPECT_EQ(m_serializer.Save(nested, m_tree), 0);
    EXPECT_EQ(BytesOf(narrow), BytesOf(DocumentA(m_tree)));
    expectNoReport();
}

TEST_F(XmlSerializer, SavePrefersUtf16)
{
    CLxStringW wide;
    CLxStringA narrow;
    CLxVariant params =
        ListOf(u"params", {Pointer(&narrow, u"stringUTF8"), Pointer(&wide, u"string")});
    EXPECT_EQ(m_serializer.Save(params, m_tree), 0);
    EXPECT_FALSE(wide.IsEmpty());
    EXPECT_TRUE(narrow.IsEmpty());
}

TEST_F(XmlSerializer, LoadFromEachKey)
{
    const CLxStringW wide = DocumentW(m_tree);
    const CLxStringA narrow = DocumentA(m_tree);
    const CLxVariant cases[] = {
        Pointer(&wide, u"string"),
        // Found at any depth below params.
        ListOf(u"params", {ListOf(u"inner", {Pointer(&narrow, u"stringUTF8")})}),
        ListOf(u"params", {Pointer(wide.GetString(), u"rawString"),
                           CLxVariant(unsigned(wide.GetLength()), u"rawStringLen")}),
        ListOf(u"params", {CLxVariant(unsigned(narrow.GetLength()), u"rawStringLen"),
                           Pointer(narrow.GetString(), u"rawStringUTF8")}),
    };
    for (const CLxVariant& params : cases) {
        SCOPED_TRACE(DumpOf(params));
        CLxVariant out;
        EXPECT_EQ(m_serializer.Load(out, params), 0);
        EXPECT_TRUE(out == m_tree);
    }
    expectNoReport();
}

TEST_F(XmlSerializer, LoadKeyOrderDecides)
{
    // "string" comes first even when it holds a bad text.
    const CLxStringW bad(u"not XML");
    const CLxStringA good = DocumentA(m_tree);
    CLxVariant params = ListOf(u"p", {Pointer(&good, u"stringUTF8"), Pointer(&bad, u"string")});
    CLxVariant out;
    EXPECT_EQ(m_serializer.Load(out, params), -9);
    EXPECT_TRUE(out.IsNull());
}

TEST_F(XmlSerializer, LoadParameterErrors)
{
    const CLxStringA text = DocumentA(m_tree);
    struct SCase {
        const char* what;
        CLxVariant params;
        int status;
    };
    const SCase cases[] = {
        {"no key", ListOf(u"p", {CLxVariant(1, u"other")}), -4},
        {"raw text without length", Pointer(text.GetString(), u"rawStringUTF8"), -9},
        {"raw UTF-16 without length", Pointer(text.GetString(), u"rawString"), -9},
        {"null pointer", Pointer(nullptr, u"string"), -4},
        {"not a pointer", CLxVariant(u"<variant/>", u"stringUTF8"), -4},
        {"length cuts the text",
         ListOf(u"p", {Pointer(text.GetString(), u"rawStringUTF8"),
                       CLxVariant(unsigned(text.GetLength() - 1), u"rawStringLen")}),
         -9},
    };
    for (const SCase& c : cases) {
        SCOPED_TRACE(c.what);
        CLxVariant out(1, u"keep");
        EXPECT_EQ(m_serializer.Load(out, c.params), c.status);
    }
    expectNoReport();
}

TEST_F(XmlSerializer, SaveParameterErrors)
{
    CLxVariant none = ListOf(u"p", {CLxVariant(1, u"x")});
    EXPECT_EQ(m_serializer.Save(none, m_tree), -4);
    CLxVariant null = Pointer(nullptr, u"stringUTF8");
    EXPECT_EQ(m_serializer.Save(null, m_tree), -4);
    CLxVariant text(u"abc", u"string");
    EXPECT_EQ(m_serializer.Save(text, m_tree), -4);
    EXPECT_EQ(TextOf(text), "abc");
}

TEST(XmlSerializerClass, ClassRecord)
{
    const CLxClassInfo& info = CLxSerializerXMLString::sm_classCLxSerializerXMLString;
    EXPECT_STREQ(info.m_className, "CLxSerializerXMLString");
    EXPECT_STREQ(info.m_interface1, "ILxSerializer");
    EXPECT_EQ(info.m_interface2, nullptr);
    EXPECT_EQ(info.m_objectSize, int(sizeof(CLxSerializerXMLString)));
    EXPECT_EQ(info.m_constructor, &LX_ConstructorForCLxSerializerXMLString);
    EXPECT_TRUE(info.HasInterface("ILxSerializer"));
    EXPECT_FALSE(info.HasInterface("ILxInterface"));
}

TEST(XmlSerializerClass, MadeByItsConstructorFunction)
{
    ILxInterface* made = LX_ConstructorForCLxSerializerXMLString(__FILE__, __LINE__);
    ASSERT_NE(made, nullptr);
    CLxClass* object = made->GetClass();
    EXPECT_EQ(object->GetRefCount(), 1u);
    EXPECT_EQ(object->GetCLxClassInfo(), &CLxSerializerXMLString::sm_classCLxSerializerXMLString);
    EXPECT_EQ(object->QueryInterface("ILxOther"), nullptr);
    EXPECT_EQ(object->QueryInterface("ilxserializer"), nullptr);

    ILxSerializer* serializer =
        static_cast<ILxSerializer*>(object->QueryInterface("ILxSerializer"));
    ASSERT_NE(serializer, nullptr);
    EXPECT_EQ(object->GetRefCount(), 2u);
    EXPECT_EQ(serializer->GetClass(), object);

    CLxStringA text;
    CLxVariant params(static_cast<void*>(&text), u"stringUTF8");
    EXPECT_EQ(serializer->Save(params, CLxVariant(true, u"b")), 0);
    EXPECT_EQ(BytesOf(text), Doc8("<b runtype=\"bool\" value=\"true\"/>"));

    EXPECT_EQ(object->Release(), 1u);
    EXPECT_EQ(object->Release(), 0u); // deleted: the leak checker would see it otherwise
}

TEST(XmlSerializerClass, CopyIsANewObject)
{
    CLxSerializerXMLString original;
    original.AddRef();
    CLxSerializerXMLString copy(original);
    EXPECT_EQ(copy.GetRefCount(), 1u);
    EXPECT_EQ(original.GetRefCount(), 2u);
}

} // namespace
