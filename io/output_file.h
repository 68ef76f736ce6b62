// The ".tamro.txt" file that receives one item's XML text.
#pragma once

#include <string>
#include <string_view>

#include "io/item_result.h"

namespace tamro {

inline constexpr std::wstring_view kOutputExtension = L".tamro.txt";

// `name` made safe to stand as one file name in the destination folder: every
// path separator, drive colon, wild card, quote, angle bracket, bar and control
// character (U+0000 to U+001F) becomes '_'.
std::wstring SafeFileName(std::wstring_view name);

// The bytes that WriteOutputFile stores for `text`: the output encoding, every CR
// dropped and every LF written as CR LF, up to the text's first U+0000. Replaces
// `bytes`.
void OutputFileBytes(std::wstring_view text, std::string& bytes);

// Stores `text` at `path` in the output encoding with CR LF line ends. ResultOk
// when the complete file was written; ResultCreateFailed otherwise, in which case
// no partial file remains and an existing file is left as it was. Throws
// std::bad_alloc when memory runs out.
ItemCode WriteOutputFile(const std::wstring& path, std::wstring_view text);

}  // namespace tamro
