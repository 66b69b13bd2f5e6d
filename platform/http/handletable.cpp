#include "platform/http/handletable.h"

HandleTable& HandleTable::Instance() {
    static HandleTable table;
    return table;
}

HINTERNET HandleTable::Add(std::shared_ptr<InternetHandle> object) {
    std::lock_guard<std::mutex> guard(lock);
    const uintptr_t number = ++lastNumber;
    open.emplace(number, std::move(object));
    return reinterpret_cast<HINTERNET>(number);
}

std::shared_ptr<InternetHandle> HandleTable::FindAny(HINTERNET handle) {
    std::lock_guard<std::mutex> guard(lock);
    const auto found = open.find(reinterpret_cast<uintptr_t>(handle));
    return found == open.end() ? nullptr : found->second;
}

std::shared_ptr<InternetHandle> HandleTable::Remove(HINTERNET handle) {
    std::lock_guard<std::mutex> guard(lock);
    const auto found = open.find(reinterpret_cast<uintptr_t>(handle));
    if (found == open.end())
        return nullptr;
    std::shared_ptr<InternetHandle> object = std::move(found->second);
    open.erase(found);
    return object;
}
