#pragma once
// The handheld's HTTP client calls, with their names and meanings, built on libcurl.
//
// Handles are opaque and reference-counted: InternetOpenW gives a session, InternetConnectW a
// connection (host, port, credentials) under it, HttpOpenRequestW a request (one GET) under a
// connection. A request sends nothing until HttpSendRequestW, which returns once the response
// head has arrived; the body is then pulled with InternetReadFile. InternetCloseHandle may be
// called from any thread at any time: a send or read blocked on that request fails within
// 100 ms, and the memory stays valid until the last user has left. Calls on one request run
// one at a time: a second thread's call waits until the first has returned.
//
// Proxies are taken from the environment (http_proxy, no_proxy) as libcurl reads it; a host on
// this machine is always reached directly. Redirections (301, 302, 303, 307, 308: a 3xx answer
// with a Location) are followed, up to kMaxRedirections of them, to http and https only;
// credentials go only to the scheme, host and port of the request. A redirection beyond the
// last one followed is the answer.
//
// Failures return false (or a null handle) and set the thread's last error (GetLastError of
// platform/kernel/lasterror.h) to one of the ERROR_ values below.

#include <cstdint>
#include <string>

class InternetHandle;
using HINTERNET = InternetHandle*;

inline constexpr uint32_t INTERNET_OPEN_TYPE_PRECONFIG = 0;
inline constexpr uint32_t INTERNET_SERVICE_HTTP = 3;
inline constexpr uint16_t INTERNET_DEFAULT_HTTP_PORT = 80;
inline constexpr int INTERNET_SCHEME_HTTP = 3;
inline constexpr int INTERNET_SCHEME_HTTPS = 4;

inline constexpr uint32_t INTERNET_FLAG_RELOAD = 0x80000000u;
inline constexpr uint32_t INTERNET_FLAG_NO_CACHE_WRITE = 0x04000000u;
inline constexpr uint32_t INTERNET_FLAG_KEEP_CONNECTION = 0x00400000u;
inline constexpr uint32_t INTERNET_FLAG_PRAGMA_NOCACHE = 0x00000100u;
inline constexpr uint32_t INTERNET_FLAG_SECURE = 0x00800000u; // https instead of http
// The flags of every stream and command request (0x84400100).
inline constexpr uint32_t kRequestFlags = INTERNET_FLAG_RELOAD | INTERNET_FLAG_NO_CACHE_WRITE |
                                          INTERNET_FLAG_KEEP_CONNECTION | INTERNET_FLAG_PRAGMA_NOCACHE;

inline constexpr uint32_t INTERNET_OPTION_RECEIVE_TIMEOUT = 6;

inline constexpr uint32_t HTTP_QUERY_CONTENT_TYPE = 1;
inline constexpr uint32_t HTTP_QUERY_STATUS_CODE = 19;
inline constexpr uint32_t HTTP_QUERY_FLAG_NUMBER = 0x20000000u;

inline constexpr uint32_t ERROR_INVALID_HANDLE = 6;
inline constexpr uint32_t ERROR_INVALID_PARAMETER = 87;
inline constexpr uint32_t ERROR_INSUFFICIENT_BUFFER = 122;
inline constexpr uint32_t ERROR_INTERNET_TIMEOUT = 12002;
inline constexpr uint32_t ERROR_INTERNET_INVALID_URL = 12005;
inline constexpr uint32_t ERROR_INTERNET_UNRECOGNIZED_SCHEME = 12006;
inline constexpr uint32_t ERROR_INTERNET_NAME_NOT_RESOLVED = 12007;
inline constexpr uint32_t ERROR_INTERNET_OPERATION_CANCELLED = 12017;
inline constexpr uint32_t ERROR_INTERNET_INCORRECT_HANDLE_STATE = 12019;
inline constexpr uint32_t ERROR_INTERNET_CANNOT_CONNECT = 12029;
inline constexpr uint32_t ERROR_INTERNET_CONNECTION_ABORTED = 12030;
inline constexpr uint32_t ERROR_INTERNET_CONNECTION_RESET = 12031;
inline constexpr uint32_t ERROR_HTTP_HEADER_NOT_FOUND = 12150;
inline constexpr uint32_t ERROR_HTTP_INVALID_SERVER_RESPONSE = 12152;
inline constexpr uint32_t ERROR_INTERNET_SECURITY_CHANNEL_ERROR = 12157;

// What the failures mean here:
//   ERROR_INVALID_HANDLE                   the handle is not open (never was, or already closed)
//   ERROR_INVALID_PARAMETER                a missing argument, a verb other than GET, a request body,
//                                          an info level other than the numeric status code or the
//                                          Content-Type
//   ERROR_INTERNET_INVALID_URL             a URL or object that does not parse
//   ERROR_INTERNET_UNRECOGNIZED_SCHEME     a URL without a scheme, or not http/https
//   ERROR_INTERNET_TIMEOUT                 no body byte arrived within the receive timeout
//   ERROR_INTERNET_NAME_NOT_RESOLVED       the host name does not resolve
//   ERROR_INTERNET_CANNOT_CONNECT          refused, unreachable, or not connected within
//                                          kConnectTimeoutMs
//   ERROR_INTERNET_OPERATION_CANCELLED     InternetCloseHandle ended a send or read in progress
//   ERROR_INTERNET_INCORRECT_HANDLE_STATE  a status query or read before a successful send
//   ERROR_INTERNET_CONNECTION_ABORTED      the body ended before its announced length
//   ERROR_INTERNET_CONNECTION_RESET        the connection broke while sending or receiving
//   ERROR_HTTP_INVALID_SERVER_RESPONSE     the server closed without an answer, or answered garbage
//   ERROR_INTERNET_SECURITY_CHANNEL_ERROR  TLS failed
//   ERROR_HTTP_HEADER_NOT_FOUND            no response has arrived to query, or it lacks the header
//   ERROR_INSUFFICIENT_BUFFER              the buffer cannot hold the queried text

