#pragma once
// Access to the camera type table: which models it knows, which resolutions, video sources and
// PTZ an entry gives, and learning the firmware releases that cameras report.

#include <QString>
#include <QStringList>

class CameraTypeLookup {
public:
    // Writes the built-in entries into the camera type tree; learned entries stay.
    CameraTypeLookup();
    CameraTypeLookup(const CameraTypeLookup&) = delete;
    CameraTypeLookup& operator=(const CameraTypeLookup&) = delete;

    // Every model of the table: the built-in ones in table order, then the learned ones.
    void GetTypeNameList(QStringList& list) const;

    // The items of key ("Resolution", "CameraNumber" or "PTZ") of the entry for the model and
    // firmware: the last entry whose version is not above the firmware, the model's
    // highest-numbered one for an empty firmware, the "unknown" entry for a model the table does
    // not know. False, with the list untouched, when the firmware is older than every entry.
    bool GetValueList(const QString& model, const QString& firmware, const QString& key, QStringList& list) const;

    // Adds an entry for a firmware release that a camera reported, after the model's existing
    // entries, and writes the table to "ZelPPCCameraTypes.arc". True when an entry was added;
    // false when one with exactly that version exists, or when the model name is empty or holds
    // a "/" (it cannot name one node of the table).
    bool LearnFirmware(const QString& model, const QString& firmware, const QString& resolutionList,
                       const QString& sourceList, const QString& ptz) const;
};
