# Sourced by the benches that run `soffice --convert-to` beside the program.
# prime_soffice_profile DIR SOFFICE: makes DIR a profile that SOFFICE starts headless without the
# first-start work, primed as the office worker primes its own.
prime_soffice_profile() {
  local version
  version=$(sed -n 's/^ProductKey=.* \([0-9][0-9.]*\)$/\1/p' \
    "$(dirname "$(readlink -f "$2")")/bootstraprc")
  mkdir -p "$1/user"
  printf '%s\n' '<?xml version="1.0" encoding="UTF-8"?>' \
    '<oor:items xmlns:oor="http://openoffice.org/2001/registry">' \
    "<item oor:path=\"/org.openoffice.Setup/Product\"><prop oor:name=\"ooSetupLastVersion\" oor:op=\"fuse\"><value>$version</value></prop></item>" \
    '</oor:items>' >"$1/user/registrymodifications.xcu"
}
