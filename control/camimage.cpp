#include "control/camimage.h"

#include "control/cameracommand.h"
#include "control/camimagewindow.h"
#include "control/motionrecording.h"
#include "control/streamtimings.h"
#include "control/zoomindicator.h"

#include "foundation/jpegsize.h"
#include "foundation/log.h"
#include "platform/com/bstring.h"
#include "recording/matroskafile.h"
#include "recording/recordingwriter.h"

#include <QDateTime>
#include <QFile>
#include <QFileInfo>
#include <QPainter>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iterator>
#include <utility>

namespace {

std::atomic<int> liveObjects{0};
constexpr char16_t kAgent[] = u"CamImgCE";

constexpr uint32_t kPersistVersion = 0x0100;

// A picture's bytes as a byte string; a null string for none.
BSTR ByteString(const FrameBuffer& jpeg) {
    return jpeg.Size() == 0 ? nullptr
                            : SysAllocStringByteLen(reinterpret_cast<const char*>(jpeg.Data()), jpeg.Size());
}

// ---- the persisted property set: a version, the extent, then each property as
// a typed value.

bool WriteBytes(IStream* stream, const void* bytes, uint32_t size) {
    uint32_t written = 0;
    return SUCCEEDED(stream->Write(bytes, size, &written)) && written == size;
}

bool ReadBytes(IStream* stream, void* bytes, uint32_t size) {
    uint32_t read = 0;
    return stream->Read(bytes, size, &read) == S_OK && read == size;
}

template <typename T> bool WriteValue(IStream* stream, VARTYPE type, T value) {
    return WriteBytes(stream, &type, sizeof(type)) && WriteBytes(stream, &value, sizeof(value));
}

bool WriteText(IStream* stream, const QString& text) {
    const VARTYPE type = VT_BSTR;
    const uint32_t bytes = text.isEmpty() ? 0 : static_cast<uint32_t>(text.size() + 1) * 2;
    return WriteBytes(stream, &type, sizeof(type)) && WriteBytes(stream, &bytes, sizeof(bytes)) &&
           (bytes == 0 || WriteBytes(stream, text.utf16(), bytes));
}

template <typename T> bool ReadValue(IStream* stream, VARTYPE expected, T& value) {
    VARTYPE type = 0;
    return ReadBytes(stream, &type, sizeof(type)) && type == expected &&
           ReadBytes(stream, &value, sizeof(value));
}

bool ReadText(IStream* stream, QString& text) {
    VARTYPE type = 0;
    uint32_t bytes = 0;
    if (!ReadBytes(stream, &type, sizeof(type)) || type != VT_BSTR ||
        !ReadBytes(stream, &bytes, sizeof(bytes))) {
        return false;
    }
    if (bytes == 0) {
        text.clear();
        return true;
    }
    if (bytes % 2 != 0 || bytes > 1024 * 1024)
        return false;
    std::vector<char16_t> chars(bytes / 2);
    if (!ReadBytes(stream, chars.data(), bytes))
        return false;
    text = QString::fromUtf16(chars.data(), static_cast<qsizetype>(chars.size() - 1));
    return true;
}

VARIANT Short(int value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I2;
    v.iVal = static_cast<int16_t>(value);
    return v;
}

VARIANT Long(int value) {
    VARIANT v;
    VariantInit(&v);
    v.vt = VT_I4;
    v.lVal = value;
    return v;
}

} // namespace

CCamImage* CCamImage::Create() {
    return new CCamImage;
}

int CCamImage::LiveObjects() {
    return liveObjects;
}

CCamImage::CCamImage()
    : events(static_cast<ICamImage*>(this), DIID_ICamImageEvents), display(static_cast<StreamEvents*>(this)),
      source(CameraSource::Create(CameraKey(), false)) {
    ++liveObjects;
}

CCamImage::~CCamImage() {
    StopStream();
    display.Release();
    events.UnadviseAll();
    Close();
    // The last control gone, no stream lingers for another: none outlives the module.
    if (--liveObjects == 0)
        CameraSource::StopAllShared();
}

HRESULT CCamImage::QueryInterface(REFIID iid, void** object) {
    if (!object)
        return E_POINTER;
    if (iid == IID_ICamImage || iid == IID_IDispatch || iid == IID_IUnknown) {
        *object = static_cast<ICamImage*>(this);
    } else if (iid == IID_IConnectionPointContainer) {
        *object = static_cast<IConnectionPointContainer*>(this);
    } else if (iid == IID_IPersistStreamInit) {
        *object = static_cast<IPersistStreamInit*>(this);
    } else if (iid == IID_IOleObject) {
        *object = static_cast<IOleObject*>(this);
    } else if (iid == IID_IOleWindow) {
        *object = static_cast<IOleWindow*>(this);
    } else if (iid == IID_ICamImageStatistics) {
        *object = static_cast<ICamImageStatistics*>(this);
    } else {
        *object = nullptr;
        return E_NOINTERFACE;
    }
    AddRef();
    return S_OK;
}

ULONG CCamImage::AddRef() {
    return ++refCount;
}

ULONG CCamImage::Release() {
    const ULONG left = --refCount;
    if (left == 0)
        delete this;
    return left;
}

// ---- properties and methods

HRESULT CCamImage::get_URL(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = BString(url).Detach();
    return S_OK;
}

