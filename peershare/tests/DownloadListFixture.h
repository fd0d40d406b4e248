#pragma once

#include <windows.h>

#include <gtest/gtest.h>

#include <cstdio>
#include <functional>
#include <memory>
#include <string>
#include <vector>

#include "HostReport.h"
#include "LoggingHost.h"
#include "TempFolder.h"
#include "transfer/DownloadList.h"
#include "transfer/DownloadPrompts.h"

// Answers the download list's questions by itself and remembers them.
class RecordingPrompts : public DownloadPrompts {
 public:
  std::vector<std::string> messages;
  int confirms = 0, coinsShort = 0, restricted = 0, folderQuestions = 0, commentQuestions = 0;
  bool confirmAnswer = true;
  // The folder the user picks; empty: the user cancels.
  std::string folderAnswer;
  bool askEveryTimeAnswer = true;
  std::string folderStart;
  std::string commentAnswer = "注释";
  bool commentGiven = true;

  void Message(const std::string& text) override { messages.push_back(text); }
  bool Confirm(const std::string& text) override {
    ++confirms;
    messages.push_back(text);
    return confirmAnswer;
  }
  void CoinsShort() override { ++coinsShort; }
  void DownloadRestricted() override { ++restricted; }
  bool ChooseFolder(const std::string& start, std::string& folder, bool& askEveryTime) override {
    ++folderQuestions;
    folderStart = start;
    askEveryTime = askEveryTimeAnswer;
    if (folderAnswer.empty()) return false;
    folder = folderAnswer;
    return true;
  }
  bool AskComment(std::string& comment) override {
    ++commentQuestions;
    comment = commentAnswer;
    return commentGiven;
  }
};

inline void Pump(DWORD milliseconds) {
  DWORD end = GetTickCount() + milliseconds;
  do {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
      TranslateMessage(&message);
      DispatchMessageA(&message);
    }
    if (milliseconds > 0) Sleep(1);
  } while (static_cast<LONG>(end - GetTickCount()) > 0);
}

// 32 hexadecimal digits made from a number.
inline std::string HashOf(unsigned number) {
  char hash[40];
  std::snprintf(hash, sizeof hash, "%08x%08x%08x%08x", number, number * 7u, number * 13u, number ^ 0xA5A5A5A5u);
  return hash;
}

// A download list in a window of its own (hidden: a test that looks at the
// drawing shows it), with a logging host, prompts
// that answer by themselves and a client laid out in a folder of the test's
// own: Tovak\bin is the program folder, Tovak\config holds the document,
// Tovak\downloads is the download folder.
class DownloadListTest : public ::testing::Test {
 protected:
  static constexpr uint32_t kUser = 10001;
  static constexpr uint32_t kMiB = 1048576;

  DownloadListTest() {
    for (const std::string& folder : {Data(), Data() + "\\config", Bin(), Folder()})
      CreateDirectoryA(folder.c_str(), nullptr);
    parent_ = CreateWindowExA(0, "STATIC", "transfers", WS_OVERLAPPEDWINDOW | WS_CLIPCHILDREN, 0, 0, 900, 420, nullptr,
                              nullptr, nullptr, nullptr);
  }
  ~DownloadListTest() override {
    list_.reset();
    if (parent_ != nullptr) DestroyWindow(parent_);
  }

  std::string Data() const { return temp_.File("Tovak"); }
  std::string Bin() const { return Data() + "\\bin"; }
  std::string Folder() const { return Data() + "\\downloads"; }
  std::string DocumentPath() const { return TransferDocument::PathFor(Data(), kUser); }

  // Writes the document, with the download folder, before the list loads it.
  void WriteDocument(const std::string& inner) {
    ASSERT_TRUE(WriteFileBytes(DocumentPath(), "<?xml version=\"1.0\" encoding=\"gb2312\"?>\r\n<Transmit>\r\n"
                                                   "<DownloadPath selectDir=\"0\">\r\n" +
                                                       Folder() + "</DownloadPath>\r\n" + inner + "</Transmit>\r\n"));
  }

  // A list opened again starts from an empty document.
  DownloadList& Open(int32_t coins = 1000) {
    if (list_ != nullptr) {
      list_.reset();
      DeleteFileA(DocumentPath().c_str());
    }
    list_ = std::make_unique<DownloadList>(&host_, Bin());
    list_->SetPrompts(&prompts_);
    list_->SetDocumentPath(DocumentPath());
    list_->SetUser(kUser);
    list_->SetCoins(coins);
    RECT area = {0, 0, 880, 380};
    EXPECT_TRUE(list_->Create(parent_, 100, area));
    if (list_->Document().DownloadFolder() != Folder()) list_->Document().SetDownloadFolder(Folder());
    return *list_;
  }

  DownloadList::Request Request(unsigned number, const std::string& name, uint32_t size) const {
    DownloadList::Request request;
    request.hash = HashOf(number);
    request.category = 3;
    request.fileName = name;
    request.size = size;
    return request;
  }

  int32_t Add(unsigned number, const std::string& name, uint32_t size) {
    return list_->Add(Request(number, name, size));
  }

  DownloadTask* Task(unsigned number) const { return list_->FindTaskByHash(HashOf(number)); }
  TransferDouble* Transfer(unsigned number) const { return host_.TransferOf(HashOf(number)); }

  // The text a row shows in a logical column, read back from the control.
  std::string Cell(int row, int column) const {
    int position = -1;
    const auto& shown = list_->ShownColumns();
    for (size_t i = 0; i < shown.size(); ++i)
      if (shown[i] == column) position = static_cast<int>(i);
    return position < 0 ? std::string("(hidden)") : list_->Control().ItemText(row, position);
  }

  void SelectRows(const std::vector<int>& rows) { list_->Control().SelectOnly(rows); }

  // How many logged host calls contain `part`.
  int CallsContaining(const std::string& part) const {
    int count = 0;
    for (const std::string& call : host_.Calls()) count += call.find(part) != std::string::npos ? 1 : 0;
    return count;
  }

  TempFolder temp_;
  LoggingHost host_;
  RecordingPrompts prompts_;
  HWND parent_ = nullptr;
  std::unique_ptr<DownloadList> list_;
};
