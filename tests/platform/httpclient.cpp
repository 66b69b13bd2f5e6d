#include "tests/platform/httpclient.h"

#include <vector>

std::u16string Wide(const std::string& text) {
    return std::u16string(text.begin(), text.end());
}

OpenedRequest::OpenedRequest(uint16_t port, const std::string& object, const char16_t* user,
                             const char16_t* password, const char16_t* agent)
    : session(InternetOpenW(agent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0)),
      connection(
          InternetConnectW(session.Get(), u"127.0.0.1", port, user, password, INTERNET_SERVICE_HTTP, 0, 0)),
      request(OpenAnother(object)) {}

HINTERNET OpenedRequest::OpenAnother(const std::string& object) const {
    return HttpOpenRequestW(connection.Get(), nullptr, Wide(object).c_str(), nullptr, nullptr, nullptr,
                            kRequestFlags, 0);
}

bool OpenedRequest::Send() const {
    return HttpSendRequestW(request.Get(), nullptr, 0, nullptr, 0);
}

uint32_t OpenedRequest::Status() const {
    uint32_t status = 0;
    uint32_t length = sizeof status;
    if (!HttpQueryInfoW(request.Get(), HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                        nullptr)) {
        return 0;
    }
    return status;
}

bool ReadBody(HINTERNET request, const std::function<uint32_t(int)>& pieceSize, std::string& body) {
    std::vector<char> buffer;
    for (int i = 0;; ++i) {
        const uint32_t size = pieceSize(i);
        buffer.resize(size);
        uint32_t read = 0;
        if (!InternetReadFile(request, buffer.data(), size, &read))
            return false;
        if (read == 0)
            return true;
        if (read > size)
            return false;
        body.append(buffer.data(), read);
    }
}
