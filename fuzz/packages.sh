# Sourced by the fuzz build scripts: installs those of the Debian packages
# named as arguments that are missing.
install_missing() {
  local missing=() p
  for p in "$@"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
  done
  if ((${#missing[@]})); then
    local sudo=()
    if [ "$(id -u)" -ne 0 ]; then sudo=(sudo); fi
    "${sudo[@]}" apt-get update -qq
    DEBIAN_FRONTEND=noninteractive "${sudo[@]}" apt-get install -y -qq --no-install-recommends "${missing[@]}"
  fi
}
