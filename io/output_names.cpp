#include "io/output_names.h"

#include "platform/platform.h"

namespace tamro {

bool OutputNames::Taken(const std::wstring& name) const {
  return taken_.count(platform::FileNameKey(name)) != 0;
}

// The counter of a stem only grows, so however many items want one name, each
// finds its own in a step or two: the batch stays linear in its items.
std::wstring OutputNames::Choose(const std::wstring& name, std::wstring_view extension) {
  if (!Taken(name)) return name;
  const bool hasExtension =
      name.size() >= extension.size() &&
      std::wstring_view(name).substr(name.size() - extension.size()) == extension;
  const std::wstring stem = hasExtension ? name.substr(0, name.size() - extension.size()) : name;
  const std::wstring tail = hasExtension ? std::wstring(extension) : std::wstring();
  std::uint64_t& counter = next_.try_emplace(platform::FileNameKey(stem), 2).first->second;
  for (;; ++counter) {
    std::wstring candidate = stem + L'~' + std::to_wstring(counter) + tail;
    if (!Taken(candidate)) {
      ++counter;
      return candidate;
    }
  }
}

void OutputNames::Add(const std::wstring& name) {
  taken_.insert(platform::FileNameKey(name));
}

}  // namespace tamro
