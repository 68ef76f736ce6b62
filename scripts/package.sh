#!/usr/bin/env bash
# Builds the release packages and checks them as a user meets them:
#   build/mingw/tamro-<version>-win64.zip      tamro.exe, tamro-compile.exe, README.md, LICENSE
#   build/release/tamro_<version>_amd64.deb    /usr/bin/tamro, /usr/bin/tamro-compile, their
#                                              man pages, /usr/share/doc/tamro/
#   build/release/tamro-<version>-Linux.tar.gz the same files below one top folder,
#                                              and share/doc/tamro/LICENSE
# Each package carries the licence: the .deb in its copyright file (Debian wants it
# there and nowhere else), the others as LICENSE. The Linux program needs only the
# C library; lintian finds no error in the .deb; the program installed from it
# converts the bundled samples exactly as the build's own program does; the man
# page renders without warnings; and `cmake --install` installs the files of the
# tar.gz.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/install-deps.sh packaging

tree=$PWD
scratch=$PWD/build/package-check
rm -rf "$scratch"
mkdir -p "$scratch"

fail() {
  echo "package.sh: $*" >&2
  exit 1
}

# $1 preset, then the targets to build; leaves fresh packages in build/$1.
pack() {
  local preset=$1
  shift
  cmake --preset "$preset" >/dev/null
  cmake --build --preset "$preset" --target "$@"
  rm -f build/"$preset"/tamro-*.zip build/"$preset"/tamro-*.tar.gz build/"$preset"/tamro_*.deb
  (cd build/"$preset" && cpack >/dev/null)
}

# $1 what, $2 the files it holds, $3 the files it must hold (both one per line).
expect_files() {
  if [ "$(sort <<<"$2")" != "$(sort <<<"$3")" ]; then
    fail "$1 holds [$(echo $2)], not [$(echo $3)]"
  fi
}

# Files only, each without its first $2 path components.
files_below() {
  grep -v '/$' | cut -d/ -f"$(($1 + 1))"- | grep -v '^$'
}

echo "== Windows: zip =="
pack mingw tamro tamro-compile
zip=$(echo build/mingw/tamro-*-win64.zip)
cmake -E tar tvf "$zip"
expect_files "$zip" "$(cmake -E tar tf "$zip" | files_below 1)" \
  "$(printf '%s\n' tamro.exe tamro-compile.exe README.md LICENSE)"
mkdir "$scratch/zip"
(cd "$scratch/zip" && cmake -E tar xf "$tree/$zip")
cmp LICENSE "$(echo "$scratch"/zip/*/LICENSE)" || fail "$zip holds another LICENSE"

echo "== Linux: program, .deb, tar.gz =="
pack release tamro tamro-compile tamro_docs
version=$(sed -n 's/^CMAKE_PROJECT_VERSION:STATIC=//p' build/release/CMakeCache.txt)
deb=build/release/tamro_${version}_amd64.deb
tgz=build/release/tamro-${version}-Linux.tar.gz
linux_files=$(printf '%s\n' bin/tamro bin/tamro-compile share/man/man1/tamro.1.gz \
  share/man/man1/tamro-compile.1.gz share/doc/tamro/README.md share/doc/tamro/copyright \
  share/doc/tamro/changelog.gz)
licence_file=share/doc/tamro/LICENSE

scripts/check-linkage.sh build/release/tamro-compile >/dev/null
linkage=$(scripts/check-linkage.sh build/release/tamro)
echo "$linkage"
oldest_glibc=$(sed -n 's/.*oldest glibc it runs on: \([0-9.]*\).*/\1/p' <<<"$linkage")

echo "$deb:"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"
expect_files "$deb" "$(dpkg-deb --fsys-tarfile "$deb" | tar -t | files_below 2)" "$linux_files"
for field in Package Version Architecture Maintainer Section Priority Depends Description; do
  [ -n "$(dpkg-deb --field "$deb" "$field")" ] || fail "$deb has no $field field"
done
[ "$(dpkg-deb --field "$deb" Architecture)" = amd64 ] || fail "$deb is not for amd64"
depends=$(dpkg-deb --field "$deb" Depends)
[ "$depends" = "libc6 (>= $oldest_glibc)" ] ||
  fail "$deb depends on '$depends', the program on glibc $oldest_glibc"
changelog_version=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/tamro/changelog.gz |
  gzip -dc | sed -n '1s/^tamro (\(.*\)).*/\1/p')
