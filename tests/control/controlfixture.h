#pragma once
// A stream control embedded in a shown window, with its events recorded, next to a simulated
// camera; the long waits of a stream are shortened.

#include "tests/control/eventrecorder.h"

#include "control/camimage.h"
#include "control/streamtimings.h"
#include "platform/ui/controlhost.h"
#include "tests/support/camsimfixture.h"
#include "tests/support/temporarydataroot.h"

#include <gtest/gtest.h>

#include <memory>

class ControlTest : public ::testing::Test {
  protected:
    void SetUp() override;
    void TearDown() override;
    // For a test whose stream must run on: a picture that comes late (a sanitizer build on a busy
    // machine) does not time the stream out.
    static void AllowLatePictures();

    // Creates the control; embedded in the window unless told otherwise.
    void MakeControl(bool embed = true);
    // Releases the control (which stops its stream) and its event recorder.
    void ReleaseControl();
    HRESULT PutUrl(const std::string& url);
    HRESULT PutText(HRESULT (ICamImage::*setter)(BSTR), const QString& text);
    int64_t PicturesRead();
    int64_t PicturesDrawn();
    QWidget* ControlWindow();

    TemporaryDataRoot root;
    ControlHost host;
    CCamImage* control = nullptr;
    std::unique_ptr<EventRecorder> events;
};
