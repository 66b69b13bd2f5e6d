#include "tools/camsim/requestlog.h"

#include <algorithm>
#include <chrono>

namespace camsim {

size_t RequestLog::Add(int connection, const RequestHead& head) {
    std::lock_guard<std::mutex> guard(lock);
    RequestRecord record;
    record.connection = connection;
    record.target = head.target;
    record.headers = head.headers;
    records.push_back(std::move(record));
    if (bodyLimit == 0 && records.size() >= 2 * kUnreadRecords) {
        records.erase(records.begin(), records.begin() + kUnreadRecords);
        dropped += kUnreadRecords;
    }
    changed.notify_all();
    return dropped + records.size() - 1;
}

RequestRecord* RequestLog::At(size_t index) {
    return index >= dropped && index - dropped < records.size() ? &records[index - dropped] : nullptr;
}

void RequestLog::SetStatus(size_t index, int status) {
    std::lock_guard<std::mutex> guard(lock);
    if (RequestRecord* record = At(index))
        record->status = status;
    changed.notify_all();
}

void RequestLog::SetStream(size_t index, StreamAnswer answer) {
    std::lock_guard<std::mutex> guard(lock);
    if (RequestRecord* record = At(index))
        record->stream = answer;
    changed.notify_all();
}

void RequestLog::AppendBody(size_t index, std::string_view bytes) {
    std::lock_guard<std::mutex> guard(lock);
    RequestRecord* record = At(index);
    if (!record)
        return;
    record->bodyBytes += bytes.size();
    const size_t room = bodyLimit - std::min(bodyLimit, record->body.size());
    record->body.append(bytes.substr(0, room));
    changed.notify_all();
}

void RequestLog::Finish(size_t index) {
    std::lock_guard<std::mutex> guard(lock);
    if (RequestRecord* record = At(index))
        record->finished = true;
    changed.notify_all();
}

RequestLog::Records RequestLog::All() const {
    std::lock_guard<std::mutex> guard(lock);
    return records;
}

size_t RequestLog::CountStreams(StreamAnswer answer) const {
    std::lock_guard<std::mutex> guard(lock);
    return static_cast<size_t>(std::count_if(
        records.begin(), records.end(), [answer](const RequestRecord& r) { return r.stream == answer; }));
}

bool RequestLog::WaitFor(const std::function<bool(const Records&)>& ready, int timeoutMs) const {
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] { return ready(records); });
}

bool RequestLog::WaitFinished(size_t index, int timeoutMs) const {
    std::unique_lock<std::mutex> guard(lock);
    return changed.wait_for(guard, std::chrono::milliseconds(timeoutMs), [&] {
        return index < dropped || (index - dropped < records.size() && records[index - dropped].finished);
    });
}

} // namespace camsim
