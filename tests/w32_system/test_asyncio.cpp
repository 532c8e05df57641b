// Background reads, writes and copies: chunked progress, end of file,
// failures, the continue flag, cancellation and the worker pool.
#include <atomic>
#include <future>

#include "async_test_support.h"
#include "test_fileapi_support.h"

namespace
{

using Reports = std::vector<std::pair<int, uint64_t>>;
constexpr int kMore = LX_FILE_ASYNC_MORE;

SLxAsyncIO AsyncAt(uint64_t offset, AsyncRecorder& recorder)
{
    return {uint32_t(offset), uint32_t(offset >> 32), recorder.Word(), AsyncRecorder::OnTransfer};
}

class AsyncIO : public FileApiTest
{
  protected:
    void SetUp() override { ASSERT_TRUE(AllWorkersRetired()); }
    // No routine of this test's requests may run after it.
    void TearDown() override { EXPECT_TRUE(AllWorkersRetired()); }
};

struct ReadCase {
    size_t fileSize;
    uint64_t offset;
    uint32_t count;
    Reports expected;
};

class AsyncRead : public AsyncIO, public ::testing::WithParamInterface<ReadCase>
{
};

TEST_P(AsyncRead, ReportsEachChunkAndEndsAtTheEndOfTheFile)
{
    const ReadCase& c = GetParam();
    const std::string data = PatternBytes(c.fileSize);
    WriteBytes(p8("f"), data);
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), LX_FILE_READ), 0);
    std::string buffer(c.count, '\x55');
    AsyncRecorder recorder;
    SLxAsyncIO async = AsyncAt(c.offset, recorder);
    ASSERT_EQ(LX_ReadFile(file.get(), buffer.data(), c.count, nullptr, &async), 0);
    ASSERT_TRUE(recorder.WaitForEnd());
    EXPECT_EQ(recorder.StatusesAndBytes(), c.expected);
    const uint64_t done = c.expected.back().second;
    EXPECT_EQ(buffer.substr(0, done), data.substr(std::min<size_t>(c.offset, data.size()), done));
    // Nothing beyond what was read is touched.
    EXPECT_EQ(buffer.substr(done), std::string(c.count - done, '\x55'));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AsyncRead,
    ::testing::Values(ReadCase{10000, 0, 10000, {{kMore, 4096}, {kMore, 8192}, {0, 10000}}},
                      ReadCase{4096, 0, 4096, {{0, 4096}}},
                      ReadCase{20000, 5000, 4097, {{kMore, 4096}, {0, 4097}}},
                      // The file ends before the count is met: done with what was there.
                      ReadCase{5000, 0, 10000, {{kMore, 4096}, {0, 5000}}},
                      ReadCase{8192, 0, 10000, {{kMore, 4096}, {kMore, 8192}, {0, 8192}}},
                      ReadCase{100, 200, 50, {{0, 0}}}, ReadCase{100, 0, 0, {{0, 0}}}));

TEST_F(AsyncIO, WriteLandsAtItsOffsetInChunks)
{
    const std::string data = PatternBytes(10000, 7);
    WriteBytes(p8("f"), "abc");
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), LX_FILE_READ | LX_FILE_WRITE), 0);
    AsyncRecorder recorder;
    SLxAsyncIO async = AsyncAt(2, recorder);
    ASSERT_EQ(LX_WriteFile(file.get(), data.data(), uint32_t(data.size()), nullptr, &async), 0);
    ASSERT_TRUE(recorder.WaitForEnd());
    EXPECT_EQ(recorder.StatusesAndBytes(), (Reports{{kMore, 4096}, {kMore, 8192}, {0, 10000}}));
    EXPECT_EQ(ReadBytes(p8("f")), "ab" + data);
    // Positioned transfers leave the file pointer where it was.
    uint64_t position = 1;
    EXPECT_EQ(LX_FilePosition(file.get(), &position), 0);
    EXPECT_EQ(position, 0u);
}

TEST_F(AsyncIO, WithoutARoutineTheWorkIsDoneSilently)
{
    const std::string data = PatternBytes(9000, 3);
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), LX_FILE_WRITE | LX_FILE_CREATE), 0);
    SLxAsyncIO async = {0, 0, 0, nullptr};
    ASSERT_EQ(LX_WriteFile(file.get(), data.data(), uint32_t(data.size()), nullptr, &async), 0);
    EXPECT_TRUE(Eventually([&] { return ReadBytes(p8("f")) == data; }));
}

