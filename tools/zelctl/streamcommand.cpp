#include "tools/zelctl/streamcommand.h"

#include "tools/zelctl/console.h"

#include "control/interface/camimageinterface.h"
#include "control/interface/camimagetext.h"
#include "foundation/reconnectbackoff.h"
#include "platform/com/bstring.h"
#include "platform/com/comptr.h"
#include "platform/com/dispatchsink.h"
#include "platform/com/runtime.h"
#include "platform/ui/controlhost.h"

#include <QApplication>
#include <QFile>
#include <QFileInfo>
#include <QImage>
#include <QPixmap>
#include <QTime>
#include <QTimer>

#include <algorithm>
#include <atomic>
#include <cstdio>
#include <functional>
#include <limits>
#include <mutex>
#include <optional>

const char kRecordUsage[] = "  zelctl record URL --seconds N --out FILE.mkv [--user U] [--password P]\n";

const char kStreamUsage[] =
    "  zelctl stream URL [--user U] [--password P] [--seconds N] [--fps F] [--rotate 0|90|180|270]\n"
    "                    [--stretch] [--snapshot FILE.png] [--reconnect] [--motion]\n";

namespace {

struct StreamOptions {
    QString url;
    QString user;
    QString password;
    int seconds = 10;
    float fps = 25.0f;
    int rotate = 0;
    bool stretch = false;
    bool reconnect = false; // start the stream again each time it ends, until the time is up
    QString snapshot;
    QString record;      // the file the stream is recorded into
    bool motion = false; // look for motion, and print its starts and ends
};

// The shortest wait before a stream that ended is started again; a camera that keeps ending its
// streams after a picture or two is waited for longer (ReconnectBackoff).
constexpr uint32_t kReconnectDelayMs = 500;

// The longest --seconds whose milliseconds still fit a timer's interval.
constexpr int kMaxSeconds = std::numeric_limits<int>::max() / 1000;

std::optional<StreamOptions> Parse(const QStringList& arguments) {
    StreamOptions options;
    for (qsizetype i = 0; i < arguments.size(); ++i) {
        const QString& argument = arguments[i];
        const bool hasValue = i + 1 < arguments.size();
        bool ok = true;
        if (argument == QLatin1String("--stretch")) {
            options.stretch = true;
        } else if (argument == QLatin1String("--reconnect")) {
            options.reconnect = true;
        } else if (argument == QLatin1String("--motion")) {
            options.motion = true;
        } else if (argument == QLatin1String("--user") && hasValue) {
            options.user = arguments[++i];
        } else if (argument == QLatin1String("--password") && hasValue) {
            options.password = arguments[++i];
        } else if (argument == QLatin1String("--seconds") && hasValue) {
            options.seconds = arguments[++i].toInt(&ok);
            ok = ok && options.seconds > 0 && options.seconds <= kMaxSeconds;
        } else if (argument == QLatin1String("--fps") && hasValue) {
            options.fps = arguments[++i].toFloat(&ok);
            ok = ok && options.fps >= 0;
        } else if (argument == QLatin1String("--rotate") && hasValue) {
            options.rotate = arguments[++i].toInt(&ok);
            ok = ok && (options.rotate == 0 || options.rotate == 90 || options.rotate == 180 ||
                        options.rotate == 270);
        } else if (argument == QLatin1String("--snapshot") && hasValue) {
            options.snapshot = arguments[++i];
        } else if (argument == QLatin1String("--out") && hasValue) {
            options.record = arguments[++i];
        } else if (!argument.startsWith(QLatin1String("--")) && options.url.isEmpty()) {
            options.url = argument;
        } else {
            ok = false;
        }
        if (!ok)
            return std::nullopt;
    }
    if (options.url.isEmpty())
        return std::nullopt;
    return options;
}

// Prints events as lines, from whichever thread fires them, and notes how the stream went. A
// stream that ends is started again while restarting is set.
class EventPrinter {
  public:
    std::atomic<bool> started{false};
    std::atomic<bool> ended{false};
    std::function<void()> restart;           // set before the stream starts; run on the UI thread
    std::function<uint32_t()> reconnectWait; // the same: the wait before the restart
    std::atomic<bool> restarting{false};
    std::atomic<bool> stopping{false}; // the command ends the stream itself: it is not a lost connection

