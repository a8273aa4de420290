#!/usr/bin/env python3
"""Writes score files in the game client's format, of any size, and the
statistics that a report over them must give, from the generator's own
knowledge of every game it wrote (not by reading the file back).

  scoregen.py --out FILE [--records N | --bytes N] [--seed S] [--lf]
              [--users a,b,c] [--in-progress]
              [--expect FILE --targets t1,t2,... | --targets all]

The file is Shift_JIS with CR LF line ends (LF with --lf). Each game is a
header line, a players line, round lines, a results section and an end line.
Besides whole games it holds what real files hold, each shape now and then:
games of the chat table (their header holds "チャット中心"); games the
client stopped writing (before their results, inside them, in the middle of
a line, the next game's header then on a line of its own or right behind the
cut), also as the file's last game; two or three of the user's handles at
one table; headers that name a second kind in their table name; round lines
over 255 bytes; result entries whose field holds no number; handles of 14
and 16 bytes, which do not fit a 20-byte result field. The expectations
follow the reader's rules: a header that names several kinds counts for each,
with three entries for "三人打ち" and four for the others; a cut game counts
for a kind only when the entries that kind reads were written whole; the
user's entry is the best placed of the user's handles at the table (with an
own handle as target, that handle's entry). With --in-progress the file ends
inside a four-player game that has begun, and its players are printed in
seat order (Shift_JIS, tab-separated).

--expect writes one line per table type (0, 1, 2) and target, tab-separated:
table type, target, wins, losses, draws, user score sum, user rank sum,
target score sum, target rank sum, report text; Shift_JIS, LF.
"""
import argparse
import random
import struct
import sys

KINDS = ["東風戦", "東南戦", "三人打ち"]
KIND_WEIGHTS = [60, 25, 15]
TABLES = ["ランキング卓", "一般卓", "上級卓"]
# Handles of up to 12 bytes: ASCII, double-byte names (some with a trail byte
# that is "]" or "\"), half-width katakana, and pairs where one handle ends
# with the other's bytes.
POOL = [
    "aaa", "bbb", "ccc", "ddd", "Taro", "hanako77", "x", "‐x", "abc", "zabc",
    "山田", "山田太郎", "ソ連", "表示", "能力者", "ﾃｽﾄ", "ｱｲｳ", "雀士A", "R1500",
    "mj_king", "Nobody", "十二文字のなまえ"[:6], "qwertyuiopas", "東風", "南家",
    "ポン太", "kan", "riichi", "tsumo", "dora3",
]
# Handles too long for a result field: 14 bytes fill the first entry's field
# (no space after the handle, so never found), 16 bytes run into the score.
LONG = ["abcdefghijklmn", "ながいなまえの人"]
TILES = ["1m", "2m", "3m", "4m", "5m", "6m", "7m", "8m", "9m", "1p", "5p", "9p",
         "1s", "5s", "9s", "東", "南", "西", "北", "白", "發", "中"]
ROUND_NAMES = ["東1局", "東2局", "東3局", "東4局", "南1局", "南2局", "南3局", "南4局"]
RESULT_FIELD_BYTES = 20


def sjis(text):
    return text.encode("cp932")


def float32(value):
    return struct.unpack("f", struct.pack("f", value))[0]


def g3(value):
    return "%.3g" % float32(value)


class Game:
    __slots__ = ("kind", "kinds", "chat", "written", "players", "results", "no_rank", "table")

    def __init__(self, kind, kinds, chat, written, players, results, no_rank, table):
        self.kind = kind          # index into KINDS: the game played
        self.kinds = kinds        # the kinds its header names
        self.chat = chat          # chat table: never counts
        self.written = written    # whole result lines written; None: all, -1: no results
        self.players = players    # handles in seat order
        self.results = results    # (rank, handle, score) in results order
        self.no_rank = no_rank    # index of a result entry whose field holds no number, or None
        self.table = table


