#!/bin/sh
# utf16.sh SOURCE OUTPUT: a UTF-8 text with LF line ends becomes the UTF-16LE
# text with byte-order mark and CR LF line ends that the system reads.
# Only iconv and sed are needed, so the cross build runs it on the host.
set -e
mkdir -p "$(dirname "$2")"
printf '\377\376' > "$2.tmp"
sed 's/\r*$/\r/' "$1" | iconv -f UTF-8 -t UTF-16LE >> "$2.tmp"
mv "$2.tmp" "$2"
