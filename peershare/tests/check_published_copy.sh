#!/bin/sh
# check_published_copy.sh WINE_RUN TEST_PROGRAM FOLDER: has the share tests
# write a published copy into FOLDER, then checks it with the system's bzip2:
# the stream is sound and holds the share document with file names only.
set -eu
wine_run=$1 program=$2 folder=$3
rm -rf "$folder"
mkdir -p "$folder"
PUBLISHED_COPY_FOLDER="$folder" "$wine_run" "$program" \
  --gtest_filter=PublishedCopyTest.TheCopyDecompressesToTheDocumentWithCutPaths >/dev/null
copy="$folder/temp0share.xml"
[ -s "$copy" ] || { echo "no published copy was written"; exit 1; }
bzip2 -t "$copy"
text=$(bzip2 -dc "$copy" | iconv -f GBK -t UTF-8)
echo "$text" | grep -q '<ShareFile version="2">' || { echo "no ShareFile root"; exit 1; }
echo "$text" | grep -q '第1集.rmvb</filePath>' || { echo "file name missing"; exit 1; }
if echo "$text" | grep -q 'D:\\'; then echo "a local folder reached the copy"; exit 1; fi
echo "bzip2 -t: ok; $(echo "$text" | grep -c '<filePath>') file paths, none with a folder"
