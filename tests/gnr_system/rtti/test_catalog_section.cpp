// The compile-time layout of the catalog sections.
#include <gtest/gtest.h>

#include <string>

#include "gnr_system/rtti/LxCatalogSection.h"
#include "gnr_system/rtti/rtti_test_support.h"

namespace
{

std::u16string Repeat9Parents(const char16_t* first)
{
    std::u16string parents;
    for (int i = 1; i <= 9; ++i) {
        parents += u"<m_parent" + std::u16string(1, char16_t(u'0' + i)) +
                   u" runtype=\"CLxStringW\" value=\"" + (i == 1 ? first : u"") + u"\"/>";
    }
    return parents;
}

constexpr auto kModuleObject = lx_catalog::ClassDecl("CLx_gnr_system")
                                   .Interface("ILxS9Module")
                                   .Additional("<m_singleton runtype=\"bool\" value=\"true\"/>");
constexpr size_t kModuleObjectSize = lx_catalog::BlockSize(kModuleObject);
constexpr auto kModuleObjectBlock = lx_catalog::Block<kModuleObjectSize>(kModuleObject);

constexpr auto kRanked =
    lx_catalog::ClassDecl("CLxImageFormatQX2").Interface("ILxImageFormat").Rank(1, "00.90.00.00");
constexpr auto kRankedBlock = lx_catalog::Block<lx_catalog::BlockSize(kRanked)>(kRanked);

constexpr auto kIdentification = lx_catalog::Identification()
                                     .Value("LX_LOCAL_INTERNALNAME", "gnr_system")
                                     .Value("LX_ESCAPED", "a<b&\"c\"")
                                     .Flag("NDEBUG");
constexpr auto kIdentificationBlock =
    lx_catalog::Block<lx_catalog::BlockSize(kIdentification)>(kIdentification);

// Blocks keep their UTF-16 texts on even offsets whatever follows them.
static_assert(kModuleObjectSize % 2 == 0);
static_assert(lx_catalog::BlockSize(kRanked) % 2 == 0);
static_assert(lx_catalog::BlockSize(kIdentification) == 3 * 512);

TEST(CatalogSectionLayout, ClassBlockHoldsRecordSlotDeclarationAndNarrowNames)
{
    const unsigned char* bytes = kModuleObjectBlock.data();
    for (size_t i = 0; i < lx_catalog::kClassRecordBytes; ++i)
        ASSERT_EQ(bytes[i], 0) << "record slot byte " << i;

    const auto texts = SectionTexts(bytes, kModuleObjectSize);
    ASSERT_EQ(texts.size(), 2u); // the declaration, then the narrow names read as units
    EXPECT_EQ(texts[0].first, lx_catalog::kClassRecordBytes);
    EXPECT_EQ(U8(texts[0].second.c_str()),
              U8((u"<variant version=\"1.0\"><CLx_gnr_system runtype=\"RLxRttiClass\">" +
                  Repeat9Parents(u"ILxS9Module") +
                  u"<m_additional runtype=\"CLxListVariant\"><m_singleton runtype=\"bool\" "
                  u"value=\"true\"/></m_additional></CLx_gnr_system></variant>")
                     .c_str()));

    const size_t narrowStart = texts[0].first + 2 * (texts[0].second.size() + 1);
    const std::string narrow(reinterpret_cast<const char*>(bytes) + narrowStart,
                             kModuleObjectSize - narrowStart);
    const std::string names("CLx_gnr_system\0ILxS9Module\0", 27);
    EXPECT_EQ(narrow.substr(0, names.size()), names);
    // Padded to an even length, then a zero unit that ends the block.
    EXPECT_EQ(narrow.size(), names.size() + 1 + 2);
    EXPECT_EQ(narrow.substr(names.size()), std::string(3, '\0'));
}

TEST(CatalogSectionLayout, RankedClassEndsWithVersionAndPriorityText)
{
    const auto texts = SectionTexts(kRankedBlock.data(), kRankedBlock.size());
    ASSERT_EQ(texts.size(), 3u);
    EXPECT_EQ(U8(texts[2].second.c_str()),
              "<variant version=\"1.0\"><CLxImageFormatQX2 runtype=\"CLxListVariant\">"
              "<m_version value=\"1\" runtype=\"lx_int32\"/>"
              "<m_RTTIpriority value=\"00.90.00.00\" runtype=\"CLxStringW\"/>"
              "</CLxImageFormatQX2></variant>");
    EXPECT_EQ(texts[2].first % 2, 0u);
    EXPECT_EQ(kRankedBlock[texts[2].first - 1], 0);
    EXPECT_EQ(kRankedBlock[texts[2].first - 2], 0);
}

TEST(CatalogSectionLayout, IdentificationHasOneTextPer512ByteSlot)
{
    const auto texts = SectionTexts(kIdentificationBlock.data(), kIdentificationBlock.size());
    ASSERT_EQ(texts.size(), 3u);
    const char* const expected[] = {
        "<variant version=\"1.0\"><LX_LOCAL_INTERNALNAME value=\"gnr_system\"/></variant>",
        "<variant version=\"1.0\"><LX_ESCAPED value=\"a&lt;b&amp;&quot;c&quot;\"/></variant>",
        "<variant version=\"1.0\"><NDEBUG/></variant>",
    };
    for (size_t i = 0; i < texts.size(); ++i) {
        EXPECT_EQ(texts[i].first, i * lx_catalog::kIdentificationSlotBytes);
        EXPECT_EQ(U8(texts[i].second.c_str()), expected[i]);
    }
}

TEST(CatalogSectionLayout, InterfaceNamesFillTheParentsInOrder)
{
    constexpr auto decl = lx_catalog::ClassDecl("CLxMany")
                              .Interface("I1")
                              .Interface("I2")
                              .Interface("I3")
                              .Interface("I4")
                              .Interface("I5")
                              .Interface("I6")
                              .Interface("I7")
                              .Interface("I8")
                              .Interface("I9");
    constexpr auto block = lx_catalog::Block<lx_catalog::BlockSize(decl)>(decl);
    const auto texts = SectionTexts(block.data(), block.size());
    ASSERT_FALSE(texts.empty());
    const std::string declaration = U8(texts[0].second.c_str());
    for (int i = 1; i <= 9; ++i) {
        const std::string parent = "<m_parent" + std::to_string(i) +
                                   " runtype=\"CLxStringW\" value=\"I" + std::to_string(i) + "\"/>";
        EXPECT_NE(declaration.find(parent), std::string::npos) << parent;
    }
}

} // namespace
