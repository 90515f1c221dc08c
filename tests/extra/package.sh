#!/usr/bin/env bash
# The packages as users get them. Makes them with scripts/package.sh, checks
# the Windows zip's contents, and installs the Debian package the way a user
# would: with apt, into a fresh Debian 12 made with debootstrap, so that apt
# has to bring every library and font the package needs. Then starts the
# installed tavrelle there as an ordinary user on an Xvfb display of its own
# (:70 to :79), checks from outside that the full window opens with its
# controls where the control table puts them, closes it with Esc, purges the
# package and checks that nothing of it is left.
#
# Runs as root (debootstrap, chroot and mounts). Works in build/package-root:
#   base/       debootstrap's Debian 12 (minbase), kept between runs and made
#               again when a run did not finish it
#   apt-cache/  the packages apt downloaded, kept between runs (apt checks
#               them against the index before use)
#   root/       this run's copy of base, where the package goes
#   logs/       each step's output; a failing step shows the tail of its log
# DEBIAN_MIRROR and DEBIAN_SECURITY_MIRROR override deb.debian.org.
set -euo pipefail
root="$(cd "$(dirname "$0")/../.." && pwd)"
cd "$root"

work="$root/build/package-root"
base="$work/base"
target="$work/root"
mirror="${DEBIAN_MIRROR:-http://deb.debian.org/debian}"
security_mirror="${DEBIAN_SECURITY_MIRROR:-http://deb.debian.org/debian-security}"

say() { echo "package: $*"; }
fail() {
  echo "package tier: $*" >&2
  exit 1
}
# Runs a step with its output in logs/NAME.log; a failure shows the tool's own
# words.
logged() {
  local name="$1"
  shift
  if ! "$@" >"$work/logs/$name.log" 2>&1; then
    echo "package tier: $name failed ($*); the end of $work/logs/$name.log:" >&2
    tail -n 25 "$work/logs/$name.log" >&2
    exit 1
  fi
}
in_root() { chroot "$target" /usr/bin/env -i PATH=/usr/sbin:/usr/bin:/sbin:/bin HOME=/root LANG=C.UTF-8 \
  DEBIAN_FRONTEND=noninteractive "$@"; }

[[ $(id -u) -eq 0 ]] || fail "needs root (debootstrap, chroot and mounts)"
mkdir -p "$work/logs" "$work/apt-cache/partial"

# Everything mounted at or below a folder, deepest first; also what an
# interrupted run left behind. Nothing may stay mounted where rm -rf goes:
# it would delete through a bind mount into the host.
mounted_below() { findmnt -rn -o TARGET | awk -v p="$1/" 'index($0 "/", p) == 1' | sort -r; }
unmount_below() {
  local folder="$1" point left
  for point in $(mounted_below "$folder"); do
    umount "$point" 2>/dev/null || umount -l "$point"
  done
  left="$(mounted_below "$folder")"
  [[ -z "$left" ]] || fail "cannot unmount everything below $folder: $(paste -sd' ' <<<"$left")"
}
remove_root() {
  unmount_below "$1"
  rm -rf --one-file-system "$1"
}

app_pid="" xvfb_pid=""
cleanup() {
  [[ -n "$app_pid" ]] && kill "$app_pid" 2>/dev/null || true
  [[ -n "$xvfb_pid" ]] && kill "$xvfb_pid" 2>/dev/null || true
  wait 2>/dev/null || true
  unmount_below "$target"
}
trap cleanup EXIT

# --- The packages ----------------------------------------------------------------
say "making the packages (scripts/package.sh)"
logged setup scripts/setup.sh
logged package scripts/package.sh
version="$(sed -n 's/.*currentVersion = "\([0-9]*\)".*/\1/p' src/update/update.cpp)"
deb="$root/dist/tavrelle_${version}_$(dpkg --print-architecture).deb"
zip="$root/dist/tavrelle-$version-windows.zip"
[[ -f "$deb" ]] || fail "scripts/package.sh made no $deb"
[[ -f "$zip" ]] || fail "scripts/package.sh made no $zip"

say "the Windows zip"
folder="tavrelle-$version-windows"
listing="$(unzip -Z1 "$zip")"
for name in tavrelle.exe tavrelle-x64.exe README.txt; do
  grep -qxF "$folder/$name" <<<"$listing" || fail "$zip lacks $folder/$name: $(paste -sd' ' <<<"$listing")"
