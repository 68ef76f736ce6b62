// The ".tamro.txt" file that receives one item's XML text.
#pragma once

#include <memory>
#include <string>
#include <string_view>

#include "engine/output_sink.h"
#include "io/item_result.h"
#include "platform/platform.h"

namespace tamro {

// `name` made safe to stand as one file name in the destination folder: every
// path separator, drive colon, wild card, quote, angle bracket, bar and control
// character (U+0000 to U+001F) becomes '_'.
std::wstring SafeFileName(std::wstring_view name);

// Where one item's output bytes go: the file at `path`, created when the first
// bytes come, written through the platform's OutputFile into a temporary file
// and put in place by Commit. A file that cannot be created or written takes no
// more bytes; dropping the sink without Commit leaves nothing behind.
class OutputFileSink final : public OutputSink {
 public:
  explicit OutputFileSink(std::wstring path);

  void Write(std::string_view bytes) override;

  // ItemCode::ResultOk when the complete file stands at the path (an empty one when no
  // bytes came); ItemCode::ResultCreateFailed when it could not be created, written or put
  // in place, in which case an existing file is left as it was.
  ItemCode Commit();

 private:
  void Open();

  std::wstring path_;
  std::unique_ptr<platform::OutputFile> file_;
  bool failed_ = false;
};

}  // namespace tamro
