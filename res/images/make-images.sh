#!/bin/sh
# Draws the program's pictures with ImageMagick. The PNG files it writes are committed; run it
# again only to change a picture. Bitmaps are 24 bits per pixel (no alpha), icons 32.
set -eu
cd "$(dirname "$0")"
FONT=DejaVu-Sans-Bold
FONT_REGULAR=DejaVu-Sans
RGB="-depth 8 -strip"

# Application icon: a blue tile with a white Q and an amber disc for the offline store.
convert -size 256x256 xc:none \
    -fill '#1d4f91' -draw 'roundrectangle 8,8 247,247 44,44' \
    -fill '#2f6fc0' -draw 'roundrectangle 8,8 247,150 44,44' \
    -font "$FONT" -pointsize 190 -fill white -gravity center -annotate +0-6 'Q' \
    -fill '#f3a712' -stroke white -strokewidth 8 -draw 'circle 192,192 228,192' \
    -depth 8 -strip PNG32:app-256.png
convert -size 16x16 xc:none \
    -fill '#1d4f91' -draw 'roundrectangle 0,0 15,15 3,3' \
    -font "$FONT" -pointsize 13 -fill white -gravity center -annotate +0+0 'Q' \
    -fill '#f3a712' -draw 'circle 12,12 14,12' \
    -depth 8 -strip PNG32:app-16.png

# Banner, 529 x 79: the product name on a blue gradient.
convert -size 529x79 gradient:'#173f75-#2f7fb8' -rotate 0 \
    \( -size 529x79 gradient:'#173f75-#2a6aa8' -rotate 90 -resize 529x79! \) -compose blend \
    -define compose:args=50 -composite \
    -font "$FONT" -pointsize 34 -fill white -gravity west -annotate +86-9 'Quillmere' \
    -font "$FONT_REGULAR" -pointsize 13 -fill '#d7e6f7' -gravity west \
    -annotate +88+20 'Offline store report for Exchange organisations' \
    \( app-256.png -resize 60x60 \) -gravity west -geometry +14+0 -compose over -composite \
    $RGB PNG24:banner.png

# List image, 16 x 16 on white (white is the image list's mask colour): a mailbox card.
convert -size 16x16 xc:white \
    -fill '#2f6fc0' -draw 'roundrectangle 1,3 14,13 2,2' \
    -fill white -draw 'polyline 2,4 8,9 13,4' \
    -stroke white -strokewidth 1 -draw 'line 2,4 8,9' -draw 'line 8,9 13,4' \
    $RGB PNG24:list-icon.png

# About background, 418 x 214: a pale tile with soft diagonal bands.
convert -size 418x214 gradient:'#f7fafd-#dde8f4' \
    \( -size 418x214 xc:none -stroke '#ffffff80' -strokewidth 18 \
       -draw 'line -40,214 170,0' -draw 'line 60,214 270,0' -draw 'line 160,214 370,0' \
       -draw 'line 260,214 470,0' \) -compose over -composite \
    -fill '#1d4f91' -draw 'rectangle 0,0 417,6' \
    $RGB PNG24:about-background.png
