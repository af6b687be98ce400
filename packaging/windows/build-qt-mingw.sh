#!/usr/bin/env bash
# Builds Qt 6.4.2 for Windows x86_64 (qtbase: Core, Gui, Widgets, PrintSupport, Test; qtsvg; qtcharts) with
# Debian 12's MinGW-w64 (POSIX threads), using Debian's own Qt 6.4.2 as the host tools (moc, rcc, uic).
# qtbase comes from Debian's source package (apt-get source qt6-base: a deb-src entry is added for it);
# qtsvg and qtcharts from the Qt project's sources of the same version: the tarballs in $QT_MINGW_SOURCES
# (default: sources/ beside this script).
# No OpenGL, D-Bus, SQL, network, FreeType (Windows draws text with DirectWrite) or tablet events (Debian's source
# leaves out the Wintab header); no Qt PDF.
#   build-qt-mingw.sh PREFIX [WORKDIR]      about an hour or two on two cores
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
sources=${QT_MINGW_SOURCES:-$here/sources}
prefix=$(realpath -m "${1:?usage: build-qt-mingw.sh PREFIX [WORKDIR]}")
work=$(realpath -m "${2:-$(mktemp -d /tmp/qt-mingw.XXXXXX)}")
mkdir -p "$work" "$prefix"
export DEBIAN_FRONTEND=noninteractive
need=(g++-mingw-w64-x86-64-posix gcc-mingw-w64-x86-64-posix qt6-base-dev qt6-base-dev-tools cmake ninja-build xz-utils)
missing=(); for p in "${need[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
[ ${#missing[@]} -eq 0 ] || { apt-get update -q; apt-get install -y -q "${missing[@]}"; }
if [ ! -f /etc/apt/sources.list.d/qt-mingw-src.sources ] && ! grep -rqs '^Types:.*deb-src' /etc/apt/sources.list.d/; then
  printf 'Types: deb-src\nURIs: %s\nSuites: bookworm bookworm-updates\nComponents: main\nSigned-By: /usr/share/keyrings/debian-archive-keyring.gpg\n' \
    "$(sed -n 's/^URIs: *//p' /etc/apt/sources.list.d/debian.sources | head -1)" > /etc/apt/sources.list.d/qt-mingw-src.sources
  apt-get update -q
fi
mkdir -p "$prefix/share"
cat > "$prefix/share/mingw-w64-x86_64.cmake" <<'EOT'
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(CMAKE_C_COMPILER x86_64-w64-mingw32-gcc-posix)
set(CMAKE_CXX_COMPILER x86_64-w64-mingw32-g++-posix)
set(CMAKE_RC_COMPILER x86_64-w64-mingw32-windres)
set(CMAKE_FIND_ROOT_PATH /usr/x86_64-w64-mingw32)
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
EOT
cd "$work"
[ -d qtbase-everywhere-src-6.4.2 ] || { apt-get source --download-only qt6-base=6.4.2+dfsg-10 && tar xJf qt6-base_6.4.2+dfsg.orig.tar.xz; }
# Qt 6.4.2's Windows platform plugin asks for dynamic OpenGL even where OpenGL is left out.
sed -i 's/^#if QT_CONFIG(dynamicgl)$/#if QT_CONFIG(dynamicgl) \&\& QT_CONFIG(opengl)/' \
  qtbase-everywhere-src-6.4.2/src/plugins/platforms/windows/qwindowswindow.cpp
cmake -S qtbase-everywhere-src-6.4.2 -B qtbase-build -G Ninja \
  -DCMAKE_TOOLCHAIN_FILE="$prefix/share/mingw-w64-x86_64.cmake" -DQT_HOST_PATH=/usr -DQT_HOST_PATH_CMAKE_DIR=/usr/lib/x86_64-linux-gnu/cmake \
  -DQT_QMAKE_TARGET_MKSPEC=win32-g++ -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DBUILD_SHARED_LIBS=ON \
  -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF -DFEATURE_opengl=OFF -DFEATURE_dbus=OFF -DFEATURE_sql=OFF \
  -DFEATURE_network=OFF -DFEATURE_concurrent=OFF -DFEATURE_xml=OFF -DFEATURE_vulkan=OFF -DFEATURE_icu=OFF \
  -DFEATURE_printsupport=ON -DFEATURE_freetype=OFF -DFEATURE_tabletevent=OFF -DFEATURE_system_zlib=OFF -DFEATURE_system_pcre2=OFF \
  -DFEATURE_system_harfbuzz=OFF -DFEATURE_system_jpeg=OFF -DFEATURE_system_doubleconversion=OFF
cmake --build qtbase-build --parallel
cmake --install qtbase-build
# Qt's toolchain file names the toolchain by the path it was built with: make it relative, so the prefix moves.
sed -i 's|^set(__qt_initially_configured_toolchain_file ".*")$|set(__qt_initially_configured_toolchain_file "${CMAKE_CURRENT_LIST_DIR}/../../../share/mingw-w64-x86_64.cmake")|' \
  "$prefix/lib/cmake/Qt6/qt.toolchain.cmake"
for m in qtsvg qtcharts; do
  [ -d $m-everywhere-src-6.4.2 ] || tar xJf "$sources/$m-everywhere-src-6.4.2.tar.xz"
  cmake -S $m-everywhere-src-6.4.2 -B $m-build -G Ninja -DCMAKE_TOOLCHAIN_FILE="$prefix/lib/cmake/Qt6/qt.toolchain.cmake" \
    -DCMAKE_INSTALL_PREFIX="$prefix" -DCMAKE_BUILD_TYPE=Release -DQT_BUILD_EXAMPLES=OFF -DQT_BUILD_TESTS=OFF
  cmake --build $m-build --parallel
  cmake --install $m-build
done
echo "Qt 6.4.2 for Windows x86_64 (MinGW-w64) installed in $prefix"