struct FailureCase {
    const char* name;
    bool write;
    uint32_t access; // 0: an invalid handle
    uint32_t offsetHigh;
    int status;
};

class AsyncFailure : public AsyncIO, public ::testing::WithParamInterface<FailureCase>
{
};

TEST_P(AsyncFailure, ReachesTheRoutineOnceAndEndsTheRequest)
{
    const FailureCase& c = GetParam();
    WriteBytes(p8("f"), PatternBytes(100));
    ScopedFile file;
    if (c.access) {
        ASSERT_EQ(file.open(p16("f"), c.access), 0);
    }
    char buffer[100] = {};
    AsyncRecorder recorder;
    SLxAsyncIO async = {0, c.offsetHigh, recorder.Word(), AsyncRecorder::OnTransfer};
    LX_HFILE handle = c.access ? file.get() : LX_HFILE(987654);
    int rc = c.write ? LX_WriteFile(handle, buffer, sizeof(buffer), nullptr, &async)
                     : LX_ReadFile(handle, buffer, sizeof(buffer), nullptr, &async);
    ASSERT_EQ(rc, 0);
    ASSERT_TRUE(recorder.WaitForEnd());
    EXPECT_EQ(recorder.StatusesAndBytes(), (Reports{{c.status, 0}}));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AsyncFailure,
    ::testing::Values(FailureCase{"ReadFromWriteOnly", false, LX_FILE_WRITE, 0, -1002},
                      FailureCase{"WriteToReadOnly", true, LX_FILE_READ, 0, -1003},
                      FailureCase{"ReadBadHandle", false, 0, 0, -1004},
                      FailureCase{"WriteBadHandle", true, 0, 0, -1004},
                      FailureCase{"OffsetOutOfRange", false, LX_FILE_READ, 0x80000000u, -1004}),
    [](const ::testing::TestParamInfo<FailureCase>& info) { return info.param.name; });

class AsyncCopy : public AsyncIO, public ::testing::WithParamInterface<size_t>
{
};

TEST_P(AsyncCopy, IsByteIdenticalAndReportsFullChunksThenTheEnd)
{
    const size_t size = GetParam();
    const std::string data = PatternBytes(size, unsigned(size));
    WriteBytes(p8("src"), data);
    const int descriptors = OpenDescriptorCount();
    AsyncRecorder recorder;
    ASSERT_EQ(LX_CopyFile(p16("src").c_str(), p16("dst").c_str(), true, nullptr,
                          AsyncRecorder::OnCopy, recorder.Word()),
              0);
    ASSERT_TRUE(recorder.WaitForEnd());
    const std::vector<AsyncRecorder::Call> calls = recorder.Calls();
    ASSERT_EQ(calls.size(), size / 4096 + 1);
    for (size_t i = 0; i < calls.size(); ++i) {
        const bool last = i + 1 == calls.size();
        EXPECT_EQ(calls[i].status, last ? 0 : kMore) << i;
        EXPECT_EQ(calls[i].done, last ? size : (i + 1) * 4096) << i;
        EXPECT_EQ(calls[i].size, size) << i;
    }
    EXPECT_TRUE(ReadBytes(p8("dst")) == data);
    // The layer closes both files once the copy has ended.
    EXPECT_TRUE(Eventually([&] { return OpenDescriptorCount() == descriptors; }));
}

INSTANTIATE_TEST_SUITE_P(Sizes, AsyncCopy,
                         ::testing::Values(0, 1, 4095, 4096, 4097, 8192, 10000, 65539));

struct StopCase {
    const char* name;
    int initialFlag;
    size_t clearAtCall; // the routine clears the flag in this call (0: never)
    Reports expected;
};

class AsyncCopyStop : public AsyncIO, public ::testing::WithParamInterface<StopCase>
{
};

