#!/usr/bin/env bash
# Installs the build tree into a scratch prefix and checks that the program,
# its desktop entry, AppStream metainfo, theme icon and help file land where a
# desktop expects them, and that the entry and metainfo pass their validators.
# Usage: test_install.sh <cmake> <build dir> <source dir> <bindir> <datadir> <version>
set -uo pipefail

cmake_cmd=$1 build=$2 src=$3 bindir=$4 datadir=$5 version=$6
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }
need_file() { [[ -f $1 ]] || fail "not installed: ${1#"$prefix"/}"; }

prefix=$(mktemp -d) || { echo "FAIL: mktemp" >&2; exit 1; }
trap 'rm -rf "$prefix"' EXIT
unset DESTDIR  # an inherited DESTDIR would put the files outside $prefix

if ! log=$("$cmake_cmd" --install "$build" --prefix "$prefix" 2>&1); then
  echo "$log" >&2
  echo "FAIL: cmake --install" >&2; exit 1
fi

[[ -x $prefix/$bindir/varko ]] || fail "not installed or not executable: $bindir/varko"
# The program looks for its help file in its own folder.
if [[ -f $src/help/CMakeLists.txt ]]; then
  need_file "$prefix/$bindir/VARKOHELP.HLP"
fi

share=$prefix/$datadir
metainfos=("$share"/metainfo/*.metainfo.xml)
if [[ ${#metainfos[@]} -ne 1 || ! -f ${metainfos[0]} ]]; then
  fail "expected one metainfo file in $datadir/metainfo"
  exit 1
fi
metainfo=${metainfos[0]}
id=$(sed -n 's:.*<id>\(.*\)</id>.*:\1:p' "$metainfo")
[[ $(basename "$metainfo") == "$id.metainfo.xml" ]] || fail "metainfo file name does not match its id '$id'"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" \
  || fail "metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" \
  || fail "metainfo does not list release $version"

desktop=$share/applications/$id.desktop
need_file "$desktop"
if [[ -f $desktop ]]; then
  out=$(desktop-file-validate "$desktop" 2>&1) || fail "desktop-file-validate failed"
  [[ -z $out ]] || fail "desktop-file-validate reports: $out"
  # The entry must start the installed program and name the installed icon.
  exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
  [[ -x $prefix/$bindir/$exec_name ]] || fail "Exec=$exec_name is not the installed program"
  icon=$(sed -n 's/^Icon=//p' "$desktop")
  svg=$share/icons/hicolor/scalable/apps/$icon.svg
  need_file "$svg"
  [[ ! -f $svg ]] || grep -q '<svg' "$svg" || fail "icon $icon.svg is not an SVG picture"
fi

appstreamcli validate --no-net --strict "$metainfo" || fail "appstreamcli validate failed"

[[ $failures -eq 0 ]] || { echo "$failures problem(s) found" >&2; exit 1; }
echo "install layout and desktop metadata are valid"