[ "$changelog_version" = "$version" ] || fail "changelog's last entry is $changelog_version, not $version"
# The copyright file names the licence of tamro's own files and holds its text.
copyright=$(dpkg-deb --fsys-tarfile "$deb" | tar -xO ./usr/share/doc/tamro/copyright)
grep -A2 -x 'Files: \*' <<<"$copyright" | grep -qx 'License: Expat' ||
  fail "$deb's copyright file gives tamro's own files no Expat licence"
grep -A1 -x 'License: Expat' <<<"$copyright" | grep -q '^ Permission is hereby granted' ||
  fail "$deb's copyright file lacks the text of the Expat licence"
grep -q "^\.TH TAMRO 1 .*\"tamro $version\"" docs/tamro.1 || fail "docs/tamro.1 is not for tamro $version"
grep -q "^\.TH TAMRO-COMPILE 1 .*\"tamro $version\"" docs/tamro-compile.1 ||
  fail "docs/tamro-compile.1 is not for tamro $version"

echo "lintian $deb:"
lint_status=0
lint=$(lintian --display-info --fail-on error "$deb" 2>&1) || lint_status=$?
grep -v 'running with root privileges' <<<"$lint" || echo "  (no tags)"
[ "$lint_status" -eq 0 ] || fail "lintian reports errors in $deb"

echo "== the program installed from the .deb =="
root=$scratch/root
dpkg-deb -x "$deb" "$root"
scripts/check-linkage.sh "$root/usr/bin/tamro" >/dev/null
scripts/check-linkage.sh "$root/usr/bin/tamro-compile" >/dev/null
# $1 folder of the programs, $2 folder: each run in a folder of its own and with
# an empty environment, so that the console reports can be compared. The samples
# go through tamro, back through tamro-compile, and through tamro again.
samples=$PWD/samples
convert_samples() {
  mkdir -p "$2"
  (cd "$2" && env -i "$1/tamro" -file "$samples/uifiles/*" files &&
    env -i "$1/tamro" -sys "$samples/modules/demo.dll" '*' module &&
    env -i "$1/tamro-compile" "files/*.tamro.txt" blobs &&
    env -i "$1/tamro" -file "blobs/*" again) >"$2.txt"
  diff -r "$2/files" "$2/again" || fail "$1: the samples do not come back as the same texts"
}
convert_samples "$root/usr/bin" "$scratch/installed"
convert_samples "$PWD/build/release" "$scratch/built"
cat "$scratch/installed.txt"
diff "$scratch/built.txt" "$scratch/installed.txt" || fail "the installed programs report otherwise"
diff -r "$scratch/built" "$scratch/installed" || fail "the installed programs write otherwise"
[ -s "$scratch/installed/files/40960.tamro.txt" ] && [ -s "$scratch/installed/module/40960.tamro.txt" ] ||
  fail "the installed tamro converted nothing"

for page in "$root"/usr/share/man/man1/tamro.1.gz "$root"/usr/share/man/man1/tamro-compile.1.gz; do
  MANWIDTH=80 man --warnings -l "$page" >"$scratch/man.txt" 2>"$scratch/man.err" || true
  [ -s "$scratch/man.err" ] && fail "man -l $page warns: $(cat "$scratch/man.err")"
  grep -q 'EXIT STATUS' "$scratch/man.txt" || fail "man -l $page renders no page"
  echo "man -l $page: $(wc -l <"$scratch/man.txt") lines, no warnings"
done

echo "$tgz:"
tar tzvf "$tgz"
expect_files "$tgz" "$(tar tzf "$tgz" | files_below 1)" "$(printf '%s\n' $linux_files $licence_file)"
mkdir "$scratch/tgz"
tar xzf "$tgz" -C "$scratch/tgz" --strip-components=1
cmake --install build/release --prefix "$scratch/install/usr" --strip >/dev/null
expect_files "cmake --install" "$(cd "$scratch/install/usr" && find . -type f | files_below 1)" \
  "$(printf '%s\n' $linux_files $licence_file)"
for file in $linux_files; do
  cmp "$root/usr/$file" "$scratch/tgz/$file" || fail "$tgz and $deb differ in $file"
  cmp "$root/usr/$file" "$scratch/install/usr/$file" || fail "cmake --install and $deb differ in $file"
done
cmp LICENSE "$scratch/tgz/$licence_file" || fail "$tgz holds another LICENSE"
cmp LICENSE "$scratch/install/usr/$licence_file" || fail "cmake --install put another LICENSE"
echo "== packages checked =="
