// The platform attach and detach step and the system's version record.
#include "async_test_support.h"
#include "test_fileapi_support.h"
#include "w32_system/LxSysInfo.h"
#include "w32_system/LxW32System.h"

namespace
{

// Every test leaves the platform attached, as the library's load left it.
class PlatformAttach : public FileApiTest
{
  protected:
    void SetUp() override { ASSERT_TRUE(AllWorkersRetired()); }
    void TearDown() override
    {
        EXPECT_TRUE(LX_W32SystemAttachDetach(nullptr, LX_PROCESS_ATTACH, nullptr));
        EXPECT_TRUE(AllWorkersRetired());
    }
};

TEST_F(PlatformAttach, DetachRefusesRequestsAndAttachTakesThemAgain)
{
    WriteBytes(p8("src"), "contents");
    ScopedFile file;
    ASSERT_EQ(file.open(p16("src"), LX_FILE_READ), 0);
    char buffer[8];
    AsyncRecorder recorder;
    SLxAsyncIO async = {0, 0, recorder.Word(), AsyncRecorder::OnTransfer};

    EXPECT_TRUE(LX_W32SystemAttachDetach(nullptr, LX_PROCESS_DETACH, nullptr));
    EXPECT_EQ(LX_ReadFile(file.get(), buffer, sizeof(buffer), nullptr, &async), -9);
    // A refused copy leaves no file open.
    const int descriptors = OpenDescriptorCount();
    EXPECT_EQ(LX_CopyFile(p16("src").c_str(), p16("dst").c_str(), false, nullptr,
                          AsyncRecorder::OnCopy, recorder.Word()),
              -9);
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    EXPECT_TRUE(recorder.Calls().empty());

    EXPECT_TRUE(LX_W32SystemAttachDetach(nullptr, LX_PROCESS_ATTACH, nullptr));
    ASSERT_EQ(LX_ReadFile(file.get(), buffer, sizeof(buffer), nullptr, &async), 0);
    ASSERT_TRUE(recorder.WaitForEnd());
    EXPECT_EQ(recorder.Calls().back().status, 0);
    EXPECT_EQ(std::string(buffer, 8), "contents");
}

TEST_F(PlatformAttach, DetachDropsRunningCopiesAndClosesTheirFiles)
{
    WriteBytes(p8("src"), PatternBytes(1 << 20));
    const int descriptors = OpenDescriptorCount();
    AsyncRecorder recorder;
    recorder.onCall = [](size_t) { std::this_thread::sleep_for(std::chrono::milliseconds(2)); };
    ASSERT_EQ(LX_CopyFile(p16("src").c_str(), p16("dst").c_str(), false, nullptr,
                          AsyncRecorder::OnCopy, recorder.Word()),
              0);
    ASSERT_TRUE(recorder.WaitForCalls(1));
    EXPECT_TRUE(LX_W32SystemAttachDetach(nullptr, LX_PROCESS_DETACH, nullptr));
    // Detach waits for the workers; the copy got no further report after it.
    EXPECT_EQ(LX_AsyncWorkerCount(), 0);
    const size_t callsAtDetach = recorder.Calls().size();
    EXPECT_EQ(OpenDescriptorCount(), descriptors);
    std::this_thread::sleep_for(std::chrono::milliseconds(20));
    EXPECT_EQ(recorder.Calls().size(), callsAtDetach);
    EXPECT_EQ(recorder.Calls().back().status, LX_FILE_ASYNC_MORE);
}

TEST_F(PlatformAttach, ThreadNotificationsAndRepeatedAttachChangeNothing)
{
    EXPECT_TRUE(LX_W32SystemAttachDetach(nullptr, LX_THREAD_ATTACH, nullptr));
    EXPECT_TRUE(LX_W32SystemAttachDetach(nullptr, LX_THREAD_DETACH, nullptr));
    EXPECT_TRUE(LX_W32SystemAttachDetach(nullptr, LX_PROCESS_ATTACH, nullptr));
    EXPECT_TRUE(LX_W32SystemAttachDetach(nullptr, LX_PROCESS_ATTACH, nullptr));

    WriteBytes(p8("f"), "x");
    ScopedFile file;
    ASSERT_EQ(file.open(p16("f"), LX_FILE_READ), 0);
    char c = 0;
    AsyncRecorder recorder;
    SLxAsyncIO async = {0, 0, recorder.Word(), AsyncRecorder::OnTransfer};
    ASSERT_EQ(LX_ReadFile(file.get(), &c, 1, nullptr, &async), 0);
    ASSERT_TRUE(recorder.WaitForEnd());
    EXPECT_EQ(c, 'x');
}

TEST(WinVersion, IsTheNtFamilyVersion10)
{
    OSVERSIONINFOW info;
    memset(&info, 0xAB, sizeof(info));
    CLxWinVersion::GetOSVersionInfo(info);
    EXPECT_EQ(info.dwOSVersionInfoSize, 276u);
    EXPECT_EQ(info.dwPlatformId, 2u);
    EXPECT_EQ(info.dwMajorVersion, 10u);
    EXPECT_EQ(info.dwMinorVersion, 0u);
    EXPECT_EQ(info.szCSDVersion[0], u'\0');

    EXPECT_TRUE(CLxWinVersion::IsWinNT());
    for (bool older : {CLxWinVersion::IsWin95(), CLxWinVersion::IsWin98(), CLxWinVersion::IsWinME(),
                       CLxWinVersion::IsWin35(), CLxWinVersion::IsWin40(), CLxWinVersion::IsWin2k(),
                       CLxWinVersion::IsWinXP()})
        EXPECT_FALSE(older);
}

} // namespace
