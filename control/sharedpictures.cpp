#include "control/sharedpictures.h"

#include <algorithm>
#include <functional>
#include <string_view>

std::vector<SharedPictures::Entry>& SharedPictures::Entries() {
    thread_local std::vector<Entry> entries;
    return entries;
}

SharedPictures::Key SharedPictures::KeyOf(const uint8_t* jpeg, size_t length, int rotate, QSize drawn,
                                          const QRectF& area) {
    const std::string_view bytes(reinterpret_cast<const char*>(jpeg), length);
    return Key{std::hash<std::string_view>()(bytes), length, rotate, drawn, area};
}

std::shared_ptr<DisplayPicture> SharedPictures::Find(const Key& key) {
    for (const Entry& entry : Entries()) {
        if (entry.key == key)
            return entry.picture.lock();
    }
    return nullptr;
}

void SharedPictures::Offer(const Key& key, const std::shared_ptr<DisplayPicture>& picture) {
    std::vector<Entry>& entries = Entries();
    // Pictures no display shows any more go, and so do an older conversion for the key and the
    // entry of what this picture held before it was converted again.
    std::erase_if(entries, [&](const Entry& entry) {
        const std::shared_ptr<DisplayPicture> held = entry.picture.lock();
        return !held || held == picture || entry.key == key;
    });
    entries.push_back(Entry{key, picture});
}
