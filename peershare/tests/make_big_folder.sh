#!/bin/sh
# make_big_folder.sh DIR: the folders of the share page's large drops:
# DIR/大文件夹 with 99,999 empty files and a folder 下层 of ten (100,000
# entries), and DIR/五千首 with 5,000 files 歌<n>.mp3 holding the text of n.
# Made here rather than by the test program: Wine looks through a whole
# folder for the name in other letter case before it creates a file there,
# so 100,000 files made under Wine take many minutes.
set -eu
rm -rf "$1"
mkdir -p "$1/大文件夹/下层"
cd "$1/大文件夹"
seq -f 'a%.0f.avi' 0 99998 | xargs touch
cd 下层
seq -f 'b%.0f.avi' 0 9 | xargs touch
cd "$1"
mkdir 五千首
cd 五千首
seq 0 4999 | awk '{ name = "歌" $1 ".mp3"; printf "%s", $1 > name; close(name) }'
