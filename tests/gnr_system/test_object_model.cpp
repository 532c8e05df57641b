#include <gtest/gtest.h>

#include <cstddef>
#include <cstring>

#include "gnr_system/LxInterface.h"
#include "w32_system/memory/LxAlloc.h"

namespace
{

int g_destroyed = 0;

class ILxTestShape : public ILxInterface
{
  public:
    virtual int Area() = 0;
    virtual ~ILxTestShape() = default;
};

class ILxTestNamed : public ILxInterface
{
  public:
    virtual const char* Name() = 0;
    virtual ~ILxTestNamed() = default;
};

class CLxTestSquare : public ILxTestShape, public ILxTestNamed, public CLxClass
{
  public:
    CLxTestSquare() = default;
    explicit CLxTestSquare(bool deleteOnLastRelease) : CLxClass(deleteOnLastRelease) {}
    ~CLxTestSquare() override { ++g_destroyed; }

    CLxClass* GetClass() override { return this; }
    CLxClassInfo* GetCLxClassInfo() override;
    ILxInterface* QueryInterface(const char* name) override
    {
        if (LX_IsInterfaceName(name, "ILxTestShape"))
            return AddRefAndReturn(static_cast<ILxTestShape*>(this));
        if (LX_IsInterfaceName(name, "ILxTestNamed"))
            return AddRefAndReturn(static_cast<ILxTestNamed*>(this));
        return nullptr;
    }
    int Area() override { return m_side * m_side; }
    const char* Name() override { return "square"; }

    int m_side = 3;
};

} // namespace

LX_DEFINE_CONSTRUCTOR(CLxTestSquare)

namespace
{

CLxClassInfo g_squareInfo("CLxTestSquare", "ILxTestShape", "ILxTestNamed", nullptr, nullptr,
                          nullptr, nullptr, nullptr, nullptr, nullptr, sizeof(CLxTestSquare),
                          &LX_ConstructorForCLxTestSquare);

CLxClassInfo* CLxTestSquare::GetCLxClassInfo()
{
    return &g_squareInfo;
}

class LxObjectModel : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        g_destroyed = 0;
        m_object = LX_ConstructorForCLxTestSquare(__FILE__, __LINE__);
        ASSERT_NE(m_object, nullptr);
        m_class = m_object->GetClass();
    }
    void TearDown() override
    {
        // Every test leaves exactly its one reference.
        if (m_class && g_destroyed == 0) {
            EXPECT_EQ(m_class->Release(), 0u);
        }
        EXPECT_EQ(g_destroyed, 1);
    }

    CLxTestSquare* square() { return static_cast<CLxTestSquare*>(m_class); }

    ILxInterface* m_object = nullptr;
    CLxClass* m_class = nullptr;
};

TEST_F(LxObjectModel, ConstructorReturnsTheClassPartWithOneReference)
{
    EXPECT_EQ(m_object, static_cast<ILxInterface*>(m_class));
    EXPECT_EQ(m_class->GetClass(), m_class);
    EXPECT_EQ(m_class->GetRefCount(), 1u);
    EXPECT_EQ(square()->Area(), 9);
    // Storage from the private heap.
    EXPECT_TRUE(CLxAlloc::Valid(square()));
}

TEST_F(LxObjectModel, InterfacePartsAnswerTheClassPart)
{
    ILxTestShape* shape = square();
    ILxTestNamed* named = square();
    EXPECT_EQ(shape->GetClass(), m_class);
    EXPECT_EQ(named->GetClass(), m_class);
}

TEST_F(LxObjectModel, QueryInterfaceGivesThePartWithAReference)
{
    ILxInterface* shape = m_class->QueryInterface("ILxTestShape");
    ASSERT_NE(shape, nullptr);
    EXPECT_EQ(shape, static_cast<ILxInterface*>(static_cast<ILxTestShape*>(square())));
    EXPECT_EQ(static_cast<ILxTestShape*>(shape)->Area(), 9);
    EXPECT_EQ(m_class->GetRefCount(), 2u);

    ILxInterface* named = shape->GetClass()->QueryInterface("ILxTestNamed");
    ASSERT_NE(named, nullptr);
    EXPECT_STREQ(static_cast<ILxTestNamed*>(named)->Name(), "square");
    EXPECT_EQ(m_class->GetRefCount(), 3u);

    EXPECT_EQ(m_class->Release(), 2u);
    EXPECT_EQ(m_class->Release(), 1u);
}

TEST_F(LxObjectModel, QueryInterfaceRefusesOtherNames)
{
    for (const char* name : {"ilxtestshape", "ILxTestShapeX", "ILxTest", "", "ILxInterface"}) {
        SCOPED_TRACE(name);
        EXPECT_EQ(m_class->QueryInterface(name), nullptr);
    }
    EXPECT_EQ(m_class->QueryInterface(nullptr), nullptr);
    EXPECT_EQ(m_class->GetRefCount(), 1u);
}

TEST_F(LxObjectModel, AddRefAndReleaseCount)
{
    EXPECT_EQ(m_class->AddRef(), 2u);
    EXPECT_EQ(m_class->AddRef(), 3u);
    EXPECT_EQ(m_class->Release(), 2u);
    EXPECT_EQ(m_class->Release(), 1u);
    EXPECT_EQ(g_destroyed, 0);
}

TEST_F(LxObjectModel, LastReleaseDestroys)
{
    EXPECT_EQ(m_class->Release(), 0u);
    EXPECT_EQ(g_destroyed, 1);
    m_class = nullptr;
}

