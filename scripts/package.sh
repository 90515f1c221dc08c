#!/usr/bin/env bash
# Makes what users install:
#   dist/tavrelle_<version>_amd64.deb         the Linux program for Debian 12,
#                                             with no update check (apt brings
#                                             new versions)
#   dist/tavrelle-<version>-windows.zip       tavrelle.exe (32-bit) and
#                                             tavrelle-x64.exe with a read-me
#
#   scripts/package.sh [--update-url URL] [--download-url URL] [--screenshot-url URL]
#
# --update-url and --download-url go into the Windows programs only; without
# them (the default) those check for nothing either. --screenshot-url is
# where docs/screenshot.png is published, for software centres (AppStream).
# Installs what it needs first (scripts/setup.sh). Builds in build/package.
# The maintainer named in the package: DEBFULLNAME and DEBEMAIL, else git's
# user.name and user.email, else the author of the last commit.
set -euo pipefail
root="$(cd "$(dirname "$0")/.." && pwd)"
cd "$root"

usage() { echo "usage: scripts/package.sh [--update-url URL] [--download-url URL] [--screenshot-url URL]" >&2; exit 2; }
update_url="" download_url="" screenshot_url=""
while [[ $# -gt 0 ]]; do
  case "$1" in
    --update-url) update_url="${2:?--update-url needs an address}"; shift 2 ;;
    --download-url) download_url="${2:?--download-url needs an address}"; shift 2 ;;
    --screenshot-url) screenshot_url="${2:?--screenshot-url needs an address}"; shift 2 ;;
    *) usage ;;
  esac
done
fail() { echo "package.sh: $*" >&2; exit 1; }

# The program's own idea of its version is the one the package carries.
version="$(sed -n 's/.*currentVersion = "\([0-9]*\)".*/\1/p' src/update/update.cpp)"
[[ -n "$version" ]] || fail "cannot find the program's version in src/update/update.cpp"
arch="$(dpkg --print-architecture)"
work="$root/build/package"
mkdir -p "$work" "$root/dist"
deb="$root/dist/tavrelle_${version}_${arch}.deb"
zip="$root/dist/tavrelle-${version}-windows.zip"

scripts/setup.sh

# --- The Debian package ------------------------------------------------------
echo "== $(basename "$deb")"
# Debian's compiler and linker flags, hardening included. No update check:
# the addresses are set empty on purpose, whatever an earlier run left in the
# build folder's cache.
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
BUILD_TYPE=Release scripts/build.sh "$work/linux" -DTAVRELLE_TESTS=OFF -DTAVRELLE_BENCH=OFF \
  -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
  -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
  -DCMAKE_INSTALL_PREFIX=/usr -DTAVRELLE_UPDATE_URL= -DTAVRELLE_DOWNLOAD_URL= -DTAVRELLE_UPDATE_CA= \
  -DTAVRELLE_SCREENSHOT_URL="$screenshot_url"

stage="$work/stage"
rm -rf "$stage"
DESTDIR="$stage" cmake --install "$work/linux" --strip >/dev/null
desktop-file-validate "$stage/usr/share/applications/org.tavrelle.Tavrelle.desktop" ||
  fail "desktop-file-validate found faults in the menu entry"
appstreamcli validate --no-net "$stage/usr/share/metainfo/org.tavrelle.Tavrelle.metainfo.xml" >"$work/appstream.log" ||
  fail "appstreamcli found faults in the metadata: $(cat "$work/appstream.log")"
doc="$stage/usr/share/doc/tavrelle"
mkdir -p "$doc" "$stage/DEBIAN"

maintainer_name="${DEBFULLNAME:-$(git config user.name || git log -1 --format=%an 2>/dev/null || true)}"
maintainer_email="${DEBEMAIL:-$(git config user.email || git log -1 --format=%ae 2>/dev/null || true)}"
[[ -n "$maintainer_name" && -n "$maintainer_email" ]] ||
  fail "name the package's maintainer: set DEBFULLNAME and DEBEMAIL"
maintainer="$maintainer_name <$maintainer_email>"
# Dates from the last commit, so that the same sources make the same package.
commit_time="$(git log -1 --format=%ct 2>/dev/null || date +%s)"
export SOURCE_DATE_EPOCH="$commit_time"

cat >"$doc/copyright" <<EOF
Format: https://www.debian.org/doc/packaging-manuals/copyright-format/1.0/
Upstream-Name: Tavrelle

Files: *
Copyright: $(date -u -d "@$commit_time" +%Y) Tavrelle developers
License: proprietary
 All rights reserved.
EOF
{
  echo "tavrelle ($version) stable; urgency=medium"
  echo
  echo "  * Release $version."
  echo
  echo " -- $maintainer  $(date -u -R -d "@$commit_time")"
} | gzip -9n >"$doc/changelog.gz"
gzip -9nc docs/tavrelle.1 >"$work/tavrelle.1.gz"
install -D -m 644 "$work/tavrelle.1.gz" "$stage/usr/share/man/man1/tavrelle.1.gz"