TEST_P(AsyncCopyStop, ClearedFlagEndsTheCopyAfterAFullChunk)
{
    const StopCase& c = GetParam();
    WriteBytes(p8("src"), PatternBytes(100000));
    const int descriptors = OpenDescriptorCount();
    std::atomic<int> keepGoing{c.initialFlag};
    AsyncRecorder recorder;
    recorder.onCall = [&](size_t index) {
        if (index + 1 == c.clearAtCall)
            keepGoing = 0;
    };
    ASSERT_EQ(LX_CopyFile(p16("src").c_str(), p16("dst").c_str(), false, &keepGoing,
                          AsyncRecorder::OnCopy, recorder.Word()),
              0);
    ASSERT_TRUE(recorder.WaitForEnd());
    EXPECT_EQ(recorder.StatusesAndBytes(), c.expected);
    EXPECT_EQ(ReadBytes(p8("dst")).size(), c.expected.back().second);
    // A stopped copy closes its files and frees its record (the leak checker
    // of the sanitizer build watches the record).
    EXPECT_TRUE(Eventually([&] { return OpenDescriptorCount() == descriptors; }));
}

INSTANTIATE_TEST_SUITE_P(
    Cases, AsyncCopyStop,
    ::testing::Values(StopCase{"FlagAlreadyClear", 0, 0, {{kMore, 4096}, {-1104, 4096}}},
                      StopCase{"ClearedDuringTheCopy",
                               1,
                               3,
                               {{kMore, 4096}, {kMore, 8192}, {kMore, 12288}, {-1104, 12288}}}),
    [](const ::testing::TestParamInfo<StopCase>& info) { return info.param.name; });

TEST_F(AsyncIO, CancelStopsQueuedReadsAndNoRoutineRunsAfterIt)
{
    const std::string data = PatternBytes(1 << 20);
    WriteBytes(p8("f"), data);
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), LX_FILE_READ), 0);
    std::string buffer(data.size(), '\0');
    AsyncRecorder recorder;
    // Slow steps: the 256 chunks would take well over a second.
    recorder.onCall = [](size_t) { std::this_thread::sleep_for(std::chrono::milliseconds(5)); };
    SLxAsyncIO async = AsyncAt(0, recorder);
    ASSERT_EQ(LX_ReadFile(file.get(), buffer.data(), uint32_t(buffer.size()), nullptr, &async), 0);
    ASSERT_TRUE(recorder.WaitForCalls(1));
    EXPECT_EQ(LX_CancelAsyncIO(file.get()), 0);
    const size_t callsAtCancel = recorder.Calls().size();
    ASSERT_TRUE(AllWorkersRetired());
    const std::vector<AsyncRecorder::Call> calls = recorder.Calls();
    EXPECT_EQ(calls.size(), callsAtCancel);
    EXPECT_LT(calls.size(), 256u);
    for (const AsyncRecorder::Call& call : calls)
        EXPECT_EQ(call.status, kMore);
}

TEST_F(AsyncIO, ClosingTheFileCancelsItsRequestsBeforeTheNumberIsReused)
{
    // The next file opened gets the same descriptor: a queued write must
    // never land in it.
    const std::string data = PatternBytes(4 << 20);
    LX_HFILE first = LX_INVALID_HFILE;
    ASSERT_EQ(LX_OpenFile(p16("first").c_str(), LX_FILE_WRITE | LX_FILE_CREATE, 3, LX_INVALID_HFILE,
                          &first),
              0);
    AsyncRecorder recorder;
    recorder.onCall = [](size_t) { std::this_thread::sleep_for(std::chrono::microseconds(200)); };
    SLxAsyncIO async = AsyncAt(0, recorder);
    ASSERT_EQ(LX_WriteFile(first, data.data(), uint32_t(data.size()), nullptr, &async), 0);
    ASSERT_TRUE(recorder.WaitForCalls(1));
    ASSERT_EQ(LX_CloseFile(first), 0);
    const size_t callsAtClose = recorder.Calls().size();
    ScopedFile second;
    ASSERT_EQ(second.open(p16("second"), LX_FILE_WRITE | LX_FILE_CREATE), 0);
    EXPECT_EQ(second.get(), first);
    ASSERT_TRUE(AllWorkersRetired());

    const std::vector<AsyncRecorder::Call> calls = recorder.Calls();
    ASSERT_EQ(calls.size(), callsAtClose);
    EXPECT_EQ(calls.back().status, LX_FILE_ASYNC_CANCELLED);
    for (size_t i = 0; i + 1 < calls.size(); ++i)
        EXPECT_EQ(calls[i].status, kMore);
    EXPECT_EQ(ReadBytes(p8("second")), "");
    const std::string written = ReadBytes(p8("first"));
    EXPECT_EQ(written.size(), calls.back().done);
    EXPECT_TRUE(written == data.substr(0, written.size()));
}

