#!/bin/sh
# Checks the oddsmith command-line program: answers, error lines and exit statuses.
#   test_cli.sh <path to oddsmith>
bin=$1
failures=0

# expect <status> <text the output must contain> <command arguments...>
expect() {
  want_status=$1 want_text=$2
  shift 2
  out=$("$bin" "$@" 2>&1)
  status=$?
  if [ "$status" -ne "$want_status" ] || ! printf '%s\n' "$out" | grep -qF -- "$want_text"; then
    echo "FAIL: oddsmith $* -> status $status, output:"; printf '%s\n' "$out"
    failures=$((failures + 1))
  fi
}

expect 0 "1 (Straight flush)" eval As Ks Qs Js Ts
expect 0 "154 (Four of a kind)" eval 2d2h2s3c3d3h3s
expect 0 "1609 (Straight)" eval 5c 4D 3h 2s Ac
expect 0 "high 2468 (Two pair)" omaha --hole AcAdAhAs --board KcKdQhQsJc
expect 0 "low  1024 (no low)" omaha --hole AcAdAhAs --board KcKdQhQsJc
expect 0 "low  31 (5-4-3-2-A)" omaha --hole 4s5s9c9d --board Ac2d3hKcKd
expect 0 "demonstration" 
expect 2 "bad card 'Xs'" eval As Ks Qs Js Xs
expect 2 "bad card 'T'" eval AsKsQsJsT 1
expect 2 "card As is given twice" eval As Ks Qs Js As
# The library's card reader: either case, tens as 10, suit symbols, outlined ones too.
expect 0 '"cards": "AhKhQhJhTh", "game": "holdem", "value": 1' eval "a♥ K♡ q♥,J♥ 10h" --json
expect 2 "card Ac is given twice" omaha --hole AcAdAhAs --board AcKdQhQsJc
expect 2 "eval takes 5, 6 or 7 cards, got 3" eval As Ks Qs
expect 2 "--board needs 5 cards" omaha --hole AcAdAhAs --board KcKd
expect 2 "unknown command" frobnicate
# Short deck and five-card Omaha: values, the two-plus-three rule, the 36-card deck.
expect 0 '"game": "omaha5", "value": 4433, "category": "One pair"' eval --game omaha5 AhKhQhJhTh 9c9d4s3c2d --json
expect 2 "omaha5 eval takes 10 cards (5 hole cards, then the 5 board cards), got 9" eval --game omaha5 AhKhQhJhTh 9c9d4s3c
expect 2 "card 5h on the board is not in the short deck" equity AhKh QsQd --game shortdeck --board 5h 7c 9d
expect 2 "card 5c among the dead cards is not in the short deck" equity AhKh QsQd --game shortdeck --dead 5c
expect 2 "Five-card Omaha takes 2 to 9 players, got 10" equity --game omaha5 random random random random random random random random random random
expect 0 '"combos": 259884' range 10% --game omaha5 --json
expect 0 '"combos": 54' range 22+ --game shortdeck --json
expect 2 "bench count" bench -5

expect 0 "1000 per mille (100.0%), standard error 0.0" holdem 2c7d --opponents 4 --board AsKsQsJsTs
expect 0 "per mille" holdem AhKh --opponents 3 --board QhJh2c --range 2
expect 0 "AhAs vs KdKc" demo
expect 2 "--opponents must be a whole number from 0 to 22" holdem AhKh --opponents 23
expect 2 "--range must be a whole number from 0 to 4" holdem AhKh --opponents 1 --range 5
expect 2 "holdem needs --opponents" holdem AhKh
expect 2 "card Ah is given twice" holdem AhKh --opponents 1 --board Ah2c3d
expect 2 "--board takes at most 5 cards" holdem AhKh --opponents 1 --board 2c3c4c5c6c7c
expect 2 "holdem needs 2 hole cards" holdem AhKhQh --opponents 1

expect 0 '"library_output": "5000000.000000,50000 "' host omaha AhAsKhKs --opponents 0 --json
expect 0 "1000 per mille (100.0%)" omaha-equity AhAsKhKs --opponents 0
expect 0 "per mille" hilo-equity Ad2d3sKs --opponents 2 --board 4d5c8h --range 3
expect 0 "host hilo    Ad2d3sKs vs AhAcKdQc: " demo
expect 2 "--opponents must be a whole number from 0 to 10" omaha-equity AhAsKhKs --opponents 11
expect 2 "host omaha needs 4 hole cards, got 2" omaha-equity AhAs --opponents 1
expect 2 "card Ks is given twice" hilo-equity AhAsKhKs --opponents 1 --board Ks2c3c

for r in "QQ+, AKs, AJo+:58" "76s-54s:12" "KTs-K7s:16" "22+:78" "A2s+:48" "K9o+:48" "TT-77:24" "AK:16" "random:1326"; do
  expect 0 "\"combos\": ${r##*:}," range "${r%:*}" --json
