#pragma once
// Resource numbers of the viewer: commands (menus, toolbar buttons, keys), resource sets and
// string table entries. Menus, accelerators, buttons and handlers use the same numbers.

namespace Command {
inline constexpr int ZoomIn = 108;
inline constexpr int ZoomOut = 109;
inline constexpr int ViewActualSize = 32775;
inline constexpr int ViewFitToWindow = 32776;
inline constexpr int ViewCameras = 32777;
inline constexpr int ViewNextCamera = 32778;
inline constexpr int ViewPreviousCamera = 32779;
inline constexpr int ViewRotate = 32782;
inline constexpr int ViewAutoSwitch = 32783;
inline constexpr int NewCamera = 32787;
inline constexpr int NewFolder = 32788;
inline constexpr int Properties = 32789;
inline constexpr int Delete = 32790;
inline constexpr int Open = 32791;
inline constexpr int NewCameraSwitch = 32792;
inline constexpr int NewLiveSite = 32793;
inline constexpr int Action = 32805;
inline constexpr int AboutLumenfold = 32807;
inline constexpr int ViewAsGrid = 32808;     // collection: the grid of the selected folder or switch
inline constexpr int FullScreen = 32809;     // F11
inline constexpr int SavePicture = 32810;    // camera view: Ctrl+S
inline constexpr int NextPage = 32811;       // grid: Page Down
inline constexpr int PreviousPage = 32812;   // grid: Page Up
inline constexpr int Back = 32813;           // the Escape key
inline constexpr int PictureZoomIn = 32820;  // camera view, grid: Ctrl+Plus, the digital zoom
inline constexpr int PictureZoomOut = 32821; // Ctrl+Minus
inline constexpr int WholePicture = 32822;   // Ctrl+0
inline constexpr int LayoutFirst = 32823;    // grid: the layouts, in GridLayout::Kind's order
inline constexpr int LayoutLast = 32829;
inline constexpr int Record = 32830;     // camera view, grid: Ctrl+R, the camera shown or the chosen tile
inline constexpr int Recordings = 32831; // Tools: the cameras recorded and their folder
inline constexpr int Pause = 32832;      // camera view: Space, instant replay
inline constexpr int PicturePrevious = 32833;    // comma
inline constexpr int PictureNext = 32834;        // period
inline constexpr int FiveSecondsBack = 32835;    // Page Up
inline constexpr int FiveSecondsForward = 32836; // Page Down
inline constexpr int Live = 32837;               // End
inline constexpr int SaveClip = 32838;           // Ctrl+Shift+S
inline constexpr int MotionEvents = 32839;       // Tools: the motion events window
inline constexpr int MotionToBigPlace = 32840;   // Tools: a tile with motion goes to the grid's big place
inline constexpr int MotionBell = 32841;         // Tools: the bell rings when motion starts
inline constexpr int AppAbout = 57664;
inline constexpr int AppExit = 57665;
inline constexpr int Help = 0xE146;
} // namespace Command

// The two resource sets of the main frame: menus, toolbar buttons and tooltips of each view.
namespace ResourceSet {
inline constexpr int CameraView = 128;
inline constexpr int CollectionView = 130;
inline constexpr int GridView = 131;
} // namespace ResourceSet

