# Debian packages the SDK needs; sourced by scripts/build and scripts/test.
QUELVIX_BUILD_PACKAGES="g++ cmake make pkg-config zlib1g-dev libdeflate-dev libexpat1-dev libopenjp2-7-dev binutils openjdk-17-jdk-headless"
QUELVIX_TEST_PACKAGES="libgtest-dev libgmock-dev libbenchmark-dev libxml2-utils libopencv-dev libopencv-contrib-dev libvips-dev python3-pywt python3-numpy python3-scipy python3-skimage libopenjp2-tools python3-jpylyzer python3-pil locales libfftw3-dev"

# Installs what is missing from the given packages (apt-get, when root).
quelvix_install_missing() {
    local missing=()
    local p
    for p in "$@"; do
        dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
    done
    [ ${#missing[@]} -eq 0 ] && return 0
    if [ "$(id -u)" -ne 0 ]; then
        echo "missing Debian packages: ${missing[*]} (run as root, or install them)" >&2
        return 1
    fi
    echo "installing: ${missing[*]}"
    export DEBIAN_FRONTEND=noninteractive
    apt-get update -qq && apt-get install -y -qq --no-install-recommends "${missing[@]}"
}

quelvix_jobs() {
    nproc 2>/dev/null || echo 2
}
