#pragma once
#define IDB_T_OVER 9001
#define IDB_T_REST 9002
#define IDB_T_PICTURE 9003
#define IDD_T_BUTTONS 9100
#define IDD_T_NOFONT 9200
#define IDC_T_IMAGE 9101
#define IDC_T_TEXT 9102
#define IDC_T_NEXT 9103
#define IDC_T_LABEL 9104
#define IDC_T_OPAQUE 9105
