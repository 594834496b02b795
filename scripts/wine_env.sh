# Sourced by the scripts that run Windows programs under Wine (the Wine
# check, the conformance runs, the motion and frame tables): which Wine
# runs here, and the settings for running one kind or the other.

# True when the 32-bit Wine is installed and this kernel starts it. Debian's
# wine32 brings the 32-bit loader, scripts/deps.sh goes on without it when
# apt cannot install it, and a kernel without 32-bit x86 support (some
# virtual machines) cannot execute it.
wine32_runs() {
  [[ -x /usr/lib/wine/wine ]] && WINEDEBUG=-all wine --version >/dev/null 2>&1
}

# use_wine win32|win64: sets wine to the loader for that kind of program and
# exports WINEARCH (and, for wine64, WINELOADER, which Wine's own helper
# programs are started with).
use_wine() {
  case $1 in
    win32)
      wine=wine
      export WINEARCH=win32
      unset WINELOADER
      ;;
    win64)
      wine=/usr/lib/wine/wine64
      export WINEARCH=win64 WINELOADER=/usr/lib/wine/wine64
      ;;
    *) return 2 ;;
  esac
}
