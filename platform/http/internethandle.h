#pragma once
// The objects behind HINTERNET values. Callers never see them: the handle table hands out
// numbers and keeps each object alive while any call is using it.

#include <memory>
#include <string>

class InternetHandle {
  public:
    virtual ~InternetHandle() = default;
    // Called once, by InternetCloseHandle, on any thread: ends what is in progress on the
    // handle. The object itself lives on until its last user lets go.
    virtual void Cancel() {}
};

// The session of InternetOpenW: what every request under it sends as its user agent.
struct HttpSession : InternetHandle {
    explicit HttpSession(std::string agent) : agent(std::move(agent)) {}
    const std::string agent;
};
