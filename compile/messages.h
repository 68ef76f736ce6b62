// What the reader says when it cannot read a text. Each message names the fault
// in the reader's words only: no input bytes, so a message is safe on any console.
#pragma once

#include <string_view>

namespace tamro::compile::message {

inline constexpr std::string_view kTextOutsideTag = "text outside a tag";
inline constexpr std::string_view kElementName = "element name expected";
inline constexpr std::string_view kAttributeName = "attribute name expected";
inline constexpr std::string_view kMalformedPlaceholder =
    "malformed placeholder (four places, blanks then upper-case hex digits)";
inline constexpr std::string_view kEquals = "'=' expected after attribute name";
inline constexpr std::string_view kValueQuote = "attribute value must be in quotation marks";
inline constexpr std::string_view kValueEnd = "attribute value has no closing quotation mark";
inline constexpr std::string_view kTagEnd = "'>' expected";
inline constexpr std::string_view kCloseTagEmpty = "close tag cannot end with '/>'";
inline constexpr std::string_view kCommentEnd = "comment has no end";
inline constexpr std::string_view kDeclarationEnd = "declaration has no end";
inline constexpr std::string_view kZeroCharacter = "character U+0000 cannot be stored";
inline constexpr std::string_view kInvalidUtf8 = "invalid UTF-8";
inline constexpr std::string_view kInvalidUtf16 = "invalid UTF-16";
inline constexpr std::string_view kInvalidCodePage = "character not valid in the text's code page";

}  // namespace tamro::compile::message
