#!/usr/bin/env bash
# Builds the Debian package from an existing build folder, unpacks it into a clean folder and runs the
# installed programs as a new user would: under Xvfb, with a home folder of its own.
#   scripts/package-test.sh [BUILD_FOLDER]
set -euo pipefail
self=$(realpath "$0")

fail() {
    echo "FALHOU: $*" >&2
    exit 1
}

# Inside xvfb-run: "--show BIN LOG TITLE" starts BIN/Vanteja, waits up to 60 s for a top-level window of
# that title, then ends it.
if [ "${1:-}" = --show ]; then
    bin=$2 log=$3 title=$4
    "$bin/Vanteja" >"$log" 2>&1 &
    pid=$!
    for _ in $(seq 120); do
        if xwininfo -root -tree 2>/dev/null | grep -qF "\"$title\""; then
            kill "$pid"
            wait "$pid" 2>/dev/null || true
            exit 0
        fi
        kill -0 "$pid" 2>/dev/null || break
        sleep 0.5
    done
    kill "$pid" 2>/dev/null || true
    cat "$log" >&2
    fail "a janela \"$title\" não apareceu"
fi

cd "$(dirname "$0")/.."
build=$(realpath "${1:-build}")

(cd "$build" && rm -f vanteja_*.deb && cpack -G DEB >/dev/null)
deb=$(ls "$build"/vanteja_*.deb)
echo "pacote: $deb"

work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

root="$work/root"
dpkg -x "$deb" "$root"
export HOME="$work/home"
mkdir -p "$HOME"
unset XDG_DATA_HOME XDG_CONFIG_HOME XDG_RUNTIME_DIR
export LC_ALL=C.UTF-8
books="$HOME/.local/share/Vanteja/Dados"
bin="$root/usr/bin"

# First start: the books are made from the installed template and the user is told where they are.
show() { xvfb-run -a -s "-screen 0 1366x768x24" bash "$self" --show "$bin" "$work/vanteja.log" "$1"; }
show "Informação" || fail "primeiro início"
[ -f "$books/Vanteja.sqlite" ] || fail "os dados não foram criados em $books"
[ "$(stat -c %a "$books")" = 700 ] || fail "pasta $books com modo $(stat -c %a "$books")"
[ "$(stat -c %a "$books/Vanteja.sqlite")" = 600 ] || fail "arquivo de dados com modo $(stat -c %a "$books/Vanteja.sqlite")"
echo "dados criados, só do dono: $books"

# Second start: straight to the login form.
show "Login do Sistema" || fail "segundo início"
echo "formulário de login mostrado"

# A scheduled copy from the installed location copies those books.
copy=$("$bin/Backup" --agora) || fail "Backup --agora"
case "$copy" in
    "$HOME/.local/share/Vanteja/Backups/Vanteja-"*.sqlite) ;;
    *) fail "cópia fora da pasta do usuário: $copy" ;;
esac
[ "$(sqlite3 "$copy" 'SELECT Login FROM USUARIOS')" = WEJ ] || fail "a cópia não tem os dados"
echo "cópia feita: $copy"
echo "pacote conferido"
