#pragma once
// The stream control's contract with its host: class and interface identifiers, the dispatch
// interface ICamImage with its dispatch identifiers, and the event interface ICamImageEvents.
// The host creates the control by CLSID_CamImage through the component runtime and knows it
// only through this header.

#include "platform/com/comtypes.h"

// {6A1E2B40-3C5D-4E7F-8A91-B2C3D4E5F601}
inline constexpr CLSID CLSID_CamImage = {
    0x6A1E2B40, 0x3C5D, 0x4E7F, {0x8A, 0x91, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x01}};
// {6A1E2B41-3C5D-4E7F-8A91-B2C3D4E5F601}
inline constexpr IID IID_ICamImage = {
    0x6A1E2B41, 0x3C5D, 0x4E7F, {0x8A, 0x91, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x01}};
// {6A1E2B42-3C5D-4E7F-8A91-B2C3D4E5F601}
inline constexpr IID DIID_ICamImageEvents = {
    0x6A1E2B42, 0x3C5D, 0x4E7F, {0x8A, 0x91, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x01}};
// {6A1E2B43-3C5D-4E7F-8A91-B2C3D4E5F601}
inline constexpr GUID LIBID_VEXOCAMCONTROLCELib = {
    0x6A1E2B43, 0x3C5D, 0x4E7F, {0x8A, 0x91, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x01}};
// {6A1E2B44-3C5D-4E7F-8A91-B2C3D4E5F601}: statistics for tools, not part of the embedding contract.
inline constexpr IID IID_ICamImageStatistics = {
    0x6A1E2B44, 0x3C5D, 0x4E7F, {0x8A, 0x91, 0xB2, 0xC3, 0xD4, 0xE5, 0xF6, 0x01}};

namespace CamImageDispid {
inline constexpr DISPID URL = 1;
inline constexpr DISPID FPS = 2;
inline constexpr DISPID Stretch = 3;
inline constexpr DISPID Rotate = 4;
inline constexpr DISPID Username = 5;
inline constexpr DISPID Password = 6;
inline constexpr DISPID StopDownload = 7;
inline constexpr DISPID StartDownload = 8;
inline constexpr DISPID PTZ_URL = 9;
inline constexpr DISPID ScaledDecoding = 10;
inline constexpr DISPID Picture = 11;
inline constexpr DISPID PicturesShown = 12;
inline constexpr DISPID UndecodedPictures = 13;
inline constexpr DISPID SharedConnection = 14;
inline constexpr DISPID SamePictureSeconds = 15;
inline constexpr DISPID FailedConnectAttempts = 16;
inline constexpr DISPID DigitalZoom = 17;
inline constexpr DISPID Zoom = 18;
inline constexpr DISPID RecordFile = 19;
inline constexpr DISPID RecordFolder = 20;
inline constexpr DISPID RecordKeepGiB = 21;
inline constexpr DISPID RecordKeepDays = 22;
inline constexpr DISPID Recording = 23;
inline constexpr DISPID RecordingError = 24;
inline constexpr DISPID ReplaySeconds = 25;
inline constexpr DISPID ReplayMiB = 26;
inline constexpr DISPID Paused = 27;
inline constexpr DISPID ReplayStep = 28;
inline constexpr DISPID ReplayStepMs = 29;
inline constexpr DISPID ShownTime = 30;
inline constexpr DISPID ClipFile = 31;
inline constexpr DISPID MotionDetection = 32;
inline constexpr DISPID MotionSensitivity = 33;
inline constexpr DISPID MotionArea = 34;
inline constexpr DISPID MotionIgnored = 35;
inline constexpr DISPID Motion = 36;
inline constexpr DISPID RecordOnMotion = 37;
inline constexpr DISPID RecordBeforeMotion = 38;
inline constexpr DISPID MotionPicture = 39;
} // namespace CamImageDispid

namespace CamImageEventDispid {
inline constexpr DISPID OnSize = 1;             // Width, Height (16-bit)
inline constexpr DISPID OnStreamStarted = 2;    // Width, Height (16-bit), always 0, 0
inline constexpr DISPID OnConnectionFailed = 5; // Status
inline constexpr DISPID OnConnectionBroken = 6; // Status, always 2
inline constexpr DISPID OnStreamStopped = 7;
inline constexpr DISPID OnMotion = 8; // Started (1, or 0 for the end), Picture (of the stream, from 0)
} // namespace CamImageEventDispid

