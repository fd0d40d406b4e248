#pragma once

#include <windows.h>

#include <string>

class LoggingHost;
class PluginInterface;
class WindowPicture;

// The search side's part of the client host's run: the keyword lists laid
// out before Start; refused queries with their messages; two searches whose
// results the host reports; a download from a results page; the mails of a
// page opened through a "mailto:" handler that logs them; the mail plug-in
// double opened, closed by its "done" and unloaded.
namespace SearchDemo {

// The keyword lists below the client data folder, and the mail plug-in
// double into Plugins.
bool LayOut(const std::string& programFolder, const std::string& dataFolder, const std::string& binFolder);
// Runs after Start; prints its report lines and saves search-centre.png,
// search-results.png and mail-plugin.png in `work`.
bool Drive(PluginInterface& plugin, LoggingHost& host, HWND main, WindowPicture& pictures, const std::string& work,
           const std::string& binFolder);

}  // namespace SearchDemo