    void OnEvent(DISPID member, const DISPPARAMS& parameters) {
        QString line;
        switch (member) {
        case CamImageEventDispid::OnSize:
            line = QStringLiteral("OnSize %1 %2")
                       .arg(QString::number(DispatchSink::Argument(parameters, 0)),
                            QString::number(DispatchSink::Argument(parameters, 1)));
            break;
        case CamImageEventDispid::OnStreamStarted:
            started = true;
            line = QStringLiteral("OnStreamStarted %1 %2")
                       .arg(QString::number(DispatchSink::Argument(parameters, 0)),
                            QString::number(DispatchSink::Argument(parameters, 1)));
            break;
        case CamImageEventDispid::OnConnectionFailed:
            line = QStringLiteral("OnConnectionFailed %1").arg(DispatchSink::Argument(parameters, 0));
            if (DispatchSink::Argument(parameters, 0) != 5)
                EndSoon(); // 5 is followed by OnStreamStopped
            break;
        case CamImageEventDispid::OnConnectionBroken:
            if (stopping)
                return;
            line = QStringLiteral("OnConnectionBroken %1").arg(DispatchSink::Argument(parameters, 0));
            break;
        case CamImageEventDispid::OnMotion:
            line = QStringLiteral("motion %1 at %2, picture %3")
                       .arg(DispatchSink::Argument(parameters, 0) ? QStringLiteral("started")
                                                                  : QStringLiteral("ended"),
                            QTime::currentTime().toString(QStringLiteral("hh:mm:ss.zzz")),
                            QString::number(DispatchSink::Argument(parameters, 1)));
            break;
        case CamImageEventDispid::OnStreamStopped:
            line = QStringLiteral("OnStreamStopped");
            EndSoon();
            break;
        default:
            return;
        }
        std::lock_guard<std::mutex> guard(lock);
        PrintLine(line);
        std::fflush(stdout);
    }

  private:
    void EndSoon() {
        if (restarting) {
            QMetaObject::invokeMethod(
                qApp,
                [this] { QTimer::singleShot(std::max(kReconnectDelayMs, reconnectWait()), qApp, restart); },
                Qt::QueuedConnection);
        } else if (!ended.exchange(true)) {
            QMetaObject::invokeMethod(qApp, &QCoreApplication::quit, Qt::QueuedConnection);
        }
    }
    std::mutex lock;
};

int Watch(const StreamOptions& options);

} // namespace

int RunStreamCommand(const QStringList& arguments) {
    const std::optional<StreamOptions> options = Parse(arguments);
    if (!options || !options->record.isEmpty())
        return Fail(QStringLiteral("usage:\n") + QString::fromLatin1(kStreamUsage));
    return Watch(*options);
}

int RunRecordCommand(const QStringList& arguments) {
    // Only the stream's own options; the pictures are not drawn.
    static const QStringList kOwn = {"--seconds", "--out", "--user", "--password"};
    std::optional<StreamOptions> options = Parse(arguments);
    for (const QString& argument : arguments) {
        if (argument.startsWith(QLatin1String("--")) && !kOwn.contains(argument))
            options.reset();
    }
    if (!options || options->record.isEmpty() || !arguments.contains(QLatin1String("--seconds")))
        return Fail(QStringLiteral("usage:\n") + QString::fromLatin1(kRecordUsage));
    // Checked without emptying it: an earlier recording stays until the stream starts.
    const bool existed = QFileInfo::exists(options->record);
    QFile out(options->record);
    if (!out.open(QIODevice::WriteOnly | QIODevice::Append))
        return Fail(QStringLiteral("%1: cannot be written: %2").arg(options->record, out.errorString()));
    out.close();
    if (!existed)
        out.remove();
    options->fps = 0.0f;
    return Watch(*options);
}

