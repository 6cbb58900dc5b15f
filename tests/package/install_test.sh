#!/usr/bin/env bash
# The setup program in a fresh prefix: a silent install puts the files, the
# Start-menu shortcut, the uninstall entry and the sign-in value in place; the
# program started through the shortcut reads the (virtual) mouse and logs into
# the install folder; a sign-in starts it in the tray; a second install ends
# it, keeps the user's settings and rules and starts it again; a silent
# uninstall ends it, removes all it installed and leaves the user's files.
. "$(dirname "${BASH_SOURCE[0]}")/lib.sh"
trap stop_wine EXIT
work="$PWD/install"
rm -rf "$work" && mkdir -p "$work/shipped" && cd "$work"
fresh_prefix "$work/prefix"
unzip -q "$zip_file" -d shipped

require "the setup program installs silently" w "$setup_file" /S
wineserver -w

inst_win="$(w cmd /c echo %LOCALAPPDATA%\\Programs\\Mirvostan | tr -d '\r')"
inst="$(unix_path "$inst_win")"
key='HKCU\Software\Microsoft\Windows\CurrentVersion\Uninstall\Mirvostan'
lnk="$(unix_path "$(w cmd /c echo %APPDATA%\\Microsoft\\Windows\\Start Menu\\Programs\\Mirvostan.lnk | tr -d '\r')")"

# ---- files ----------------------------------------------------------------
require "install folder $inst_win" test -d "$inst"
check "installed files are the package's and the uninstaller" \
  same_list "$(listing "$inst")" "${package_files[@]}" Uninstall.exe
for f in "${package_files[@]}"; do
  check "$f is the one the zip carries" cmp -s "$inst/$f" "shipped/$f"
done
check "SonixUSB.dll is the HID library" is_hid_library "$inst/SonixUSB.dll"

version_record="$(w "$MV_PKGCHECK" version "$inst_win\\Mirvostan.exe" | tr -d '\r')"
for row in "FixedFileVersion=$version.0" "FileVersion=$version.0" "ProductVersion=$version" \
           "ProductName=Mirvostan" "FileDescription=Mirvostan mouse configuration" \
           "CompanyName=Mirvostan developers" "LegalCopyright=Copyright (C) 2026 Mirvostan developers"; do
  check "version record: $row" grep -qxF "$row" <<<"$version_record"
done
check "manifest names version $version.0" \
  grep -qE "<assemblyIdentity version=\"$version.0\" processorArchitecture=\"(x86|amd64)\" name=\"Mirvostan.Mirvostan\"" "$inst/Mirvostan.exe"

# ---- shortcut -------------------------------------------------------------
require "Start-menu shortcut exists" test -f "$lnk"
shortcut="$(w "$MV_PKGCHECK" shortcut "$(w winepath -w "$lnk" | tr -d '\r')" | tr -d '\r')"
check "shortcut starts the installed program" grep -qixF "target=$inst_win\\Mirvostan.exe" <<<"$shortcut"
check "shortcut works in the install folder" grep -qixF "workdir=$inst_win" <<<"$shortcut"

# ---- uninstall entry ------------------------------------------------------
entry="$(w reg query "$key" | tr -d '\r')"
value() { awk -v n="$1" '$1 == n {sub(/^[ \t]*[^ \t]+[ \t]+REG_[A-Z_]+[ \t]+/, ""); print; exit}' <<<"$entry"; }
check "entry: DisplayName" [ "$(value DisplayName)" = "Mirvostan" ]
check "entry: DisplayVersion" [ "$(value DisplayVersion)" = "$version" ]
check "entry: Publisher" [ "$(value Publisher)" = "Mirvostan developers" ]
check "entry: DisplayIcon is the program" [ "$(value DisplayIcon)" = "\"$inst_win\\Mirvostan.exe\",0" ]
check "entry: UninstallString" [ "$(value UninstallString)" = "\"$inst_win\\Uninstall.exe\"" ]
check "entry: QuietUninstallString" [ "$(value QuietUninstallString)" = "\"$inst_win\\Uninstall.exe\" /S" ]
check "entry: InstallLocation" [ "$(value InstallLocation)" = "$inst_win" ]
bytes="$(cat "$inst"/* | wc -c)"
check "entry: EstimatedSize is the installed KiB" [ "$(( $(value EstimatedSize) ))" -eq $(((bytes + 1023) / 1024)) ]
check "sign-in value starts the installed program in the tray" [ "$(run_value)" = "\"$inst_win\\Mirvostan.exe\" --tray" ]

