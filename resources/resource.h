// Identifiers of the program's resources: the main window's controls (other
// windows and the event bridge address them by number), its icon and its
// system menu entry.
#pragma once

// Icon and strings.
inline constexpr int IDR_MAINFRAME = 128; ///< the application icon
inline constexpr int IDM_ABOUTBOX = 16;   ///< system menu command of the about box
inline constexpr int IDM_TRACE = 32;      ///< system menu command of the TAPI trace window
inline constexpr int IDM_CONSOLE = 48;    ///< system menu command of the exchange console

// Main window (`CPhoneDlg`): session and device selection.
inline constexpr int IDC_LINE_SPIN = 1000;     ///< up-down through the open lines
inline constexpr int IDC_LINE_POSITION = 1042; ///< "%d of %d" / "%d Open"
inline constexpr int IDC_DEVICE = 1009;        ///< line devices
inline constexpr int IDC_ADDRESS = 1010;       ///< addresses of the selected line
inline constexpr int IDC_SESSION = 1077;       ///< opens or closes the selected line
inline constexpr int IDC_AGENT = 1079;
inline constexpr int IDC_PHONE = 1078;
inline constexpr int IDC_CONFIGURE = 1081;
inline constexpr int IDC_MWI = 1110;
inline constexpr int IDC_LCK = 1059;
inline constexpr int IDC_CON = 1060;
inline constexpr int IDC_SVC = 1062;
inline constexpr int IDC_PWD = 1063;
inline constexpr int IDC_NUMBER = 1021; ///< "Phone #:"
inline constexpr int IDC_MAKECALL = 1016;
inline constexpr int IDC_PICKUP = 1049;
inline constexpr int IDC_UNPARK = 1052;
inline constexpr int IDC_MAXCALLS = 1061;

// Main window: call list and call display.
inline constexpr int IDC_CALL_SPIN = 1001;     ///< up-down through the call list
inline constexpr int IDC_CALL_POSITION = 1043; ///< "%d of %d"
inline constexpr int IDC_CALLSTATE = 1022;
inline constexpr int IDC_CALLFEATURES = 1024;
inline constexpr int IDC_CALLTYPE = 1040;
inline constexpr int IDC_CALLDIRECTION = 1032;
inline constexpr int IDC_MEDIA = 1076;
inline constexpr int IDC_TRUNKID = 1075;
inline constexpr int IDC_CALLID = 1074;
inline constexpr int IDC_RELATEDCALLID = 1082;
inline constexpr int IDC_APPSPECIFIC_VALUE = 1084;
inline constexpr int IDC_ADDRESSID = 1085;
inline constexpr int IDC_CALLER_NUMBER = 1025;
inline constexpr int IDC_CALLER_NAME = 1106;
inline constexpr int IDC_CALLED_NUMBER = 1029;
inline constexpr int IDC_CALLED_NAME = 1107;
inline constexpr int IDC_CONNECTED_NUMBER = 1030;
inline constexpr int IDC_CONNECTED_NAME = 1035;
inline constexpr int IDC_REDIRECTING_NUMBER = 1046;
inline constexpr int IDC_REDIRECTING_NAME = 1053;
inline constexpr int IDC_REDIRECTION_NUMBER = 1047;
inline constexpr int IDC_REDIRECTION_NAME = 1048;
inline constexpr int IDC_CALLTIME = 1058; ///< time in the current call state

// Main window: call commands.
inline constexpr int IDC_ACCEPT = 1019;
inline constexpr int IDC_ANSWER = 1017;
inline constexpr int IDC_HOLD = 1018;
inline constexpr int IDC_SWAP = 1023;
inline constexpr int IDC_HANGUP = 1020;
inline constexpr int IDC_DIALDIGITS = 1037;
inline constexpr int IDC_COMPLETE = 1056;
inline constexpr int IDC_REDIRECT = 1039;
inline constexpr int IDC_TRANSFER = 1033;
inline constexpr int IDC_MERGE = 1050;
inline constexpr int IDC_CONFERENCE = 2043; ///< "Conference": completes a transfer as a conference
inline constexpr int IDC_PARK = 1051;
inline constexpr int IDC_FORWARD = 2042;
inline constexpr int IDC_SETUPCONF = 1034; ///< "Con&ference...": sets up a conference
inline constexpr int IDC_ADDPARTY = 1036;
inline constexpr int IDC_DROPPARTY = 1038;
inline constexpr int IDC_CONFLIST = 1057;
inline constexpr int IDC_APPSPECIFIC = 1064;
inline constexpr int IDC_USERINFO = 1080;
inline constexpr int IDC_CALLDATA = 1041;
inline constexpr int IDC_QOSINFO = 1083;
inline constexpr int IDC_ISDNINFO = 1044;
inline constexpr int IDC_FEATURES = 1045;

// Main window: status line and link.
inline constexpr int IDC_STATUS = 1028;
inline constexpr int IDC_LINK = 2054;
