#!/usr/bin/env bash
# Builds the third-party libraries as static x86_64-w64-mingw32 libraries from
# Debian's own source packages, into a cache outside the repository:
#
#   DEPS=$(scripts/build-deps.sh)      # last line of stdout: the prefix
#
# The prefix has include/, lib/ and lib/pkgconfig/, and tools/curl.exe (the
# curl command line on the same libcurl, for benchmarks). A warm cache answers at
# once; a cold one takes a few minutes. LIFTORN_DEPS_CACHE moves the cache
# (default ~/.cache/liftorn-deps). cmake/Dependencies.cmake turns the prefix
# into imported targets.
#
# Linking by hand (verified under Wine; order matters, link with g++):
#
#   x86_64-w64-mingw32-g++-posix -std=c++17 -O2 \
#     -DCURL_STATICLIB -DIL_STATIC_LIB -D_UNICODE \
#     -I"$DEPS/include" -I"$DEPS/include/freetype2" app.cpp -o app.exe \
#     -static -L"$DEPS/lib" \
#     -lILU -lIL -lgif -lfreetype -lpng16 -ljpeg -lsqlite3 -lcurl -lminizip -lz \
#     -lsodium -lbcrypt -ladvapi32 -lcrypt32 -lws2_32
#
# libsodium's users define SODIUM_STATIC.
#
# DevIL is built for wide strings (ILchar is wchar_t): whoever includes
# <IL/il.h> must define _UNICODE, or file names are passed as the wrong type.
set -euo pipefail

# stdout carries only the prefix; everything else goes to stderr.
exec 3>&1 1>&2

here=$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)
self="$here/$(basename "${BASH_SOURCE[0]}")"
toolchain="$(dirname "$here")/cmake/mingw-w64.cmake"

# Debian source packages, pinned: a new Debian revision means editing this
# list, which also changes the cache key.
pinned_sources=(
  zlib=1:1.2.13.dfsg-1
  libpng1.6=1.6.39-2+deb12u5
  libjpeg-turbo=1:2.1.5-2
  freetype=2.12.1+dfsg-5+deb12u4
  sqlite3=3.40.1-2+deb12u2
  curl=7.88.1-10+deb12u15
  giflib=5.2.1-2.5+deb12u1
  libsodium=1.0.18-1+deb12u1
)
# DevIL 1.8 exists only in sid, and there only its upstream tarball is served
# (no .dsc), so the pin is on that tarball.
devil_suite=sid
devil_orig=devil_1.8.0.40.g6f3d5e9b+dfsg.orig.tar.xz

# Installed packages whose contents end up in the prefix.
host_packages=(googletest gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
               mingw-w64-x86-64-dev binutils-mingw-w64-x86-64 autoconf automake libtool)

triplet=x86_64-w64-mingw32
cross_cc=$triplet-gcc-posix
cross_cxx=$triplet-g++-posix
cross_ar=$triplet-ar
cross_ranlib=$triplet-ranlib
cflags="-O2"
jobs=$(nproc)

cache_root=${LIFTORN_DEPS_CACHE:-$HOME/.cache/liftorn-deps}

host_versions=$(dpkg-query -W -f='${Package}=${Version}\n' "${host_packages[@]}" 2>/dev/null) || {
  echo "build-deps: FAILED at step host-packages: run scripts/install-packages.sh first"
  exit 1
}
[ -r "$toolchain" ] || { echo "build-deps: FAILED at step setup: $toolchain is missing"; exit 1; }
key=$({ cat "$self" "$toolchain"; printf '%s\n' "$host_versions"; } | sha256sum | cut -c1-16)
final_dir="$cache_root/$key"
prefix="$final_dir/prefix"

if [ -e "$final_dir/.complete" ]; then
  echo "$prefix" >&3
  exit 0
fi

# ---------------------------------------------------------------- cold build
# The caller's compiler settings are for the program, not for these libraries.
unset CC CXX CPP AR RANLIB CFLAGS CXXFLAGS CPPFLAGS LDFLAGS LIBS \
      PKG_CONFIG_PATH PKG_CONFIG_LIBDIR PKG_CONFIG_SYSROOT_DIR LIFTORN_DEPS_PREFIX
