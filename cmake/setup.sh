#!/usr/bin/env bash
# Installs what a fresh machine lacks and builds Expat and bzip2 for both MinGW
# targets into build/deps/<target>. Every step is skipped when its result exists,
# so a second run costs nothing.
set -euo pipefail

root=$(cd "$(dirname "${BASH_SOURCE[0]}")/.." && pwd)
deps="$root/build/deps"
EXPAT_VERSION=2.5.0-1+deb12u2
BZIP2_VERSION=1.0.8-5

packages=(
  g++-mingw-w64-x86-64-posix g++-mingw-w64-i686-posix
  binutils-mingw-w64-x86-64 binutils-mingw-w64-i686
  wine64 xvfb xauth libgcrypt-mingw-w64-dev googletest cmake dpkg-dev patch locales
  # the 32-bit C library that the 32-bit Wine below runs on (an amd64 package)
  libc6-i386
  # the web server double of the tests and the main job; the system bzip2 checks published lists
  python3 bzip2
  # a font with Chinese glyphs, for the pictures of peershare's windows
  fonts-wqy-microhei
)

as_root() { if [ "$(id -u)" -eq 0 ]; then "$@"; else sudo "$@"; fi; }

install_packages() {
  local missing=()
  for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return
  echo "setup: installing ${missing[*]}"
  as_root apt-get update -qq
  as_root env DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

# Wine takes its code page from the Unix locale: without a generated
# zh_CN.UTF-8 it runs with code page 1252 whatever LANG says, and every
# 8-bit Chinese text of peershare turns into question marks.
chinese_locale() {
  locale -a 2>/dev/null | grep -qix 'zh_CN.utf8' && return
  echo "setup: generating the zh_CN.UTF-8 locale"
  as_root localedef -i zh_CN -f UTF-8 zh_CN.UTF-8
}

# Source packages need deb-src entries; derive them from the binary entries.
enable_sources() {
  local list=/etc/apt/sources.list.d/debian.sources
  local src=/etc/apt/sources.list.d/project-deb-src.sources
  grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/ && return
  grep -qs '^deb-src' /etc/apt/sources.list && return
  if [ -f "$list" ]; then
    sed 's/^Types: deb$/Types: deb-src/' "$list" | as_root tee "$src" >/dev/null
  else
    sed -n 's/^deb /deb-src /p' /etc/apt/sources.list | as_root tee /etc/apt/sources.list.d/project-deb-src.list >/dev/null
  fi
  as_root apt-get update -qq
}

fetch_sources() {
  mkdir -p "$deps/src"
  cd "$deps/src"
  if [ ! -f expat_2.5.0.orig.tar.gz ] || [ ! -f bzip2_1.0.8.orig.tar.gz ]; then
    enable_sources
    apt-get source -qq --download-only "expat=$EXPAT_VERSION" "bzip2=$BZIP2_VERSION"
  fi
}

# Applies the Debian patches that apply cleanly (they carry the security fixes).
unpack() { # tarball debian-tarball dir
  local tarball=$1 debian=$2 dir=$3
  [ -d "$dir" ] && return
  mkdir -p "$dir.tmp"
  tar xf "$tarball" -C "$dir.tmp" --strip-components=1
  tar xf "$debian" -C "$dir.tmp"
  (cd "$dir.tmp" && while read -r p; do
     [ -n "$p" ] || continue
     if patch -p1 --dry-run -s -f < "debian/patches/$p" >/dev/null 2>&1; then
       patch -p1 -s -f < "debian/patches/$p"
     else
       echo "setup: $p does not apply, skipped"
     fi
   done < debian/patches/series)
  # Debian's later expat patches test "XML_DTD == 1", which the CMake
  # configuration header defines without a value; give it the value.
  [ -f "$dir.tmp/expat/expat_config.h.cmake" ] &&
    sed -i 's/^#cmakedefine XML_DTD$/#cmakedefine XML_DTD 1/' "$dir.tmp/expat/expat_config.h.cmake"
  mv "$dir.tmp" "$dir"
}

# Expat reports UTF-16 (wchar_t) to the reader, which feeds it UTF-16 text:
# character data then arrives in whole runs instead of converted pieces.
build_expat() { # triple prefix
  local triple=$1 prefix=$2
  [ -f "$prefix/lib/libexpatw.a" ] && return
  cmake -S "$deps/src/expat/expat" -B "$deps/obj/expat-$triple" -G "Unix Makefiles" \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/toolchain-$triple.cmake" \
    -DCMAKE_BUILD_TYPE=Release -DCMAKE_INSTALL_PREFIX="$prefix" \
    -DEXPAT_CHAR_TYPE=wchar_t -DEXPAT_SHARED_LIBS=OFF -DEXPAT_BUILD_TOOLS=OFF -DEXPAT_BUILD_TESTS=OFF \
    -DEXPAT_BUILD_EXAMPLES=OFF -DEXPAT_BUILD_DOCS=OFF -DEXPAT_BUILD_PKGCONFIG=OFF >/dev/null
  cmake --build "$deps/obj/expat-$triple" -j"$(nproc)" >/dev/null
  cmake --install "$deps/obj/expat-$triple" >/dev/null
}

build_bzip2() { # triple prefix
  local triple=$1 prefix=$2 src=$deps/src/bzip2
  [ -f "$prefix/lib/libbz2.a" ] && return
  local objs=$deps/obj/bzip2-$triple
  mkdir -p "$objs" "$prefix/lib" "$prefix/include"
  for f in blocksort huffman crctable randtable compress decompress bzlib; do
    "$triple-gcc-posix" -O2 -D_FILE_OFFSET_BITS=64 -c "$src/$f.c" -o "$objs/$f.o"
  done
  "$triple-ar" rcs "$prefix/lib/libbz2.a" "$objs"/*.o
  cp "$src/bzlib.h" "$prefix/include/"
}

# 32-bit Wine for the win32 tree, unpacked into build/wine32 without touching
# dpkg's state: adding the i386 architecture would upgrade libraries that the
# 64-bit toolchain and wine64 share. apt works on state and cache folders of
# its own there; the packages are kept, so later runs need no network.
wine32=$root/build/wine32
wine32_root=$wine32/root
wine32_extras=(
  # winex11 loads these at run time; without them windows lack features
  libxcomposite1 libxcursor1 libxfixes3 libxi6 libxinerama1 libxrandr2 libxrender1 libxxf86vm1
)

wine32_apt() {
  local apt=$wine32/apt
  mkdir -p "$apt/state/lists/partial" "$apt/cache/archives/partial"
  [ -f "$apt/status" ] || : > "$apt/status"
  printf '%s\n' 'APT::Architecture "i386";' 'APT::Architectures { "i386"; };' \
    'APT::Install-Recommends "false";' "Dir::State \"$apt/state\";" "Dir::State::status \"$apt/status\";" \
    "Dir::Cache \"$apt/cache\";" > "$apt/apt.conf"
  APT_CONFIG="$apt/apt.conf" "$@"
}

# libwine's post-install step: Wine's zlib is MinGW's zlib1.dll marked as a
# builtin DLL; without it user32 fails to load.
wine32_zlib() {
  local pair mingw wine in out
  for pair in i686:i386 x86_64:x86_64; do
    mingw=${pair%%:*} wine=${pair#*:}
    in=$wine32_root/usr/$mingw-w64-mingw32/lib/zlib1.dll
    out=$wine32_root/usr/lib/i386-linux-gnu/wine/$wine-windows/zlib1.dll
    mkdir -p "${out%/*}"
    { head -c 64 "$in"; printf 'Wine builtin DLL'; head -c 16 /dev/zero; tail -c +97 "$in"; } > "$out"
  done
}

# Runs a 32-bit program with the unpacked libraries.
wine32_run() { LD_LIBRARY_PATH="$wine32_root/usr/lib/i386-linux-gnu:$wine32_root/lib/i386-linux-gnu" "$@" 2>&1; }

unpack_wine32() {
  [ -d "$wine32_root" ] && return
  # The same version as wine64: the 32-bit loader talks to wineserver64.
  local version
  version=$(dpkg-query -W -f='${Version}' wine64)
  if ! ls "$wine32/apt/cache/archives/"wine32_*.deb >/dev/null 2>&1; then
    echo "setup: downloading 32-bit Wine $version into build/wine32"
    wine32_apt apt-get update -qq
    wine32_apt apt-get install -qq -y --download-only "wine32=$version" "libwine=$version" "${wine32_extras[@]}" \
      >/dev/null
  fi
  echo "setup: unpacking 32-bit Wine into build/wine32/root"
  rm -rf "$wine32_root.tmp"
  mkdir -p "$wine32_root.tmp"
  local deb
  for deb in "$wine32/apt/cache/archives/"*.deb; do
    # The i386 C library is libc6-i386's, whose loader starts the programs.
    case ${deb##*/} in libc6_*) continue ;; esac
    dpkg-deb -x "$deb" "$wine32_root.tmp"
  done
  mv "$wine32_root.tmp" "$wine32_root"
  wine32_zlib
}

