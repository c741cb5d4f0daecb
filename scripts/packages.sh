# Sourced by the other scripts: makes sure the Debian packages the build and
# the tests need are installed, installing what is missing.
VANTREL_PACKAGES="
  wine64 wine64-tools libwine-dev
  xvfb xauth libgl1-mesa-dri
  libonig-dev libtinyxml-dev libhunspell-dev hunspell-en-us libpng-dev zlib1g-dev
  libcurl4-openssl-dev libboost-regex-dev libboost-python-dev libpython3-dev fonts-liberation2
  cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
"

vantrel_missing_packages() {
  missing=
  for package in $VANTREL_PACKAGES; do
    # dpkg-query fails for a package that is not installed: count it missing
    # instead of letting set -e end the script without a word.
    status=$(dpkg-query -W -f='${Status}' "$package" 2>/dev/null) || status=
    case "$status" in
      *"install ok installed"*) ;;
      *) missing="$missing $package" ;;
    esac
  done
  echo "$missing"
}

vantrel_ensure_packages() {
  missing=$(vantrel_missing_packages)
  [ -z "$missing" ] && return 0
  echo "Installing:$missing"
  if [ "$(id -u)" != 0 ]; then
    echo "error: these packages are missing and installing them needs root:$missing" >&2
    return 1
  fi
  if ! apt-get update -qq; then
    echo "error: apt-get update failed; cannot install:$missing" >&2
    return 1
  fi
  # shellcheck disable=SC2086
  if ! DEBIAN_FRONTEND=noninteractive apt-get install -y -qq --no-install-recommends $missing; then
    echo "error: could not install:$missing" >&2
    return 1
  fi
  missing=$(vantrel_missing_packages)
  if [ -n "$missing" ]; then
    echo "error: still missing after install:$missing" >&2
    return 1
  fi
}
