#include "platform/ui/controlhost.h"

ControlHost::ControlHost(QWidget* parent) : QWidget(parent) {}

ControlHost::~ControlHost() {
    DetachControl();
}

HRESULT ControlHost::AttachControl(IUnknown* control) {
    if (!control) return E_POINTER;
    DetachControl();
    if (FAILED(control->QueryInterface(IID_IOleObject, reinterpret_cast<void**>(&oleObject)))) return E_FAIL;
    IOleWindow* window = nullptr;
    HRESULT result = oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, this);
    if (SUCCEEDED(result)) result = control->QueryInterface(IID_IOleWindow, reinterpret_cast<void**>(&window));
    if (SUCCEEDED(result)) result = window->GetWindow(&controlWindow);
    SafeRelease(window);
    if (FAILED(result) || !controlWindow) {
        DetachControl();
        return E_FAIL;
    }
    controlWindow->setGeometry(rect());
    controlWindow->show();
    return S_OK;
}

void ControlHost::DetachControl() {
    if (oleObject) oleObject->Close();
    controlWindow = nullptr;
    SafeRelease(oleObject);
}

void ControlHost::resizeEvent(QResizeEvent* event) {
    if (controlWindow) controlWindow->setGeometry(rect());
    QWidget::resizeEvent(event);
}
