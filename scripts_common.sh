# Shared by run.sh, test.sh and bench.sh: installs the Debian packages the build needs.
# Sourced, not run.

CORPPAY_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6widgets6 libqt6test6 qt6-qpa-plugins
    libgtest-dev googletest libbenchmark-dev libsqlite3-dev unicode-data libbz2-dev
    xvfb xauth fonts-noto-cjk
)

corppay_install() {
    local missing=()
    for p in "${CORPPAY_PACKAGES[@]}"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    echo "Installing: ${missing[*]}"
    local sudo=""
    if [ "$(id -u)" -ne 0 ]; then sudo="sudo"; fi
    export DEBIAN_FRONTEND=noninteractive
    if ! $sudo apt-get install -y -q "${missing[@]}"; then
        $sudo apt-get update -q
        $sudo apt-get install -y -q "${missing[@]}"
    fi
}
