// Resource ids, grouped by kind. The numbers are fixed: translations,
// skins and the language bitmap table refer to them.
#pragma once

// ---- Dialog templates ------------------------------------------------------
#define IDD_ABOUT            100
#define IDD_MAIN             103
#define IDD_BUTTONS_PAGE     147
#define IDD_THIRD_PAGE       148
#define IDD_PERFORMANCE_PAGE 161
#define IDD_KEY_CAPTURE      189

// ---- Strings, icons, menus --------------------------------------------------
#define IDS_ABOUT            101
#define IDI_APP              128
#define IDM_TRAY             139
#define ID_TRAY_EXIT         32804
#define ID_TRAY_CONFIG       32805

// ---- Bitmaps (English ids; per-language variants: language table) ---------
#define IDB_BUTTONS_PAGE_BG  149
#define IDB_OK_OVER          151
#define IDB_APPLY_OVER       152
#define IDB_CANCEL_OVER      153
#define IDB_OK               154
#define IDB_APPLY            155
#define IDB_CANCEL           156
#define IDB_MAIN_BG          157
#define IDB_TITLE_TRAY       158
#define IDB_TITLE_MIN        159
#define IDB_TITLE_CLOSE      160
#define IDB_PERF_PAGE_BG     162
#define IDB_LEVEL1           163
#define IDB_LEVEL1_OVER      164
#define IDB_LEVEL2           165
#define IDB_LEVEL2_OVER      166
#define IDB_LEVEL3           167
#define IDB_LEVEL3_OVER      168
#define IDB_LEVEL4           169
#define IDB_LEVEL4_OVER      170
#define IDB_DPI_THUMB        171
#define IDB_DPI_TRACK        172
#define IDB_BANNER           176
#define IDB_PAGE3_SELECTED   177
#define IDB_PAGE_BUTTONS_SEL       178
#define IDB_PAGE3                  179
#define IDB_PAGE_PERF_SEL          180
#define IDB_PAGE_PERF              181
#define IDB_PAGE_BUTTONS           182
#define IDB_PAGE_PERF_SEL_OVER     183
#define IDB_PAGE_BUTTONS_SEL_OVER  184
#define IDB_PAGE_BUTTONS_OVER      185
#define IDB_PAGE_SPARE             186
#define IDB_PAGE_PERF_OVER         187
#define IDB_KEY_CAPTURE_BG   190
#define IDB_SMALL_BUTTON     191
#define IDB_ILLUSTRATION_LEFT    193
#define IDB_ILLUSTRATION_RIGHT   194
#define IDB_ILLUSTRATION_MIDDLE  195
#define IDB_ILLUSTRATION_BUTTON4 196
#define IDB_ILLUSTRATION_BUTTON5 197
#define IDB_CAPTION_RATE     198
#define IDB_CAPTION_DPI      199
#define IDB_SWAP_DECOR       204
#define IDB_FLAG_ENGLISH     282
#define IDB_FLAG_GERMANY     283
#define IDB_FLAG_FRANCE      284
#define IDB_FLAG_DUTCH       285
#define IDB_FLAG_ITALIAN     286
#define IDB_FLAG_CHINESE     287

// ---- Controls of the main window (103) ---------------------------------------
#define IDC_MAIN_APPLY       1027
#define IDC_MAIN_TAB         1048
#define IDC_MAIN_OK          1054
#define IDC_MAIN_CANCEL      1055
#define IDC_MAIN_TRAY        1059
#define IDC_MAIN_MINIMIZE    1061
#define IDC_MAIN_CLOSE       1063
#define IDC_MAIN_BANNER      1069
#define IDC_MAIN_PAGE_BUTTONS 1070
#define IDC_MAIN_PAGE_THIRD  1071
#define IDC_MAIN_PAGE_PERF   1072
#define IDC_FLAG_ENGLISH     1097
#define IDC_FLAG_GERMANY     1098
#define IDC_FLAG_FRANCE      1099
#define IDC_FLAG_DUTCH       1100
#define IDC_FLAG_ITALIAN     1101
#define IDC_FLAG_CHINESE     1102

