#include "app/resources/strings.h"

#include "app/resources/resource.h"

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
    {Str::Connecting, u"Connecting"},
    {Str::NoPictureFor, u"No picture for %s s"},
    {Str::PicturesNotDecoded, u"The camera's pictures cannot be decoded"},
    {Str::SamePictureFor, u"The camera sends the same picture since %s s"},
    {Str::ConnectionLostRetrying, u"Connection lost, trying again (%s s)"},
    {Str::CannotConnectRetrying, u"Cannot connect to the camera, trying again"},
    {Str::NeedsPasswordAction, u"Needs a user name and password: press Enter or click"},
    {Str::CredentialsFor, u"User name and password for %s"},
    {Str::CredentialsRefused, u"The user name or password was not accepted"},
    {Str::ScreenNeedsNumber, u"zelppc: --screen needs a screen number, 0 for the first"},
    {Str::NoSuchScreen, u"zelppc: there is no screen %s; the screens are numbered from 0 to %s"},
    {Str::PictureSaved, u"Picture saved to %s"},
    {Str::NoPictureToSave, u"There is no picture to save yet."},
    {Str::PictureNotSaved, u"The picture could not be saved to '%s': %s"},
    {Str::GridEmpty, u"There are no cameras in '%s'."},
    {Str::GridPageTitle, u"%s (page %s of %s)"},
    {Str::NoItemAtPath, u"zelppc: there is no camera, live view site, camera switch or folder at '%s'"},
    {Str::CommandLineHelp,
     u"Usage: zelppc [--open PATH [--grid]] [--fullscreen] [--screen N]\n"
     u"A live viewer for network cameras that serve Motion-JPEG over HTTP.\n"
     u"\n"
     u"  --open PATH    start in the camera view of the item at PATH: the names the collection\n"
     u"                 shows, such as \"Cameras/Demo Cameras/Alder\", or its settings path,\n"
     u"                 such as \"/CameraCollection/Demo Cameras/Alder\"; a folder opens as a grid\n"
     u"  --grid         show the item at PATH as a grid: every camera and live view site in a\n"
     u"                 folder and its sub-folders, or the members of a camera switch\n"
     u"  --fullscreen   start in full screen (F11 switches it on and off, Escape leaves it)\n"
     u"  --screen N     start on screen N (0 for the first), which --fullscreen fills\n"
     u"  --help         show this text\n"
     u"  --version      show the version\n"},
    {Str::UnknownOption, u"zelppc: unknown option '%s' (zelppc --help lists the options)"},
    {Str::OptionNeedsPath, u"zelppc: --open needs the settings path of an item"},
    {Str::GridNeedsOpen, u"zelppc: --grid needs --open PATH"},
    {Str::FolderNotCreated, u"the folder cannot be created"},
    {Str::TooltipOpen, u"Open"},
    {Str::TooltipProperties, u"Properties"},
    {Str::TooltipCameras, u"Cameras Management"},
    {Str::TooltipFullScreen, u"Toggle full screen mode"},
    {Str::TooltipViewAsGrid, u"View as Grid"},
    {Str::GridOpenItem, u"Open\tEnter"},
    {Str::GridCamerasItem, u"Cameras\tEscape"},
    {Str::MenuView, u"View"},
    {Str::MenuCamera, u"Camera"},
    {Str::ViewAsGridItem, u"View as Grid\tShift+Enter"},
    {Str::FullScreenItem, u"Full Screen\tF11"},
    {Str::SavePictureItem, u"Save Picture\tCtrl+S"},
    {Str::PictureZoomInItem, u"Digital Zoom In\tCtrl++"},
    {Str::PictureZoomOutItem, u"Digital Zoom Out\tCtrl+-"},
    {Str::WholePictureItem, u"Whole Picture\tCtrl+0"},
    {Str::RecordItem, u"Record\tCtrl+R"},
    {Str::RecordingsItem, u"Recordings..."},
    {Str::MotionEventsItem, u"Motion Events..."},
    {Str::MotionToBigPlaceItem, u"Bring Motion to the Big Place"},
    {Str::MotionBellItem, u"Bell on Motion"},
    {Str::PauseItem, u"Pause\tSpace"},
    {Str::PauseItem + 1, u"Previous Picture\t,"},
    {Str::PauseItem + 2, u"Next Picture\t."},
    {Str::PauseItem + 3, u"5 Seconds Back\tPage Up"},
    {Str::PauseItem + 4, u"5 Seconds Forward\tPage Down"},
    {Str::PauseItem + 5, u"Live\tEnd"},
    {Str::PauseItem + 6, u"Save Last 30 Seconds\tCtrl+Shift+S"},
    {Str::PausedAt, u"Paused %s, %s s ago"},
    {Str::ClipSaved, u"Clip saved to %s"},
    {Str::ClipNotSaved, u"The clip could not be saved to %s: %s"},
    {Str::MotionWord, u"Motion"},
    {Str::MotionPage, u"Motion"},
    {Str::MotionDetect, u"Look for motion in the pictures"},
    {Str::MotionSensitivityLabel, u"Sensitivity:"},
    {Str::MotionAreaLabel, u"Smallest moving area:"},
    {Str::MotionMaskHint, u"Drag over the picture to mark areas where motion counts for nothing; right-click "
                          u"an area to take it away."},
    {Str::MotionClearAreas, u"Clear Areas"},
    {Str::MotionRecord, u"Record on motion"},
    {Str::MotionBeforeLabel, u"Record before motion:"},
    {Str::MotionAfterLabel, u"Record after motion:"},
    {Str::MotionNoPicture, u"No picture of the camera"},
    {Str::EventsTitle, u"Motion Events"},
    {Str::EventsCamera, u"Camera"},
    {Str::EventsStart, u"Start"},
    {Str::EventsDuration, u"Duration"},
    {Str::EventsHint, u"Double-click an event to see the camera at that moment."},
    {Str::TooltipRecord, u"Record this camera"},
    {Str::RecordingStopped, u"The recording of '%s' stopped: %s"},
    {Str::RecordingsTitle, u"Recordings"},
    {Str::RecordingsNone,
     u"No camera is being recorded. Choose Record (Ctrl+R) while you watch a camera or a grid."},
    {Str::RecordingsOpenFolder, u"Open Recordings Folder"},
    {Str::RecordingsWriting, u"recording"},
    {Str::RecordingsWaiting, u"waiting for the camera"},
    {Str::RecordingsOnMotion, u"records when something moves"},
    {Str::MomentNotKept, u"'%s' at that moment is no longer kept: shown live"},
    {Str::CameraGone, u"'%s' is no longer in the collection: it was renamed, moved or deleted."},
    {Str::RecordingsFolderNotOpened,
     u"The folder %s could not be opened: it cannot be made, or no file manager shows it."},
    {Str::LayoutFirstItem, u"Automatic Layout"},
    {Str::LayoutFirstItem + 1, u"Layout 2 x 2"},
    {Str::LayoutFirstItem + 2, u"Layout 3 x 3"},
    {Str::LayoutFirstItem + 3, u"Layout 4 x 4"},
    {Str::LayoutFirstItem + 4, u"Layout 1 + 5"},
    {Str::LayoutFirstItem + 5, u"Layout 1 + 7"},
    {Str::LayoutFirstItem + 6, u"Layout 1 + 12"},
    {Str::NextPageItem, u"Next Page\tPage Down"},
    {Str::PreviousPageItem, u"Previous Page\tPage Up"},
    {Str::MenuHelp, u"Help"},
    {Str::HelpTopicsItem, u"Lumenfold Help\tF1"},
    {Str::AppTitle, u"Lumenfold"},
    {Str::NeedsPassword, u"This device requires a valid user name and password."},
    {Str::PlatformName, u"Pocket PC"},
};

} // namespace

void RegisterViewerStrings() {
    RegisterStringTable(kStrings, sizeof(kStrings) / sizeof(kStrings[0]));
}
