#!/usr/bin/env bash
# Builds the Debian package: installs what is missing, builds a Release build with Debian's
# hardening flags in build/pkg, makes build/pkg/corppay_<version>_<arch>.deb with CPack's DEB
# generator and checks it with lintian, desktop-file-validate and appstreamcli.
#
#   ./package.sh           build and validate the package
#   ./package.sh --check   then prove it on this machine (as root): install it with apt-get,
#                          start the installed program as a freshly created ordinary user
#                          (headless), check the user's configuration folder, a roster change
#                          and the refusal of a second copy, and remove the package again.
set -euo pipefail
cd "$(dirname "$0")"

check=no
case "${1:-}" in
    "") ;;
    --check) check=yes ;;
    *) echo "usage: $0 [--check]" >&2; exit 2 ;;
esac

source ./scripts_common.sh
corppay_install
corppay_install "${CORPPAY_PACKAGE_PACKAGES[@]}"

build=build/pkg
export DEB_BUILD_MAINT_OPTIONS=hardening=+all
cmake -S . -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DCORPPAY_TESTS=OFF -DCORPPAY_WERROR=OFF \
    -DCORPPAY_PACKAGE=ON -DCMAKE_INSTALL_PREFIX=/usr \
    -DCMAKE_CXX_FLAGS="$(dpkg-buildflags --get CPPFLAGS) $(dpkg-buildflags --get CXXFLAGS)" \
    -DCMAKE_EXE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)" \
    -DCMAKE_MODULE_LINKER_FLAGS="$(dpkg-buildflags --get LDFLAGS)"
cmake --build "$build"
cmake --build "$build" --target corppay_drive
driver=$(realpath "$build/libcorppay_drive.so")

rm -f "$build"/corppay_*.deb
(cd "$build" && cpack -G DEB)
deb=$(ls "$build"/corppay_*.deb)
echo "Package: $deb"
dpkg-deb --info "$deb"
dpkg-deb --contents "$deb"

# The validators, on the files as the package holds them. An error or a warning of any of them
# fails the build; lintian's informational tags are shown (README, "The package", says which are
# expected and why).
unpacked=$(mktemp -d)
trap 'rm -rf "$unpacked"' EXIT
dpkg-deb -x "$deb" "$unpacked"
echo "== lintian"
lintian --display-info --fail-on error,warning "$deb"
echo "== desktop-file-validate"
id=io.github.corppay.corppay  # the component id (packaging/packaging.cmake)
# It says nothing about a good entry, and exits 0 after a warning: anything it says fails.
said=$(desktop-file-validate "$unpacked/usr/share/applications/$id.desktop" 2>&1) || {
    echo "$said"
    exit 1
}
if [ -n "$said" ]; then
    echo "$said"
    exit 1
fi
echo "== appstreamcli validate"
appstreamcli validate --no-net --pedantic "$unpacked/usr/share/metainfo/$id.metainfo.xml"

# The screenshot the metadata refers to: the built program, headless, on its sample configuration,
# with user settings of its own (window sizes) that are thrown away.
settings=$(mktemp -d)
QT_QPA_PLATFORM=offscreen XDG_CONFIG_HOME="$settings" LD_PRELOAD="$driver" \
    CORPPAY_DRIVE_LOG="$build/screenshot.log" \
    CORPPAY_DRIVE="grab:$(realpath "$build")/screenshot.png;menu:N1:N8" \
    "$build/bin/corppay" 2>/dev/null
rm -rf "$settings"
echo "Screenshot: $build/screenshot.png"

[ "$check" = yes ] || exit 0

# ---------------------------------------------------------------------------------------------
# The installed-system proof. Runs as root; leaves the machine as it found it (package removed,
# the check's user deleted), except what apt-get installs as dependencies.
if [ "$(id -u)" -ne 0 ]; then
    echo "--check installs the package system-wide: run it as root." >&2
    exit 1
fi
if dpkg-query -W -f='${Status}' corppay 2>/dev/null | grep -q 'install ok installed'; then
    echo "corppay is installed already; --check would remove it. Remove it first." >&2
    exit 1
fi

failures=0
pass() { echo "ok      $*"; }
fail() { echo "FAILED  $*"; failures=$((failures + 1)); }
expect() {  # expect DESCRIPTION COMMAND...
    local what=$1
    shift
    if "$@"; then pass "$what"; else fail "$what"; fi
}

user="corppaycheck$$"
work=$(mktemp -d /tmp/corppay-check.XXXXXX)
installed=no
first=""
cleanup() {
    # The copies this check started, by their process ids.
    [ -n "$first" ] && kill "$first" 2>/dev/null || true
    for p in $(pgrep -u "$user" -x corppay 2>/dev/null || true); do kill -KILL "$p" || true; done
    [ "$installed" = yes ] && apt-get remove -y -q corppay >/dev/null 2>&1 || true
    if id "$user" >/dev/null 2>&1; then
        userdel -r "$user" 2>/dev/null || true
    fi
    rm -rf "$work" "$unpacked"
}
trap cleanup EXIT

useradd --create-home --shell /bin/bash "$user"
home=$(getent passwd "$user" | cut -d: -f6)
chmod 755 "$work"
cp "$driver" "$work/driver.so"
chmod 644 "$work/driver.so"
runtime="$work/runtime"
install -d -m 700 -o "$user" "$runtime"
install -d -m 777 "$work/logs"

