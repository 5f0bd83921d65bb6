#!/usr/bin/env bash
# Builds the Debian package (build/package/tarvelo96_VERSION_ARCH.deb) and checks what an installation
# holds, never installing anything into this machine: the install is staged in a scratch folder
# (DESTDIR), its desktop entries, metadata, user unit and manual pages go through their validators
# there, the staged programs are started or linked, and the .deb's contents, conffiles and dependencies
# are read back with dpkg-deb.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build="$here/build"
"$here/scripts/install-deps.sh"
cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo -DTARVELO_WERROR=ON >/dev/null
cmake --build "$build" -j"$(nproc)"

scratch=$(mktemp -d)
trap 'rm -rf "$scratch"' EXIT
stage="$scratch/stage"
failures=0
checks=0
pass() { checks=$((checks + 1)); echo "ok: $*"; }
fail() { checks=$((checks + 1)); failures=$((failures + 1)); echo "FAILED: $*" >&2; }
# check DESCRIPTION COMMAND...: passes when the command succeeds and prints nothing at all.
check() {
  local what=$1 out
  shift
  if out=$("$@" 2>&1) && [ -z "$out" ]; then pass "$what"; else fail "$what"; printf '%s\n' "$out" >&2; fi
}

app=io.github.tarvelo96
sizes=(16 22 24 32 48 64 128 256)
expected=(
  /etc/xdg/autostart/$app-autostart.desktop
  /usr/bin/tarvelo96
  /usr/bin/tarvelo96-cli
  /usr/libexec/tarvelo96/tarvelo96-pdf
  /usr/libexec/tarvelo96/tarvelo96-watch
  /usr/lib/systemd/user/tarvelo96-scheduler.service
  /usr/share/applications/$app.desktop
  /usr/share/doc/tarvelo96/changelog.Debian.gz
  /usr/share/doc/tarvelo96/copyright
  /usr/share/icons/hicolor/scalable/apps/$app.svg
  /usr/share/man/man1/tarvelo96-cli.1.gz
  /usr/share/man/man1/tarvelo96.1.gz
  /usr/share/metainfo/$app.metainfo.xml
)
for size in "${sizes[@]}"; do expected+=("/usr/share/icons/hicolor/${size}x${size}/apps/$app.png"); done
expected_list=$(printf '%s\n' "${expected[@]}" | sort)

DESTDIR="$stage" cmake --install "$build" --prefix /usr >/dev/null
staged=$(cd "$stage" && find . -type f -o -type l | sed 's/^\.//' | sort)
if [ "$staged" = "$expected_list" ]; then pass "the staged install holds the expected files"; else
  fail "the staged install holds other files than expected"
  diff <(echo "$expected_list") <(echo "$staged") >&2 || true
fi

for entry in "$stage/usr/share/applications/$app.desktop" "$stage/etc/xdg/autostart/$app-autostart.desktop"; do
  check "desktop-file-validate ${entry#"$stage"}" desktop-file-validate "$entry"
  icon=$(sed -n 's/^Icon=//p' "$entry")
  if [ -f "$stage/usr/share/icons/hicolor/scalable/apps/$icon.svg" ]; then pass "the icon of ${entry##*/} is installed"; else
    fail "${entry##*/} names the icon '$icon', which is not installed"
  fi
done
if appstreamcli validate --no-net --strict "$stage/usr/share/metainfo/$app.metainfo.xml" >"$scratch/appstream" 2>&1; then
  pass "appstreamcli validate"
else
  fail "appstreamcli validate"
  cat "$scratch/appstream" >&2
fi

# A PNG's width and height are the big-endian words at bytes 16 and 20.
for size in "${sizes[@]}"; do
  png="$stage/usr/share/icons/hicolor/${size}x${size}/apps/$app.png"
  [ -f "$png" ] || { fail "icon ${size}x${size} is missing"; continue; }
  read -r -a b < <(od -An -tu1 -j16 -N8 "$png")
  w=$(((b[0] << 24) + (b[1] << 16) + (b[2] << 8) + b[3]))
  h=$(((b[4] << 24) + (b[5] << 16) + (b[6] << 8) + b[7]))
  if [ "$w" = "$size" ] && [ "$h" = "$size" ]; then pass "icon ${size}x${size}"; else fail "icon ${size}x${size} is ${w}x${h}"; fi
