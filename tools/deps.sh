# Debian packages the build, the tests and the viewer need.
QUILL_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev qt6-base-dev
  fonts-dejavu-core fonts-dejavu-extra
  xvfb xauth openbox xdotool x11-utils clang libclang-rt-14-dev
  nlohmann-json3-dev libcli11-dev libfreetype-dev libfontconfig-dev fonts-liberation dpkg-dev
  librsvg2-bin lintian appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
  desktop-file-utils imagemagick file clang-format)

quill_install_deps() {
  local missing=()
  for p in "${QUILL_PACKAGES[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}
