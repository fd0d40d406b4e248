#include "transfer/DownloadPrompts.h"

#include "frame/CoinsPrompt.h"
#include "transfer/CommentDialog.h"
#include "transfer/DownloadRestrictionPrompt.h"
#include "transfer/FolderBrowser.h"

namespace {
constexpr const char* kCaption = "拓瓦";
}  // namespace

void WindowPrompts::Message(const std::string& text) {
  MessageBoxA(owner_, text.c_str(), kCaption, MB_OK | MB_ICONINFORMATION);
}

bool WindowPrompts::Confirm(const std::string& text) {
  return MessageBoxA(owner_, text.c_str(), kCaption, MB_OKCANCEL | MB_ICONQUESTION) == IDOK;
}

void WindowPrompts::CoinsShort() { CoinsPrompt(host_).Show(owner_); }

void WindowPrompts::DownloadRestricted() { DownloadRestrictionPrompt().Show(owner_); }

bool WindowPrompts::ChooseFolder(const std::string& start, std::string& folder, bool& askEveryTime) {
  return FolderBrowser::Browse(owner_, start, folder, askEveryTime);
}

bool WindowPrompts::AskComment(std::string& comment) { return CommentDialog::Ask(owner_, comment); }
