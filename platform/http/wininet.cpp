#include "platform/http/wininet.h"

#include "platform/http/handletable.h"
#include "platform/http/httpconnection.h"
#include "platform/http/httprequest.h"
#include "platform/http/urlparts.h"
#include "platform/http/widetext.h"
#include "platform/kernel/lasterror.h"

#include <curl/curl.h>

#include <cstring>
#include <mutex>

namespace {

constexpr uint32_t kZeroTerminated = 0xFFFFFFFFu;

bool Failed(uint32_t error) {
    SetLastError(error);
    return false;
}

HINTERNET FailedHandle(uint32_t error) {
    SetLastError(error);
    return nullptr;
}

std::shared_ptr<HttpRequest> FindRequest(HINTERNET handle) {
    std::shared_ptr<HttpRequest> request = HandleTable::Instance().Find<HttpRequest>(handle);
    if (!request)
        SetLastError(ERROR_INVALID_HANDLE);
    return request;
}

} // namespace

HINTERNET InternetOpenW(const char16_t* agent, uint32_t /*accessType*/, const char16_t* /*proxy*/,
                        const char16_t* /*proxyBypass*/, uint32_t /*flags*/) {
    static std::once_flag curlReady;
    static bool curlOk = false;
    std::call_once(curlReady, [] { curlOk = curl_global_init(CURL_GLOBAL_DEFAULT) == CURLE_OK; });
    if (!curlOk)
        return FailedHandle(ERROR_INTERNET_CONNECTION_RESET);
    return HandleTable::Instance().Add(std::make_shared<HttpSession>(ToUtf8(agent)));
}

bool InternetCrackUrlW(const char16_t* url, CrackedUrl& parts) {
    if (url == nullptr || *url == 0)
        return Failed(ERROR_INVALID_PARAMETER);
    uint32_t error = 0;
    CrackedUrl split;
    if (!SplitUrl(ToUtf8(url), split, error))
        return Failed(error);
    parts = std::move(split);
    return true;
}

HINTERNET InternetConnectW(HINTERNET internet, const char16_t* host, uint16_t port, const char16_t* user,
                           const char16_t* password, uint32_t service, uint32_t /*flags*/,
                           uintptr_t /*context*/) {
    std::shared_ptr<HttpSession> session = HandleTable::Instance().Find<HttpSession>(internet);
    if (!session)
        return FailedHandle(ERROR_INVALID_HANDLE);
    if (host == nullptr || *host == 0 || service != INTERNET_SERVICE_HTTP) {
        return FailedHandle(ERROR_INVALID_PARAMETER);
    }
    auto connection = std::make_shared<HttpConnection>(std::move(session), ToUtf8(host),
                                                       port == 0 ? INTERNET_DEFAULT_HTTP_PORT : port,
                                                       ToUtf8(user), ToUtf8(password));
    return HandleTable::Instance().Add(std::move(connection));
}

HINTERNET HttpOpenRequestW(HINTERNET connectionHandle, const char16_t* verb, const char16_t* object,
                           const char16_t* /*version*/, const char16_t* /*referrer*/,
                           const char16_t** /*acceptTypes*/, uint32_t flags, uintptr_t /*context*/) {
    std::shared_ptr<HttpConnection> connection =
        HandleTable::Instance().Find<HttpConnection>(connectionHandle);
    if (!connection)
        return FailedHandle(ERROR_INVALID_HANDLE);
    const std::string method = ToUtf8(verb);
    if (!method.empty() && method != "GET")
        return FailedHandle(ERROR_INVALID_PARAMETER);
    std::string url;
    if (!ComposeRequestUrl((flags & INTERNET_FLAG_SECURE) != 0, connection->Host(), connection->Port(),
                           ToUtf8(object), url)) {
        return FailedHandle(ERROR_INTERNET_INVALID_URL);
    }
    uint32_t error = 0;
    std::shared_ptr<HttpRequest> request = HttpRequest::Create(std::move(connection), url, error);
    if (!request)
        return FailedHandle(error);
    return HandleTable::Instance().Add(std::move(request));
}

