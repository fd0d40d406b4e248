#pragma once

#include <cstdint>
#include <set>
#include <string>

#include "controls/Dialog.h"

class TransferDocument;

// Dialog 3115: the green-channel list. "增加" adds the number in the field
// to the drop-down list, to the set and to the document; "删除" removes the
// selected one from all three. The document reaches the disk with its next
// save.
class GreenChannelDialog : public Dialog {
 public:
  GreenChannelDialog(TransferDocument& document, std::set<uint32_t>& numbers)
      : document_(document), numbers_(numbers) {}

  INT_PTR Show(HWND owner);
  bool Open(HWND owner);
  // A user number: 1 to 10 digits that fit 32 bits.
  static bool IsNumber(const std::string& text);

 protected:
  bool OnInitDialog() override;
  bool OnCommand(int id, int code) override;

 private:
  void AddNumber();
  void RemoveSelected();

  TransferDocument& document_;
  std::set<uint32_t>& numbers_;
};
