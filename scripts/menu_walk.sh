#!/bin/bash
# Walks the menus of a separate cityrun process by the mouse and keyboard,
# as a player would, on a virtual display, and keeps a screenshot of every
# screen on the way: the new-profile page, the main menu, the game-type
# page, the scenario list, the token choice, the started level, Escape's
# in-game menu, its quit question, the main menu again, then the tutorial
# list and a lesson's first steps; then, started again with a profile that
# has won some levels, the lists with their ticks and cups, the login page,
# a custom game set up on the host page and in the lobby, free play started
# from the console (its money bag as a block is leased, its save and the
# save's summary on the save and load pages), and the credits skipped by a
# short key tap.
#
#   xvfb-run -a -s "-screen 0 1024x768x24" scripts/menu_walk.sh <game folder> <shots folder> [cityrun words]
#
# The game fills the screen, so the walk plays at the screen's size (640x480
# as well as 1024x768): clicks are given in the 640 x 480 interface and
# scaled to it.
# Further words go to cityrun's command line (L ger: the German texts).
# The game folder is a copy of build/<preset>/game (it gets a profile).
# Needs xdotool and imagemagick's import and compare. Exits non-zero when
# the game ended early, when a click changed nothing on the screen (a button
# that moved, a page that did not open), or the profile it leaves does not
# hold the new player with the token chosen on the way. Look at the
# screenshots for the rest.
set -u
# The walk opens no session list, but whatever it starts searches this
# machine only.
export CITYRUN_SESSION_SEARCH=loopback
GAME=$(cd "$1" && pwd)
SHOTS=$(mkdir -p "$2" && cd "$2" && pwd)
shift 2
WORDS=("$@")
cd "$GAME"
rm -f ZKS.txt
rm -rf profiles
./cityrun "${WORDS[@]}" > "$SHOTS/cityrun.log" 2>&1 &
PID=$!
GRABS=$(mktemp -d)
trap 'kill $PID 2>/dev/null; rm -rf "$GRABS"' EXIT
read -r WIDTH HEIGHT < <(xdotool getdisplaygeometry)
play() {  # the launcher's Play, at its place on a 1024 x 768 screen, moved with the centred window
  sleep 8
  xdotool mousemove $(( 701 + (WIDTH - 1024) / 2 )) $(( 434 + (HEIGHT - 768) / 2 )) mousedown 1; sleep 0.3; xdotool mouseup 1
}

grab() { import -window root "$GRABS/$1.png"; }
# Pixels that differ between two grabs (beyond a little colour noise).
differing() { compare -metric AE -fuzz 10% "$GRABS/$1.png" "$GRABS/$2.png" null: 2>&1 | awk '{ printf "%d", $1 }'; }
# Of the pixels that stood still from grab $1 to grab $2 (and a little
# round what moved), those that differ in grab $3: what a click changed of
# the page, leaving out the scene that moves behind see-through panels.
changed_still() {
  compare -fuzz 10% "$GRABS/$1.png" "$GRABS/$2.png" -compose src -highlight-color white -lowlight-color black \
    "$GRABS/moved.png" 2>/dev/null
  compare -fuzz 10% "$GRABS/$2.png" "$GRABS/$3.png" -compose src -highlight-color white -lowlight-color black \
    "$GRABS/diff.png" 2>/dev/null
  convert "$GRABS/diff.png" \( "$GRABS/moved.png" -morphology Dilate Square:2 -negate \) -compose multiply \
    -composite -colorspace gray -format "%[fx:int(mean*w*h+0.5)]" info:
}
# The press itself, in interface layout (640 x 480) on the screen, held
# long enough for a slow frame to see the hover, the press and the release
# one after another.
press() {
  xdotool mousemove "$(( $1 * WIDTH / 640 ))" "$(( $2 * HEIGHT / 480 ))"; sleep 0.6
  xdotool mousedown 1; sleep 0.5; xdotool mouseup 1; sleep 0.6
  xdotool mousemove $(( WIDTH - 4 )) $(( HEIGHT - 8 ))
}
# A click that must change the screen. What moves by itself (the menus'
# scene, the city) is measured first over as long as the press takes; the
# click counts once the screen differs by clearly more than that, looked
# for over ten seconds (a page may take a few frames to open).
click() {
  local noise changed tries=0
  grab before; sleep 1.7; grab still
  noise=$(differing before still)
  press "$1" "$2"
  # Over a quarter of the screen moving by itself (the in-game menu over
  # the flying camera) leaves nothing to judge the click by.
  if [ $(( 4 * noise )) -gt $(( WIDTH * HEIGHT )) ]; then
    echo "the click at ($1, $2) after shot $n not judged: the screen moves by itself"
    sleep 1
    return 0
  fi
  while :; do
    grab after
    changed=$(differing still after)
    [ "$changed" -gt $(( 2 * noise + 100 )) ] && return 0
    # A page over a moving scene: the click changed what stood still.
    [ "$noise" -gt 0 ] && [ "$(changed_still before still after)" -gt 400 ] && return 0
    tries=$((tries + 1))
    if [ $tries -ge 20 ]; then
      echo "the click at ($1, $2) after shot $n changed nothing on the screen ($changed pixels, $noise by itself)"
      exit 1
    fi
    sleep 0.5
  done
}
# A key, and time for what it opens to settle before the next click
# measures what moves by itself.
key() { xdotool keydown "$1"; sleep 0.3; xdotool keyup "$1"; sleep 1.5; }
n=0
shot() {
  sleep "${2:-2}"
  n=$((n + 1))
  kill -0 $PID 2>/dev/null || { echo "cityrun ended before $1"; exit 1; }
  import -window root "$SHOTS/$(printf %02d $n)_$1.png"
}

