// What several scenario files share besides e2e_support.h: the names of a
// folder's entries, whether a tool is installed, and the transcript of a batch
// in which every item converts, the most common one.
#pragma once

#include <cstdlib>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

#include "tests/e2e/e2e_support.h"

namespace tamro::e2e {

// As ListFolder gives them.
using Names = std::vector<std::string>;

inline bool OnPath(const char* tool) {
  return std::system((std::string("command -v ") + tool + " >/dev/null 2>&1").c_str()) == 0;
}

using ItemLine = Transcript& (Transcript::*)(std::string_view, std::string_view);
using FinalLines = Transcript& (Transcript::*)(int, int, std::string_view);

// After a batch's header: the items `names`, each one "OK", written by `item`
// (FileItem or ResourceItem), and the final report (`Summary` of tamro,
// `Compiled` of tamro-compile) of a batch that did them all.
inline Transcript EveryItemOk(Transcript header, ItemLine item,
                              std::initializer_list<std::string_view> names,
                              std::string_view outputFolder,
                              FinalLines report = &Transcript::Summary) {
  for (const std::string_view name : names) (header.*item)(name, "OK");
  const int total = static_cast<int>(names.size());
  return (header.*report)(total, total, outputFolder);
}

// tamro -file over the files `names` (as shown) of `folder`, each one "OK".
inline Transcript EveryFileOk(std::string_view folder,
                              std::initializer_list<std::string_view> names,
                              std::string_view outputFolder) {
  return EveryItemOk(Transcript().Converting(static_cast<int>(names.size()), folder),
                     &Transcript::FileItem, names, outputFolder);
}

// tamro -sys over the resources `names` of `module`, each one "OK".
inline Transcript EveryResourceOk(std::string_view module,
                                  std::initializer_list<std::string_view> names,
                                  std::string_view outputFolder) {
  return EveryItemOk(Transcript().Extracting(static_cast<int>(names.size()), module),
                     &Transcript::ResourceItem, names, outputFolder);
}

}  // namespace tamro::e2e
