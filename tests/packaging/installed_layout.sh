#!/usr/bin/env bash
# SPDX-License-Identifier: GPL-3.0-or-later
# The installed layout: installs the build into a temporary folder
# (DESTDIR, prefix /usr) and runs what was installed, as a user would.
#   installed_layout.sh SOURCE_DIR BUILD_DIR WINDOW_TEST VERSION [--package]
# WINDOW_TEST (tst_installedwindow) is copied into the installed bin folder
# and run there as a user who cannot write that folder, with HOME and the
# XDG folders in empty temporary folders. With --package the Debian package
# is built as well and, where lintian is installed, checked by it.
set -euo pipefail
source_dir=$1 build=$2 window_test=$3 version=$4 package=${5:-}

work=$(mktemp -d /tmp/orvane-installed.XXXXXX)
orvane_pid=""
cleanup() {
  [ -n "$orvane_pid" ] && kill "$orvane_pid" 2>/dev/null && wait "$orvane_pid" 2>/dev/null
  chmod -R u+w "$work" 2>/dev/null
  rm -rf "$work"
}
trap cleanup EXIT
fail() {
  echo "FAIL: $*" >&2
  exit 1
}
step() { echo "== $*"; }

root=$work/root
step "cmake --install into $root"
DESTDIR=$root cmake --install "$build" --prefix /usr >/dev/null
usr=$root/usr
bin=$usr/bin
data=$usr/share/orvane
app_id=org.example.Orvane

step "layout"
for f in bin/orvane bin/orvane-decode bin/orvane-loggen bin/orvane-ttff \
  share/orvane/config.ini share/orvane/drive.nmea share/orvane/maps/track.html \
  share/applications/$app_id.desktop share/metainfo/$app_id.metainfo.xml \
  share/icons/hicolor/scalable/apps/orvane.svg \
  share/man/man1/orvane.1.gz share/man/man1/orvane-decode.1.gz share/man/man1/orvane-loggen.1.gz share/man/man1/orvane-ttff.1.gz \
  share/doc/orvane/copyright share/doc/orvane/changelog.gz; do
  [ -s "$usr/$f" ] || fail "missing or empty: $f"
done
for f in bin/orvane bin/orvane-decode bin/orvane-loggen bin/orvane-ttff; do
  [ -x "$usr/$f" ] || fail "not executable: $f"
done
# Every page the build lays next to the viewer is installed, unchanged.
diff -r "$build/app/maps" "$data/maps" || fail "installed map pages differ from the built ones"
cmp "$source_dir/config/config.ini" "$data/config.ini" || fail "installed config.ini differs"
cmp "$source_dir/samples/drive.nmea" "$data/drive.nmea" || fail "installed sample differs"
# PNG icons of the size their folder names: width and height from the header.
for size in 16 22 24 32 48 64 128 256; do
  png=$usr/share/icons/hicolor/${size}x${size}/apps/orvane.png
  [ -s "$png" ] || fail "missing icon $png"
  read -r w0 w1 w2 w3 h0 h1 h2 h3 < <(od -An -tu1 -j16 -N8 "$png")
  [ $(((w0 << 24) | (w1 << 16) | (w2 << 8) | w3)) -eq "$size" ] &&
    [ $(((h0 << 24) | (h1 << 16) | (h2 << 8) | h3)) -eq "$size" ] || fail "$png is not ${size}x${size}"
done

step "versions"
[ "$("$bin/orvane-decode" --version)" = "orvane-decode $version" ] || fail "orvane-decode --version"
[ "$("$bin/orvane-ttff" --version)" = "orvane-ttff $version" ] || fail "orvane-ttff --version"
[ "$(QT_QPA_PLATFORM=offscreen "$bin/orvane" --version)" = "orvane $version" ] || fail "orvane --version"
# Without any display the answers come before the GUI starts.
no_display=(env -u DISPLAY -u WAYLAND_DISPLAY -u QT_QPA_PLATFORM)
[ "$("${no_display[@]}" "$bin/orvane" --version)" = "orvane $version" ] || fail "orvane --version without a display"
help_text=$("${no_display[@]}" "$bin/orvane" --help) && [[ $help_text == "usage: orvane "* ]] ||
  fail "orvane --help without a display"

step "installed orvane-decode on the installed sample"
"$bin/orvane-decode" "$data/drive.nmea" >"$work/decoded.txt"
lines=$(wc -l <"$work/decoded.txt")
rmc=$(grep -c '^\$GPRMC' "$data/drive.nmea")
echo "$lines lines for $rmc GPRMC sentences"
[ "$lines" -gt 0 ] && [ "$lines" -eq "$rmc" ] || fail "expected one line per GPRMC sentence"
head -n 1 "$work/decoded.txt" | grep -q '^\[2026\.03\.14 23:58:00\] (N)37\.' || fail "unexpected first line: $(head -n 1 "$work/decoded.txt")"