echo "== apt-get install ./$deb"
apt-get install -y -q "./$deb"
installed=yes
stamp="$work/stamp"
touch "$stamp"

# Runs the installed program as the check's user: a fresh environment, no display.
as_user() {
    runuser -u "$user" -- env -i HOME="$home" USER="$user" LOGNAME="$user" PATH=/usr/bin:/bin \
        LANG=C.UTF-8 XDG_RUNTIME_DIR="$runtime" QT_QPA_PLATFORM=offscreen "$@"
}
drive() {  # drive LOG STEPS [ARGS...]: the installed program with the driver answering its boxes
    local log=$1 steps=$2
    shift 2
    as_user LD_PRELOAD="$work/driver.so" CORPPAY_DRIVE_LOG="$work/logs/$log" \
        CORPPAY_DRIVE="$steps" corppay "$@"
}
logged() { grep -qxF "$2" "$work/logs/$1" 2>/dev/null; }
wait_logged() {
    for _ in $(seq 600); do logged "$1" "$2" && return 0; sleep 0.1; done
    return 1
}
snapshot() { (cd "$1" && find . -printf '%p %s %T@ %m\n' | sort && find . -type f -exec sha256sum {} + | sort); }

t=$'\t'
version=$(sed -n 's/^project(corppay VERSION \([0-9.]*\).*/\1/p' CMakeLists.txt)
data="$home/.local/share/corppay"
folder="$data/config"
sample=/usr/share/corppay/config
name="检查收款人"
account="6222000099990001"

echo "== the installed program, started as $user"
expect "the program is installed as /usr/bin/corppay" test -x /usr/bin/corppay
expect "corppay --version prints the build's version" \
    test "$(as_user corppay --version)" = "corppay $version"
expect "no configuration folder before the first start" test ! -e "$folder"

drive first.log "menu:N2:N3;payee:$name|$account|检查银行|102100099999;hold:$work/stop;menu:N1:N8" &
first=$!
if wait_logged first.log "step${t}hold:$work/stop"; then pass "first copy started and added a payee"; else fail "first copy started and added a payee"; fi
pid=$(pgrep -u "$user" -x corppay | head -n1 || true)

expect "the user's configuration folder was created" test -d "$folder"
seeded=yes
for f in "$sample"/*; do
    [ -f "$folder/$(basename "$f")" ] || seeded=no
done
expect "every sample file was copied into it" test "$seeded" = yes
expect "the sample's salary items were copied as shipped" cmp -s "$sample/salary.ini" "$folder/salary.ini"
expect "the About box names the user's folder" logged first.log "about${t}Version $version${t}配置文件夹：$folder"
expect "the payee was added (收款人名册添加成功！)" logged first.log "box${t}Information${t}收款人名册添加成功！"
expect "the payee is written in the user's recvers.ini" \
    grep -qF "$name|$account|检查银行|102100099999" <(iconv -f GB18030 -t UTF-8 "$folder/recvers.ini")
expect "the shipped sample is unchanged (dpkg --verify)" test -z "$(dpkg --verify corppay)"
written=$(find /usr -xdev -newer "$stamp" -type f -exec grep -lF "$account" {} + 2>/dev/null || true)
expect "no file under /usr holds the payee" test -z "$written"
expect "nothing was created beside the executable" test ! -e /usr/bin/config

before=$(snapshot "$data")
set +e
drive second.log "menu:N1:N8"
second=$?
set -e
expect "a second copy on the same folder exits with status 1" test "$second" = 1
refusal="box${t}Error${t}配置文件夹 $folder 正由另一个 corppay 使用（进程号 $pid）。\\n同一个配置文件夹只能由一个 corppay 打开：请切换到那个窗口，或用 --config 指定另一个配置文件夹。"
expect "it names the folder and the first copy's process ($pid)" logged second.log "$refusal"
expect "it changed no file of the user" test "$before" = "$(snapshot "$data")"

as_user mkdir "$home/公司乙"
set +e
drive other.log "menu:N2:N3;menu:N1:N8" --config "$home/公司乙"
other=$?
set -e
expect "a copy on another folder (--config) runs beside the first" test "$other" = 0
expect "its About box names that folder" logged other.log "about${t}Version $version${t}配置文件夹：$home/公司乙"
expect "that folder was seeded too" cmp -s "$sample/owner.ini" "$home/公司乙/owner.ini"

touch "$work/stop"
set +e
wait "$first"
status=$?
set -e
expect "the first copy ends normally through 退出" test "$status" = 0
expect "its lock is gone" test ! -e "$folder/.corppay.lock"

echo "== apt-get remove corppay"
apt-get remove -y -q corppay
installed=no
expect "the program is removed" test ! -e /usr/bin/corppay
expect "the shipped sample is removed" test ! -e /usr/share/corppay
expect "the user's configuration stays" \
    grep -qF "$account" <(iconv -f GB18030 -t UTF-8 "$folder/recvers.ini")

echo "== logs"
for log in "$work"/logs/*; do echo "-- $(basename "$log")"; cat "$log"; done
if [ "$failures" -ne 0 ]; then
    echo "$failures check(s) FAILED" >&2
    exit 1
fi
echo "All checks passed (the check's user $user is deleted now)."
