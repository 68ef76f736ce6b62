// What the engine needs from its caller to render: where the output bytes go,
// and how one string of the blob becomes bytes of the output file.
#pragma once

#include <string>
#include <string_view>

namespace tamro {

// Receives the rendered bytes in order, a bounded chunk at a time.
class OutputSink {
 public:
  virtual void Write(std::string_view bytes) = 0;

 protected:
  ~OutputSink() = default;
};

// Appends to `bytes` the output encoding of one blob string, given as its UTF-16
// code units (unpaired surrogates included). The platform supplies it; the
// engine applies the line-end rule to what it appends.
using StringEncoder = void (*)(std::u16string_view units, std::string& bytes);

}  // namespace tamro
