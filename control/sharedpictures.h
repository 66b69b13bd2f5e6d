#pragma once
// Pictures that one display converted and another display may show as they are: two controls of
// one camera, with the same turn, drawn size and area shown, convert each picture once. A picture is found
// by its JPEG bytes (their hash and length) and by how it was converted. It holds no picture: an
// entry lives as long as a display shows it.
//
// Threads: each thread has its own (the displays of one thread's controls share), so that no
// lock is needed; in the viewer every control is on the UI thread.

#include "control/displaypicture.h"

#include <QRectF>
#include <QSize>

#include <cstddef>
#include <memory>
#include <vector>

class SharedPictures {
  public:
    struct Key {
        size_t hash = 0;
        size_t length = 0;
        int rotate = 0;
        QSize drawn;
        QRectF area;
        bool operator==(const Key& other) const = default;
    };
    static Key KeyOf(const uint8_t* jpeg, size_t length, int rotate, QSize drawn,
                     const QRectF& area = DisplayPicture::kWholePicture);

    // A picture converted for the key that a display still shows; null when none is.
    static std::shared_ptr<DisplayPicture> Find(const Key& key);
    // The picture a display converted for the key, for the other displays to find. A display
    // converts into a picture again only once no other display shows it, and then offers it.
    static void Offer(const Key& key, const std::shared_ptr<DisplayPicture>& picture);

  private:
    struct Entry {
        Key key;
        std::weak_ptr<DisplayPicture> picture;
    };
    static std::vector<Entry>& Entries();
};
