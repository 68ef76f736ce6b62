#!/usr/bin/env bash
# Builds the two release packages and shows what is in them: the Windows .zip
# (build/mingw) and the Linux .tar.gz (build/release). Each must hold exactly the
# program and README.md.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh

# $1 preset, $2 program file name
package() {
  local preset=$1 program=$2 archive contents expected
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target tamro
  rm -f build/"$preset"/tamro-*.zip build/"$preset"/tamro-*.tar.gz
  (cd build/"$preset" && cpack >/dev/null)
  archive=$(find build/"$preset" -maxdepth 1 \( -name 'tamro-*.zip' -o -name 'tamro-*.tar.gz' \))
  echo "$archive:"
  cmake -E tar tf "$archive" | sed 's/^/  /'
  # Below the archive's one top folder: the program and README.md, nothing else.
  contents=$(cmake -E tar tf "$archive" | sed 's|^[^/]*/||' | grep -v '^$' | sort | tr '\n' ' ')
  expected=$(printf '%s\n' "$program" README.md | sort | tr '\n' ' ')
  if [ "$contents" != "$expected" ]; then
    echo "package.sh: $archive holds '$contents', not '$expected'" >&2
    exit 1
  fi
}

package mingw tamro.exe
package release tamro