// ---- Controls of the buttons page (147) --------------------------------------
#define IDC_BTN_SAVE_CONFIG  1019
#define IDC_BTN_RATE_CHECK   1029
#define IDC_BTN_LIST_LEFT    1049
#define IDC_BTN_LIST_RIGHT   1050
#define IDC_BTN_LIST_MIDDLE  1051
#define IDC_BTN_LIST_B4      1052
#define IDC_BTN_LIST_B5      1053
#define IDC_BTN_MEDIA_LEFT   1057
#define IDC_BTN_MEDIA_RIGHT  1058
#define IDC_BTN_MEDIA_MIDDLE 1060
#define IDC_BTN_MEDIA_B4     1062
#define IDC_BTN_MEDIA_B5     1064
#define IDC_BTN_RATE_LIST    1073
#define IDC_BTN_LOAD_DEFAULT 1074
#define IDC_BTN_LOAD_CONFIG  1075
#define IDC_BTN_SMALL_LEFT   1076
#define IDC_BTN_SMALL_RIGHT  1077
#define IDC_BTN_SMALL_MIDDLE 1078
#define IDC_BTN_SMALL_B4     1079
#define IDC_BTN_SMALL_B5     1080
#define IDC_BTN_ILLUSTRATION 1083
#define IDC_BTN_KEY_LEFT     1087
#define IDC_BTN_KEY_RIGHT    1088
#define IDC_BTN_KEY_MIDDLE   1089
#define IDC_BTN_LABEL_LEFT   1090
#define IDC_BTN_KEY_B4       1091
#define IDC_BTN_KEY_B5       1092
#define IDC_BTN_LABEL_B4     1093
#define IDC_BTN_LABEL_RIGHT  1094
#define IDC_BTN_LABEL_MIDDLE 1095
#define IDC_BTN_LABEL_B5     1096
#define IDC_BTN_SWAP_DECOR   1103
#define IDC_BTN_SWAP         1104
#define IDC_BTN_SWAP_LABEL   1107

// ---- Controls of the performance page (161) ----------------------------------
#define IDC_PERF_TRACK2      1055
#define IDC_PERF_TRACK1      1065
#define IDC_PERF_TRACK3      1067
#define IDC_PERF_TRACK4      1068
#define IDC_PERF_LABEL1      1069
#define IDC_PERF_LABEL2      1070
#define IDC_PERF_LABEL3      1071
#define IDC_PERF_LABEL4      1072
#define IDC_PERF_THUMB1      1073
#define IDC_PERF_LEVELS      1074
#define IDC_PERF_THUMB2      1075
#define IDC_PERF_THUMB3      1076
#define IDC_PERF_THUMB4      1077
#define IDC_PERF_RATE        1078
#define IDC_PERF_CAPTION_DPI 1105
#define IDC_PERF_CAPTION_RATE 1106
#define IDC_PERF_RATE_NAME   1108  // invisible label: the rate list's name
#define IDC_PERF_DPI_NUMBER  1109  // the chosen DPI as a number

// ---- Controls of the key capture dialog (189) --------------------------------
#define IDC_KEY_PROMPT       1084

// ---- Controls of the About dialog (100) ----------------------------------------
#define IDC_ABOUT_ICON       1201
#define IDC_ABOUT_NAME       1202
#define IDC_ABOUT_PURPOSE    1203

// ---- Main window class and single-instance marker ------------------------------
#define MV_MAIN_CLASS        "38C86C12-4A73-48d5-934E-44550D5BBF68"
// The main window's own class (a copy of the standard dialog class).
#define MV_WINDOW_CLASS      "Mirvostan.MainWindow"

// ---- Profiles page (148) and the keep dialog ----------------------------------
// Per-language page-button pictures 288..295 are named by the language table.
#define IDB_KEEP_OVER        298
#define IDB_KEEP             299
#define IDB_UNDO_OVER        300
#define IDB_UNDO             301
#define IDB_KEEP_EMBLEM      302
#define IDB_PROFILES_PAGE_BG 303
#define IDD_KEEP             310
#define IDC_PROF_FOLLOW      1301
#define IDC_PROF_RULES       1302
#define IDC_PROF_PROGRAM_LABEL 1303
#define IDC_PROF_PROGRAM     1304
#define IDC_PROF_BROWSE      1305
#define IDC_PROF_ADD         1306
#define IDC_PROF_REMOVE      1307
#define IDC_PROF_DEFAULT_LABEL 1308
#define IDC_PROF_DEFAULT     1309
#define IDC_PROF_CHOOSE_DEFAULT 1310
#define IDC_PROF_CLEAR_DEFAULT 1311
#define IDC_PROF_STATUS      1312
#define IDC_PROF_RULES_NAME  1313  // invisible label: the rule list's name
#define IDC_KEEP_EMBLEM      1320
#define IDC_KEEP_QUESTION    1321
#define IDC_KEEP_INFO        1322
#define IDC_KEEP_COUNTDOWN   1323
