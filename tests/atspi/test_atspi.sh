#!/usr/bin/env bash
# Runs the program as a screen reader meets it: on a virtual display, with a
# private session bus and accessibility bus, inspected over AT-SPI.
#   test_atspi.sh PROGRAM
set -euo pipefail
program=$(realpath "${1:?usage: test_atspi.sh PROGRAM}")
here=$(dirname "$(realpath "$0")")
work=$(mktemp -d)
xvfb="" bus="" launcher=""
cleanup() {
  for pid in $launcher $bus $xvfb; do kill "$pid" 2>/dev/null || true; done
  # Each gone before the folder goes, so none of them leaves a file behind.
  for pid in $launcher $bus $xvfb; do timeout 10 tail --pid="$pid" -f /dev/null || true; done
  rm -rf "$work"
}
trap cleanup EXIT

# Xvfb picks a free display itself and writes its number once it is ready.
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp 3>"$work/display" >/dev/null 2>&1 &
xvfb=$!
for _ in $(seq 100); do [[ -s $work/display ]] && break; sleep 0.1; done
export DISPLAY=:$(<"$work/display")

# The buses' sockets, Qt's and the accessibility bus's runtime files: all in
# the scratch folder, not in /tmp or the home folder.
export XDG_RUNTIME_DIR=$work/runtime
mkdir -m 700 "$XDG_RUNTIME_DIR"
# dbus-daemon forks; it prints the bus address, then its own process id.
{ read -r address; read -r bus; } < <(dbus-daemon --session --fork --print-address=1 --print-pid=1 \
  --address="unix:dir=$XDG_RUNTIME_DIR")
export DBUS_SESSION_BUS_ADDRESS=$address
/usr/libexec/at-spi-bus-launcher --launch-immediately >/dev/null 2>&1 &
launcher=$!
# Everything after asks the launcher for the accessibility bus: wait for it
# rather than have the session bus start another one.
owned() {
  dbus-send --session --print-reply --dest=org.freedesktop.DBus / org.freedesktop.DBus.NameHasOwner \
    string:org.a11y.Bus 2>/dev/null | grep -q 'boolean true'
}
for _ in $(seq 100); do owned && break; sleep 0.1; done
export QT_ACCESSIBILITY=1 QT_LINUX_ACCESSIBILITY_ALWAYS_ON=1
unset QT_QPA_PLATFORM

# The program runs from a folder of its own, so its archive stays private.
cp "$program" "$work/varko"
/usr/bin/python3 "$here/test_atspi.py" "$work/varko"
