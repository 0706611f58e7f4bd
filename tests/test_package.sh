#!/usr/bin/env bash
# Builds the Debian package from the build tree into a scratch folder and
# checks it: control fields, file layout, lintian, the desktop entry and
# AppStream metainfo validators, and the program unpacked into a scratch root,
# started as its desktop entry starts it, running headless, finding its help
# under share/varko and keeping its archive in the per-user folder, as root too.
# Usage: test_package.sh <cpack> <build dir> <version> <application id>
set -uo pipefail

cpack_cmd=$1 build=$2 version=$3 id=$4
failures=0
fail() { echo "FAIL: $*" >&2; failures=$((failures + 1)); }

work=$(mktemp -d) || { echo "FAIL: mktemp" >&2; exit 1; }
trap 'chmod -R u+w "$work"; rm -rf "$work"' EXIT

if ! log=$("$cpack_cmd" -G DEB --config "$build/CPackConfig.cmake" -B "$work/out" 2>&1); then
  echo "$log" >&2
  echo "FAIL: cpack" >&2; exit 1
fi
deb=$work/out/varko_${version}_$(dpkg --print-architecture).deb
[[ -f $deb ]] || { echo "FAIL: no $(basename "$deb") in: $(ls "$work/out")" >&2; exit 1; }

# Control fields.
field() { dpkg-deb -f "$deb" "$1"; }
[[ $(field Section) == games ]] || fail "section is '$(field Section)'"
for dep in fonts-comic-neue libqt6widgets6 libqt6dbus6 libcanberra0; do
  [[ $(field Depends) == *"$dep"* ]] || fail "Depends lacks $dep: $(field Depends)"
done
[[ $(field Recommends) == *sound-theme-freedesktop* ]] || fail "Recommends lacks sound-theme-freedesktop"
[[ $(field Description | wc -l) -gt 2 ]] || fail "no extended description"

# Every file of the package, and nothing else.
expected="./usr/games/varko
./usr/share/applications/$id.desktop
./usr/share/doc/varko/changelog.gz
./usr/share/doc/varko/copyright
./usr/share/icons/hicolor/scalable/apps/$id.svg
./usr/share/man/man6/varko.6.gz
./usr/share/metainfo/$id.metainfo.xml
./usr/share/varko/VARKOHELP.HLP"
actual=$(dpkg-deb -c "$deb" | awk '$1 !~ /^d/ {print $6}' | sort)
[[ $actual == "$expected" ]] || fail "package files differ:
$(diff <(echo "$expected") <(echo "$actual"))"

# lintian leaves a cache file in the temporary folder: it goes with the scratch folder.
mkdir "$work/lintian"
TMPDIR=$work/lintian lintian --fail-on error "$deb" >&2 || fail "lintian reports errors"

root=$work/root
dpkg -x "$deb" "$root"
file "$root/usr/games/varko" | grep -q ', stripped' || fail "usr/games/varko is not stripped"
desktop=$root/usr/share/applications/$id.desktop
out=$(desktop-file-validate "$desktop" 2>&1) && [[ -z $out ]] || fail "desktop-file-validate: $out"
[[ $(sed -n 's/^Icon=//p' "$desktop") == "$id" ]] || fail "the desktop entry does not name the icon $id"
# The desktop entry names the program without a folder: the launcher finds it
# on Debian's default PATH (/etc/login.defs, /etc/profile, systemd's user
# sessions), here laid over the unpacked root.
exec_name=$(sed -n 's/^Exec=\([^ ]*\).*/\1/p' "$desktop")
debian_path=/usr/local/bin:/usr/bin:/bin:/usr/local/games:/usr/games
root_path=$(sed "s|[^:]*|$root&|g" <<<"$debian_path")
launched=$(PATH=$root_path command -v "$exec_name")
[[ $launched == "$root/usr/games/varko" ]] \
  || fail "the desktop entry's Exec=$exec_name does not find usr/games/varko on the default PATH: '$launched'"
metainfo=$root/usr/share/metainfo/$id.metainfo.xml
appstreamcli validate --no-net --strict "$metainfo" >&2 || fail "appstreamcli validate"
grep -q "<launchable type=\"desktop-id\">$id.desktop</launchable>" "$metainfo" || fail "metainfo does not launch $id.desktop"
grep -q "<release version=\"$version\" date=\"[0-9-]*\"" "$metainfo" || fail "metainfo does not list release $version"

# Starts the unpacked program headless as the desktop entry names it, on the
# default PATH over the root, through the command given (the user to run as
# and the environment), waits until it has found its help and made the
# archive $1, ends it, and checks both; $2 names the run in failures.
run_unpacked() {
  local archive=$1 run=$2 log=$work/stderr; shift 2
  "$@" PATH="$root_path:/usr/bin:/bin" QT_QPA_PLATFORM=offscreen QT_LOGGING_RULES=varko.help.info=true \
    "$exec_name" 2>"$log" &
  local pid=$!
  for _ in $(seq 300); do
    grep -q 'help file:' "$log" && [[ -s $archive ]] && break
    kill -0 "$pid" 2>/dev/null || break
    sleep 0.1
  done
  kill -0 "$pid" 2>/dev/null || fail "$run: the program ended by itself: $(cat "$log")"
  kill "$pid" 2>/dev/null
  wait "$pid" 2>/dev/null
  grep -qx "varko.help: help file: $root/usr/share/varko/VARKOHELP.HLP" "$log" \
    || fail "$run: help file not found under share/varko: $(cat "$log")"
  [[ $(stat -c %s "$archive" 2>/dev/null) == 102 ]] || fail "$run: no new archive $archive"
}

# As root, who could write into usr/games, the installed program still keeps
# its archive in the per-user folder of its HOME and creates nothing beside
# itself (nor anywhere else in the installation). Without root, a user
# namespace maps the caller to root.
as_root=()
if [[ $(id -u) -ne 0 ]]; then
  as_root=(unshare --map-root-user)
  "${as_root[@]}" true || fail "cannot run as root in a user namespace"
fi
root_home=$work/root-home
mkdir -p "$root_home/runtime" "$root_home/tmp"
chmod 700 "$root_home/runtime"
files_before=$(find "$root" | sort)
run_unpacked "$root_home/.local/share/Varko/Varko.dat" "as root" \
  "${as_root[@]}" env -i HOME="$root_home" XDG_RUNTIME_DIR="$root_home/runtime" TMPDIR="$root_home/tmp"
[[ $(find "$root" | sort) == "$files_before" ]] || fail "as root: files created in the installation:
$(diff <(echo "$files_before") <(find "$root" | sort))"

# As a user who cannot write into the program's folder.
home=$work/home
mkdir -p "$home/runtime" "$home/tmp"
chmod 700 "$home/runtime"
as_user=()
if [[ $(id -u) -eq 0 ]]; then
  chmod 755 "$work"
  chown -R nobody "$home"
  as_user=(setpriv --reuid=nobody --regid=nogroup --clear-groups)
else
  chmod -R a-w "$root/usr/games"
fi
run_unpacked "$home/data/Varko/Varko.dat" "as a user" \
  "${as_user[@]}" env -i HOME="$home" XDG_DATA_HOME="$home/data" \
  XDG_RUNTIME_DIR="$home/runtime" TMPDIR="$home/tmp"
[[ ! -e $root/usr/games/Varko.dat ]] || fail "archive written beside the installed program"

[[ $failures -eq 0 ]] || { echo "$failures problem(s) found" >&2; exit 1; }
echo "package $(basename "$deb") is complete and its program runs"
