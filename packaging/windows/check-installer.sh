#!/usr/bin/env bash
# Checks the Windows installer that ./build.sh windows-package made, under Wine, in a new Wine
# prefix with a Chinese Windows' code page (936), as a Windows user meets it:
#   - the installer is a 64-bit NSIS program;
#   - a silent install (/S), and another over it, put exactly
#     packaging/windows/installed-files.txt, stripped of debugging sections, into
#     C:\Program Files\灭火器配置计算, and add the Start-menu entries that start the program and its
#     uninstaller, and the .fep file type (opened by the program, shown with its icon);
#   - the installed program carries its icon and its Chinese version information
#     (check_resources.py);
#   - it runs from its folder alone (nothing of Qt's or MinGW's on Wine's path): it tells its
#     version, and exports tests/sample.fep as a calculation book that pdftotext reads back and
#     as a workbook that openpyxl reads back, having found Qt's Chinese texts;
#   - the Start-menu entry starts the installed program in the user's profile;
#   - opening a .fep file through Windows' shell starts the installed program with that file;
#   - a silent uninstall takes away the folder, the Start-menu entries, every registry key that
#     the install added and the program's empty recovery folder, and keeps the user's settings;
#     asked to (/REMOVESETTINGS), it takes the settings too, and keeps recovery copies.
# Usage: packaging/windows/check-installer.sh <build dir>
set -euo pipefail
cd "$(dirname "$0")/../.."
dir=$1
product=灭火器配置计算
id=cn.narwe.ExtinguisherCalculator
progid=$id.project
program=extinguisher-calculator.exe

