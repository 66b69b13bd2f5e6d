#pragma once
// One GET of HttpOpenRequestW, driven by libcurl's multi interface on the caller's thread.
//
// Nothing runs in the background: HttpSendRequestW, InternetQueryDataAvailable and
// InternetReadFile each drive the transfer themselves until what they wait for has arrived.
// Body bytes that arrive before they are asked for wait in `body`; past kReadAheadLimit the
// transfer is paused, so a slow reader holds back the server instead of filling memory.
//
// Threads: Send, QueryStatus, QueryContentType, QueryDataAvailable and Read run one at a time under
// `operation`; the thread that holds it owns every field marked so, and is the only one touching the curl
// handles. Cancel may come from any thread at any time: it only sets `cancelled` and wakes the
// multi handle's poll (curl_multi_wakeup is made for that), so a blocked call returns at once.
// The destructor runs when the last user has let go, so no other thread is left.

#include "platform/http/httpconnection.h"
#include "platform/http/internethandle.h"
#include "platform/http/receivebatching.h"

#include <curl/curl.h>

#include <atomic>
#include <cstdint>
#include <memory>
#include <mutex>
#include <string>
#include <vector>

class HttpRequest : public InternetHandle {
  public:
    // Null, with the error, when libcurl cannot make its handles.
    static std::shared_ptr<HttpRequest> Create(std::shared_ptr<HttpConnection> connection,
                                               const std::string& url, uint32_t& error);
    ~HttpRequest() override;
    HttpRequest(const HttpRequest&) = delete;
    HttpRequest& operator=(const HttpRequest&) = delete;

    // Each returns false and sets the thread's last error on failure.
    bool Send(const std::string& extraHeaders);
    bool QueryStatus(uint32_t& status);
    // The answer's Content-Type value, as libcurl kept it.
    bool QueryContentType(std::string& value);
    bool QueryDataAvailable(uint32_t& available);
    bool Read(char* buffer, uint32_t size, uint32_t& read);
    // How long QueryDataAvailable and Read wait for body bytes before they fail with
    // ERROR_INTERNET_TIMEOUT; 0 waits for ever. Any thread, any time.
    void SetReceiveTimeout(uint32_t milliseconds) { receiveTimeoutMs = milliseconds; }

    void Cancel() override;

  private:
    HttpRequest(std::shared_ptr<HttpConnection> connection, CURLM* multi, CURL* easy);
    bool Configure(const std::string& url);

    static size_t OnHeader(char* data, size_t size, size_t count, void* self);
    static size_t OnBody(char* data, size_t size, size_t count, void* self);
    void HeadArrived();

    // Drives the transfer until ready() holds or the transfer has finished; false when
    // cancelled, when libcurl fails, or (receiving) when the receive timeout passes first.
    template <typename Ready> bool Pump(Ready ready, bool receiving = false);
    void TakeFinishedTransfer();
    // The socket libcurl waits to read from, when there is exactly one.
    curl_socket_t ReadingSocket();
    bool StartedOrFail();
    void ResumeWhenRoom();
    size_t Buffered() const { return body.size() - bodyStart; }

    const std::shared_ptr<HttpConnection> connection;
    CURLM* const multi; // fixed for the object's life, so Cancel may wake it from any thread
    CURL* const easy;
    std::atomic<bool> cancelled{false};
    std::atomic<uint32_t> receiveTimeoutMs{0};

    std::mutex operation;
    curl_slist* headers = nullptr; // owned under operation
    bool attached = false;         // easy is in multi; under operation
    bool sent = false;             // a send has started; under operation
    bool headComplete = false;     // under operation
    bool finished = false;         // libcurl reported the end of the transfer; under operation
    bool paused = false;           // the transfer waits for room in body; under operation
    bool redirection = false;      // the answer coming in has a Location; under operation
    CURLcode result = CURLE_OK;    // of the finished transfer; under operation
    long status = 0;               // of the final answer; under operation
    std::vector<char> body;        // read-ahead bytes from bodyStart on; under operation
    size_t bodyStart = 0;          // under operation
    ReceiveBatching batching;      // under operation
};
