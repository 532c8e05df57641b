// Strings shared between threads: copies of one string changed on several
// threads at once, and one string assigned on some threads while others copy
// it. Meant to run under AddressSanitizer.
#include <atomic>
#include <thread>
#include <vector>

#include "string_test_support.h"

template <class S> class StringThreads : public ::testing::Test
{
};
TYPED_TEST_SUITE(StringThreads, LxStringKinds, LxStringKindNames);

constexpr int kThreads = 4;
constexpr int kRounds = 2000;

TYPED_TEST(StringThreads, CopiesChangedOnSeveralThreads)
{
    using S = TypeParam;
    using C = typename S::XCHAR;
    using T = Txt<S>;
    const S source = Make<S>("shared source text");
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        threads.emplace_back([&source, &failures, t] {
            for (int i = 0; i < kRounds; ++i) {
                S copy(source);
                S second = copy;
                copy.AddInt(t);
                second.MakeUpper();
                S third(second);
                third.Replace(T("SOURCE"), T("x"));
                S empty;
                empty.AddChar(C('e'));
                if (Utf8(copy) != "shared source text" + std::to_string(t) ||
                    Utf8(second) != "SHARED SOURCE TEXT" || Utf8(third) != "SHARED x TEXT" ||
                    Utf8(empty) != "e")
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(Utf8(source), "shared source text");
    EXPECT_EQ(LxStringInspector::Refs(source), 1);
    S fresh;
    EXPECT_TRUE(fresh.IsEmpty());
}

TYPED_TEST(StringThreads, OneStringAssignedWhileOthersCopyIt)
{
    using S = TypeParam;
    const S values[] = {Make<S>("first value"), Make<S>("second"), Make<S>("")};
    S shared = values[0];
    std::atomic<int> failures{0};
    std::vector<std::thread> threads;
    for (int t = 0; t < kThreads; ++t) {
        bool writer = t % 2 == 0;
        threads.emplace_back([&, writer, t] {
            for (int i = 0; i < kRounds; ++i) {
                if (writer) {
                    shared = values[(i + t) % 3];
                    continue;
                }
                S snapshot(shared);
                std::string text = Utf8(snapshot);
                if (text != "first value" && text != "second" && !text.empty())
                    ++failures;
            }
        });
    }
    for (std::thread& thread : threads)
        thread.join();
    EXPECT_EQ(failures.load(), 0);
    EXPECT_EQ(Utf8(values[0]), "first value");
    EXPECT_EQ(Utf8(values[1]), "second");
}