play
shot new_profile 30
xdotool type --delay 120 "Ada"
click 250 282                      # OK
shot main_menu
click 320 228                      # single player
shot game_type
click 320 188                      # levels
shot scenarios
click 432 360                      # medium
shot scenarios_medium 1
click 530 430                      # OK
shot tokens
click 282 120                      # the next token
shot tokens_next 1
click 170 164                      # an opponent's row: its token described
shot tokens_opponent 1
click 530 430                      # START
shot level_started 15
key Escape
shot in_game_menu
click 320 357                      # quit the game
shot quit_question 1
click 255 284                      # yes
shot back_to_main_menu 4
click 320 188                      # tutorials
shot tutorials
click 530 430                      # OK: the lesson starts at once
shot lesson_opening 15
# The lesson's prompt sits in the middle of the HUD, its one button centred
# under the text.
click 301 303                      # the opening message's OK
shot lesson_step_1 3
click 301 303                      # the first step's OK
shot lesson_step_2 3
click 301 303
shot lesson_step_3 3
click 55 32                        # the step asks for a block on the navigator
shot lesson_step_4 3

# The profile was made, and the token stepped on the token page (from the
# first, 0, to the next) is remembered.
grep -q 'PreferredCharacter = 1' profiles/Ada/settings.lua || { echo "the token choice was not kept"; exit 1; }

# Again, as a player who has done two lessons and one done only at hard,
# and has won the first level at easy and hard and the second at medium.
kill $PID; wait $PID 2>/dev/null
rm -f ZKS.txt
mkdir -p profiles/Bea
echo 'ProfileName = "Bea"' > profiles/memory.lua
{
  echo 'g_ProfileOptions.PlayerName = "Bea"'
  echo 'SetLevelInfo(100001, DEPRECATED, 1, 1, 0, 0)'
  echo 'SetLevelInfo(100002, DEPRECATED, 1, 1, 0, 0)'
  echo 'SetLevelInfo(100003, DEPRECATED, 1, 0, 0, 1)'
  echo 'SetLevelInfo(200001, DEPRECATED, 1, 1, 0, 1)'
  echo 'SetLevelInfo(200002, DEPRECATED, 1, 0, 1, 0)'
  echo 'SetLevelInfo(200003, DEPRECATED, 1, 0, 0, 0)'
} > profiles/Bea/settings.lua
./cityrun "${WORDS[@]}" >> "$SHOTS/cityrun.log" 2>&1 &
PID=$!
play
shot main_menu_bea 30
click 320 188                      # tutorials
shot tutorials_progress
click 176 430                      # back
click 320 228                      # single player
click 320 188                      # levels
shot scenarios_cups
click 110 430                      # back to the game-type page
click 320 358                      # back to the main menu
click 320 400                      # quit
shot main_menu_quit_question
click 385 284                      # no: the menu stays
shot main_menu_after_no
click 320 148                      # the player: the login page
shot login
click 397 393                      # cancel

# The credits, skipped by a tap shorter than a frame.
click 320 348                      # options
click 320 295                      # credits
shot credits 6
xdotool key Escape                 # a tap of a few milliseconds
shot credits_tapped 8

# A custom game: the host page, the lobby with a computer, the game.
click 320 228                      # back in the menu: single player
click 320 234                      # custom game
shot host
click 150 178                      # the decade race: its goal label
shot host_decade 1
click 150 116                      # the race for profit
click 585 211                      # the goal two steps up
click 585 211
shot host_level 1
click 530 430                      # OK: the lobby
shot lobby
click 310 221                      # the third seat: a computer
shot lobby_computer 1
click 280 221                      # its token a step on: its name follows
shot lobby_computer_next 1
click 530 430                      # start
shot custom_started 15
# With a rival at the table a lease goes to auction; free play has none,
# so there the city leases the block at once and the money goes.
key Return; sleep 1                # the level's opening message read
xdotool key grave; sleep 1         # the console
xdotool type --delay 80 "STARTLEVEL 400002"; xdotool key Return; sleep 0.5
xdotool key grave
shot free_play 15
key Return; sleep 1                # the level's opening message read
xdotool key grave; sleep 1
xdotool type --delay 80 "LEASE 2"; xdotool key Return; sleep 0.5
xdotool key grave
# The money goes as the block changes hands, a second or so later, and the
# bag shows for about as long: a shot every half second.
for i in 1 2 3 4 5 6 7 8; do shot "money_bag_$i" 0.2; done
key Return; sleep 1                # the lease's answer read
key Escape
click 320 241                      # save
click 107 429                      # new
xdotool type --delay 120 "custom"
click 245 300                      # OK
click 180 104                      # the save: its summary
shot save_page 1
click 533 429                      # cancel
click 320 357                      # quit the game
click 255 284                      # yes
click 320 308                      # load
click 180 104                      # the save: its summary
shot load_page 1
click 510 429                      # cancel
echo "walked the menus: $n screens in $SHOTS"
