// Which encoding a text is read in, decided before the first character is read.
#pragma once

#include <cstddef>
#include <cstdint>
#include <span>

#include "compile/byte_source.h"
#include "compile/text_decoder.h"

namespace tamro::compile {

struct EncodingChoice {
  TextEncoding encoding = TextEncoding::Utf8;
  std::size_t markLength = 0;  // bytes of the byte-order mark, which are no text
};

// A byte-order mark decides. Without one, UTF-8 unless `policy` has a legacy
// decoder: then UTF-8 only when the whole input is valid UTF-8 and holds a byte
// above 0x7F (one scan), the legacy decoder otherwise. Leaves the source rewound.
EncodingChoice ChooseEncoding(ByteSource& source, const DecodePolicy& policy);

// Copies the first bytes of the source into `head`, as many as fit; returns how
// many there were. Does not rewind.
std::size_t ReadHead(ByteSource& source, std::span<std::uint8_t> head);

}  // namespace tamro::compile