def make_game(rng, users, cut=True):
    kind = rng.choices(range(3), KIND_WEIGHTS)[0]
    seats = 3 if kind == 2 else 4
    chat = rng.random() < 0.04
    others = [h for h in POOL if h not in users]
    players = rng.sample(others, seats)
    if rng.random() < 0.03:
        players[rng.randrange(seats)] = rng.choice(LONG)
    if rng.random() < 0.85:
        mine = rng.sample(users, min(len(users), 3 if rng.random() < 0.03 else 2 if rng.random() < 0.08 else 1))
        for own, seat in zip(mine, rng.sample(range(seats), len(mine))):
            players[seat] = own
    order = players[:]
    rng.shuffle(order)
    ranks = list(range(1, seats + 1))
    # Now and then two players share a rank: the draws of a report.
    if rng.random() < 0.05:
        i = rng.randrange(seats - 1)
        ranks[i + 1] = ranks[i]
    base = {1: (20, 80), 2: (-5, 25), 3: (-30, 5), 4: (-80, -20)}
    results = [(r, h, rng.randint(*base[r])) for r, h in zip(ranks, order)]
    # The results are listed by rank, but not always.
    if rng.random() < 0.03:
        rng.shuffle(results)
    table = "チャット中心卓" if chat else rng.choice(TABLES)
    kinds = {kind}
    if not chat and rng.random() < 0.03:
        other = rng.choice([k for k in range(3) if k != kind])
        table = KINDS[other] + "卓"
        kinds.add(other)
    written = None
    if cut and rng.random() < 0.03:
        written = rng.randrange(-1, seats)
    no_rank = rng.randrange(seats) if rng.random() < 0.01 else None
    return Game(kind, kinds, chat, written, players, results, no_rank, table)


def entry_text(index, rank, handle, no_rank=False):
    """The result line's text before its score; the field of every entry
    but the first begins with the line break before it."""
    return ("\n" if index else "") + "  %s位 %s" % ("-" if no_rank else rank, handle)