bool HttpSendRequestW(HINTERNET handle, const char16_t* headers, uint32_t headersLength, const void* optional,
                      uint32_t optionalLength) {
    std::shared_ptr<HttpRequest> request = FindRequest(handle);
    if (!request)
        return false;
    if (optional != nullptr && optionalLength > 0)
        return Failed(ERROR_INVALID_PARAMETER);
    const std::string extra =
        headersLength == kZeroTerminated ? ToUtf8(headers) : ToUtf8(headers, headersLength);
    return request->Send(extra);
}

namespace {

bool QueryContentType(HttpRequest& request, void* buffer, uint32_t* bufferLength) {
    std::string value;
    if (!request.QueryContentType(value))
        return false;
    const std::u16string text = ToUtf16(value);
    const auto bytes = static_cast<uint32_t>(text.size() * sizeof(char16_t));
    if (*bufferLength < bytes + sizeof(char16_t)) {
        *bufferLength = bytes + sizeof(char16_t);
        return Failed(ERROR_INSUFFICIENT_BUFFER);
    }
    std::memcpy(buffer, text.c_str(), bytes + sizeof(char16_t));
    *bufferLength = bytes;
    return true;
}

} // namespace

bool HttpQueryInfoW(HINTERNET handle, uint32_t infoLevel, void* buffer, uint32_t* bufferLength,
                    uint32_t* /*index*/) {
    std::shared_ptr<HttpRequest> request = FindRequest(handle);
    if (!request)
        return false;
    if (buffer == nullptr || bufferLength == nullptr)
        return Failed(ERROR_INVALID_PARAMETER);
    if (infoLevel == HTTP_QUERY_CONTENT_TYPE)
        return QueryContentType(*request, buffer, bufferLength);
    if (infoLevel != (HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER))
        return Failed(ERROR_INVALID_PARAMETER);
    if (*bufferLength < sizeof(uint32_t)) {
        *bufferLength = sizeof(uint32_t);
        return Failed(ERROR_INSUFFICIENT_BUFFER);
    }
    uint32_t status = 0;
    if (!request->QueryStatus(status))
        return false;
    std::memcpy(buffer, &status, sizeof status);
    *bufferLength = sizeof status;
    return true;
}

bool InternetQueryDataAvailable(HINTERNET handle, uint32_t* bytesAvailable, uint32_t /*flags*/,
                                uintptr_t /*context*/) {
    std::shared_ptr<HttpRequest> request = FindRequest(handle);
    if (!request)
        return false;
    if (bytesAvailable == nullptr)
        return Failed(ERROR_INVALID_PARAMETER);
    return request->QueryDataAvailable(*bytesAvailable);
}

bool InternetReadFile(HINTERNET handle, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead) {
    std::shared_ptr<HttpRequest> request = FindRequest(handle);
    if (!request)
        return false;
    if (bytesRead == nullptr || (buffer == nullptr && bytesToRead > 0))
        return Failed(ERROR_INVALID_PARAMETER);
    return request->Read(static_cast<char*>(buffer), bytesToRead, *bytesRead);
}

bool InternetSetOptionW(HINTERNET handle, uint32_t option, const void* buffer, uint32_t bufferLength) {
    std::shared_ptr<HttpRequest> request = FindRequest(handle);
    if (!request)
        return false;
    if (option != INTERNET_OPTION_RECEIVE_TIMEOUT || buffer == nullptr || bufferLength != sizeof(uint32_t))
        return Failed(ERROR_INVALID_PARAMETER);
    uint32_t milliseconds = 0;
    std::memcpy(&milliseconds, buffer, sizeof milliseconds);
    request->SetReceiveTimeout(milliseconds);
    return true;
}

bool InternetCloseHandle(HINTERNET handle) {
    std::shared_ptr<InternetHandle> object = HandleTable::Instance().Remove(handle);
    if (!object)
        return Failed(ERROR_INVALID_HANDLE);
    object->Cancel();
    return true;
}
