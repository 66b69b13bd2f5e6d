#include "control/cameradisplay.h"

#include "control/sharedpictures.h"

#include "platform/kernel/tick.h"
#include "platform/ui/windowtimers.h"

#include <QPainter>

#include <atomic>

namespace {

constexpr int kRepaintTimer = 1;

std::atomic<uint32_t> lastPaintYield{0}; // module-wide, like the paint's yield

} // namespace

CameraDisplay::CameraDisplay(StreamEvents* outlet)
    : events(outlet), timers(std::make_unique<WindowTimers>([this](int) { RepaintForNewPicture(true); })) {}

CameraDisplay::~CameraDisplay() {
    Release();
}

void CameraDisplay::Release() {
    if (slot)
        slot->Detach(true);
    for (const std::weak_ptr<DisplaySlot>& earlier : earlierSlots) {
        if (const std::shared_ptr<DisplaySlot> held = earlier.lock())
            held->Detach(true);
    }
    earlierSlots.clear();
}

int64_t CameraDisplay::PicturesRead() const {
    return earlierRead + (slot ? slot->PicturesRead() : 0);
}

int64_t CameraDisplay::BytesRead() const {
    return earlierBytes + (slot ? slot->BytesRead() : 0);
}

void CameraDisplay::SetWindow(QWidget* shown) {
    window = shown;
}

std::shared_ptr<DisplaySlot> CameraDisplay::NewSlot(DisplaySlot::SizeTeller teller) {
    if (slot) {
        slot->Detach(false);
        earlierRead += slot->PicturesRead();
        earlierBytes += slot->BytesRead();
        std::erase_if(earlierSlots,
                      [](const std::weak_ptr<DisplaySlot>& earlier) { return earlier.expired(); });
        earlierSlots.push_back(slot);
    }
    repaintPending = false;
    if (repaintDeferred) {
        repaintDeferred = false;
        timers->KillTimer(kRepaintTimer);
    }
    // The timers live on the window's thread as long as the display; a call queued for them is
    // dropped with them.
    WindowTimers* target = timers.get();
    slot = std::make_shared<DisplaySlot>(
        events,
        [this, target] {
            QMetaObject::invokeMethod(
                target, [this] { OnPictureArrived(); }, Qt::QueuedConnection);
        },
        teller);
    slot->SetRepainting(RepaintPeriod() > 0);
    return slot;
}

void CameraDisplay::SetFps(float value) {
    fps = value;
    if (slot)
        slot->SetRepainting(RepaintPeriod() > 0);
    if (repaintDeferred) { // the waiting picture's turn follows the new rate
        repaintDeferred = false;
        timers->KillTimer(kRepaintTimer);
        RepaintForNewPicture(false);
    }
}

uint32_t CameraDisplay::RepaintPeriod() const {
    const float rate = fps;
    if (!(rate > 0.0f))
        return 0;
    const float period = (1.0f / rate) * 1000.0f;
    return period < 1.0f ? 1u : period > 3600000.0f ? 3600000u : static_cast<uint32_t>(period);
}

void CameraDisplay::Freeze(const uint8_t* jpeg, size_t length) {
    frozen = true;
    still.Clear();
    still.Append(jpeg, static_cast<uint32_t>(length));
    stillWaiting = true;
    if (window)
        window->update();
}

void CameraDisplay::Thaw() {
    if (!frozen)
        return;
    frozen = false;
    stillWaiting = false;
    RepaintForNewPicture(false);
}

void CameraDisplay::OnPictureArrived() {
    if (!slot)
        return;
    slot->WakeTaken(); // before looking, so that a picture delivered meanwhile wakes again
    RepaintForNewPicture(false);
}

