#!/usr/bin/env bash
# The fuzz targets' seeds and runs.
#
#   tools/fuzzseeds.sh gather [BUILD [FUZZBUILD]]
#       fills FUZZBUILD/corpus/<target>/ (default build-fuzz) with the shipped files of each
#       target's kind, taken from data/ and from the normal build BUILD (default build):
#       the packed archive, the language file, the generated pictures, cursors and biped
#       animations, the help movies and their caches, and profile files written by the
#       game and its tests. It also prepares FUZZBUILD/run/<target>/, the working folder
#       of each target, with the files beside its input that the reader looks up.
#       Seeds already in a corpus folder stay, so a corpus grows from run to run.
#   tools/fuzzseeds.sh run [SECONDS [JOBS] [TARGET...]] [-- FUZZBUILD]
#       runs every target (or the TARGETs named) for SECONDS (default 300) each, JOBS
#       (default 4) at a time, on its corpus in its working folder; a target's output goes
#       to FUZZBUILD/run/<target>.log and a crash, leak or timeout input to
#       FUZZBUILD/run/<target>/. Prints one line per target and fails when one failed.
set -euo pipefail
cd "$(dirname "$0")/.."
TOP=$PWD

# Each target's own libFuzzer options.
declare -A OPTIONS=(
  [fuzz_archive]="-max_len=65536"
  [fuzz_langfile]=""
  [fuzz_image_decoders]="-dict=$TOP/tests/fuzz/image_decoders.dict -max_len=65536"
  [fuzz_profile_file]="-max_len=300000"
  [fuzz_swf_movie]="-max_len=65536 -rss_limit_mb=2048"
  [fuzz_swf_actions]="-max_len=4096 -rss_limit_mb=2048"
  [fuzz_swf_cache]="-max_len=300000 -rss_limit_mb=2048"
  [fuzz_swf_sounds]="-max_len=65536 -rss_limit_mb=2048"
  [fuzz_p2d]="-timeout=10 -rss_limit_mb=4096"
  [fuzz_shell_tables]=""
  [fuzz_ui_panel]="-max_len=65536"
  [fuzz_level_tables]=""
  [fuzz_well_file]="-dict=$TOP/tests/fuzz/well_file.dict"
  [fuzz_scene_file]="-max_len=65536"
  [fuzz_sbp]="-max_len=65536"
  [fuzz_cursor_file]="-max_len=65536"
  [fuzz_score_reply]=""
  [fuzz_data_tables]="-max_len=65536"
  [fuzz_sound_file]="-max_len=65536 -rss_limit_mb=2048"
  [fuzz_movie_file]="-max_len=300000 -rss_limit_mb=2048"
)
TARGETS=(fuzz_archive fuzz_langfile fuzz_image_decoders fuzz_profile_file fuzz_swf_movie
         fuzz_swf_actions fuzz_swf_cache fuzz_swf_sounds fuzz_p2d fuzz_shell_tables
         fuzz_ui_panel fuzz_level_tables fuzz_well_file fuzz_scene_file fuzz_sbp
         fuzz_cursor_file fuzz_score_reply fuzz_data_tables
         fuzz_sound_file fuzz_movie_file)

# Tests whose runs leave the profile files that seed fuzz_profile_file: the store's own
# save, the real program's profile after a restart, and the profile of the game played
# through (coins, clothes, cleared levels and trophies; a few minutes).
PROFILE_TESTS=(
  "test_profiles ProfilesTest.ASavedStoreLoadsBackTheSame"
  "test_e2e EndToEnd.CoinsAddedByAScriptSurviveARestartAndTheVictoryStingIsCalled"
  "test_playthrough *"
)

# Copies the files given (those that exist) into folder $1; a file whose name is taken
# by another file's bytes there gets its folder's name in front ("hana_sprites.lua").
seed() {
  local to=$1; shift
  mkdir -p "$to"
  local f name
  for f in "$@"; do
    [ -f "$f" ] || continue
    name=$(basename "$f")
    if [ -f "$to/$name" ] && ! cmp -s "$f" "$to/$name"; then
      name="$(basename "$(dirname "$f")")_$name"
    fi
    cp "$f" "$to/$name"
  done
  return 0
}

# A seed file made of a one-byte header ($2, octal escape) and a file's bytes.
seed_with_byte() {
  local to=$1 byte=$2 file=$3 name=$4
  mkdir -p "$to"
  { printf "$byte"; cat "$file"; } > "$to/$name"
}

