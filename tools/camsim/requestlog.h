#pragma once
// Every request a simulated camera received, and what it sent back, for tests to read.
//
// Threads: connection threads add and update records; tests read copies and wait for changes.
// All under `lock`.

#include "tools/camsim/requesthead.h"

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <mutex>
#include <string>
#include <string_view>
#include <vector>

namespace camsim {

// How a stream request was answered.
enum class StreamAnswer {
    None,    // not a stream request, or answered before the stream (401, 400, a status fault)
    Served,  // the stream
    Refused, // 503: the camera serves no more streams at once
};

struct RequestRecord {
    int connection = 0;     // the TCP connection it came on, counted from 1 per server
    std::string target;     // path with query, exactly as received
    HeaderList headers;     // as received
    int status = 0;         // the status answered; 0 while none (or closed without answering)
    uint64_t bodyBytes = 0; // body bytes sent so far (after chunk decoding)
    std::string body;       // the first bytes of them, up to the log's body limit
    bool finished = false;  // the answer is complete, or the connection ended
    StreamAnswer stream = StreamAnswer::None;

    std::string Header(std::string_view name) const { return FindHeader(headers, name); }
};

class RequestLog {
  public:
    static constexpr size_t kDefaultBodyLimit = 4 * 1024 * 1024;
    using Records = std::vector<RequestRecord>;

    // A log that keeps no body (a camera on the command line, which nobody reads) keeps only
    // about its newest kUnreadRecords records, so that a camera that runs for days stays small.
    static constexpr size_t kUnreadRecords = 1000;

    // Each record keeps the first bodyLimit bytes of its answer's body.
    explicit RequestLog(size_t bodyLimit = kDefaultBodyLimit) : bodyLimit(bodyLimit) {}

    size_t Add(int connection, const RequestHead& head);
    void SetStatus(size_t index, int status);
    void SetStream(size_t index, StreamAnswer answer);
    void AppendBody(size_t index, std::string_view bytes);
    void Finish(size_t index);

    // The records kept (in a log that keeps no body, the newest only).
    Records All() const;
    // The stream requests answered so.
    size_t CountStreams(StreamAnswer answer) const;
    // True as soon as ready(records) holds, false when it still does not after timeoutMs.
    bool WaitFor(const std::function<bool(const Records&)>& ready, int timeoutMs) const;
    // Waits for the record of that index (as Add returned it) to be there and finished, or let
    // go; false after timeoutMs.
    bool WaitFinished(size_t index, int timeoutMs) const;

  private:
    const size_t bodyLimit;
    mutable std::mutex lock;
    mutable std::condition_variable changed;
    RequestRecord* At(size_t index); // null for a record let go

    Records records;    // guarded by lock
    size_t dropped = 0; // guarded by lock: the oldest records let go, before records[0]
};

} // namespace camsim
