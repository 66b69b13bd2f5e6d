#pragma once
// The connection of InternetConnectW: where requests go and with which credentials.
//
// libcurl keeps the open TCP connections in a multi handle's cache, so a request that finished
// its answer hands its multi handle back here and the next request on this connection takes it
// again: two requests one after the other travel over one TCP connection when the server keeps
// it open. Each multi handle is used by one request, so by one thread, at a time.

#include "platform/http/internethandle.h"

#include <curl/curl.h>

#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class HttpConnection : public InternetHandle {
  public:
    HttpConnection(std::shared_ptr<const HttpSession> session, std::string host, uint16_t port,
                   std::string user, std::string password);
    ~HttpConnection() override;

    const std::string& Agent() const { return session->agent; }
    const std::string& Host() const { return host; }
    uint16_t Port() const { return port; }
    const std::string& User() const { return user; }
    const std::string& Password() const { return password; }
    bool HasCredentials() const { return !user.empty(); }

    // A multi handle for a new request: one whose cache may hold an open connection to the
    // server, else a new one. Null when libcurl cannot make one. Any thread.
    CURLM* TakeMulti();
    // Keeps a multi handle whose request has finished cleanly, for the next request. Any thread.
    void ReturnMulti(CURLM* multi);

  private:
    const std::shared_ptr<const HttpSession> session;
    const std::string host;
    const uint16_t port;
    const std::string user;
    const std::string password;

    std::mutex poolLock;
    std::vector<CURLM*> idle; // guarded by poolLock
};
