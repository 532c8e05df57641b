#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>
#include <vector>

#include "gnr_picture/assert_capture.h"
#include "gnr_system/LxList.h"

namespace
{

typedef CLxList::CLxKey Key;
typedef CLxList::CLxNode Node;

// The data pointers from first to last.
std::vector<void*> dataOf(const CLxList& list)
{
    std::vector<void*> out;
    for (Node* node = list.GetFirst(); node; node = node->GetNext())
        out.push_back(list.GetData(node));
    return out;
}

// Walks the links both ways and checks them against the count.
void expectConsistent(const CLxList& list)
{
    unsigned forward = 0;
    const Node* previous = nullptr;
    for (Node* node = list.GetFirst(); node; node = node->GetNext()) {
        EXPECT_EQ(node->GetPrevious(), previous);
        EXPECT_EQ(node->GetList(), &list);
        previous = node;
        ++forward;
    }
    EXPECT_EQ(previous, list.GetLast());
    EXPECT_EQ(forward, list.GetCount());
}

class LxList : public ::testing::Test
{
  protected:
    int a = 1, b = 2, c = 3;
    AssertCapture asserts;
};

TEST_F(LxList, NewListsAreEmptyWithTheirKeyType)
{
    for (ELxKeyType type : {lxKEY_NONE, lxKEY_INT, lxKEY_STRING}) {
        CLxList list(type);
        EXPECT_EQ(list.GetCount(), 0u);
        EXPECT_EQ(list.GetFirst(), nullptr);
        EXPECT_EQ(list.GetLast(), nullptr);
        EXPECT_EQ(list.GetKeyType(), type);
    }
    EXPECT_EQ(CLxList().GetKeyType(), lxKEY_NONE);
}

TEST_F(LxList, ConstructorsFromArrayAndArguments)
{
    void* array[] = {&a, &b, &c};
    CLxList fromArray(3u, array);
    EXPECT_EQ(dataOf(fromArray), (std::vector<void*>{&a, &b, &c}));

    CLxList fromArguments(&c, &a, nullptr);
    EXPECT_EQ(dataOf(fromArguments), (std::vector<void*>{&c, &a}));

    CLxList stopsAtNull(&a, nullptr, &b, nullptr);
    EXPECT_EQ(stopsAtNull.GetCount(), 1u);

    CLxList none(static_cast<void*>(nullptr), nullptr);
    EXPECT_EQ(none.GetCount(), 0u);
    expectConsistent(fromArray);
}

TEST_F(LxList, KeyedListsNeedKeysAndFindByThem)
{
    CLxList list(lxKEY_INT);
    EXPECT_EQ(list.Append(&a), nullptr);
    EXPECT_EQ(asserts.countMessage("Error: Need a key for the object to append!"), 1);
    EXPECT_EQ(list.Insert(&a), nullptr);
    EXPECT_EQ(asserts.countMessage("Error: Need a key for the object to insert."), 1);

    Node* five = list.Append(Key(5), &a);
    Node* seven = list.Append(Key(7), &b);
    ASSERT_NE(five, nullptr);
    EXPECT_EQ(list.Find(Key(5)), five);
    EXPECT_EQ(list.Find(Key(7)), seven);
    EXPECT_EQ(list.Find(Key(6)), nullptr);
    EXPECT_EQ(asserts.count("m_keyType != key.GetKeyType()"), 0);

    CLxList named(lxKEY_STRING);
    Node* width = named.Append(Key(u"Width"), &a);
    EXPECT_EQ(named.Find(Key(u"Width")), width);
    EXPECT_EQ(named.Find(Key(u"width")), nullptr); // exact texts
}

TEST_F(LxList, FindWithAKeyOfAnotherTypeIsReportedAndGoesOn)
{
    CLxList list(lxKEY_INT);
    list.Append(Key(1), &a);
    list.Append(Key(u"one"), &b); // the list's type is not compared on append
    EXPECT_EQ(list.Find(Key(u"one")), list.GetLast());
    EXPECT_EQ(asserts.count("m_keyType != key.GetKeyType()"), 1);
    EXPECT_GE(asserts.count("m_keyType != value.m_keyType"), 1);
}

TEST_F(LxList, KeysCompareAndCopyOnlyWithinTheirType)
{
    Key number(4);
    number.SetKey(Key(9));
    EXPECT_EQ(number.GetIntKey(), 9);
    number.SetKey(Key(u"text"));
    EXPECT_EQ(number.GetKeyType(), lxKEY_INT);
    EXPECT_EQ(number.GetIntKey(), 9);
    EXPECT_EQ(asserts.countMessage("Error: Key type mismatch."), 1);

    EXPECT_FALSE(Key(1) == Key(u"1"));
    EXPECT_EQ(asserts.countMessage("Error: Key type mismatch."), 2);
    EXPECT_FALSE(Key() == Key());
    EXPECT_EQ(asserts.countMessage("Error: Bad key type."), 1);
    EXPECT_TRUE(Key(u"abc") == Key(u"abc"));
    EXPECT_FALSE(Key(u"abc") == Key(u"ABC"));
}

TEST_F(LxList, InsertByIndex)
{
    CLxList list;
    list.Insert(0, &a); // on an empty list: appends
    EXPECT_EQ(dataOf(list), (std::vector<void*>{&a}));
    list.Insert(1, &b); // the count: appends
    list.Insert(1, &c); // before the second
    EXPECT_EQ(dataOf(list), (std::vector<void*>{&a, &c, &b}));

    int d = 4;
    list.Insert(5, &d); // past the end: reported by GetNth, goes first
    EXPECT_EQ(asserts.countMessage("Error: Invalid index in CLxList::GetNth()"), 1);
    EXPECT_EQ(dataOf(list), (std::vector<void*>{&d, &a, &c, &b}));
    expectConsistent(list);
}

TEST_F(LxList, InsertBeforeAPosition)
{
    CLxList list(&a, nullptr);
    Node* first = list.Insert(static_cast<Node*>(nullptr), &b);
    EXPECT_EQ(list.GetFirst(), first);
    list.Insert(list.GetLast(), &c);
    EXPECT_EQ(dataOf(list), (std::vector<void*>{&b, &c, &a}));
    EXPECT_EQ(list.GetFirst()->GetNodeKey().GetKeyType(), lxKEY_NONE);

    CLxList other(&a, nullptr);
    EXPECT_EQ(list.Insert(other.GetFirst(), &c), nullptr);
    EXPECT_EQ(asserts.countMessage("Error: Can't insert before a node from another list."), 1);
    EXPECT_EQ(list.GetCount(), 3u);
    expectConsistent(list);
}

TEST_F(LxList, PositionsAndLookUps)
{
    CLxList list(&a, &b, &c, nullptr);
    EXPECT_EQ(list[1], &b);
    EXPECT_EQ(list[3], nullptr);
    EXPECT_EQ(list.GetNth(2), list.GetLast());
    EXPECT_EQ(list.IndexOf(&c), 2);
    int missing = 0;
    EXPECT_EQ(list.IndexOf(&missing), -9);
    EXPECT_EQ(list.Find(&b), list.GetNth(1));
    EXPECT_EQ(list.Find(&missing), nullptr);
    EXPECT_EQ(list.GetNth(2)->IndexOf(), 2);

    CLxList other(&a, nullptr);
    EXPECT_EQ(list.GetData(other.GetFirst()), nullptr);
    EXPECT_EQ(list.GetData(nullptr), nullptr);
}

TEST_F(LxList, DetachedNodesBelongToTheCaller)
{
    CLxList list(&a, &b, &c, nullptr);
    Node* middle = list.DetachNode(list.GetNth(1));
    ASSERT_NE(middle, nullptr);
    EXPECT_EQ(middle->GetList(), nullptr);
    EXPECT_EQ(middle->IndexOf(), -9);
    EXPECT_EQ(asserts.countMessage("Node doesn't belong to a list in IndexOf()"), 1);
    EXPECT_EQ(dataOf(list), (std::vector<void*>{&a, &c}));
    delete middle; // does not touch the list
    EXPECT_EQ(dataOf(list), (std::vector<void*>{&a, &c}));

    EXPECT_EQ(list.DetachNode(nullptr), nullptr);
    EXPECT_EQ(asserts.countMessage("Error: Detaching NULL CLxNode."), 1);
    CLxList other(&b, nullptr);
    EXPECT_FALSE(list.DeleteNode(other.GetFirst()));
    EXPECT_EQ(asserts.countMessage("Error: Detaching node which is not from this list."), 1);
    EXPECT_EQ(other.GetCount(), 1u);

    EXPECT_TRUE(list.DeleteNode(list.GetFirst()));
    EXPECT_TRUE(list.DeleteNode(list.GetFirst()));
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetLast(), nullptr);
    EXPECT_EQ(list.GetCount(), 0u);
}