done
expect 0 "58 hands, 4.37% of all holdem hands" range QQ+, AKs, AJo+
expect 0 " AKs " range AKs
expect 0 '"combos": 6961' range AAxx --game omaha --json
for r in "AA:6961" "AAKKds:6" "AAKKss:24" "AAKKrb:6" "AA!AAA:6768" "KK-TT:27628"; do
  expect 0 "\"combos\": ${r##*:}," range "${r%:*}" --game omaha --json
done
expect 0 '"combos": 134,' range 10% --json
expect 2 "a percentage is from 0 to 100, got 110%" range 110%
expect 2 "(did you mean ds?)" range AAKKsd --game omaha
expect 0 '"deals": 20000,' equity AhAsKhKs "10%, KK-TT!KKK" --game omaha --trials 20000 --seed 1 --json
expect 2 "bad range at column 7: expected a second rank" range "QQ+, AZs"
expect 2 "--game must be holdem, omaha, omaha-hilo, shortdeck, omaha5 or omaha5-hilo, got 'chess'" range AA --game chess
expect 0 '"game": "omaha-hilo", "combos": 6961' range AAxx --game hilo --json

# Ranges on a board: filters after 'where' (the hands kept, summed by made hand
# and draw), the same hands wherever a range meets a board, their errors; the
# Hold'em wildcards; every range's hands listed, 50 then --all.
expect 0 '"board": "Qh7c2d", "combos": 15,' range "QQ+, AKs, 98s where toppair+, flushdraw" --board Qh7c2d --json
expect 0 '"made_hands": [{"name": "Set", "combos": 3, "weight": 3, "share": 0.2}, {"name": "Overpair", "combos": 12,' \
  range "QQ+, AKs, 98s where toppair+, flushdraw" -b Qh 7c 2d --json
expect 0 '"hands": ["AhQh", "AhJh", "AhTh", "Ah9h", "Ah8h", "Ah6h", "Ah5h", "Ah4h", "Ah3h"]' range "Axs, KK where flushdraw, !pair" -b Kh7h2d --json
expect 0 "nut flush draw                 9.00   100.0%" range "Axs, KK where flushdraw, !pair" -b Kh7h2d
filtered=$("$bin" equity "QQ+, AKs, 98s where toppair+, flushdraw" random --board Qh7c2d --exact --json | grep -o '"equity": [0-9.]*')
kept=$("$bin" equity "QQ+" random --board Qh7c2d --exact --json | grep -o '"equity": [0-9.]*')
if [ -z "$kept" ] || [ "$filtered" != "$kept" ]; then
  echo "FAIL: equity of a filtered range differs from its kept hands': $filtered / $kept"; failures=$((failures + 1))
fi
expect 2 "bad range at column 21: unknown board filter 'topair': the filters are nothing, weakerpair, secondpair, toppair" \
  range "QQ+, AKs, 98s where topair+" --board Qh7c2d
expect 2 "bad range at column 5: 'where' filters the range on the board, but no board was given" range "QQ+ where toppair"
expect 2 "column 11: draws need a flop or turn" equity "QQ+ where flushdraw" random --board Qh7c2d5s9h
expect 2 "column 20: a draw takes no '+'" breakdown "QQ+ where flushdraw+" random --board Qh7c2d
expect 2 "bad range at column 5: a weight is from 0 to 1, got 1.5" range "AKs:1.5"
expect 0 '"combos": 48,' range "Axs" --json
expect 0 '"combos": 1326,' range "xx" --json
expect 0 '"combos": 12,' range "AhXh" --json
expect 0 '"combos": 72,' range "22+!AA" --json
expect 0 "AsAhKsKh" range AAKKds --game omaha
expect 0 "and 6911 more (--all lists them all)" range AAxx --game omaha
expect 0 "AsAhAdAc" range AAxx --game omaha --all
expect 0 '"hands": ["AdAcKdKc", "AhAcKhKc", "AhAdKhKd", "AsAcKsKc", "AsAdKsKd", "AsAhKsKh"]' range AAKKds --game omaha --json

expect 0 "46.214%" equity AhKh QsQd
expect 0 '"exact": true, "deals": 1712304' equity AhKh QsQd --json
expect 0 '"seed": 7' equity AhKh "QQ+, AKs" --board Qh7c2d --monte-carlo --trials 20000 --seed 7 --json
expect 0 "omaha, exact" equity AhAsKhKs JcTc9d8d --game omaha --board 2c3d4h
expect 0 "usage: oddsmith equity" equity --help
expect 2 "player 1 and player 2 both hold Ah" equity AhKh AhQd
expect 2 "at least two players" equity AhKh
expect 2 "--trials must be" equity AhKh QsQd --trials 0
# Bounded runs: an exact run over the bound is refused with its estimate; a
# target that cannot be reached is given up with a warning and exit status 3,
# as is a trial count or a breakdown's target that the bound cuts short. A
# target alone does not force a simulation (an exact answer meets it).
expect 2 "on one core, over the bound of 60 s: use Monte Carlo, or raise the bound (--max-seconds)" equity AhKh random random --exact
expect 2 "--max-seconds must be" equity AhKh QsQd --max-seconds 0
expect 2 "--max-seconds must be a finite number" equity AhKh QsQd --max-seconds inf
expect 0 "46.214%" equity AhKh QsQd --max-seconds 1e300
expect 3 '"target_met": false' equity "AA,22" "KK,33" --board 2c3d4h8s9c --stderr 1e-9 --monte-carlo --json
expect 3 "warning: the standard-error target was given up" equity "AA,22" "KK,33" --board 2c3d4h8s9c --stderr 1e-9 --monte-carlo
expect 0 '"exact": true' equity "AA,22" "KK,33" --board 2c3d4h8s9c --stderr 1e-9 --json
expect 3 "after" equity AhKh QsQd --trials 281474976710656 --max-seconds 0.3
expect 3 '"target_met": false' breakdown "QQ+" random random --board Th7c2d --stderr 0.0001 --max-seconds 2 --json
expect 2 "would take about" breakdown "AA, KK" random --game omaha5 --board Qh Jh 2c --max-seconds 5

