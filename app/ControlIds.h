// SPDX-License-Identifier: GPL-3.0-or-later
#pragma once
// Control ids, command ids and timer ids of the main window.

namespace orvane {

// Main window controls.
inline constexpr int IDC_EXIT = 1;
inline constexpr int IDC_MAP_VIEW = 1000;
inline constexpr int IDC_LOAD_FILE = 1001;
inline constexpr int IDC_RUN = 1002;
inline constexpr int IDC_PURGE = 1003;
inline constexpr int IDC_TEXT_VIEW = 1004;
inline constexpr int IDC_CLEAR = 1005;
inline constexpr int IDC_FASTER = 1007;
inline constexpr int IDC_SLOWER = 1008;
inline constexpr int IDC_REPEAT = 1009;
inline constexpr int IDC_SATELLITE_LIST = 1010;
inline constexpr int IDC_MESSAGE_LIST = 1011;
inline constexpr int IDC_SECONDARY_MAP = 1013;
inline constexpr int IDC_ENABLE_MAP = 1014;
inline constexpr int IDC_REPLAY_SLIDER = 1016;
inline constexpr int IDC_SHOW_SIGNALS = 1017;
inline constexpr int IDC_ONLINE_MODE = 1141;
inline constexpr int IDC_LIVE_INPUT = 1142;
inline constexpr int IDC_RECORDING = 1143;
inline constexpr int IDC_DEVELOPER_CODE_EDIT = 1144;
inline constexpr int IDC_DEVELOPER_CODE = 1145;

// The About item of the window menu.
inline constexpr int IDM_ABOUTBOX = 16;

// Timers of the main window.
inline constexpr int kReplayTimerId = 291;
inline constexpr int kLiveTimerId = 801;
inline constexpr int kRecordingRestartTimerId = 546;

}  // namespace orvane