HRESULT CCamImage::put_URL(BSTR value) {
    const QString newUrl = BString::ToQString(value);
    LogTrace(u"CCamImage::put_URL", "Url %S", Wide(newUrl));
    if (value && newUrl.isEmpty())
        return E_FAIL;
    if (newUrl != url) {
        zoom.Reset(); // another camera is shown whole, and live
        put_Paused(0);
        drawnBeforeUrl = display.PicturesDrawn(); // the picture shown is the camera's before
    }
    url = newUrl;
    dirty = true;
    StopStream();
    if (IsWindow()) {
        if (!OpenStream()) {
            LogWarning(u"CCamImage::put_URL", "Failed To open URL '%S'", Wide(url));
            return E_FAIL;
        }
        return S_OK;
    }
    openPending = true;
    return S_OK;
}

HRESULT CCamImage::get_FPS(float* value) {
    if (!value)
        return E_POINTER;
    *value = fps;
    return S_OK;
}

HRESULT CCamImage::put_FPS(float value) {
    fps = value;
    dirty = true;
    display.SetFps(value);
    return S_OK;
}

HRESULT CCamImage::get_Stretch(int32_t* value) {
    if (!value)
        return E_POINTER;
    LogTrace(u"", "CCamImage::get_Stretch app %d (internal %d)", stretch, stretch);
    *value = stretch;
    return S_OK;
}

HRESULT CCamImage::put_Stretch(int32_t value) {
    LogTrace(u"", "CCamImage::put_Stretch app %d, (internal %d)", value, value);
    stretch = value;
    dirty = true;
    return S_OK;
}

HRESULT CCamImage::get_Rotate(int16_t* value) {
    if (!value)
        return E_POINTER;
    *value = rotate;
    return S_OK;
}

HRESULT CCamImage::put_Rotate(int16_t value) {
    LogTrace(u"", "CCamImage::put_Rotate %d", value);
    // Zoomed, the same part of the scene stays shown, turned.
    if (zoom.Zoomed() && value != rotate)
        zoom.MoveTo(DecodedToDrawn(DrawnToDecoded(zoom.Area(), rotate), value).topLeft());
    rotate = value;
    dirty = true;
    return S_OK;
}

HRESULT CCamImage::get_Username(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = BString(username).Detach();
    return S_OK;
}

HRESULT CCamImage::put_Username(BSTR value) {
    LogTrace(u"", "CCamImage::put_Username ****");
    username = BString::ToQString(value);
    return S_OK;
}

HRESULT CCamImage::put_Password(BSTR value) {
    LogTrace(u"", "CCamImage::put_Password ****");
    password = BString::ToQString(value);
    return S_OK;
}

HRESULT CCamImage::StopDownload() {
    LogTrace(u"", "CCamImage::StopDownload");
    StopStream();
    return S_OK;
}

HRESULT CCamImage::StartDownload() {
    LogTrace(u"", "CCamImage::StartDownload");
    if (url.isEmpty())
        return put_URL(nullptr); // never set: a missing string
    return put_URL(BString(url).Get());
}

HRESULT CCamImage::get_PTZ_URL(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = BString(ptzUrl).Detach();
    return S_OK;
}

HRESULT CCamImage::put_PTZ_URL(BSTR value) {
    const QString newTemplate = BString::ToQString(value);
    LogTrace(u"CCamImage::put_PTZ_URL", "Ptz Url %S", Wide(newTemplate));
    if (value && newTemplate.isEmpty())
        return E_FAIL;
    ptzUrl = newTemplate; // a missing string clears it: taps then send nothing
    dirty = true;
    return S_OK;
}

HRESULT CCamImage::get_ScaledDecoding(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = scaledDecoding;
    return S_OK;
}

HRESULT CCamImage::put_ScaledDecoding(int32_t value) {
    LogTrace(u"", "CCamImage::put_ScaledDecoding %d", value);
    scaledDecoding = value; // not persisted: the host sets it for each use
    return S_OK;
}

HRESULT CCamImage::get_Picture(BSTR* value) {
    return value ? (*value = ByteString(display.ShownJpeg()), S_OK) : E_POINTER;
}

HRESULT CCamImage::get_PicturesShown(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = static_cast<int32_t>(display.PicturesDrawn() &
                                  0x7FFFFFFF); // a counter: it wraps, it is compared for change
    return S_OK;
}

HRESULT CCamImage::get_UndecodedPictures(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = display.UndecodedPictures();
    return S_OK;
}

HRESULT CCamImage::get_SharedConnection(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = sharedConnection;
    return S_OK;
}

HRESULT CCamImage::put_SharedConnection(int32_t value) {
    LogTrace(u"", "CCamImage::put_SharedConnection %d", value);
    sharedConnection = value; // not persisted; the next stream opened follows it
    return S_OK;
}

HRESULT CCamImage::get_SamePictureSeconds(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = static_cast<int32_t>(source->SamePictureMs() / 1000);
    return S_OK;
}

HRESULT CCamImage::get_FailedConnectAttempts(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = source->FailedConnectAttempts();
    return S_OK;
}

HRESULT CCamImage::get_DigitalZoom(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = digitalZoom;
    return S_OK;
}

HRESULT CCamImage::put_DigitalZoom(int32_t value) {
    LogTrace(u"", "CCamImage::put_DigitalZoom %d", value);
    digitalZoom = value;
    return S_OK;
}

HRESULT CCamImage::get_RecordFile(BSTR* value) {
    return value ? (*value = BString(recordFile).Detach(), S_OK) : E_POINTER;
}

HRESULT CCamImage::put_RecordFile(BSTR value) {
    return Retarget(recordFile, value);
}

