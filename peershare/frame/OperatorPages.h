#pragma once

// Addresses of the operator's pages that the plug-in opens or shows.
constexpr const char* kNoticePage = "http://www.tovak.com/plugin/notice.htm";
constexpr const char* kHelpPage = "http://www.tovak.com/help/fileshare.htm";
constexpr const char* kQuickGuidePage = "http://www.tovak.com/help/quickguide.htm";
constexpr const char* kPlayerDownloadsPage = "http://www.tovak.com/help/players.htm";
constexpr const char* kClientDownloadPage = "http://www.tovak.com/download/";
constexpr const char* kCoinsByPhonePage = "http://www.tovak.com/help/coins_mobile.htm";
constexpr const char* kCoinsAreasPage = "http://www.tovak.com/service/mobile_areas.htm";
