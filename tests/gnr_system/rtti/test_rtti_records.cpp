// The record run types of the registry and the geometry records.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "gnr_system/rtti/LxGeometryRecords.h"
#include "gnr_system/rtti/LxRttiRecords.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

struct SMember {
    const char* name;
    const char* runType;
    const char* value; // the default's text
};

struct SRecord {
    const char* runType;
    std::vector<SMember> members;
};

const SRecord kRecords[] = {
    {"RLxRttiClass",
     {{"m_parent1", "CLxStringW", ""},
      {"m_parent2", "CLxStringW", ""},
      {"m_parent3", "CLxStringW", ""},
      {"m_parent4", "CLxStringW", ""},
      {"m_parent5", "CLxStringW", ""},
      {"m_parent6", "CLxStringW", ""},
      {"m_parent7", "CLxStringW", ""},
      {"m_parent8", "CLxStringW", ""},
      {"m_parent9", "CLxStringW", ""},
      {"m_additional", "CLxListVariant", nullptr}}},
    {"RLxRttiClassDesc",
     {{"m_version", "lx_int32", "1"},
      {"m_shortName", "CLxStringW", ""},
      {"m_fullName", "CLxStringW", ""}}},
    {"RLxRTTICacheEntry",
     {{"m_class", "RLxRttiClass", nullptr},
      {"m_creator", "voidPtr", nullptr},
      {"m_library", "CLxStringW", ""},
      {"m_addInfo", "CLxListVariant", nullptr}}},
    {"RLxIPoint", {{"x", "lx_int32", "0"}, {"y", "lx_int32", "0"}}},
    {"RLxDPoint", {{"x", "double", nullptr}, {"y", "double", nullptr}}},
    {"RLxISize", {{"cx", "lx_int32", "0"}, {"cy", "lx_int32", "0"}}},
    {"RLxDSize", {{"cx", "double", nullptr}, {"cy", "double", nullptr}}},
    {"RLxIRect",
     {{"left", "lx_int32", "0"},
      {"top", "lx_int32", "0"},
      {"right", "lx_int32", "0"},
      {"bottom", "lx_int32", "0"}}},
    {"RLxDRect",
     {{"left", "double", nullptr},
      {"top", "double", nullptr},
      {"right", "double", nullptr},
      {"bottom", "double", nullptr}}},
};

class RttiRecords : public VariantTest
{
};

TEST_F(RttiRecords, AreRegisteredAtStartUpWithTheirMembersInOrder)
{
    for (const SRecord& record : kRecords) {
        SCOPED_TRACE(record.runType);
        const CLxVariant& sample = CLxVariant::GetRunTypeSample(CLxVariantRunType(record.runType));
        ASSERT_EQ(sample.GetCount(), int(record.members.size()));
        for (size_t i = 0; i < record.members.size(); ++i) {
            const SMember& member = record.members[i];
            EXPECT_EQ(NameOf(sample[int(i)]), member.name);
            EXPECT_EQ(RunTypeOf(sample[int(i)]), member.runType);
            if (member.value) {
                EXPECT_EQ(TextOf(sample[int(i)]), member.value) << member.name;
            }
        }
    }
    EXPECT_EQ(CLxVariant::GetRunTypeSample(CLxVariantRunType("RLxRTTICacheEntry"))[1].GetVoidPtr(),
              nullptr);
    EXPECT_EQ(CLxVariant::GetRunTypeSample(CLxVariantRunType("RLxDRect"))[3].GetDouble(), 0.0);
    expectNoReport();
}

TEST_F(RttiRecords, RegisteringAgainChangesNothing)
{
    EXPECT_EQ(LX_RegisterRttiRunTypes(), 0);
    EXPECT_EQ(LX_RegisterGeometryRunTypes(), 0);
    expectNoReport();
}

// Each geometry value: a value with distinct coordinates and its run type.
template <class G> struct SGeometryCase;
template <> struct SGeometryCase<CLxPointBase<int>> {
    static CLxPointBase<int> Value() { return {-7, 2147483647}; }
    static constexpr const char* kRunType = "RLxIPoint";
};
template <> struct SGeometryCase<CLxPointBase<double>> {
    static CLxPointBase<double> Value() { return {-0.25, 1e300}; }
    static constexpr const char* kRunType = "RLxDPoint";
};
template <> struct SGeometryCase<CLxSizeBase<int>> {
    static CLxSizeBase<int> Value() { return {640, -480}; }
    static constexpr const char* kRunType = "RLxISize";
};
template <> struct SGeometryCase<CLxSizeBase<double>> {
    static CLxSizeBase<double> Value() { return {0.5, 3.75}; }
    static constexpr const char* kRunType = "RLxDSize";
};
template <> struct SGeometryCase<CLxRectBase<int>> {
    static CLxRectBase<int> Value() { return {1, 2, -3, -2147483647 - 1}; }
    static constexpr const char* kRunType = "RLxIRect";
};
template <> struct SGeometryCase<CLxRectBase<double>> {
    static CLxRectBase<double> Value() { return {1.5, -2.5, 3.125, 4e-300}; }
    static constexpr const char* kRunType = "RLxDRect";
};

template <class G> class GeometryRecords : public VariantTest
{
};
using GeometryTypes = ::testing::Types<CLxPointBase<int>, CLxPointBase<double>, CLxSizeBase<int>,
                                       CLxSizeBase<double>, CLxRectBase<int>, CLxRectBase<double>>;
TYPED_TEST_SUITE(GeometryRecords, GeometryTypes);

TYPED_TEST(GeometryRecords, RoundTripThroughTheirRecord)
{
    using Case = SGeometryCase<TypeParam>;
    CLxVariant record(17, CLxStringW(u"where"));
    ASSERT_EQ(LX_GeometryToVariant(record, Case::Value()), 0);
    EXPECT_EQ(RunTypeOf(record), Case::kRunType);
    EXPECT_EQ(NameOf(record), "where");
    EXPECT_FALSE(record.IsEnabledTypeChange());

    TypeParam read;
    ASSERT_EQ(LX_GeometryFromVariant(read, record), 0);
    EXPECT_TRUE(read == Case::Value());
    this->expectNoReport();
}

TYPED_TEST(GeometryRecords, RefuseAnotherRunType)
{
    const CLxVariant wrong(CLxVariantRunType("RLxRttiClassDesc"), CLxStringW(u"x"));
    TypeParam value = SGeometryCase<TypeParam>::Value();
    EXPECT_EQ(LX_GeometryFromVariant(value, wrong), -4);
    EXPECT_TRUE(value == SGeometryCase<TypeParam>::Value());
}

} // namespace
