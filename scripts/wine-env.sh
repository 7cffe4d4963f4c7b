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
