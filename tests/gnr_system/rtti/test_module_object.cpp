// The system library's module object and start-up step.
#include <gtest/gtest.h>

#include "gnr_system/LxGnrSystem.h"
#include "gnr_system/LxGnrSystemAttach.h"
#include "gnr_system/LxRscData.h"
#include "gnr_system/variant/variant_test_support.h"

namespace
{

class ModuleObject : public VariantTest
{
  protected:
    void SetUp() override
    {
        VariantTest::SetUp();
        ASSERT_EQ(CLx_gnr_system::GetInstance(), nullptr) << "left over by another test";
    }
    static CLxClass* Make() { return LX_ConstructorForCLx_gnr_system("test.cpp", 1)->GetClass(); }
};

TEST_F(ModuleObject, IsOneInstanceUntilItsLastRelease)
{
    CLxClass* first = Make();
    CLxClass* second = Make();
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(first, second);
    EXPECT_EQ(first->GetRefCount(), 2u);
    EXPECT_EQ(CLx_gnr_system::GetInstance(), static_cast<CLx_gnr_system*>(first));

    EXPECT_EQ(first->Release(), 1u);
    EXPECT_EQ(second->Release(), 0u);
    EXPECT_EQ(CLx_gnr_system::GetInstance(), nullptr);

    CLxClass* third = Make();
    EXPECT_EQ(third->GetRefCount(), 1u);
    EXPECT_EQ(CLx_gnr_system::GetInstance(), static_cast<CLx_gnr_system*>(third));
    third->Release();
    expectNoReport();
}

TEST_F(ModuleObject, AnswersOnlyItsModuleInterface)
{
    CLxClass* object = Make();
    EXPECT_EQ(object->QueryInterface("ILxInterface"), nullptr);
    EXPECT_EQ(object->QueryInterface("ilxs9module"), nullptr);
    EXPECT_EQ(object->QueryInterface(nullptr), nullptr);
    EXPECT_EQ(object->GetRefCount(), 1u);

    auto* module = static_cast<ILxS9Module*>(object->QueryInterface("ILxS9Module"));
    ASSERT_NE(module, nullptr);
    EXPECT_EQ(object->GetRefCount(), 2u);
    EXPECT_EQ(module->GetClass(), object);
    EXPECT_EQ(module->ModuleControl(0), -2);
    EXPECT_EQ(module->ModuleControl(0xFFFFFFFFu), -2);

    CLxRscData data;
    ASSERT_EQ(data.AppendData("abc", 3, 7), 0);
    EXPECT_EQ(module->GetModuleRscData(data), 0);
    EXPECT_EQ(data.GetCLxByteArrayW32Count(), 0);

    object->Release();
    object->Release();
    EXPECT_EQ(CLx_gnr_system::GetInstance(), nullptr);
}

TEST_F(ModuleObject, ClassRecordNamesClassInterfaceAndConstructor)
{
    CLxClass* object = Make();
    const CLxClassInfo* info = object->GetCLxClassInfo();
    ASSERT_EQ(info, &CLx_gnr_system::sm_classCLx_gnr_system);
    EXPECT_STREQ(info->m_className, "CLx_gnr_system");
    EXPECT_STREQ(info->GetInterfaceName(0), "ILxS9Module");
    for (int i = 1; i < CLxClassInfo::kMaxInterfaces; ++i)
        EXPECT_EQ(info->GetInterfaceName(i), nullptr) << i;
    EXPECT_EQ(info->m_objectSize, int(sizeof(CLx_gnr_system)));
    EXPECT_EQ(info->m_constructor, &LX_ConstructorForCLx_gnr_system);
    object->Release();
}

TEST(GnrSystemAttach, ReturnsOne)
{
    EXPECT_EQ(GnrSystem_DllAttach(), 1);
}

} // namespace
