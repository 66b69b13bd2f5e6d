#pragma once
// The window that embeds a control: it activates the control inside itself, so that the
// control's own window becomes its child and fills it, and shows, hides and moves with it.

#include "platform/com/comptr.h"
#include "platform/com/comtypes.h"

#include <QWidget>

class ControlHost : public QWidget {
  public:
    explicit ControlHost(QWidget* parent = nullptr);
    ~ControlHost() override;

    // Activates the control in this window; E_FAIL when the control has no window to offer.
    HRESULT AttachControl(IUnknown* control);
    // Closes the control's window and lets it go.
    void DetachControl();
    QWidget* ControlWindow() const { return controlWindow; }

  protected:
    void resizeEvent(QResizeEvent* event) override;

  private:
    ComPtr<IOleObject> oleObject;
    QWidget* controlWindow = nullptr;
};
