#include "platform/http/httprequest.h"

#include "platform/http/curlerror.h"
#include "platform/http/wininet.h"
#include "platform/kernel/lasterror.h"

#include <arpa/inet.h>
#include <netinet/in.h>

#include <algorithm>
#include <cctype>
#include <chrono>
#include <cstring>
#include <string_view>

namespace {

// How long one poll may sleep. Cancel wakes it at once, and libcurl shortens it for its own
// timers, so this only bounds a wake-up that was somehow missed.
constexpr int kPollMs = 1000;
// libcurl's receive buffer: large reads keep a fast stream cheap, and one read takes in a whole
// batch of a stream that pours in.
constexpr long kReceiveBufferSize = ReceiveBatching::kBatchBytes;

bool StartsWith(std::string_view text, std::string_view start) {
    return text.size() >= start.size() &&
           std::equal(start.begin(), start.end(), text.begin(), [](char a, char b) {
               return std::tolower(static_cast<unsigned char>(a)) ==
                      std::tolower(static_cast<unsigned char>(b));
           });
}

// Whether a header line is a Location with a value: with it, libcurl follows any 3xx answer.
bool IsLocation(std::string_view line) {
    if (!StartsWith(line, "location:"))
        return false;
    return line.substr(9).find_first_not_of(" \t\r\n") != std::string_view::npos;
}

bool Failed(uint32_t error) {
    SetLastError(error);
    return false;
}

bool IsLoopbackHost(const std::string& host) {
    in_addr address{};
    return host == "localhost" || host == "::1" || host == "[::1]" ||
           (inet_pton(AF_INET, host.c_str(), &address) == 1 && (ntohl(address.s_addr) >> 24) == 127);
}

} // namespace

std::shared_ptr<HttpRequest> HttpRequest::Create(std::shared_ptr<HttpConnection> connection,
                                                 const std::string& url, uint32_t& error) {
    error = ERROR_INTERNET_CONNECTION_RESET;
    CURLM* multi = connection->TakeMulti();
    if (multi == nullptr)
        return nullptr;
    CURL* easy = curl_easy_init();
    if (easy == nullptr) {
        curl_multi_cleanup(multi);
        return nullptr;
    }
    std::shared_ptr<HttpRequest> request(new HttpRequest(std::move(connection), multi, easy));
    if (!request->Configure(url)) {
        error = ERROR_INTERNET_INVALID_URL;
        return nullptr;
    }
    return request;
}

HttpRequest::HttpRequest(std::shared_ptr<HttpConnection> connection, CURLM* multi, CURL* easy)
    : connection(std::move(connection)), multi(multi), easy(easy) {}

HttpRequest::~HttpRequest() {
    if (attached)
        curl_multi_remove_handle(multi, easy);
    curl_easy_cleanup(easy);
    curl_slist_free_all(headers);
    // A transfer that ended cleanly left its connection open in the multi handle's cache.
    if (finished && result == CURLE_OK) {
        connection->ReturnMulti(multi);
    } else {
        curl_multi_cleanup(multi);
    }
}