# --json: one JSON object on standard output, nothing else, for every command.
json_ok() {
  out=$("$bin" "$@" --json 2>/dev/null)
  if ! printf '%s' "$out" | python3 -c 'import json, sys; json.load(sys.stdin)' 2>/dev/null; then
    echo "FAIL: oddsmith $* --json is not one JSON object:"; printf '%s\n' "$out"; failures=$((failures + 1))
  fi
}
json_ok eval As Ks Qs Js Ts
json_ok omaha --hole 4s5s9c9d --board Ac2d3hKcKd
json_ok holdem AhKh --opponents 2 --range 1
json_ok host omaha AhAsKhKs --opponents 1
json_ok hilo-equity Ad2d3sKs --opponents 1
json_ok demo
json_ok --version
json_ok range "QQ+, AKs"
json_ok equity AhKh QsQd --board Qh7c2d
json_ok bench 100000
json_ok chart AhKh --board Qh7c2d
expect 0 '"AA": 0.' chart AhKh --board Qh7c2d --json
expect 0 "Equity (%) of each starting hand against QsQd" chart QsQd --board 2c7h9d
expect 0 "one fixed hand" bench 100000
expect 0 "oddsmith 1.0.0" --version
expect 0 "usage: oddsmith chart" help chart
expect 0 "usage: oddsmith eval" eval --help
expect 0 "usage: oddsmith host holdem|omaha|hilo" holdem -h
expect 2 "no command 'nosuch'" help nosuch
expect 2 "(0: random opponents; 1 to 4: the first to fourth stored range)" host holdem AhKh --opponents 1 --range 9

for help in --help -h help; do expect 0 "usage: oddsmith" "$help"; done
expect 0 "-b, -d" --help
expect 0 "1 (Straight flush)" eval As Ks Qs Js Ts 2c
expect 2 "eval takes 5, 6 or 7 cards, got 4" eval As Ks Qs Js
expect 0 "79 (Flush)" eval --game shortdeck As Ks Qs Js 9s 6c 6d
expect 0 '"value": 276, "category": "Straight"' eval --game shortdeck 9c 8d 7c 6c Ac --json
expect 2 "short deck has no card below the six" eval --game shortdeck 2c 7d 8h 9s Tc

# No host record in what a person reads; the host names as a group.
for command in "" "host omaha AhAsKhKs --opponents 2" "omaha-equity AhAsKhKs --opponents 2"; do
  # shellcheck disable=SC2086
  if "$bin" $command 2>&1 | grep -q '[0-9]\.[0-9]*,[0-9]'; then echo "FAIL: oddsmith $command shows the host record"; failures=$((failures + 1)); fi
done
if "$bin" --help | grep -q "omaha-equity"; then echo "FAIL: the main help still lists omaha-equity"; failures=$((failures + 1)); fi

# Charts: the board drawn, a long range wrapped whole, the colours fitted to the
# values; a failed write (here a file-size limit) leaves the old file and no other.
dir=$(mktemp -d)
long="QQ+, AKs, AJo+, KQs, 76s-54s, TT-77, KTs-K7s, A2s+, K9o+, QJs, JTs, T9s, 98s, 87s"
"$bin" chart "$long" --board Qh 7c 2d --svg "$dir/chart.svg" >/dev/null
if ! python3 - "$dir/chart.svg" "$long" <<'PY'
import re, sys
svg = open(sys.argv[1]).read()
titles = re.findall(r'font-size="20" font-weight="bold" fill="#222">([^<]*)<', svg)
assert len(titles) >= 2 and " ".join(titles).endswith(sys.argv[2]), titles
assert ">Board<" in svg and "Q&#9829;" in svg and "7&#9827;" in svg and "2&#9830;" in svg
assert "the colours span this chart's values, 15% to 97%" in svg
PY
then echo "FAIL: the chart's SVG"; failures=$((failures + 1)); fi
echo "an earlier chart" > "$dir/chart.svg"
(ulimit -f 16; "$bin" chart QsQd --board 2c7h9d --svg "$dir/chart.svg" >/dev/null 2>"$dir/err")
status=$?
if [ "$status" -ne 2 ] || [ "$(cat "$dir/chart.svg")" != "an earlier chart" ] || [ "$(ls "$dir" | wc -l)" -ne 2 ] ||
   ! grep -q "it is left as it was" "$dir/err"; then
  echo "FAIL: a failed SVG write -> status $status, $(cat "$dir/err"), files: $(ls "$dir")"; failures=$((failures + 1))