TEST_F(LxObjectModel, ClassInfoOfTheObject)
{
    const CLxClassInfo* info = m_class->GetCLxClassInfo();
    ASSERT_EQ(info, &g_squareInfo);
    EXPECT_STREQ(info->m_className, "CLxTestSquare");
    EXPECT_TRUE(info->HasInterface("ILxTestNamed"));
    EXPECT_FALSE(info->HasInterface("ilxtestnamed"));
    EXPECT_FALSE(info->HasInterface(nullptr));
    EXPECT_EQ(info->m_objectSize, int(sizeof(CLxTestSquare)));
    EXPECT_EQ(info->m_constructor, &LX_ConstructorForCLxTestSquare);
}

TEST(LxObjectModelFlag, ClearedFlagSurvivesTheLastRelease)
{
    g_destroyed = 0;
    auto* square = new (__FILE__, __LINE__) CLxTestSquare(false);
    ASSERT_NE(square, nullptr);
    CLxClass* object = square;
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(g_destroyed, 0);
    EXPECT_EQ(square->Area(), 9);
    // A further Release is misuse: reported, and the count does not wrap.
    EXPECT_EQ(object->Release(), 0u);
    EXPECT_EQ(object->GetRefCount(), 0u);
    delete object;
    EXPECT_EQ(g_destroyed, 1);
}

TEST(LxObjectModelFlag, BareClassPart)
{
    CLxClass part(false);
    EXPECT_EQ(part.GetClass(), &part);
    EXPECT_EQ(part.GetCLxClassInfo(), nullptr);
    EXPECT_EQ(part.QueryInterface("ILxInterface"), nullptr);
    EXPECT_EQ(part.GetRefCount(), 1u);
}

TEST(LxObjectModelCopy, CopyStartsWithItsOwnCount)
{
    CLxTestSquare original(false);
    original.AddRef();
    original.AddRef();
    original.m_side = 5;

    CLxTestSquare copy(original);
    EXPECT_EQ(copy.GetRefCount(), 1u);
    EXPECT_EQ(copy.Area(), 25);
    // The flag comes along: the copy also survives its count of 0.
    EXPECT_EQ(copy.Release(), 0u);
    EXPECT_EQ(copy.Area(), 25);
}

TEST(LxObjectModelCopy, AssignmentKeepsTheTargetsCountAndFlag)
{
    CLxTestSquare source(true);
    CLxTestSquare target(false);
    target.AddRef();
    source.m_side = 7;

    target = source;
    EXPECT_EQ(target.Area(), 49);
    EXPECT_EQ(target.GetRefCount(), 2u);
    EXPECT_EQ(target.Release(), 1u);
    EXPECT_EQ(target.Release(), 0u); // flag still cleared: no delete of a stack object
}

TEST(LxObjectModelAllocation, OperatorNewGivesZeroedHeapMemory)
{
    // Dirty a block of the same size first so a recycled block shows.
    void* dirty = CLxAlloc::Alloc(0, 96);
    ASSERT_NE(dirty, nullptr);
    memset(dirty, 0xCC, 96);
    CLxAlloc::Free(dirty);

    void* block = CLxClass::operator new(96, "file.cpp", 12);
    ASSERT_NE(block, nullptr);
    EXPECT_TRUE(CLxAlloc::Valid(block));
    EXPECT_EQ(CLxAlloc::Size(block), 96u);
    const auto* bytes = static_cast<const unsigned char*>(block);
    for (int i = 0; i < 96; ++i)
        ASSERT_EQ(bytes[i], 0) << i;
    CLxClass::operator delete(block);
}

TEST(LxClassInfo, RecordOrderAndInterfaceNames)
{
    const char* names[9] = {"I1", "I2", "I3", "I4", "I5", "I6", "I7", "I8", "I9"};
    CLxClassInfo info("CLxAll", names[0], names[1], names[2], names[3], names[4], names[5],
                      names[6], names[7], names[8], 40, nullptr);
    // The record's word order: class name, interfaces 1 and 2, size,
    // constructor, interfaces 3 to 9.
    EXPECT_LT(offsetof(CLxClassInfo, m_className), offsetof(CLxClassInfo, m_interface1));
    EXPECT_LT(offsetof(CLxClassInfo, m_interface2), offsetof(CLxClassInfo, m_objectSize));
    EXPECT_LT(offsetof(CLxClassInfo, m_objectSize), offsetof(CLxClassInfo, m_constructor));
    EXPECT_LT(offsetof(CLxClassInfo, m_constructor), offsetof(CLxClassInfo, m_interfaces3to9));
    EXPECT_EQ(info.m_interface1, names[0]);
    EXPECT_EQ(info.m_interface2, names[1]);
    for (int i = 0; i < 9; ++i)
        EXPECT_EQ(info.GetInterfaceName(i), names[i]) << i;
    EXPECT_EQ(info.GetInterfaceName(-1), nullptr);
    EXPECT_EQ(info.GetInterfaceName(9), nullptr);
    EXPECT_EQ(info.m_objectSize, 40);
    EXPECT_TRUE(info.HasInterface("I9"));
}

TEST(LxClassInfo, UnknownSourcePosition)
{
    SLxFileLine unknown;
    EXPECT_STREQ(unknown.pszFile, "no file");
    EXPECT_EQ(unknown.uiLine, 0xFFFFFFFFu);
}

} // namespace