namespace Str {
inline constexpr int Tools = 103;
inline constexpr int SocketsFailed = 104;
inline constexpr int CameraProperties = 501;
inline constexpr int LiveSiteProperties = 502;
inline constexpr int StatusUnauthorized = 503;
inline constexpr int StatusManualSet = 504;
inline constexpr int StatusCheckFailed = 505;
inline constexpr int StatusOk = 506;
inline constexpr int Unknown = 507;
inline constexpr int CameraName = 508;
inline constexpr int FolderName = 509;
inline constexpr int CameraSwitchName = 510;
inline constexpr int LiveSiteName = 511;
inline constexpr int Default = 512;
inline constexpr int RetrievingCameraType = 700;
inline constexpr int ConnectingTo = 701;
inline constexpr int ConfirmDelete = 702;
inline constexpr int CannotConnectAddress = 1001;
inline constexpr int CannotConnectUrl = 1002;
inline constexpr int SwitchListEmpty = 1006;
inline constexpr int ControlMissing = 1013;
inline constexpr int NoNetwork = 1014;
inline constexpr int StreamNotFoundUrl = 1015;
inline constexpr int StreamNotFoundAddress = 1016;
inline constexpr int StreamNotDisplayed = 1018;
inline constexpr int SettingsDamagedKept = 1020;
inline constexpr int SettingsDamagedNotMoved = 1021;
inline constexpr int Connecting = 1100;
inline constexpr int NoPictureFor = 1101;
inline constexpr int PicturesNotDecoded = 1102;
inline constexpr int PictureSaved = 1103;
inline constexpr int NoPictureToSave = 1104;
inline constexpr int PictureNotSaved = 1105;
inline constexpr int GridEmpty = 1106;
inline constexpr int GridPageTitle = 1107;
inline constexpr int NoItemAtPath = 1108;
inline constexpr int CommandLineHelp = 1109;
inline constexpr int UnknownOption = 1110;
inline constexpr int OptionNeedsPath = 1111;
inline constexpr int GridNeedsOpen = 1112;
inline constexpr int FolderNotCreated = 1113;
inline constexpr int SamePictureFor = 1114;
inline constexpr int ConnectionLostRetrying = 1115;
inline constexpr int CannotConnectRetrying = 1116;
inline constexpr int NeedsPasswordAction = 1117;
inline constexpr int CredentialsFor = 1118;
inline constexpr int CredentialsRefused = 1119;
inline constexpr int ScreenNeedsNumber = 1120;
inline constexpr int NoSuchScreen = 1121;
inline constexpr int RecordingStopped = 1122;
inline constexpr int RecordingsTitle = 1123;
inline constexpr int RecordingsNone = 1124;
inline constexpr int RecordingsOpenFolder = 1125;
inline constexpr int RecordingsWriting = 1126;
inline constexpr int RecordingsWaiting = 1127;
inline constexpr int TooltipRecord = 2005;
inline constexpr int PausedAt = 1128;
inline constexpr int ClipSaved = 1129;
inline constexpr int ClipNotSaved = 1130;
inline constexpr int MotionWord = 1131;
inline constexpr int MotionPage = 1132;
inline constexpr int MotionDetect = 1133;
inline constexpr int MotionSensitivityLabel = 1134;
inline constexpr int MotionAreaLabel = 1135;
inline constexpr int MotionMaskHint = 1136;
inline constexpr int MotionClearAreas = 1137;
inline constexpr int MotionRecord = 1138;
inline constexpr int MotionBeforeLabel = 1139;
inline constexpr int MotionAfterLabel = 1140;
inline constexpr int MotionNoPicture = 1141;
inline constexpr int EventsTitle = 1142;
inline constexpr int EventsCamera = 1143;
inline constexpr int EventsStart = 1144;
inline constexpr int EventsDuration = 1145;
inline constexpr int EventsHint = 1146;
inline constexpr int RecordingsOnMotion = 1147;
inline constexpr int MomentNotKept = 1148;
inline constexpr int CameraGone = 1149;
inline constexpr int RecordingsFolderNotOpened = 1150;
inline constexpr int TooltipOpen = 2000;
inline constexpr int TooltipProperties = 2001;
inline constexpr int TooltipCameras = 2002;
inline constexpr int TooltipFullScreen = 2003;
inline constexpr int TooltipViewAsGrid = 2004;
inline constexpr int GridOpenItem = 2010;
inline constexpr int GridCamerasItem = 2011;
inline constexpr int MenuView = 32774;
inline constexpr int MenuCamera = 32796;
inline constexpr int ViewAsGridItem = 32808;
inline constexpr int FullScreenItem = 32809;
inline constexpr int SavePictureItem = 32810;
inline constexpr int NextPageItem = 32811;
inline constexpr int PreviousPageItem = 32812;
inline constexpr int MenuHelp = 32814;
inline constexpr int HelpTopicsItem = 32815;
inline constexpr int PictureZoomInItem = 32820;
inline constexpr int PictureZoomOutItem = 32821;
inline constexpr int WholePictureItem = 32822;
inline constexpr int LayoutFirstItem = 32823; // to 32829, one a layout
inline constexpr int RecordItem = 32830;
inline constexpr int RecordingsItem = 32831;
inline constexpr int PauseItem = 32832; // to 32838, one a replay command
inline constexpr int MotionEventsItem = 32839;
inline constexpr int MotionToBigPlaceItem = 32840;
inline constexpr int MotionBellItem = 32841;
inline constexpr int AppTitle = 57344;
inline constexpr int NeedsPassword = 65008;
inline constexpr int PlatformName = 65009;
} // namespace Str

// Private window messages (the platform's first user message number plus n).
namespace Message {
inline constexpr int ViewCameraView = 1;   // main frame: show the camera view, then start it
inline constexpr int ConnectionFailed = 2; // camera view, from the control's events
inline constexpr int ConnectionBroken = 3;
inline constexpr int StreamStarted = 4;
inline constexpr int StreamStopped = 5;
inline constexpr int PictureSize = 6;
inline constexpr int CheckCameraType = 7; // property pages, from the progress dialog
inline constexpr int CameraStopped = 8;   // camera view
inline constexpr int StartCamera = 9;     // camera view, from the main frame
inline constexpr int Reconnect = 10;      // camera view
inline constexpr int ViewGrid = 11;       // main frame: show the grid, then build it
inline constexpr int StartGrid = 12;      // grid, from the main frame and on activation
inline constexpr int NextPrompt = 13;     // grid: the next tile that waits for credentials
inline constexpr int Motion =
    14; // camera view, grid tile, from the control's events: wParam 1 starts, 0 ends
} // namespace Message
