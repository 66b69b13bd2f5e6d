#pragma once
// Access to the camera type table: which models it knows, which resolutions, video sources and
// PTZ an entry gives, and learning the firmware releases that cameras report. Also starts,
// polls, collects and cancels the identification of a camera, one at a time per object.
//
// Threads: every operation runs on the owner's (user-interface) thread; the identification
// runs on a LookupThread, whose results are taken only once it has stopped.

#include "cameratype/ftpgreetingprobe.h"

#include <QString>
#include <QStringList>

#include <cstdint>

class LookupThread;

class CameraTypeLookup {
  public:
    // Writes the built-in entries into the camera type tree; learned entries stay.
    CameraTypeLookup();
    // Cancels a running identification; its worker finishes on its own.
    ~CameraTypeLookup();
    CameraTypeLookup(const CameraTypeLookup&) = delete;
    CameraTypeLookup& operator=(const CameraTypeLookup&) = delete;

    // Every model of the table: the built-in ones in table order, then the learned ones.
    void GetTypeNameList(QStringList& list) const;

    // The items of key ("Resolution", "CameraNumber" or "PTZ") of the entry for the model and
    // firmware: the last entry whose version is not above the firmware, the model's
    // highest-numbered one for an empty firmware, the "unknown" entry for a model the table does
    // not know. False, with the list untouched, when the firmware is older than every entry.
    bool GetValueList(const QString& model, const QString& firmware, const QString& key,
                      QStringList& list) const;

    // Adds an entry for a firmware release that a camera reported, after the model's existing
    // entries, and writes the table to "ZelPPCCameraTypes.arc". True when an entry was added;
    // false when one with exactly that version exists, or when the model name is empty or holds
    // a "/" (it cannot name one node of the table).
    bool LearnFirmware(const QString& model, const QString& firmware, const QString& resolutionList,
                       const QString& sourceList, const QString& ptz) const;

    // Starts identifying the camera (cancelling one still running) and waits up to waitMs. True
    // when it was identified in that time: model and firmware are then set, and a firmware
    // release the table lacks is learned. Otherwise they are untouched and the identification
    // goes on, to be polled with IsDone and ended with Collect or Cancel.
    bool Lookup(const QString& address, int port, const QString& userName, const QString& password,
                uint32_t waitMs, QString& model, QString& firmware);
    // True when an identification is running and its worker has finished.
    bool IsDone() const;
    // Waits up to waitMs for the running identification. True, as for Lookup, when the camera
    // was identified; otherwise the identification is cancelled and false returned.
    bool Collect(uint32_t waitMs, QString& model, QString& firmware);
    // Abandons the running identification, if any.
    void Cancel();
    // Whether the camera answered the last identification's parameter query with status 401.
    bool IsUnauthorized() const { return unauthorized; }

    // Where the FTP greeting is read; 21 unless a test or tool says otherwise.
    void SetFtpPort(int port) { ftpPort = port; }

  private:
    // Takes the results of the stopped worker, learns, and lets the worker go.
    void TakeResult(QString& model, QString& firmware);

    LookupThread* worker = nullptr; // the running identification; owned until handed over
    bool unauthorized = false;
    int ftpPort = kFtpPort;
};