# Dependencies: the packages of the libraries the program links, found by
# dpkg-shlibdeps (which wants a source package's control file to look at),
# a font with the Chinese characters every text of the window is in, and the
# icon theme the icon goes into (without its index the program finds no
# window icon there).
shlib="$work/shlibdeps"
rm -rf "$shlib"
mkdir -p "$shlib/debian"
printf 'Source: tavrelle\n\nPackage: tavrelle\nArchitecture: any\n' >"$shlib/debian/control"
depends="$(cd "$shlib" && dpkg-shlibdeps -O "$stage/usr/bin/tavrelle" 2>"$shlib/errors")" ||
  fail "dpkg-shlibdeps failed: $(cat "$shlib/errors")"
depends="${depends#shlibs:Depends=}"
[[ -n "$depends" ]] || fail "dpkg-shlibdeps found no dependencies of usr/bin/tavrelle"
depends+=", fonts-wqy-microhei | fonts-noto-cjk | fonts-wqy-zenhei, hicolor-icon-theme"

cat >"$stage/DEBIAN/control" <<EOF
Package: tavrelle
Version: $version
Architecture: $arch
Maintainer: $maintainer
Installed-Size: $(du -sk --exclude=DEBIAN "$stage" | cut -f1)
Depends: $depends
Section: misc
Priority: optional
Description: simulator of a two-colour number lottery
 Tavrelle keeps up to five tickets of six red numbers from 1 to 33 and one
 blue number from 1 to 16, draws as many times as asked, judges every
 ticked ticket against each draw, logs each draw and each win, and keeps
 the tallies of draws, money spent, money won and wins per prize level.
 .
 Nothing is bought or paid; the money is only counted. The window is in
 Simplified Chinese.
EOF
(cd "$stage" && find usr -type f -print0 | sort -z | xargs -0 md5sum >DEBIAN/md5sums)
find "$stage" -exec touch -h -d "@$commit_time" {} +
rm -f "$deb"
dpkg-deb --root-owner-group -Zxz --build "$stage" "$deb" >/dev/null
echo "lintian:"
lintian --fail-on error "$deb" || fail "lintian found errors in $deb"
echo "$deb"

# --- The Windows zip --------------------------------------------------------
echo "== $(basename "$zip")"
TAVRELLE_NO_DIST=1 scripts/build-windows.sh --arch both "$work/windows" \
  -DTAVRELLE_UPDATE_URL="$update_url" -DTAVRELLE_DOWNLOAD_URL="$download_url"
programs=("$work/windows/win32/src/tavrelle.exe" "$work/windows/x64/src/tavrelle-x64.exe")

folder="tavrelle-$version-windows"
content="$work/zip/$folder"
rm -rf "$work/zip"
mkdir -p "$content"
cp "${programs[@]}" "$content/"
if [[ -n "$update_url" ]]; then
  update_host="${update_url#*://}"
  update_host="${update_host%%/*}"
  check_zh="每次启动时，程序会先通过网络（HTTPS，$update_host）检查是否有新版本。
有新版本或无法检查时，窗口只显示一个小面板，其中的按钮可打开下载页面。"
  check_en="At every start it first checks over the network (HTTPS, $update_host)
whether a new version is out. When one is, or when the check fails, the
window shows only a small panel whose button opens the download page."
else
  check_zh="此版本不会检查更新，也不会连接网络。"
  check_en="This build does not check for new versions and never connects to the network."
fi
# UTF-8 with a byte order mark and CRLF line ends: Notepad shows it right on
# every Windows version.
{
  printf '\xef\xbb\xbf'
  cat <<EOF
Tavrelle $version — 彩票开奖模拟器

Tavrelle 模拟红蓝号码彩票开奖：最多保存五组选号，勾选参与的组，设定开奖次数后开始，
程序逐期开奖、对奖，记录每期和每次中奖，并统计花费、奖金和各等奖次数。
不涉及任何真实的购买或付款。

运行哪个文件：
  tavrelle.exe       适用于所有 Windows（32 位和 64 位）
  tavrelle-x64.exe   仅适用于 64 位 Windows
两个文件都无需安装，双击即可运行；窗口文字为简体中文。

$check_zh

------------------------------------------------------------------------

Tavrelle $version — a simulator of a two-colour number lottery

Keep up to five tickets, tick the ones that play, set a number of draws and
start a run: Tavrelle draws, judges every ticked ticket, logs each draw and
each win, and keeps the tallies of money spent, money won and wins per prize
level. Nothing is bought or paid; the money is only counted.

Which file to run:
  tavrelle.exe       any Windows, 32-bit or 64-bit
  tavrelle-x64.exe   64-bit Windows only
Neither needs installing: double-click it. The window is in Simplified
Chinese.

$check_en
EOF
} | sed 's/$/\r/' >"$content/README.txt"
find "$work/zip" -exec touch -h -d "@$commit_time" {} +
rm -f "$zip"
(cd "$work/zip" && zip -q -X -r "$zip" "$folder")
unzip -l "$zip"
echo "$zip"