gather() {
  local build=${1:-build} fuzz=${2:-build-fuzz}
  local bin=$build/bin content=$build/content corpus=$fuzz/corpus run=$fuzz/run
  if [ ! -f "$bin/kx.arc" ]; then
    echo "fuzzseeds: $bin/kx.arc is missing; build $build first" >&2
    exit 1
  fi
  mkdir -p "$corpus" "$run"
  shopt -s nullglob globstar

  # The data archive: the packed game, and a small archive of a few kinds of entry
  # (scripts, a picture, a stored and a compressed one) that fits the length limit whole.
  seed "$corpus/fuzz_archive" "$bin/kx.arc"
  local small
  small=$(mktemp -d)
  mkdir -p "$small/scripts" "$small/img"
  cp data/scripts/score.lua data/scripts/constants.lua "$small/scripts/"
  local picture
  for picture in "$content"/**/*.png; do
    if [ "$(stat -c %s "$picture")" -lt 4096 ]; then cp "$picture" "$small/img/"; break; fi
  done
  "$bin/arctool" pack "$small" "$corpus/fuzz_archive/small.arc" > /dev/null
  rm -rf "$small"

  seed "$corpus/fuzz_langfile" "$bin"/lang/*.lng

  # Pictures of every kind the decoders read, small enough to be mutated whole.
  local image
  mkdir -p "$corpus/fuzz_image_decoders"
  for image in data/**/*.{png,jpg,tga,bmp,dds} "$content"/**/*.{png,jpg,tga,bmp,dds}; do
    [ "$(stat -c %s "$image")" -le 65536 ] && seed "$corpus/fuzz_image_decoders" "$image"
  done

  # Profile files as the store and the game write them; the leading even byte makes the
  # target read the rest as the whole file.
  local profiles test name filter found=0
  profiles=$(mktemp -d)
  for test in "${PROFILE_TESTS[@]}"; do
    read -r name filter <<< "$test"
    [ -x "$bin/$name" ] || continue
    TMPDIR=$profiles PELLAVO_KEEP_TEST_DIR=1 SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy \
      LIBGL_ALWAYS_SOFTWARE=1 "$bin/$name" --gtest_filter="$filter" > /dev/null 2>&1 || true
  done
  local profile
  for profile in "$profiles"/**/*.rms "${XDG_DATA_HOME:-$HOME/.local/share}"/Hovrik/*.rms; do
    found=$((found + 1))
    seed_with_byte "$corpus/fuzz_profile_file" '\000' "$profile" "profile_$found.rms"
  done
  # The settings files those runs wrote, beside the shipped config.ini.
  local settings
  found=0
  mkdir -p "$corpus/fuzz_data_tables"
  for settings in "$profiles"/**/kv.lua; do
    found=$((found + 1))
    cp "$settings" "$corpus/fuzz_data_tables/kv_$found.lua"
  done
  rm -rf "$profiles"

  # SWF movies: the help movies beside the program and the writer's sample movies.
  mkdir -p "$run/swfsamples"
  "$bin/swfsamples" "$run/swfsamples" > /dev/null
  local movies=("$bin"/help/*.swf "$run"/swfsamples/*.swf)
  seed "$corpus/fuzz_swf_movie" "${movies[@]}"
  seed "$corpus/fuzz_swf_sounds" "${movies[@]}"
  # Script seeds: the action blocks of those movies, one file each.
  if command -v python3 > /dev/null; then
    python3 tools/fuzzseeds_actions.py "$corpus/fuzz_swf_actions" "${movies[@]}"
  else
    echo "fuzzseeds: no python3, fuzz_swf_actions starts without seeds" >&2
  fi
  # Cache files: the one of the movie the target reads (written by swfcache) and the
  # help movies' own.
  "$bin/swfcache" "$run/swfsamples/text_fields.swf" > /dev/null
  seed "$corpus/fuzz_swf_cache" "$run/swfsamples/text_fields.swf.gsc" "$bin"/help/*.gsc

  seed "$corpus/fuzz_p2d" data/**/*.p2d "$content"/**/*.p2d

  # The shell's tables, a developer switch among them.
  seed "$corpus/fuzz_shell_tables" data/scripts/constants.lua data/scripts/trophies.lua \
    data/scripts/items.lua data/hana/hana_setup.lua data/scripts/credits.lua
  printf 'DEV_DATA = { EnableEditor = true }\n' > "$corpus/fuzz_shell_tables/dev.lua"

  seed "$corpus/fuzz_ui_panel" data/**/*.ui "$content"/**/*.ui
  seed "$corpus/fuzz_level_tables" data/scripts/goals.lua data/scripts/levels.lua data/scripts/score.lua
  seed "$corpus/fuzz_well_file" data/levels/*.lua tests/fuzz/well_seed.lua

  # Scenes: every file of data/ that defines one. The scene reader finds the particle
  # files, biped animations and pictures its elements name on the disk in its folder.
  local scenes=()
  mapfile -t scenes < <(grep -rl --include='*.lua' '^ *BGScene *=' data || true)
  seed "$corpus/fuzz_scene_file" "${scenes[@]}"
  mkdir -p "$run/fuzz_scene_file/effects" "$run/fuzz_scene_file/bganim" "$run/fuzz_scene_file/anim"
  seed "$run/fuzz_scene_file/effects" data/effects/*.p2d
  seed "$run/fuzz_scene_file/bganim" "$bin"/bganim/*.sbp
  seed "$run/fuzz_scene_file/anim" "$bin"/anim/*.sbp

  seed "$corpus/fuzz_sbp" "$bin"/bganim/*.sbp "$bin"/anim/*.sbp
  seed "$corpus/fuzz_cursor_file" "$bin"/cursors/*

  # Score replies as the score server sends them; the first byte is the number of rows
  # the target reads (mod 8).
  mkdir -p "$corpus/fuzz_score_reply"
  printf '\0054711' > "$corpus/fuzz_score_reply/user_id"
  printf '\005Anna@Oslo@900@Bo@Lund@850@Cy@Ry@10@' > "$corpus/fuzz_score_reply/add_score"
  printf '\0071@Anna@Oslo@12,345@2@Bo@Lund@900@' > "$corpus/fuzz_score_reply/total_score"
  printf '\003@@Error@@ no such user' > "$corpus/fuzz_score_reply/error"

  # The engine's small tables: sprite sheets, number styles, the sound bank, config.ini.
  local tables=()
  mapfile -t tables < <(grep -rlE --include='*.lua' '^ *(Sprites|Number|SoundBank) *=' data "$content" || true)
  seed "$corpus/fuzz_data_tables" "${tables[@]}" data/config.ini

  # Sounds and music: the samples small enough to be mutated whole, and the modules.
  local sound
  mkdir -p "$corpus/fuzz_sound_file"
  for sound in data/**/*.{ogg,wav,mp3} "$content"/**/*.{ogg,wav,mp3}; do
    [ "$(stat -c %s "$sound")" -le 65536 ] && seed "$corpus/fuzz_sound_file" "$sound"
  done
  seed "$corpus/fuzz_sound_file" data/**/*.{mod,xm,s3m,it} "$content"/**/*.{mod,xm,s3m,it}

  # Movies: the AVI files beside the program.
  seed "$corpus/fuzz_movie_file" "$bin"/**/*.avi

  local target
  for target in "${TARGETS[@]}"; do
    mkdir -p "$run/$target" "$corpus/$target"
    printf '%-22s %4d seeds\n' "$target" "$(find "$corpus/$target" -type f | wc -l)"
  done
}

run_all() {
  local seconds=300 jobs=4 fuzz=build-fuzz chosen=()
  [ $# -gt 0 ] && [ "$1" != "--" ] && { seconds=$1; shift; }
  [ $# -gt 0 ] && [ "$1" != "--" ] && { jobs=$1; shift; }
  while [ $# -gt 0 ] && [ "$1" != "--" ]; do chosen+=("$1"); shift; done
  [ "${1:-}" = "--" ] && fuzz=${2:?FUZZBUILD after --}
  [ ${#chosen[@]} -gt 0 ] || chosen=("${TARGETS[@]}")
  fuzz=$(cd "$fuzz" && pwd)
  export ASAN_OPTIONS=${ASAN_OPTIONS:-detect_leaks=1}
  export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
  export SDL_VIDEODRIVER=offscreen SDL_AUDIODRIVER=dummy

  local target pids=() names=() failed=0
  finish_one() {
    local i=$1 rc=0
    wait "${pids[$i]}" || rc=$?
    if [ $rc -eq 0 ]; then
      echo "${names[$i]}: clean ($(grep -o 'Done [0-9]* runs' "$fuzz/run/${names[$i]}.log" | tail -1))"
    else
      echo "${names[$i]}: FAILED (exit $rc), see $fuzz/run/${names[$i]}.log"
      failed=1
    fi
  }
  for target in "${chosen[@]}"; do
    if [ ! -x "$fuzz/bin/$target" ]; then
      echo "$target: not built in $fuzz" >&2
      failed=1
      continue
    fi
    while [ "$(jobs -rp | wc -l)" -ge "$jobs" ]; do sleep 5; done
    mkdir -p "$fuzz/run/$target" "$fuzz/corpus/$target"
    # shellcheck disable=SC2086
    (cd "$fuzz/run/$target" &&
       exec "$fuzz/bin/$target" -max_total_time="$seconds" ${OPTIONS[$target]} \
         -artifact_prefix="$fuzz/run/$target/" "$fuzz/corpus/$target") \
      > "$fuzz/run/$target.log" 2>&1 &
    pids+=($!)
    names+=("$target")
  done
  local i
  for i in "${!pids[@]}"; do finish_one "$i"; done
  return $failed
}

main() {
  case "${1:-}" in
    gather) shift; gather "$@" ;;
    run) shift; run_all "$@" ;;
    *)
      echo "usage: $0 gather [BUILD [FUZZBUILD]] | run [SECONDS [JOBS] [TARGET...]] [-- FUZZBUILD]" >&2
      exit 2
      ;;
  esac
}

# One line, read whole before it runs: the script may be edited while a run goes on.
main "$@"; exit $?
