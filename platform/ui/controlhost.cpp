#include "platform/ui/controlhost.h"

ControlHost::ControlHost(QWidget* parent) : QWidget(parent) {}

ControlHost::~ControlHost() {
    DetachControl();
}

HRESULT ControlHost::AttachControl(IUnknown* control) {
    if (!control)
        return E_POINTER;
    DetachControl();
    oleObject = ComPtr<IOleObject>::QueryFrom(control, IID_IOleObject);
    if (!oleObject)
        return E_FAIL;
    HRESULT result = oleObject->DoVerb(OLEIVERB_INPLACEACTIVATE, this);
    if (SUCCEEDED(result)) {
        const auto window = ComPtr<IOleWindow>::QueryFrom(control, IID_IOleWindow);
        result = window ? window->GetWindow(&controlWindow) : E_NOINTERFACE;
    }
    if (FAILED(result) || !controlWindow) {
        DetachControl();
        return E_FAIL;
    }
    controlWindow->setGeometry(rect());
    controlWindow->show();
    return S_OK;
}

void ControlHost::DetachControl() {
    if (oleObject)
        oleObject->Close();
    controlWindow = nullptr;
    oleObject.Reset();
}

void ControlHost::resizeEvent(QResizeEvent* event) {
    if (controlWindow)
        controlWindow->setGeometry(rect());
    QWidget::resizeEvent(event);
}
