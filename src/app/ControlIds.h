#pragma once
// Ids of the dialogs, controls, strings, icons, commands and timers of the window.

namespace ondrel {

inline constexpr int IDD_ABOUTBOX = 100;
inline constexpr int IDD_ONDREL_DIALOG = 102;

inline constexpr int IDR_MAINFRAME = 128; // the application icon
inline constexpr int IDI_TIPS = 129;

inline constexpr int IDM_ABOUTBOX = 0x0010;

inline constexpr int IDS_ABOUTBOX = 101;
inline constexpr int IDS_APP_TITLE = 102;
inline constexpr int IDS_ABOUT_LINE = 103;
inline constexpr int IDS_COLUMN_MAC = 104;
inline constexpr int IDS_COLUMN_NO = 2102;
inline constexpr int IDS_COLUMN_NAME = 2103;
inline constexpr int IDS_TIPS = 2105;
inline constexpr int IDS_ASK = 2106;
inline constexpr int IDS_INIT_FAILED = 2107;
inline constexpr int IDS_SELECT_DEVICE = 2108;
inline constexpr int IDS_CONFIRM_UPDATE = 2109;
inline constexpr int IDS_UPDATED = 2116;
inline constexpr int IDS_WRONG_ACCOUNT = 2117;
inline constexpr int IDS_PORT_REFUSED = 2123;
inline constexpr int IDS_NO_ANSWER = 2124;
inline constexpr int IDS_NO_VALID_ADDRESS = 2125;
inline constexpr int IDS_SEND_FAILED = 2126;

inline constexpr int IDC_ABOUT_LINE = 1000;
inline constexpr int IDC_DEVICE_COUNT = 1005;
inline constexpr int IDC_DEVICE_LIST = 1006;
inline constexpr int IDC_RESTART_PROGRESS = 1007;
inline constexpr int IDC_RESTART_LABEL = 1008;
inline constexpr int IDC_SET_ROUTER = 1009;
inline constexpr int IDC_FACTORY_DEFAULTS = 1010;
inline constexpr int IDC_SEARCH = 1011;
inline constexpr int IDC_BROWSE = 1012;
inline constexpr int IDC_DEVICE_IP = 1013;
inline constexpr int IDC_DEVICE_MASK = 1014;
inline constexpr int IDC_DEVICE_GATEWAY = 1015;
inline constexpr int IDC_SYS_FIRMWARE = 1016;
inline constexpr int IDC_DEVICE_DNS = 1018;
inline constexpr int IDC_AUTO_IP = 1019;
inline constexpr int IDC_UPDATE = 1021;
inline constexpr int IDC_DEVICE_NAME = 1022;
inline constexpr int IDC_ACCOUNT = 1023;
inline constexpr int IDC_PASSWORD = 1024;
inline constexpr int IDC_HTTP_PORT = 1026;
inline constexpr int IDC_PORT_SPIN = 1027;
inline constexpr int IDC_CLOSE = 1028;
inline constexpr int IDC_PC_IP = 1029;
inline constexpr int IDC_PC_MASK = 1030;
inline constexpr int IDC_PC_GATEWAY = 1031;
inline constexpr int IDC_PC_DNS1 = 1032;
inline constexpr int IDC_PC_DNS2 = 1033;
inline constexpr int IDC_ADAPTER_LIST = 1034;
inline constexpr int IDC_APP_FIRMWARE = 1038;
inline constexpr int IDC_DEVICE_NAME_LABEL = 1044;

inline constexpr int UPDATE_WAIT_TIMER = 2010;
inline constexpr int RESTART_TICK_TIMER = 51;

} // namespace ondrel
