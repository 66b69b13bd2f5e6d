#pragma once
// A camera or a live view site on its way between the settings tree, the property pages and the
// camera view.

#include "collection/motionoptions.h"

#include <QString>

class Node;

class Camera {
  public:
    Camera() = default;
    virtual ~Camera() = default;
    Camera(const Camera&) = default;
    Camera& operator=(const Camera&) = default;

    // Reads the stored keys from the item's node; status and folderPath stay as they are.
    void Load(const Node& item);
    // Writes the stored keys to the item's node, creating its entries; Port as an integer.
    void Save(const Node& item) const;

    // The URL the stream is fetched from: a camera's built from the URL template of the defaults
    // tree, its address, port, resolution and video source; a live view site's is its CustomURL.
    QString GetURL() const;

    QString type;
    QString name;
    QString address;
    int port = 0;
    QString model;
    QString firmware;
    QString checkedAddress; // the address of the last identification
    QString status;         // not stored: the identification state the camera pages show
    QString userName;
    QString password;
    QString resolution;
    QString cameraNumber;
    QString rotation;
    QString compression;
    QString folderPath; // not stored: the folder that holds, or is to hold, the item
    QString customURL;
    MotionOptions motion;
};