done

# The user unit as systemd reads it. Its program is looked up on the search path, where the staged one
# is not: the check reads a copy that names the staged program, and the manual page it points to is
# looked up in the staged tree.
unit="$stage/usr/lib/systemd/user/tarvelo96-scheduler.service"
program=$(sed -n 's/^ExecStart=\([^ ]*\).*/\1/p' "$unit")
if [ -x "$stage/usr/bin/$program" ]; then pass "the unit's ExecStart program is installed"; else
  fail "the unit starts '$program', which is not installed in /usr/bin"
fi
if grep -qx 'Restart=on-failure' "$unit"; then pass "the unit restarts after a failure"; else fail "the unit lacks Restart=on-failure"; fi
mkdir -m 700 "$scratch/runtime" "$scratch/unit"
sed "s|^ExecStart=$program|ExecStart=$stage/usr/bin/$program|" "$unit" >"$scratch/unit/${unit##*/}"
check "systemd-analyze verify --user ${unit##*/}" env XDG_RUNTIME_DIR="$scratch/runtime" \
  MANPATH="$stage/usr/share/man" systemd-analyze verify --user "$scratch/unit/${unit##*/}"

for page in "$stage"/usr/share/man/man1/*.1.gz; do
  check "groff -man -ww ${page##*/}" sh -c 'zcat "$1" | groff -man -ww -z' sh "$page"
  if MANWIDTH=80 man -l "$page" >/dev/null 2>"$scratch/man"; then pass "man -l ${page##*/}"; else
    fail "man -l ${page##*/}"
    cat "$scratch/man" >&2
  fi
done

# The staged command-line program starts, in a folder of its own since commands use the current one,
# and its manual has a section for every command it lists.
mkdir "$scratch/run"
cli="$stage/usr/bin/tarvelo96-cli"
if help=$(cd "$scratch/run" && "$cli" help) && grep -q '^Usage: tarvelo96-cli' <<<"$help"; then
  pass "the staged tarvelo96-cli help"
else
  fail "the staged tarvelo96-cli help"
fi
if grep -q -- '--version' <<<"$help"; then
  if (cd "$scratch/run" && "$cli" --version) >/dev/null; then pass "tarvelo96-cli --version"; else fail "tarvelo96-cli --version"; fi
fi
missing=""
for command in $(awk '/^Subcommands:$/ { on = 1; next } on && /^$/ { exit } on { print $1 }' <<<"$help"); do
  zcat "$stage/usr/share/man/man1/tarvelo96-cli.1.gz" | grep -qx ".SS \"$command\"" || missing+=" $command"
done
if [ -z "$missing" ]; then pass "the manual describes every command"; else fail "the manual lacks:$missing"; fi
if (cd "$scratch/run" && "$cli" date 1997-01-31) | grep -qx 71622; then pass "the staged tarvelo96-cli date"; else
  fail "the staged tarvelo96-cli date"
fi
# A task's program started by the staged scheduler runs under the staged watcher, which the scheduler
# finds from its own folder: its run is in the log, ended, once the program has ended.
mkdir "$scratch/watched"
if (cd "$scratch/watched" && "$cli" add --json '{"description":"Watched","tasktype":"Run Program","command":"true","scheduletype":"Once","date":71622,"time":6300001}' >/dev/null &&
  "$cli" tick --at "1997-01-31 17:31:00" >/dev/null) 2>"$scratch/watched.err"; then
  for _ in $(seq 50); do
    (cd "$scratch/watched" && "$cli" log --json) | grep -q '"state":"ended"' && break
    sleep 0.1
  done
fi
if (cd "$scratch/watched" && "$cli" log --json) | grep -q '"state":"ended"'; then pass "the staged scheduler's program is watched and logged"; else
  fail "the staged scheduler's program was not logged as ended by the staged watcher"
  cat "$scratch/watched.err" >&2
  (cd "$scratch/watched" && "$cli" log --json) >&2 || true
