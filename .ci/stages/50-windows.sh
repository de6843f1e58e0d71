# Windows builds with mingw-w64, tests under Wine. Sourced by .ci/run after
# the Linux tests (install_packages comes from there).
#
# windows-x86, the program's own platform, is always built (warnings as
# errors, every test program included) and its DLL exports are checked. Its
# tests run under Wine where this machine runs 32-bit x86 code; otherwise the
# whole suite runs on windows-x64 under a 64-bit Wine, which exercises the
# same platform layer (library loading, console, CR LF output).

windows_stage_start=$SECONDS

# True if this kernel runs 32-bit x86 programs. A minimal 32-bit ELF whose entry
# point is exit(0) through int 0x80 (93 bytes).
runs_32bit_code() {
  local probe
  probe=$(mktemp)
  printf '\x7fELF\x01\x01\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\x02\x00\x03\x00\x01\x00\x00\x00\x54\x80\x04\x08\x34\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x00\x34\x00\x20\x00\x01\x00\x00\x00\x00\x00\x00\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x80\x04\x08\x00\x80\x04\x08\x5d\x00\x00\x00\x5d\x00\x00\x00\x05\x00\x00\x00\x00\x10\x00\x00\xb8\x01\x00\x00\x00\x31\xdb\xcd\x80' >"$probe"
  chmod +x "$probe"
  local status=0
  "$probe" 2>/dev/null || status=$?
  rm -f "$probe"
  [ "$status" -eq 0 ]
}

windows_arch=x64
if runs_32bit_code; then
  windows_arch=x86
fi
echo "Windows tests run on the $windows_arch build"

windows_packages=(googletest g++-mingw-w64-i686-posix util-linux)
if [ "$windows_arch" = x86 ]; then
  if ! dpkg --print-foreign-architectures | grep -qx i386; then
    dpkg --add-architecture i386
    apt-get update -qq
  fi
  windows_packages+=(wine wine32:i386)
else
  windows_packages+=(g++-mingw-w64-x86-64-posix wine64)
fi
install_packages "${windows_packages[@]}"

export WINEDEBUG=fixme-all,err-winediag,err-systray,err-ole
if [ "$windows_arch" = x86 ]; then
  windows_wine=wine
else
  windows_wine=/usr/lib/wine/wine64
fi

# The product build, warnings as errors: everything where its tests run here,
# the programs and the simulated libraries otherwise (the x64 build compiles
# the same test sources).
cmake --preset windows-x86
if [ "$windows_arch" = x86 ]; then
  cmake --build --preset windows-x86
else
  windows_targets=(thermo ftd2xx_sim ftd2xx_sim_nogetbitmode)
  if grep -q 'bustool\.exe' build/win/build.ninja; then
    windows_targets+=(bustool)
  fi
  cmake --build --preset windows-x86 --target "${windows_targets[@]}"
fi

# Its adapter library exports the entry points under their plain names, and
# the programs need nothing beyond the system's own DLLs.
windows_exports=$(i686-w64-mingw32-objdump -p build/win/sim/lib/Ftd2xx.dll)
for name in FT_Open FT_SetBaudRate FT_SetBitMode FT_Write FT_GetBitMode; do
  grep -qE "\] ${name}\$" <<<"$windows_exports" || { echo "Ftd2xx.dll does not export $name" >&2; exit 1; }
done
if i686-w64-mingw32-objdump -p build/win/sim/lib-nogetbitmode/Ftd2xx.dll | grep -q FT_GetBitMode; then
  echo "the no-FT_GetBitMode Ftd2xx.dll exports FT_GetBitMode" >&2
  exit 1
fi
windows_imports=$(i686-w64-mingw32-objdump -p build/win/bin/thermo.exe | sed -n 's/^\s*DLL Name: //p' | sort -f | tr '\n' ' ')
[ "${windows_imports,,}" = "kernel32.dll msvcrt.dll " ] || { echo "thermo.exe imports: $windows_imports" >&2; exit 1; }

if [ "$windows_arch" = x64 ]; then
  cmake --preset windows-x64
  cmake --build --preset windows-x64
fi

# A Wine prefix, and one Wine server kept up for the whole run (without it
# every test program pays the server's start-up).
WINEPREFIX=${WINEPREFIX:-$HOME/.wine}
export WINEPREFIX
# The prefix first (wineboot leaves a server with a short lifetime: wait for
# it to go), then a server that stays until it is told to stop.
"$windows_wine" wineboot -i </dev/null >/dev/null 2>&1
wineserver -w </dev/null >/dev/null 2>&1 || true
wineserver -p </dev/null >/dev/null 2>&1
"$windows_wine" wineboot </dev/null >/dev/null 2>&1
windows_status=0
ctest --preset "windows-$windows_arch" || windows_status=$?
wineserver -k </dev/null >/dev/null 2>&1 || true
echo "Windows stage: $((SECONDS - windows_stage_start)) s"
[ "$windows_status" -eq 0 ]
