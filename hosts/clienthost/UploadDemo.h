#pragma once

#include <windows.h>

#include <string>

class LoggingHost;
class PluginInterface;
class WindowPicture;

// The upload side's part of the client host's run: the user's traffic log
// with records of yesterday and today laid out before Start, two uploads the
// client starts and drives through the records' callbacks, the upload list
// and both history lists with their pictures, and the upload record report
// the plug-in sent to the operator's server at start-up.
namespace UploadDemo {

std::string TrafficLogPath(const std::string& dataFolder, unsigned user);
// The traffic log: three records of yesterday (512, 512 and 1024) and one
// of today; the daily flow file of the program folder `bin`: 12 MiB counted
// yesterday.
bool LayOut(const std::string& dataFolder, const std::string& bin, unsigned user);
// Runs after the downloads with the main window shown; prints its report
// lines and saves upload-list.png, finished-downloads.png and
// finished-uploads.png in `work`. `reporting`: the operator's server has
// the upload record report switched on.
bool Drive(PluginInterface& plugin, LoggingHost& host, HWND main, WindowPicture& pictures, const std::string& work,
           const std::string& dataFolder, unsigned user, bool reporting);

}  // namespace UploadDemo
