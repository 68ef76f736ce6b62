#include "compile/compile_text.h"

#include "compile/blob_compiler.h"
#include "duib/blob_check.h"
#include "duib/blob_writer.h"

namespace tamro::compile {

CompileOutcome CompileText(ByteSource& source, const DecodePolicy& policy) {
  CompileOutcome outcome;
  if (!LooksLikeText(source)) {
    outcome.kind = CompileOutcome::Kind::NotText;
    return outcome;
  }
  BlobCompiler compiler;
  duib::BlobContent content;
  if (std::optional<TextError> error = ReadTags(source, policy, compiler)) {
    outcome.kind = CompileOutcome::Kind::Faulty;
    outcome.error = std::move(*error);
    return outcome;
  }
  if (!compiler.Finish(content, outcome.error)) {
    outcome.kind = CompileOutcome::Kind::Faulty;
    return outcome;
  }
  outcome.blob = duib::WriteBlob(content);
  content = duib::BlobContent();  // the blob holds it all now

  outcome.check =
      duib::CheckBlob(outcome.blob.data(), static_cast<std::uint32_t>(outcome.blob.size()));
  const bool readsBack = outcome.check.status == ConvertStatus::Ok ||
                         (outcome.check.status == ConvertStatus::Warnings &&
                          !outcome.check.residFailed && compiler.UsedPlaceholders());
  if (!readsBack) {
    outcome.kind = CompileOutcome::Kind::CheckFailed;
    outcome.blob.clear();
  }
  return outcome;
}

}  // namespace tamro::compile
