# Debian package check shared by the scripts; sourced, not run:
#   source scripts/packages.sh
#   install_missing_packages NAME PACKAGE...
# NAME starts every message. As root, the missing packages are installed with
# apt-get (waiting for another apt run to finish); otherwise they are listed.
# Returns non-zero only when an installation was tried and failed.

# True when the Debian package $1 is installed.
package_installed() {
    dpkg-query -W -f='${Status}' "$1" 2>/dev/null | grep -q 'install ok installed'
}

install_missing_packages() {
    local who=$1 pkg
    shift
    if ! command -v dpkg-query >/dev/null 2>&1; then
        echo "$who: not a Debian system; skipping the package check"
        return 0
    fi
    local missing=()
    for pkg in "$@"; do
        package_installed "$pkg" || missing+=("$pkg")
    done
    if [ ${#missing[@]} -eq 0 ]; then
        return 0
    fi
    if [ "$(id -u)" -ne 0 ]; then
        echo "$who: missing packages (run as root to install them): ${missing[*]}" >&2
        return 0
    fi
    echo "$who: installing ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    local wait_for_lock=(-o DPkg::Lock::Timeout=600)
    if [ -z "${PACKAGE_LISTS_UPDATED:-}" ]; then
        apt-get "${wait_for_lock[@]}" update || { echo "$who: apt-get update failed" >&2; return 1; }
        PACKAGE_LISTS_UPDATED=1
    fi
    # dpkg without a sync after every file it unpacks, which slows down the
    # installation of hundreds of packages on a fresh machine.
    apt-get "${wait_for_lock[@]}" -o DPkg::Options::=--force-unsafe-io install -y --no-install-recommends \
        "${missing[@]}" ||
        { echo "$who: apt-get install failed" >&2; return 1; }
}
