# Shared by run.sh, test.sh and bench.sh: installs the Debian packages the build needs.
# Sourced, not run.

CORPPAY_PACKAGES=(
    build-essential cmake ninja-build pkg-config
    qt6-base-dev qt6-base-dev-tools libqt6widgets6 libqt6test6 qt6-qpa-plugins
    libqt6printsupport6 qt6-translations-l10n poppler-utils
    libgtest-dev googletest libbenchmark-dev libsqlite3-dev unicode-data libbz2-dev
    libzip-dev libxlsxwriter-dev libssl-dev
    xvfb xauth fonts-noto-cjk
)

# What test.sh needs besides: MinGW-w64, which compiles every product source for Windows
# (tools/mingw-check.sh).
CORPPAY_TEST_PACKAGES=(g++-mingw-w64-x86-64-posix)

# What fuzz.sh needs besides: clang, libFuzzer and the sanitizer runtimes, the symbolizer.
CORPPAY_FUZZ_PACKAGES=(clang libclang-rt-dev llvm)

# What package.sh needs besides: the package's tools (dpkg-shlibdeps, file), the PNG icons made
# from the SVG, and the three validators.
CORPPAY_PACKAGE_PACKAGES=(dpkg-dev file librsvg2-bin lintian desktop-file-utils appstream)

# Installs the packages given, CORPPAY_PACKAGES when none are.
corppay_install() {
    local wanted=("$@")
    [ ${#wanted[@]} -eq 0 ] && wanted=("${CORPPAY_PACKAGES[@]}")
    local missing=()
    for p in "${wanted[@]}"; do
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