HRESULT CCamImage::get_RecordFolder(BSTR* value) {
    return value ? (*value = BString(recordFolder).Detach(), S_OK) : E_POINTER;
}

HRESULT CCamImage::put_RecordFolder(BSTR value) {
    return Retarget(recordFolder, value);
}

HRESULT CCamImage::get_RecordKeepGiB(int32_t* value) {
    return value ? (*value = recordKeepGiB, S_OK) : E_POINTER;
}

HRESULT CCamImage::put_RecordKeepGiB(int32_t value) {
    recordKeepGiB = std::max(0, value); // from the next file on
    return S_OK;
}

HRESULT CCamImage::get_RecordKeepDays(int32_t* value) {
    return value ? (*value = recordKeepDays, S_OK) : E_POINTER;
}

HRESULT CCamImage::put_RecordKeepDays(int32_t value) {
    recordKeepDays = std::max(0, value);
    return S_OK;
}

HRESULT CCamImage::get_Recording(int32_t* value) {
    if (!value)
        return E_POINTER;
    const bool continuous = recording && !recording->CurrentFile().isEmpty();
    *value = continuous || (motionRecording && motionRecording->Recording()) ? 1 : 0;
    return S_OK;
}

HRESULT CCamImage::get_RecordingError(BSTR* value) {
    if (!value)
        return E_POINTER;
    const QString error = recording         ? recording->Error()
                          : motionRecording ? motionRecording->Error()
                                            : recordingError;
    *value = error.isEmpty() ? nullptr : BString(error).Detach();
    return S_OK;
}

HRESULT CCamImage::get_RecordOnMotion(int32_t* value) {
    return value ? (*value = recordOnMotion, S_OK) : E_POINTER;
}

HRESULT CCamImage::put_RecordOnMotion(int32_t value) {
    LogTrace(u"", "CCamImage::put_RecordOnMotion %d", value);
    recordOnMotion = std::max(0, value); // from the next recording on
    return S_OK;
}

HRESULT CCamImage::get_RecordBeforeMotion(int32_t* value) {
    return value ? (*value = recordBeforeMotion, S_OK) : E_POINTER;
}

HRESULT CCamImage::put_RecordBeforeMotion(int32_t value) {
    LogTrace(u"", "CCamImage::put_RecordBeforeMotion %d", value);
    recordBeforeMotion = std::max(0, value);
    return S_OK;
}

HRESULT CCamImage::get_ReplaySeconds(int32_t* value) {
    return value ? (*value = replaySeconds, S_OK) : E_POINTER;
}

HRESULT CCamImage::put_ReplaySeconds(int32_t value) {
    replaySeconds = std::max(0, value);
    KeepReplay();
    return S_OK;
}

HRESULT CCamImage::get_ReplayMiB(int32_t* value) {
    return value ? (*value = replayMiB, S_OK) : E_POINTER;
}

HRESULT CCamImage::put_ReplayMiB(int32_t value) {
    replayMiB = std::max(0, value);
    KeepReplay();
    return S_OK;
}

void CCamImage::KeepReplay() {
    // Only the stream shown: one about to be opened is asked when it opens. Recording on motion
    // takes the seconds before each motion from the same memory.
    if (!display.Slot() || display.Slot()->HasEnded())
        return;
    const int32_t seconds = std::max(replaySeconds, motionRecording ? recordBeforeMotion : 0);
    source->Replay().Keep(display.Slot().get(), seconds, static_cast<size_t>(replayMiB) << 20);
}

HRESULT CCamImage::get_Paused(int32_t* value) {
    return value ? (*value = paused ? 1 : 0, S_OK) : E_POINTER;
}

template <typename Choose> bool CCamImage::ShowReplay(Choose choose) {
    if (paused)
        stepped.Follow(source->Replay().Pictures());
    else
        stepped.Hold(source->Replay().Pictures());
    if (stepped.Empty())
        return false;
    const ReplayMemory::Picture& shown = stepped.Show(choose(stepped.Held()));
    paused = true;
    pausedArrival = shown.arrivalMs;
    pausedWall = shown.wallMs;
    display.Freeze(shown.bytes->data(), shown.bytes->size());
    return true;
}

HRESULT CCamImage::put_Paused(int32_t value) {
    LogTrace(u"", "CCamImage::put_Paused %d", value);
    if (!value) {
        paused = false;
        stepped.Release();
        display.Thaw();
        return S_OK;
    }
    if (paused)
        return S_OK;
    // The kept picture that is the one shown, else the newest.
    const FrameBuffer& shownJpeg = display.ShownJpeg();
    const bool kept = ShowReplay([&](const std::vector<ReplayMemory::Picture>& pictures) {
        for (int64_t i = static_cast<int64_t>(pictures.size()) - 1; i >= 0; --i) {
            const ReplayBytes& bytes = *pictures[i].bytes;
            if (bytes.size() == shownJpeg.Size() && std::equal(bytes.begin(), bytes.end(), shownJpeg.Data()))
                return i;
        }
        return static_cast<int64_t>(pictures.size()) - 1;
    });
    if (!kept) { // nothing kept: the picture shown stays as it is, once it is this camera's
        if (display.PicturesDrawn() == drawnBeforeUrl)
            return S_OK;
        paused = true;
        pausedArrival = ReplayMemory::Now();
        pausedWall = QDateTime::currentMSecsSinceEpoch();
        display.Freeze(shownJpeg.Data(), shownJpeg.Size());
    }
    return S_OK;
}

