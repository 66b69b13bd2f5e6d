#pragma once
// CCamImage: the stream control as a component. The host sets its properties
// through ICamImage, embeds its window, starts and stops the stream, and
// receives ICamImageEvents through the single connection point. The network
// side is a CameraSource (its own, or with SharedConnection the one every such
// control of the camera shares), the picture side its CameraDisplay, the camera
// commands a CommandSender; this class binds them to the properties, the window
// and the events. All calls come from the host's UI thread; events fire on the
// thread where the situation arises: the source's read thread for most, the UI
// thread for an open that fails, a shared stream joined or left, and the
// picture size a shared stream tells.

#include "control/cameradisplay.h"
#include "control/camerasource.h"
#include "control/interface/camimageinterface.h"
#include "control/pausedpictures.h"
#include "control/picturezoom.h"
#include "control/streamevents.h"
#include "recording/folderretention.h"

#include "platform/com/comptr.h"
#include "platform/com/connectionpoint.h"
#include "platform/http/commandsender.h"

#include <QPointer>
#include <QString>

#include <atomic>
#include <memory>

class CamImageWindow;
class MotionRecording;
class RecordingWriter;
class QPainter;
class QPoint;
class QRect;
class QSize;

class CCamImage final : public ICamImage,
                        public IConnectionPointContainer,
                        public IPersistStreamInit,
                        public IOleObject,
                        public IOleWindow,
                        public ICamImageStatistics,
                        private StreamEvents {
  public:
    // A new control holds one reference.
    static CCamImage* Create();
    // Objects of this module that are alive (for DllCanUnloadNow).
    static int LiveObjects();

    // IUnknown
    HRESULT QueryInterface(REFIID iid, void** object) override;
    ULONG AddRef() override;
    ULONG Release() override;

    // IDispatch: the members of ICamImage by their dispatch identifiers.
    HRESULT Invoke(DISPID member, REFIID iid, LCID locale, uint16_t flags, DISPPARAMS* parameters,
                   VARIANT* result, void* exception, uint32_t* argumentError) override;

    // ICamImage
    HRESULT get_URL(BSTR* url) override;
    HRESULT put_URL(BSTR url) override;
    HRESULT get_FPS(float* value) override;
    HRESULT put_FPS(float value) override;
    HRESULT get_Stretch(int32_t* value) override;
    HRESULT put_Stretch(int32_t value) override;
    HRESULT get_Rotate(int16_t* value) override;
    HRESULT put_Rotate(int16_t value) override;
    HRESULT get_Username(BSTR* user) override;
    HRESULT put_Username(BSTR user) override;
    HRESULT put_Password(BSTR password) override;
    HRESULT StopDownload() override;
    HRESULT StartDownload() override;
    HRESULT get_PTZ_URL(BSTR* url) override;
    HRESULT put_PTZ_URL(BSTR url) override;
    HRESULT get_ScaledDecoding(int32_t* scaled) override;
    HRESULT put_ScaledDecoding(int32_t scaled) override;
    HRESULT get_Picture(BSTR* jpeg) override;
    HRESULT get_PicturesShown(int32_t* count) override;
    HRESULT get_UndecodedPictures(int32_t* count) override;
    HRESULT get_SharedConnection(int32_t* shared) override;
    HRESULT put_SharedConnection(int32_t shared) override;
    HRESULT get_SamePictureSeconds(int32_t* seconds) override;
    HRESULT get_FailedConnectAttempts(int32_t* attempts) override;
    HRESULT get_DigitalZoom(int32_t* enabled) override;
    HRESULT put_DigitalZoom(int32_t enabled) override;
    HRESULT get_Zoom(int32_t* percent) override;
    HRESULT put_Zoom(int32_t percent) override;
    HRESULT get_RecordFile(BSTR* path) override;
    HRESULT put_RecordFile(BSTR path) override;
    HRESULT get_RecordFolder(BSTR* path) override;
    HRESULT put_RecordFolder(BSTR path) override;
    HRESULT get_RecordKeepGiB(int32_t* gib) override;
    HRESULT put_RecordKeepGiB(int32_t gib) override;
    HRESULT get_RecordKeepDays(int32_t* days) override;
    HRESULT put_RecordKeepDays(int32_t days) override;
    HRESULT get_Recording(int32_t* recording) override;
    HRESULT get_RecordingError(BSTR* error) override;
    HRESULT get_ReplaySeconds(int32_t* seconds) override;
    HRESULT put_ReplaySeconds(int32_t seconds) override;
    HRESULT get_ReplayMiB(int32_t* mib) override;
    HRESULT put_ReplayMiB(int32_t mib) override;
    HRESULT get_Paused(int32_t* paused) override;
    HRESULT put_Paused(int32_t paused) override;
    HRESULT put_ReplayStep(int32_t pictures) override;
    HRESULT put_ReplayStepMs(int32_t milliseconds) override;
    HRESULT get_ShownTime(BSTR* time) override;
    HRESULT put_ClipFile(BSTR path) override;
    HRESULT get_MotionDetection(int32_t* on) override;
    HRESULT put_MotionDetection(int32_t on) override;
    HRESULT get_MotionSensitivity(int32_t* sensitivity) override;
    HRESULT put_MotionSensitivity(int32_t sensitivity) override;
    HRESULT get_MotionArea(int32_t* tenthsOfAPercent) override;
    HRESULT put_MotionArea(int32_t tenthsOfAPercent) override;
    HRESULT get_MotionIgnored(BSTR* areas) override;
    HRESULT put_MotionIgnored(BSTR areas) override;
    HRESULT get_Motion(int32_t* moving) override;
    HRESULT get_MotionPicture(BSTR* jpeg) override;
    HRESULT get_RecordOnMotion(int32_t* seconds) override;
    HRESULT put_RecordOnMotion(int32_t seconds) override;
    HRESULT get_RecordBeforeMotion(int32_t* seconds) override;
    HRESULT put_RecordBeforeMotion(int32_t seconds) override;

    // IConnectionPointContainer
    HRESULT FindConnectionPoint(REFIID iid, IConnectionPoint** point) override;

    // IPersistStreamInit: "_cx", "_cy", URL, FPS, Stretch, Rotate, PTZ_URL, in
    // this order.
    HRESULT GetClassID(CLSID* clsid) override;
    HRESULT IsDirty() override;
    HRESULT Load(IStream* stream) override;
    HRESULT Save(IStream* stream, bool clearDirty) override;
    HRESULT InitNew() override;

    // IOleObject, IOleWindow
    HRESULT SetClientSite(IUnknown* site) override;
    HRESULT DoVerb(int verb, QWidget* parent) override;
    HRESULT Close() override;
    HRESULT SetExtent(uint32_t cx, uint32_t cy) override;
    HRESULT GetExtent(uint32_t* cx, uint32_t* cy) override;
    HRESULT GetWindow(QWidget** window) override;

    // ICamImageStatistics
    HRESULT GetStatistics(int64_t* picturesRead, int64_t* picturesDrawn, int64_t* bytesRead) override;

    // From the control's window (UI thread).
    void OnDraw(QPainter& painter, const QRect& client);
    // The picture shown (what it was decoded to), for tests and tools.
    const DisplayPicture& ShownPicture() const { return display.Picture(); }
    void SendCameraCommand(const QPoint& tap, const QSize& client);
    // The digital zoom, from the window's wheel and drags (when DigitalZoom is on).
    bool DigitalZoomOn() const { return digitalZoom != 0; }
    void ZoomByWheel(int angle, QPointF point);
    void Pan(QPointF by);
    const PictureZoom& Zoomed() const { return zoom; }

  private:
    CCamImage();
    ~CCamImage();

    static constexpr size_t kMaxCommandLength = 256;

    bool IsWindow() const;
    // Where the whole picture is drawn in the window: over it when stretched, else at the
    // picture's size.
    QRectF ZoomTarget() const;
    void ZoomChanged();
    // Opens the stream of the URL, user name and password set, or joins the
    // camera's shared one. False after OnConnectionFailed (0).
    bool OpenStream();
    // Leaves the stream shown (its last events come before this returns) and ends
    // the camera commands.
    void StopStream();
    // Starts recording the stream shown into the target set, continuously or around motion, unless
    // it records already or none is set; EndRecording ends it (the file is closed before it
    // returns, with a bound).
    void StartRecording();
    void EndRecording();
    // A new target: the recording under way ends, and one into the target begins.
    HRESULT Retarget(QString& target, BSTR path);
    // Asks the stream's source to keep the replay asked for.
    void KeepReplay();
    // Shows, paused, the picture chosen from the pictures kept (their index): those of the replay
    // memory, held from the pause on; and true; false when none is kept.
    template <typename Choose> bool ShowReplay(Choose choose);

    // StreamEvents
    void FireOnConnectionFailed(int status) override;
    void FireOnConnectionBroken(int status) override;
    void FireOnStreamStarted() override;
    void FireOnSize(int width, int height) override;
    void FireOnStreamStopped() override;
    void FireOnMotion(bool started, int picture) override;
    // Asks the stream's source to look for motion, when asked to.
    void DetectMotion();

    std::atomic<ULONG> refCount{1};
    ConnectionPoint events;
    CameraDisplay display;
    std::shared_ptr<CameraSource> source; // the stream shown or last shown; never null
    CommandSender commands;               // opened with each stream, closed when it stops
    QPointer<CamImageWindow> window;      // UI thread
    ComPtr<IUnknown> clientSite;

    // Properties (UI thread).
    QString url;
    float fps = 25.0f;
    int32_t stretch = 0;
    int16_t rotate = 0;
    QString username;
    QString password;
    QString ptzUrl;
    int32_t scaledDecoding = 0;
    int32_t sharedConnection = 0;
    int32_t digitalZoom = 0;
    PictureZoom zoom;
    QString recordFile;
    QString recordFolder;
    int32_t recordKeepGiB = 20;
    int32_t recordKeepDays = 14;
    int32_t recordOnMotion = 0;
    int32_t recordBeforeMotion = 5;
    std::shared_ptr<RecordingWriter> recording;       // while the stream shown is recorded
    std::shared_ptr<MotionRecording> motionRecording; // or recorded around motion
    std::unique_ptr<FolderRetention> retention;       // of the folder recorded into, while it is
    QString recordingError;                           // of the last recording that ended
    int32_t replaySeconds = 0;
    int32_t replayMiB = 64;
    bool paused = false;
    PausedPictures stepped;                  // the kept pictures, while paused
    int64_t drawnBeforeUrl = -1;             // PicturesDrawn when the URL last changed
    int64_t pausedArrival = 0;               // when it arrived, on the steady clock (ReplayMemory::Now)
    int64_t pausedWall = 0;                  // and on the wall clock, ms since 1970
    std::atomic<int32_t> motionDetection{0}; // read by OnMotion on the read thread
    int32_t motionSensitivity = 50;
    int32_t motionArea = 10;
    QString motionIgnored;
    uint32_t extentX = 5080;
    uint32_t extentY = 5080;
    bool dirty = false;
    bool openPending = false; // a URL set before the window was: opened at the first paint
};
