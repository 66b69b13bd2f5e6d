#pragma once
// One control's display of a camera's stream: takes the newest picture from its slot, decodes it
// at its own scale and turn (or shows what another display of the same picture, turn and size
// converted), paces repaints to the FPS property and draws. Each stream it shows
// gets a slot of its own. The repaint timer is its own; a change of FPS takes effect here at once.
//
// Threads: UI thread only (the control's window's), but for the wake-up that the slot posts to it
// from the source's read thread (a queued call, dropped when the display is gone).

#include "control/displaypicture.h"
#include "control/displayslot.h"
#include "control/framebuffer.h"
#include "control/repaintpacer.h"

#include <QPointer>
#include <QWidget>

#include <cstdint>
#include <memory>
#include <vector>

class QPainter;
class WindowTimers;

class CameraDisplay {
  public:
    explicit CameraDisplay(StreamEvents* events);
    ~CameraDisplay();
    CameraDisplay(const CameraDisplay&) = delete;
    CameraDisplay& operator=(const CameraDisplay&) = delete;

    // The window it repaints (null: none yet).
    void SetWindow(QWidget* window);
    // A slot for the next stream; the last stream's slot no longer reaches the host.
    std::shared_ptr<DisplaySlot> NewSlot(DisplaySlot::SizeTeller teller);
    const std::shared_ptr<DisplaySlot>& Slot() const { return slot; }
    // The control goes away: nothing of the stream shown reaches it after this returns.
    void Release();

    void SetFps(float fps);

    // Shows this picture instead of the stream's until Thaw (instant replay); meanwhile the slot
    // keeps only the stream's newest picture, which Thaw shows.
    void Freeze(const uint8_t* jpeg, size_t length);
    void Thaw();

    // The paint: takes the newest picture, if one came, and converts it (for the rotation, and
    // no larger than drawn when drawn is not empty), then draws the area of the picture shown
    // (in shares of it). A new area converts the picture shown again at once.
    void Paint(QPainter& painter, const QRect& client, int rotate, bool stretch, QSize drawn,
               const QRectF& area = DisplayPicture::kWholePicture);
    const DisplayPicture& Picture() const { return *picture; }
    // The bytes of the picture shown, as the camera sent them.
    const FrameBuffer& ShownJpeg() const { return shownJpeg; }
    int64_t PicturesDrawn() const { return picturesDrawn; }
    int32_t UndecodedPictures() const { return undecodedPictures; }
    // Pictures and their bytes taken from every stream shown.
    int64_t PicturesRead() const;
    int64_t BytesRead() const;

  private:
    // A picture that waits is repainted now when its turn has come, else when it comes (the
    // repaint timer, once). Nothing while a repaint is pending.
    void RepaintForNewPicture(bool timerTick);
    void OnPictureArrived();
    void PreparePicture(int rotate, QSize drawn, const QRectF& area);
    // The picture jpeg as the picture shown: converted, or found converted. False when it gives
    // no picture.
    bool Convert(const FrameBuffer& jpeg, int rotate, QSize drawn, const QRectF& area);
    uint32_t RepaintPeriod() const;

    StreamEvents* const events;
    std::unique_ptr<WindowTimers> timers; // the repaint timer; also the target of the wake-ups
    QPointer<QWidget> window;
    std::shared_ptr<DisplaySlot> slot;
    // Slots of earlier streams, left without waiting: a call of theirs still under way on the
    // read thread (a wake-up, a motion event) is waited for when the control goes away.
    std::vector<std::weak_ptr<DisplaySlot>> earlierSlots;
    float fps = 25.0f;
    bool repaintPending = false;
    bool repaintDeferred = false; // the repaint timer is set for a waiting picture
    bool frozen = false;
    bool stillWaiting = false; // `still` is to be converted at the next paint
    FrameBuffer still;
    RepaintPacer pacer;

    FrameBuffer work;
    // The picture shown, which another display of the same picture may show too
    // (SharedPictures); while it does, the next picture is converted into the spare.
    std::shared_ptr<DisplayPicture> picture = std::make_shared<DisplayPicture>();
    std::shared_ptr<DisplayPicture> spare;
    FrameBuffer shownJpeg;
    int64_t picturesDrawn = 0;
    int32_t undecodedPictures = 0; // in a row
    int64_t earlierRead = 0;       // of the streams before the one shown
    int64_t earlierBytes = 0;
};
