#pragma once
// The process-wide table of open HINTERNET handles.
//
// A handle value is a number that is never reused, so a call with a handle that another thread
// has just closed finds nothing, instead of memory that was freed or given to a new handle.
// Lookups hand out shared ownership: an object stays alive until the last call using it returns,
// whoever closed it meanwhile.

#include "platform/http/internethandle.h"
#include "platform/http/wininet.h"

#include <cstdint>
#include <memory>
#include <mutex>
#include <unordered_map>

class HandleTable {
  public:
    static HandleTable& Instance();

    HINTERNET Add(std::shared_ptr<InternetHandle> object);
    // The open object behind a handle, if it is of type T; null otherwise.
    template <typename T> std::shared_ptr<T> Find(HINTERNET handle) {
        return std::dynamic_pointer_cast<T>(FindAny(handle));
    }
    // Takes the handle out of the table; null when it was not open.
    std::shared_ptr<InternetHandle> Remove(HINTERNET handle);

  private:
    HandleTable() = default;
    std::shared_ptr<InternetHandle> FindAny(HINTERNET handle);

    std::mutex lock;
    uintptr_t lastNumber = 0;                                            // guarded by lock
    std::unordered_map<uintptr_t, std::shared_ptr<InternetHandle>> open; // guarded by lock
};
