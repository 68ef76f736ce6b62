#include <array>
#include <cstring>

#include "compile/encoding_choice.h"
#include "compile/tag_reader.h"

namespace tamro::compile {

bool LooksLikeText(ByteSource& source) {
  std::array<std::uint8_t, 8000> head;
  const std::size_t size = ReadHead(source, head);
  source.Rewind();
  if (size >= 2 && ((head[0] == 0xFF && head[1] == 0xFE) || (head[0] == 0xFE && head[1] == 0xFF))) {
    return true;
  }
  return std::memchr(head.data(), 0, size) == nullptr;
}

}  // namespace tamro::compile