fi
# A folder is not replaced; planted links and FIFOs in tests/cli/test_svg_file.py.
expect 2 "it is a folder, so it is left as it was" chart QsQd --board 2c7h9d --svg "$dir"
rm -rf "$dir"
if ! python3 "$(dirname "$0")/test_svg_file.py" "$bin"; then failures=$((failures + 1)); fi

# Breakdown: the JSON's fixed fields, next cards only before the river, a picture that parses.
dir=$(mktemp -d)
for board in "Th 7c 2d" "Th7c2d5s9h"; do
  # shellcheck disable=SC2086
  out=$("$bin" breakdown "QQ+, AKs, 98s" "JJ-99, AQo" --board $board --json --svg "$dir/b.svg")
  if ! printf '%s' "$out" | python3 -c '
import json, sys, xml.etree.ElementTree as tree
d = json.load(sys.stdin)
assert list(d) == ["game", "board", "players", "exact", "deals", "hands", "categories", "draws", "next_cards"], list(d)
river = d["board"] == "Th7c2d5s9h"
assert d["exact"] and d["players"] == ["QQ+, AKs, 98s", "JJ-99, AQo"] and len(d["hands"]) == (25 if river else 26)
assert all(set(h) == {"hand", "weight", "equity", "category", "draws"} for h in d["hands"])
assert [h["equity"] for h in d["hands"]] == sorted((h["equity"] for h in d["hands"]), reverse=True)
assert abs(sum(r["share"] for r in d["categories"]) - 1) < 1e-9 and "Overpair" in [r["name"] for r in d["categories"]]
assert len(d["next_cards"]) == (0 if river else 49)
assert river or {"hand": "9s8s", "draws": ["OESD"]}.items() <= next(h for h in d["hands"] if h["hand"] == "9s8s").items()
titles = [t.text for t in tree.parse(sys.argv[1]).getroot().iter("{http://www.w3.org/2000/svg}text")]
assert "Equity of each hand of the range, best first" in titles and ("Equity after each next card" in titles) != river
' "$dir/b.svg"; then echo "FAIL: breakdown on $board: $out"; failures=$((failures + 1)); fi
done
rm -rf "$dir"
expect 2 "breakdown needs a range and at least one opponent" breakdown "QQ+"

# Single cards after --board join it; every 64-bit seed replays; Hi/Lo parts add up.
same() {
  a=$("$bin" $1 2>&1 | sed 's/"seconds": [^,]*, //'); b=$("$bin" $2 2>&1 | sed 's/"seconds": [^,]*, //')
  if [ "$a" != "$b" ] || [ -z "$a" ]; then echo "FAIL: oddsmith $1 differs from oddsmith $2:"; echo "$a"; echo "$b"; failures=$((failures + 1)); fi
}
same "equity AhKh QsQd --board Qh 7c 2d --json" "equity AhKh QsQd --board Qh7c2d --json"
same "equity AhKh QsQd -b Qh 7c -d 2d 3d --json" "equity AhKh QsQd --board Qh7c --dead 2d3d --json"
same "equity AhKh random --seed 18385426085532682750 --trials 5000 --json" "equity AhKh random --seed 18385426085532682750 --trials 5000 --json"
expect 0 '"seed": 18446744073709551615,' equity AhKh random --seed 18446744073709551615 --trials 100 --json
expect 2 "--seed must be a whole number from 0 to 18446744073709551615" equity AhKh random --seed -1
expect 2 "--seed must be a whole number from 0 to 18446744073709551615" equity AhKh random --seed 18446744073709551616
hilo=$("$bin" equity Ah2h5c9d "KK, 34xx" random --game omaha-hilo --board 3c4d8h --trials 20000 --seed 5 --json)
if ! printf '%s' "$hilo" | python3 -c '
import json, sys
players = json.load(sys.stdin)["players"]
assert all(abs(p["high_equity"] + p["low_equity"] - p["equity"]) < 1e-9 and p["scoop"] == p["win"] for p in players)
assert players[0]["low_equity"] > 0.2
'; then echo "FAIL: Hi/Lo parts: $hilo"; failures=$((failures + 1)); fi
expect 0 "scoop      high       low" equity AhAsKhKs Ad2d5c9c --game omaha-hilo --exact