TEST_F(LxList, DeletingALinkedNodeUnlinksIt)
{
    CLxList list(&a, &b, &c, nullptr);
    delete list.GetNth(1);
    EXPECT_EQ(dataOf(list), (std::vector<void*>{&a, &c}));
    delete list.GetLast();
    EXPECT_EQ(dataOf(list), (std::vector<void*>{&a}));
    expectConsistent(list);
}

TEST_F(LxList, ClearKeepsTheKeyType)
{
    CLxList list(lxKEY_STRING);
    list.Append(Key(u"x"), &a);
    list.Clear();
    EXPECT_EQ(list.GetCount(), 0u);
    EXPECT_EQ(list.GetFirst(), nullptr);
    EXPECT_EQ(list.GetKeyType(), lxKEY_STRING);
}

TEST_F(LxList, SetKeyTypeOnAFilledListIsReportedButDone)
{
    CLxList list(&a, nullptr);
    list.SetKeyType(lxKEY_INT);
    EXPECT_EQ(asserts.count("m_count != 0"), 1);
    EXPECT_EQ(list.GetKeyType(), lxKEY_INT);
    CLxList empty;
    empty.SetKeyType(lxKEY_STRING);
    EXPECT_EQ(asserts.count("m_count != 0"), 1);
}

int compareInts(void* left, void* right)
{
    int x = **static_cast<int**>(left), y = **static_cast<int**>(right);
    return x < y ? -1 : x > y;
}

