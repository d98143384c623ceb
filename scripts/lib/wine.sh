# shellcheck shell=bash
# The Wine settings of the scripts that run Windows programs: quiet, in a
# prefix of their own, and with no Mono, no Gecko and no desktop menu
# entries, so the user's home stays untouched. The test emulator in
# cmake/mingw-w64-x86_64.cmake uses the same settings.

# use_wine PREFIX: exports the settings for a Wine prefix in PREFIX.
use_wine() {
    export WINEPREFIX="$1" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml,winemenubuilder.exe=d"
}