# Options are options wherever they stand: each command line gives the same
# output with its options moved to the front; after a lone -- nothing is one.
for line in "eval As Ks Qs Js 9s 6c 6d --game shortdeck --json" "omaha --hole AcAdAhAs --board KcKdQhQsJc --json" \
            "equity AhKh QsQd --board Qh 7c 2d --seed 3 --trials 2000 --json" "chart QsQd --board 2c7h9d --json" \
            "breakdown QQ+ JJ -b Th7c2d --json" "host holdem 2c7d --opponents 4 --board AsKsQsJsTs --json" "bench 1e3 --json" \
            "range QQ+, AKs --game shortdeck -b Qh7c8d --json"; do
  # shellcheck disable=SC2086  # the words of $line are the arguments
  set -- $line
  command=$1 && shift
  positionals="" options="" value_next=""
  for word in "$@"; do
    case "$word" in
      --json) options="$options $word" ;;
      -*) options="$options $word" value_next=1 ;;
      *) if [ -n "$value_next" ]; then options="$options $word"; case "$word" in ?[cdhs]|??[cdhs]) ;; *) value_next="" ;; esac
         else positionals="$positionals $word"; fi ;;
    esac
  done
  if [ "$command" = bench ]; then  # rates vary: the count and the shape must not
    out=$("$bin" bench --json 1_000)
    printf '%s' "$out" | grep -q '"count": 1000, ' || { echo "FAIL: bench --json 1_000: $out"; failures=$((failures + 1)); }
  else
    same "$command$options$positionals" "$line"
  fi
done
expect 2 "player 2 ('--json'), column 1" equity AhKh -- --json
# range draws its chart wherever --svg stands: short deck's 9x9 classes, the partial ones marked.
dir=$(mktemp -d)
expect 0 "22 hands" range QQ+, AKs --svg "$dir/r.svg" --game shortdeck
expect 0 "" range AhKh, QQ+ -b QhJh2c --svg "$dir/p.svg"
if ! python3 - "$dir" <<'PY'
import sys, xml.etree.ElementTree as tree
texts = lambda f: [t.text for t in tree.parse(f"{sys.argv[1]}/{f}").getroot().iter("{http://www.w3.org/2000/svg}text")]
short = texts("r.svg")
assert "Range QQ+, AKs" in short and "AKs" in short and "66" in short and "55" not in short, short[:5]
assert "1 of 4" in texts("p.svg") and "3 of 6" in texts("p.svg")
PY
then echo "FAIL: range --svg"; failures=$((failures + 1)); fi
rm -rf "$dir"
expect 2 "chart: unknown option '--frob'" chart random --frob
expect 2 "equity: --trials needs a value" equity AhKh QsQd --trials --json
# Counts as digits, grouped with underscores or with an exponent; whole numbers only.
same "equity AhKh QsQd --seed 9 --trials 1e4 --json" "equity AhKh QsQd --seed 9 --trials=10_000 --json"
expect 2 "--trials must be a whole number from 1 to 281474976710656, got '1.5e0', which is not a whole number" equity AhKh QsQd --trials 1.5e0
expect 2 "--trials must be a whole number from 1 to 281474976710656, got '1e30'" equity AhKh QsQd --trials 1e30
expect 2 "got '1__0' (write counts as 1000000, 1_000_000 or 1e6)" bench 1__0

# Charts against random with no board come from compiled-in exact equities:
# they must be the calculator's exact answers, and short deck's chart is 9x9
# (ranks A to 6) in JSON, on the terminal (within 80 columns) and in the picture.
dir=$(mktemp -d)
"$bin" chart random --json > "$dir/holdem.json" && "$bin" chart random --game shortdeck --json --svg "$dir/short.svg" > "$dir/short.json" &&
  "$bin" chart random > "$dir/holdem.txt" && "$bin" chart random --game shortdeck > "$dir/short.txt"
if ! python3 - "$bin" "$dir" <<'PY'
import json, subprocess, sys, xml.etree.ElementTree as tree
bin, dir = sys.argv[1], sys.argv[2]
for game, ranks, sample in (("holdem", "AKQJT98765432", ["AA", "AKs", "72o", "T9s"]), ("shortdeck", "AKQJT9876", ["AKo", "76o", "66"])):
    chart = json.load(open(f"{dir}/{'holdem' if game == 'holdem' else 'short'}.json"))
    n = len(ranks)
    assert chart["game"] == game and len(chart["classes"]) == n * n, (game, len(chart["classes"]))
    assert all(set(label[:2]) <= set(ranks) for label in chart["classes"]), game
    for label in sample:
        exact = json.loads(subprocess.run([bin, "equity", label, "random", "--game", game, "--exact", "--json"],
                                          capture_output=True, text=True, check=True).stdout)["players"][0]["equity"]
        assert chart["classes"][label] == exact, (game, label, chart["classes"][label], exact)
    grid = [l for l in open(f"{dir}/{'holdem' if game == 'holdem' else 'short'}.txt").read().splitlines()[2:] if l.strip()][:-1]
    assert len(grid) == 2 * n and max(map(len, grid)) <= 80 and grid[0].split() == [chart_label for chart_label in list(chart["classes"])[:n]], grid[:2]