done
# Each program is the Windows executable for its processor: the PE header's
# machine field (0x14c for 32-bit x86, 0x8664 for x86-64).
unzipped="$work/zip"
rm -rf "$unzipped"
logged unzip unzip -q "$zip" -d "$unzipped"
python3 - "$unzipped/$folder" <<'EOF' || fail "a program in the zip is not what its name says"
import struct, sys
for name, machine in (("tavrelle.exe", 0x14C), ("tavrelle-x64.exe", 0x8664)):
    data = open(f"{sys.argv[1]}/{name}", "rb").read()
    pe = struct.unpack_from("<I", data, 0x3C)[0] if data[:2] == b"MZ" else -1
    if pe < 0 or data[pe:pe + 4] != b"PE\0\0" or struct.unpack_from("<H", data, pe + 4)[0] != machine:
        sys.exit(f"{name} is not a Windows program for machine {machine:#x}")
EOF
readme="$(iconv -f UTF-8 -t UTF-8 "$unzipped/$folder/README.txt")" || fail "README.txt is not UTF-8"
for words in "tavrelle.exe" "tavrelle-x64.exe" "彩票" "32 位" "64-bit"; do
  grep -qF "$words" <<<"$readme" || fail "README.txt does not mention \"$words\""
done

# --- A fresh Debian 12 --------------------------------------------------------------
if [[ ! -e "$base/.tavrelle-complete" ]]; then
  say "making a Debian 12 root with debootstrap ($mirror)"
  remove_root "$base"
  logged debootstrap debootstrap --variant=minbase bookworm "$base" "$mirror"
  # As a Debian 12 installation has them: the point releases and the
  # security updates beside the release.
  cat >"$base/etc/apt/sources.list" <<EOF
deb $mirror bookworm main
deb $mirror bookworm-updates main
deb $security_mirror bookworm-security main
EOF
  touch "$base/.tavrelle-complete"
fi
say "a fresh copy of the Debian 12 root"
remove_root "$target"
cp -a "$base" "$target"
rm "$target/.tavrelle-complete"

mount -t proc proc "$target/proc"
mount -t tmpfs -o mode=1777 tmpfs "$target/dev/shm"
mount --bind "$work/apt-cache" "$target/var/cache/apt/archives"
cp /etc/resolv.conf "$target/etc/resolv.conf"

# --- Install as a user would ---------------------------------------------------------
say "apt install ./dist/$(basename "$deb") in the fresh root, as the README says"
mkdir -p "$target/root/tavrelle/dist"
cp "$deb" "$target/root/tavrelle/dist/"
logged apt-update in_root apt-get update
# Without recommends: what the package depends on has to be enough.
logged apt-install in_root sh -c 'cd /root/tavrelle && apt install -y --no-install-recommends "./dist/$1"' \
  sh "$(basename "$deb")"
rm -r "$target/root/tavrelle"
status="$(in_root dpkg-query -W -f='${Status}' tavrelle 2>&1 || true)"
[[ "$status" == "install ok installed" ]] || fail "tavrelle is not installed: $status"
mapfile -t owned < <(in_root dpkg -L tavrelle)
owned_list="$(printf '%s\n' "${owned[@]}")"
for path in /usr/bin/tavrelle /usr/share/applications/org.tavrelle.Tavrelle.desktop \
  /usr/share/metainfo/org.tavrelle.Tavrelle.metainfo.xml /usr/share/icons/hicolor/scalable/apps/org.tavrelle.Tavrelle.svg \
  /usr/share/icons/hicolor/{16x16,22x22,24x24,32x32,48x48,64x64,128x128,256x256}/apps/org.tavrelle.Tavrelle.png; do
  grep -qxF "$path" <<<"$owned_list" || fail "the package does not install $path"
  [[ -s "$target$path" ]] || fail "$path is missing or empty in the root"
done
# Every text of the window is Chinese: a font that has the characters.
fonts="$(in_root fc-list ':lang=zh' family)"
[[ -n "$fonts" ]] || fail "no font with Chinese characters came with the package"
logged desktop-entry desktop-file-validate "$target/usr/share/applications/org.tavrelle.Tavrelle.desktop"
logged metainfo appstreamcli validate --no-net "$target/usr/share/metainfo/org.tavrelle.Tavrelle.metainfo.xml"
logged user in_root useradd --create-home --shell /bin/sh player
# What a desktop session gives its user.
in_root install -d -o player -g player -m 700 /tmp/runtime-player

# --- Start it --------------------------------------------------------------------
# The first free display from :70 to :79; one that another X server takes
# at the same moment makes this one end, and the next is tried.
display=""
for n in $(seq 70 79); do
  [[ -e /tmp/.X11-unix/X$n || -e /tmp/.X$n-lock ]] && continue
  Xvfb ":$n" -screen 0 1280x1024x24 -nolisten tcp >"$work/logs/xvfb.log" 2>&1 &
  xvfb_pid=$!
  for _ in $(seq 100); do
    kill -0 "$xvfb_pid" 2>/dev/null || break
    [[ -S /tmp/.X11-unix/X$n ]] && display="$n" && break
    sleep 0.1
  done
  [[ -n "$display" ]] && break
  kill "$xvfb_pid" 2>/dev/null || true
  wait "$xvfb_pid" 2>/dev/null || true
  xvfb_pid=""