namespace {

int Watch(const StreamOptions& options) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    int argc = 1;
    char name[] = "zelctl";
    char* argv[] = {name, nullptr};
    QApplication application(argc, argv);

    CoInitializeEx(nullptr, COINIT_MULTITHREADED);
    ComPtr<ICamImage> control;
    const HRESULT created =
        CoCreateInstance(CLSID_CamImage, nullptr, CLSCTX_ALL, IID_ICamImage, control.ReceiveVoid());
    if (FAILED(created)) {
        CoUninitialize();
        return Fail(QStringLiteral("the stream control cannot be created (0x%1)")
                        .arg(static_cast<uint32_t>(created), 8, 16, QLatin1Char('0')));
    }
    ControlHost host;
    host.resize(640, 480);
    host.show();
    if (FAILED(host.AttachControl(control.Get()))) {
        control.Reset();
        CoUninitialize();
        return Fail(QStringLiteral("the stream control has no window"));
    }

    EventPrinter printer;
    printer.restart = [camera = control.Get()] { camera->StartDownload(); };
    ReconnectBackoff backoff;
    int32_t shownBefore = 0; // pictures shown when the stream that ended began
    printer.reconnectWait = [&backoff, &shownBefore, camera = control.Get()] {
        int32_t shown = shownBefore;
        camera->get_PicturesShown(&shown);
        const uint32_t wait = backoff.AfterConnection(static_cast<int64_t>(shown) - shownBefore);
        shownBefore = shown;
        return wait;
    };
    printer.restarting = options.reconnect;
    ComPtr<DispatchSink> sink(
        DispatchSink::Create(DIID_ICamImageEvents,
                             [&printer](DISPID member, const DISPPARAMS& p) { printer.OnEvent(member, p); }));
    sink->Connect(control.Get());

    control->put_FPS(options.fps);
    control->put_Rotate(static_cast<int16_t>(options.rotate));
    control->put_Stretch(options.stretch ? 1 : 0);
    PutText(control.Get(), &ICamImage::put_Username, options.user);
    PutText(control.Get(), &ICamImage::put_Password, options.password);
    if (!options.record.isEmpty())
        PutText(control.Get(), &ICamImage::put_RecordFile, options.record);
    control->put_MotionDetection(options.motion ? 1 : 0);
    PutText(control.Get(), &ICamImage::put_URL, options.url);

    if (!printer.ended) {
        QTimer::singleShot(options.seconds * 1000, &application, &QCoreApplication::quit);
        application.exec();
    }

    int snapshotStatus = Exit::Ok;
    if (!options.snapshot.isEmpty() && !host.ControlWindow()->grab().toImage().save(options.snapshot, "PNG"))
        snapshotStatus = Fail(QStringLiteral("%1: cannot be written").arg(options.snapshot));
    printer.restarting = false;
    printer.stopping = true;
    control->StopDownload(); // a recording's file is closed
    BString recordingError;
    control->get_RecordingError(recordingError.Receive());

    int64_t read = 0, drawn = 0, bytes = 0;
    if (const auto statistics =
            ComPtr<ICamImageStatistics>::QueryFrom(control.Get(), IID_ICamImageStatistics)) {
        statistics->GetStatistics(&read, &drawn, &bytes);
    }
    sink->Disconnect();
    sink.Reset();
    host.DetachControl();
    control.Reset();
    CoUninitialize();

    PrintLine(
        QStringLiteral("pictures read %1, drawn %2, mean size %3 bytes")
            .arg(QString::number(read), QString::number(drawn), QString::number(read ? bytes / read : 0)));
    if (!printer.started)
        return Exit::NotFound;
    if (!options.record.isEmpty()) {
        if (!recordingError.ToQString().isEmpty())
            return Fail(QStringLiteral("the recording stopped: %1").arg(recordingError.ToQString()));
        PrintLine(QStringLiteral("recorded into %1").arg(options.record));
    }
    return snapshotStatus;
}

} // namespace
