#include "collection/camera.h"

#include "settings/node.h"

namespace {

// The stored keys, in the order they are read and written; Port is the integer among them.
struct StoredText {
    const char* key;
    QString Camera::*field;
};

const StoredText kBeforePort[] = {
    {"Type", &Camera::type},
    {"Name", &Camera::name},
    {"Address", &Camera::address},
    {"CheckedAddress", &Camera::checkedAddress},
};

const StoredText kAfterPort[] = {
    {"Model", &Camera::model},           {"Firmware", &Camera::firmware},
    {"UserName", &Camera::userName},     {"Password", &Camera::password},
    {"Resolution", &Camera::resolution}, {"CameraNumber", &Camera::cameraNumber},
    {"Rotation", &Camera::rotation},     {"Compression", &Camera::compression},
    {"CustomURL", &Camera::customURL},
};

constexpr char kPortKey[] = "Port";

} // namespace

void Camera::Load(const Node& item) {
    for (const StoredText& entry : kBeforePort)
        this->*entry.field = item.GetValue(entry.key).GetText();
    port = item.GetValue(kPortKey).GetInt();
    for (const StoredText& entry : kAfterPort)
        this->*entry.field = item.GetValue(entry.key).GetText();
    motion.Load(item);
}

void Camera::Save(const Node& item) const {
    for (const StoredText& entry : kBeforePort)
        item.SetValue(entry.key, Data(this->*entry.field));
    item.SetValue(kPortKey, Data(port));
    for (const StoredText& entry : kAfterPort)
        item.SetValue(entry.key, Data(this->*entry.field));
    motion.Save(item);
}