void CameraDisplay::RepaintForNewPicture(bool timerTick) {
    if (timerTick) {
        repaintDeferred = false;
        timers->KillTimer(kRepaintTimer);
    }
    const uint32_t period = RepaintPeriod();
    if (frozen || period == 0 || !slot || !slot->PictureWaiting() || repaintPending)
        return;
    const uint32_t now = GetTickCount();
    const uint32_t wait = pacer.Wait(now, period);
    if (!timerTick && wait > 0) {
        if (!repaintDeferred) {
            repaintDeferred = true; // drawn when its turn comes
            timers->SetTimer(kRepaintTimer, wait);
        }
        return;
    }
    repaintPending = true;
    pacer.Painted(now, period);
    // At once rather than through a posted update: a new picture is drawn one trip through the
    // event loop sooner, and for less.
    if (window)
        window->repaint();
}

void CameraDisplay::PreparePicture(int rotate, QSize drawn, const QRectF& area) {
    work.Clear();
    if (frozen && stillWaiting) {
        stillWaiting = false;
        if (still.Size() >= 100 && Convert(still, rotate, drawn, area))
            shownJpeg = still;
        return;
    }
    if (frozen || !slot || !slot->Take(work)) {
        // No new picture: the last one is drawn again, converted again for a new area or turn.
        if ((picture->ConvertedArea() != area || picture->ConvertedRotate() != rotate) &&
            shownJpeg.Size() > 0)
            Convert(shownJpeg, rotate, drawn, area);
        return;
    }
    const bool converted = work.Size() >= 100 && Convert(work, rotate, drawn, area);
    if (converted) {
        undecodedPictures = 0;
        shownJpeg.Swap(work);
        ++picturesDrawn;
    } else {
        ++undecodedPictures;
    }
    // OnSize carries the camera picture's own size, whatever it was decoded at.
    slot->Converted(converted, picture->PictureWidth(), picture->PictureHeight());
}

bool CameraDisplay::Convert(const FrameBuffer& jpeg, int rotate, QSize drawn, const QRectF& area) {
    const SharedPictures::Key key = SharedPictures::KeyOf(jpeg.Data(), jpeg.Size(), rotate, drawn, area);
    std::shared_ptr<DisplayPicture> next = SharedPictures::Find(key);
    const bool found = next != nullptr;
    if (!found) {
        // Into the picture shown while no other display shows it (it keeps it until the new one
        // is whole); else into a picture of its own beside it.
        if (picture.use_count() == 1) {
            next = picture;
            spare.reset();
        } else {
            if (!spare || spare.use_count() > 1)
                spare = std::make_shared<DisplayPicture>();
            next = spare;
        }
        if (!next->Convert(jpeg.Data(), jpeg.Size(), rotate, drawn, area))
            return false; // the picture shown stays
        SharedPictures::Offer(key, next);
    }
    if (next != picture) {
        spare = std::move(picture);
        picture = std::move(next);
        // The display that converts keeps its last picture to convert the next one into, once
        // the displays that found it have moved on; a display that found its picture lets go of
        // its own, else each new picture would take fresh picture-sized memory.
        if (found)
            spare.reset();
    }
    return true;
}

void CameraDisplay::Paint(QPainter& painter, const QRect& client, int rotate, bool stretch, QSize drawn,
                          const QRectF& area) {
    repaintPending = false;
    const uint32_t now = GetTickCount();
    if (now - lastPaintYield > 1000) {
        Sleep(1);
        lastPaintYield = now;
    }
    PreparePicture(rotate, drawn, area);
    if (!window)
        return;
    picture->Draw(painter, client, stretch, area);
    // While the picture covers the whole window, the host's background under it is not painted
    // before each picture. When it stops covering it, the next paint shows the background again.
    const bool covers =
        picture->HasBitmap() &&
        (stretch || (picture->DrawnWidth() >= client.width() && picture->DrawnHeight() >= client.height()));
    if (covers != window->testAttribute(Qt::WA_OpaquePaintEvent)) {
        window->setAttribute(Qt::WA_OpaquePaintEvent, covers);
        if (!covers)
            window->update();
    }
}
