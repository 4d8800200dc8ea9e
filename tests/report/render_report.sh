#!/usr/bin/env bash
# Writes a report with every section and opens it in headless Chromium: the page must load without
# a console message, its DOM must hold the picture and the plots, and the PDF Chromium prints must
# show them too (read back through pdftoppm).
# Usage: render_report.sh PATH/TO/orvendi-cli WORK_FOLDER CHROMIUM PDFTOPPM required|optional
set -u
cli=$1
work=$2
chromium=$3
pdftoppm=$4
need=$5

if [ ! -x "$chromium" ] || [ ! -x "$pdftoppm" ]; then
  message="chromium or pdftoppm is missing (Debian packages chromium, poppler-utils; scripts/install-deps installs them)"
  if [ "$need" = required ]; then
    echo "FAIL: $message" >&2
    exit 1
  fi
  echo "SKIP: $message"
  exit 77
fi

rm -rf "$work"
mkdir -p "$work"
cd "$work" || exit 1
failures=0
fail() {
  echo "FAIL: $*" >&2
  failures=$((failures + 1))
}

"$cli" new design.json || exit 1
# A hostile file name must reach the page as text.
name='<b onmouseover=x>&.json'
cp design.json "$name"
"$cli" report "$name" --out report.html --volume --bound --runs 3 -q >/dev/null || exit 1

browse() {
  timeout 120 "$chromium" --headless --no-sandbox --disable-gpu --no-first-run --disable-extensions \
    --user-data-dir="$work/profile" --enable-logging=stderr --v=0 "$@" "file://$work/report.html"
}
browse --dump-dom >dom.html 2>dom-log.txt || fail "chromium --dump-dom failed: $(tail -3 dom-log.txt)"
grep -i "CONSOLE" dom-log.txt && fail "the page logged to the console"
[ "$(grep -o '<svg' dom.html | wc -l)" -ge 3 ] || fail "the DOM holds fewer than 3 pictures"
grep -q '<h2>Volume</h2>' dom.html || fail "no volume section"
grep -q '<b onmouseover' dom.html && fail "the file name became markup"
grep -q '&lt;b onmouseover=x&gt;&amp;.json' dom.html || fail "the file name is not shown as text"

browse --screenshot="$work/report.png" --window-size=1100,2400 >/dev/null 2>shot-log.txt
[ -s report.png ] || fail "no screenshot: $(tail -3 shot-log.txt)"

browse --print-to-pdf="$work/report.pdf" --no-pdf-header-footer >/dev/null 2>pdf-log.txt
[ -s report.pdf ] || fail "no PDF: $(tail -3 pdf-log.txt)"
"$pdftoppm" -r 50 -f 1 -l 1 report.pdf page || fail "pdftoppm failed"
# The first page shows the picture's error map (viridis greens and blues) and generators (red).
python3 - page-1.ppm <<'PY' || fail "the PDF's first page lacks the picture's colours"
import sys
data = open(sys.argv[1], "rb").read()
fields, at = [], 0
while len(fields) < 4:
    while data[at:at + 1].isspace():
        at += 1
    end = at
    while not data[end:end + 1].isspace():
        end += 1
    fields.append(data[at:end])
    at = end
pixels = data[at + 1:]
red = teal = 0
for i in range(0, len(pixels) - 2, 3):
    r, g, b = pixels[i], pixels[i + 1], pixels[i + 2]
    red += r > 200 and g < 60 and b < 60
    teal += r < 80 and g > 100 and b > 100
print(f"red {red}, viridis-like {teal}")
sys.exit(0 if red > 10 and teal > 200 else 1)
PY

[ "$failures" -eq 0 ] || exit 1
echo "report renders: $work/report.png"
