#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "gnr_system/LxRscData.h"

namespace
{

std::string bytesOf(const CLxByteArrayW32& block)
{
    return block.GetSize()
               ? std::string(reinterpret_cast<const char*>(block.GetData()), block.GetSize())
               : std::string();
}

class LxRscData : public ::testing::Test
{
  protected:
    void SetUp() override
    {
        ASSERT_EQ(m_rsc.AppendData("first", 5, 0x409), 0);
        ASSERT_EQ(m_rsc.AppendData("second!", 7, 0x407), 0);
    }

    CLxRscData m_rsc;
};

TEST_F(LxRscData, BlocksInOrderWithTheirIds)
{
    ASSERT_EQ(m_rsc.GetCLxByteArrayW32Count(), 2);
    int id = 0;
    EXPECT_EQ(bytesOf(m_rsc.GetCLxByteArrayW32(0, &id)), "first");
    EXPECT_EQ(id, 0x409);
    EXPECT_EQ(bytesOf(m_rsc.GetCLxByteArrayW32(1, &id)), "second!");
    EXPECT_EQ(id, 0x407);
    EXPECT_EQ(m_rsc.GetCLxByteArrayW32(1, nullptr).GetIncrement(), 1024u);
}

TEST_F(LxRscData, PositionsOutOfRangeGiveTheSharedEmptyArray)
{
    CLxRscData other;
    const CLxByteArrayW32& empty = other.GetCLxByteArrayW32(0, nullptr);
    for (int index : {2, 5, -1, INT32_MIN}) {
        SCOPED_TRACE(index);
        int id = 1234;
        const CLxByteArrayW32& block = m_rsc.GetCLxByteArrayW32(index, &id);
        EXPECT_EQ(&block, &empty);
        EXPECT_EQ(block.GetSize(), 0u);
        EXPECT_EQ(id, 1234);
    }
}

TEST_F(LxRscData, ClearEmptiesTheList)
{
    EXPECT_EQ(m_rsc.Clear(), 0);
    EXPECT_EQ(m_rsc.GetCLxByteArrayW32Count(), 0);
    ASSERT_EQ(m_rsc.AppendData("x", 1, 5), 0);
    EXPECT_EQ(m_rsc.GetCLxByteArrayW32Count(), 1);
}

TEST_F(LxRscData, AppendChecksItsInput)
{
    EXPECT_EQ(m_rsc.AppendData(nullptr, 4, 1), -4);
    EXPECT_EQ(m_rsc.GetCLxByteArrayW32Count(), 2);
    EXPECT_EQ(m_rsc.AppendData(nullptr, 0, 1), 0); // an empty block
    EXPECT_EQ(m_rsc.GetCLxByteArrayW32Count(), 3);
    EXPECT_EQ(m_rsc.GetCLxByteArrayW32(2, nullptr).GetSize(), 0u);
}

TEST_F(LxRscData, AppendCopiesTheBytes)
{
    char buffer[] = "abc";
    ASSERT_EQ(m_rsc.AppendData(buffer, 3, 9), 0);
    buffer[0] = 'X';
    EXPECT_EQ(bytesOf(m_rsc.GetCLxByteArrayW32(2, nullptr)), "abc");
}

TEST_F(LxRscData, ReferencesStayValidWhileTheListGrows)
{
    const CLxByteArrayW32& first = m_rsc.GetCLxByteArrayW32(0, nullptr);
    for (int i = 0; i < 200; ++i)
        ASSERT_EQ(m_rsc.AppendData("filler", 6, i), 0);
    EXPECT_EQ(bytesOf(first), "first");
}

TEST_F(LxRscData, CopyConstructorMakesItsOwnBlocks)
{
    m_rsc.SetModule(reinterpret_cast<LX_HMODULE>(0x1000));
    CLxRscData copy(m_rsc);
    EXPECT_EQ(copy.GetModule(), m_rsc.GetModule());
    ASSERT_EQ(copy.GetCLxByteArrayW32Count(), 2);
    EXPECT_NE(&copy.GetCLxByteArrayW32(0, nullptr), &m_rsc.GetCLxByteArrayW32(0, nullptr));

    m_rsc.Clear();
    int id = 0;
    EXPECT_EQ(bytesOf(copy.GetCLxByteArrayW32(1, &id)), "second!");
    EXPECT_EQ(id, 0x407);
}

TEST_F(LxRscData, AssignmentSharesUntilOneSideLetsGo)
{
    m_rsc.SetModule(reinterpret_cast<LX_HMODULE>(0x2000));
    {
        CLxRscData holder;
        ASSERT_EQ(holder.AppendData("old", 3, 1), 0); // freed by the assignment
        holder = m_rsc;
        EXPECT_EQ(holder.GetModule(), m_rsc.GetModule());
        ASSERT_EQ(holder.GetCLxByteArrayW32Count(), 2);
        EXPECT_EQ(&holder.GetCLxByteArrayW32(0, nullptr), &m_rsc.GetCLxByteArrayW32(0, nullptr));
        holder.UnrefDataMember();
        EXPECT_EQ(holder.GetCLxByteArrayW32Count(), 0);
        EXPECT_EQ(holder.GetCLxByteArrayW32(0, nullptr).GetSize(), 0u);

        // A fresh list for the one that let go; the shared one is untouched.
        ASSERT_EQ(holder.AppendData("own", 3, 2), 0);
        EXPECT_EQ(holder.GetCLxByteArrayW32Count(), 1);
    }
    ASSERT_EQ(m_rsc.GetCLxByteArrayW32Count(), 2);
    EXPECT_EQ(bytesOf(m_rsc.GetCLxByteArrayW32(0, nullptr)), "first");
}

TEST_F(LxRscData, SharedListOutlivesAHolderThatForgetsToLetGo)
{
    {
        CLxRscData holder;
        holder = m_rsc;
        ASSERT_EQ(holder.AppendData("third", 5, 3), 0); // appends to the shared list
    } // no UnrefDataMember: the list must not be freed here
    ASSERT_EQ(m_rsc.GetCLxByteArrayW32Count(), 3);
    EXPECT_EQ(bytesOf(m_rsc.GetCLxByteArrayW32(2, nullptr)), "third");
}

TEST_F(LxRscData, ClearOfASharedListLeavesTheOtherHolderItsBlocks)
{
    CLxRscData holder;
    holder = m_rsc;
    EXPECT_EQ(holder.Clear(), 0);
    EXPECT_EQ(holder.GetCLxByteArrayW32Count(), 0);
    ASSERT_EQ(m_rsc.GetCLxByteArrayW32Count(), 2);
    EXPECT_EQ(bytesOf(m_rsc.GetCLxByteArrayW32(1, nullptr)), "second!");
}

TEST_F(LxRscData, SelfAssignmentKeepsTheList)
{
    CLxRscData& alias = m_rsc;
    m_rsc = alias;
    EXPECT_EQ(m_rsc.GetCLxByteArrayW32Count(), 2);
    EXPECT_EQ(bytesOf(m_rsc.GetCLxByteArrayW32(0, nullptr)), "first");
}

TEST(LxRscDataEmpty, NewObjectHasNoModuleAndNoBlocks)
{
    CLxRscData rsc;
    EXPECT_EQ(rsc.GetModule(), nullptr);
    EXPECT_EQ(rsc.GetCLxByteArrayW32Count(), 0);
    rsc.UnrefDataMember(); // an unshared list is freed, not leaked
    EXPECT_EQ(rsc.Clear(), 0);
    EXPECT_EQ(rsc.GetCLxByteArrayW32Count(), 0);
}

} // namespace
