#include "io/compile_work.h"

#include <memory>

#include "bytes/ascii_case.h"
#include "compile/compile_text.h"
#include "io/convert_work.h"
#include "io/output_file.h"
#include "io/paths.h"
#include "io/text_source.h"
#include "platform/ansi_text.h"
#include "platform/block_memory.h"

namespace tamro {
namespace {

constexpr std::string_view kOutOfMemory = "not enough memory to compile the text";

}  // namespace

std::wstring CompileWork::OutputName(const ItemSource& source) const {
  const std::wstring_view name = source.name;
  const bool converted =
      name.size() > kOutputExtension.size() &&
      EqualsIgnoringAsciiCase(name.substr(name.size() - kOutputExtension.size()), kOutputExtension);
  return SafeFileName(converted
                          ? std::wstring(name.substr(0, name.size() - kOutputExtension.size())) +
                                std::wstring(kBlobExtension)
                          : RenameExtension(name, kBlobExtension));
}

void CompileWork::Run(const ItemSource& source, ItemResult& result, OutputSink& output,
                      ItemStep& step) const {
  const std::unique_ptr<FileByteSource> text = FileByteSource::Open(source.path);
  if (!text) {
    result.code = ItemCode::ResultOpenFailed;
    return;
  }
  step = ItemStep::Transform;
  const compile::CompileOutcome outcome = compile::CompileText(
      *text, compile::DecodePolicy{platform::TextsMayBeAnsi() ? platform::DecodeAnsiText : nullptr},
      platform::LargeBlockMemory());
  if (text->Failed()) {
    result.code = ItemCode::ResultOpenFailed;  // what was read is not the whole text
    return;
  }
  switch (outcome.kind) {
    case compile::CompileOutcome::Kind::Compiled:
      step = ItemStep::Write;
      output.Write(std::string_view(reinterpret_cast<const char*>(outcome.blob.data()),
                                    outcome.blob.size()));
      return;
    case compile::CompileOutcome::Kind::NotText:
      result.code = ItemCode::ResultNotText;
      return;
    case compile::CompileOutcome::Kind::Faulty:
      result.code = ItemCode::ResultCompileFailed;
      result.line = outcome.error.at.line;
      result.column = outcome.error.at.column;
      result.message = outcome.error.message;
      return;
    case compile::CompileOutcome::Kind::CheckFailed:
      result.code = ItemCode::ResultCheckFailed;
      result.status = outcome.check.status;
      return;
  }
}

void CompileWork::OutOfMemory(ItemStep step, const ItemSource&, ItemResult& result) const {
  switch (step) {
    case ItemStep::Acquire:
      result.code = ItemCode::ResultOpenFailed;
      return;
    case ItemStep::Transform:
      result.code = ItemCode::ResultCompileFailed;
      result.line = 0;
      result.message = std::string(kOutOfMemory);
      return;
    case ItemStep::Write:
      break;
  }
  result.code = ItemCode::ResultCreateFailed;
}

}  // namespace tamro