// Connecting (name resolution included) gives up after this long with
// ERROR_INTERNET_CANNOT_CONNECT; nothing else in a request has a time limit of its own unless the
// caller sets a receive timeout (InternetSetOptionW).
inline constexpr uint32_t kConnectTimeoutMs = 5000;
// Redirections followed by one send.
inline constexpr int kMaxRedirections = 5;
// Body bytes that arrive before the caller asks for them are kept up to this many; then the
// transfer pauses (the server's sending stalls in TCP) until the caller has read half of them.
inline constexpr uint32_t kReadAheadLimit = 256 * 1024;

// A session. agent is sent as the User-Agent header of every request.
HINTERNET InternetOpenW(const char16_t* agent, uint32_t accessType, const char16_t* proxy,
                        const char16_t* proxyBypass, uint32_t flags);

// The parts of a URL, split by libcurl's URL parser. The path keeps its query string;
// credentials written in the URL are dropped.
struct CrackedUrl {
    int scheme = 0; // INTERNET_SCHEME_HTTP or INTERNET_SCHEME_HTTPS
    std::u16string host;
    uint16_t port = 0; // the scheme's default when the URL names none
    std::u16string path;
};
bool InternetCrackUrlW(const char16_t* url, CrackedUrl& parts);

// A connection to host:port. user and password (null or empty for none) answer Basic and
// Digest challenges.
HINTERNET InternetConnectW(HINTERNET internet, const char16_t* host, uint16_t port, const char16_t* user,
                           const char16_t* password, uint32_t service, uint32_t flags, uintptr_t context);

// A GET request for object (the path with its query) on the connection. verb may be null
// (GET); version, referrer and acceptTypes are ignored. Nothing is cached: every send is a fresh
// GET carrying "Pragma: no-cache" and "Cache-Control: no-cache".
HINTERNET HttpOpenRequestW(HINTERNET connection, const char16_t* verb, const char16_t* object,
                           const char16_t* version, const char16_t* referrer, const char16_t** acceptTypes,
                           uint32_t flags, uintptr_t context);

// Sends the request and waits for the response head (any status). Connecting is bounded
// (a refused or unreachable server fails quickly with ERROR_INTERNET_CANNOT_CONNECT); the
// rest has no time limit of its own. headers holds extra header lines separated by CRLF
// (headersLength characters, or 0xFFFFFFFF for a zero-terminated text); a body is refused.
// Sending again on the same request starts a fresh GET (the retry after "cannot connect").
// When credentials were given, an answer 401 that libcurl will answer with them is not the
// response head yet: the send waits for the answer to the authenticated request.
bool HttpSendRequestW(HINTERNET request, const char16_t* headers, uint32_t headersLength,
                      const void* optional, uint32_t optionalLength);

// HTTP_QUERY_STATUS_CODE | HTTP_QUERY_FLAG_NUMBER writes the status as a 32-bit number.
// HTTP_QUERY_CONTENT_TYPE writes the answer's Content-Type value as a zero-terminated UTF-16
// text; *bufferLength is in bytes, and on success the text's bytes without the terminator. Too
// small a buffer fails with ERROR_INSUFFICIENT_BUFFER and *bufferLength set to what it needs; an
// answer without the header fails with ERROR_HTTP_HEADER_NOT_FOUND.
bool HttpQueryInfoW(HINTERNET request, uint32_t infoLevel, void* buffer, uint32_t* bufferLength,
                    uint32_t* index);

// The number of body bytes that can be read now without blocking; waits for at least one
// byte (or the end of the body, then 0). At most kReadAheadLimit.
bool InternetQueryDataAvailable(HINTERNET request, uint32_t* bytesAvailable, uint32_t flags,
                                uintptr_t context);

// Blocking pull of up to bytesToRead body bytes: returns as soon as some bytes are there.
// *bytesRead is 0 at the end of the body.
bool InternetReadFile(HINTERNET request, void* buffer, uint32_t bytesToRead, uint32_t* bytesRead);

// INTERNET_OPTION_RECEIVE_TIMEOUT on a request, with a 32-bit number of milliseconds: from now on
// InternetQueryDataAvailable and InternetReadFile fail with ERROR_INTERNET_TIMEOUT when no body
// byte arrives for that long (0, the default, waits for ever). The only option there is.
bool InternetSetOptionW(HINTERNET handle, uint32_t option, const void* buffer, uint32_t bufferLength);

// Closes a handle from any thread. A send or read in progress on a closed request fails with
// ERROR_INTERNET_OPERATION_CANCELLED; every later call with the handle fails with
// ERROR_INVALID_HANDLE (handle values are never reused). Closing a session or connection leaves
// the requests opened under it working until they are closed themselves.
bool InternetCloseHandle(HINTERNET handle);