# ---- the installed program runs on the virtual mouse -----------------------
cp "$MV_VMOUSE" "$inst/SonixUSB.dll"
w start "$(w winepath -w "$lnk" | tr -d '\r')" >/dev/null
check "started from the shortcut, it reads the mouse" wait_for 60 read_the_mouse "$inst"
check "it keeps running" running_here Mirvostan.exe
check "its log is in the install folder" test -s "$inst/Mirvostan.log"
stop_wine

# ---- a sign-in starts it in the tray ----------------------------------------
# After a sign-out (the server ended), wineboot runs what the Run key names.
rm -f "$inst/VirtualMouse.log"
w wineboot >/dev/null
check "signing in starts it, and it reads the mouse" wait_for 60 read_the_mouse "$inst"
has_main_window() { shown="$(w "$MV_PKGCHECK" visible | tr -d '\r')"; }
check "it has the window an installer asks to end" wait_for 30 has_main_window
check "it shows no window, only its tray icon" [ "$shown" = visible=0 ]

# ---- an update ends it, replaces the translations, keeps the user's settings
# and starts it again --------------------------------------------------------
# Two per-program rules (one path beyond any 8-bit code page), the language,
# another [General] key and a section of the user's own.
printf '[General]\r\nLangId=3\r\nLastPage=2\r\n[Germany]\r\nSTR_ID_SAVE=Old text\r\n[Profiles]\r\nFollow=1\r\nDefault=C:\\p\\base.mvf\r\nRule1=game.exe|C:\\p\\game.mvf\r\nRule2=\xe7\xbc\x96\xe8\xbe\x91.exe|C:\\p\\\xc3\xa9dit.mvf\r\n[Mine]\r\nnote=kept\r\n' |
  iconv -f UTF-8 -t UTF-16LE | { printf '\xff\xfe'; cat; } >"$inst/AppCfg.ini"
old_pid="$(pids_here Mirvostan.exe)"
require "installing again over it while it runs" w "$setup_file" /S
check "the library it had in use is replaced" cmp -s "$inst/SonixUSB.dll" shipped/SonixUSB.dll
# One process, a new one; Wine pads its command line.
restarted() { local pid; pid="$(pids_here Mirvostan.exe)"; [ -n "$pid" ] && [ "$pid" != "$old_pid" ] &&
  [ "$(tr '\0' ' ' <"/proc/$pid/cmdline" | sed 's/ *$//')" = "$inst_win\\Mirvostan.exe --tray" ]; }
check "it ended, and runs again from the install folder with --tray" wait_for 30 restarted
for row in "General LangId 3" "General LastPage 2" "Profiles Follow 1" "Profiles Default C:\\p\\base.mvf" \
           "Profiles Rule1 game.exe|C:\\p\\game.mvf" "Profiles Rule2 编辑.exe|C:\\p\\édit.mvf" "Mine note kept"; do
  read -r section key want <<<"$row"
  check "update keeps [$section] $key" [ "$(ini_value "$inst/AppCfg.ini" "$section" "$key")" = "$want" ]
done
check "translations are the new ones" \
  [ "$(ini_value "$inst/AppCfg.ini" Germany STR_ID_SAVE)" = "$(ini_value shipped/AppCfg.ini Germany STR_ID_SAVE)" ]
check "AppCfg.ini stays UTF-16 with its byte-order mark" [ "$(head -c2 "$inst/AppCfg.ini" | od -An -tx1 | tr -d ' ')" = fffe ]

# ---- uninstall ------------------------------------------------------------
echo '<Mirvostan/>' >"$inst/My buttons.mvf"
echo 'mine' >"$inst/notes.txt"
require "the uninstaller runs silently" w "$inst_win\\Uninstall.exe" /S
# It runs on from a copy of itself and ends Mirvostan: then nothing of the
# prefix runs any more.
check "uninstalling ends Mirvostan" timeout 30 wineserver -w
check "only the user's and the program's own files stay" \
  same_list "$(listing "$inst")" "My buttons.mvf" notes.txt Mirvostan.log VirtualMouse.log VirtualMouse.txt
check "the profile is untouched" grep -qxF '<Mirvostan/>' "$inst/My buttons.mvf"
check "the shortcut is gone" test ! -e "$lnk"
check "the uninstall entry is gone" bash -c "! wine reg query '$key' >/dev/null 2>&1 </dev/null"
check "the sign-in value is gone" [ -z "$(run_value)" ]
finish
