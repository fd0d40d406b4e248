#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "frame/XmlDocument.h"

// One DownloadItem of the document: a download that is not finished. The
// texts are cut to the fixed fields of the download record.
struct DownloadItemRecord {
  std::string fileName;
  int32_t fromMobile = 0;
  std::string md5;
  int32_t fileType = 0;
  uint32_t fileSize = 0;
  std::string comment;
  std::string localFileName;
};

// The columns of the download list that exist only while their element is
// in the document.
enum class OptionalColumn { UpSpeed, TimeUsed, DownloadNum, UploadNum, Comment };

// The user's "transmit%d.xml": download folder, tunnel counts, green
// channel, optional columns, pending downloads and the finished-transfer
// history, under the root Transmit. The download list owns it and changes it
// on the window thread only.
class TransferDocument {
 public:
  static constexpr size_t kNameMax = 259;
  static constexpr size_t kCommentMax = 64;
  static constexpr const char* kFolderWhenEmpty = "C:\\TvDownLoad";
  // Taken when the file cannot be read or parsed.
  static const char kDefaultText[];
  enum class Tunnel { Max, Member };

  TransferDocument();

  // "%s/config/transmit%d.xml" below the client data folder.
  static std::string PathFor(const std::string& dataFolder, uint32_t user);

  // Reads the file, or takes the default document when it cannot be read,
  // parsed or has no Transmit root; nothing is written. True when the file
  // was taken.
  bool Load(const std::string& path);
  // Writes the folder, the ask flag and `items` (in this order) into the tree
  // and the tree to the file; every other element stays as it is.
  bool Save(const std::vector<DownloadItemRecord>& items);
  const std::string& Path() const { return path_; }
  // Lets go of the tree; the document is empty afterwards.
  void Release() { tree_.reset(XmlDocument::NewDocument()); }
  XmlDocument& Tree() { return *tree_; }

  const std::string& DownloadFolder() const { return folder_; }
  bool AskForFolder() const { return askForFolder_; }
  void SetDownloadFolder(const std::string& folder) { folder_ = folder; }
  void SetAskForFolder(bool ask) { askForFolder_ = ask; }

  // The DownloadItem elements, in document order; an item without a
  // 32-digit MD5 is left out.
  std::vector<DownloadItemRecord> DownloadItems() const;

  // 10 when the element is missing; 4 or less is stored back as 5.
  int32_t TunnelCount(Tunnel tunnel);
  void SetTunnelCount(Tunnel tunnel, int32_t count);

  bool HasColumn(OptionalColumn column) const;
  void ShowColumn(OptionalColumn column, bool show);
  bool OtherPercent() const;
  void SetOtherPercent(bool on);

  std::vector<uint32_t> GreenChannel() const;
  // False when an element of that text exists already.
  bool AddGreenChannel(const std::string& number);
  void RemoveGreenChannel(const std::string& number);

  // A finished download in the history; `time` in seconds since 1970.
  XmlElement* AppendHasDownload(int32_t fileType, uint32_t fileSize, const std::string& localPath,
                                const std::string& comment, int64_t time);

 private:
  XmlElement* Root() const;
  XmlElement* RootChild(const char* name) const;
  XmlElement& TunnelElement(Tunnel tunnel);

  std::unique_ptr<XmlDocument, XmlElement::Releaser> tree_;
  std::string path_;
  std::string folder_;
  bool askForFolder_ = false;
};
