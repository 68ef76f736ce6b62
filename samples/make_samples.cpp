// Writes the bundled samples: DUIB files of our own making (one that converts
// cleanly per UI, one with warnings), a UI file in text form that tamro skips, and
// a small module that carries them as UIFILE resources for the -sys mode.
//   make_samples FOLDER          write the samples into FOLDER
//   make_samples --check FOLDER  exit 1 unless FOLDER holds exactly these bytes
#include <cstdint>
#include <cstdio>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tests/builders/duib_builder.h"
#include "tests/builders/pe_builder.h"

namespace {

namespace fs = std::filesystem;
using namespace tamro::test;
using Bytes = std::vector<std::uint8_t>;

// A window in the style of ExplorerFrame's UIFILEs: a style sheet, then a border
// layout with a header and a client area; the resid table names the window.
Bytes WindowSample() {
  DuibBuilder b;
  const std::uint16_t sheet = b.String(u"sheet_main");
  const std::uint16_t window = b.String(u"window_main");
  const std::uint16_t header = b.String(u"atom(header)");
  const std::uint16_t body = b.String(u"atom(body)");
  const std::uint16_t title = b.String(u"Tamro sample window");
  const std::uint16_t face = b.String(u"Segoe UI;12;0");
  const std::uint16_t margin = b.String(u"rect(4rp,4rp,4rp,4rp)");
  b.Open(builtin::duixml)
      .Open(builtin::stylesheets)
      .Open(builtin::style, {{builtin::resid, sheet}})
      .Empty(builtin::Element, {{0x800C /* font */, face}, {0x8023 /* margin */, margin}})
      .Close(builtin::style)
      .Close(builtin::stylesheets)
      .Open(builtin::Element, {{builtin::resid, window}, {builtin::layout, 0x803F}})
      .Empty(builtin::Element, {{builtin::id, header},
                                {builtin::layoutpos, 0x8026 /* top */},
                                {builtin::content, title}})
      .Empty(builtin::Element, {{builtin::id, body},
                                {builtin::layoutpos, builtin::client},
                                {0x800B /* accessible */, builtin::True}})
      .Close(builtin::Element)
      .Close(builtin::duixml);
  b.Resid(window, 6);  // the element index of the window's open item
  return b.Build();
}

// A small dialog: a column of buttons with access names.
Bytes DialogSample() {
  DuibBuilder b;
  const std::uint16_t dialog = b.String(u"dialog_confirm");
  const std::uint16_t button = b.String(u"Button");
  const std::uint16_t ok = b.String(u"atom(ok)");
  const std::uint16_t cancel = b.String(u"atom(cancel)");
  const std::uint16_t okName = b.String(u"OK");
  const std::uint16_t cancelName = b.String(u"Cancel");
  b.Open(builtin::duixml)
      .Open(builtin::Element, {{builtin::resid, dialog}})
      .Empty(button, {{builtin::id, ok}, {0x8022 /* accname */, okName}})
      .Empty(button, {{builtin::id, cancel}, {0x8022 /* accname */, cancelName}})
      .Close(builtin::Element)
      .Close(builtin::duixml);
  b.Resid(dialog, 1);
  return b.Build();
}

// Converts with warnings: an element and an attribute value that no name table
// knows (written as placeholders), and a resid table that names another value.
Bytes WarningsSample() {
  DuibBuilder b;
  const std::uint16_t panel = b.String(u"panel_legacy");
  const std::uint16_t other = b.String(u"panel_renamed");
  b.Open(builtin::duixml)
      .Open(builtin::Element, {{builtin::resid, panel}})
      .Empty(0x9C40, {{builtin::width, 0x7A00}})
      .Close(builtin::Element)
      .Close(builtin::duixml);
  b.Resid(other, 1);
  return b.Build();
}

Bytes Text(std::string_view text) {
  return Bytes(text.begin(), text.end());
}

// The same UI written as mark-up text, as some modules store their UIFILEs (the
// RIBBON resource of ExplorerFrame.dll is such a one): not DUIB, so skipped.
const char kTextUi[] =
    "<duixml>\r\n"
    "\t<Element resid=\"ribbon_main\" layout=\"borderlayout()\">\r\n"
    "\t\t<Element id=\"atom(ribbon)\" layoutpos=\"top\"/>\r\n"
    "\t</Element>\r\n"
    "</duixml>\r\n";

Bytes ModuleSample() {
  PeBuilder pe(PeFormat::Pe32Plus);
  pe.AddSection(".text", Bytes(16, 0xC3));
  pe.AddUifile(PeKey::Id(23), DialogSample());
  pe.AddUifile(PeKey::Id(24), WarningsSample());
  pe.AddUifile(PeKey::Id(40960), WindowSample());
  pe.AddUifile(PeKey::Text(u"RIBBON"), Text(kTextUi));
  return pe.Build();
}

std::vector<std::pair<std::string, Bytes>> Samples() {
  return {
      {"uifiles/23.raw", DialogSample()},       {"uifiles/40960.raw", WindowSample()},
      {"uifiles/legacy.bin", WarningsSample()}, {"uifiles/ribbon.xml", Text(kTextUi)},
      {"modules/demo.dll", ModuleSample()},
  };
}

bool SameBytes(const fs::path& path, const Bytes& bytes) {
  std::ifstream in(path, std::ios::binary);
  if (!in) return false;
  const Bytes stored((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  return stored == bytes;
}

bool Write(const fs::path& path, const Bytes& bytes) {
  fs::create_directories(path.parent_path());
  std::ofstream out(path, std::ios::binary | std::ios::trunc);
  out.write(reinterpret_cast<const char*>(bytes.data()),
            static_cast<std::streamsize>(bytes.size()));
  return static_cast<bool>(out);
}

}  // namespace

int main(int argc, char** argv) {
  const bool check = argc == 3 && std::string_view(argv[1]) == "--check";
  if (argc != 2 && !check) {
    std::fprintf(stderr, "usage: make_samples [--check] FOLDER\n");
    return 2;
  }
  const fs::path folder = argv[argc - 1];
  int status = 0;
  for (const auto& [name, bytes] : Samples()) {
    if (check) {
      if (!SameBytes(folder / name, bytes)) {
        std::fprintf(stderr, "%s differs from what make_samples writes\n", name.c_str());
        status = 1;
      }
    } else if (!Write(folder / name, bytes)) {
      std::fprintf(stderr, "cannot write %s\n", name.c_str());
      status = 1;
    }
  }
  return status;
}
