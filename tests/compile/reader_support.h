// Test doubles for the text reader: a source that cuts its bytes into pieces of a
// given size, a handler that writes down what it is handed, legacy decoders.
#pragma once

#include <gtest/gtest.h>

#include <cstdint>
#include <cstdio>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "compile/tag_reader.h"

namespace tamro::compile::test {

// Cuts the bytes into pieces of the sizes given, taken in turn. Each piece is a
// fresh heap copy of its exact size, and the one before is freed: under ASan, a
// read past a piece or of a piece no longer valid is reported.
class PieceSource final : public ByteSource {
 public:
  PieceSource(std::string_view bytes, std::size_t pieceSize)
      : PieceSource(bytes, std::vector<std::size_t>{pieceSize}) {}
  PieceSource(std::string_view bytes, std::vector<std::size_t> sizes)
      : bytes_(bytes), sizes_(std::move(sizes)) {}

  std::span<const std::uint8_t> Next() override {
    const std::string_view piece = bytes_.substr(at_, sizes_[pieces_++ % sizes_.size()]);
    at_ += piece.size();
    furthest_ = std::max(furthest_, at_);
    piece_.assign(piece.begin(), piece.end());
    piece_.shrink_to_fit();
    return piece_;
  }
  void Rewind() override {
    at_ = 0;
    pieces_ = 0;
    ++rewinds_;
  }

  std::size_t at() const { return at_; }
  std::size_t furthest() const { return furthest_; }
  int rewinds() const { return rewinds_; }

 private:
  std::string_view bytes_;
  std::vector<std::size_t> sizes_;
  std::size_t pieces_ = 0;
  std::size_t at_ = 0;
  std::size_t furthest_ = 0;
  int rewinds_ = 0;
  std::vector<std::uint8_t> piece_;
};

// Writes each call down as one event: "open:a", "b=c", ">" (a finished tag's
// end) or "..." (unfinished), joined by '|'; a placeholder is '#' and its ID in
// hex. The positions go to a list of their own. Answers the call numbered
// `stopAt` (from 0) with "stop".
class Recorder final : public TagHandler {
 public:
  std::string events;
  std::string positions;
  int calls = 0;
  int stopAt = -1;

  std::string_view OnTag(TagKind kind, const Word& name, const CallPosition& at) override {
    const char* kinds[] = {"open:", "empty:", "close:"};
    return Note(kinds[static_cast<int>(kind)] + Text(name), at);
  }
  std::string_view OnAttribute(const Word& name, const Word& value,
                               const CallPosition& at) override {
    return Note(Text(name) + "=" + Text(value), at);
  }
  std::string_view OnTagEnd(bool finished, const CallPosition& at) override {
    return Note(finished ? ">" : "...", at);
  }

 private:
  static std::string Text(const Word& word) {
    if (!word.placeholder) return std::string(word.text);
    EXPECT_TRUE(word.text.starts_with("UNKNOWN_")) << word.text;
    char id[8];
    std::snprintf(id, sizeof id, "#%X", unsigned{*word.placeholder});
    return id;
  }
  std::string_view Note(const std::string& event, const CallPosition& call) {
    const TextPosition at = call.Get();
    if (!events.empty()) events += '|';
    events += event;
    if (!positions.empty()) positions += ' ';
    positions += std::to_string(at.line) + ':' + std::to_string(at.column);
    return calls++ == stopAt ? "stop" : "";
  }
};

struct Reading {
  std::string events;
  std::string positions;
  std::optional<TextError> error;

  // Everything, for comparing two readings.
  std::string Summary() const {
    std::string text = events + "\n" + positions;
    if (error) {
      text += "\n" + error->message + " at " + std::to_string(error->at.line) + ":" +
              std::to_string(error->at.column);
    }
    return text;
  }
};

// The pieces the legacy decoders below were given during the last reading, to
// check how they are cut.
inline std::vector<std::string> legacyPieces;

inline Reading ReadInPieces(std::string_view bytes, std::vector<std::size_t> pieceSizes,
                            DecodePolicy policy = {}, int stopAt = -1) {
  legacyPieces.clear();
  PieceSource source(bytes, std::move(pieceSizes));
  Recorder recorder;
  recorder.stopAt = stopAt;
  Reading reading;
  reading.error = ReadTags(source, policy, recorder);
  reading.events = recorder.events;
  reading.positions = recorder.positions;
  return reading;
}

inline Reading ReadInPieces(std::string_view bytes, std::size_t pieceSize, DecodePolicy policy = {},
                            int stopAt = -1) {
  return ReadInPieces(bytes, std::vector<std::size_t>{pieceSize}, policy, stopAt);
}

// Legacy decoders. Every byte is the character of that number, as in ISO 8859-1.
inline bool DecodeLatin1(std::span<const std::uint8_t> bytes, std::u16string& units) {
  legacyPieces.emplace_back(bytes.begin(), bytes.end());
  for (const std::uint8_t b : bytes) units.push_back(b);
  return true;
}

// As DecodeLatin1, but byte 0x81 has no character, as in code page 1252.
inline bool DecodeRefusing81(std::span<const std::uint8_t> bytes, std::u16string& units) {
  for (const std::uint8_t b : bytes) {
    if (b == 0x81) return false;
  }
  return DecodeLatin1(bytes, units);
}

inline constexpr DecodePolicy kUtf8Policy{};
inline constexpr DecodePolicy kLatin1Policy{DecodeLatin1};
inline constexpr DecodePolicy kRefusingPolicy{DecodeRefusing81};

// Code units as the bytes of a UTF-16 file, with its byte-order mark.
inline std::string Utf16Le(std::u16string_view units) {
  std::string bytes = "\xFF\xFE";
  for (const char16_t u : units) bytes += {static_cast<char>(u & 0xFF), static_cast<char>(u >> 8)};
  return bytes;
}
inline std::string Utf16Be(std::u16string_view units) {
  std::string bytes = "\xFE\xFF";
  for (const char16_t u : units) bytes += {static_cast<char>(u >> 8), static_cast<char>(u & 0xFF)};
  return bytes;
}

}  // namespace tamro::compile::test
