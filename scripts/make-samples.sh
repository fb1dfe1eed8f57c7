#!/usr/bin/env bash
# Makes the sample documents in samples/: one of each kind the program converts, a PDF (which a
# bulk conversion skips) and a subfolder (which it does not enter). Run once; the results are
# kept in the repository.
set -euo pipefail
cd "$(dirname "$0")/.."
out=samples
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
mkdir -p "$out/subfolder"

office() { soffice -env:UserInstallation="file://$work/profile" --headless "$@" >/dev/null 2>&1; }

cat > "$work/report.txt" <<'TXT'
Quarterly report
Sales grew in every region this quarter.
The north region led with a rise of twelve percent.
TXT
cat > "$work/letter.txt" <<'TXT'
Dear customer,
thank you for your order. It ships on Monday.
Kind regards, the Corvanta team
TXT
printf 'Item,Amount\nPaper,120\nToner,80\nStaples,5\n' > "$work/budget.csv"

office --convert-to 'doc:MS Word 97' --outdir "$work" "$work/report.txt"
office --convert-to 'rtf:Rich Text Format' --outdir "$work" "$work/letter.txt"
office --convert-to 'docx:MS Word 2007 XML' --outdir "$work" "$work/report.txt"
office --convert-to 'xls:MS Excel 97' --outdir "$work" "$work/budget.csv"
cp "$work/report.doc" "$out/report.doc"
cp "$work/letter.rtf" "$out/letter.rtf"
cp "$work/report.docx" "$out/memo.docx"
cp "$work/budget.xls" "$out/budget.xls"
# A different name from the workbook's: both would give budget.PDF and the second be skipped.
cp "$work/budget.csv" "$out/expenses.csv"

cat > "$out/page.html" <<'HTML'
<!DOCTYPE html>
<html><head><meta charset="utf-8"><title>Price list</title></head>
<body><h1>Price list</h1>
<table border="1"><tr><th>Item</th><th>Price</th></tr>
<tr><td>Paper</td><td>4.50</td></tr><tr><td>Toner</td><td>39.00</td></tr></table>
</body></html>
HTML
cat > "$out/orders.xml" <<'XML'
<?xml version="1.0" encoding="UTF-8"?>
<orders>
  <order id="1" item="Paper" quantity="10"/>
  <order id="2" item="Toner" quantity="2"/>
</orders>
XML
printf 'Notes\nBring the scanner to the office on Friday.\n' > "$out/notes.txt"
printf 'this type has no handler\n' > "$out/unknown.xyz"

convert -size 1240x1754 xc:white -fill '#1f4e79' -draw 'rectangle 100,100 1140,300' \
  -fill black -font Liberation-Sans -pointsize 48 -draw "text 120,420 'Scanned page'" -quality 90 "$out/scan.jpg"
convert -size 400x300 gradient:'#1f4e79'-'#9dc3e6' "$out/diagram.png"
convert -size 64x64 xc:'#2e75b6' "BMP3:$out/logo.bmp"
convert -size 32x32 xc:'#c55a11' "$out/mark.ico"
convert -size 300x200 xc:'#70ad47' "$out/chart.gif"

office --convert-to pdf --outdir "$out" "$work/letter.txt"
mv "$out/letter.pdf" "$out/already.pdf"
cp "$work/report.doc" "$out/subfolder/ignored.doc"
ls -l "$out" "$out/subfolder"