HRESULT CCamImage::put_ReplayStep(int32_t pictures) {
    if (!paused)
        put_Paused(1);
    ShowReplay([&](const std::vector<ReplayMemory::Picture>&) { return stepped.ShownIndex() + pictures; });
    return S_OK;
}

HRESULT CCamImage::put_ReplayStepMs(int32_t milliseconds) {
    if (!paused)
        put_Paused(1);
    const int64_t wanted = pausedArrival + milliseconds;
    ShowReplay([&](const std::vector<ReplayMemory::Picture>& kept) {
        // The picture that arrived nearest the time wanted.
        const auto later =
            std::lower_bound(kept.begin(), kept.end(), wanted,
                             [](const ReplayMemory::Picture& p, int64_t t) { return p.arrivalMs < t; });
        int64_t index = later - kept.begin();
        if (later != kept.begin() &&
            (later == kept.end() || wanted - (later - 1)->arrivalMs < later->arrivalMs - wanted))
            --index;
        return index;
    });
    return S_OK;
}

HRESULT CCamImage::get_ShownTime(BSTR* value) {
    if (!value)
        return E_POINTER;
    *value = paused ? BString(QDateTime::fromMSecsSinceEpoch(pausedWall)
                                  .toString(QStringLiteral("yyyy-MM-ddThh:mm:ss.zzz")))
                          .Detach()
                    : nullptr;
    return S_OK;
}

HRESULT CCamImage::put_ClipFile(BSTR value) {
    const QString path = BString::ToQString(value);
    const std::vector<ReplayMemory::Picture> kept = source->Replay().Pictures();
    if (kept.empty()) {
        recordingError = QStringLiteral("There is no picture to save yet");
        return E_FAIL;
    }
    int width = 0;
    int height = 0;
    // The size of the first kept picture that declares one.
    for (size_t i = 0; i < kept.size(); ++i) {
        if (ReadJpegSize(kept[i].bytes->data(), static_cast<uint32_t>(kept[i].bytes->size()), width, height))
            break;
    }
    const bool existed = QFileInfo::exists(path);
    MatroskaFile clip;
    const bool opened = clip.Open(path, width, height);
    bool written = opened;
    for (size_t i = 0; written && i < kept.size(); ++i)
        written = clip.Write(kept[i].bytes->data(), kept[i].bytes->size(), kept[i].arrivalMs);
    if (written && clip.Close()) {
        LogInfo(u"CCamImage::put_ClipFile", "%d pictures into '%S'", static_cast<int>(kept.size()),
                Wide(path));
        return S_OK;
    }
    recordingError = clip.Error();
    clip.Close();
    if (opened || !existed)
        QFile::remove(path); // a clip cut short (a full disk) is not left as if it were one
    return E_FAIL;
}

HRESULT CCamImage::get_MotionDetection(int32_t* value) {
    return value ? (*value = motionDetection, S_OK) : E_POINTER;
}

HRESULT CCamImage::put_MotionDetection(int32_t value) {
    LogTrace(u"", "CCamImage::put_MotionDetection %d", value);
    motionDetection = value;
    DetectMotion();
    return S_OK;
}

HRESULT CCamImage::get_MotionSensitivity(int32_t* value) {
    return value ? (*value = motionSensitivity, S_OK) : E_POINTER;
}

HRESULT CCamImage::put_MotionSensitivity(int32_t value) {
    motionSensitivity = std::clamp(value, 1, 100);
    return S_OK;
}

HRESULT CCamImage::get_MotionArea(int32_t* value) {
    return value ? (*value = motionArea, S_OK) : E_POINTER;
}

HRESULT CCamImage::put_MotionArea(int32_t value) {
    motionArea = std::clamp(value, 1, 1000);
    return S_OK;
}

HRESULT CCamImage::get_MotionIgnored(BSTR* value) {
    return value ? (*value = BString(motionIgnored).Detach(), S_OK) : E_POINTER;
}

HRESULT CCamImage::put_MotionIgnored(BSTR value) {
    const QString areas = BString::ToQString(value);
    for (const QString& area : areas.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        if (area.split(QLatin1Char(',')).size() != 4)
            return E_INVALIDARG;
    }
    motionIgnored = areas;
    return S_OK;
}

HRESULT CCamImage::get_Motion(int32_t* value) {
    return value ? (*value = source->InMotion(display.Slot().get()) ? 1 : 0, S_OK) : E_POINTER;
}

HRESULT CCamImage::get_MotionPicture(BSTR* value) {
    return value ? (*value = ByteString(source->MotionPicture(display.Slot().get())), S_OK) : E_POINTER;
}

void CCamImage::DetectMotion() {
    if (!display.Slot() || display.Slot()->HasEnded())
        return; // a stream about to be opened is asked when it opens
    if (!motionDetection) {
        source->StopDetectingMotion(display.Slot().get());
        return;
    }
    MotionSettings settings;
    settings.sensitivity = motionSensitivity;
    settings.smallestArea = motionArea / 1000.0;
    for (const QString& area : motionIgnored.split(QLatin1Char(';'), Qt::SkipEmptyParts)) {
        const QStringList edges = area.split(QLatin1Char(','));
        settings.ignored.push_back(QRectF(edges[0].toDouble() / 10000, edges[1].toDouble() / 10000,
                                          edges[2].toDouble() / 10000, edges[3].toDouble() / 10000));
    }
    source->DetectMotion(display.Slot(), settings);
}