done
[[ -n "$display" ]] || fail "no Xvfb display from :70 to :79 could start: $(cat "$work/logs/xvfb.log" 2>/dev/null)"
# The display's socket reaches into the root.
mkdir -p "$target/tmp/.X11-unix"
mount --bind /tmp/.X11-unix "$target/tmp/.X11-unix"
export DISPLAY=":$display"

# Qt draws every control into the one X window of the main window;
# QT_USE_NATIVE_WINDOWS=1 gives each control an X window of its own, so that
# the X server can tell from outside where each one is.
say "starting the installed tavrelle as a user on :$display"
chroot --userspec=player:player "$target" /usr/bin/env -i PATH=/usr/bin:/bin HOME=/home/player USER=player \
  XDG_RUNTIME_DIR=/tmp/runtime-player LANG=C.UTF-8 DISPLAY=":$display" QT_USE_NATIVE_WINDOWS=1 tavrelle >"$work/logs/tavrelle.log" 2>&1 &
app_pid=$!
window=""
for _ in $(seq 300); do
  window="$(xdotool search --onlyvisible --name '^Tavrelle$' 2>/dev/null | head -n 1 || true)"
  [[ -n "$window" ]] && break
  kill -0 "$app_pid" 2>/dev/null || break
  sleep 0.1
done
if [[ -z "$window" ]]; then
  kill -0 "$app_pid" 2>/dev/null && fail "no window \"Tavrelle\" showed within 30 s: $(cat "$work/logs/tavrelle.log")"
  status=0
  wait "$app_pid" || status=$?
  app_pid=""
  fail "tavrelle ended with status $status before its window showed: $(cat "$work/logs/tavrelle.log")"
fi
sleep 1 # the first paint
import -window "$window" "$work/window.png" 2>/dev/null || true

logged table-geometry g++ -std=c++20 -O1 -finput-charset=UTF-8 -fexec-charset=CP936 -Isrc \
  tests/package/table_geometry.cpp src/window/control_table.cpp src/text/text.cpp -o "$work/table_geometry"
"$work/table_geometry" >"$work/table.txt"
checked="$(python3 tests/package/check_window.py "$window" "$work/table.txt")" || fail "the window: see above"
say "$checked"
# The window shows the installed icon (found in the hicolor theme).
icon="$(xprop -len 16 -id "$window" _NET_WM_ICON 2>&1 || true)"
[[ "$icon" == "_NET_WM_ICON(CARDINAL)"* ]] || fail "the window has no icon: $icon"
say "the window shows the installed icon"

# Esc closes the window, and the program ends with status 0. The key goes
# through XTEST to the focused window, as a typed one does (a key sent to
# the window itself would find it gone by the time of its release).
xdotool windowfocus --sync "$window"
xdotool key Escape
status=0
for _ in $(seq 100); do kill -0 "$app_pid" 2>/dev/null || break; sleep 0.1; done
kill -0 "$app_pid" 2>/dev/null && fail "tavrelle is still running 10 s after Esc"
wait "$app_pid" || status=$?
app_pid=""
[[ $status -eq 0 ]] || fail "tavrelle ended with status $status after Esc: $(cat "$work/logs/tavrelle.log")"
say "Esc closed it with status 0"

# --- Purge --------------------------------------------------------------------------
logged purge in_root apt purge -y tavrelle
status="$(in_root dpkg-query -W -f='${Status}' tavrelle 2>/dev/null || true)"
[[ -z "$status" || "$status" == *" not-installed" ]] || fail "after the purge dpkg still has tavrelle as \"$status\""
for path in "${owned[@]}"; do
  [[ "$path" == /. ]] && continue
  [[ -e "$target$path" || -L "$target$path" ]] || continue
  # A folder that another package also owns stays, rightly.
  [[ -d "$target$path" ]] && in_root dpkg-query -S "$path" >/dev/null 2>&1 && continue
  fail "$path is left after the purge"
done
# Nothing mounted from the host may be searched.
unmount_below "$target"
left="$(find "$target" -path "$target/home" -prune -o -iname '*tavrelle*' -print)"
[[ -z "$left" ]] || fail "left after the purge: $(paste -sd' ' <<<"$left")"
say "the purge left nothing behind"

remove_root "$target"
say "passed: package, install, window, close and purge"
