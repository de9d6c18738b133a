#!/usr/bin/env bash
# Compiles every source of the program for Windows, on this Debian machine: MinGW-w64's g++
# (Debian's g++-mingw-w64-x86-64-posix) runs each product source with -fsyntax-only, with the
# include paths, defines and warnings of the native build, so that a POSIX call outside its
# #if defined(Q_OS_UNIX) guard, a Windows branch that does not compile, or a GCC extension fails
# here instead of on the first Windows build.
#
#   tools/mingw-check.sh [BUILD_DIR [PATTERN]]
#       BUILD_DIR: a configured and built native build whose compile_commands.json lists the
#       sources (build/test); PATTERN: an extended regular expression, to check only the sources
#       whose path (such as store/replace.cpp) it matches
#
# Prints one line per failing file (its full diagnostics in build/mingw/logs/) and a summary
# line; exits 1 when any file fails. ./test.sh runs it after the native build.
#
# How the native commands become Windows ones:
# - The sources are those of compile_commands.json under the source tree, less tests/ and bench/
#   (test programs, fuzz targets and benchmarks are not shipped); generated sources (moc, rcc)
#   are left out: -fsyntax-only needs no moc output. tools/ is kept: a Windows build compiles
#   and runs those generators too.
# - Qt's headers are Debian's Linux ones. They select the platform from the compiler
#   (qsystemdetection.h: _WIN32 gives Q_OS_WIN), so every #if defined(Q_OS_WIN) branch is
#   compiled here. Their qconfig.h describes Debian's build (features such as ICU or D-Bus), not
#   a Windows one; the check never relies on a feature macro, and no product source tests one.
# - The generated headers (the forms' ui_*.h, corppay/version.h, the ideograph table) come from
#   the native build's include directories, so the native build must have run first.
# - The compiler's own defines stand for Windows (_WIN32, __MINGW32__); the ones CMake adds for
#   WIN32 targets (CMakeLists.txt, corppay_target) are added: UNICODE, _UNICODE, NOMINMAX,
#   WIN32_LEAN_AND_MEAN. -std=gnu++20 becomes -std=c++20 and GCC extensions are errors
#   (-pedantic-errors), since MSVC has none of them. Sanitizer, debug, optimisation and -fPIC
#   flags are dropped.
# - The third-party libraries' headers (libzip, libxlsxwriter, bzip2, OpenSSL) are Debian's,
#   linked into build/mingw/include one by one; /usr/include itself is never on the path, so
#   glibc's headers cannot stand in for Windows ones.
# - MinGW ships some POSIX headers that MSVC lacks (unistd.h, dirent.h, ...): build/mingw/include
#   shadows them with headers that fail, so that an unguarded #include of one fails here.
# - GCC's builtins (__builtin_*, __attribute__, __int128, typeof) compile with MinGW but not with
#   MSVC: a plain search of the product sources refuses them.
# - The resource file (app/corppay.rc, made by the native configuration from app/corppay.rc.in)
#   goes through MinGW's windres, as Windows' rc.exe would compile it.
#
# What it cannot tell: MSVC's own diagnostics (/W4, its C++20 gaps), anything at link time (the
# Windows libraries, the import libraries of Qt, libzip and libxlsxwriter), moc's output, the
# program's behaviour on Windows (file locks, paths, the write-through rename), and the features
# of a real Windows Qt build. docs/windows.md says what has and has not been checked.
set -euo pipefail
cd "$(dirname "$0")/.."

build=${1:-build/test}
pattern=${2:-}
cxx=${CORPPAY_MINGW_CXX:-x86_64-w64-mingw32-g++-posix}
out=build/mingw
commands="$build/compile_commands.json"

if ! command -v "$cxx" >/dev/null; then
    echo "mingw-check: $cxx not found (Debian package g++-mingw-w64-x86-64-posix)" >&2
    exit 2
fi
if [ ! -f "$commands" ]; then
    echo "mingw-check: $commands not found: configure and build $build first" >&2
    exit 2
fi

rm -rf "$out"
mkdir -p "$out/include" "$out/logs" "$out/args"

# The third-party headers, from Debian's packages (a library's headers are added here when the
# program starts to use it). OpenSSL keeps part of its headers in the multiarch folder.
for header in zip.h zipconf.h xlsxwriter.h xlsxwriter bzlib.h; do
    if [ -e "/usr/include/$header" ]; then
        ln -s "/usr/include/$header" "$out/include/$header"
    fi
