#!/usr/bin/env bash
# Builds the Windows DLL and host, runs them under Wine on every example and
# every FT50 file the tests write, in each mode, and compares each document,
# and each glTF and GLB export, with the Linux build's, byte for byte. Names
# beyond every ANSI code page are among them: a file, a user's document (with
# an object the update names) and a copy of the program in a folder of such a
# name, which finds its plug-ins beside it. Also checks that the DLL exports
# exactly one symbol, c4d_main.
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
# Opened by its wide name or not at all: no ANSI code page holds it.
cp examples/scene.ft50 "$work/corpus/日本-Tisché.ft50"
TESSARO_KEEP_FT50="$root/$work/corpus" build/tests/host_tests >/dev/null 2>&1 || true

export WINEPREFIX="$root/build-windows/wineprefix" WINEDEBUG=-all
# Wine reads the command line in the locale's character set: UTF-8, as the
# names here are.
export LC_ALL=C.UTF-8
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

# Names beyond the ANSI code page on the command line and on standard
# output: the summary names the file as it is called.
unicode="corpus/日本-Tisché.ft50"
set +e
"$root/build/tessaro" import "$unicode" --mode new --prefs none >linux.out 2>/dev/null
lrc=$?
wine "$root/build-windows/tessaro.exe" import "$unicode" --mode new --prefs none >windows.out 2>/dev/null
wrc=$?
set -e
compared=$((compared + 1))
if [ "$lrc" != "$wrc" ] || ! grep -q '^document "日本-Tisché.ft50"' linux.out ||
   ! cmp -s linux.out <(tr -d '\r' <windows.out); then
  echo "windows-check: the summary of $unicode differs (exit $lrc on Linux, $wrc on Windows):"
  diff linux.out <(tr -d '\r' <windows.out) | head -4 || true
  failed=$((failed + 1))
fi

# A user's document named beyond the ANSI code page, whose object the update
# names as the user types it; the stored data named so too.
python3 - "$root/examples/room.json" "Zimmer-日本.json" <<'PY'
import json, sys
doc = json.load(open(sys.argv[1], encoding="utf-8"))
doc["objects"][0]["name"] = "Tisché"
json.dump(doc, open(sys.argv[2], "w", encoding="utf-8"), ensure_ascii=False, indent=2)
PY
rm -f "linux-日本.prefs" "windows-日本.prefs"
set +e
"$root/build/tessaro" import "$unicode" --into "Zimmer-日本.json" --mode update --object "Tisché" --kind geometry \
  --out "linux/Zimmer-日本.update.json" --prefs "linux-日本.prefs" >/dev/null 2>&1
lrc=$?
wine "$root/build-windows/tessaro.exe" import "$unicode" --into "Zimmer-日本.json" --mode update --object "Tisché" \
  --kind geometry --out "windows/Zimmer-日本.update.json" --prefs "windows-日本.prefs" >/dev/null 2>windows.err
wrc=$?
set -e
compared=$((compared + 1))
if [ "$lrc" != 0 ] || [ "$wrc" != 0 ] || ! [ -s "windows-日本.prefs" ] ||
   ! cmp -s "linux/Zimmer-日本.update.json" "windows/Zimmer-日本.update.json" ||
   ! grep -q "Object: Tisché" windows.err; then
  echo "windows-check: updating Tisché in Zimmer-日本.json: exit $lrc on Linux, $wrc on Windows, or the documents differ:"
  head -4 windows.err
  failed=$((failed + 1))
fi

# The program run from a folder named beyond the ANSI code page finds its
# plug-ins beside it.
program="$root/build-windows/prögram-日本"
rm -rf "$program"
mkdir -p "$program"
cp "$root/build-windows/tessaro.exe" "$program/"
cp -r "$root/build-windows/plugins" "$program/"
set +e
"$root/build/tessaro" import "$unicode" --mode new --out "linux/program.json" --prefs none >/dev/null 2>&1
lrc=$?
wine "$program/tessaro.exe" import "$unicode" --mode new -v --out "windows/program.json" --prefs none \
  >/dev/null 2>windows.err
wrc=$?
set -e
compared=$((compared + 1))
if [ "$lrc" != 0 ] || [ "$wrc" != 0 ] || ! cmp -s "linux/program.json" "windows/program.json" ||
   ! grep -q "plug-ins from '.*prögram-日本.plugins'" windows.err; then
  echo "windows-check: the program in $program: exit $lrc on Linux, $wrc on Windows, or the documents differ:"
  head -4 windows.err
  failed=$((failed + 1))
fi
rm -rf "$program"

wineserver -k 2>/dev/null || true
echo "windows-check: $compared imports compared, $failed differ; the DLL exports c4d_main only"
echo "windows-check: $((compared - failed)) passed, $failed failed"
[ "$failed" = 0 ]