bool HttpRequest::Configure(const std::string& url) {
    bool ok = curl_easy_setopt(easy, CURLOPT_URL, url.c_str()) == CURLE_OK;
    curl_easy_setopt(easy, CURLOPT_PATH_AS_IS, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTPGET, 1L);
    curl_easy_setopt(easy, CURLOPT_HTTP_VERSION, static_cast<long>(CURL_HTTP_VERSION_1_1));
    curl_easy_setopt(easy, CURLOPT_NOSIGNAL, 1L);
    // A name lookup still running when the request ends is left to finish on its own: closing a
    // request to a camera whose name server never answers would otherwise wait for the lookup.
    curl_easy_setopt(easy, CURLOPT_QUICK_EXIT, 1L);
    // Through a proxy, the proxy's own answer to the tunnel is not taken for the camera's.
    curl_easy_setopt(easy, CURLOPT_SUPPRESS_CONNECT_HEADERS, 1L);
    curl_easy_setopt(easy, CURLOPT_CONNECTTIMEOUT_MS, static_cast<long>(kConnectTimeoutMs));
    curl_easy_setopt(easy, CURLOPT_BUFFERSIZE, kReceiveBufferSize);
    if (!connection->Agent().empty())
        curl_easy_setopt(easy, CURLOPT_USERAGENT, connection->Agent().c_str());
    // Proxies come from the environment, as libcurl reads it; a camera on this machine is
    // always reached directly.
    if (IsLoopbackHost(connection->Host()))
        curl_easy_setopt(easy, CURLOPT_PROXY, "");
    // libcurl sends the credentials only while the redirections stay on the same scheme, host
    // and port.
    curl_easy_setopt(easy, CURLOPT_FOLLOWLOCATION, 1L);
    curl_easy_setopt(easy, CURLOPT_MAXREDIRS, static_cast<long>(kMaxRedirections));
    curl_easy_setopt(easy, CURLOPT_REDIR_PROTOCOLS_STR, "http,https");
    if (connection->HasCredentials()) {
        curl_easy_setopt(easy, CURLOPT_HTTPAUTH, static_cast<long>(CURLAUTH_BASIC | CURLAUTH_DIGEST));
        curl_easy_setopt(easy, CURLOPT_USERNAME, connection->User().c_str());
        curl_easy_setopt(easy, CURLOPT_PASSWORD, connection->Password().c_str());
    }
    curl_easy_setopt(easy, CURLOPT_HEADERFUNCTION, &HttpRequest::OnHeader);
    curl_easy_setopt(easy, CURLOPT_HEADERDATA, this);
    curl_easy_setopt(easy, CURLOPT_WRITEFUNCTION, &HttpRequest::OnBody);
    curl_easy_setopt(easy, CURLOPT_WRITEDATA, this);
    return ok;
}

bool HttpRequest::Send(const std::string& extraHeaders) {
    std::lock_guard<std::mutex> guard(operation);
    if (cancelled)
        return Failed(ERROR_INTERNET_OPERATION_CANCELLED);
    if (attached) {
        curl_multi_remove_handle(multi, easy);
        attached = false;
    }
    headComplete = finished = paused = false;
    result = CURLE_OK;
    status = 0;
    body.clear();
    bodyStart = 0;
    batching = ReceiveBatching(); // a transfer taken off the multi handle unfinished closed its socket

    curl_slist_free_all(headers);
    headers = curl_slist_append(nullptr, "Pragma: no-cache");
    headers = curl_slist_append(headers, "Cache-Control: no-cache");
    for (size_t start = 0; start < extraHeaders.size();) {
        size_t end = extraHeaders.find("\r\n", start);
        if (end == std::string::npos)
            end = extraHeaders.size();
        if (end > start)
            headers = curl_slist_append(headers, extraHeaders.substr(start, end - start).c_str());
        start = end + 2;
    }
    curl_easy_setopt(easy, CURLOPT_HTTPHEADER, headers);

    if (curl_multi_add_handle(multi, easy) != CURLM_OK)
        return Failed(ERROR_INTERNET_CONNECTION_RESET);
    attached = true;
    sent = true;
    if (!Pump([this] { return headComplete; }))
        return false;
    if (headComplete)
        return true;
    // libcurl refuses an answer without a status line as a protocol it does not support; the
    // scheme was checked when the request was opened, so this is the server answering garbage.
    // A redirection to another scheme (an answer with its status) stays an unrecognized scheme.
    long answered = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &answered);
    const bool garbage = result == CURLE_OK || (result == CURLE_UNSUPPORTED_PROTOCOL && answered == 0);
    return Failed(garbage ? ERROR_HTTP_INVALID_SERVER_RESPONSE : InternetErrorFromCurl(result));
}

bool HttpRequest::QueryStatus(uint32_t& answer) {
    std::lock_guard<std::mutex> guard(operation);
    if (!headComplete)
        return Failed(ERROR_HTTP_HEADER_NOT_FOUND);
    answer = static_cast<uint32_t>(status);
    return true;
}

