# Sourced by the other scripts: makes sure the Debian packages the build and
# the tests need are installed, installing what is missing, and that the
# machine has what the tests look for beyond packages (a locale whose decimal
# separator is a comma). Everything it needs from the system is looked up on
# PATH, so the set-up test can stand in for dpkg-query, apt-get and id.
VANTREL_PACKAGES="
  wine64 wine64-tools libwine-dev
  xvfb xauth libgl1-mesa-dri fonts-wine fonts-dejavu-core
  libicu-dev libonig-dev libtinyxml-dev libhunspell-dev hunspell-en-us libpng-dev zlib1g-dev
  libcurl4-openssl-dev libboost-regex-dev libboost-python-dev libpython3-dev fonts-liberation2
  cmake ninja-build g++ pkg-config libgtest-dev libgmock-dev libbenchmark-dev
  locales valgrind xdotool imagemagick
"
# The number tests switch to this locale to show that conversions ignore the
# process's decimal separator; without it they are skipped.
VANTREL_COMMA_LOCALE=de_DE.UTF-8
# Another set-up (another checkout on this machine) may hold the package
# manager's lock; wait for it rather than failing at once.
VANTREL_APT_OPTIONS="-o DPkg::Lock::Timeout=600"

vantrel_missing_packages() {
  missing=
  for package in "$@"; do
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

# Installs whichever of the packages named as arguments (the build's list
# when none are named) are missing. Returns non-zero, naming the packages,
# when they cannot be installed.
vantrel_ensure_packages() {
  [ $# -gt 0 ] || set -- $VANTREL_PACKAGES
  missing=$(vantrel_missing_packages "$@")
  if [ -n "$missing" ]; then
    echo "Installing:$missing"
    if [ "$(id -u)" != 0 ]; then
      echo "error: these packages are missing and installing them needs root:$missing" >&2
      return 1
    fi
    # shellcheck disable=SC2086
    if ! apt-get $VANTREL_APT_OPTIONS update -qq; then
      echo "error: apt-get update failed; cannot install:$missing" >&2
      return 1
    fi
    # shellcheck disable=SC2086
    if ! DEBIAN_FRONTEND=noninteractive apt-get $VANTREL_APT_OPTIONS install -y -qq \
        --no-install-recommends $missing; then
      echo "error: could not install:$missing" >&2
      return 1
    fi
    missing=$(vantrel_missing_packages "$@")
    if [ -n "$missing" ]; then
      echo "error: still missing after install:$missing" >&2
      return 1
    fi
  fi
  vantrel_ensure_locale
}

# Generates the comma-decimal locale when the machine lacks it. Not fatal:
# the tests that need it are skipped without it.
vantrel_ensure_locale() {
  vantrel_has_locale && return 0
  echo "Generating the locale $VANTREL_COMMA_LOCALE"
  # localedef may report warnings about the source files and still write
  # the locale: whether it is there afterwards is what counts.
  [ "$(id -u)" = 0 ] &&
    localedef -i "${VANTREL_COMMA_LOCALE%%.*}" -c -f UTF-8 "$VANTREL_COMMA_LOCALE" >/dev/null 2>&1
  vantrel_has_locale ||
    echo "warning: could not generate the locale $VANTREL_COMMA_LOCALE; the tests that need it are skipped" >&2
  return 0
}

vantrel_has_locale() {
  # locale -a spells it de_DE.utf8.
  wanted=$(echo "$VANTREL_COMMA_LOCALE" | tr 'A-Z' 'a-z' | sed 's/utf-8/utf8/')
  locale -a 2>/dev/null | tr 'A-Z' 'a-z' | grep -qx "$wanted"
}
