#pragma once

// Resources of barshare.dll used by the toolbar buttons.
#define IDI_SHARE_BUTTON 100
#define IDS_SHARE_CAPTION 1
#define IDS_SHARE_TOOLTIP 2
#define IDS_SHARE_DESCRIPTION 3