HRESULT CCamImage::Retarget(QString& target, BSTR path) {
    LogTrace(u"CCamImage::Retarget", "Record to '%S'", Wide(BString::ToQString(path)));
    EndRecording();
    recordFile.clear();
    recordFolder.clear();
    target = BString::ToQString(path);
    recordingError.clear();
    if (display.Slot() && !display.Slot()->HasEnded())
        StartRecording();
    return S_OK;
}

void CCamImage::StartRecording() {
    if (recording || motionRecording || (recordFile.isEmpty() && recordFolder.isEmpty()) || !display.Slot())
        return;
    RecordingTarget target;
    target.file = recordFile;
    target.folder = recordFolder;
    target.keepBytes = static_cast<int64_t>(recordKeepGiB) << 30;
    target.keepDays = recordKeepDays;
    std::function<QStringList()> writing;
    if (recordOnMotion > 0) {
        motionRecording =
            std::make_shared<MotionRecording>(target, source->Replay(), recordBeforeMotion, recordOnMotion);
        KeepReplay(); // the seconds before a motion
        display.Slot()->SetMotionRecording(motionRecording);
        writing = [kept = motionRecording] { return kept->FilesWritten(); };
    } else {
        recording = std::make_shared<RecordingWriter>(target);
        display.Slot()->SetRecording(recording);
        writing = [kept = recording] { return QStringList{kept->CurrentFile()}; };
    }
    if (!target.folder.isEmpty() && (target.keepBytes > 0 || target.keepDays > 0))
        retention =
            std::make_unique<FolderRetention>(target.folder, target.keepBytes, target.keepDays, writing);
}

void CCamImage::EndRecording() {
    if (!recording && !motionRecording)
        return;
    if (display.Slot()) {
        display.Slot()->SetRecording(nullptr);
        display.Slot()->SetMotionRecording(nullptr);
    }
    // The last pictures are written and the file closed.
    if (recording) {
        recording->End();
        recordingError = recording->Error();
    } else {
        motionRecording->End();
        recordingError = motionRecording->Error();
    }
    retention.reset();
    recording.reset();
    motionRecording.reset();
    KeepReplay(); // no longer the seconds before a motion
    // One file is one stream's: another stream is not written over it.
    recordFile.clear();
}

HRESULT CCamImage::get_Zoom(int32_t* value) {
    if (!value)
        return E_POINTER;
    *value = static_cast<int32_t>(std::lround(zoom.Factor() * 100.0));
    return S_OK;
}

HRESULT CCamImage::put_Zoom(int32_t value) {
    LogTrace(u"", "CCamImage::put_Zoom %d", value);
    const QRectF target = ZoomTarget();
    zoom.ZoomAbout(value / 100.0, target.center(), target);
    ZoomChanged();
    return S_OK;
}

// ---- dispatch

