#!/usr/bin/env bash
# The release package, made by scripts/package, under Wine's own msiexec in a
# Wine prefix made for this run. Two packages: this tree's version, and a
# higher one signed with a throwaway certificate. Installs the older, starts
# the panel as a logon would, upgrades to the newer, tries the older over it
# and uninstalls; then the same without the start at logon (a repair and an
# upgrade keep it off, a reinstall asking for it turns it on), and choices that
# must not install the Run value alone. After each step it checks the files,
# the shortcut, the Run value, the installed products and the running panels.
# Usage: package_test.sh <source folder> <build tree> <work folder> <version> <higher version>
set -euo pipefail
ROOT=$1 TREE=$2 WORK=$3 OLD=$4 NEW=$5
PROBE="$TREE/bin/installed_panel_probe.exe"

fail() {
    echo "FAIL: $*" >&2
    exit 1
}

# The package builds stay for quicker runs; everything else is made anew.
mkdir -p "$WORK"
rm -rf "$WORK/prefix" "$WORK/dist-old" "$WORK/dist-new" "$WORK/zip" "$WORK"/*.log

package() {   # old|new version [signing variables...]
    local which=$1 version=$2
    shift 2
    env "$@" DIST="$WORK/dist-$which" "$ROOT/scripts/package" "$WORK/build-$which" \
        -DKESTREL_VERSION="$version" >"$WORK/package-$which.log" 2>&1 ||
        { cat "$WORK/package-$which.log"; fail "scripts/package $version"; }
    for f in "$version.msi" "$version-win32.zip" "$version-symbols.exe"; do
        [ -f "$WORK/dist-$which/KestrelCpl-$f" ] || fail "scripts/package wrote no KestrelCpl-$f"
    done
}
package old "$OLD"
openssl req -x509 -newkey rsa:2048 -nodes -days 2 -subj "/CN=Package test" \
        -addext extendedKeyUsage=codeSigning \
        -keyout "$WORK/key.pem" -out "$WORK/cert.pem" 2>/dev/null
package new "$NEW" KESTREL_SIGN_CERT="$WORK/cert.pem" KESTREL_SIGN_KEY="$WORK/key.pem"
OLD_MSI="$WORK/dist-old/KestrelCpl-$OLD.msi"
NEW_MSI="$WORK/dist-new/KestrelCpl-$NEW.msi"
SYMBOLS="$WORK/dist-old/KestrelCpl-$OLD-symbols.exe"
verify() { osslsigncode verify -CAfile "$WORK/cert.pem" -in "$1" >/dev/null; }
verify "$NEW_MSI" || fail "the signed package's signature does not verify"

. "$WORK/build-old/package/package.env"
UPGRADE_CODE="{$KESTREL_UPGRADE_CODE}"
OLD_CODE="{$KESTREL_PRODUCT_CODE}"
NEW_CODE="{$(. "$WORK/build-new/package/package.env" && echo "$KESTREL_PRODUCT_CODE")}"

# The symbols belong to the shipped program: the same code, with debug sections.
mkdir "$WORK/zip"
(cd "$WORK/zip" && cmake -E tar xf "$WORK/dist-old/KestrelCpl-$OLD-win32.zip")
ZIPPED="$WORK/zip/KestrelCpl-$OLD-win32/KestrelCpl.exe"
[ -f "$WORK/zip/KestrelCpl-$OLD-win32/README.txt" ] || fail "no README.txt in the zip"
BINUTILS=${KESTREL_STRIP%strip}
sections() { "${BINUTILS}objdump" -h "$1" | awk '$2 ~ /^\./ {print $2}' | tr '\n' ' '; }
[[ $(sections "$SYMBOLS") == *.debug_info* ]] || fail "the symbols file has no debug information"
[[ $(sections "$ZIPPED") != *.debug* ]] || fail "the shipped program is not stripped"
"${BINUTILS}objcopy" -O binary --only-section=.text "$ZIPPED" "$WORK/text-shipped"
"${BINUTILS}objcopy" -O binary --only-section=.text "$SYMBOLS" "$WORK/text-symbols"
cmp -s "$WORK/text-shipped" "$WORK/text-symbols" || fail "the symbols file's code is not the shipped one's"

export WINEPREFIX="$WORK/prefix"
# The package's shortcut makes no menu entries on this machine.
export WINEDLLOVERRIDES="mscoree,mshtml=;winemenubuilder.exe=d"
trap 'wineserver -k 2>/dev/null || true' EXIT
wine() { "$TREE/wine-run" "$@" </dev/null; }
windows_path() { echo "Z:${1//\//\\}"; }
unix_path() { wine winepath.exe -u "$1" 2>/dev/null | tr -d '\r'; }
wine wineboot.exe -i >/dev/null 2>&1 || true

# A 64-bit prefix keeps 32-bit programs in "Program Files (x86)".
PF='C:\Program Files'
[ ! -d "$WINEPREFIX/drive_c/Program Files (x86)" ] || PF='C:\Program Files (x86)'
FOLDER="$PF\\Norvane Diagnostics GmbH\\Norvane Docklet - Control Panel"
PROGRAM="$FOLDER\\KestrelCpl.exe"
RUN="run \"$PROGRAM\" -hide"

msiexec() {   # log name, expected exit code, msiexec arguments...
    local log=$1 expected=$2 code=0
    shift 2
    wine msiexec.exe "$@" /qn '/l*v' "$(windows_path "$WORK/$log.log")" >/dev/null 2>&1 || code=$?
    # A Linux exit status keeps the low 8 bits of the Windows exit code.
    [ "$code" = $((expected % 256)) ] ||
        fail "msiexec $* exited $code, not $expected (log: $WORK/$log.log)"
}
expect_state() {   # expected lines...
    local state expected
    state=$(wine "$PROBE" state "$UPGRADE_CODE" "$PROGRAM" | tr -d '\r')
    expected=$(printf '%s\n' "$@")
    [ "$state" = "$expected" ] || fail "$(printf 'expected\n%s\ngot\n%s' "$expected" "$state")"
}
# Into a file: the panel it starts keeps the probe's output open.
logon() {
    wine "$PROBE" logon >"$WORK/logon.log" 2>&1 ||
        fail "started as at logon: $(cat "$WORK/logon.log")"
}

echo "install $OLD"
msiexec install-old 0 /i "$(windows_path "$OLD_MSI")"
expect_state "product $OLD_CODE $OLD" "file $OLD.0" "$RUN" "panel none"
INSTALLED=$(unix_path "$FOLDER")
[ "$(ls "$INSTALLED" | tr '\n' ' ')" = "KestrelCpl.exe KestrelCtl.exe policy " ] ||
    fail "the program folder holds: $(ls "$INSTALLED")"
diff -r "$ROOT/installer/policy" "$INSTALLED/policy" >/dev/null ||
    fail "the installed policy template is not the source's"
diff -r "$ROOT/installer/policy" "${ZIPPED%/*}/policy" >/dev/null ||
    fail "the zip's policy template is not the source's"
cmp -s "$INSTALLED/KestrelCpl.exe" "$ZIPPED" || fail "the installed program is not the zip's"
cmp -s "$INSTALLED/KestrelCtl.exe" "${ZIPPED%/*}/KestrelCtl.exe" || fail "the installed tool is not the zip's"
version=$(wine "$INSTALLED/KestrelCtl.exe" --version | tr -d '\r')
[ "$version" = "KestrelCtl $OLD" ] || fail "the installed tool says: $version"
# Where this installer puts per-machine Start-menu entries (Wine: the user's menu).
MENU=$(grep -a -m1 'Property(S): ProgramMenuFolder = ' "$WORK/install-old.log" | sed 's/.* = //')
SHORTCUT="$(unix_path "$(echo "$MENU" | tr -d '\r')")/Norvane Docklet - Control Panel.lnk"
[ -f "$SHORTCUT" ] || fail "no shortcut $SHORTCUT"

echo "start as at logon"
logon
expect_state "product $OLD_CODE $OLD" "file $OLD.0" "$RUN" "panel running"

echo "upgrade to $NEW, the panel running"
msiexec upgrade 0 /i "$(windows_path "$NEW_MSI")"
expect_state "product $NEW_CODE $NEW" "file $NEW.0" "$RUN" "panel none"
verify "$INSTALLED/KestrelCpl.exe" || fail "the installed program's signature does not verify"
[ -f "$SHORTCUT" ] || fail "the upgrade lost the shortcut"

echo "install $OLD over $NEW"
msiexec downgrade 1603 /i "$(windows_path "$OLD_MSI")"
expect_state "product $NEW_CODE $NEW" "file $NEW.0" "$RUN" "panel none"

echo "uninstall, the panel running"
logon
msiexec uninstall 0 /x "$(windows_path "$NEW_MSI")"
expect_state "file none" "run none" "panel none"
left=$(find "$WINEPREFIX/drive_c" \( -iname '*norvane*' -o -iname '*kestrel*' \) -print)
[ -z "$left" ] || fail "left behind: $left"
timeout 60 wineserver -w || fail "a program of the prefix still runs"
left=$(grep -i -h -E 'norvane|kestrel' "$WINEPREFIX"/*.reg || true)
[ -z "$left" ] || fail "left in the registry: $left"

# Without the start at logon: the program alone, and an upgrade that is not
# told otherwise keeps it so.
echo "install $OLD without the start at logon"
msiexec install-no-logon 0 /i "$(windows_path "$OLD_MSI")" STARTATLOGON=0
expect_state "product $OLD_CODE $OLD" "file $OLD.0" "run none" "panel none"
# A repair evaluates the transitive condition again: it keeps the choice.
# Wine's msiexec takes no package after /f, so the repair is asked for
# through the properties /f sets.
echo "repair $OLD, still without it"
msiexec repair-no-logon 0 /i "$(windows_path "$OLD_MSI")" REINSTALL=ALL REINSTALLMODE=omus
expect_state "product $OLD_CODE $OLD" "file $OLD.0" "run none" "panel none"
echo "upgrade to $NEW, still without it"
msiexec upgrade-no-logon 0 /i "$(windows_path "$NEW_MSI")"
expect_state "product $NEW_CODE $NEW" "file $NEW.0" "run none" "panel none"
echo "turn the start at logon on later"
msiexec logon-later 0 /i "$(windows_path "$NEW_MSI")" REINSTALL=ALL REINSTALLMODE=omus STARTATLOGON=1
expect_state "product $NEW_CODE $NEW" "file $NEW.0" "$RUN" "panel none"
echo "uninstall, the start at logon turned on"
msiexec uninstall-no-logon 0 /x "$(windows_path "$NEW_MSI")"
expect_state "file none" "run none" "panel none"

# No choice of features or properties installs the Run value without the
# program it starts. The first is how an earlier package was asked for the
# start at logon alone: Windows Installer refuses the unknown feature, Wine's
# installs nothing.
n=0
for choice in "ADDLOCAL=StartAtLogon" "REMOVE=Panel STARTATLOGON=1"; do
    echo "install with $choice"
    n=$((n + 1))
    code=0
    # shellcheck disable=SC2086
    wine msiexec.exe /i "$(windows_path "$OLD_MSI")" $choice /qn \
        '/l*v' "$(windows_path "$WORK/choice-$n.log")" >/dev/null 2>&1 || code=$?
    [ "$code" = 0 ] || [ "$code" = $((1603 % 256)) ] || fail "msiexec with $choice exited $code"
    state=$(wine "$PROBE" state "$UPGRADE_CODE" "$PROGRAM" | tr -d '\r')
    case "$state" in
    *"file $OLD.0"*"$RUN"* | *"run none"*) ;;
    *) fail "$choice left: $state" ;;
    esac
    [[ $state != *"product "* ]] || msiexec "choice-$n-removed" 0 /x "$(windows_path "$OLD_MSI")"
done

# The prefix's own Wine processes may still write into it: they end first.
wineserver -k 2>/dev/null || true
wineserver -w
rm -rf "$WINEPREFIX"
echo "package test passed"
