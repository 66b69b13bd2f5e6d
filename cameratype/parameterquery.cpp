#include "cameratype/parameterquery.h"

#include "foundation/log.h"
#include "platform/kernel/lasterror.h"

#include <algorithm>
#include <memory>

namespace {

constexpr char16_t kFunction[] = u"LookupThread::QueryParameters";
constexpr char16_t kAgent[] = u"ZelPPC";
constexpr char16_t kObject[] =
    u"/vexo-cgi/view/"
    u"param.cgi?action=list&group=root.Properties.Image.Resolution,root.ImageSource.NbrOfSources,"
    u"root.Brand.ProdShortName,root.Properties.Firmware.Version,root.Properties.PTZ.PTZ";
constexpr uint32_t kStatusOk = 200;
constexpr uint32_t kStatusUnauthorized = 401;
constexpr uint32_t kReadSize = 4096;

struct HandleCloser {
    void operator()(InternetHandle* handle) const { InternetCloseHandle(handle); }
};
using OwnedHandle = std::unique_ptr<InternetHandle, HandleCloser>;

const char16_t* Utf16(const QString& text) {
    return reinterpret_cast<const char16_t*>(text.utf16());
}

} // namespace

bool ParameterQuery::KeepRequest(HINTERNET opened) {
    request = opened;
    // A Cancel that came before the store has found nothing to close.
    if (cancelled)
        CloseRequest();
    return !cancelled;
}

void ParameterQuery::CloseRequest() {
    if (HINTERNET open = request.exchange(nullptr))
        InternetCloseHandle(open);
}

void ParameterQuery::Cancel() {
    cancelled = true;
    CloseRequest();
}

bool ParameterQuery::ReadAnswer(HINTERNET opened, QByteArray& bytes) {
    // The answer may arrive in several pieces: read until its end, not just what is there now,
    // but not for ever from a camera that keeps the connection open without a length.
    const uint32_t idleMs = kParameterIdleMs;
    InternetSetOptionW(opened, INTERNET_OPTION_RECEIVE_TIMEOUT, &idleMs, sizeof idleMs);
    char buffer[kReadSize];
    while (bytes.size() < kMaxParameterAnswerSize && !HasAllParameters(bytes)) {
        const uint32_t wanted = std::min<uint32_t>(kReadSize, kMaxParameterAnswerSize - bytes.size());
        uint32_t got = 0;
        if (!InternetReadFile(opened, buffer, wanted, &got)) {
            const uint32_t error = GetLastError();
            // Whatever of the answer arrived before the camera fell silent or closed too early
            // is the answer; with nothing at all there is none.
            if (cancelled || bytes.isEmpty()) {
                LogError(kFunction, "InternetReadFile failed");
                return false;
            }
            LogWarning(kFunction, "InternetReadFile ended with error %u after %d bytes; taking what arrived",
                       error, static_cast<int>(bytes.size()));
            break;
        }
        if (got == 0)
            break;
        bytes.append(buffer, got);
    }
    return true;
}

bool ParameterQuery::Run(const QString& address, int port, const QString& userName, const QString& password,
                         ParameterAnswer& answer) {
    unauthorized = false;
    const OwnedHandle internet(InternetOpenW(kAgent, INTERNET_OPEN_TYPE_PRECONFIG, nullptr, nullptr, 0));
    if (!internet) {
        LogError(kFunction, "InternetOpen failed");
        return false;
    }
    const OwnedHandle connection(InternetConnectW(internet.get(), Utf16(address), static_cast<uint16_t>(port),
                                                  Utf16(userName), Utf16(password), INTERNET_SERVICE_HTTP, 0,
                                                  0));
    if (!connection) {
        LogError(kFunction, "InternetConnect failed");
        return false;
    }
    const HINTERNET opened =
        HttpOpenRequestW(connection.get(), nullptr, kObject, nullptr, nullptr, nullptr, kRequestFlags, 0);
    if (!opened) {
        LogError(kFunction, "HttpOpenRequest failed");
        return false;
    }
    bool ok = KeepRequest(opened);
    if (ok && !HttpSendRequestW(opened, nullptr, 0, nullptr, 0)) {
        LogError(kFunction, "HttpSendRequest failed");
        ok = false;
    }
    if (ok) {
        uint32_t status = 0;
        uint32_t length = sizeof(status);
        if (HttpQueryInfoW(opened, HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER, &status, &length,
                           nullptr) &&
            status == kStatusUnauthorized) {
            unauthorized = true;
        }
        if (status != kStatusOk) {
            LogError(kFunction, "HttpQueryInfo failed");
            ok = false;
        }
    }
    QByteArray bytes;
    ok = ok && ReadAnswer(opened, bytes);
    CloseRequest();
    if (!ok)
        return false;
    answer = ParseParameterAnswer(bytes);
    // Any web server answers 200 to a page it has; only a camera names its model.
    if (answer.model.isEmpty()) {
        LogWarning(kFunction, "The answer names no camera model");
        return false;
    }
    return true;
}
