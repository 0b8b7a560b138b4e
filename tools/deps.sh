# Debian packages the build, the tests and the viewer need.
QUILL_PACKAGES=(cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev qt6-base-dev
  fonts-dejavu-core fonts-dejavu-extra xfonts-base
  xvfb xauth openbox xdotool x11-utils clang libclang-rt-14-dev
  nlohmann-json3-dev libcli11-dev libfreetype-dev libfontconfig-dev fonts-liberation dpkg-dev
  librsvg2-bin lintian appstream shared-mime-info xdg-utils libfile-mimeinfo-perl
  desktop-file-utils imagemagick file clang-format libpng-dev)

# What the page's build and its browser tests add: Debian's emscripten (which
# needs Debian's acorn), chromium driven by Selenium, and node with npm for
# the bundler, unless a node is there already.
QUILL_WEB_PACKAGES=(emscripten node-acorn chromium chromium-driver python3-selenium python3)
command -v npm >/dev/null 2>&1 || QUILL_WEB_PACKAGES+=(nodejs npm)

# Installs QUILL_PACKAGES and the packages given, those that are missing.
quill_install_deps() {
  local missing=()
  for p in "${QUILL_PACKAGES[@]}" "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "ok installed" || missing+=("$p")
  done
  [ ${#missing[@]} -eq 0 ] && return 0
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  echo "Installing: ${missing[*]}"
  $sudo apt-get update
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y --no-install-recommends "${missing[@]}"
}
