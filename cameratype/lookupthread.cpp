#include "cameratype/lookupthread.h"

#include "cameratype/bannertemplates.h"

#include "foundation/log.h"

#include <atomic>

namespace {

std::atomic<int> existing{0};

} // namespace

QString LookupThread::Unshared(const QString& text) {
    return QString(text.constData(), text.size());
}

LookupThread::LookupThread(const QString& address, int port, const QString& userName, const QString& password,
                           int ftpPort)
    : address(Unshared(address)), port(port), userName(Unshared(userName)), password(Unshared(password)),
      ftpPort(ftpPort) {
    ++existing;
}

LookupThread::~LookupThread() {
    --existing;
}

int LookupThread::ExistingCount() {
    return existing;
}

void LookupThread::Cancel() {
    query.Cancel();
    ftpProbe.Cancel();
}

int LookupThread::Run(int) {
    ParameterAnswer answer;
    if (query.Run(address, port, userName, password, answer)) {
        model = answer.model;
        firmware = answer.firmware;
        resolutionList = answer.resolutionList;
        sourceList = answer.sourceList;
        ptz = answer.ptz;
        return kIdentified;
    }
    if (query.IsCancelled())
        return 0;

    const QString greeting = ftpProbe.GetFTPConnectResponce(address, ftpPort);
    if (greeting.isEmpty())
        return 0;
    const int result = RecognizeGreeting(greeting, model, firmware) ? kIdentified : 0;
    LogTrace(u"LookupThread::Run", "Lookup result %d, '%S' has type '%S %S' ", result, Wide(address),
             Wide(model), Wide(firmware));
    resolutionList.clear();
    sourceList.clear();
    return result;
}
