#pragma once

// Resource and control identifiers shared by the program and its resources.
#define IDI_VEMOR 128
#define IDS_STOP_UPDATING 132

#define IDC_PROGRESS 1000
#define IDC_LAUNCH 1001
#define IDC_EXIT 1003

// The launcher window: the controls' dialog, the frame and its images.
#define IDD_MAIN 102
#define IDB_SKIN 130
#define IDB_LAUNCH 131
#define IDB_EXIT 132
#define IDD_FRAME 136
