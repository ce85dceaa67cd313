#pragma once
// Identifiers of the program's resources (dialog templates, controls,
// strings and the icon). Included by the resource script and the dialogs.

#define IDD_START_DIALOG 102
#define IDD_PROGRESS_DIALOG 129
#define IDD_RESTART_DIALOG 130
#define IDD_DONE_DIALOG 139
#define IDD_ADMIN_ABORT_DIALOG 140
#define IDD_VERSION_ABORT_DIALOG 141

#define IDI_QUILLET 134

#define IDC_PROGRESS_BAR 1000
#define IDC_RESTART_YES 1007
#define IDC_RESTART_NO 1008
#define IDC_START_EDIT 1008
#define IDC_START_PICTURE 1009
#define IDC_RESTART_TEXT 1011
#define IDC_DONE_TEXT 1012
#define IDC_VERSION_FIRST_LINE 1013
#define IDC_VERSION_SECOND_LINE 1014

#define IDS_UPDATE_DONE 1
#define IDS_RESTART_NEEDED 2
#define IDS_INSTALLED_VERSION 3
#define IDS_FOR_VERSION_OR_LATER 4
#define IDS_FOR_VERSION_OR_EARLIER 5