mkdir -p "$cache_root"
exec 9>"$cache_root/$key.lock"
flock -n 9 || { echo "build-deps: another build of $key is running; waiting"; flock 9; }
if [ -e "$final_dir/.complete" ]; then   # another run finished it meanwhile
  echo "$prefix" >&3
  exit 0
fi

rm -rf "$final_dir" "$cache_root/work.$key".*
# Work dirs of other recipes whose build is no longer running.
for old in "$cache_root"/work.*; do
  [ -d "$old" ] || continue
  old_key=${old##*/work.}
  old_key=${old_key%%.*}
  (flock -n 8 && rm -rf "$old") 8>"$cache_root/$old_key.lock" || true
done
work=$(mktemp -d "$cache_root/work.$key.XXXXXX")
logs="$work/logs"
apt_dir="$work/apt"
downloads="$work/downloads"
src="$work/src"
build="$work/build"
stage="$work/prefix"
mkdir -p "$logs" "$apt_dir/lists/partial" "$apt_dir/archives/partial" "$apt_dir/cache" \
         "$downloads" "$src" "$build" "$stage"
echo "build-deps: building into $work (key $key)"

current_step=setup
reported=""
lane_pids=()
on_exit() {
  local rc=$? pid
  # Lanes run in process groups of their own: stop them with their makes.
  for pid in "${lane_pids[@]}"; do kill -TERM -- "-$pid" 2>/dev/null || true; done
  if [ "$rc" -ne 0 ] && [ -z "$reported" ]; then
    echo "build-deps: FAILED at step $current_step (exit $rc); work dir kept: $work"
  fi
}
trap on_exit EXIT
trap 'exit 130' INT TERM

# step NAME COMMAND...: runs COMMAND with errexit, output to logs/NAME.log.
step() {
  local name=$1 started=$SECONDS rc
  shift
  current_step=$name
  echo "build-deps: $name"
  set +e
  ( set -e; cd "$work"; "$@" ) >"$logs/$name.log" 2>&1 </dev/null 3>&-
  rc=$?
  set -e
  if [ "$rc" -ne 0 ]; then
    echo "build-deps: FAILED at step $name (exit $rc); log: $logs/$name.log"
    tail -n 40 "$logs/$name.log" | sed 's/^/  | /'
    reported=1
    exit 1
  fi
  echo "build-deps: $name done ($((SECONDS - started)) s)"
}

# ------------------------------------------------------------------ sources
apt_opts=(
  -o "Dir::Etc::SourceList=$apt_dir/deb-src.sources"
  -o "Dir::Etc::SourceParts=/dev/null"
  -o "Dir::State::Lists=$apt_dir/lists"
  -o "Dir::Cache=$apt_dir/cache"
  -o "Dir::Cache::Archives=$apt_dir/archives"
)
# Root's apt hands downloads to the _apt user, who cannot write into a home
# directory; the files are still checked against the signed index.
[ "$(id -u)" -ne 0 ] || apt_opts+=(-o "APT::Sandbox::User=root")

# Writes a deb822 deb-src list with the URIs, suites and components of the
# machine's own Debian entries, plus the same archive's sid for DevIL.
derive_sources() {
  local codename
  codename=$(. /etc/os-release && echo "${VERSION_CODENAME:-}")
  [ -n "$codename" ] || { echo "no VERSION_CODENAME in /etc/os-release"; return 1; }
  local one_line=() deb822=() f
  [ -f /etc/apt/sources.list ] && one_line+=(/etc/apt/sources.list)
  for f in /etc/apt/sources.list.d/*.list; do [ -f "$f" ] && one_line+=("$f"); done
  for f in /etc/apt/sources.list.d/*.sources; do [ -f "$f" ] && deb822+=("$f"); done
  {
    [ ${#deb822[@]} -eq 0 ] || awk -v codename="$codename" -v extra="$devil_suite" -f - "${deb822[@]}" <<'AWK'
function flush(   i, n, s, kept, plain, out) {
  if (nf == 0) return
  if (types ~ /(^|[ \t])deb([ \t]|$)/ && tolower(enabled) != "no") {
    n = split(suites, s, /[ \t]+/); kept = ""; plain = 0
    for (i = 1; i <= n; i++) {
      if (s[i] == codename || index(s[i], codename "-") == 1) kept = kept " " s[i]
      if (s[i] == codename) plain = 1
    }
    if (kept != "") {
      out = ""
      for (i = 1; i <= nf; i++) out = out field[i] "\n"
      printf "Types: deb-src\nSuites:%s\n%s\n", kept, out
      if (plain) printf "Types: deb-src\nSuites: %s\n%s\n", extra, out
    }
  }
  nf = 0; types = ""; suites = ""; enabled = ""
}
FNR == 1 { flush() }
/^#/ { next }
/^[ \t]*$/ { flush(); next }
/^[ \t]/ { if (keep) field[nf] = field[nf] "\n" $0; next }
{
  name = tolower(substr($0, 1, index($0, ":") - 1))
  value = substr($0, index($0, ":") + 1); sub(/^[ \t]+/, "", value); sub(/[ \t]+$/, "", value)
  keep = 0
  if (name == "types") types = value
  else if (name == "suites") suites = value
  else if (name == "enabled") enabled = value
  else if (name != "architectures") { field[++nf] = $0; keep = 1 }
}
END { flush() }
AWK
    [ ${#one_line[@]} -eq 0 ] || awk -v codename="$codename" -v extra="$devil_suite" -f - "${one_line[@]}" <<'AWK'
# deb [opt=value ...] URI SUITE COMPONENT...
function option_field(opt,   k, v, parts, i, n, name) {
  k = substr(opt, 1, index(opt, "=") - 1); v = substr(opt, index(opt, "=") + 1)
  if (k == "arch" || k == "lang" || k == "target" || k ~ /[+-]$/) return ""
  n = split(k, parts, "-"); name = ""
  for (i = 1; i <= n; i++) name = name (i > 1 ? "-" : "") toupper(substr(parts[i], 1, 1)) substr(parts[i], 2)
  gsub(",", " ", v)
  return name ": " v "\n"
}
{
  sub(/#.*/, "")
  if ($1 != "deb") next
  line = $0; sub(/^[ \t]*deb[ \t]+/, "", line)
  opts = ""
  if (substr(line, 1, 1) == "[") {
    inside = substr(line, 2, index(line, "]") - 2)
    line = substr(line, index(line, "]") + 1)
    n = split(inside, o, /[ \t]+/)
    for (i = 1; i <= n; i++) if (o[i] != "") opts = opts option_field(o[i])
  }
  n = split(line, w, /[ \t]+/); j = 0
  for (i = 1; i <= n; i++) if (w[i] != "") word[++j] = w[i]
  if (j < 3) next
  suite = word[2]
  if (suite != codename && index(suite, codename "-") != 1) next
  comps = ""
  for (i = 3; i <= j; i++) comps = comps " " word[i]
  body = "URIs: " word[1] "\nComponents:" comps "\n" opts
  printf "Types: deb-src\nSuites: %s\n%s\n", suite, body
  if (suite == codename) printf "Types: deb-src\nSuites: %s\n%s\n", extra, body
}
AWK
  } >"$apt_dir/deb-src.sources"
  cat "$apt_dir/deb-src.sources"
  grep -q "^Suites: $devil_suite\$" "$apt_dir/deb-src.sources" || {
    echo "no apt entry for the $codename archive in /etc/apt/sources.list{,.d}"
    return 1
  }
}