bool HttpRequest::QueryContentType(std::string& value) {
    std::lock_guard<std::mutex> guard(operation);
    if (!headComplete)
        return Failed(ERROR_HTTP_HEADER_NOT_FOUND);
    const char* type = nullptr;
    if (curl_easy_getinfo(easy, CURLINFO_CONTENT_TYPE, &type) != CURLE_OK || type == nullptr)
        return Failed(ERROR_HTTP_HEADER_NOT_FOUND);
    value = type;
    return true;
}

bool HttpRequest::QueryDataAvailable(uint32_t& available) {
    std::lock_guard<std::mutex> guard(operation);
    if (!StartedOrFail())
        return false;
    if (!Pump([this] { return Buffered() > 0; }, true))
        return false;
    if (Buffered() == 0 && result != CURLE_OK)
        return Failed(InternetErrorFromCurl(result));
    // Take in whatever else is already there, without waiting for more.
    if (!finished && !paused) {
        int running = 0;
        curl_multi_perform(multi, &running);
        TakeFinishedTransfer();
    }
    available = static_cast<uint32_t>(std::min<size_t>(Buffered(), UINT32_MAX));
    return true;
}

bool HttpRequest::Read(char* buffer, uint32_t size, uint32_t& read) {
    std::lock_guard<std::mutex> guard(operation);
    read = 0;
    if (!StartedOrFail())
        return false;
    if (size == 0)
        return true;
    if (!Pump([this] { return Buffered() > 0; }, true))
        return false;
    if (Buffered() == 0)
        return result == CURLE_OK ? true : Failed(InternetErrorFromCurl(result));
    const size_t count = std::min<size_t>(size, Buffered());
    std::memcpy(buffer, body.data() + bodyStart, count);
    bodyStart += count;
    if (bodyStart == body.size()) {
        body.clear();
        bodyStart = 0;
    }
    ResumeWhenRoom();
    read = static_cast<uint32_t>(count);
    return true;
}

void HttpRequest::Cancel() {
    cancelled = true;
    curl_multi_wakeup(multi);
}

bool HttpRequest::StartedOrFail() {
    if (cancelled)
        return Failed(ERROR_INTERNET_OPERATION_CANCELLED);
    if (!sent || !headComplete)
        return Failed(ERROR_INTERNET_INCORRECT_HANDLE_STATE);
    return true;
}

template <typename Ready> bool HttpRequest::Pump(Ready ready, bool receiving) {
    const uint32_t timeoutMs = receiving ? receiveTimeoutMs.load() : 0;
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    for (;;) {
        if (cancelled)
            return Failed(ERROR_INTERNET_OPERATION_CANCELLED);
        if (ready() || finished)
            return true;
        int running = 0;
        if (curl_multi_perform(multi, &running) != CURLM_OK)
            return Failed(ERROR_INTERNET_CONNECTION_RESET);
        TakeFinishedTransfer();
        if (ready() || finished)
            return true;
        int pollMs = kPollMs;
        if (timeoutMs > 0) {
            const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(
                deadline - std::chrono::steady_clock::now());
            if (left.count() <= 0)
                return Failed(ERROR_INTERNET_TIMEOUT);
            pollMs = static_cast<int>(std::min<int64_t>(pollMs, left.count()));
        }
        curl_socket_t socket = CURL_SOCKET_BAD;
        if (receiving && batching.Flooding())
            socket = batching.Raised() != CURL_SOCKET_BAD ? batching.Raised() : ReadingSocket();
        int ready = 0;
        const CURLMcode polled =
            curl_multi_poll(multi, nullptr, 0, batching.BeforeWait(socket, pollMs), &ready);
        batching.AfterWait(ready > 0);
        if (polled != CURLM_OK)
            return Failed(ERROR_INTERNET_CONNECTION_RESET);
    }
}