done
if [ -d /usr/include/openssl ]; then
    mkdir -p "$out/include/openssl"
    ln -s /usr/include/openssl/* "$out/include/openssl/"
    for f in /usr/include/x86_64-linux-gnu/openssl/*; do
        [ -e "$f" ] && ln -sf "$f" "$out/include/openssl/"
    done
fi
# POSIX headers MinGW has and MSVC lacks.
for header in unistd.h dirent.h libgen.h sys/time.h sys/file.h sys/mman.h sys/resource.h \
    sys/wait.h sys/socket.h sys/utsname.h; do
    mkdir -p "$(dirname "$out/include/$header")"
    printf '#error "<%s> is POSIX only (MSVC has none): include it under #if defined(Q_OS_UNIX)"\n' \
        "$header" >"$out/include/$header"
done

# One argument file per source (as the compiler reads them with @file) and the list of sources.
python3 - "$commands" "$PWD" "$out" <<'PY'
import json, os, shlex, sys

commands, root, out = sys.argv[1], sys.argv[2], sys.argv[3]
root = os.path.realpath(root)
dropped_prefixes = ("-fsanitize", "-fno-sanitize", "-g", "-O", "-fPIC", "-fpic", "-fPIE", "-fpie",
                    "-fno-omit-frame-pointer", "-fcf-protection", "-fstack-clash-protection",
                    "-mbranch-protection", "-D_FORTIFY_SOURCE", "-U_FORTIFY_SOURCE", "-std=")
windows_defines = ["-DUNICODE", "-D_UNICODE", "-DNOMINMAX", "-DWIN32_LEAN_AND_MEAN"]
seen = set()
sources = []
for entry in json.load(open(commands)):
    path = os.path.realpath(os.path.join(entry["directory"], entry["file"]))
    rel = os.path.relpath(path, root)
    if rel.startswith("..") or rel.split(os.sep)[0] in ("tests", "bench", "build"):
        continue
    if path in seen:
        continue
    seen.add(path)
    args = entry["arguments"][1:] if "arguments" in entry else shlex.split(entry["command"])[1:]
    kept = []
    i = 0
    while i < len(args):
        a = args[i]
        if a in ("-o", "-MF", "-MT", "-MQ"):
            i += 2
            continue
        if a in ("-c", "-MD", "-MMD") or a == entry["file"] or os.path.realpath(
                os.path.join(entry["directory"], a)) == path:
            i += 1
            continue
        if a in ("-isystem", "-I", "-D", "-include"):
            value = args[i + 1]
            # Qt's folder of Linux platform definitions holds qplatformdefs.h, which no public
            # header needs.
            if not value.endswith("/mkspecs/linux-g++"):
                kept += [a, value]
            i += 2
            continue
        if a.startswith(dropped_prefixes):
            i += 1
            continue
        kept.append(a)
        i += 1
    kept = (["-std=c++20", "-pedantic-errors", "-fsyntax-only"] + windows_defines + kept +
            ["-isystem", os.path.join(root, out, "include")])
    name = rel.replace(os.sep, "__")
    with open(os.path.join(out, "args", name), "w") as f:
        f.write("\n".join(shlex.quote(a) for a in kept) + "\n")
    sources.append(rel)
with open(os.path.join(out, "sources"), "w") as f:
    f.write("\n".join(sorted(sources)) + "\n")
PY
if [ -n "$pattern" ]; then
    grep -E -- "$pattern" "$out/sources" >"$out/sources.wanted" || true
    mv "$out/sources.wanted" "$out/sources"
fi
if [ ! -s "$out/sources" ]; then
    echo "mingw-check: no product source in $commands${pattern:+ matches $pattern}" >&2
    exit 2
fi

# Compiles one source; prints a line only when it fails.
compile_one() {
    local source=$1 name=${1//\//__}
    local log="$out/logs/$name.log"
    if "$cxx" "@$out/args/$name" "$source" >"$log" 2>&1; then
        rm -f "$log"
    else
        local first
        first=$(grep -m1 -E ': (fatal )?error: ' "$log" || head -n1 "$log")
        echo "FAILED  $source: ${first#"$PWD"/}"
    fi
}
export -f compile_one
export cxx out

total=$(wc -l <"$out/sources")
started=$(date +%s)
xargs -a "$out/sources" -P 2 -I{} bash -c 'compile_one "$1"' _ {} | tee "$out/failed"

# The program's Windows resources (icon and version, app/corppay.rc.in as CMake made it), as
# MinGW's resource compiler reads them.
windres=${cxx%%-g++*}-windres
rc="$build/app/corppay.rc"
if [ -z "$pattern" ] && [ -f "$rc" ]; then
    total=$((total + 1))
    if ! "$windres" "$rc" -O coff -o "$out/corppay.res.o" >"$out/logs/corppay.rc.log" 2>&1; then
        echo "FAILED  $rc: $(head -n1 "$out/logs/corppay.rc.log")" | tee -a "$out/failed"
    fi
fi
failed=$(wc -l <"$out/failed")
passed=$((total - failed))

# GCC's builtins, which MinGW accepts and MSVC does not: in the sources and the headers beside
# them.
builtins=$({
    cat "$out/sources"
    xargs -a "$out/sources" -n1 dirname | sort -u | while read -r dir; do
        find "$dir" -maxdepth 1 -name '*.h'
    done
} | sort -u | xargs grep -nE '__builtin_|__attribute__|__int128|\btypeof\b|__typeof__' -- || true)
if [ -n "$builtins" ]; then
    echo "$builtins" | sed 's/^/FAILED  GCC only: /'
    failed=$((failed + $(echo "$builtins" | wc -l)))
fi

# The summary in the plain form of a test count: every source that compiles passes, every file
# that does not and every line of a GCC builtin fails.
echo "Compiled $total files for Windows (MinGW-w64, -fsyntax-only) in" \
    "$(($(date +%s) - started)) s; full diagnostics in $out/logs/"
echo "mingw-check: $passed passed, $failed failed"
[ "$failed" -eq 0 ]
