#pragma once

#include <string>

class LoggingHost;
class PluginInterface;

// The share library's part of the client host's run: a share document with
// a few categories and files laid out before Start, then the published copy,
// the host's questions about the share and what the worker fetched from the
// operator's server double.
namespace ShareDemo {

// The user's share document and the files it names, below the client's data
// folder and `work`.
bool LayOut(const std::string& work, const std::string& dataFolder, unsigned user);

// Runs after Start; prints its report lines as UTF-8. False when a check failed.
bool Drive(PluginInterface& plugin, LoggingHost& host, const std::string& executableFolder,
           const std::string& dataFolder, unsigned user, bool withOperator);

}  // namespace ShareDemo
