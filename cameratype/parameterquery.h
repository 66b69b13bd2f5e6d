#pragma once
// The HTTP probe of an identification: asks the camera for its model, firmware, resolutions,
// video sources and PTZ with one GET of the parameter query, and reads the answer. An answer
// cut short by the camera is taken as far as it arrived.
//
// Threads: Run runs on the lookup worker and blocks; Cancel and IsUnauthorized run on the
// owner's thread at any time. The request handle is closed exactly once, by whichever of the
// two gets to it first (handle values are never reused, so the other side's late call on it
// merely fails).

#include "cameratype/parameteranswer.h"

#include "platform/http/wininet.h"

#include <QString>

#include <atomic>
#include <cstdint>

// The answer is read until the five values are in, its end, this many bytes (a camera's is a
// few hundred), or a pause of kParameterIdleMs.
inline constexpr int kMaxParameterAnswerSize = 64 * 1024;
inline constexpr uint32_t kParameterIdleMs = 1000;

class ParameterQuery {
  public:
    // True when the camera answered with status 200 and an answer that names its model; the
    // answer's values are then in answer.
    bool Run(const QString& address, int port, const QString& userName, const QString& password,
             ParameterAnswer& answer);

    // Makes a blocked send or read fail at once; Run then returns false.
    void Cancel();
    bool IsCancelled() const { return cancelled; }
    // Set as soon as the camera answered with status 401.
    bool IsUnauthorized() const { return unauthorized; }

  private:
    // The request of Run, kept where Cancel can close it; null when there is none.
    bool KeepRequest(HINTERNET request);
    void CloseRequest();
    bool ReadAnswer(HINTERNET request, QByteArray& bytes);

    std::atomic<HINTERNET> request{nullptr};
    std::atomic<bool> cancelled{false};
    std::atomic<bool> unauthorized{false};
};
