#include "platform/http/httpconnection.h"

namespace {
// Requests on one connection run one after the other, or two at once (a stream and a camera
// command); more idle caches would only hold sockets open.
constexpr size_t kIdleMultiLimit = 2;
} // namespace

HttpConnection::HttpConnection(std::shared_ptr<const HttpSession> session, std::string host, uint16_t port,
                               std::string user, std::string password)
    : session(std::move(session)), host(std::move(host)), port(port), user(std::move(user)),
      password(std::move(password)) {}

HttpConnection::~HttpConnection() {
    for (CURLM* multi : idle)
        curl_multi_cleanup(multi);
}

CURLM* HttpConnection::TakeMulti() {
    {
        std::lock_guard<std::mutex> guard(poolLock);
        if (!idle.empty()) {
            CURLM* multi = idle.back();
            idle.pop_back();
            return multi;
        }
    }
    return curl_multi_init();
}

void HttpConnection::ReturnMulti(CURLM* multi) {
    {
        std::lock_guard<std::mutex> guard(poolLock);
        if (idle.size() < kIdleMultiLimit) {
            idle.push_back(multi);
            return;
        }
    }
    curl_multi_cleanup(multi);
}
