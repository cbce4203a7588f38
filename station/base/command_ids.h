// Command identifiers shared by menu items, buttons and hot keys, and the private messages
// of the main window. The numbers are kept so the command table reads the same everywhere.
#pragma once

namespace quelmar::station::cmd {

// Folder menu
constexpr int NewFolder = 57600;
constexpr int FolderManager = 57601;
constexpr int FolderProperties = 32779;
constexpr int Exit = 32839;
// Setting menu
constexpr int HighResolution = 32810;
constexpr int LowResolution = 385;
constexpr int VideoSetting = 1016;
constexpr int MeasurementSetting = 32791;
constexpr int Crosshair = 32798;
constexpr int ScaleLine = 32789;
constexpr int CircleGrid = 32790;
constexpr int SnapshotSwitch = 395;
// Language menu
constexpr int LangEnglish = 387;
constexpr int LangRussian = 32825;
constexpr int LangSimplified = 388;
constexpr int LangJapanese = 32826;
constexpr int LangKorean = 32827;
constexpr int LangGerman = 32828;
constexpr int LangTraditional = 32829;
constexpr int LangPortuguese = 32830;
constexpr int LangThai = 32831;
constexpr int LangTurkish = 32832;
constexpr int LangBulgarian = 32833;
constexpr int LangSpanish = 32834;
constexpr int LangItalian = 32841;
// Capture menu and buttons
constexpr int TakePicture = 1005;
constexpr int TakeVideo = 1006;
constexpr int TimeLapse = 1007;
constexpr int About = 32786;
constexpr int SystemAbout = 16;
constexpr int Preview = 1014;
constexpr int SaveAs = 32777;
constexpr int EMail = 32787;
// Thumbnail context menu
constexpr int Open = 32776;
constexpr int SaveAll = 386;
constexpr int Delete = 32778;
constexpr int DeleteAll = 32792;
constexpr int Print = 32836;
// Image operations
constexpr int HorizontalMirror = 1195;
constexpr int VerticalMirror = 1194;
constexpr int Negative = 1188;
constexpr int BinarySegmentation = 1193;
constexpr int RgbDisplay = 1189;
constexpr int RedDisplay = 1190;
constexpr int GreenDisplay = 1191;
constexpr int BlueDisplay = 1192;
// Live measurement tools
constexpr int ToolLine = 1138;
constexpr int ToolContinuousLine = 1139;
constexpr int ToolPointToLine = 1140;
constexpr int ToolPolygon = 1141;
constexpr int ToolRadiusCircle = 1142;
constexpr int ToolDiameterCircle = 1143;
constexpr int ToolThreePointCircle = 1144;
constexpr int ToolThreePointArc = 1145;
constexpr int ToolThreePointAngle = 1146;
constexpr int ToolFourPointAngle = 1136;
constexpr int Calibration = 1197;
constexpr int ToolMenu = 1164;
constexpr int LiveUndo = 1114;
constexpr int LiveRedo = 1115;
constexpr int LiveDeleteAll = 1116;
constexpr int ExportToExcel = 1186;

} // namespace quelmar::station::cmd

namespace quelmar::station::ctl {
constexpr int Preview = 1000;
constexpr int Magnification = 1147;
constexpr int ZoomRate = 1196;
constexpr int CaptureSizeLabel = 1182;
constexpr int RecordingClock = 1183;
constexpr int FolderBox = 1216;
} // namespace quelmar::station::ctl

namespace quelmar::station::msg {
constexpr int Base = 0x8000;
constexpr int Still = Base + 0x01;
constexpr int GraphEvent = Base + 0x03;
constexpr int VideoSettingDeviceChange = Base + 0x05;
constexpr int OpenPicture = Base + 0x07;
constexpr int PlayVideo = Base + 0x08;
constexpr int StoreCalibration = Base + 0x09;
constexpr int FoldersChanged = Base + 0x0E;
} // namespace quelmar::station::msg

// The photo window: its row of buttons, its boxes and the commands of its two tool menus.
namespace quelmar::station::photo {
constexpr int Save = 1113;
constexpr int Select = 1137;
constexpr int Measure = 1138;
constexpr int Open = 1133;
constexpr int Pen = 1134;
constexpr int Paint = 1135;
constexpr int Text = 1122;
constexpr int Delete = 1127;
constexpr int Move = 1128;
constexpr int Calibration = 383;
constexpr int Print = 1123;
constexpr int MeasurementList = 1124;
constexpr int Canvas = 1129;
constexpr int Magnification = 1130;
constexpr int ScaleBox = 1132;
constexpr int XLabel = 1166;
constexpr int ToolLabel = 1167;
// Measuring tool menu
constexpr int MeasureLine = 32806;
constexpr int MeasureContinuousLine = 32807;
constexpr int MeasureRectangle = 32808;
constexpr int MeasurePolygon = 32809;
constexpr int MeasureRadiusCircle = 32811;
constexpr int MeasureDiameterCircle = 32812;
constexpr int MeasureThreePointCircle = 32813;
constexpr int MeasureThreePointAngle = 32814;
constexpr int MeasureFourPointAngle = 32815;
// Drawing tool menu
constexpr int DrawLine = 32816;
constexpr int DrawAngle = 32818;
constexpr int DrawRectangle = 32819;
constexpr int DrawRadiusCircle = 32820;
constexpr int DrawDiameterCircle = 32821;
constexpr int DrawThreePointCircle = 396;
// Between the canvas, the photo window and the measurement list.
constexpr int ShapesChangedMessage = 32780;
constexpr int RedrawMessage = 32781;
} // namespace quelmar::station::photo

namespace quelmar::station::timer {
constexpr int DeviceRecheck = 1001;
constexpr int RecordingClock = 1002;
constexpr int ButtonPoll = 1006;
} // namespace quelmar::station::timer
