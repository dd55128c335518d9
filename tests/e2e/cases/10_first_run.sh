# shellcheck shell=bash
# A newcomer's first run: the keyboard picture with its lights at scale 96
# (1366 x 768) and 144 (1920 x 1080), Chinese and Latin texts drawn with
# real glyphs, and a game event from another program reaching the keyboard.

first_run_program_dir() {
    if [ -n "${QX70_PROGRAM_DIR:-}" ]; then
        echo "$QX70_PROGRAM_DIR"
    else
        dirname "$E2E_BIN"
    fi
}

first_run_wait_keyboard_page() {
    app_devices_settled 60 || fail "the devices did not settle"
    wait_until 60 drv_visible key_0 || fail "the keyboard page does not show"
    wait_until 30 drv_visible light_0 || fail "the keyboard picture shows no light"
}

# "n  light x y w h  key x y w h" for every light that shows.
first_run_collect_lights() {
    local out=$1 name x y w h key
    local -a lights
    mapfile -t lights < <(drv_geometry_many $(printf 'light_%d ' $(seq 0 169)))
    local -A keys
    while read -r name x y w h; do
        keys[$name]="$x $y $w $h"
    done < <(drv_geometry_many $(printf '%s\n' "${lights[@]}" | sed 's/^light_\([0-9]*\) .*/key_\1/'))
    : >"$out"
    local line n
    for line in "${lights[@]}"; do
        read -r name x y w h <<<"$line"
        n=${name#light_}
        key=${keys[key_$n]:-}
        [ -n "$key" ] || fail "light_$n shows but key_$n does not"
        echo "$n $x $y $w $h $key" >>"$out"
    done
}

# Fraction (0..1) of the pixels of `mask` that are white, or of the product
# of the images given.
first_run_mean() {
    convert "$@" -compose multiply -composite -format '%[fx:mean]' info:
}

# Compares the screenshot of the select panel with the keyboard picture
# scaled to the window's scale, and finds the lit pixels:
#  - the board (the picture's opaque pixels outside every key button) must
#    be the picture at this scale, at the panel's place: a picture drawn at
#    another size or place changes a good share of them by far more than
#    the difference of two smooth scaling filters;
#  - the lit pixels (strong chroma: the key caps and the board are grey,
#    the backdrop a dark red) must lie on the key buttons, and there must
#    be some.
first_run_check_picture() {
    local shot=$1 rects=$2 dir=$E2E_TMP/picture.$3
    local px py pw ph picture board moved lit litOnKeys
    mkdir -p "$dir"
    read -r px py pw ph < <(drv_geometry device_key_light) || fail "no keyboard picture panel"
    picture=$(sed -n 's|.*name="bkimage".*<string>\(.*\)</string>.*|\1|p' \
        "$(first_run_program_dir)/skin/XML/DeviceXml/keyboarddevice_7322.ui" | head -n 1)
    picture=$(first_run_program_dir)/skin/$picture
    [ -f "$picture" ] || fail "keyboard picture $picture not found"
    convert "$shot" -crop "${pw}x${ph}+${px}+${py}" +repage "$dir/shown.png"
    convert "$picture" -filter Triangle -resize "${pw}x${ph}!" "$dir/expected.png"
    # Key buttons, grown by 2 pixels for the smoothing at their edges.
    awk -v px="$px" -v py="$py" '{ x = $6 - px; y = $7 - py
        printf "rectangle %d,%d %d,%d\n", x - 2, y - 2, x + $8 + 1, y + $9 + 1 }' "$rects" \
        >"$dir/keys.mvg"
    convert -size "${pw}x${ph}" xc:black -fill white -draw "$(cat "$dir/keys.mvg")" "$dir/keys.png"
    convert "$dir/expected.png" -alpha extract -threshold 99% \
        \( "$dir/keys.png" -negate \) -compose multiply -composite "$dir/board.png"
    convert "$dir/shown.png" \( "$dir/expected.png" -background black -alpha remove \) \
        -compose difference -composite -colorspace gray -threshold 20% "$dir/moved.png"
    board=$(first_run_mean "$dir/board.png" xc:white)
    moved=$(first_run_mean "$dir/moved.png" "$dir/board.png")
    convert "$dir/shown.png" -colorspace HCL -channel G -separate +channel -threshold 35% \
        "$dir/lit.png"
    lit=$(first_run_mean "$dir/lit.png" xc:white)
    litOnKeys=$(first_run_mean "$dir/lit.png" "$dir/keys.png")
    note "scale $3: board pixels off the picture $moved of $board, lit $lit, on keys $litOnKeys"
    awk -v m="$moved" -v b="$board" 'BEGIN { exit !(b > 0.1 && m / b < 0.005) }' ||
        fail "scale $3: the keyboard picture is not drawn at the window's scale and place" \
            "($(awk -v m="$moved" -v b="$board" 'BEGIN { printf "%.1f", 100 * m / b }') % of" \
            "the board differs; see $dir)"
    awk -v l="$lit" 'BEGIN { exit !(l > 0.02) }' || fail "scale $3: no lights are lit"
    awk -v l="$lit" -v k="$litOnKeys" 'BEGIN { exit !(k / l > 0.95) }' ||
        fail "scale $3: lit pixels lie off the key buttons ($litOnKeys of $lit; see $dir)"
}