TEST_F(AsyncIO, CancelOfAnotherFileLeavesTheRequestAlone)
{
    const std::string data = PatternBytes(50000);
    WriteBytes(p8("f"), data);
    ScopedFile file, other;
    ASSERT_EQ(file.open(p16("f"), LX_FILE_READ), 0);
    ASSERT_EQ(other.open(p16("f"), LX_FILE_READ), 0);
    std::string buffer(data.size(), '\0');
    AsyncRecorder recorder;
    recorder.onCall = [&](size_t index) {
        if (index == 0)
            LX_CancelAsyncIO(other.get());
    };
    SLxAsyncIO async = AsyncAt(0, recorder);
    ASSERT_EQ(LX_ReadFile(file.get(), buffer.data(), uint32_t(buffer.size()), nullptr, &async), 0);
    ASSERT_TRUE(recorder.WaitForEnd());
    EXPECT_EQ(recorder.StatusesAndBytes().back(), (std::pair<int, uint64_t>(0, data.size())));
    EXPECT_TRUE(buffer == data);
}

TEST_F(AsyncIO, RoutineMayCancelItsOwnRequest)
{
    WriteBytes(p8("f"), PatternBytes(100000));
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), LX_FILE_READ), 0);
    std::string buffer(100000, '\0');
    AsyncRecorder recorder;
    recorder.onCall = [&](size_t index) {
        if (index == 1)
            LX_CancelAsyncIO(file.get());
    };
    SLxAsyncIO async = AsyncAt(0, recorder);
    ASSERT_EQ(LX_ReadFile(file.get(), buffer.data(), uint32_t(buffer.size()), nullptr, &async), 0);
    ASSERT_TRUE(AllWorkersRetired());
    EXPECT_EQ(recorder.StatusesAndBytes(), (Reports{{kMore, 4096}, {kMore, 8192}}));
}

TEST_F(AsyncIO, RoutineMaySubmitTheNextRequest)
{
    const std::string data = PatternBytes(6 * 1000);
    WriteBytes(p8("f"), data);
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), LX_FILE_READ), 0);
    std::string buffer(data.size(), '\0');
    // Each finished 1000-byte read submits the next one from its routine.
    std::promise<void> allRead;
    struct Chain {
        LX_HFILE handle;
        char* buffer;
        int next;
        std::promise<void>* done;
        static void Step(int status, uint32_t, uintptr_t word)
        {
            auto* chain = reinterpret_cast<Chain*>(word);
            if (status != 0)
                return;
            if (chain->next == 6) {
                chain->done->set_value();
                return;
            }
            SLxAsyncIO async = {uint32_t(chain->next * 1000), 0, word, &Chain::Step};
            int offset = chain->next++ * 1000;
            if (LX_ReadFile(chain->handle, chain->buffer + offset, 1000, nullptr, &async) != 0)
                chain->done->set_value();
        }
    } chain{file.get(), buffer.data(), 0, &allRead};
    Chain::Step(0, 0, reinterpret_cast<uintptr_t>(&chain));
    ASSERT_EQ(allRead.get_future().wait_for(std::chrono::seconds(30)), std::future_status::ready);
    EXPECT_EQ(chain.next, 6);
    EXPECT_TRUE(buffer == data);
}