setups=("$dir"/extinguisher-calculator-*-win64-setup.exe)
if [ ${#setups[@]} -ne 1 ] || [ ! -f "${setups[0]}" ]; then
    echo "check-installer: expected one extinguisher-calculator-*-win64-setup.exe in $dir" >&2
    exit 1
fi
setup=${setups[0]}
version=$(basename "$setup" | sed 's/^extinguisher-calculator-\(.*\)-win64-setup\.exe$/\1/')

fail() {
    echo "check-installer: $*" >&2
    exit 1
}

# Debian's own Python, which has python3-openpyxl; a version manager's, earlier on the path,
# may lack it.
python=/usr/bin/python3
wine=$(command -v wine64 || echo /usr/lib/wine/wine64)
wineserver=$(command -v wineserver || echo /usr/lib/wine/wineserver)
work=$(mktemp -d)
export WINEPREFIX=$work/prefix WINEDEBUG=-all
# No Mono or Gecko to offer, and no menu entries or file types of the host's desktop made from
# the installer's shortcuts and registry keys.
export WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
unset WINEPATH DISPLAY WAYLAND_DISPLAY
cleanup() {
    timeout 30 "$wineserver" -k 2>/dev/null || true
    rm -rf "$work"
}
trap cleanup EXIT
# Wine takes the Windows locale, and with it the ANSI code page, from the Unix locale: Chinese
# (China), code page 936, as a designer's Windows has. The locale is compiled into the work
# folder, so that the machine need not have it. (This shell cannot switch to it, having started
# without LOCPATH: its warning is hidden.)
mkdir "$work/locale"
localedef -i zh_CN -f UTF-8 "$work/locale/zh_CN.UTF-8" >/dev/null 2>&1 ||
    [ -f "$work/locale/zh_CN.UTF-8/LC_CTYPE" ] || fail "localedef cannot make the zh_CN.UTF-8 locale"
export LOCPATH=$work/locale
{ export LC_ALL=zh_CN.UTF-8; } 2>/dev/null

# The Windows path of a file under $work, on Wine's Z: drive.
windows_path() {
    local path=$1
    echo "Z:${path//\//\\}"
}

# reg_export <key> <file>: the key and everything under it, as regedit writes them (UTF-16).
reg_export() {
    timeout 60 "$wine" reg export "$1" "$(windows_path "$2")" /y >/dev/null 2>&1
}

# reg_values <file> <key>: prints the key's values as name=value lines (the default value as @),
# read from a reg_export file.
reg_values() {
    "$python" - "$1" "$2" <<'EOF'
import re, sys
text = open(sys.argv[1], "rb").read().decode("utf-16")
section, wanted = None, "[" + sys.argv[2].lower() + "]"
unescape = lambda quoted: re.sub(r"\\(.)", r"\1", quoted[1:-1])
for line in text.splitlines():
    if line.startswith("["):
        section = line.lower()
    elif section == wanted and line.startswith(("@=", '"')):
        name, value = re.match(r'(@|"(?:[^"\\]|\\.)*")=(.*)', line).groups()
        name = name if name == "@" else unescape(name)
        print(f"{name}={unescape(value) if value.startswith(chr(34)) else value}")
EOF
}

# registry_keys_added <when>: the registry keys that $work/hk{lm,cu}-<when>.reg hold and
# $work/hk{lm,cu}-before.reg do not, where an installer writes: under Software\Classes, the
# uninstall entries, and the vendors' keys (two levels under Software), in HKLM and HKCU. Left
# out: the program's own settings (HKCU\Software\narwe, which stay unless the user asks),
# the keys that Windows keeps of the programs that ran, and Wine's own.
registry_keys_added() {
    "$python" - "$work" "$1" <<'EOF'
import re, sys
def keys(name):
    text = open(f"{sys.argv[1]}/{name}.reg", "rb").read().decode("utf-16")
    return {line.lower() for line in text.splitlines() if line.startswith("[")}
watched = re.compile(r"^\[hkey_(local_machine|current_user)\\software(\\wow6432node)?"
                     r"(\\classes\\|\\microsoft\\windows\\currentversion\\uninstall\\"
                     r"|(\\[^\\]+){1,2}\]$)")
ignored = re.compile(r"^\[hkey_current_user\\software\\(narwe|wine)[\\\]]"
                     r"|\\(muicache|shell\\bags|recentdocs|userassist)[\\\]]")
for key in sorted(key for hive in ("hklm", "hkcu")
                  for key in keys(f"{hive}-{sys.argv[2]}") - keys(f"{hive}-before")
                  if watched.search(key) and not ignored.search(key)):
    print(key)
EOF
}

seconds() {
    date +%s.%N
}
elapsed() {
    awk "BEGIN { printf \"%.1f\", $(seconds) - $1 }"
}

echo "== installer"
file "$setup" | tee "$work/setup.type"
grep -q 'PE32+ executable' "$work/setup.type" || fail "$setup is not a 64-bit Windows program"
# The header of NSIS's data, after its 64-bit stub.
grep -q -a NullsoftInst "$setup" || fail "$setup is not an NSIS installer"
echo "$(basename "$setup"): $(stat -c %s "$setup") bytes"

echo "== new Wine prefix"
start=$(seconds)
mkdir -p "$WINEPREFIX"
timeout 30 "$wineserver" -p
timeout 180 "$wine" wineboot --init >/dev/null 2>&1 || fail "wineboot failed"
echo "made in $(elapsed "$start") s"
code_page=$(timeout 60 "$wine" reg query 'HKLM\System\CurrentControlSet\Control\Nls\CodePage' /v ACP |
    awk '$1 == "ACP" { print $3 }' | tr -d '\r')
echo "ANSI code page: $code_page"
[ "$code_page" = 936 ] || fail "Wine's ANSI code page is '$code_page', not 936"
reg_export 'HKLM\Software' "$work/hklm-before.reg"
reg_export 'HKCU\Software' "$work/hkcu-before.reg"

echo "== silent install"
start=$(seconds)
timeout 300 "$wine" "$setup" /S || fail "the installer ended with status $?"
echo "installed in $(elapsed "$start") s"
# Once more, as a newer version is installed: the installer first runs the uninstaller of the
# one installed, silently as it runs itself.
start=$(seconds)
timeout 300 "$wine" "$setup" /S || fail "the installer, run again, ended with status $?"
echo "installed again over the first install in $(elapsed "$start") s"
folder="$WINEPREFIX/drive_c/Program Files/$product"
menu="$WINEPREFIX/drive_c/ProgramData/Microsoft/Windows/Start Menu/Programs/$product"
win_folder="C:\\Program Files\\$product"
[ -f "$folder/$program" ] || fail "the program is not in $folder"
reg_export 'HKLM\Software' "$work/hklm-installed.reg"
reg_export 'HKCU\Software' "$work/hkcu-installed.reg"
registry_keys_added installed | tee "$work/keys-installed"
for key in "hkey_local_machine\\software\\classes\\.fep" \
    "hkey_local_machine\\software\\classes\\$progid\\shell\\open\\command" \
    "hkey_local_machine\\software\\microsoft\\windows\\currentversion\\uninstall\\$id" \
    "hkey_local_machine\\software\\灭火器配置计算开发组\\$id"; do
    grep -qixF "[$key]" "$work/keys-installed" || fail "the install did not add the key $key"
done

echo "== installed files"
(cd "$folder" && find . -mindepth 1 \( -type d -printf '%P/\n' -o -printf '%P\n' \)) |
    LC_ALL=C sort | diff -u packaging/windows/installed-files.txt - ||
    fail "the installed files differ from packaging/windows/installed-files.txt"

# Every program file stripped of its debugging sections.
for file in "$folder"/*.exe "$folder"/*.dll "$folder"/*/*.dll; do
    if x86_64-w64-mingw32-objdump --section-headers "$file" | grep -q ' \.debug_'; then
        fail "${file#"$folder"/} has debugging sections"
    fi
done

# A windowed program, so that no console opens beside its window; it still writes to the console
# it is started from, which the runs below read.
headers=$(x86_64-w64-mingw32-objdump -p "$folder/$program")
grep -q '^Subsystem.*(Windows GUI)' <<<"$headers" || fail "$program is not a windowed program"

echo "== Start menu"
for link in "$product.lnk" "卸载$product.lnk"; do
    [ -f "$menu/$link" ] || fail "no Start-menu entry $link"
done
# A shortcut names its target's folders and file in UTF-16, each on its own, and its whole path
# in the ANSI code page; the program's starts in the profile of whoever starts it.
"$python" - "$menu/$product.lnk" "Program Files/$product/$program" "$menu/卸载$product.lnk" \
    "Program Files/$product/Uninstall.exe" <<'EOF'
import struct, sys
def ansi_path_and_working_folder(data):
    flags, = struct.unpack_from("<I", data, 0x14)
    position = 0x4C
    if flags & 0x01:  # the target's ID list
        position += 2 + struct.unpack_from("<H", data, position)[0]
    path = None
    if flags & 0x02:  # where the target lies, with its local path in the ANSI code page
        size, = struct.unpack_from("<I", data, position)
        start = position + struct.unpack_from("<I", data, position + 0x10)[0]
        path = data[start:data.index(b"\0", start)].decode("gbk", "replace")
        position += size
    texts = {}
    for flag in (0x04, 0x08, 0x10, 0x20, 0x40):  # name, relative path, working folder, ...
        if flags & flag:
            length, = struct.unpack_from("<H", data, position)
            size = length * 2 if flags & 0x80 else length
            raw = data[position + 2:position + 2 + size]
            texts[flag] = raw.decode("utf-16-le" if flags & 0x80 else "gbk").rstrip("\0")
            position += 2 + size
    return path, texts.get(0x10)
for n, (link, target) in enumerate(zip(sys.argv[1::2], sys.argv[2::2])):
    data = open(link, "rb").read()
    name = link.rsplit("/", 1)[1]
    if not all(part.encode("utf-16-le") in data for part in target.split("/")):
        sys.exit(f"check-installer: the shortcut {name} does not lead to {target}")
    path, folder = ansi_path_and_working_folder(data)
    if path != "C:\\" + target.replace("/", "\\"):
        sys.exit(f"check-installer: the shortcut {name} holds the ANSI path {path!r}")
    print(f"{name} -> {path}, working folder {folder}")
    if n == 0 and folder != "%USERPROFILE%":
        sys.exit(f"check-installer: the shortcut {name} starts in {folder!r}, not in the user's profile")
EOF

# find_program TEXT: the process id of the installed program, in this Wine prefix, whose
# command line holds TEXT; waits up to 20 s for it.
find_program() {
    local candidate
    for _ in $(seq 1 40); do
        for candidate in $(pgrep -f 'extinguisher-calculator\.exe' || true); do
            if tr '\0' '\n' <"/proc/$candidate/environ" 2>/dev/null | grep -qxF "WINEPREFIX=$WINEPREFIX" &&
                tr '\0' ' ' <"/proc/$candidate/cmdline" | grep -qF "$1"; then
                echo "$candidate"
                return
            fi
        done
        sleep 0.5
    done
}

# stop_program PID: ends the program and waits for it.
stop_program() {
    kill "$1"
    for _ in $(seq 1 20); do kill -0 "$1" 2>/dev/null || break; sleep 0.5; done
}

# The Start-menu entry, started as Explorer starts it: the installed program, in the user's
# profile (Wine starts a program in its working folder on the Unix side too).
WINEQT_QPA_PLATFORM=offscreen timeout 60 "$wine" start \
    "C:\\ProgramData\\Microsoft\\Windows\\Start Menu\\Programs\\$product\\$product.lnk" ||
    fail "starting the Start-menu entry ended with status $?"
pid=$(find_program "$win_folder\\$program")
[ -n "$pid" ] || fail "the Start-menu entry did not start the installed program"
profile="$WINEPREFIX/drive_c/users/$(id -un)"
echo "started from the Start menu: $(tr '\0' ' ' <"/proc/$pid/cmdline" | sed 's/ *$//'), in $(readlink "/proc/$pid/cwd")"
[ "$(readlink "/proc/$pid/cwd")" = "$profile" ] ||
    fail "the Start-menu entry started the program in $(readlink "/proc/$pid/cwd"), not in $profile"
stop_program "$pid"

echo "== program resources"
"$python" packaging/windows/check_resources.py "$folder/$program" "$version"

echo "== project file type"
reg_export 'HKLM\Software\Classes\.fep' "$work/fep.reg" || fail "no .fep type in HKLM\\Software\\Classes"
reg_export "HKLM\\Software\\Classes\\$progid" "$work/progid.reg" || fail "no $progid in HKLM\\Software\\Classes"
reg_values "$work/fep.reg" 'HKEY_LOCAL_MACHINE\Software\Classes\.fep' | tee "$work/fep.values"
reg_values "$work/fep.reg" 'HKEY_LOCAL_MACHINE\Software\Classes\.fep\OpenWithProgids' >>"$work/fep.values"
for key in "" '\DefaultIcon' '\shell\open\command'; do
    reg_values "$work/progid.reg" "HKEY_LOCAL_MACHINE\\Software\\Classes\\$progid$key" |
        while IFS= read -r line; do printf '%s: %s\n' "$progid$key" "$line"; done
done | tee "$work/progid.values"
grep -qxF "@=$progid" "$work/fep.values" || fail ".fep does not name $progid"
grep -qxF "$progid=" "$work/fep.values" || fail ".fep\\OpenWithProgids does not list $progid"
grep -qxF "$progid: @=灭火器配置工程" "$work/progid.values" || fail "$progid has no Chinese name"
grep -qxF "$progid\\DefaultIcon: @=\"$win_folder\\$program\",0" "$work/progid.values" ||
    fail "the project files' icon is not the program's"
grep -qxF "$progid\\shell\\open\\command: @=\"$win_folder\\$program\" \"%1\"" \
    "$work/progid.values" || fail "the project files do not open with the installed program"

echo "== entry in Windows' list of installed programs"
uninstall_key="HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$id"
reg_export "$uninstall_key" "$work/uninstall.reg" || fail "no $uninstall_key"
reg_values "$work/uninstall.reg" "HKEY_LOCAL_MACHINE${uninstall_key#HKLM}" |
    tee "$work/uninstall.values"
for value in "DisplayName=$product" "DisplayVersion=$version" "Publisher=${product}开发组" \
    "DisplayIcon=$win_folder\\$program" "UninstallString=\"$win_folder\\Uninstall.exe\""; do
    grep -qxF "$value" "$work/uninstall.values" || fail "the uninstall entry lacks $value"
done

echo "== installed program"
cp tests/sample.fep "$work/sample.fep"
out=$(timeout 60 "$wine" "$win_folder\\$program" --version) || fail "--version ended with status $?"
out=${out%$'\r'}  # a Windows program ends its lines with CR LF
echo "$out"
[ "$out" = "extinguisher-calculator $version" ] || fail "--version printed '$out'"

start=$(seconds)
timeout 120 "$wine" "$win_folder\\$program" --export "$(windows_path "$work/book.pdf")" \
    "$(windows_path "$work/sample.fep")" || fail "the PDF export ended with status $?"
echo "calculation book exported in $(elapsed "$start") s"
pdftotext "$work/book.pdf" "$work/book.txt"
for text in 建筑灭火器配置设计计算书 综合楼 办公室 配电间 油库; do
    grep -q "$text" "$work/book.txt" || fail "the calculation book lacks '$text' (its text: $(head -c 200 "$work/book.txt"))"
done
echo "the calculation book reads back with its title, the project and its three units"

start=$(seconds)
timeout 120 "$wine" "$win_folder\\$program" --verbose --export \
    "$(windows_path "$work/workbook.xlsx")" "$(windows_path "$work/sample.fep")" \
    2>"$work/export.log" || { cat "$work/export.log" >&2; fail "the workbook export ended with status $?"; }
echo "workbook exported in $(elapsed "$start") s"
if grep -F "Chinese texts were not found" "$work/export.log"; then
    fail "the installed program did not find Qt's Chinese texts"
fi
[ "$(head -c 2 "$work/workbook.xlsx")" = PK ] || fail "the workbook is not a zip file"
"$python" - "$work/workbook.xlsx" <<'EOF'
import sys
import openpyxl
book = openpyxl.load_workbook(sys.argv[1])
texts = {str(cell.value) for sheet in book for row in sheet.iter_rows() for cell in row
         if cell.value is not None}
missing = [text for text in ("办公室", "配电间", "油库") if not any(text in t for t in texts)]
if missing:
    sys.exit(f"check-installer: the workbook lacks {missing}")
print(f"the workbook reads back: sheets {book.sheetnames}, with the three units")
EOF

echo "== opening a project file from Windows' shell"
# start.exe opens the file as Explorer does, through its type; the program opens its project
# window, offscreen here, and keeps running.
WINEQT_QPA_PLATFORM=offscreen timeout 60 "$wine" start "$(windows_path "$work/sample.fep")" ||
    fail "start ended with status $?"
pid=$(find_program sample.fep)
[ -n "$pid" ] || fail "opening sample.fep did not start the installed program"
echo "started: $(tr '\0' ' ' <"/proc/$pid/cmdline" | sed 's/ *$//')"
sleep 3
kill -0 "$pid" 2>/dev/null || fail "the program that opened sample.fep ended within 3 s"
stop_program "$pid"

# has_key KEY: whether the registry holds the key.
has_key() {
    timeout 60 "$wine" reg query "$1" >/dev/null 2>&1
}

# uninstall OPTION...: runs the uninstaller, which runs on from a copy of itself in the temporary
# folder so that it can remove its own file, and waits for the install folder to go.
uninstall() {
    start=$(seconds)
    timeout 120 "$wine" "$win_folder\\Uninstall.exe" "$@" || fail "the uninstaller ended with status $?"
    for _ in $(seq 1 120); do
        [ -e "$folder" ] || break
        sleep 0.5
    done
    echo "uninstalled in $(elapsed "$start") s"
    if [ -e "$folder" ]; then
        find "$folder" >&2
        fail "the uninstaller left the install folder"
    fi
}

echo "== silent uninstall"
# What a user's profile holds of the program: its settings, what Qt's file dialogs keep of the
# folders visited, and the recovery folder, empty once the work in it was saved.
settings_keys=('HKCU\Software\narwe' 'HKCU\Software\QtProject\OrganizationDefaults\FileDialog')
for key in "${settings_keys[@]}"; do
    timeout 60 "$wine" reg add "$key" /v lastVisited /d 'file:///C:/users' /f >/dev/null 2>&1 ||
        fail "reg add $key ended with status $?"
done
data="$profile/AppData/Roaming/${program%.exe}"
mkdir -p "$data/recovery"
uninstall /S
[ ! -e "$menu" ] || fail "the uninstaller left the Start-menu folder: $(ls "$menu")"
for key in 'HKLM\Software\Classes\.fep' "HKLM\\Software\\Classes\\$progid" \
    "HKLM\\Software\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\$id" \
    "HKLM\\Software\\灭火器配置计算开发组"; do
    ! has_key "$key" || fail "the uninstaller left the registry key $key"
done
[ ! -e "$data" ] || fail "the uninstaller left the program's data folder: $(find "$data")"
# A silent uninstall answers its question with the default: the settings stay.
for key in "${settings_keys[@]}"; do
    has_key "$key" || fail "the silent uninstall removed the settings $key"
done
echo "the empty recovery folder went, the settings stay"

echo "== silent uninstall that removes the settings"
timeout 300 "$wine" "$setup" /S || fail "the installer, run once more, ended with status $?"
mkdir -p "$data/recovery"
echo '{}' >"$data/recovery/unsaved.fep-recovery"
uninstall /S /REMOVESETTINGS
for key in "${settings_keys[@]}" 'HKCU\Software\QtProject'; do
    ! has_key "$key" || fail "the uninstaller, asked to remove the settings, left $key"
done
# A recovery copy is work not yet saved: it stays, with its folder.
[ -f "$data/recovery/unsaved.fep-recovery" ] || fail "the uninstaller removed a recovery copy"
echo "the settings went, the recovery copy stays"
# Nor is any other key left where an installer writes (registry_keys_added, the keys after the
# install had added them).
reg_export 'HKLM\Software' "$work/hklm-after.reg"
reg_export 'HKCU\Software' "$work/hkcu-after.reg"
left=$(registry_keys_added after)
[ -z "$left" ] || fail "the uninstaller left registry keys:"$'\n'"$left"
echo "no registry key is left"
echo "check-installer: all checks passed"