// Every call returns S_OK or a failure code. Strings passed in are copied; strings returned are
// newly allocated and freed by the caller with SysFreeString.
class ICamImage : public IDispatch {
  public:
    virtual HRESULT get_URL(BSTR* url) = 0;
    virtual HRESULT put_URL(BSTR url) = 0;
    virtual HRESULT get_FPS(float* fps) = 0;
    virtual HRESULT put_FPS(float fps) = 0;
    virtual HRESULT get_Stretch(int32_t* stretch) = 0;
    virtual HRESULT put_Stretch(int32_t stretch) = 0;
    virtual HRESULT get_Rotate(int16_t* rotate) = 0;
    virtual HRESULT put_Rotate(int16_t rotate) = 0;
    virtual HRESULT get_Username(BSTR* user) = 0;
    virtual HRESULT put_Username(BSTR user) = 0;
    virtual HRESULT put_Password(BSTR password) = 0;
    virtual HRESULT StopDownload() = 0;
    virtual HRESULT StartDownload() = 0;
    virtual HRESULT get_PTZ_URL(BSTR* url) = 0;
    virtual HRESULT put_PTZ_URL(BSTR url) = 0;
    // Non-zero: a control drawn smaller than its pictures decodes them at the smallest scale of
    // 1/2, 1/4 and 1/8 whose result still covers the drawn size. 0 (the default): whole size.
    virtual HRESULT get_ScaledDecoding(int32_t* scaled) = 0;
    virtual HRESULT put_ScaledDecoding(int32_t scaled) = 0;
    // The picture shown, as the camera sent it: its JPEG bytes in a byte string
    // (SysStringByteLen), or a null string while none is shown.
    virtual HRESULT get_Picture(BSTR* jpeg) = 0;
    // Pictures converted for drawing since the control was created.
    virtual HRESULT get_PicturesShown(int32_t* count) = 0;
    // Pictures in a row that could not be decoded; 0 again after one that could.
    virtual HRESULT get_UndecodedPictures(int32_t* count) = 0;
    // Non-zero: the next stream opened is read once in the process for every control that shares
    // it (same URL, user name and password), and goes on while another such control shows it.
    // 0 (the default): the control opens a connection of its own. Not persisted.
    virtual HRESULT get_SharedConnection(int32_t* shared) = 0;
    virtual HRESULT put_SharedConnection(int32_t shared) = 0;
    // Whole seconds for which the camera has sent the same picture, byte for byte, while its
    // pictures still arrive (a camera frozen on its last picture); 0 while they change.
    virtual HRESULT get_SamePictureSeconds(int32_t* seconds) = 0;
    // While a stream is being opened: how many times in a row the camera could not be reached
    // (the control tries again every second until the connection times out); 0 otherwise.
    virtual HRESULT get_FailedConnectAttempts(int32_t* attempts) = 0;
    // Non-zero: the mouse wheel over the control's window zooms into the picture about the
    // pointer (without moving the camera), a drag pans it, and a click that does not drag sends
    // the tap-to-centre command when the button is let go. 0 (the default): a press sends it.
    virtual HRESULT get_DigitalZoom(int32_t* enabled) = 0;
    virtual HRESULT put_DigitalZoom(int32_t enabled) = 0;
    // How far the picture is zoomed into, in percent: 100 (the default) shows the whole picture,
    // up to 800. Writing it zooms about the middle of what is shown; a new URL shows the whole
    // picture again. Only the part shown is decoded, at the scale it needs. Not persisted.
    virtual HRESULT get_Zoom(int32_t* percent) = 0;
    virtual HRESULT put_Zoom(int32_t percent) = 0;
    // Recording the camera's own pictures, as they arrive and without re-encoding, into Matroska
    // files (Motion-JPEG, each picture's arrival as its timestamp). RecordFile: the pictures of the
    // stream shown (or the next one opened) go into exactly this file, until the stream ends or
    // another target is set. RecordFolder: into <folder>/<yyyy-MM-dd>/<name>-<hhmmss>.mkv, with
    // <name> the folder's own name, a new file every hour and for every stream, the folder kept
    // within RecordKeepGiB (default 20) and RecordKeepDays (default 14; 0: no limit), the oldest
    // files deleted first. An empty text stops recording. Not persisted. With RecordOnMotion (at
    // the end of this interface) the target is recorded only around motion.
    virtual HRESULT get_RecordFile(BSTR* path) = 0;
    virtual HRESULT put_RecordFile(BSTR path) = 0;
    virtual HRESULT get_RecordFolder(BSTR* path) = 0;
    virtual HRESULT put_RecordFolder(BSTR path) = 0;
    virtual HRESULT get_RecordKeepGiB(int32_t* gib) = 0;
    virtual HRESULT put_RecordKeepGiB(int32_t gib) = 0;
    virtual HRESULT get_RecordKeepDays(int32_t* days) = 0;
    virtual HRESULT put_RecordKeepDays(int32_t days) = 0;
    // Non-zero while a file is being written.
    virtual HRESULT get_Recording(int32_t* recording) = 0;
    // Why the last recording stopped by itself (a full disk, a folder that cannot be written
    // to), or why the last clip could not be written; a null string while it goes on or ended as
    // asked.
    virtual HRESULT get_RecordingError(BSTR* error) = 0;
    // Instant replay. ReplaySeconds: the camera's source keeps its last pictures for this long
    // (default 0: none), within ReplayMiB (default 64) for the camera and 512 MiB for every camera
    // together; the source keeps the most any of its controls asks for. Paused (non-zero) freezes
    // the picture shown while the stream goes on being received; ReplayStep moves the picture
    // shown by so many pictures (negative: back), ReplayStepMs by so many milliseconds, within
    // what is kept, pausing first; Paused 0 is live again. ShownTime: when the picture shown while
    // paused arrived ("yyyy-MM-ddThh:mm:ss.zzz", local time); a null string while live. Picture
    // is the picture shown, paused or not.
    virtual HRESULT get_ReplaySeconds(int32_t* seconds) = 0;
    virtual HRESULT put_ReplaySeconds(int32_t seconds) = 0;
    virtual HRESULT get_ReplayMiB(int32_t* mib) = 0;
    virtual HRESULT put_ReplayMiB(int32_t mib) = 0;
    virtual HRESULT get_Paused(int32_t* paused) = 0;
    virtual HRESULT put_Paused(int32_t paused) = 0;
    virtual HRESULT put_ReplayStep(int32_t pictures) = 0;
    virtual HRESULT put_ReplayStepMs(int32_t milliseconds) = 0;
    virtual HRESULT get_ShownTime(BSTR* time) = 0;
    // Writes the pictures kept for replay into this Matroska file, as a recording's are written.
    // E_FAIL when nothing is kept yet or the file cannot be written (RecordingError says why).
    virtual HRESULT put_ClipFile(BSTR path) = 0;
    // Motion detection. MotionDetection (non-zero) has the camera's source look for motion in its
    // pictures from the next stream opened (or the one shown), with MotionSensitivity (1 to 100,
    // default 50), MotionArea (the smallest moving area, in tenths of a percent of the picture,
    // default 10) and MotionIgnored (areas where nothing counts: "L,T,W,H;..." in ten-thousandths
    // of the picture); the first control of a camera that asks sets them for every control of it.
    // Each start and end of motion fires OnMotion; Motion is non-zero while it lasts.
    virtual HRESULT get_MotionDetection(int32_t* on) = 0;
    virtual HRESULT put_MotionDetection(int32_t on) = 0;
    virtual HRESULT get_MotionSensitivity(int32_t* sensitivity) = 0;
    virtual HRESULT put_MotionSensitivity(int32_t sensitivity) = 0;
    virtual HRESULT get_MotionArea(int32_t* tenthsOfAPercent) = 0;
    virtual HRESULT put_MotionArea(int32_t tenthsOfAPercent) = 0;
    virtual HRESULT get_MotionIgnored(BSTR* areas) = 0;
    virtual HRESULT put_MotionIgnored(BSTR areas) = 0;
    virtual HRESULT get_Motion(int32_t* moving) = 0;
    // Recording on motion, into RecordFile or RecordFolder, with MotionDetection on (without it
    // nothing moves, and nothing is recorded). RecordOnMotion: 0 (the default) records the target
    // continuously; above 0, nothing is recorded until the camera's motion starts, then a file
    // holds the pictures from RecordBeforeMotion seconds before it started (default 5: the camera's
    // source keeps them, within ReplayMiB) to RecordOnMotion seconds after it ended, each at the
    // time it arrived; motion that starts again within those seconds goes on in the same file.
    // Each motion is a file of its own: in the folder as any recording, or RecordFile's name with
    // "-2", "-3", ... before its extension for the second motion on. Recording is non-zero while
    // a file is written; a file that cannot be written stops recording on motion, RecordingError
    // says why. Both are read when recording begins (a target set, a stream opened). Not persisted.
    virtual HRESULT get_RecordOnMotion(int32_t* seconds) = 0;
    virtual HRESULT put_RecordOnMotion(int32_t seconds) = 0;
    virtual HRESULT get_RecordBeforeMotion(int32_t* seconds) = 0;
    virtual HRESULT put_RecordBeforeMotion(int32_t seconds) = 0;
    // The picture the camera's last motion started at, as the camera sent it (a byte string, as
    // Picture), or a null string before any motion. Unlike Picture, not the paused one.
    virtual HRESULT get_MotionPicture(BSTR* jpeg) = 0;

  protected:
    ~ICamImage() = default;
};

// Counters of the control since it was created.
class ICamImageStatistics : public IUnknown {
  public:
    // Pictures cut from streams, pictures converted for drawing, and the bytes of the pictures read.
    virtual HRESULT GetStatistics(int64_t* picturesRead, int64_t* picturesDrawn, int64_t* bytesRead) = 0;

  protected:
    ~ICamImageStatistics() = default;
};
