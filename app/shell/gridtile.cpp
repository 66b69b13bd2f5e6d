#include "app/shell/gridtile.h"

#include "app/resources/resource.h"
#include "app/shell/cameraconnection.h"
#include "app/shell/motionalerts.h"
#include "app/shell/recordings.h"
#include "app/shell/zelppcapp.h"

#include "control/interface/camimageinterface.h"
#include "foundation/log.h"
#include "foundation/text.h"
#include "platform/ui/controlhost.h"
#include "platform/ui/messages.h"
#include "platform/ui/windowtimers.h"
#include "settings/settingsstore.h"

#include <QApplication>
#include <QMouseEvent>
#include <QPainter>
#include <QWheelEvent>

#include <algorithm>

namespace {

constexpr int kRetryTimer = 1;
constexpr int kBorder = 2; // the selection frame round the picture
const QColor kMotionColour(0xFF, 0x8F, 0x00);
constexpr char16_t kFailed[] = u"GridTile::OnConnectionFailed";

} // namespace

GridTile::GridTile(QWidget* parent, const QString& path, GridTileListener& tileListener)
    : QWidget(parent), itemPath(path), listener(tileListener),
      timers(new WindowTimers([this](int) { Reconnect(); }, this)) {
    camera.Load(Settings().GetNode(itemPath));
    stream = std::make_unique<CameraConnection>(this, u"GridTile::OnCreate");
    // Clicks on the picture are the tile's: a tile sends no tap-to-centre commands.
    HostWindow()->setAttribute(Qt::WA_TransparentForMouseEvents);
}

GridTile::~GridTile() {
    ShowMotion(false);
    timers->KillTimer(kRetryTimer);
    connected = false;
    stream.reset(); // stops the stream: no event of the control comes after this
}

ICamImage* GridTile::Control() const {
    return stream->Control();
}

ControlHost* GridTile::HostWindow() const {
    return stream->HostWindow();
}

QString GridTile::StatusText() const {
    return stream->ShownStatus();
}

void GridTile::SetScaledDecoding(bool on) {
    if (stream->Created())
        Control()->put_ScaledDecoding(on ? 1 : 0);
}

void GridTile::SetSelected(bool on) {
    if (selected == on)
        return;
    selected = on;
    update();
}

// ---- connecting

void GridTile::Start(bool scaledDecoding) {
    if (!stream->Created())
        return;
    SetScaledDecoding(scaledDecoding);
    Connect();
}

void GridTile::Connect() {
    rotation = CameraConnection::EffectiveRotation(camera, Settings().GetValue("/View/Rotation").GetInt());
    stream->Prepare(camera, rotation, true, QString());
    stream->DetectMotion(itemPath);
    ShowMotion(false);
    if (Settings().GetValue("/Recording/ReplayInTiles").GetBool())
        stream->KeepReplay(); // tiles keep no replay unless asked
    connected = true;
    stream->SetStatus(LoadResText(Str::Connecting));
    const QString url = camera.GetURL();
    LogState(u"GridTile::Connect", "Connect to '%S' '%S'", Wide(camera.name), Wide(url));
    stream->Open(url);
}

void GridTile::ShowMotion(bool on) {
    if (on == motion)
        return;
    motion = on;
    update(); // its frame
    if (MotionAlerts* alerts = ZelPPCApp::Instance() ? ZelPPCApp::Instance()->Alerts() : nullptr)
        alerts->Seen(itemPath, camera.name, on, on ? Control() : nullptr);
}

void GridTile::Reconnect() {
    timers->KillTimer(kRetryTimer);
    ShowMotion(false); // the next stream says when it sees motion
    wantsCredentials = false;
    LogTrace(u"GridTile::Reconnect", "Reconnect to '%S'", Wide(camera.name));
    connected = true;
    stream->SetStatus(LoadResText(Str::Connecting));
    stream->Reconnect();
}

void GridTile::AskForCredentials() {
    if (stream->AskForCredentials(this, camera, itemPath, kFailed))
        Reconnect();
}

// ---- the control's events

bool GridTile::event(QEvent* event) {
    if (event->type() != WindowMessageEvent::kType)
        return QWidget::event(event);
    const auto* message = static_cast<const WindowMessageEvent*>(event);
    switch (static_cast<int>(message->message) - WM_USER) {
    case Message::StreamStarted:
        OnStreamStarted();
        break;
    case Message::PictureSize:
        imageWidth = static_cast<int>(message->wParam);
        imageHeight = static_cast<int>(message->lParam);
        Relayout();
        break;
    case Message::ConnectionBroken:
        OnConnectionBroken(static_cast<int>(message->wParam));
        break;
    case Message::ConnectionFailed:
        OnConnectionFailed(static_cast<int>(message->wParam));
        break;
    case Message::Reconnect:
        if (!connected)
            Reconnect();
        break;
    case Message::Motion:
        ShowMotion(message->wParam != 0 && connected && stream->InMotion());
        if (motion)
            listener.OnTileMotion(this);
        break;
    default:
        break; // a stream's end needs nothing here: its broken or failed event came first
    }
    return true;
}

void GridTile::OnStreamStarted() {
    if (!connected)
        return;
    LogTrace(u"GridTile::OnStreamStarted", "Stream Started on '%S'", Wide(camera.name));
    stream->SetStatus(QString());
    stream->StreamStarted();
    if (imageWidth > 0) {
        Relayout();
    } else {
        // The control draws, and so decodes, only while it is shown: its size comes with the picture's.
        HostWindow()->setGeometry(PictureArea().x(), PictureArea().y(), 1, 1);
    }
    HostWindow()->show();
}