# Leaves build/wine32/status: "ready", or why 32-bit programs cannot run on
# this machine. The kernel is asked first, so a machine without 32-bit
# support downloads nothing.
install_wine32() {
  local status=$wine32/status answer
  mkdir -p "$wine32"
  if answer=$(wine32_run /lib/ld-linux.so.2 --version); then
    unpack_wine32
    answer=$(wine32_run "$wine32_root/usr/lib/wine/wine" --version) || true
  fi
  if [[ $answer != wine-* ]]; then
    echo "this kernel cannot run 32-bit programs (${answer##*: })" > "$status"
    echo "setup: $(cat "$status"); the win32 tree's Wine tests are skipped"
    return
  fi
  grep -qx ready "$status" 2>/dev/null || echo "setup: 32-bit Wine ready ($answer)"
  echo ready > "$status"
}

install_packages
chinese_locale
install_wine32
fetch_sources
unpack "$deps/src/expat_2.5.0.orig.tar.gz" "$deps/src/expat_$EXPAT_VERSION.debian.tar.xz" "$deps/src/expat"
unpack "$deps/src/bzip2_1.0.8.orig.tar.gz" "$deps/src/bzip2_$BZIP2_VERSION.debian.tar.bz2" "$deps/src/bzip2"
for triple in i686-w64-mingw32 x86_64-w64-mingw32; do
  build_expat "$triple" "$deps/$triple"
  build_bzip2 "$triple" "$deps/$triple"
done
echo "setup: dependencies ready in build/deps"