TEST_F(LxList, SortMovesTheDataButNotTheKeys)
{
    CLxList list(lxKEY_INT);
    list.Append(Key(30), &c);
    list.Append(Key(10), &a);
    list.Append(Key(20), &b);
    list.Sort(compareInts);
    EXPECT_EQ(dataOf(list), (std::vector<void*>{&a, &b, &c}));
    std::vector<int> keys;
    for (Node* node = list.GetFirst(); node; node = node->GetNext())
        keys.push_back(node->GetNodeKey().GetIntKey());
    EXPECT_EQ(keys, (std::vector<int>{30, 10, 20}));
}

TEST_F(LxList, CopiesKeepKeysDataOrderAndKeyType)
{
    CLxList list(lxKEY_STRING);
    list.Append(Key(u"b"), &b);
    list.Append(Key(u"a"), &a);

    CLxList copy(list);
    EXPECT_EQ(copy.GetKeyType(), lxKEY_STRING);
    EXPECT_EQ(dataOf(copy), dataOf(list));
    EXPECT_EQ(copy.Find(Key(u"a")), copy.GetLast());
    expectConsistent(copy);

    CLxList assigned(&c, nullptr);
    assigned = list;
    EXPECT_EQ(assigned.GetKeyType(), lxKEY_STRING);
    EXPECT_EQ(dataOf(assigned), dataOf(list));
    EXPECT_EQ(assigned.GetFirst()->GetNodeKey().GetStringKey(), u"b");
    expectConsistent(assigned);

    CLxList& same = assigned;
    assigned = same;
    EXPECT_EQ(dataOf(assigned), dataOf(list));
    expectConsistent(assigned);
    EXPECT_EQ(asserts.count("m_count != list.m_count"), 0);
}

