#!/usr/bin/env bash
# Typesets the manual: typeset-manual.sh SOURCE.ms PICTURE.png OUT.pdf
# The picture of the dialog goes in as a PDF; the manual is written whole or not at all.
set -euo pipefail
source=$1 picture=$2 out=$3
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
img2pdf "$picture" -o "$work/dialog.pdf"
sed "s|@DIALOG_PDF@|$work/dialog.pdf|" "$source" > "$work/manual.ms"
mkdir -p "$(dirname "$out")"
# groff goes on past what it cannot do (without pdfinfo it cannot size the
# picture and sets the text over it), so any complaint of its fails the build.
groff -ms -Tpdf -U "$work/manual.ms" > "$work/manual.pdf" 2> "$work/groff.log"
if [[ -s $work/groff.log ]]; then
  cat "$work/groff.log" >&2
  exit 1
fi
mv "$work/manual.pdf" "$out"