def game_lines(rng, game, number, stamp, in_progress=False):
    """The game's lines, and whether its last line stops in the middle (the
    next game's header then follows on the same line, or on a line of its own)."""
    day, minute = stamp
    time_text = "2016/%02d/%02d %02d:%02d" % (day // 28 % 12 + 1, day % 28 + 1, minute // 60 % 24, minute % 60)
    lines = ["===== %s：%s %d卓 開始 %s =====" % (KINDS[game.kind], game.table, number, time_text)]
    points = 35000 if game.kind == 2 else 27000
    seats = " ".join("[%d]%s R%d" % (i + 1, h, rng.randint(1200, 2100)) for i, h in enumerate(game.players))
    lines.append("  持点%d %s" % (points, seats))
    rounds = rng.randint(4, 12) if not in_progress else rng.randint(1, 3)
    for r in range(rounds):
        who = rng.choice(game.players)
        line = "  %s %d本場(リーチ%d) %s %d点 %s" % (
            ROUND_NAMES[r % 8], rng.randint(0, 2), rng.randint(0, 2), who,
            rng.choice([1000, 2000, 3900, 8000, 12000]), rng.choice(["ロン", "ツモ", "流局"]))
        if rng.random() < 0.02:
            line += " " + "".join(rng.choice(TILES) for _ in range(120))  # a line read in pieces
        lines.append(line)
        hand = "".join(rng.choice(TILES) for _ in range(13))
        lines.append("    [%d%s]%s" % (rng.randint(1, len(game.players)), rng.choice("東南西北"), hand))
    if in_progress:
        return lines, False
    if game.written == -1:
        return cut_line(rng, lines), True
    lines.append("  ---- 試合結果 ----")
    for i, (rank, handle, score) in enumerate(game.results):
        if game.written is not None and i == game.written:
            lines.append(entry_text(0, rank, handle, i == game.no_rank))
            return cut_line(rng, lines), True
        field = sjis(entry_text(0, rank, handle, i == game.no_rank)).ljust(RESULT_FIELD_BYTES)
        lines.append(field.decode("cp932") + "%+d" % score)
    if game.written is not None:
        return lines, False
    lines.append("----- %d卓 終了 %s -----" % (number, time_text))
    lines.append("")
    return lines, False


def cut_line(rng, lines):
    """Cuts the last line somewhere inside it, at a character boundary."""
    last = lines[-1]
    lines[-1] = last[:rng.randrange(1, len(last) + 1)]
    return lines


def entries_read(game, kind):
    """The entries a reader of `kind` reads of the game, or None when the
    record does not count for that kind."""
    if kind not in game.kinds or game.chat or game.written == -1:
        return None
    wanted = 3 if kind == 2 else 4
    written = len(game.results) if game.written is None else game.written
    if written < wanted:
        return None
    entries = []
    for i, (rank, handle, score) in enumerate(game.results[:wanted]):
        text = sjis(entry_text(i, rank, handle))
        if i == game.no_rank or len(text) > RESULT_FIELD_BYTES:
            return None  # no number at the field's start, or the score read begins inside the handle
        found = len(text) + 1 <= RESULT_FIELD_BYTES  # a space after the handle within the field
        entries.append((rank, handle if found else None, score))
    return entries


class Expectation:
    def __init__(self, users, target, table_type):
        self.users = [u for u in users if u]
        self.target = target
        self.table_type = table_type
        self.t = [0] * 7  # wins losses draws uss urs tss trs

    def add(self, game):
        entries = entries_read(game, self.table_type)
        if entries is None:
            return
        if self.target not in game.players or not any(u in game.players for u in self.users):
            return
        theirs = [e for e in entries if e[1] == self.target]
        if self.target in self.users:
            mine = theirs
        else:
            placed = [e for e in entries if e[1] in self.users]
            mine = [min(placed, key=lambda e: e[0])] if placed else []
        if not mine or not theirs:
            return
        user_rank, target_rank = mine[-1][0], theirs[-1][0]
        t = self.t
        t[0 if user_rank < target_rank else 1 if user_rank > target_rank else 2] += 1
        for rank, _, score in mine:
            t[3] += score
            t[4] += rank
        for rank, _, score in theirs:
            t[5] += score
            t[6] += rank

    def report(self):
        wins, losses, draws, uss, urs, tss, trs = self.t
        n = wins + losses + draws
        if n == 0:
            return "試合の記録がありません"
        if self.target in self.users:
            return "試合数 %d 平均順位 %s 平均得点 %s" % (n, g3(urs / n), g3(uss / n))
        text = "%d勝%d敗" % (wins, losses)
        if draws:
            text += "%d分" % draws
        return text + " 平均順位%s：%s 平均得点%s：%s" % (g3(urs / n), g3(trs / n), g3(uss / n), g3(tss / n))

    def line(self):
        return "\t".join([str(self.table_type), self.target] + [str(v) for v in self.t] + [self.report()])


def main():
    parser = argparse.ArgumentParser(description=__doc__.split("\n\n")[0])
    parser.add_argument("--out", required=True)
    size = parser.add_mutually_exclusive_group()
    size.add_argument("--records", type=int, default=1000)
    size.add_argument("--bytes", type=int)
    parser.add_argument("--seed", type=int, default=1)
    parser.add_argument("--lf", action="store_true")
    parser.add_argument("--users", default="me1,me2,me3")
    parser.add_argument("--in-progress", action="store_true")
    parser.add_argument("--expect")
    parser.add_argument("--targets", default="")
    args = parser.parse_args()

    rng = random.Random(args.seed)
    users = [u for u in args.users.split(",")]
    players_of_users = [u for u in users if u]
    if not players_of_users:
        sys.exit("--users needs at least one handle")
    if args.targets == "all":
        targets = POOL + LONG + players_of_users + ["nobody"]
    else:
        targets = [t for t in args.targets.split(",") if t]
    expectations = [Expectation(users, t, k) for k in range(3) for t in targets]
    newline = b"\n" if args.lf else b"\r\n"

    written = 0
    number = 0
    stops_inside = False  # the last line written stops in the middle
    with open(args.out, "wb") as out:
        while True:
            if args.bytes is not None:
                if written >= args.bytes:
                    break
            elif number >= args.records:
                break
            number += 1
            game = make_game(rng, players_of_users)
            lines, cut_inside = game_lines(rng, game, number, (number // 40, number * 7))
            chunk = newline.join(sjis(line) for line in lines)
            # After a line the client stopped writing, the next game's header
            # follows on the same line or on a line of its own.
            if stops_inside and rng.random() < 0.5:
                chunk = newline + chunk
            stops_inside = cut_inside
            if not cut_inside:
                chunk += newline
            out.write(chunk)
            written += len(chunk)
            for e in expectations:
                e.add(game)
        if args.in_progress:
            game = make_game(rng, players_of_users, cut=False)
            while game.kind == 2:  # a four-player table: its start line holds "持点27000"
                game = make_game(rng, players_of_users, cut=False)
            lines, _ = game_lines(rng, game, number + 1, (0, 0), True)
            chunk = newline.join(sjis(line) for line in lines) + newline
            if stops_inside:
                chunk = newline + chunk
            out.write(chunk)
            sys.stdout.buffer.write(sjis("\t".join(game.players)) + b"\n")
    if args.expect:
        with open(args.expect, "wb") as out:
            for e in expectations:
                out.write(sjis(e.line()) + b"\n")


if __name__ == "__main__":
    main()
