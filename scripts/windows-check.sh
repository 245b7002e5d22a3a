#!/usr/bin/env bash
# Builds the Windows DLL and host, runs them under Wine on every example and
# every FT50 file the tests write, in each mode, and compares each document,
# and each glTF and GLB export, with the Linux build's, byte for byte. Also
# checks that the DLL exports exactly one symbol, c4d_main.
set -euo pipefail
cd "$(dirname "$0")/.."
root=$PWD
SUDO=""
if [ "$(id -u)" != 0 ]; then SUDO=sudo; fi
if ! dpkg --print-foreign-architectures | grep -qx i386; then $SUDO dpkg --add-architecture i386; fi
if ! command -v wine >/dev/null || ! dpkg-query -W -f='${Status}' wine32:i386 2>/dev/null | grep -q "ok installed"; then
  echo "windows-check: installing Wine and the mingw toolchain"
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq wine wine32 g++-mingw-w64-i686 >/dev/null
fi

bash scripts/build.sh
bash scripts/build-windows.sh

dll=build-windows/plugins/TessaroImport/TessaroImport.dll
exports=$(i686-w64-mingw32-objdump -p "$dll" | sed -n '/\[Ordinal\/Name Pointer\] Table/,/^$/p' | awk '/\[/ && NR > 1 {print $NF}')
if [ "$exports" != "c4d_main" ]; then
  echo "windows-check: $dll exports '$exports', not just c4d_main"
  exit 1
fi
header=$(i686-w64-mingw32-objdump -p "$dll")
# PE32 (magic 010b) with the DLL flag among its characteristics.
if ! grep -qE "^Magic[[:space:]]+010b" <<<"$header" ||
   ! sed -n '/^Characteristics/,/^$/p' <<<"$header" | grep -qx $'\tDLL'; then
  echo "windows-check: $dll is not a 32-bit Windows DLL"
  exit 1
fi

# What ships carries no debug sections.
for binary in "$dll" build-windows/tessaro.exe; do
  if i686-w64-mingw32-objdump -h "$binary" | grep -q '\.debug'; then
    echo "windows-check: $binary carries debug sections"
    exit 1
  fi
done

# Wine runs 32-bit Windows programs as 32-bit Linux processes; a kernel
# without 32-bit support (some virtual machines) cannot start them. The
# builds and the DLL checks above still ran; the comparison cannot.
server32=/usr/lib/wine/wineserver32
if [ -x "$server32" ] && ! "$server32" --version >/dev/null 2>&1; then
  echo "windows-check: this machine cannot run 32-bit programs (no IA-32 support in its kernel), so the"
  echo "windows-check: Windows build was built and its exports checked, but not run and compared under Wine"
  exit 0
fi

work=build-windows/check
rm -rf "$work"
mkdir -p "$work/corpus" "$work/linux" "$work/windows"
cp examples/*.ft50 "$work/corpus/"
cp -r examples/tex "$work/corpus/"
TESSARO_KEEP_FT50="$root/$work/corpus" build/tests/host_tests >/dev/null 2>&1 || true

export WINEPREFIX="$root/build-windows/wineprefix" WINEDEBUG=-all
# A prefix made to the end before it is changed, and the null graphics
# driver, so that windows can be made without a display.
wineboot --init >/dev/null 2>&1 || true
wineserver -w
wine reg add 'HKCU\Software\Wine\Drivers' /v Graphics /d null /f >/dev/null 2>&1
wineserver -w
wineserver -p 2>/dev/null || true

cd "$work"
compared=0
failed=0
for f in corpus/*.ft50; do
  name=$(basename "$f" .ft50)
  for mode in new merge update; do
    case $mode in
      new) args=(--mode new) ;;
      merge) args=(--into "$root/examples/room.json" --mode merge) ;;
      update) args=(--into "$root/examples/room.json" --mode update --object Table --kind geometry) ;;
    esac
    # Windows programs take the relative paths; the user's document is
    # copied in for the same reason.
    cp "$root/examples/room.json" room.json
    [ "$mode" = new ] || args[1]=room.json
    rm -f linux.prefs windows.prefs
    set +e
    "$root/build/tessaro" import "$f" "${args[@]}" --out "linux/$name.$mode.json" --prefs linux.prefs >/dev/null 2>&1
    lrc=$?
    TESSARO_SHOW_FOREGROUND=1 wine "$root/build-windows/tessaro.exe" import "$f" "${args[@]}" \
      --out "windows/$name.$mode.json" --prefs windows.prefs >/dev/null 2>windows.err
    wrc=$?
    set -e
    compared=$((compared + 1))
    if [ "$lrc" != "$wrc" ]; then
      echo "windows-check: $f ($mode): exit status $lrc on Linux, $wrc on Windows"
      failed=$((failed + 1))
    elif [ -f "linux/$name.$mode.json" ] || [ -f "windows/$name.$mode.json" ]; then
      if ! cmp -s "linux/$name.$mode.json" "windows/$name.$mode.json"; then
        echo "windows-check: $f ($mode): the documents differ; first difference:"
        diff "linux/$name.$mode.json" "windows/$name.$mode.json" | head -4
        failed=$((failed + 1))
      fi
    fi
    # The glTF exports too, text and binary: the same bytes from both builds.
    if [ "$mode" = new ] && [ "$lrc" = 0 ]; then
      for ext in gltf glb; do
        set +e
        "$root/build/tessaro" import "$f" --mode new --out "linux/$name.$ext" --prefs linux.prefs >/dev/null 2>&1
        lrc2=$?
        wine "$root/build-windows/tessaro.exe" import "$f" --mode new --out "windows/$name.$ext" --prefs windows.prefs \
          >/dev/null 2>&1
        wrc2=$?
        set -e
        compared=$((compared + 1))
        if [ "$lrc2" != "$wrc2" ] || ! cmp -s "linux/$name.$ext" "windows/$name.$ext"; then
          echo "windows-check: $f ($ext): the exports differ (exit $lrc2 on Linux, $wrc2 on Windows)"
          cmp "linux/$name.$ext" "windows/$name.$ext" | head -2 || true
          failed=$((failed + 1))
        fi
      done
    fi
    if [ "$wrc" = 0 ] && ! grep -q "^foreground: CINEMA 4D" windows.err; then
      echo "windows-check: $f ($mode): the plug-in did not bring the host's window to the front"
      failed=$((failed + 1))
    fi
  done
done
wineserver -k 2>/dev/null || true
echo "windows-check: $compared imports compared, $failed differ; the DLL exports c4d_main only"
echo "windows-check: $((compared - failed)) passed, $failed failed"
[ "$failed" = 0 ]
