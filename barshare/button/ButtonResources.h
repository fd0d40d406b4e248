#pragma once

// Resources of barshare.dll used by the toolbar buttons and their windows.
#define IDI_SHARE_BUTTON 100
#define IDI_SHARE_NOTICE 283
#define IDS_SHARE_CAPTION 1
#define IDS_SHARE_TOOLTIP 2
#define IDS_SHARE_DESCRIPTION 3
#define IDS_SHARE_WINDOW_TITLE 4
#define IDD_SHARE_NOTICE 294
#define IDC_SHARE_NOTICE_TEXT 1000