int isOdd(void* data)
{
    return *static_cast<int*>(data) % 2;
}

TEST_F(LxList, FirstThatAndLastThat)
{
    CLxList list(&b, &a, &c, nullptr);
    EXPECT_EQ(list.FirstThat(isOdd), &a);
    EXPECT_EQ(list.LastThat(isOdd), &c);
    CLxList evens(&b, nullptr);
    EXPECT_EQ(evens.FirstThat(isOdd), nullptr);
    EXPECT_EQ(evens.LastThat(isOdd), nullptr);
}

// The list a callback reaches, and what the callback saw.
CLxList* g_visited = nullptr;
std::vector<int> g_seen;

int recordAndReadTheList(void* data)
{
    g_seen.push_back(*static_cast<int*>(data));
    g_seen.push_back(g_visited->IndexOf(data)); // the same thread may call in
    return 0;
}

TEST_F(LxList, ForEachVisitsInOrderAndMayCallTheList)
{
    CLxList list(&c, &a, nullptr);
    g_visited = &list;
    g_seen.clear();
    list.ForEach(recordAndReadTheList);
    EXPECT_EQ(g_seen, (std::vector<int>{3, 0, 1, 1}));
}

std::atomic<bool> g_appended{false};
std::atomic<bool> g_inside{false};

int holdTheLock(void*)
{
    g_inside = true;
    // While this runs under the list lock, another thread's append waits.
    auto until = std::chrono::steady_clock::now() + std::chrono::milliseconds(200);
    bool early = false;
    while (std::chrono::steady_clock::now() < until)
        early = early || g_appended.load();
    return early ? 1 : 0;
}

TEST_F(LxList, CallbacksRunUnderTheListLock)
{
    CLxList list(&a, nullptr);
    g_appended = false;
    g_inside = false;
    std::thread other([&] {
        while (!g_inside)
            std::this_thread::yield();
        list.Append(&b);
        g_appended = true;
    });
    void* early = list.FirstThat(holdTheLock);
    other.join();
    EXPECT_EQ(early, nullptr) << "an append finished while the callback held the lock";
    EXPECT_EQ(list.GetCount(), 2u);
}

TEST_F(LxList, ConcurrentAppendsAndDeletesKeepTheLinks)
{
    CLxList list;
    std::vector<int> values(4 * 500);
    std::vector<std::thread> threads;
    for (int t = 0; t < 4; ++t)
        threads.emplace_back([&, t] {
            for (int i = 0; i < 500; ++i) {
                list.Append(&values[size_t(t * 500 + i)]);
                if (i % 2)
                    list.DeleteNode(list.Find(&values[size_t(t * 500 + i)]));
            }
        });
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(list.GetCount(), 1000u);
    expectConsistent(list);
}

TEST_F(LxList, TypedListsForwardWithTheirType)
{
    int numbers[] = {5, 8, 13};
    int* pointers[] = {&numbers[0], &numbers[1], &numbers[2]};
    CLxList_specI<int> list(3u, pointers);
    int* second = list[1];
    EXPECT_EQ(second, &numbers[1]);
    EXPECT_EQ(list.FirstThat(isOdd), &numbers[0]);
    EXPECT_EQ(list.LastThat(isOdd), &numbers[2]);
    EXPECT_EQ(list.IndexOf(&numbers[2]), 2);
    list.Insert(0, &numbers[2]);
    EXPECT_EQ(list.GetData(list.GetFirst()), &numbers[2]);

    CLxStringW first(u"first"), second16(u"second");
    CLxList_specI<CLxStringW> texts(&first, &second16, static_cast<CLxStringW*>(nullptr));
    CLxList_specI<CLxStringW> copy(texts);
    EXPECT_EQ(*copy[1], u"second");
    EXPECT_EQ(copy.Find(&first), copy.GetFirst());

    CLxList_specI<unsigned int> keyed(lxKEY_INT);
    unsigned int value = 7;
    keyed.Append(Key(7), &value);
    EXPECT_EQ(keyed.GetData(keyed.Find(Key(7))), &value);
}

} // namespace
