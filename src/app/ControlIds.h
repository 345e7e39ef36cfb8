#pragma once
// The numeric ids of the window's controls. Each control carries its id as the dynamic
// property `controlId`, so that automation and tests find a control by the number it has
// always had; the code itself reaches the controls by name through the form.

namespace ondrel {

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
inline constexpr int IDC_CLOSE = 1028;
inline constexpr int IDC_PC_IP = 1029;
inline constexpr int IDC_PC_MASK = 1030;
inline constexpr int IDC_PC_GATEWAY = 1031;
inline constexpr int IDC_PC_DNS1 = 1032;
inline constexpr int IDC_PC_DNS2 = 1033;
inline constexpr int IDC_ADAPTER_LIST = 1034;
inline constexpr int IDC_APP_FIRMWARE = 1038;
inline constexpr int IDC_DEVICE_NAME_LABEL = 1044;

// The property that carries a control's id.
inline constexpr const char* kControlIdProperty = "controlId";

} // namespace ondrel