step "desktop file, AppStream, manual pages"
if command -v desktop-file-validate >/dev/null; then
  desktop-file-validate "$usr/share/applications/$app_id.desktop" || fail "desktop-file-validate"
else
  echo "desktop-file-validate not installed: skipped"
fi
if command -v appstreamcli >/dev/null; then
  appstreamcli validate --no-net "$usr/share/metainfo/$app_id.metainfo.xml" || fail "appstreamcli validate"
else
  echo "appstreamcli not installed: skipped"
fi
if command -v man >/dev/null; then
  for page in orvane orvane-decode orvane-loggen orvane-ttff; do
    warnings=$(LC_ALL=C.UTF-8 MANWIDTH=80 man --warnings -l "$usr/share/man/man1/$page.1.gz" 2>&1 >/dev/null)
    [ -z "$warnings" ] || fail "$page.1: $warnings"
  done
else
  echo "man not installed: manual pages not rendered"
fi

# The programs run as a user who cannot write their folder, with folders
# of their own; root runs them as nobody, whom the folder refuses.
home=$work/home
mkdir -p "$home/config" "$home/data" "$home/cache" "$home/runtime"
chmod 700 "$home/runtime"
cp "$window_test" "$bin/"
chmod a-w "$bin"
as_user=()
if [ "$(id -u)" -eq 0 ]; then
  chown -R 65534:65534 "$home"
  chmod 755 "$work"
  as_user=(setpriv --reuid=65534 --regid=65534 --clear-groups)
fi
# A sanitizer's suppressions go along where that user can read them.
if [[ "${LSAN_OPTIONS:-}" =~ suppressions=([^:]+) ]]; then
  cp "${BASH_REMATCH[1]}" "$work/lsan.supp"
  chmod 644 "$work/lsan.supp"
  export LSAN_OPTIONS=${LSAN_OPTIONS/${BASH_REMATCH[1]}/$work/lsan.supp}
fi
user_env=(env HOME="$home" XDG_CONFIG_HOME="$home/config" XDG_DATA_HOME="$home/data"
  XDG_CACHE_HOME="$home/cache" XDG_RUNTIME_DIR="$home/runtime"
  QT_QPA_PLATFORM=offscreen QTWEBENGINE_DISABLE_SANDBOX=1)

step "the window from the installed bin folder"
"${user_env[@]}" "${as_user[@]}" "$bin/$(basename "$window_test")" || fail "installed window test"

step "installed orvane starts offscreen and reads the installed config.ini"
if command -v inotifywait >/dev/null; then
  inotifywait -e close_nowrite --timeout 60 "$data/config.ini" >"$work/inotify.out" 2>"$work/inotify.err" &
  watch_pid=$!
  for _ in $(seq 100); do
    grep -q "Watches established" "$work/inotify.err" && break
    sleep 0.1
  done
  grep -q "Watches established" "$work/inotify.err" || fail "inotifywait did not start"
  "${user_env[@]}" "${as_user[@]}" "$bin/orvane" "$data/drive.nmea" >"$work/orvane.out" 2>&1 &
  orvane_pid=$!
  wait "$watch_pid" || fail "orvane did not read $data/config.ini: $(cat "$work/orvane.out")"
  kill -0 "$orvane_pid" || fail "orvane ended: $(cat "$work/orvane.out")"
  echo "orvane read $(cat "$work/inotify.out")"
  kill "$orvane_pid"
  wait "$orvane_pid" || true
  orvane_pid=""
else
  echo "inotifywait not installed: skipped"
fi

if [ "$package" = "--package" ]; then
  step "cpack -G DEB"
  cpack -G DEB --config "$build/CPackConfig.cmake" -B "$work/package" >"$work/cpack.log" ||
    fail "cpack: $(cat "$work/cpack.log")"
  deb=$work/package/orvane_${version}_$(dpkg --print-architecture).deb
  [ -s "$deb" ] || fail "no $deb"
  depends=$(dpkg-deb -f "$deb" Depends)
  echo "Depends: $depends"
  for lib in libc6 libqt6core6 libqt6webenginewidgets6 libinih1; do
    grep -q "\b$lib\b" <<<"$depends" || fail "Depends lacks $lib"
  done
  if command -v lintian >/dev/null; then
    step "lintian"
    lintian --fail-on error "$deb" || fail "lintian reports errors"
  else
    echo "lintian not installed: skipped"
  fi
fi
echo "installed layout: all checks passed"
