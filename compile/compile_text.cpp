#include "compile/compile_text.h"

#include "compile/blob_compiler.h"
#include "duib/blob_check.h"
#include "duib/blob_writer.h"

namespace tamro::compile {
namespace {

// Reads the whole text into `compiler`; false with the fault in `outcome`.
bool Read(ByteSource& source, const DecodePolicy& policy, BlobCompiler& compiler,
          CompileOutcome& outcome) {
  std::optional<TextError> error = ReadTags(source, policy, compiler);
  if (!error) return true;
  outcome.kind = CompileOutcome::Kind::Faulty;
  outcome.error = std::move(*error);
  return false;
}

}  // namespace

CompileOutcome CompileText(ByteSource& source, const DecodePolicy& policy,
                           const BlockMemory& memory) {
  CompileOutcome outcome;
  if (!LooksLikeText(source)) {
    outcome.kind = CompileOutcome::Kind::NotText;
    return outcome;
  }
  // A placeholder of a string ID keeps that ID from every string. Texts rarely
  // show one; one that does is read again, once its kept IDs are all known.
  // A first reading that failed before it met them all may blame the wrong line
  // for the limit of string IDs: the second one knows.
  BlobCompiler compiler({}, memory);
  const bool read = Read(source, policy, compiler, outcome);
  const bool usedPlaceholders = compiler.UsedPlaceholders();
  if (!read && compiler.KeptIndexesKnown()) return outcome;
  duib::BlobContent content;
  if (compiler.KeptIndexesKnown()) {
    content = compiler.Finish();
  } else {
    BlobCompiler again(compiler.KeptIndexes(), memory);
    outcome = CompileOutcome();
    if (!Read(source, policy, again, outcome)) return outcome;
    content = again.Finish();
  }
  // The compiler refused any text past the format's 4 GiB at its line, so the
  // blob is written whole; were it not, the check below would refuse it.
  outcome.blob = duib::WriteBlob(std::move(content));

  outcome.check =
      duib::CheckBlob(outcome.blob.data(), static_cast<std::uint32_t>(outcome.blob.size()));
  const bool readsBack = outcome.check.status == ConvertStatus::Ok ||
                         (outcome.check.status == ConvertStatus::Warnings &&
                          !outcome.check.residFailed && usedPlaceholders);
  if (!readsBack) {
    outcome.kind = CompileOutcome::Kind::CheckFailed;
    outcome.blob.clear();
  }
  return outcome;
}

}  // namespace tamro::compile