namespace {

// Where a variant holds a value of each type that the control's properties
// have.
template <typename T, T VARIANT::*member> struct VariantField {
    using Type = T;
    static constexpr T VARIANT::*field = member;
};
template <VARTYPE type> struct VariantValue;
template <> struct VariantValue<VT_BSTR> : VariantField<BSTR, &VARIANT::bstrVal> {};
template <> struct VariantValue<VT_R4> : VariantField<float, &VARIANT::fltVal> {};
template <> struct VariantValue<VT_I4> : VariantField<int32_t, &VARIANT::lVal> {};
template <> struct VariantValue<VT_I2> : VariantField<int16_t, &VARIANT::iVal> {};

// A getter or setter of the variant type's value: one of another type does not
// compile.
template <VARTYPE type> using Getter = HRESULT (CCamImage::*)(typename VariantValue<type>::Type*);
template <VARTYPE type> using Setter = HRESULT (CCamImage::*)(typename VariantValue<type>::Type);

// How Invoke reaches a member: the variant type of its value and what reads,
// writes or (for a method) calls it; null where the member cannot be reached
// that way.
struct DispatchAccess {
    VARTYPE type = VT_EMPTY;
    HRESULT (*get)(CCamImage&, VARIANT&) = nullptr;
    HRESULT (*put)(CCamImage&, const VARIANT&) = nullptr;
    HRESULT (*call)(CCamImage&) = nullptr;
};

template <VARTYPE type, Getter<type> getter, Setter<type> setter> constexpr DispatchAccess Property() {
    DispatchAccess access;
    access.type = type;
    if constexpr (getter != nullptr) {
        access.get = [](CCamImage& control, VARIANT& result) {
            return (control.*getter)(&(result.*VariantValue<type>::field));
        };
    }
    if constexpr (setter != nullptr) {
        access.put = [](CCamImage& control, const VARIANT& argument) {
            return (control.*setter)(argument.*VariantValue<type>::field);
        };
    }
    return access;
}

template <HRESULT (CCamImage::*method)()> constexpr DispatchAccess Method() {
    DispatchAccess access;
    access.call = [](CCamImage& control) { return (control.*method)(); };
    return access;
}

struct DispatchMember {
    DISPID id;
    DispatchAccess access;
};

// The members of ICamImage that Invoke reaches. A row is a dispatch identifier
// (CamImageDispid) with either a Property: the variant type of its value, its
// getter and its setter (nullptr for one that cannot be read or written), or a
// Method, which is called whatever the flags. Adding a property to the control
// is its get_/put_ pair in ICamImage and CCamImage, its identifier, and one row
// here.
constexpr DispatchMember kDispatchMembers[] = {
    {CamImageDispid::URL, Property<VT_BSTR, &CCamImage::get_URL, &CCamImage::put_URL>()},
    {CamImageDispid::FPS, Property<VT_R4, &CCamImage::get_FPS, &CCamImage::put_FPS>()},
    {CamImageDispid::Stretch, Property<VT_I4, &CCamImage::get_Stretch, &CCamImage::put_Stretch>()},
    {CamImageDispid::Rotate, Property<VT_I2, &CCamImage::get_Rotate, &CCamImage::put_Rotate>()},
    {CamImageDispid::Username, Property<VT_BSTR, &CCamImage::get_Username, &CCamImage::put_Username>()},
    {CamImageDispid::Password, Property<VT_BSTR, nullptr, &CCamImage::put_Password>()}, // never read back
    {CamImageDispid::StopDownload, Method<&CCamImage::StopDownload>()},
    {CamImageDispid::StartDownload, Method<&CCamImage::StartDownload>()},
    {CamImageDispid::PTZ_URL, Property<VT_BSTR, &CCamImage::get_PTZ_URL, &CCamImage::put_PTZ_URL>()},
    {CamImageDispid::ScaledDecoding,
     Property<VT_I4, &CCamImage::get_ScaledDecoding, &CCamImage::put_ScaledDecoding>()},
    {CamImageDispid::Picture, Property<VT_BSTR, &CCamImage::get_Picture, nullptr>()},
    {CamImageDispid::PicturesShown, Property<VT_I4, &CCamImage::get_PicturesShown, nullptr>()},
    {CamImageDispid::UndecodedPictures, Property<VT_I4, &CCamImage::get_UndecodedPictures, nullptr>()},
    {CamImageDispid::SharedConnection,
     Property<VT_I4, &CCamImage::get_SharedConnection, &CCamImage::put_SharedConnection>()},
    {CamImageDispid::SamePictureSeconds, Property<VT_I4, &CCamImage::get_SamePictureSeconds, nullptr>()},
    {CamImageDispid::FailedConnectAttempts,
     Property<VT_I4, &CCamImage::get_FailedConnectAttempts, nullptr>()},
    {CamImageDispid::DigitalZoom,
     Property<VT_I4, &CCamImage::get_DigitalZoom, &CCamImage::put_DigitalZoom>()},
    {CamImageDispid::Zoom, Property<VT_I4, &CCamImage::get_Zoom, &CCamImage::put_Zoom>()},
    {CamImageDispid::RecordFile, Property<VT_BSTR, &CCamImage::get_RecordFile, &CCamImage::put_RecordFile>()},
    {CamImageDispid::RecordFolder,
     Property<VT_BSTR, &CCamImage::get_RecordFolder, &CCamImage::put_RecordFolder>()},
    {CamImageDispid::RecordKeepGiB,
     Property<VT_I4, &CCamImage::get_RecordKeepGiB, &CCamImage::put_RecordKeepGiB>()},
    {CamImageDispid::RecordKeepDays,
     Property<VT_I4, &CCamImage::get_RecordKeepDays, &CCamImage::put_RecordKeepDays>()},
    {CamImageDispid::Recording, Property<VT_I4, &CCamImage::get_Recording, nullptr>()},
    {CamImageDispid::RecordingError, Property<VT_BSTR, &CCamImage::get_RecordingError, nullptr>()},
    {CamImageDispid::ReplaySeconds,
     Property<VT_I4, &CCamImage::get_ReplaySeconds, &CCamImage::put_ReplaySeconds>()},
    {CamImageDispid::ReplayMiB, Property<VT_I4, &CCamImage::get_ReplayMiB, &CCamImage::put_ReplayMiB>()},
    {CamImageDispid::Paused, Property<VT_I4, &CCamImage::get_Paused, &CCamImage::put_Paused>()},
    {CamImageDispid::ReplayStep, Property<VT_I4, nullptr, &CCamImage::put_ReplayStep>()},
    {CamImageDispid::ReplayStepMs, Property<VT_I4, nullptr, &CCamImage::put_ReplayStepMs>()},
    {CamImageDispid::ShownTime, Property<VT_BSTR, &CCamImage::get_ShownTime, nullptr>()},
    {CamImageDispid::ClipFile, Property<VT_BSTR, nullptr, &CCamImage::put_ClipFile>()},
    {CamImageDispid::MotionDetection,
     Property<VT_I4, &CCamImage::get_MotionDetection, &CCamImage::put_MotionDetection>()},
    {CamImageDispid::MotionSensitivity,
     Property<VT_I4, &CCamImage::get_MotionSensitivity, &CCamImage::put_MotionSensitivity>()},
    {CamImageDispid::MotionArea, Property<VT_I4, &CCamImage::get_MotionArea, &CCamImage::put_MotionArea>()},
    {CamImageDispid::MotionIgnored,
     Property<VT_BSTR, &CCamImage::get_MotionIgnored, &CCamImage::put_MotionIgnored>()},
    {CamImageDispid::Motion, Property<VT_I4, &CCamImage::get_Motion, nullptr>()},
    {CamImageDispid::RecordOnMotion,
     Property<VT_I4, &CCamImage::get_RecordOnMotion, &CCamImage::put_RecordOnMotion>()},
    {CamImageDispid::RecordBeforeMotion,
     Property<VT_I4, &CCamImage::get_RecordBeforeMotion, &CCamImage::put_RecordBeforeMotion>()},
    {CamImageDispid::MotionPicture, Property<VT_BSTR, &CCamImage::get_MotionPicture, nullptr>()},
};

} // namespace

