#pragma once
// The worker of one identification: the parameter query, and, only if that fails, the FTP
// greeting, once each.
//
// Threads: the inputs are set before Start and only read afterwards. Run writes the results,
// which the owner reads only after the worker has stopped (IsStopped or a WaitForResult that
// returned in time). IsUnauthorized and Cancel may be called by the owner at any time.

#include "cameratype/ftpgreetingprobe.h"
#include "cameratype/parameterquery.h"

#include "foundation/thread.h"

#include <QString>

class LookupThread : public Thread {
  public:
    // Run's result when the camera was identified.
    static constexpr int kIdentified = 1;

    LookupThread(const QString& address, int port, const QString& userName, const QString& password,
                 int ftpPort = kFtpPort);
    ~LookupThread() override;

    // Ends the probes' blocking waits; Run then ends without trying a further probe.
    void Cancel();
    // Whether the parameter query was answered with status 401, as far as it has got.
    bool IsUnauthorized() const { return query.IsUnauthorized(); }

    // Workers made and not yet deleted: a cancelled worker counts until it has finished.
    static int ExistingCount();

    // A copy that shares no data with the text. Texts cross between the worker and its owner
    // only as such copies: the worker releases its own when it deletes itself, unordered with
    // the owner, and the count of shared text data lives in a library that the thread checker
    // cannot see into.
    static QString Unshared(const QString& text);

    // Results; the lists only after an identification by the parameter query.
    QString model;
    QString firmware;
    QString resolutionList;
    QString sourceList;
    QString ptz;

  protected:
    int Run(int parameter) override;

  private:
    const QString address;
    const int port;
    const QString userName;
    const QString password;
    const int ftpPort;

    ParameterQuery query;
    FtpGreetingProbe ftpProbe;
};
