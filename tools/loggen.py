#!/usr/bin/env python3
"""Generates monthly chat logs as the capture writes them, for measuring the
log search: LOGyymm.txt files over a run of months, every other month with
the date and time in front of each line, speakers aligned to column 15, a
marker word in a set number of lines. Usage:
  loggen.py --out DIR --bytes 100000000 --marked 100000 [--word tsumo]"""
import argparse
import os
import random

SPEAKERS = ["taro", "hana", "jiro", "太郎", "花子", "東風荘の鬼", "ソ表ポ", "player_long_name", "ron2", "山田"]
TEXTS = ["こんにちは", "よろしくお願いします", "ロンです", "おつかれさまでした", "gg", "nice hand!",
         "リーチ", "また明日", "東南戦やりませんか", "ありがとうございました、またお願いします", "lol", "ツモ"]
WEEKDAYS = ["月", "火", "水", "木", "金", "土", "日"]


def main():
    parser = argparse.ArgumentParser()
    parser.add_argument("--out", required=True)
    parser.add_argument("--bytes", type=int, default=100_000_000)
    parser.add_argument("--marked", type=int, default=100_000)
    parser.add_argument("--word", default="tsumo")
    parser.add_argument("--months", type=int, default=36)
    args = parser.parse_args()
    os.makedirs(args.out, exist_ok=True)
    rng = random.Random(29)
    per_month = args.bytes // args.months
    # About 60 bytes a line: one line in `every` carries the word.
    every = max(1, int((args.bytes // 62) * 0.9) // max(1, args.marked))
    marked = 0
    line_no = 0
    for m in range(args.months):
        year, month = 2021 + m // 12, m % 12 + 1
        stamped = m % 2 == 1
        out = bytearray()
        day, minute = 1, 0
        while len(out) < per_month:
            speaker = rng.choice(SPEAKERS)
            text = rng.choice(TEXTS)
            line_no += 1
            name = speaker.encode("cp932")
            if rng.random() < 0.05:
                body = (speaker + " さんは 一般卓 にいます").encode("cp932")
            else:
                if line_no % every == 0 and marked < args.marked:
                    text += " " + args.word
                    marked += 1
                body = name + b" " * max(0, 14 - len(name)) + b">" + text.encode("cp932")
            if stamped:
                minute += 1
                if minute >= 24 * 60:
                    minute, day = 0, min(day + 1, 28)
                wd = WEEKDAYS[(day + m) % 7]
                stamp = "%04d/%02d/%02d(%s)%02d:%02d " % (year, month, day, wd, minute // 60, minute % 60)
                body = stamp.encode("cp932") + body
            out += body + b"\r\n"
        with open(os.path.join(args.out, "LOG%02d%02d.txt" % (year % 100, month)), "wb") as f:
            f.write(out)
    print("marked lines:", marked)


if __name__ == "__main__":
    main()
