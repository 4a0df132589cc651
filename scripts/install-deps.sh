#!/usr/bin/env bash
# Installs the Debian packages a task needs, only when some are missing.
#   install-deps.sh run    - what building and opening the window needs
#   install-deps.sh test   - what building and running every test needs
#   install-deps.sh windows       - what building the Windows programs needs
#   install-deps.sh windows-test  - what building and running them under Wine needs
#   install-deps.sh package       - what making the Debian package and the Windows zip needs
set -euo pipefail

run_packages=(cmake g++ make qt6-base-dev libgl-dev)
test_packages=("${run_packages[@]}" libgtest-dev libgmock-dev googletest libbenchmark-dev
               locales clang libclang-rt-14-dev g++-mingw-w64-x86-64 wine64 xvfb perl
               dpkg-dev unzip patch git)

windows_packages=(cmake g++-mingw-w64-x86-64 binutils-mingw-w64-x86-64 googletest)
windows_test_packages=("${windows_packages[@]}" googletest wine64 xvfb)
package_packages=("${run_packages[@]}" "${windows_packages[@]}" dpkg-dev)

case "${1:-}" in
  run) wanted=("${run_packages[@]}") ;;
  test) wanted=("${test_packages[@]}") ;;
  windows) wanted=("${windows_packages[@]}") ;;
  windows-test) wanted=("${windows_test_packages[@]}") ;;
  package) wanted=("${package_packages[@]}") ;;
  *) echo "usage: $0 run|test|windows|windows-test|package" >&2; exit 2 ;;
esac

missing=()
for package in "${wanted[@]}"; do
  dpkg-query -W -f='${Status}' "$package" 2>/dev/null | grep -q "install ok installed" ||
    missing+=("$package")
done

if [ ${#missing[@]} -gt 0 ]; then
  echo "Installing: ${missing[*]}"
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi

# The letter-case and encoding tests use two single-byte locales (Western and Turkish) and a
# Cyrillic UTF-8 one next to C.UTF-8.
if [ "$1" = test ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo="sudo"
  for wanted_locale in de_DE.ISO-8859-1 tr_TR.ISO-8859-9 ru_RU.UTF-8; do
    listed=$(echo "$wanted_locale" | tr 'A-Z' 'a-z' | tr -d '-')  # as locale -a lists it
    locale -a 2>/dev/null | grep -qix "$listed" ||
      $sudo localedef -i "${wanted_locale%%.*}" -f "${wanted_locale#*.}" "$wanted_locale"
  done
fi
