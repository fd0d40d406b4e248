#pragma once

#include <windows.h>

#include <string>

class LoggingHost;
class PluginInterface;

// The share library's part of the client host's run: a folder of sample
// files named by the share document and a media folder named by
// "shareDirectory.ini", laid out before Start; then what the worker hashed
// through the hash plug-in double and published to the host, the published
// copy, the host's questions about the share, a deletion the folder watch
// sees, and what the worker fetched from the operator's server double.
namespace ShareDemo {

// The user's share document and the files it names, below `work`, and the
// media folder of "shareDirectory.ini" in the executable folder's config.
bool LayOut(const std::string& work, const std::string& executableFolder, const std::string& dataFolder,
            unsigned user);

// Runs after Start; prints its report lines as UTF-8. False when a check failed.
bool Drive(PluginInterface& plugin, LoggingHost& host, const std::string& executableFolder,
           const std::string& dataFolder, unsigned user, bool withOperator);

// With the share page shown: selects the share tree's category that holds
// the most files and reports the tree and the rows of the file list.
bool ReportSharePage(HWND main);

}  // namespace ShareDemo
