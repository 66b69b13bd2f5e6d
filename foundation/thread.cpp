#include "foundation/thread.h"

#include "foundation/log.h"

#include <atomic>
#include <cstdio>
#include <system_error>
#include <thread>

namespace {

void WriteToStandardError(const QString& text) {
    std::fprintf(stderr, "%s\n", text.toUtf8().constData());
}

bool CreateDetachedThread(void (*procedure)(Thread*), Thread* thread) {
    try {
        std::thread(procedure, thread).detach();
        return true;
    } catch (const std::system_error&) {
        return false;
    }
}

std::atomic<Thread::MessageBoxFunction> messageBox{&WriteToStandardError};
std::atomic<Thread::CreateFunction> createThread{&CreateDetachedThread};

} // namespace

Thread::Thread() = default;
Thread::~Thread() = default;

void Thread::SetMessageBox(MessageBoxFunction function) {
    messageBox = function ? function : &WriteToStandardError;
}

void Thread::SetCreateFunctionForTest(CreateFunction function) {
    createThread = function ? function : &CreateDetachedThread;
}

bool Thread::Start(int newParameter) {
    startFailed = false;
    startedEvent.Reset();
    destroyEvent.Reset();
    stoppedEvent.Reset();
    result = 0;
    parameter = newParameter;

    if (createThread.load()(&Thread::ThreadProcedure, this)) {
        startedEvent.Wait(ManualResetEvent::kInfinite);
        return true;
    }
    LogError(u"Thread::Start", "Failed to start thread");
    stoppedEvent.Set();
    startFailed = true;
    return false;
}

void Thread::ThreadProcedure(Thread* thread) {
    thread->stoppedEvent.Reset();
    thread->startedEvent.Set();
    thread->result = thread->Run(thread->parameter);
    thread->stoppedEvent.Set();
    thread->destroyEvent.Wait(ManualResetEvent::kInfinite);
    delete thread;
}

bool Thread::IsStopped() const {
    return stoppedEvent.IsSet();
}

bool Thread::WaitForStop(uint32_t timeoutMs) {
    return stoppedEvent.Wait(timeoutMs);
}

int Thread::WaitForResult(uint32_t timeoutMs) {
    return WaitForStop(timeoutMs) ? result : -1;
}

void Thread::DeleteWhenStoped() {
    if (startFailed) {
        messageBox.load()(QStringLiteral("Thread::DeleteWhenStoped - deleting"));
        delete this;
        return;
    }
    destroyEvent.Set();
}
