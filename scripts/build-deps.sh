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
host_packages=(gcc-mingw-w64-x86-64-posix g++-mingw-w64-x86-64-posix
               mingw-w64-x86-64-dev binutils-mingw-w64-x86-64)

triplet=x86_64-w64-mingw32
cross_cc=$triplet-gcc-posix
cross_ar=$triplet-ar
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
         "$downloads" "$src" "$build" "$stage/include" "$stage/lib"
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

# Each package in a process of its own (dpkg-source spends its time
# decompressing).
extract_sources() {
  local pin name version pids=() pid
  for pin in "${pinned_sources[@]}"; do
    name=${pin%%=*}
    version=${pin#*=}
    dpkg-source -x "$downloads/${name}_${version#*:}.dsc" "$src/$name" >"$logs/extract-$name.log" 2>&1 &
    pids+=($!)
  done
  mkdir -p "$src/devil"
  tar -C "$src/devil" --strip-components=1 -xf "$downloads/$devil_orig"
  for pid in "${pids[@]}"; do
    wait "$pid" || { echo "extracting failed: see $logs/extract-*.log"; return 1; }
  done
}

# ---------------------------------------------------------------- libraries
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

# compile OUT FLAGS... -- SOURCE...: compiles each C source into OUT (named
# after its path), $jobs at a time. For libraries whose build needs nothing
# a configure script would find out: their configure runs cost more than
# their compiling.
compile() {
  local out=$1 flags=() source object running=0
  shift
  while [ "$1" != -- ]; do flags+=("$1"); shift; done
  shift
  mkdir -p "$out"
  for source in "$@"; do
    object="${source//\//_}"
    "$cross_cc" $cflags "${flags[@]}" -c "$source" -o "$out/${object%.c}.o" &
    running=$((running + 1))
    if [ "$running" -ge "$jobs" ]; then
      wait -n || return 1
      running=$((running - 1))
    fi
  done
  while [ "$running" -gt 0 ]; do
    wait -n || return 1
    running=$((running - 1))
  done
}

# archive LIBRARY OUT: every object in OUT into $stage/lib/LIBRARY.
archive() {
  rm -f "$stage/lib/$1"
  "$cross_ar" rcs "$stage/lib/$1" "$2"/*.o
}

# zlib needs no configure on mingw (its own win32 makefile compiles the same
# files).
build_zlib() {
  cd "$src/zlib"
  compile "$build/zlib" -- adler32.c compress.c crc32.c deflate.c gzclose.c gzlib.c gzread.c gzwrite.c \
    infback.c inffast.c inflate.c inftrees.c trees.c uncompr.c zutil.c
  archive libz.a "$build/zlib"
  install -m 644 zlib.h zconf.h "$stage/include/"
}

build_minizip() {
  mkdir -p "$stage/include/minizip"
  cd "$src/zlib/contrib/minizip"
  compile "$build/minizip" -I"$stage/include" -- ioapi.c iowin32.c zip.c unzip.c mztools.c
  archive libminizip.a "$build/minizip"
  install -m 644 ioapi.h iowin32.h zip.h unzip.h mztools.h "$stage/include/minizip/"
}

# libpng with its default configuration (scripts/pnglibconf.h.prebuilt), as
# its configure would have made it; no SIMD code.
build_libpng() {
  cd "$src/libpng1.6"
  cp scripts/pnglibconf.h.prebuilt pnglibconf.h
  compile "$build/libpng" -I"$stage/include" -- png.c pngerror.c pngget.c pngmem.c pngpread.c pngread.c \
    pngrio.c pngrtran.c pngrutil.c pngset.c pngtrans.c pngwio.c pngwrite.c pngwtran.c pngwutil.c
  archive libpng16.a "$build/libpng"
  mkdir -p "$stage/include/libpng16"
  install -m 644 png.h pngconf.h pnglibconf.h "$stage/include/libpng16/"
  install -m 644 png.h pngconf.h pnglibconf.h "$stage/include/"
}

build_libjpeg() {
  cmake -S "$src/libjpeg-turbo" -B "$build/libjpeg-turbo" "${cmake_cross[@]}" \
    -DENABLE_SHARED=OFF -DENABLE_STATIC=ON -DWITH_SIMD=OFF -DWITH_TURBOJPEG=OFF
  cmake --build "$build/libjpeg-turbo" -j "$jobs"
  cmake --install "$build/libjpeg-turbo"
}

# FreeType with only what text from Windows' own font files needs: TrueType
# and OpenType (CFF) outlines, hinting, the anti-aliasing rasteriser; no
# compressed fonts, no PNG glyphs, no bitmap or Type 1 formats.
build_freetype() {
  local config="$build/freetype-config"
  mkdir -p "$config/freetype/config"
  cat >"$config/freetype/config/ftmodule.h" <<'MODULES'
FT_USE_MODULE( FT_Module_Class, autofit_module_class )
FT_USE_MODULE( FT_Driver_ClassRec, tt_driver_class )
FT_USE_MODULE( FT_Driver_ClassRec, cff_driver_class )
FT_USE_MODULE( FT_Module_Class, psaux_module_class )
FT_USE_MODULE( FT_Module_Class, psnames_module_class )
FT_USE_MODULE( FT_Module_Class, pshinter_module_class )
FT_USE_MODULE( FT_Module_Class, sfnt_module_class )
FT_USE_MODULE( FT_Renderer_Class, ft_smooth_renderer_class )
MODULES
  cd "$src/freetype"
  sed -e 's|^#define FT_CONFIG_OPTION_USE_ZLIB|/* #undef FT_CONFIG_OPTION_USE_ZLIB */|' \
    include/freetype/config/ftoption.h >"$config/freetype/config/ftoption.h"
  grep -q '^#define FT_CONFIG_OPTION_USE_ZLIB' "$config/freetype/config/ftoption.h" && return 1
  compile "$build/freetype" -DFT2_BUILD_LIBRARY -I"$config" -Iinclude -- \
    src/base/ftsystem.c src/base/ftinit.c src/base/ftdebug.c src/base/ftbase.c src/base/ftbbox.c \
    src/base/ftbitmap.c src/base/ftglyph.c src/sfnt/sfnt.c src/truetype/truetype.c src/cff/cff.c \
    src/psaux/psaux.c src/pshinter/pshinter.c src/psnames/psnames.c src/smooth/smooth.c \
    src/autofit/autofit.c
  archive libfreetype.a "$build/freetype"
  mkdir -p "$stage/include/freetype2"
  cp -r include/ft2build.h include/freetype "$stage/include/freetype2/"
  cp "$config/freetype/config/"*.h "$stage/include/freetype2/freetype/config/"
}

# The amalgamation is generated with the host's tools (tclsh) through
# SQLite's own main.mk, which needs no configure run; then only sqlite3.c is
# cross-compiled. Serialized threading mode: the program shares one
# connection between threads. Left out: what the program never calls
# (extensions loaded at run time, shared cache, JSON, deprecated calls).
build_sqlite() {
  local native="$build/sqlite-native"
  mkdir -p "$native"
  cd "$native"
  make -f "$src/sqlite3/main.mk" TOP="$src/sqlite3" BCC=gcc TCC=gcc sqlite3.c
  "$cross_cc" $cflags -DSQLITE_THREADSAFE=1 -DSQLITE_OMIT_LOAD_EXTENSION -DSQLITE_OMIT_SHARED_CACHE \
    -DSQLITE_OMIT_JSON -DSQLITE_OMIT_DEPRECATED -DSQLITE_DEFAULT_MEMSTATUS=0 -c sqlite3.c -o sqlite3.o
  rm -f "$stage/lib/libsqlite3.a"
  "$cross_ar" rcs "$stage/lib/libsqlite3.a" sqlite3.o
  install -m 644 sqlite3.h "$src/sqlite3/src/sqlite3ext.h" "$stage/include/"
}

# HTTP and HTTPS only, through Windows' own TLS (Schannel, with SSPI, which
# also answers proxies that ask for Windows authentication), IPv6, Win32
# threads for the resolver, zlib. Built with curl's own makefile for mingw
# and its config-win32.h: no configure run, which used to take most of this
# script's time.
build_curl() {
  cd "$src/curl"
  # A CA path built in would mean nothing on Windows.
  if grep -E '^#define CURL_CA_(BUNDLE|PATH)' lib/config-win32.h; then
    echo "config-win32.h names a CA location"
    return 1
  fi
  local make_curl=(make -f Makefile.mk -j"$jobs" CFG=-schannel-sspi-zlib-ipv6
                   CC="$cross_cc" AR="$cross_ar" RC="$triplet-windres" ZLIB_PATH="$stage")
  mkdir -p "lib/$triplet" "src/$triplet" "$stage/include/curl"
  # The sources of the protocols, TLS libraries and helpers this build
  # leaves out compile to nothing: skip them.
  local unused=" amigaos asyn-ares bearssl c-hyper cleartext curl_fnmatch curl_gssapi curl_msh3 curl_ngtcp2
    curl_ntlm_wb curl_path curl_quiche curl_range curl_rtmp curl_sasl dict file fileinfo ftp ftplistparser
    gopher gsasl gskit gtls h2h3 imap krb5 krb5_gssapi ldap libssh libssh2 mbedtls mbedtls_threadlock
    memdebug mqtt nss ntlm oauth2 openldap openssl pingpong pop3 psl rtsp rustls sectransp smb smtp
    socks_gssapi spnego_gssapi telnet tftp wildcard wolfssh wolfssl "
  local all used=() source
  all="$(cd lib && printf 'include Makefile.inc\nsources:\n\t@echo $(CSOURCES)\n' | make -s -f -)"
  for source in $all; do
    [[ "${unused//[$'\n']/ }" == *" $(basename "$source" .c) "* ]] || used+=("$source")
  done
  [ "${#used[@]}" -gt 50 ] || { echo "too few libcurl sources: ${used[*]}"; return 1; }
  # CPPFLAGS and CFLAGS through the environment: the makefile adds to them.
  CPPFLAGS="-DHTTP_ONLY" CFLAGS="$cflags" "${make_curl[@]}" -C lib CSOURCES="${used[*]}" libcurl.a
  install -m 644 lib/libcurl.a "$stage/lib/"
  install -m 644 include/curl/*.h "$stage/include/curl/"
  # The curl command line on this very library: the upload benchmark's
  # like-for-like yardstick under Wine. Not part of the program.
  CPPFLAGS="-DHTTP_ONLY" CFLAGS="$cflags" "${make_curl[@]}" -C src curl.exe
  install -D -m 755 src/curl.exe "$stage/tools/curl.exe"
}

# Signatures (Ed25519) and SHA-256 for the updater. The Debian tree has no
# configure script, and generating one costs more than the whole library:
# every source is compiled as it is, with the portable C code only (no
# assembler or CPU-specific variants; the updater checks one signature).
build_libsodium() {
  local include="$src/libsodium/src/libsodium/include"
  cp "$src/libsodium/builds/msvc/version.h" "$include/sodium/version.h"
  cd "$src/libsodium/src/libsodium"
  mapfile -t sources < <(find . -name '*.c' | sed 's|^\./||' | sort)
  compile "$build/libsodium" -DCONFIGURED=1 -DNATIVE_LITTLE_ENDIAN=1 -DSODIUM_STATIC=1 \
    -I"$include" -I"$include/sodium" -- "${sources[@]}"
  archive libsodium.a "$build/libsodium"
  cp -r "$include/sodium.h" "$include/sodium" "$stage/include/"
  rm -rf "$stage/include/sodium/private"
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
  # Only the formats the program reads and writes (skin, thumbnails,
  # captures): the others' sources compile to nothing.
  local config="$devil/src-IL/include/config.h" fmt
  # (DDS stays: other formats' code uses its decoders.)
  for fmt in BLP DCX DICOM EXR FITS GAMES HDR ICNS ICON IFF ILBM IWI JP2 LIF MDL MNG MP3 PCD PCX \
             PIC PIX PNM PSD PSP PXR ROT SGI SUN TEXTURE TGA TIF TPL UTX VTF WAD WAL WBMP WDP XPM; do
    sed -i -E -e "s@^(/\* )?#(undef|cmakedefine) IL_NO_$fmt\b.*@#define IL_NO_$fmt@" \
              -e "s@^#define IL_NO_$fmt\b.*@#define IL_NO_$fmt@" "$config"
    grep -q -E "^#define IL_NO_$fmt\$" "$config" || { echo "cannot leave $fmt out of DevIL"; return 1; }
  done
  # The formats the program needs must really be in.
  for fmt in PNG JPG BMP GIF RAW; do
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
  for f in libz libminizip libpng16 libjpeg libfreetype libsqlite3 libcurl libsodium libIL libILU libgif; do
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
# DevIL, the longest after curl, starts as soon as its image libraries are in.
lanes "curl:build_curl libsodium:build_libsodium" \
      "libjpeg-turbo:build_libjpeg libpng:build_libpng devil:build_devil" \
      "sqlite:build_sqlite freetype:build_freetype"
step finish finish_prefix

current_step=install
mkdir -p "$final_dir"
mv "$stage" "$prefix"
touch "$final_dir/.complete"
rm -rf "$work"
echo "build-deps: done in $((SECONDS - started)) s: $prefix"
echo "$prefix" >&3
