#pragma once
// Base class of the viewer's background jobs. The owner starts the job, waits for its result
// with a time limit, and hands the object over with DeleteWhenStoped; the job's own thread
// then deletes it once Run has returned, so an owner that stops waiting never blocks and never
// deletes an object still in use.

#include "platform/kernel/event.h"

#include <QString>

#include <cstdint>

class Thread {
  public:
    Thread();
    virtual ~Thread();
    Thread(const Thread&) = delete;
    Thread& operator=(const Thread&) = delete;

    // Starts the thread and returns once it runs; false when it could not be created.
    bool Start(int parameter);
    bool IsStopped() const;
    bool WaitForStop(uint32_t timeoutMs);
    // The result of Run when the thread stopped within the time-out, else -1.
    int WaitForResult(uint32_t timeoutMs);
    // Hands the object over for deletion; the caller must not touch it afterwards.
    void DeleteWhenStoped();

    // Shows the message of a failed start; the viewer puts its message box here. The default
    // writes to standard error.
    using MessageBoxFunction = void (*)(const QString& text);
    static void SetMessageBox(MessageBoxFunction function);

    // Creates the operating system thread; tests replace it to make the creation fail.
    using CreateFunction = bool (*)(void (*procedure)(Thread*), Thread* thread);
    static void SetCreateFunctionForTest(CreateFunction function);

  protected:
    virtual int Run(int parameter) = 0;

  private:
    static void ThreadProcedure(Thread* thread);

    int parameter = 0;
    int result = 0; // written by the job before stoppedEvent is set, read by the owner after
    bool startFailed = false;
    ManualResetEvent startedEvent{false};
    ManualResetEvent stoppedEvent{false};
    ManualResetEvent destroyEvent{true};
};
