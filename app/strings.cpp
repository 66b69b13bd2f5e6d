#include "app/strings.h"

#include "app/resource.h"

#include "foundation/text.h"

namespace {

const StringResource kStrings[] = {
    {Str::Tools, u"Tools"},
    {Str::SocketsFailed, u"Windows sockets initialization failed."},
    {Str::CameraProperties, u"Camera Properties"},
    {Str::LiveSiteProperties, u"Live View Site Properties"},
    {Str::StatusUnauthorized, u"Unauthorized"},
    {Str::StatusManualSet, u"Manual set"},
    {Str::StatusCheckFailed, u"Check failed"},
    {Str::StatusOk, u"OK"},
    {Str::Unknown, u"Unknown"},
    {Str::CameraName, u"Camera"},
    {Str::FolderName, u"Folder"},
    {Str::CameraSwitchName, u"Camera Switch"},
    {Str::LiveSiteName, u"Live View Site"},
    {Str::Default, u"Default"},
    {Str::RetrievingCameraType, u"Retrieving camera type at the network address '%ADDRESS%'"},
    {Str::ConnectingTo, u"Connecting to %s"},
    {Str::ConfirmDelete, u"Are you sure you want to delete '%s'?"},
    {Str::CannotConnectAddress,
     u"Could not connect to the camera '%s' at the network address '%s'. The camera may be unavailable."},
    {Str::CannotConnectUrl,
     u"Could not connect to the camera '%s' using URL '%s'. The camera may be unavailable. "},
    {Str::SwitchListEmpty, u"The Camera Switch list is empty. To add cameras to the list, tap Properties."},
    {Str::ControlMissing,
     u"The Camera Control could not be accessed. The application needs to be reinstalled."},
    {Str::NoNetwork, u"This computer does not seem to have a valid network connection."},
    {Str::StreamNotFoundUrl, u"Image stream not found for camera '%s' using URL '%s'"},
    {Str::StreamNotFoundAddress, u"Image stream not found for camera '%s' at the network address '%s'. The "
                                 u"camera firmware version is not "
                                 u"supported."},
    {Str::StreamNotDisplayed, u"The image stream could not be displayed. The image data may be corrupt, or "
                              u"the resolution may be set too "
                              u"high. Change the image resolution in the camera's properties. To change the "
                              u"image compression, please adjust "
                              u"this setting in the camera."},
    {Str::SettingsDamagedKept, u"The settings file '%s' could not be read. The damaged file was kept as "
                               u"'%s'. Lumenfold started with the "
                               u"initial camera collection."},
    {Str::SettingsDamagedNotMoved,
     u"The settings file '%s' could not be read, and the damaged file could not be moved aside. Lumenfold "
     u"started "
     u"with the initial camera collection and will not save its settings over that file."},
    {Str::TooltipOpen, u"Open"},
    {Str::TooltipProperties, u"Properties"},
    {Str::TooltipCameras, u"Cameras Management"},
    {Str::TooltipFullScreen, u"Toggle full screen mode"},
    {Str::MenuView, u"View"},
    {Str::MenuCamera, u"Camera"},
    {Str::AppTitle, u"Lumenfold"},
    {Str::NeedsPassword, u"This device requires a valid user name and password."},
    {Str::PlatformName, u"Pocket PC"},
};

} // namespace

void RegisterViewerStrings() {
    RegisterStringTable(kStrings, sizeof(kStrings) / sizeof(kStrings[0]));
}
