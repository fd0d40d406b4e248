#include "transfer/DailyFlowFile.h"

#include <windows.h>

#include "win/Handles.h"

namespace {

void PutLittleEndian(uint32_t value, uint8_t out[4]) {
  for (int i = 0; i < 4; ++i) out[i] = static_cast<uint8_t>(value >> (8 * i));
}

uint32_t GetLittleEndian(const uint8_t in[4]) {
  uint32_t value = 0;
  for (int i = 0; i < 4; ++i) value |= static_cast<uint32_t>(in[i]) << (8 * i);
  return value;
}

}  // namespace

std::string DailyFlowFile::PathIn(const std::string& programFolder) {
  return programFolder + "\\config\\flowReport.dat";
}

DailyFlowFile::Layout DailyFlowFile::Encode(const Record& record) {
  Layout bytes = {};
  PutLittleEndian(record.dayStamp, bytes.dayStamp);
  PutLittleEndian(static_cast<uint32_t>(record.mebibytes), bytes.mebibytes);
  return bytes;
}

DailyFlowFile::Record DailyFlowFile::Decode(const Layout& bytes) {
  Record record;
  record.dayStamp = GetLittleEndian(bytes.dayStamp);
  record.mebibytes = static_cast<int32_t>(GetLittleEndian(bytes.mebibytes));
  return record;
}

bool DailyFlowFile::Read(Record& record) const {
  win::UniqueFile file(CreateFileA(path_.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr,
                                   OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  Layout bytes = {};
  DWORD got = 0;
  if (!ReadFile(file.Get(), &bytes, kSize, &got, nullptr) || got != kSize) return false;
  record = Decode(bytes);
  return true;
}

bool DailyFlowFile::Overwrite(const Record& record) const { return Write(record, false); }

bool DailyFlowFile::Replace(const Record& record) const { return Write(record, true); }

bool DailyFlowFile::Write(const Record& record, bool create) const {
  win::UniqueFile file(CreateFileA(path_.c_str(), GENERIC_WRITE, FILE_SHARE_READ, nullptr,
                                   create ? CREATE_ALWAYS : OPEN_EXISTING, 0, nullptr));
  if (!file) return false;
  const Layout bytes = Encode(record);
  DWORD written = 0;
  return WriteFile(file.Get(), &bytes, kSize, &written, nullptr) && written == kSize && SetEndOfFile(file.Get());
}
