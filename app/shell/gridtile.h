#pragma once
// One tile of the grid: a camera or live view site with its name above its picture, shown
// through a stream control of its own (CameraConnection) that decodes no larger than the tile,
// the picture fitted to the tile in its own aspect, and the tile's state in words over it
// ("Connecting", "No picture for 12 s", the text of a failure). A lost stream is reconnected
// silently, at once unless the camera keeps ending its streams after a picture or two (then
// after a wait that grows to 10 s), its state on the picture while it is tried again; a failed
// one is tried again every 10 s; when the camera wants a password the tile waits until the grid
// asks for it, one prompt at a time.
//
// UI thread only; the control's events arrive as posted messages.

#include "collection/camera.h"

#include <QString>
#include <QWidget>

#include <memory>

class CameraConnection;
class ControlHost;
class GridTile;
class ICamImage;
class WindowTimers;

// What a tile tells the grid.
class GridTileListener {
  public:
    virtual void OnTileClicked(GridTile* tile) = 0;
    virtual void OnTileOpened(GridTile* tile) = 0;
    // The camera refused the stream: the tile waits for AskForCredentials.
    virtual void OnTileWantsCredentials(GridTile* tile) = 0;
    // The tile was dragged and let go there.
    virtual void OnTileDropped(GridTile* tile, QPoint globalPosition) = 0;
    // Motion started in the tile's pictures.
    virtual void OnTileMotion(GridTile* tile) = 0;

  protected:
    ~GridTileListener() = default;
};

class GridTile : public QWidget {
  public:
    GridTile(QWidget* parent, const QString& itemPath, GridTileListener& listener);
    ~GridTile() override;

    // Reads the item from the settings and connects; with scaled decoding (on by default),
    // pictures are decoded no larger than the tile shows them.
    void Start(bool scaledDecoding);
    void SetScaledDecoding(bool on);
    // The grid's prompt for this tile: asks, and connects again after OK.
    void AskForCredentials();
    void SetSelected(bool selected);
    // The digital zoom of the tile's picture (CameraConnection::ZoomPicture); the wheel over the
    // tile zooms it about the pointer.
    void ZoomPicture(int steps);

    const QString& ItemPath() const { return itemPath; }
    const Camera& CurrentCamera() const { return camera; }
    ICamImage* Control() const;
    ControlHost* HostWindow() const;
    // The words over the picture; empty when none.
    QString StatusText() const;
    bool IsConnected() const { return connected; }
    // The camera's pictures show motion: the tile is framed in orange and says so.
    bool ShowsMotion() const { return motion; }
    // The viewer records the tile's camera: a red mark shows in its name bar, grey once the
    // recording has stopped by itself.
    bool Recorded() const;
    bool RecordingStopped() const;
    // The camera refused the stream and the tile waits for a user name and password.
    bool WantsCredentials() const { return wantsCredentials; }

  protected:
    bool event(QEvent* event) override;
    void paintEvent(QPaintEvent* event) override;
    void resizeEvent(QResizeEvent* event) override;
    void mousePressEvent(QMouseEvent* event) override;
    void mouseMoveEvent(QMouseEvent* event) override;
    void mouseReleaseEvent(QMouseEvent* event) override;
    void mouseDoubleClickEvent(QMouseEvent* event) override;
    void wheelEvent(QWheelEvent* event) override;

  private:
    void Connect();
    void Reconnect();
    void OnStreamStarted();
    void OnConnectionBroken(int status);
    void OnConnectionFailed(int status);
    void Relayout();
    // Motion shows on the tile, or ends (the viewer's motion alerts are told once each).
    void ShowMotion(bool on);
    QRect PictureArea() const;
    int NameHeight() const;

    const QString itemPath;
    GridTileListener& listener;
    QPoint pressedAt;      // of the left button, while it is down
    bool dragging = false; // it moved far enough to be a drag
    bool motion = false;
    Camera camera;
    std::unique_ptr<CameraConnection> stream;
    WindowTimers* timers;
    bool connected = false;
    bool wantsCredentials = false;
    bool selected = false;
    int imageWidth = 0;
    int imageHeight = 0;
    int rotation = 0;
};