cells = [t.text for t in tree.parse(f"{dir}/short.svg").getroot().iter("{http://www.w3.org/2000/svg}text")]
assert cells.count("AA") == 1 and "66" in cells and "55" not in cells and "A6s" in cells and "A5s" not in cells
PY
then echo "FAIL: chart random"; failures=$((failures + 1)); fi
rm -rf "$dir"

# On a terminal: no colour escape anywhere with NO_COLOR set (colour without it),
# and the progress bar redrawn at most about ten times a second.
if ! python3 - "$bin" <<'PY'
import os, pty, subprocess, sys, time
def run(args, env, terminal_fd):
    main, side = pty.openpty()
    streams = {"stdout": subprocess.DEVNULL, "stderr": subprocess.DEVNULL, terminal_fd: side}
    start = time.monotonic()
    child = subprocess.Popen([sys.argv[1]] + args, env=env, **streams)
    os.close(side)
    out = b""
    while True:
        try:
            part = os.read(main, 65536)
        except OSError:
            break
        if not part:
            break
        out += part
    child.wait()
    os.close(main)
    return out, time.monotonic() - start
plain = dict(os.environ); plain.pop("NO_COLOR", None)
coloured, _ = run(["chart", "QsQd", "--board", "2c7h9d"], plain, "stdout")
assert b"\x1b[48;2;" in coloured, coloured[:200]
for command in (["chart", "QsQd", "--board", "2c7h9d"], ["chart", "random"], ["range", "QQ+"], ["equity", "AhKh", "QsQd"]):
    out, _ = run(command, dict(plain, NO_COLOR="1"), "stdout")
    assert b"\x1b" not in out and out, (command, out[:200])
bar, seconds = run(["equity", "AhKh", "QsQd", "--trials", str(2 ** 48), "--max-seconds", "2.5"], plain, "stderr")
redraws = bar.count(b"%  ")
assert 1 <= redraws <= (seconds - 1) * 10 + 3, (redraws, seconds)
PY
then echo "FAIL: colours or the progress bar on a terminal"; failures=$((failures + 1)); fi

# What the user typed is quoted back with its control bytes escaped, never raw
# (a crafted range would otherwise drive the terminal); printable UTF-8 as it is.
esc=$(printf '\033') bel=$(printf '\007')
for words in "  \\x1b]0;pwned\\x07AA|range|${esc}]0;pwned${bel}AA" \
             "bad card '\\x1b[' in '\\x1b[2J'|equity|AhKh|QsQd|--board|${esc}[2J" \
             "player 2 ('\\x1b[2JAA'), column 1|equity|AhKh|${esc}[2JAA" \
             "unknown command '\\x1b[2J'|${esc}[2J" \
             "can play against 'AhKh \\x9b'|chart|AhKh|$(printf '\233')" \
             "bad card 'X♥' in 'X♥'|equity|AhKh|QsQd|--board|X♥"; do
  old_ifs=$IFS IFS='|'
  set -f
  # shellcheck disable=SC2086  # the words are the expected text and the arguments
  set -- $words
  set +f
  IFS=$old_ifs
  want=$1
  shift
  err=$("$bin" "$@" 2>&1 >/dev/null)
  if printf '%s' "$err" | grep -q "[$esc$bel]" || printf '%s' "$err" | LC_ALL=C grep -q "$(printf '\233')" ||
     ! printf '%s' "$err" | grep -qF -- "$want"; then
    echo "FAIL: oddsmith $* -> raw control bytes or not \"$want\": $err" | od -c | head -5; failures=$((failures + 1))
  fi
done

# Tournament tools: ICM (exact and sampled, in the stacks' order) and push/fold.
expect 0 '"exact": true, "samples": 0' icm 5000,3000,2000,0 --payouts 50,30,20 --json
expect 0 '{"stack": 5000, "equity": 38.39285714, "stderr": 0}' icm 5000,3000,2000 --payouts 50,30,20 --json
expect 0 "Monte Carlo (Malmuth-Harville)" icm 5000,3000,2000 --payouts 50,30,20 --monte-carlo --seed 7
expect 2 "more payouts (3) than players (2)" icm 1,2 --payouts 1,2,3
expect 2 "stack 2 is negative or not a number" icm 1,-2 --payouts 1
expect 2 "no --payouts given" icm 1,2
expect 2 "is not a list of numbers" icm 1,2x --payouts 1
expect 0 "button pushes" pushfold --stacks 10,10 --ante 0.1
expect 0 '"action": "call", "facing": 0' pushfold --stacks 8,12 --payouts 65,35 --json
expect 2 "seat 2 to 10 players" pushfold --stacks 10,10,10,10,10,10,10,10,10,10,10
expect 0 "big blind calls the button's push after the small blind" pushfold --stacks 8,10,12 --ante 0.1 --threads 2
expect 0 '"facing": 0, "callers": [1]' pushfold --stacks 8,10,12,9 --payouts 50,30,20 --json
expect 2 "--blinds takes the small and big blind" pushfold --stacks 10,10 --blinds 1
# The chart: both grids drawn, aces played at every stack of the span.
chart_dir=$(mktemp -d)
"$bin" pushfold --svg "$chart_dir/pf.svg" --chart-max 6 --chart-step 1 >/dev/null 2>&1
if ! python3 - "$chart_dir/pf.svg" <<'PY'
import sys, xml.etree.ElementTree as tree
texts = [t.text for t in tree.parse(sys.argv[1]).getroot().iter("{http://www.w3.org/2000/svg}text")]
assert "Small blind pushes" in texts and "Big blind calls" in texts, texts[:5]
assert texts[texts.index("AA") + 1] == "all", texts[:12]
PY
then echo "FAIL: the push/fold chart's SVG"; failures=$((failures + 1)); fi
rm -rf "$chart_dir"