void GridTile::OnConnectionBroken(int status) {
    if (!connected)
        return; // the tile stopped the stream itself
    LogError(u"GridTile::OnConnectionBroken", "OnConnectionBroken on '%S', %d", Wide(camera.name), status);
    connected = false;
    stream->Disconnect();
    stream->SetStatus(LoadResText(Str::Connecting));
    const uint32_t wait = stream->ConnectionLost();
    if (wait == 0)
        PostMessage(this, WM_USER + Message::Reconnect);
    else
        timers->SetTimer(kRetryTimer, wait);
}

void GridTile::OnConnectionFailed(int status) {
    if (!connected)
        return; // the end of a stream the tile stopped
    LogWarning(kFailed, "ConnectionFailed On '%S', %d", Wide(camera.name), status);
    connected = false;
    stream->StreamEnded();
    if (status == 401) {
        LogTrace(kFailed, "Authentication error");
        wantsCredentials = true;
        // A wall display asks only when someone presses Enter or clicks the tile.
        stream->SetStatus(
            LoadResText(ZelPPCApp::RunsUnattended() ? Str::NeedsPasswordAction : Str::NeedsPassword));
        listener.OnTileWantsCredentials(this);
        return;
    }
    stream->SetStatus(CameraConnection::FailureText(status, camera, kFailed));
    timers->SetTimer(kRetryTimer, stream->FailedWaitMs());
}

// ---- layout and drawing

int GridTile::NameHeight() const {
    return fontMetrics().height() + 4;
}

QRect GridTile::PictureArea() const {
    return rect().adjusted(kBorder, NameHeight(), -kBorder, -kBorder);
}

void GridTile::Relayout() {
    const QRect area = PictureArea();
    if (imageWidth <= 0 || imageHeight <= 0 || area.width() <= 0 || area.height() <= 0)
        return;
    const bool turned = rotation == 90 || rotation == 270;
    const double shownWidth = turned ? imageHeight : imageWidth;
    const double shownHeight = turned ? imageWidth : imageHeight;
    const double scale = std::min(area.width() / shownWidth, area.height() / shownHeight);
    const QSize size(std::max(1, static_cast<int>(shownWidth * scale)),
                     std::max(1, static_cast<int>(shownHeight * scale)));
    QRect picture(QPoint(0, 0), size);
    picture.moveCenter(area.center());
    HostWindow()->setGeometry(picture);
}

void GridTile::resizeEvent(QResizeEvent* event) {
    QWidget::resizeEvent(event);
    Relayout();
}

bool GridTile::Recorded() const {
    const Recordings* recordings = ZelPPCApp::Instance() ? ZelPPCApp::Instance()->Recorder() : nullptr;
    return recordings && (recordings->IsRecorded(itemPath) || RecordingStopped());
}

bool GridTile::RecordingStopped() const {
    const Recordings* recordings = ZelPPCApp::Instance() ? ZelPPCApp::Instance()->Recorder() : nullptr;
    return recordings && !recordings->StoppedBecause(itemPath).isEmpty();
}

void GridTile::paintEvent(QPaintEvent*) {
    QPainter painter(this);
    // Motion frames the tile in its colour, over the selection's.
    painter.fillRect(rect(), motion     ? kMotionColour
                             : selected ? palette().color(QPalette::Highlight)
                                        : QColor(0x26, 0x32, 0x38));
    painter.fillRect(PictureArea(), Qt::black);
    QRect nameArea(kBorder + 2, 0, width() - 2 * kBorder - 4, NameHeight());
    if (Recorded()) {
        const int dot = NameHeight() / 2;
        painter.setRenderHint(QPainter::Antialiasing);
        painter.setPen(Qt::NoPen);
        painter.setBrush(RecordingStopped() ? QColor(0x90, 0xA4, 0xAE) : QColor(0xFF, 0x3B, 0x30));
        painter.drawEllipse(QRect(nameArea.right() - dot, (NameHeight() - dot) / 2, dot, dot));
        nameArea.setRight(nameArea.right() - dot - 4);
    }
    painter.setPen(selected ? palette().color(QPalette::HighlightedText) : QColor(0xEC, 0xEF, 0xF1));
    const QString name =
        motion ? camera.name + QStringLiteral(" \u2014 ") + LoadResText(Str::MotionWord) : camera.name;
    painter.drawText(nameArea, Qt::AlignVCenter | Qt::AlignLeft,
                     fontMetrics().elidedText(name, Qt::ElideRight, nameArea.width()));
}

void GridTile::mousePressEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        pressedAt = event->position().toPoint();
        dragging = false;
        listener.OnTileClicked(this);
    }
    QWidget::mousePressEvent(event);
}

void GridTile::mouseMoveEvent(QMouseEvent* event) {
    if ((event->buttons() & Qt::LeftButton) && !dragging &&
        (event->position().toPoint() - pressedAt).manhattanLength() >= QApplication::startDragDistance()) {
        dragging = true;
        setCursor(Qt::ClosedHandCursor);
    }
    QWidget::mouseMoveEvent(event);
}

void GridTile::mouseReleaseEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton && dragging) {
        dragging = false;
        unsetCursor();
        listener.OnTileDropped(this, event->globalPosition().toPoint());
        return;
    }
    QWidget::mouseReleaseEvent(event);
}

void GridTile::ZoomPicture(int steps) {
    if (stream->Created())
        stream->ZoomPicture(steps);
}

void GridTile::wheelEvent(QWheelEvent* event) {
    stream->WheelOverPicture(*event, this);
    event->accept();
}

void GridTile::mouseDoubleClickEvent(QMouseEvent* event) {
    if (event->button() == Qt::LeftButton) {
        listener.OnTileOpened(this);
        return;
    }
    QWidget::mouseDoubleClickEvent(event);
}
