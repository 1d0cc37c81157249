#!/usr/bin/env python3
"""Stand-in for the build script, tools/quillmarch_build.py. It honours the launcher's contract:
the arguments --game ID [--wbfs IMAGE] [--mod FILE_OR_FOLDER] (and whatever --prepare passes),
progress lines "## " (step), "%% " (percent) and "ERROR: " on its output, exit code 0 for success,
and the files of a ready game, with every by-product a removal deletes.

It first prints its arguments as one line "args: [...]" (JSON) so tests can see them intact.
QM_STANDIN_BUILD, a comma-separated list, sets its behaviour:
  pace=SECONDS   pause between steps (default 0.05)
  fail=TEXT      print "ERROR: TEXT" half way and exit with 1
  exit=N         end with code N without leaving a ready game
  noerror        with exit=N: print no ERROR line
The game's executable is a copy of $QM_STANDIN_GAME_EXE, else of runtime/build/tarnwick when it
exists, else an empty placeholder.
"""
import json
import os
import shutil
import sys
import time

GAMES = {
    "brawl": ("build", None, None),
    "pplus": ("build_pplus", "Project+.v3.2.1.Wii/Project+ v3.2.1 (Wii)", "Project+"),
    "rex": ("build_rex", "REX Release 0\u00bd Hotfix 1 - Wii/REX Release 0\u00bd Hotfix 1 - Wii", "rex_"),
}
ANALYSIS = (".functions.toml", ".branches.bin", ".jumptargets.bin", ".layout.bin", ".layout.json",
            ".splices.bin", ".toggles.bin")


def behaviour():
    result = {"pace": 0.05}
    for item in filter(None, os.environ.get("QM_STANDIN_BUILD", "").split(",")):
        key, _, value = item.partition("=")
        result[key] = value if value else True
    return result


def write(path, content=""):
    os.makedirs(os.path.dirname(path) or ".", exist_ok=True)
    with open(path, "w", encoding="utf-8") as f:
        f.write(content)


def fail(text):
    print("ERROR: " + text)
    return 1


def main(argv):
    print("args: " + json.dumps(argv, ensure_ascii=False))
    options, i = {}, 0
    while i < len(argv):
        if argv[i] in ("--game", "--wbfs", "--mod") and i + 1 < len(argv):
            options[argv[i]] = argv[i + 1]
            i += 2
        else:
            i += 1
    if "--prepare" in argv and "--game" not in options:
        print("## Nothing to prepare")
        return 0
    how = behaviour()
    pace = float(how["pace"])
    game = options.get("--game")
    if game not in GAMES:
        return fail("Unknown game: %s" % game)
    build_folder, source_folder, marker = GAMES[game]

    disc = options.get("--wbfs")
    if disc is not None:
        if not os.path.isfile(disc) or not os.access(disc, os.R_OK):
            return fail("Could not read the disc image %s" % disc)
    elif not os.path.exists("Disc/DATA/sys/main.dol"):
        return fail("The disc image is missing")
    mod = options.get("--mod")
    if source_folder:
        if mod is not None and not os.path.exists(mod):
            return fail("Could not read the mod download %s" % mod)
        if mod is None and not os.path.exists(os.path.join(source_folder, marker, "pf")):
            return fail("The mod download is missing")

    steps = [("Extracting the disc", 10), ("Copying the mod files", 27), ("Analysing the game", 45),
             ("Recompiling", 70), ("Linking", 90), ("Finishing", 100)]
    for number, (step, percent) in enumerate(steps):
        print("## " + step)
        time.sleep(pace)
        print("%% " + str(percent))
        if number == 2 and "fail" in how:
            return fail(how["fail"])
        if number == 0:
            write("Disc/DATA/sys/main.dol")
        if number == 1 and source_folder:
            write(os.path.join(source_folder, marker, "pf", "marker.txt"))
    if "exit" in how:
        if "noerror" not in how:
            print("ERROR: Stopped as told")
        return int(how["exit"])

    build = os.path.join("runtime", build_folder)
    write(os.path.join("assets", game + ".elf"))
    for suffix in ANALYSIS:
        write(os.path.join("assets", game + suffix))
    write(os.path.join(build, "game.dll"))
    write(os.path.join(build, "game.pdb"))
    for n in range(3):
        write(os.path.join(build, "gameobj", "unit%d.o" % n))
    write(os.path.join("generated" if game == "brawl" else "generated_" + game, "sources.cpp"))
    version = "dev"
    if os.path.exists("VERSION"):
        with open("VERSION", encoding="utf-8") as f:
            version = (f.readline().rstrip() or "dev")
    write(os.path.join(build, "quillmarch_version.txt"), version + "\n")
    exe = os.path.join(build, "tarnwick")
    source = os.environ.get("QM_STANDIN_GAME_EXE") or os.path.join("runtime", "build", "tarnwick")
    if os.path.abspath(source) != os.path.abspath(exe):
        if os.path.exists(source):
            shutil.copy2(source, exe)
        elif not os.path.exists(exe):
            write(exe)
            os.chmod(exe, 0o755)
    print("## Done")
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv[1:]))