HRESULT CCamImage::Invoke(DISPID member, REFIID, LCID, uint16_t flags, DISPPARAMS* parameters,
                          VARIANT* result, void*, uint32_t*) {
    const bool put = flags & DISPATCH_PROPERTYPUT;
    const bool get = flags & DISPATCH_PROPERTYGET;
    const VARIANT* argument = parameters && parameters->cArgs > 0 ? &parameters->rgvarg[0] : nullptr;
    if (put && !argument)
        return DISP_E_BADPARAMCOUNT;
    if (get && !result)
        return E_POINTER;
    const auto row =
        std::find_if(std::begin(kDispatchMembers), std::end(kDispatchMembers),
                     [member](const DispatchMember& candidate) { return candidate.id == member; });
    if (row == std::end(kDispatchMembers))
        return DISP_E_MEMBERNOTFOUND;
    const DispatchAccess& access = row->access;
    if (access.call)
        return access.call(*this);
    // Asked to write and read at once, a property that can be written is written.
    if (put && access.put)
        return argument->vt == access.type ? access.put(*this, *argument) : DISP_E_TYPEMISMATCH;
    if (get && access.get) {
        VariantInit(result);
        result->vt = access.type;
        return access.get(*this, *result);
    }
    return DISP_E_MEMBERNOTFOUND;
}

// ---- events

HRESULT CCamImage::FindConnectionPoint(REFIID iid, IConnectionPoint** point) {
    if (!point)
        return E_POINTER;
    if (iid != DIID_ICamImageEvents) {
        *point = nullptr;
        return E_NOINTERFACE;
    }
    *point = &events;
    events.AddRef();
    return S_OK;
}

void CCamImage::FireOnSize(int width, int height) {
    VARIANT arguments[2] = {Short(height), Short(width)};
    events.Fire(CamImageEventDispid::OnSize, arguments, 2);
}

void CCamImage::FireOnMotion(bool started, int picture) {
    if (started && !motionDetection)
        return; // a start the read thread told as this control stopped looking, after its end
    VARIANT arguments[2] = {Long(picture), Short(started ? 1 : 0)};
    events.Fire(CamImageEventDispid::OnMotion, arguments, 2);
}

void CCamImage::FireOnStreamStarted() {
    VARIANT arguments[2] = {Short(0), Short(0)};
    events.Fire(CamImageEventDispid::OnStreamStarted, arguments, 2);
}

void CCamImage::FireOnConnectionFailed(int status) {
    VARIANT argument = Long(status);
    events.Fire(CamImageEventDispid::OnConnectionFailed, &argument, 1);
}

void CCamImage::FireOnConnectionBroken(int status) {
    VARIANT argument = Long(status);
    events.Fire(CamImageEventDispid::OnConnectionBroken, &argument, 1);
}

void CCamImage::FireOnStreamStopped() {
    events.Fire(CamImageEventDispid::OnStreamStopped, nullptr, 0);
}

// ---- persistence

HRESULT CCamImage::GetClassID(CLSID* clsid) {
    if (!clsid)
        return E_POINTER;
    *clsid = CLSID_CamImage;
    return S_OK;
}

HRESULT CCamImage::IsDirty() {
    return dirty ? S_OK : S_FALSE;
}

HRESULT CCamImage::InitNew() {
    return S_OK;
}

HRESULT CCamImage::Save(IStream* stream, bool clearDirty) {
    if (!stream)
        return E_POINTER;
    const bool ok = WriteBytes(stream, &kPersistVersion, sizeof(kPersistVersion)) &&
                    WriteBytes(stream, &extentX, sizeof(extentX)) &&
                    WriteBytes(stream, &extentY, sizeof(extentY)) && WriteText(stream, url) &&
                    WriteValue(stream, VT_R4, fps) && WriteValue(stream, VT_I4, stretch) &&
                    WriteValue(stream, VT_I2, rotate) && WriteText(stream, ptzUrl);
    if (!ok)
        return E_FAIL;
    if (clearDirty)
        dirty = false;
    return S_OK;
}

HRESULT CCamImage::Load(IStream* stream) {
    if (!stream)
        return E_POINTER;
    uint32_t version = 0;
    uint32_t cx = 0;
    uint32_t cy = 0;
    QString savedUrl;
    float savedFps = 0;
    int32_t savedStretch = 0;
    int16_t savedRotate = 0;
    QString savedPtz;
    const bool ok = ReadBytes(stream, &version, sizeof(version)) && version == kPersistVersion &&
                    ReadBytes(stream, &cx, sizeof(cx)) && ReadBytes(stream, &cy, sizeof(cy)) &&
                    ReadText(stream, savedUrl) && ReadValue(stream, VT_R4, savedFps) &&
                    ReadValue(stream, VT_I4, savedStretch) && ReadValue(stream, VT_I2, savedRotate) &&
                    ReadText(stream, savedPtz);
    if (!ok)
        return STG_E_READFAULT; // nothing is applied from a damaged stream
    SetExtent(cx, cy);
    if (!savedUrl.isEmpty())
        put_URL(BString(savedUrl).Get());
    put_FPS(savedFps);
    put_Stretch(savedStretch);
    put_Rotate(savedRotate);
    if (!savedPtz.isEmpty())
        put_PTZ_URL(BString(savedPtz).Get());
    dirty = false;
    return S_OK;
}

// ---- embedding

HRESULT CCamImage::SetClientSite(IUnknown* site) {
    clientSite = ComPtr<IUnknown>::Share(site);
    return S_OK;
}