TEST_F(AsyncIO, BusyWorkerDoesNotHoldUpTheNextRequest)
{
    WriteBytes(p8("f"), PatternBytes(10000));
    ScopedFile first, second;
    ASSERT_EQ(first.open(p16("f"), LX_FILE_READ), 0);
    ASSERT_EQ(second.open(p16("f"), LX_FILE_READ), 0);
    char bufferA[10000], bufferB[100];

    // The first request's routine holds its worker until the second is done.
    std::promise<void> release;
    std::shared_future<void> released = release.get_future().share();
    AsyncRecorder a, b;
    a.onCall = [&](size_t index) {
        if (index == 0)
            released.wait_for(std::chrono::seconds(30));
    };
    // Counted from inside b's routine: an idle worker retires soon after.
    std::atomic<int> workersDuringB{0};
    b.onCall = [&](size_t) { workersDuringB = LX_AsyncWorkerCount(); };
    SLxAsyncIO asyncA = AsyncAt(0, a), asyncB = AsyncAt(0, b);
    ASSERT_EQ(LX_ReadFile(first.get(), bufferA, sizeof(bufferA), nullptr, &asyncA), 0);
    ASSERT_TRUE(Eventually([&] { return a.Calls().size() == 1; }));
    EXPECT_EQ(LX_AsyncWorkerCount(), 1);

    ASSERT_EQ(LX_ReadFile(second.get(), bufferB, sizeof(bufferB), nullptr, &asyncB), 0);
    EXPECT_TRUE(b.WaitForEnd());
    EXPECT_EQ(workersDuringB.load(), 2);
    EXPECT_NE(b.Calls()[0].thread, a.Calls()[0].thread);
    release.set_value();
    EXPECT_TRUE(a.WaitForEnd());
}

TEST_F(AsyncIO, ManyRequestsFromSeveralThreadsAllComplete)
{
    constexpr int kThreads = 4, kPerThread = 12;
    struct Job {
        std::string data;
        std::string readBack;
        ScopedFile readFile, writeFile;
        AsyncRecorder read, write, copy;
    };
    std::vector<std::unique_ptr<Job>> jobs;
    for (int i = 0; i < kThreads * kPerThread; ++i) {
        auto job = std::make_unique<Job>();
        job->data = PatternBytes(3000 + size_t(i) * 997, unsigned(i));
        const std::string n = std::to_string(i);
        WriteBytes(p8("in" + n), job->data);
        ASSERT_EQ(job->readFile.open(p16("in" + n), LX_FILE_READ), 0);
        ASSERT_EQ(job->writeFile.open(p16("out" + n), LX_FILE_WRITE | LX_FILE_CREATE), 0);
        job->readBack.assign(job->data.size(), '\0');
        jobs.push_back(std::move(job));
    }
    std::atomic<int> refused{0};
    std::vector<std::thread> submitters;
    for (int t = 0; t < kThreads; ++t) {
        submitters.emplace_back([&, t] {
            for (int k = 0; k < kPerThread; ++k) {
                const int i = t * kPerThread + k;
                Job& job = *jobs[size_t(i)];
                const std::string n = std::to_string(i);
                const uint32_t size = uint32_t(job.data.size());
                SLxAsyncIO read = AsyncAt(0, job.read), write = AsyncAt(0, job.write);
                refused +=
                    LX_ReadFile(job.readFile.get(), job.readBack.data(), size, nullptr, &read) != 0;
                refused +=
                    LX_WriteFile(job.writeFile.get(), job.data.data(), size, nullptr, &write) != 0;
                refused += LX_CopyFile(p16("in" + n).c_str(), p16("copy" + n).c_str(), true,
                                       nullptr, AsyncRecorder::OnCopy, job.copy.Word()) != 0;
            }
        });
    }
    for (std::thread& t : submitters)
        t.join();
    ASSERT_EQ(refused.load(), 0);
    for (size_t i = 0; i < jobs.size(); ++i) {
        Job& job = *jobs[i];
        const std::string n = std::to_string(i);
        ASSERT_TRUE(job.read.WaitForEnd() && job.write.WaitForEnd() && job.copy.WaitForEnd()) << i;
        EXPECT_EQ(job.read.Calls().back().status, 0) << i;
        EXPECT_EQ(job.write.Calls().back().status, 0) << i;
        EXPECT_EQ(job.copy.Calls().back().status, 0) << i;
        EXPECT_TRUE(job.readBack == job.data) << i;
        EXPECT_TRUE(ReadBytes(p8("out" + n)) == job.data) << i;
        EXPECT_TRUE(ReadBytes(p8("copy" + n)) == job.data) << i;
    }
}

TEST_F(AsyncIO, IdleWorkersRetire)
{
    WriteBytes(p8("f"), "x");
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), LX_FILE_READ), 0);
    char c;
    AsyncRecorder recorder;
    SLxAsyncIO async = AsyncAt(0, recorder);
    ASSERT_EQ(LX_ReadFile(file.get(), &c, 1, nullptr, &async), 0);
    ASSERT_TRUE(recorder.WaitForEnd());
    EXPECT_TRUE(AllWorkersRetired());
}

} // namespace
