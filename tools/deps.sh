# Sourced by ./test and ./run: installs the Debian packages the project needs, skipping what is there.
MORWICK_PACKAGES="g++ cmake ninja-build pkg-config clang libclang-rt-14-dev libgtest-dev libgmock-dev
  zlib1g-dev libssl-dev libpng-dev libfreetype-dev libfontconfig-dev libsdl2-dev fonts-wqy-microhei"

morwick_install_deps() {
  local missing=""
  for p in $MORWICK_PACKAGES; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing="$missing $p"
  done
  [ -z "$missing" ] && return 0
  echo "installing:$missing"
  local sudo=""
  [ "$(id -u)" -ne 0 ] && sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq $missing
}
