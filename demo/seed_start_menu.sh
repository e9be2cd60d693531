# shellcheck shell=bash
# seed_start_menu: fills the user's Start Menu of the current (new) Wine
# prefix with shortcuts to the programs Wine brings, and puts a welcome note
# and a tagged MP3 beside them. A new prefix's Start Menus are empty, and an
# empty launcher teaches a newcomer nothing. Source scripts/wine-env.sh
# first; the prefix's server should be running (warm_wineserver).

VELNOR_DEMO_DIR="${VELNOR_DEMO_DIR:-$(cd "$(dirname "${BASH_SOURCE[0]}")" && pwd)}"

# Name under Programs, then target: what a Windows user finds there too.
VELNOR_DEMO_SHORTCUTS=(
  'Accessories\Notepad'              'C:\windows\notepad.exe'
  'Accessories\WordPad'              'C:\Program Files\Windows NT\Accessories\wordpad.exe'
  'Accessories\Command Prompt'       'C:\windows\system32\cmd.exe'
  'Accessories\Clock'                'C:\windows\system32\clock.exe'
  'Games\Minesweeper'                'C:\windows\system32\winemine.exe'
  'System Tools\Registry Editor'     'C:\windows\regedit.exe'
  'System Tools\Task Manager'        'C:\windows\system32\taskmgr.exe'
  'System Tools\File Manager'        'C:\windows\system32\winefile.exe'
  'System Tools\Control Panel'       'C:\windows\system32\control.exe'
  'System Tools\Wine Configuration'  'C:\windows\system32\winecfg.exe'
  'Windows Explorer'                 'C:\windows\explorer.exe'
)

seed_start_menu() {
  local programs helper="$VELNOR_WINDOWS_DIR/start_menu_shortcuts.exe"
  programs="$(velnor_appdata_dir)/Microsoft/Windows/Start Menu/Programs" || return 1
  [[ -f "$helper" ]] || { velnor_log "no $helper (make build)"; return 1; }
  wine_run "$VELNOR_BUILD/logs/seed-start-menu.log" "$helper" "${VELNOR_DEMO_SHORTCUTS[@]}" || {
    velnor_log "could not write the Start Menu shortcuts; see $VELNOR_BUILD/logs/seed-start-menu.log"
    return 1
  }
  sed 's/$/\r/' "$VELNOR_DEMO_DIR/welcome_note.txt" >"$programs/Welcome note.txt"
  python3 "$VELNOR_DEMO_DIR/make_sample_mp3.py" "$programs/Track 01.mp3"
}