curl_socket_t HttpRequest::ReadingSocket() {
    fd_set reading;
    fd_set writing;
    fd_set failing;
    FD_ZERO(&reading);
    FD_ZERO(&writing);
    FD_ZERO(&failing);
    int highest = -1;
    if (curl_multi_fdset(multi, &reading, &writing, &failing, &highest) != CURLM_OK || highest < 0)
        return CURL_SOCKET_BAD;
    // One transfer, one socket; anything else (a resolver, a second connection) is left alone.
    // libcurl leaves out a socket numbered past FD_SETSIZE, and such a stream is read as it comes.
    curl_socket_t found = CURL_SOCKET_BAD;
    for (int fd = 0; fd <= highest; ++fd) {
        if (!FD_ISSET(fd, &reading))
            continue;
        if (found != CURL_SOCKET_BAD)
            return CURL_SOCKET_BAD;
        found = fd;
    }
    return found;
}

void HttpRequest::TakeFinishedTransfer() {
    int left = 0;
    while (CURLMsg* message = curl_multi_info_read(multi, &left)) {
        if (message->msg != CURLMSG_DONE || message->easy_handle != easy)
            continue;
        finished = true;
        curl_socket_t kept = CURL_SOCKET_BAD;
        curl_easy_getinfo(easy, CURLINFO_ACTIVESOCKET, &kept);
        batching.Ended(kept);
        result = message->data.result;
        if (result == CURLE_OK && !headComplete)
            HeadArrived();
    }
}

void HttpRequest::ResumeWhenRoom() {
    // Waiting for half the buffer to be free keeps a reader of small pieces from pausing and
    // resuming the transfer at every read.
    if (!paused || Buffered() > kReadAheadLimit / 2)
        return;
    paused = false; // OnBody may pause again from inside curl_easy_pause
    const CURLcode resumed = curl_easy_pause(easy, CURLPAUSE_CONT);
    if (resumed != CURLE_OK && !finished) {
        finished = true;
        result = resumed;
    }
}

void HttpRequest::HeadArrived() {
    long code = 0;
    curl_easy_getinfo(easy, CURLINFO_RESPONSE_CODE, &code);
    status = code;
    headComplete = true;
}

size_t HttpRequest::OnHeader(char* data, size_t size, size_t count, void* self) {
    auto* request = static_cast<HttpRequest*>(self);
    const size_t length = size * count;
    const std::string_view line(data, length);
    if (StartsWith(line, "HTTP/")) {
        request->redirection = false; // the status line of the next answer
    } else if (IsLocation(line)) {
        request->redirection = true;
    }
    if (line == "\r\n" || line == "\n") {
        long code = 0;
        curl_easy_getinfo(request->easy, CURLINFO_RESPONSE_CODE, &code);
        if (code >= 100 && code < 200)
            return length; // an interim answer; the real one follows
        // libcurl answers a challenge with the credentials by itself; the head we report is the
        // answer to that. If libcurl gives up instead, the 401's body or its end completes it.
        if ((code == 401 || code == 407) && request->connection->HasCredentials())
            return length;
        // A redirection that libcurl follows is not the answer either; the one after the last it
        // follows is.
        long followed = 0;
        curl_easy_getinfo(request->easy, CURLINFO_REDIRECT_COUNT, &followed);
        if (code >= 300 && code < 400 && request->redirection && followed < kMaxRedirections)
            return length;
        request->HeadArrived();
    }
    return length;
}

size_t HttpRequest::OnBody(char* data, size_t size, size_t count, void* self) {
    auto* request = static_cast<HttpRequest*>(self);
    const size_t length = size * count;
    if (!request->headComplete)
        request->HeadArrived();
    // libcurl hands the same bytes again after the pause; a single delivery larger than the
    // limit is taken into an empty buffer, so it cannot wait for ever.
    if (request->Buffered() > 0 && request->Buffered() + length > kReadAheadLimit) {
        request->paused = true;
        return CURL_WRITEFUNC_PAUSE;
    }
    std::vector<char>& body = request->body;
    if (request->bodyStart > 0 && request->bodyStart >= body.size() / 2) {
        body.erase(body.begin(), body.begin() + static_cast<std::ptrdiff_t>(request->bodyStart));
        request->bodyStart = 0;
    }
    body.insert(body.end(), data, data + length);
    request->batching.Arrived(length, ReceiveBatching::Clock::now());
    return length;
}