first_run_lights_on_keys() {
    local scale=$1 rects=$E2E_TMP/lights.$1 shown=0
    first_run_wait_keyboard_page
    local x y w h
    read -r x y w h < <(drv_geometry key_0)
    assert_eq "$((30 * scale / 96))" "$w" "key_0 width at scale $scale"
    # The window may still move or grow while devices arrive: the lights are
    # read again until the panel stays where it was for the whole read.
    local t0=$SECONDS panel tries=0
    while true; do
        panel=$(drv_geometry device_key_light) || fail "no keyboard picture panel"
        first_run_collect_lights "$rects"
        [ "$(drv_geometry device_key_light)" = "$panel" ] && break
        tries=$((tries + 1))
        [ "$tries" -lt 5 ] || fail "scale $scale: the keyboard picture keeps moving"
        sleep 1
    done
    note "scale $scale: $(wc -l <"$rects") lights read in $((SECONDS - t0)) s"
    local n lx ly lw lh kx ky kw kh cx cy
    while read -r n lx ly lw lh kx ky kw kh; do
        cx=$((lx + lw / 2))
        cy=$((ly + lh / 2))
        if [ "$cx" -lt "$kx" ] || [ "$cx" -ge $((kx + kw)) ] ||
            [ "$cy" -lt "$ky" ] || [ "$cy" -ge $((ky + kh)) ]; then
            fail "scale $scale: light_$n centred at $cx,$cy lies outside key_$n ($kx $ky $kw $kh)"
        fi
        shown=$((shown + 1))
    done <"$rects"
    [ "$shown" -ge 100 ] || fail "scale $scale: only $shown lights show"
    # No hover highlight or tooltip over the picture.
    xdotool mousemove 0 0
    sleep 0.5
    screenshot "$E2E_SHOTS/lights_$scale.png"
    [ "$(drv_geometry device_key_light)" = "$panel" ] ||
        fail "scale $scale: the keyboard picture moved after its lights were read"
    first_run_check_picture "$E2E_SHOTS/lights_$scale.png" "$rects" "$scale"
}

case_lights_on_keys_at_96() {
    screen_set 1366x768x24 || fail "no 1366x768 screen"
    first_run_lights_on_keys 96
}

case_lights_on_keys_at_144() {
    if [ "$E2E_SCREEN" != 1920x1080x24 ]; then
        screen_set 1920x1080x24 || fail "no 1920x1080 screen"
    fi
    first_run_lights_on_keys 144
}

# Fraction (0..1) of the pixels of a control that differ clearly between two
# screenshots. The control may sit elsewhere in each, and a control sized by
# its text may have another size (the second is then scaled to the first).
first_run_control_difference() {
    local a=$1 ga=$2 b=$3 gb=$4
    local ax ay aw ah bx by bw bh
    read -r ax ay aw ah <<<"$ga"
    read -r bx by bw bh <<<"$gb"
    convert \( "$a" -crop "${aw}x${ah}+${ax}+${ay}" +repage \) \
        \( "$b" -crop "${bw}x${bh}+${bx}+${by}" +repage -resize "${aw}x${ah}!" \) \
        -compose difference -composite -colorspace gray -threshold 20% -format '%[fx:mean]' info:
}

# A fontconfig set-up with the system's fonts except those for `lang`.
first_run_fonts_without() {
    local conf=$E2E_TMP/fonts-without-$1.conf
    cat >"$conf" <<EOF
<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "urn:fontconfig:fonts.dtd">
<fontconfig>
  <include ignore_missing="yes">/etc/fonts/fonts.conf</include>
  <selectfont><rejectfont><pattern>
    <patelt name="lang"><string>$1</string></patelt>
  </pattern></rejectfont></selectfont>
</fontconfig>
EOF
    echo "$conf"
}