apt_update() {
  apt-get "${apt_opts[@]}" update
}

fetch_sources() {
  cd "$downloads"
  apt-get "${apt_opts[@]}" source --download-only "${pinned_sources[@]}"
}

# DevIL's .dsc and Debian tarball are not served, so apt fails after fetching
# the upstream tarball: judge by the tarball, not by apt's exit code.
fetch_devil() {
  cd "$downloads"
  apt-get "${apt_opts[@]}" source --download-only "devil/$devil_suite" || true
  [ -s "$downloads/$devil_orig" ] || {
    echo "expected $devil_orig from $devil_suite; got:"
    ls "$downloads"
    return 1
  }
}

# Every .dsc must carry exactly the pinned version.
verify_versions() {
  local pin name version dsc got
  for pin in "${pinned_sources[@]}"; do
    name=${pin%%=*}
    version=${pin#*=}
    dsc="$downloads/${name}_${version#*:}.dsc"
    [ -f "$dsc" ] || { echo "$name: $dsc was not downloaded"; return 1; }
    got=$(sed -n 's/^Version: //p' "$dsc")
    [ "$got" = "$version" ] || { echo "$name: wanted $version, fetched $got"; return 1; }
    echo "$name $got"
  done
  echo "devil $devil_orig"
}

extract_sources() {
  local pin name
  for pin in "${pinned_sources[@]}"; do
    name=${pin%%=*}
    version=${pin#*=}
    dpkg-source -x "$downloads/${name}_${version#*:}.dsc" "$src/$name"
  done
  mkdir -p "$src/devil"
  tar -C "$src/devil" --strip-components=1 -xf "$downloads/$devil_orig"
}

# ---------------------------------------------------------------- libraries
cross_env=(
  CC="$cross_cc" CXX="$cross_cxx" AR="$cross_ar" RANLIB="$cross_ranlib"
  CFLAGS="$cflags" CXXFLAGS="$cflags"
  CPPFLAGS="-I$stage/include" LDFLAGS="-L$stage/lib"
  PKG_CONFIG=pkg-config PKG_CONFIG_PATH= PKG_CONFIG_LIBDIR="$stage/lib/pkgconfig"
)
build_triplet=$(dpkg-architecture -qDEB_BUILD_GNU_TYPE 2>/dev/null || echo x86_64-linux-gnu)
autotools_cross=(--host="$triplet" --build="$build_triplet" --prefix="$stage"
                 --disable-shared --enable-static)
cmake_cross=(
  -G Ninja
  -DCMAKE_TOOLCHAIN_FILE="$toolchain"
  -DLIFTORN_DEPS_PREFIX="$stage"
  -DCMAKE_INSTALL_PREFIX="$stage"
  # "None" keeps the libraries' own build types from swapping -O2 for -O3.
  -DCMAKE_BUILD_TYPE=None
  -DCMAKE_C_FLAGS="$cflags -DNDEBUG"
  -DCMAKE_CXX_FLAGS="$cflags -DNDEBUG"
  -DBUILD_SHARED_LIBS=OFF
)

build_zlib() {
  cd "$src/zlib"
  env "${cross_env[@]}" CHOST="$triplet" ./configure --static --prefix="$stage"
  make -j"$jobs" libz.a
  make install
}

build_minizip() {
  local out="$build/minizip" f
  mkdir -p "$out" "$stage/include/minizip"
  cd "$src/zlib/contrib/minizip"
  for f in ioapi iowin32 zip unzip mztools; do
    "$cross_cc" $cflags -I"$stage/include" -c "$f.c" -o "$out/$f.o"
  done
  rm -f "$stage/lib/libminizip.a"
  "$cross_ar" rcs "$stage/lib/libminizip.a" "$out"/*.o
  install -m 644 ioapi.h iowin32.h zip.h unzip.h mztools.h "$stage/include/minizip/"
}

build_libpng() {
  cd "$src/libpng1.6"
  env "${cross_env[@]}" ./configure "${autotools_cross[@]}"
  make -j"$jobs"
  make install
}

build_libjpeg() {
  cmake -S "$src/libjpeg-turbo" -B "$build/libjpeg-turbo" "${cmake_cross[@]}" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
  cmake --build "$build/libjpeg-turbo" -j "$jobs"
  cmake --install "$build/libjpeg-turbo"
}

build_freetype() {
  cd "$src/freetype"
  env "${cross_env[@]}" ./configure "${autotools_cross[@]}" \
    --with-zlib=yes --with-png=yes --with-bzip2=no --with-brotli=no --with-harfbuzz=no
  make -j"$jobs"
  make install
}

# The amalgamation is generated with the host's tools (tclsh), then only
# sqlite3.c is cross-compiled. Serialized threading mode: the program shares
# one connection between threads.
build_sqlite() {
  local native="$build/sqlite-native"
  mkdir -p "$native"
  cd "$native"
  "$src/sqlite3/configure" --disable-tcl
  make -j"$jobs" sqlite3.c
  "$cross_cc" $cflags -DSQLITE_THREADSAFE=1 -c sqlite3.c -o sqlite3.o
  rm -f "$stage/lib/libsqlite3.a"
  "$cross_ar" rcs "$stage/lib/libsqlite3.a" sqlite3.o
  install -m 644 sqlite3.h "$src/sqlite3/src/sqlite3ext.h" "$stage/include/"
}

# Windows' own TLS (Schannel) and Win32 threads for the resolver; nothing
# optional, no protocols the program does not speak.
build_curl() {
  cd "$src/curl"
  env "${cross_env[@]}" ./configure "${autotools_cross[@]}" \
    --with-schannel --without-openssl --with-zlib="$stage" \
    --without-brotli --without-zstd --without-nghttp2 --without-libpsl \
    --without-libidn2 --without-librtmp --without-libssh2 --without-libssh \
    --without-libgsasl \
    --disable-ldap --disable-ldaps --disable-rtsp --disable-dict --disable-telnet \
    --disable-tftp --disable-pop3 --disable-imap --disable-smb --disable-smtp \
    --disable-gopher --disable-mqtt \
    --disable-pthreads --enable-threaded-resolver
  # A CA path found on the build machine would mean nothing on Windows.
  if grep -E '^#define CURL_CA_(BUNDLE|PATH)' lib/curl_config.h; then
    echo "configure baked a host CA location into libcurl"
    return 1
  fi
  make -C lib -j"$jobs"
  make -C lib install
  make -C include install
  make install-pkgconfigDATA
  # The curl command line on this very library: the upload benchmark's
  # like-for-like yardstick under Wine. Not part of the program.
  make -C src -j"$jobs" curl.exe
  install -D -m 755 src/curl.exe "$stage/tools/curl.exe"
}

# Signatures (Ed25519) and SHA-256 for the updater. The Debian tree has no
# configure script: generate it first.
build_libsodium() {
  cd "$src/libsodium"
  autoreconf -fi
  env "${cross_env[@]}" ./configure "${autotools_cross[@]}"
  make -j"$jobs"
  make install
}

# DevIL with ILU, both static; ILUT is not built. It writes config.h into its
# source tree, which is our private copy.
build_devil() {
  local devil="$src/devil/DevIL"
  sed -i 's/add_library(ILU SHARED /add_library(ILU /' "$devil/src-ILU/CMakeLists.txt"
  grep -q 'add_library(ILU \${ILU_SRCS}' "$devil/src-ILU/CMakeLists.txt"
  sed -i '/add_subdirectory(src-ILUT)/d' "$devil/CMakeLists.txt"
  # ILU's translated messages are Latin-1, which wide literals do not accept.
  local f
  for f in "$devil"/src-ILU/include/ilu_error/*.h; do
    if ! iconv -f UTF-8 -t UTF-8 "$f" >/dev/null 2>&1; then
      iconv -f ISO-8859-1 -t UTF-8 "$f" >"$f.utf8"
      mv "$f.utf8" "$f"
    fi
  done
  local off=() pkg
  for pkg in TIFF Jasper libSquish NVTT OpenEXR LCMS2 MNG; do
    off+=("-DCMAKE_DISABLE_FIND_PACKAGE_$pkg=ON")
  done
  cmake -S "$devil" -B "$build/devil" "${cmake_cross[@]}" "${off[@]}" \
    -DIL_TESTS=OFF -DUNICODE=ON \
    -DZLIB_INCLUDE_DIR="$stage/include" -DZLIB_LIBRARY="$stage/lib/libz.a" \
    -DPNG_PNG_INCLUDE_DIR="$stage/include" -DPNG_LIBRARY="$stage/lib/libpng16.a" \
    -DJPEG_INCLUDE_DIR="$stage/include" -DJPEG_LIBRARY="$stage/lib/libjpeg.a"
  # The formats the program needs must really be in.
  local config="$devil/src-IL/include/config.h" fmt
  for fmt in PNG JPG BMP; do
    if grep -E "^#define IL_NO_$fmt\b" "$config"; then
      echo "DevIL was configured without $fmt"
      return 1
    fi
  done
  cmake --build "$build/devil" -j "$jobs"
  cmake --install "$build/devil"
}

# GIF writing (DevIL cannot write GIF). Debian's tree keeps GifQuantizeBuffer;
# the library is a handful of C files, compiled and archived directly.
build_giflib() {
  local out="$build/giflib" f
  mkdir -p "$out"
  cd "$src/giflib"
  for f in dgif_lib egif_lib gifalloc gif_err gif_font gif_hash openbsd-reallocarray quantize; do
    "$cross_cc" -std=gnu99 $cflags -c "$f.c" -o "$out/$f.o"
  done
  rm -f "$stage/lib/libgif.a"
  "$cross_ar" rcs "$stage/lib/libgif.a" "$out"/*.o
  install -m 644 gif_lib.h "$stage/include/"
}

build_googletest() {
  cmake -S /usr/src/googletest -B "$build/googletest" "${cmake_cross[@]}" \
    -DBUILD_GMOCK=ON -Dgtest_force_shared_crt=ON
  cmake --build "$build/googletest" -j "$jobs"
  cmake --install "$build/googletest"
}

# Drops what the program does not use and points the pkg-config files at the
# prefix's final place.
finish_prefix() {
  rm -rf "$stage/bin" "$stage/share"
  find "$stage/lib" -name '*.la' -delete
  local f
  for f in $(grep -rlF "$stage" "$stage" || true); do
    case "$f" in
      *.pc|*.cmake) sed -i "s|$stage|$prefix|g" "$f" ;;
      *) echo "unexpected build path in $f"; return 1 ;;
    esac
  done
  for f in libz libminizip libpng16 libjpeg libfreetype libsqlite3 libcurl libsodium libIL libILU libgif \
           libgtest libgtest_main libgmock libgmock_main; do
    [ -s "$stage/lib/$f.a" ] || { echo "missing lib/$f.a"; return 1; }
  done
  find "$stage" -type f | sed "s|^$stage/||" | sort
  du -sh "$stage"
}

# lanes "STEP:FUNCTION ..." ...: runs each lane's steps in order, the lanes
# side by side (configure scripts use one core, so two lanes fill two).
lanes() {
  local lane
  set -m
  for lane in "$@"; do
    (
      for s in $lane; do step "${s%%:*}" "${s#*:}"; done
    ) &
    lane_pids+=($!)
  done
  set +m
  current_step="parallel lanes"
  # The first lane to fail ends the build; on_exit stops the others.
  local left=${#lane_pids[@]}
  while [ "$left" -gt 0 ]; do
    wait -n || { reported=1; exit 1; }
    left=$((left - 1))
  done
  lane_pids=()
}

started=$SECONDS
step apt-sources derive_sources
step apt-update apt_update
step fetch fetch_sources
step fetch-devil fetch_devil
step verify-versions verify_versions
step extract extract_sources
step zlib build_zlib
step minizip build_minizip
step giflib build_giflib
lanes "curl:build_curl libsodium:build_libsodium" \
      "libjpeg-turbo:build_libjpeg libpng:build_libpng freetype:build_freetype devil:build_devil" \
      "sqlite:build_sqlite googletest:build_googletest"
step finish finish_prefix

current_step=install
mkdir -p "$final_dir"
mv "$stage" "$prefix"
touch "$final_dir/.complete"
rm -rf "$work"
echo "build-deps: done in $((SECONDS - started)) s: $prefix"
echo "$prefix" >&3
