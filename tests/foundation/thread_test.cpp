#include "foundation/thread.h"

#include "foundation/log.h"
#include "platform/kernel/tick.h"

#include <gtest/gtest.h>

#include <atomic>
#include <string>

namespace {

// A job that runs until released, then returns its parameter plus one.
class GatedJob : public Thread {
  public:
    explicit GatedJob(std::atomic<bool>& deleted) : deleted(deleted) {}
    ~GatedJob() override { deleted = true; }
    ManualResetEvent release{false};

  protected:
    int Run(int parameter) override {
        release.Wait(ManualResetEvent::kInfinite);
        return parameter + 1;
    }

  private:
    std::atomic<bool>& deleted;
};

bool WaitUntil(const std::atomic<bool>& flag) {
    for (int i = 0; i < 500 && !flag; ++i)
        Sleep(10);
    return flag;
}

TEST(ThreadTest, ResultArrivesWhenTheJobStopsInTime) {
    std::atomic<bool> deleted{false};
    auto* job = new GatedJob(deleted);
    ASSERT_TRUE(job->Start(41));
    EXPECT_FALSE(job->IsStopped());
    job->release.Set();
    EXPECT_EQ(job->WaitForResult(5000), 42);
    EXPECT_TRUE(job->IsStopped());
    EXPECT_FALSE(deleted); // still owned until handed over
    job->DeleteWhenStoped();
    EXPECT_TRUE(WaitUntil(deleted));
}

TEST(ThreadTest, TimeoutGivesMinusOneAndTheJobCleansUpAfterItself) {
    std::atomic<bool> deleted{false};
    auto* job = new GatedJob(deleted);
    ASSERT_TRUE(job->Start(1));
    EXPECT_EQ(job->WaitForResult(20), -1);
    EXPECT_FALSE(job->IsStopped());
    job->release.Set();
    EXPECT_TRUE(job->WaitForStop(5000));
    job->DeleteWhenStoped(); // returns at once; the job thread deletes the object
    EXPECT_TRUE(WaitUntil(deleted));
}

TEST(ThreadTest, HandingOverBeforeTheEndDoesNotBlock) {
    std::atomic<bool> deleted{false};
    auto* job = new GatedJob(deleted);
    ASSERT_TRUE(job->Start(1));
    ManualResetEvent& release = job->release;
    job->DeleteWhenStoped();
    EXPECT_FALSE(deleted);
    release.Set(); // the job ends on its own and deletes itself
    EXPECT_TRUE(WaitUntil(deleted));
}

std::string lastMessageBox;
void RecordMessageBox(const QString& text) {
    lastMessageBox = text.toStdString();
}

TEST(ThreadTest, FailedStartIsLoggedReportedAndDeletedOnTheCaller) {
    std::string console;
    DiagLog::Instance().SetConsoleForTest([&console](std::string_view text) { console += text; });
    Thread::SetMessageBox(&RecordMessageBox);
    Thread::SetCreateFunctionForTest([](void (*)(Thread*), Thread*) { return false; });

    std::atomic<bool> deleted{false};
    auto* job = new GatedJob(deleted);
    EXPECT_FALSE(job->Start(1));
    EXPECT_TRUE(job->IsStopped());
    EXPECT_NE(console.find(":E:Thread::Start - Failed to start thread"), std::string::npos);
    job->DeleteWhenStoped();
    EXPECT_TRUE(deleted); // deleted at once, on this thread
    EXPECT_EQ(lastMessageBox, "Thread::DeleteWhenStoped - deleting");

    Thread::SetCreateFunctionForTest(nullptr);
    Thread::SetMessageBox(nullptr);
    DiagLog::Instance().SetConsoleForTest(nullptr);
}

} // namespace
