// One text compiled into a DUIB blob, and the blob checked by reading it back.
#pragma once

#include <cstdint>
#include <vector>

#include "compile/byte_source.h"
#include "compile/tag_reader.h"
#include "compile/text_decoder.h"
#include "duib/blob_bytes.h"
#include "duib/walk.h"

namespace tamro::compile {

struct CompileOutcome {
  enum class Kind {
    Compiled,    // `blob` holds the blob
    NotText,     // the input is no text (binary bytes, a DUIB blob given by mistake)
    Faulty,      // `error` says where and why the text cannot be compiled
    CheckFailed  // the blob does not read back as it must: `check` says how
  };
  Kind kind = Kind::Compiled;
  duib::BlobBytes blob;
  TextError error;
  duib::WalkResult check;
};

// Reads the whole text from `source` and compiles it. The blob must read back
// with status Ok, or with warnings only for the names that the text's
// placeholders show; anything else is a fault of the compiler, never written.
// The blob's block comes from `memory`.
CompileOutcome CompileText(ByteSource& source, const DecodePolicy& policy,
                           const BlockMemory& memory = HeapMemory());

}  // namespace tamro::compile
