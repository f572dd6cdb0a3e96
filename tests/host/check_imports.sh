#!/bin/sh
# A DLL must import only system DLLs: no MinGW runtime DLL may be needed.
objdump="$1"; dll="$2"
imports=$("$objdump" -p "$dll" | sed -n 's/^\s*DLL Name: //p' | tr 'A-Z' 'a-z')
[ -n "$imports" ] || { echo "no imports found in $dll"; exit 1; }
status=0
for name in $imports; do
  case "$name" in
    libstdc++*|libgcc*|libwinpthread*|*mingw*) echo "runtime DLL imported: $name"; status=1 ;;
    kernel32.dll|user32.dll|gdi32.dll|shell32.dll|shlwapi.dll|ole32.dll|oleaut32.dll|imm32.dll|\
    advapi32.dll|comdlg32.dll|comctl32.dll|wininet.dll|msvcrt.dll|psapi.dll|version.dll|uuid.dll|\
    api-ms-win-*) ;;
    *) echo "unexpected import: $name"; status=1 ;;
  esac
done
echo "imports: $imports"
exit $status