# Empty boxes cannot be told from glyphs by looking at one picture, but
# they can by a second run in which fontconfig offers no font for the
# script: what a control draws then is exactly what it draws when the font
# is missing (the fallback's empty boxes). With the font installed the two
# pictures differ in a good part of the text; without it they are the same,
# and this check fails.
first_run_glyphs() {
    local lang=$1
    shift
    local names=("$@") name
    declare -A geometry
    screenshot "$E2E_SHOTS/texts_$lang.png"
    for name in "${names[@]}"; do
        geometry[$name]=$(drv_geometry "$name") || fail "no visible $name"
    done
    app_restart FONTCONFIG_FILE="$(first_run_fonts_without "$lang")" ||
        fail "restart without $lang fonts"
    xdotool mousemove 0 0
    wait_until 30 drv_visible "${names[0]}" || fail "${names[0]} does not show"
    sleep 0.5
    screenshot "$E2E_SHOTS/texts_${lang}_without_fonts.png"
    local diff
    for name in "${names[@]}"; do
        diff=$(first_run_control_difference "$E2E_SHOTS/texts_$lang.png" "${geometry[$name]}" \
            "$E2E_SHOTS/texts_${lang}_without_fonts.png" "$(drv_geometry "$name")")
        note "$name ('$(drv_text "$name")'): $diff of its pixels change without $lang fonts"
        awk -v d="$diff" 'BEGIN { exit !(d > 0.05) }' ||
            fail "$name draws the same as without $lang fonts: empty boxes"
    done
}

# Stores the language choice (the entry id: 2052 Chinese, 520 English) and
# restarts the program on it.
first_run_language() {
    local file="$XDG_CONFIG_HOME/Morvath QX70 MECHANICAL GAMING KEYBOARD/settings.json"
    app_stop || fail "the program did not end cleanly"
    mkdir -p "$(dirname "$file")"
    printf '{ "LANGUAGE" : %s }\r\n' "$1" >"$file"
    app_start || fail "the program did not start"
    wait_until 30 drv_visible closebtn || fail "no close button"
}

case_texts_have_glyphs() {
    [ -n "$(fc-list :lang=zh)" ] || fail "no font with Chinese glyphs (fonts-noto-cjk)"
    local name
    # In Chinese the title-bar buttons carry Chinese texts.
    first_run_language 2052
    for name in closebtn minbtn setbtn skinbtn; do
        LC_ALL=C.UTF-8 drv_text "$name" | LC_ALL=C grep -q '[^ -~]' ||
            fail "$name does not show a Chinese text: '$(drv_text "$name")'"
    done
    first_run_glyphs zh-cn closebtn minbtn setbtn skinbtn
    # In English, Latin texts.
    first_run_language 520
    assert_eq "Morvath QX70 MECHANICAL GAMING KEYBOARD" "$(drv_text title_text)" "title text"
    assert_eq "Close" "$(drv_text closebtn)" "English close button"
    first_run_glyphs en title_text closebtn
}

# The mode byte of the active slot's light record (slot × 25 + 1); each
# value read is noted in the case's output.
first_run_mode_byte() {
    local -a settings
    read -r -a settings < <(sim_region keyboard settings) || return 1
    [ "${#settings[@]}" -gt 80 ] || return 1
    local mode=$((16#${settings[$((16#${settings[0]} * 25 + 1))]}))
    echo "$SECONDS s: mode $mode" >>"$E2E_TMP/modes"
    echo "$mode"
}

first_run_mode_is() {
    [ "$(first_run_mode_byte)" = "$1" ]
}

case_game_event_reaches_keyboard() {
    first_run_wait_keyboard_page
    # The program takes game events once it has the keyboard and has read
    # it (the first battery poll follows the connection's reads).
    wait_until 30 debug_log_has "添加一个键盘设备" || fail "the keyboard never connected"
    wait_until 30 debug_log_has "test count:1" || fail "the keyboard was never polled"
    local before
    before=$(first_run_mode_byte) || fail "no settings region"
    [ "$before" != 5 ] || fail "the keyboard already runs mode 5"
    instance_message Game_Start 0 5
    wait_until 10 first_run_mode_is 5 ||
        fail "mode byte stays $(first_run_mode_byte) after Game_Start 0 5 (expected 5):" \
            "$(tr '\n' ',' <"$E2E_TMP/modes")"
    # Some seconds after the last game event the earlier mode comes back.
    wait_until 15 first_run_mode_is "$before" ||
        fail "mode byte stays $(first_run_mode_byte) after the game event (expected $before)"
}
