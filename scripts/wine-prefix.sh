# shellcheck shell=bash
# Sourced by cmake/wine-run.sh when it makes a prefix: gives a Wine prefix the
# fonts of the device the pages are made for.
#
#   wine_prefix_device_like   WINEPREFIX must name a prefix that exists
#
# What a fresh prefix lacks, and what each step gives it:
# - Wine's own fonts (Tahoma, Marlett, ...) sit outside the prefix, where
#   this Wine does not look: the dialog font and the caption's symbols
#   (its close box) fall back to other faces. They are copied into the
#   prefix's Fonts folder.
# - A Chinese device has the face "宋体" (SimSun): the default result font,
#   and the face behind the dialog font "MS Shell Dlg" in a Chinese locale.
#   Wine lists the CJK face installed on the host under both names.
# - In other locales "MS Shell Dlg" is Tahoma, which has no Chinese glyphs:
#   it is linked to the same CJK face. A process whose locale has another
#   code page than the prefix's last one rewrites every link.
# Run it after a process of the locale the prefix will serve has started,
# so that the rewrite has already happened; it can be run again at any time.

wine_prefix_cjk_face="WenQuanYi Zen Hei"
wine_prefix_cjk_file="wqy-zenhei.ttc"

# Wine's font folder of this host; empty when none is found.
wine_prefix_wine_fonts() {
  local dir
  for dir in /usr/share/wine/fonts /usr/lib/wine/fonts /opt/wine-stable/share/wine/fonts; do
    if [[ -f $dir/tahoma.ttf ]]; then
      echo "$dir"
      return
    fi
  done
}

# A string as a .reg file's hex(7) value: UTF-16LE, one terminator, and the
# list's closing terminator.
wine_prefix_multi_sz() {
  printf '%s\0\0' "$1" | iconv -f UTF-8 -t UTF-16LE | od -An -v -tx1 |
    tr -s ' \n' ',,' | sed 's/^,//; s/,$//'
}

wine_prefix_device_like() {
  local fonts_dir=$WINEPREFIX/drive_c/windows/Fonts
  local wine_fonts
  wine_fonts=$(wine_prefix_wine_fonts)
  if [[ -z $wine_fonts ]]; then
    echo "Wine's own fonts (tahoma.ttf) were not found: install fonts-wine" >&2
    return 1
  fi
  mkdir -p "$fonts_dir"
  cp -u "$wine_fonts"/* "$fonts_dir"/

  # A .reg file in UTF-16 carries the Chinese value name whatever the
  # locale of this shell.
  local reg
  reg=$(mktemp --suffix=.reg)
  printf '\377\376' >"$reg"
  {
    printf 'Windows Registry Editor Version 5.00\r\n\r\n'
    printf '[HKEY_CURRENT_USER\\Software\\Wine\\Fonts\\Replacements]\r\n'
    printf '"宋体"="%s"\r\n' "$wine_prefix_cjk_face"
    printf '"SimSun"="%s"\r\n\r\n' "$wine_prefix_cjk_face"
    printf '[HKEY_LOCAL_MACHINE\\Software\\Microsoft\\Windows NT\\CurrentVersion\\FontLink\\SystemLink]\r\n'
    printf '"Tahoma"=hex(7):%s\r\n' "$(wine_prefix_multi_sz "$wine_prefix_cjk_file,$wine_prefix_cjk_face")"
  } | iconv -f UTF-8 -t UTF-16LE >>"$reg"
  local status=0
  wine regedit /S "$(winepath -w "$reg" 2>/dev/null)" </dev/null >/dev/null 2>&1 || status=$?
  rm -f "$reg"
  return "$status"
}
