#include "tests/support/nginxserver.h"

#include "tests/support/camsimfixture.h"
#include "tests/support/freeport.h"
#include "tests/support/rawconnection.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

#include <netinet/in.h>
#include <sys/socket.h>
#include <sys/wait.h>
#include <unistd.h>

#include <csignal>

namespace {

bool WriteAll(const QString& path, const QByteArray& bytes) {
    QDir().mkpath(QFileInfo(path).absolutePath());
    QFile file(path);
    return file.open(QIODevice::WriteOnly | QIODevice::Truncate) && file.write(bytes) == bytes.size();
}

} // namespace

NginxServer::~NginxServer() {
    if (process < 0)
        return;
    kill(process, SIGTERM);
    if (!WaitUntil([this] { return !IsRunning(); })) {
        kill(process, SIGKILL);
        waitpid(process, nullptr, 0);
    }
}

bool NginxServer::IsRunning() {
    if (process < 0)
        return false;
    if (waitpid(process, nullptr, WNOHANG) == 0)
        return true;
    process = -1; // ended, and reaped
    return false;
}

void NginxServer::AddFile(const std::string& target, const QByteArray& bytes) {
    WriteAll(folder.filePath(QStringLiteral("www") + QString::fromStdString(target)), bytes);
}

bool NginxServer::Start() {
    // Another program may take the free port before nginx binds it: then nginx ends at once,
    // saying so, and starts again on another port.
    constexpr int kAttempts = 5;
    for (int attempt = 1;; ++attempt) {
        if (StartOnFreePort())
            return true;
        const bool collided = process < 0 && error.find("Address already in use") != std::string::npos;
        if (!collided || attempt == kAttempts)
            return false;
    }
}

bool NginxServer::StartOnFreePort() {
    port = FreeLoopbackPort();
    const QString root = folder.path();
    // One process in the foreground, running as whoever runs the tests, writing only below root.
    const QString config =
        QStringLiteral("daemon off;\n"
                       "master_process off;\n"
                       "pid %1/nginx.pid;\n"
                       "error_log %1/error.log;\n"
                       "events {}\n"
                       "http {\n"
                       "  access_log off;\n"
                       "  client_body_temp_path %1/temp; proxy_temp_path %1/temp;\n"
                       "  fastcgi_temp_path %1/temp; uwsgi_temp_path %1/temp; scgi_temp_path %1/temp;\n"
                       "  default_type text/plain;\n"
                       "  server { listen 127.0.0.1:%2; root %1/www; }\n"
                       "}\n")
            .arg(root, QString::number(port));
    QDir().mkpath(root + QStringLiteral("/www"));
    if (!WriteAll(root + QStringLiteral("/nginx.conf"), config.toUtf8())) {
        error = "cannot write the nginx configuration";
        return false;
    }
    const QString pidFile = root + QStringLiteral("/nginx.pid");
    QFile::remove(root + QStringLiteral("/error.log"));
    QFile::remove(pidFile);
    const std::string prefix = QFile::encodeName(root).toStdString();
    const std::string errorLog = prefix + "/error.log";
    const std::string configFile = prefix + "/nginx.conf";
    process = fork();
    if (process == 0) {
        execlp("nginx", "nginx", "-p", prefix.c_str(), "-e", errorLog.c_str(), "-c", configFile.c_str(),
               nullptr);
        _exit(127);
    }
    if (process < 0) {
        error = "nginx cannot be started";
        return false;
    }
    // nginx writes its pid file once it has bound its port: before, a connection could reach
    // the program that took the port.
    const bool listening = WaitUntil([this, &pidFile] {
        return !IsRunning() || (QFile::exists(pidFile) && RawConnection(port).IsConnected());
    });
    if (!listening || !IsRunning()) {
        QFile log(root + QStringLiteral("/error.log"));
        log.open(QIODevice::ReadOnly);
        error = "nginx does not listen on port " + std::to_string(port) + ": " + log.readAll().toStdString();
        return false;
    }
    return true;
}