HRESULT CCamImage::DoVerb(int verb, QWidget* parent) {
    if (verb != OLEIVERB_INPLACEACTIVATE)
        return E_NOTIMPL;
    if (!window) {
        window = new CamImageWindow(this, parent);
        display.SetWindow(window);
    } else if (window->parentWidget() != parent) {
        window->setParent(parent);
    }
    return S_OK;
}

HRESULT CCamImage::Close() {
    if (window) {
        StopStream();
        window->DetachControl();
        delete window.data();
    }
    clientSite.Reset();
    return S_OK;
}

HRESULT CCamImage::SetExtent(uint32_t cx, uint32_t cy) {
    extentX = cx;
    extentY = cy;
    return S_OK;
}

HRESULT CCamImage::GetExtent(uint32_t* cx, uint32_t* cy) {
    if (!cx || !cy)
        return E_POINTER;
    *cx = extentX;
    *cy = extentY;
    return S_OK;
}

HRESULT CCamImage::GetWindow(QWidget** result) {
    if (!result)
        return E_POINTER;
    *result = window.data();
    return window ? S_OK : E_FAIL;
}

HRESULT CCamImage::GetStatistics(int64_t* read, int64_t* drawn, int64_t* bytes) {
    if (!read || !drawn || !bytes)
        return E_POINTER;
    *read = display.PicturesRead();
    *drawn = display.PicturesDrawn();
    *bytes = display.BytesRead();
    return S_OK;
}

// ---- window

bool CCamImage::IsWindow() const {
    return !window.isNull();
}

bool CCamImage::OpenStream() {
    const CameraKey camera{url, username, password};
    if (sharedConnection) {
        if (std::shared_ptr<CameraSource> running = CameraSource::Find(camera)) {
            if (running->Join(display.NewSlot(DisplaySlot::SizeTeller::Display))) {
                source = std::move(running);
                commands.Open(kAgent, source->Host(), source->Port(), username, password, source->Secure());
                KeepReplay();
                DetectMotion();
                StartRecording();
                return true;
            }
        }
    }
    // A control of its own stream tells a new picture size from the read thread,
    // as a stream's other events; one that shares it tells it as soon as it has
    // drawn it.
    const auto teller =
        sharedConnection ? DisplaySlot::SizeTeller::Display : DisplaySlot::SizeTeller::ReadThread;
    const std::shared_ptr<CameraSource> ended =
        std::exchange(source, CameraSource::Create(camera, sharedConnection != 0));
    source->KeepReplayOf(*ended, display.Slot().get()); // a reconnect of a stream of its own
    if (!source->Open(display.NewSlot(teller)))
        return false;
    commands.Open(kAgent, source->Host(), source->Port(), username, password, source->Secure());
    KeepReplay();
    DetectMotion();
    StartRecording();
    return true;
}

void CCamImage::StopStream() {
    openPending = false; // a stream stopped, or opened now, is not opened again at the first paint
    source->Leave(display.Slot());
    EndRecording(); // after the stream's last picture
    // A camera command being sent (a tap just before leaving the camera) is let
    // finish; only one that is still being sent when the wait is over is cut off.
    if (!commands.Wait(StreamTimings::Current().stopWaitMs)) {
        LogWarning(u"CCamImage::Stop", "Wait timeout");
        commands.Cancel(); // its send fails at once
    }
    commands.Close();
}

void CCamImage::OnDraw(QPainter& painter, const QRect& client) {
    if (openPending) {
        openPending = false;
        if (IsWindow())
            OpenStream();
        return;
    }
    // Stretched over a window smaller than the picture, it is decoded no larger
    // than needed.
    const QSize drawn = scaledDecoding && stretch && window ? window->size() : QSize();
    display.Paint(painter, client, rotate, stretch != 0, drawn, zoom.Area());
    if (zoom.Zoomed())
        DrawZoomIndicator(painter, client, ZoomTarget().size(), zoom);
}

QRectF CCamImage::ZoomTarget() const {
    if (stretch && window)
        return QRectF(window->rect());
    const DisplayPicture& shown = display.Picture();
    return QRectF(0, 0, shown.DrawnWidth(), shown.DrawnHeight());
}

void CCamImage::ZoomChanged() {
    if (window)
        window->update();
}

void CCamImage::ZoomByWheel(int angle, QPointF point) {
    zoom.Wheel(angle, point, ZoomTarget());
    ZoomChanged();
}

void CCamImage::Pan(QPointF by) {
    zoom.Pan(by, ZoomTarget());
    ZoomChanged();
}

void CCamImage::SendCameraCommand(const QPoint& at, const QSize& client) {
    if (ptzUrl.isEmpty())
        return;
    // Zoomed, the camera is sent the tap where it falls on the whole picture.
    QPoint tap = at;
    if (zoom.Zoomed()) {
        const QRectF target = ZoomTarget();
        const QPointF shown = zoom.PictureAt(at, target);
        tap = QPointF(target.left() + shown.x() * target.width(), target.top() + shown.y() * target.height())
                  .toPoint();
    }
    QString command;
    if (!FormatCameraCommand(ptzUrl, MapTap(tap.x(), tap.y(), client.width(), client.height(), rotate),
                             kMaxCommandLength - 1, command)) {
        LogWarning(u"CCamImage::SendCameraCommand", "Camera command not sent: template '%S' is not usable",
                   Wide(ptzUrl));
        return;
    }
    // Dropped while the previous command is being sent, or when the stream has no
    // connection.
    if (commands.Send(command) == CommandSender::SendResult::ThreadFailed)
        LogError(u"CCamImage::SendCameraCommand", "Failed to start the command thread");
}
