#!/bin/sh
# The set-up path on a machine that lacks one package. scripts/test.sh and
# scripts/run.sh must ask apt-get for exactly that package and say so; when
# apt-get cannot install it they must name it and fail. dpkg-query, apt-get,
# id, locale and cmake are stand-ins earlier on PATH: dpkg-query reports one
# package missing until the stand-in apt-get has installed it, and cmake
# marks that the set-up was passed and stops the script there.
set -u
root=$(cd "$(dirname "$0")/../.." && pwd)
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
bin=$work/bin
mkdir "$bin"
missing=libonig-dev
failures=0

cat > "$bin/dpkg-query" <<STANDIN
#!/bin/sh
for package; do :; done
if [ "\$package" = "$missing" ] && [ ! -e "$work/installed" ]; then
  echo "dpkg-query: no packages found matching \$package" >&2
  exit 1
fi
printf 'install ok installed'
STANDIN
cat > "$bin/apt-get" <<STANDIN
#!/bin/sh
echo "\$*" >> "$work/apt-calls"
case " \$* " in
  *" install "*)
    [ -e "$work/apt-fails" ] && { echo "E: Unable to locate package" >&2; exit 100; }
    touch "$work/installed" ;;
esac
exit 0
STANDIN
printf '#!/bin/sh\necho 0\n' > "$bin/id"
printf '#!/bin/sh\necho de_DE.utf8\n' > "$bin/locale"
printf '#!/bin/sh\ntouch "%s/built"\nexit 97\n' "$work" > "$bin/cmake"
chmod +x "$bin"/*

fail() {
  echo "FAIL ($script, $case): $*"
  sed 's/^/  | /' "$work/out"
  failures=$((failures + 1))
}

for script in test.sh run.sh; do
  for case in installs fails; do
    rm -f "$work/apt-calls" "$work/installed" "$work/built" "$work/apt-fails"
    [ "$case" = fails ] && touch "$work/apt-fails"
    PATH="$bin:$PATH" VANTREL_BUILD_DIR="$work/build" VANTREL_SANITIZE_BUILD_DIR="$work/build-s" \
      timeout 60 sh "$root/scripts/$script" </dev/null >"$work/out" 2>&1
    status=$?
    # The packages of the install call: its words after "install" that are
    # not options.
    requested=$(grep -w install "$work/apt-calls" 2>/dev/null | tr ' ' '\n' |
                sed -n '/^install$/,$p' | grep -v -e '^install$' -e '^-' | tr '\n' ' ')
    [ "$requested" = "$missing " ] || fail "apt-get was asked to install '$requested', not '$missing'"
    grep -q "$missing" "$work/out" || fail "the output does not name $missing"
    if [ "$case" = installs ]; then
      [ -e "$work/built" ] || fail "the build was not reached after the install (status $status)"
    else
      [ "$status" -ne 0 ] || fail "a failed install exits with status 0"
      [ -e "$work/built" ] && fail "the build went on after a failed install"
      grep -q "error:.*$missing" "$work/out" || fail "no error names $missing"
    fi
  done
done
[ "$failures" -eq 0 ] && echo "set-up path: all cases passed"
exit "$failures"