# The postflop solver: a river spot solved, its JSON, a node by path, the tree
# printed, and the refusals.
river="--board Qs Jh 2h 8d 3c --pot 100 --stack 200 --river-bets 50%,100% --river-raises 2.5x --merge 0"
# shellcheck disable=SC2086  # $river is the options' words
expect 0 "OOP to act" solve "QQ-22, AQs-A2s, ATo+" "AA-22, AKs-A2s, AKo-A9o" $river
# shellcheck disable=SC2086
expect 0 '"players": [{"position": "oop", "ev": ' solve "QQ-22, AQs-A2s" "AA-22, AKs-A2s" $river --json
# shellcheck disable=SC2086
expect 0 '"node": {"path": "bet 50", "kind": "action", "player": "ip"' solve "QQ-22" "AA-22" $river --path "bet 50%" --json
# shellcheck disable=SC2086
expect 0 '"actions": [{"name": "fold", "amount": 0, "frequency": ' solve "QQ-22" "AA-22" $river --path "bet 50" --json
# shellcheck disable=SC2086
expect 0 "IP raise 125 (2.5x)" solve "QQ-22" "AA-22" $river --tree
# shellcheck disable=SC2086
expect 0 "river tree 0 (pot 100, stacks 200)" solve "QQ-22" "AA-22" $river --tree
expect 0 "Short deck" solve "AA, KK, AKs" "QQ+, AQs" --game shortdeck --board As 9h 7c 6d Ts --pot 10 --stack 20
# Omaha and five-card Omaha: four and five cards a hand, classes by ranks.
expect 0 '"hands": [{"hand": "AhAdKhKd", "weight": 1' solve "AhAdKhKd" "QQJJ" --game omaha --board Qs Jh 2h 8d 3c --pot 10 --stack 20 --json
expect 0 "QQJJ" solve "AhAdKhKd" "QQJJ" --game omaha --board Qs Jh 2h 8d 3c --pot 10 --stack 20 --path check --hands
expect 0 '"hand": "AhAdKhKd5s"' solve "AhAdKhKd5s" "QQJJ" --game omaha5 --board Qs Jh 2h 8d 3c --pot 10 --stack 20 --json
expect 2 "two-card classes" solve "AAKK" "QQJJ" --game omaha --board Qs Jh 2h 8d 3c --pot 10 --stack 20 --svg /dev/null
# shellcheck disable=SC2086
expect 2 "--path: \"raise\" is not an action here (the actions: check, bet 50, bet 100)" solve "QQ" "AA" $river --path raise
# shellcheck disable=SC2086
expect 2 "solve takes two ranges" solve "QQ" $river
expect 2 "solve needs a --board" solve "QQ" "AA" --pot 10 --stack 10
expect 2 "solve needs --pot and --stack" solve "QQ" "AA" --board Qs Jh 2h
expect 2 "IP's flop raises" solve "QQ" "AA" --board Qs Jh 2h --pot 10 --stack 10 --ip-flop-raises e
expect 2 "over the memory bound" solve "22+, A2+, K2+" "22+, A2+, K2+" --board Qs Jh 2h --pot 10 --stack 100 --max-memory 16M
# The strategy chart: a class per cell, the legend's actions with their shares.
solve_dir=$(mktemp -d)
# shellcheck disable=SC2086
"$bin" solve "QQ-22, AQs-A2s" "AA-22, AKs-A2s" $river --svg "$solve_dir/s.svg" >/dev/null 2>&1
if ! python3 - "$solve_dir/s.svg" <<'PY'
import sys, xml.etree.ElementTree as tree
texts = [t.text for t in tree.parse(sys.argv[1]).getroot().iter("{http://www.w3.org/2000/svg}text")]
assert "AA" in texts and "72o" in texts, texts[:5]
assert any(t.startswith("check ") and t.endswith("%") for t in texts), texts[-6:]
assert any(t.startswith("bet 100 ") for t in texts), texts[-6:]
PY
then echo "FAIL: the solver's strategy SVG"; failures=$((failures + 1)); fi
# Node locks: the range's and one hand's, from the option and from a file.
# shellcheck disable=SC2086
expect 0 "IP to act (locked)" solve "QQ-22, AQs-A2s" "AA-22, AKs-A2s" $river --path check --lock "check=check:1"
printf '# one hand\ncheck|AhAd|bet 100%%:1\n' >"$solve_dir/locks"
# shellcheck disable=SC2086
expect 0 '"locked_nodes": ["check"]' solve "QQ-22" "AA-22" $river --lock-file "$solve_dir/locks" --json
# shellcheck disable=SC2086
expect 2 "the frequencies add up to" solve "QQ-22" "AA-22" $river --lock "check=check:0.7,bet 50:0.7"
# A saved solution loads to the same node (32 bits: exactly); a damaged one is refused.
# shellcheck disable=SC2086
if "$bin" solve "QQ-22, AQs-A2s" "AA-22, AKs-A2s" $river --lock "check=bet 50:0.5" --path check --save "$solve_dir/s.bin" \
    --save-bits 32 >"$solve_dir/solved" 2>&1; then
  "$bin" solve --load "$solve_dir/s.bin" --path check >"$solve_dir/loaded" 2>&1
  if ! diff "$solve_dir/solved" "$solve_dir/loaded" | grep -v MiB | grep -q '^[<>]' && grep -q "locked" "$solve_dir/loaded"; then :
  else echo "FAIL: a loaded solution tells its node as solved"; diff "$solve_dir/solved" "$solve_dir/loaded"; failures=$((failures + 1)); fi
  head -c 100 "$solve_dir/s.bin" >"$solve_dir/cut.bin"
  expect 2 "--load: " solve --load "$solve_dir/cut.bin"
  expect 2 "no ranges are given" solve "QQ" --load "$solve_dir/s.bin"
