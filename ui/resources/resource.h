// Identifiers of Vesmo's resources: templates, controls, menu commands and strings.
// Shared by the resource script and the C++ code; plain #defines so windres reads it.
#pragma once

// Dialog templates
#define IDD_ABOUTBOX            100
#define IDD_DIALER              102
#define IDD_SPEEDDIAL           131
#define IDD_FORWARD             136
#define IDD_FORWARD_BUSY        137

// Menu and icons
#define IDR_MAINMENU            132
#define IDI_PROGRAM             128
#define IDR_MAINFRAME           130

// String table
#define IDS_ABOUTBOX            101
#define IDS_MEMFORMAT           111
#define IDS_SYSINFO             114
#define IDS_FREEMEM             115
#define IDS_VERSION             116
#define IDS_NOTICE              117
#define IDS_NUM2SEND            118
#define IDS_LATEST              119
#define IDS_SPEED               120
#define IDS_SHORT               121
#define IDS_SEND_TIP            122
#define IDS_EXIT_TIP            123
#define IDS_TRAY_TIP            124
#define IDS_SERVICE_PROMPT      140
#define IDS_CALLWAIT_ON         141
#define IDS_CALLWAIT_OFF        142
#define IDS_CALLWAIT_VERIFY     143
#define IDS_FORWARD_OFF         144
#define IDS_FORWARD_VERIFY      145
#define IDS_CLEAR_HISTORY       146
#define IDS_CLEAR_HISTORY_ASK   147
#define IDS_CLEAR_SPEEDDIALS    148
#define IDS_CLEAR_SPEEDDIALS_ASK 149

// System-menu command of the About box
#define IDM_ABOUTBOX            16

// Main window (template 102)
#define IDC_HIDE                3
#define IDC_KEY_1               1000
#define IDC_KEY_2               1001
#define IDC_KEY_3               1002
#define IDC_KEY_A               1003
#define IDC_KEY_4               1004
#define IDC_KEY_5               1005
#define IDC_KEY_6               1006
#define IDC_KEY_B               1007
#define IDC_KEY_7               1008
#define IDC_KEY_8               1009
#define IDC_KEY_9               1010
#define IDC_KEY_C               1011
#define IDC_KEY_STAR            1012
#define IDC_KEY_0               1013
#define IDC_KEY_HASH            1014
#define IDC_KEY_D               1015
#define IDC_NUMBER              1016
#define IDC_HISTORY             1017
#define IDC_SPEED               1018
#define IDC_SEND                1019
#define IDC_MS                  1020
#define IDC_NUM2SEND_LABEL      1029
#define IDC_LATEST_LABEL        1030
#define IDC_SPEED_GROUP         1031
#define IDC_SHORT_GROUP         1036
#define IDC_SPEEDDIAL_1         1032
#define IDC_SPEEDDIAL_2         1033
#define IDC_SPEEDDIAL_3         1034
#define IDC_SPEEDDIAL_4         1041
#define IDC_SPEEDDIAL_5         1042
#define IDC_SPEEDDIAL_6         1043
#define IDC_SPEEDDIAL_7         1044
#define IDC_SPEEDDIAL_8         1045
#define IDC_SPEEDSEND_1         1052
#define IDC_SPEEDSEND_2         1053
#define IDC_DIALLING            1054
#define IDC_SPEEDSEND_3         1055
#define IDC_SPEEDSEND_4         1056
#define IDC_SPEEDSEND_5         1057
#define IDC_SPEEDSEND_6         1058
#define IDC_SPEEDSEND_7         1059
#define IDC_SPEEDSEND_8         1060
#define IDC_RULE                224

// Speed-dial programming dialog (template 131)
#define IDC_SAVE_AND_SEND       4
#define IDC_SPEEDDIAL_NAME      1037
#define IDC_SPEEDDIAL_NUMBER    1038

// Call forwarding dialogs (templates 136 and 137)
#define IDC_FORWARD_NUMBER      1055
#define IDC_FORWARD_SECONDS     1056

// About box (template 100)
#define IDC_CALLME              1021
#define IDC_SYSINFO             1024
#define IDC_FREEMEM             1025
#define IDC_FREEMEM_LABEL       1026
#define IDC_VERSION             1027
#define IDC_NOTICE              1028

// Menu commands (menu 132)
#define ID_FILE_SAVE_SPEEDDIALS 32781
#define ID_APP_EXIT             32776
#define ID_EDIT_UNDO            57643
#define ID_EDIT_CUT             57635
#define ID_EDIT_COPY            57634
#define ID_EDIT_PASTE           57637
#define ID_EDIT_CLEAR_SPEEDDIALS 32780
#define ID_FORWARD_NOANSWER     32787
#define ID_FORWARD_BUSY         32788
#define ID_FORWARD_OFF          32789
#define ID_FORWARD_VERIFY       32791
#define ID_CALLWAIT_ON          32785
#define ID_CALLWAIT_OFF         32786
#define ID_CALLWAIT_VERIFY      32790
#define ID_TOOLS_CLEAR_HISTORY  32777
#define ID_HELP_ABOUT           32778

// Private message of the notification icon
#define WM_TRAYNOTIFY           2000
