#!/usr/bin/env bash
# Cross-builds the two libraries the Windows program links statically, libopenmpt and KISS FFT,
# from Debian's own source packages into PREFIX (include/, lib/), once: a finished PREFIX holds a
# stamp and is left alone. The sources come through a private apt source list under WORK, so
# the machine's apt configuration is never changed.
#
#   tools/windows/build-deps.sh WORK PREFIX
set -euo pipefail
work=$(mkdir -p "$1" && cd "$1" && pwd)
prefix=$(mkdir -p "$2" && cd "$2" && pwd)
host=x86_64-w64-mingw32
stamp="$prefix/.built"
[ -f "$stamp" ] && exit 0

# ---- Debian's sources, through apt with every path of its own
apt_dir="$work/apt"
mkdir -p "$apt_dir/lists/partial" "$apt_dir/cache/archives/partial" "$work/src"
cat > "$apt_dir/sources.list" <<LIST
deb-src [signed-by=/usr/share/keyrings/debian-archive-keyring.gpg] http://deb.debian.org/debian bookworm main
LIST
apt=(apt-get -q -o Dir::Etc::SourceList="$apt_dir/sources.list" -o Dir::Etc::SourceParts=/dev/null
     -o Dir::State::Lists="$apt_dir/lists" -o Dir::Cache="$apt_dir/cache"
     -o Debug::NoLocking=1 -o APT::Sandbox::User=root)
"${apt[@]}" update >"$work/apt.log" 2>&1 || { cat "$work/apt.log" >&2; exit 1; }
cd "$work/src"
for package in libopenmpt kissfft; do
  ls -d "$package"-*/ >/dev/null 2>&1 || "${apt[@]}" source "$package" >>"$work/apt.log" 2>&1 ||
    { cat "$work/apt.log" >&2; exit 1; }
done
openmpt_src=$(ls -d "$work"/src/libopenmpt-*/ | head -n 1)
kissfft_src=$(ls -d "$work"/src/kissfft-*/ | head -n 1)

# ---- libopenmpt: its autotools build, static, with none of its optional codecs or tools
jobs=$(nproc)
mkdir -p "$work/openmpt-build"
cd "$work/openmpt-build"
"$openmpt_src/configure" --host=$host CC=$host-gcc-posix CXX=$host-g++-posix --prefix="$prefix" --disable-shared --enable-static \
  --without-zlib --without-mpg123 --without-ogg --without-vorbis --without-vorbisfile \
  --without-portaudio --without-portaudiocpp --without-pulseaudio --without-sndfile --without-flac \
  --disable-openmpt123 --disable-examples --disable-tests --disable-doxygen-doc \
  >"$work/openmpt-configure.log" 2>&1 || { tail -n 40 "$work/openmpt-configure.log" >&2; exit 1; }
make -j "$jobs" >"$work/openmpt-make.log" 2>&1 || { tail -n 40 "$work/openmpt-make.log" >&2; exit 1; }
make install >>"$work/openmpt-make.log" 2>&1

# ---- KISS FFT: the two C files of the real-input transform, float samples
mkdir -p "$prefix/include" "$prefix/lib" "$work/kissfft-build"
cd "$work/kissfft-build"
for file in kiss_fft kiss_fftr; do
  $host-gcc-posix -O2 -Dkiss_fft_scalar=float -c "$kissfft_src/$file.c" -I"$kissfft_src" -o "$file.o"
done
$host-ar rcs "$prefix/lib/libkissfft-float.a" kiss_fft.o kiss_fftr.o
cp "$kissfft_src"/kiss_fft.h "$kissfft_src"/kiss_fftr.h "$prefix/include/"
[ -f "$kissfft_src/kiss_fft_log.h" ] && cp "$kissfft_src/kiss_fft_log.h" "$prefix/include/"
touch "$stamp"
