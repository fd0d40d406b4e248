#pragma once

#include <windows.h>

#include <string>

class LoggingHost;
class PluginInterface;
class WindowPicture;

// The transfer side's part of the client host's run: a transfer document
// with a pending download laid out before Start, then three downloads
// through the host's transfer doubles (one finishing, one running while the
// pending one waits in the queue, one refused for coins), the transfer
// window with its pictures, the history and the queue moving on.
namespace TransferDemo {

std::string DocumentPath(const std::string& dataFolder, unsigned user);
// The user's transfer document and the download folder below `work`.
bool LayOut(const std::string& work, const std::string& dataFolder, unsigned user);
// The paces of the transfer doubles and the percent of the pending download.
void PrepareHost(LoggingHost& host, const std::string& work);
// Runs after Start with the main window shown; prints its report lines as
// UTF-8 and saves transfer-window.png and download-list.png in `work`.
bool Drive(PluginInterface& plugin, HWND main, WindowPicture& pictures, const std::string& work,
           const std::string& dataFolder, unsigned user);

}  // namespace TransferDemo