fi
# The staged report runs the staged PDF writer; the command-line program itself loads no Qt GUI.
if (cd "$scratch/watched" && "$cli" report date --pdf schedule.pdf >/dev/null) && [ "$(head -c 5 "$scratch/watched/schedule.pdf")" = "%PDF-" ]; then
  pass "the staged tarvelo96-cli report writes a PDF file"
else
  fail "the staged tarvelo96-cli report wrote no PDF file"
fi
if ldd "$cli" | grep -q libQt6Gui; then fail "tarvelo96-cli links Qt GUI"; else pass "tarvelo96-cli links no Qt GUI"; fi
# The autostart entry's command with Setup's "Start at login" off (no settings at all) ends at once,
# successfully, having opened nothing.
mkdir "$scratch/config"
if (cd "$scratch/run" && XDG_CONFIG_HOME="$scratch/config" XDG_DATA_HOME="$scratch/data" QT_QPA_PLATFORM=offscreen \
  timeout 10 "$stage/usr/bin/tarvelo96" --autostart) && [ ! -e "$scratch/data" ]; then
  pass "the staged tarvelo96 --autostart ends at once while Start at login is off"
else
  fail "the staged tarvelo96 --autostart does not end at once with Start at login off"
fi
for program in bin/tarvelo96 bin/tarvelo96-cli libexec/tarvelo96/tarvelo96-watch libexec/tarvelo96/tarvelo96-pdf; do
  if ldd "$stage/usr/$program" | grep -q 'not found'; then fail "$program: a library is not found"; else
    pass "$program finds its libraries"
  fi
done

# The package is left in build/package/ for whoever wants to install it.
rm -rf "$build/package"
cpack --config "$build/CPackConfig.cmake" -G DEB -B "$build/package" >/dev/null
deb=$(find "$build/package" -maxdepth 1 -name 'tarvelo96_*.deb')
field() { dpkg-deb --field "$deb" "$1"; }
[ "$(field Package)" = tarvelo96 ] && pass "package name" || fail "package name is '$(field Package)'"
version=$(sed -n 's/^project(Tarvelo96 VERSION \([0-9.]*\).*/\1/p' "$here/CMakeLists.txt")
[ "$(field Version)" = "$version-1" ] && pass "package version" || fail "package version is '$(field Version)'"
depends=$(field Depends)
for library in libc6 'libstdc\+\+6' libqt6core6 libqt6gui6 libqt6widgets6 libqt6multimedia6 libqt6printsupport6 libqt6dbus6 libqt6network6 \
  libqt6svg6 libsqlite3-0 'libicu[0-9]*'; do
  if grep -Eq "(^|, )$library( |,|$)" <<<"$depends"; then pass "Depends names $library"; else
    fail "Depends lacks $library: $depends"
  fi
done
packed=$(dpkg-deb --fsys-tarfile "$deb" | tar -t | grep -v '/$' | sed 's/^\.//' | sort)
if [ "$packed" = "$expected_list" ]; then pass "the package holds the expected files"; else
  fail "the package holds other files than expected"
  diff <(echo "$expected_list") <(echo "$packed") >&2 || true
fi
dpkg-deb --ctrl-tarfile "$deb" | tar -x -O ./conffiles >"$scratch/conffiles" 2>/dev/null || true
if [ "$(cat "$scratch/conffiles")" = "/etc/xdg/autostart/$app-autostart.desktop" ]; then pass "conffiles"; else
  fail "conffiles: $(cat "$scratch/conffiles")"
fi

# Debian's own checker of packages. The package is no upload to Debian's archive, so it closes no bug of
# theirs; information-level tags (hardening flags, spellings the program's texts keep on purpose) do not fail.
if lintian --fail-on error,warning --suppress-tags initial-upload-closes-no-bugs "$deb" >"$scratch/lintian" 2>&1; then
  pass "lintian"
else
  fail "lintian"
  cat "$scratch/lintian" >&2
fi

if [ "$failures" -eq 0 ]; then echo "check-package: all $checks checks passed"; else echo "check-package: $failures of $checks checks failed" >&2; fi
[ "$failures" -eq 0 ]
