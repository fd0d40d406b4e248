#pragma once
/* Resource and control ids of the plug-in, shared by peershare.rc and the code. */

#define IDS_PLUGIN_NAME 1
#define IDI_PLUGIN 3038
#define IDR_SEARCH_ANIMATION 3261

/* Dialog templates */
#define IDD_INITIAL 3010
#define IDD_MAIN 3061
#define IDD_SHARE_PAGE 3020
#define IDD_SEARCH_CENTRE 3062
#define IDD_FRIEND_SHARES 3052
#define IDD_HOME 3242
#define IDD_COINS_PROMPT 3246

/* Main window: tab buttons */
#define IDC_TAB_HOME 3008
#define IDC_TAB_SEARCH 3107
#define IDC_TAB_SHARE 3046
#define IDC_TAB_FRIENDS 3047
/* Main window: search bar */
#define IDC_SEARCH_TEXT 3109
#define IDC_SEARCH_TYPE 3110
#define IDC_SEARCH_TARGET 3111
#define IDC_SEARCH_SCOPE 3112
#define IDC_SEARCH_START 3113
#define IDC_SEARCH_STOP 3101
/* Main window: other commands */
#define IDC_MAIL_RECOMMEND 3139
#define IDC_HELP_PAGE 3114
#define IDC_QUICK_GUIDE 3177
#define IDC_PLAYER_DOWNLOADS 3178
#define IDC_MAIL_REPORT 3175
#define IDC_MAIN_BUTTON 3108
#define IDC_MAIN_BUTTON2 3143
#define IDC_EXTRA_BUTTON1 3138
#define IDC_EXTRA_BUTTON2 3140
#define IDC_STATUS_LINE 3142
#define IDC_HTML_VIEW 59748
#define IDC_SEARCH_ANIMATION 3260

/* Friend panel */
#define IDC_PEER_TREE 3102
#define IDC_PEER_FILES 3103

/* Coins prompt */
#define IDC_COINS_TEXT 3247
#define IDC_COINS_PHONE_LINK 3248
#define IDC_COINS_AREAS_LINK 3249
#define IDC_COINS_UPGRADE 3250
