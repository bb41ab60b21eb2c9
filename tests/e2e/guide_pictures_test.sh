#!/bin/sh
# scripts/tour plays every scene of the README's tour and the user guide in the editor as
# built and photographs it: each picture the guide and the README show must come out of it,
# be a PNG of a sensible size and show more than a blank screen; the copies in docs/images
# must be there too, and the tour makes no picture that nothing shows.
# Usage: guide_pictures_test.sh SOURCE_DIR BUILD_DIR
top=$1
build=$2
work=$build/guide-pictures
. "$top/tests/support/script_checks.sh"
needs Xvfb import identify
fresh_folder "$work"
PIXMORA_BUILD_DIR="$build" "$top/scripts/tour" --no-build "$work" >"$work/tour.log" 2>&1 ||
    fail "scripts/tour: exit status $?: $(tail -n 5 "$work/tour.log")"

# The pictures the documents show, as made by the tour (tour-* and guide-*).
shown=$(cat "$top/docs/USER_GUIDE.md" "$top/README.md" |
    grep -o 'images/\(tour\|guide\)-[a-z0-9-]*\.png' | sed 's|images/||' | sort -u)
[ -n "$shown" ] || fail "the documents show no pictures of the tour"
for picture in $shown; do
    made=$work/$picture
    [ -f "$top/docs/images/$picture" ] || fail "$picture is not in docs/images"
    if [ ! -f "$made" ]; then
        fail "the tour did not make $picture"
        continue
    fi
    [ "$(od -An -tx1 -N8 "$made" | tr -d ' \n')" = 89504e470d0a1a0a ] || fail "$picture is no PNG"
    set -- $(identify -format '%w %h %k' "$made")
    [ "$1" -ge 100 ] && [ "$2" -ge 100 ] || fail "$picture is only $1 x $2"
    # A screen with nothing drawn on it has one colour; the editor shows many.
    [ "$3" -ge 6 ] || fail "$picture is blank: $3 colours"
done
for made in "$work"/*.png; do
    picture=$(basename "$made")
    echo "$shown" | grep -qx "$picture" || fail "the tour makes $picture, which nothing shows"
done
finish "scripts/tour: $(echo "$shown" | wc -l) pictures, each made and shown"
