# The 32-bit ARM targets, shared by scripts/check-arm32 and scripts/profile
# --arm (sourced from the repository's root, with $root set).
#
# The flavours: armhf (hardware floating point) and armel (soft-float, the
# closest Debian has to an ARM9). Their SDL libraries are not installed but
# unpacked into build-FLAVOUR/target: Debian's security archive has no armel,
# so armel's libraries lag the host's and cannot be installed beside them, and
# the target's -dev packages conflict with the host's anyway. The programs run
# through the target's own loader, so nothing of the host's C library mixes in.

sudo=""
[ "$(id -u)" -eq 0 ] || sudo="sudo"
apt_get() {
  DEBIAN_FRONTEND=noninteractive $sudo apt-get -qq -o DPkg::Lock::Timeout=900 "$@"
}

triplet_of() { case $1 in armhf) echo arm-linux-gnueabihf ;; armel) echo arm-linux-gnueabi ;; esac; }
loader_of() { case $1 in armhf) echo ld-linux-armhf.so.3 ;; armel) echo ld-linux.so.3 ;; esac; }

# Installs the cross compilers of the flavours given and qemu-user, and adds
# the flavours' architectures to apt.
install_arm_tools() {
  local needed=(qemu-user) missing=() package flavour
  for flavour in "$@"; do needed+=("g++-$(triplet_of "$flavour")"); done
  for package in "${needed[@]}"; do
    dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
      missing+=("$package")
  done
  local update=0
  for flavour in "$@"; do
    if ! dpkg --print-foreign-architectures | grep -qx "$flavour"; then
      $sudo dpkg --add-architecture "$flavour"
      update=1
    fi
    apt-cache show "libsdl1.2debian:$flavour" >/dev/null 2>&1 || update=1
  done
  [ ${#missing[@]} -eq 0 ] && [ $update -eq 0 ] && return
  apt_get update
  [ ${#missing[@]} -eq 0 ] || {
    echo "arm32: installing ${missing[*]}"
    apt_get install -y --no-install-recommends "${missing[@]}" >/dev/null
  }
}

# Unpacks the target's SDL, SDL_image, SDL_mixer, libpng and zlib into $2:
# the runtime libraries with all they depend on, as apt resolves them for an
# empty system of that architecture, and the five -dev packages alone.
unpack_target() {
  local flavour=$1 target=$2
  [ -f "$target/.unpacked" ] && return
  rm -rf "$target" "$target.debs"
  mkdir -p "$target" "$target.debs/partial"
  : >"$target.debs/status"
  local arch=(-o APT::Architecture="$flavour" -o APT::Architectures::="$flavour"
              -o Dir::State::status="$target.debs/status" -o Dir::Cache::archives="$target.debs"
              -o APT::Sandbox::User=root)
  apt-get -qq "${arch[@]}" install -y --download-only --no-install-recommends \
    libsdl1.2debian libsdl-image1.2 libsdl-mixer1.2 libpng16-16 zlib1g >/dev/null || return 1
  (cd "$target.debs" && apt-get -qq "${arch[@]}" download \
    libsdl1.2-dev libsdl-image1.2-dev libsdl-mixer1.2-dev libpng-dev zlib1g-dev) || return 1
  local deb link
  for deb in "$target.debs"/*.deb; do dpkg-deb -x "$deb" "$target" || return 1; done
  # Links to absolute paths point into the host; make them point into the root.
  find "$target" -type l -lname '/*' -print0 | while IFS= read -r -d '' link; do
    ln -sfn "$target$(readlink "$link")" "$link"
  done
  rm -rf "$target.debs"
  touch "$target/.unpacked"
}

# Builds the show and the recorder of a flavour into build-FLAVOUR, with the
# same build type as the host's default build (the one users run).
build_arm() {
  local flavour=$1 out=build-$1
  unpack_target "$flavour" "$root/$out/target" || return 1
  cmake -S . -B "$out" -DCMAKE_BUILD_TYPE=Release -DDEMO_SHOW_ONLY=ON \
    -DCMAKE_TOOLCHAIN_FILE="$root/cmake/arm32.cmake" -DDEMO_ARM_TRIPLET="$(triplet_of "$flavour")" \
    -DDEMO_TARGET_ROOT="$root/$out/target" >/dev/null || return 1
  cmake --build "$out" -j"$(nproc 2>/dev/null || echo 2)" >/dev/null
}

# Runs the cross-built recorder of a flavour with the given arguments; the
# qemu options before them come from the array arm_qemu_options, if set.
run_arm() {
  local flavour=$1 triplet target library_path
  shift
  triplet=$(triplet_of "$flavour")
  target=$root/build-$flavour/target
  # Every folder holding a library, PulseAudio's private one included.
  library_path=$(find "$target/lib" "$target/usr/lib" -name 'lib*.so*' -printf '%h\n' |
                 sort -u | paste -sd:)
  qemu-arm "${arm_qemu_options[@]}" "$target/lib/$triplet/$(loader_of "$flavour")" \
    --library-path "$library_path" "$root/build-$flavour/demo-capture" "$@"
}