elif ! grep -q "no zstd support" "$solve_dir/solved"; then
  echo "FAIL: solve --save"; cat "$solve_dir/solved"; failures=$((failures + 1))
fi
rm -rf "$solve_dir"

# oddsmith report runs in the Python package (the `oddsmith` command hands it to
# oddsmith/_report_command.py): here through this build's compiled part, where one was built.
core=$(ls "$(cd "$(dirname "$bin")" && pwd)"/../python/oddsmith/_core*.so 2>/dev/null | head -n 1)
package=$(cd "$(dirname "$0")/../../python" && pwd)
# (A sanitizer build's compiled part does not load into a plain Python: skipped there.)
if [ -n "$core" ] && ODDSMITH_EXTENSION="$core" PYTHONPATH="$package" python3 -c "import numpy, oddsmith" 2>/dev/null; then
  report_dir=$(mktemp -d)
  if ! (cd "$report_dir" && ODDSMITH_EXTENSION="$core" PYTHONPATH="$package" \
        python3 -m oddsmith report "AA, KK, AK" "QQ, JJ, AQs" --flops "As Kd 2c, 9c 8c 7c" --pot 20 --stack 40 \
          --flop-bets 50% --flop-raises none --turn-bets 50% --turn-raises none --river-bets 50% \
          --river-raises none --target 2 --csv r.csv --svg r.svg -q 2>err.txt) ||
     ! python3 - "$report_dir/r.csv" <<'PY'
import csv, sys
rows = list(csv.DictReader(open(sys.argv[1])))
assert [r["flop"] for r in rows] == ["AsKd2c", "9c8c7c"], rows
assert [r["texture"] for r in rows] == ["rainbow disconnected", "monotone connected"], rows
for r in rows:
    assert r["weight"] == "1" and 0 < float(r["exploitability_pct"]) <= 2, r
    assert abs(float(r["freq check"]) + float(r["freq bet 10"]) - 1) < 1e-6, r
    assert abs(float(r["oop_equity"]) + float(r["ip_equity"]) - 1) < 1e-6, r
    assert abs(float(r["oop_ev"]) + float(r["ip_ev"]) - 20) < 1e-4, r
PY
  then echo "FAIL: oddsmith report"; cat "$report_dir/err.txt"; failures=$((failures + 1)); fi
  expect_report=$(cd "$report_dir" && ODDSMITH_EXTENSION="$core" PYTHONPATH="$package" \
                  python3 -m oddsmith report "AA" "KK" --flops 49 2>&1)
  if ! printf '%s' "$expect_report" | grep -qF "a solve report needs the pot and the stack"; then
    echo "FAIL: oddsmith report without a pot: $expect_report"; failures=$((failures + 1)); fi
  rm -rf "$report_dir"
else
  echo "skipped: oddsmith report (no Python compiled part in this build that loads here, or no numpy)"
fi

# Output that cannot be written is a failure, not a success.
for command in "eval As Ks Qs Js Ts" "holdem 2c7d --opponents 0" ""; do
  # shellcheck disable=SC2086  # the words of $command are the arguments
  err=$("$bin" $command 2>&1 >/dev/full)
  status=$?
  if [ "$status" -ne 1 ] || ! printf '%s' "$err" | grep -q "oddsmith: cannot write the output"; then
    echo "FAIL: oddsmith $command >/dev/full -> status $status: $err"; failures=$((failures + 1))
  fi
done

echo "$failures failed"
[ "$failures" -eq 0 ]
