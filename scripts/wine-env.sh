# Sourced by the other scripts: where the project's own Wine prefixes live and how each
# OS family is set up. Never the user's ~/.wine.
VAROQ_WINE_HOME="${VAROQ_WINE_HOME:-${XDG_CACHE_HOME:-$HOME/.cache}/varoq/wine}"
export WINEDEBUG="${WINEDEBUG:--all}"
# Mono and Gecko are never needed; without this a new prefix asks for them.
export WINEDLLOVERRIDES="${WINEDLLOVERRIDES:-mscoree,mshtml=}"

# The Windows version Wine reports in each family's prefix.
wine_version_of() {
    case "$1" in
        xp)    echo winxp ;;
        vista) echo vista ;;
        *)     echo "unknown OS family '$1' (xp or vista)" >&2; return 1 ;;
    esac
}
wine_prefix_of() { echo "$VAROQ_WINE_HOME/$1"; }

# The Explorer stand-in of the tests takes the place of Wine's 32-bit explorer.exe while
# the tests run. Wine's own desktop has to be up before that: set earlier, the override
# breaks the desktop itself.
standin_install() {  # prefix, stand-in program
    local target="$1/drive_c/windows/syswow64/explorer.exe"
    [ -f "$target.wine" ] || cp "$target" "$target.wine"
    cp "$2" "$target"
    WINEPREFIX="$1" wine reg add 'HKCU\Software\Wine\DllOverrides' /v explorer.exe /d native,builtin /f >/dev/null
}
standin_remove() {  # prefix
    local target="$1/drive_c/windows/syswow64/explorer.exe"
    if [ -f "$target.wine" ]; then mv -f "$target.wine" "$target"; fi
    WINEPREFIX="$1" wine reg delete 'HKCU\Software\Wine\DllOverrides' /v explorer.exe /f >/dev/null 2>&1 || true
}
