#pragma once
// Test helpers around the HTTP calls: handles that close themselves, and the open-send-read
// sequence the stream control and the probes use.

#include "platform/http/wininet.h"

#include <functional>
#include <string>

class ScopedHandle {
  public:
    explicit ScopedHandle(HINTERNET handle = nullptr) : handle(handle) {}
    ~ScopedHandle() { Close(); }
    ScopedHandle(const ScopedHandle&) = delete;
    ScopedHandle& operator=(const ScopedHandle&) = delete;

    HINTERNET Get() const { return handle; }
    void Close() {
        if (handle != nullptr)
            InternetCloseHandle(handle);
        handle = nullptr;
    }
    // Lets go without closing (the test closed it itself).
    void Forget() { handle = nullptr; }

  private:
    HINTERNET handle;
};

// A session, a connection to 127.0.0.1:port and a GET request for object on it.
struct OpenedRequest {
    ScopedHandle session;
    ScopedHandle connection;
    ScopedHandle request;

    OpenedRequest(uint16_t port, const std::string& object, const char16_t* user = nullptr,
                  const char16_t* password = nullptr, const char16_t* agent = u"CamImgCE");
    // Another request on the same connection.
    HINTERNET OpenAnother(const std::string& object) const;
    bool Send() const;
    // The numeric status, or 0 when the query fails.
    uint32_t Status() const;
};

std::u16string Wide(const std::string& text);

// Reads the body to its end, asking each time for pieceSize(i) bytes at the i-th read. False
// when a read fails; body holds what arrived until then.
bool ReadBody(HINTERNET request, const std::function<uint32_t(int)>& pieceSize, std::string& body);
