"""The manual page and --help describe the same options with the same value
words, and every one of them is taken by the program.  Run by CTest as
    python3 help_test.py CELLPLOT MAN_PAGE
"""
import re
import subprocess
import sys

CELLPLOT, MAN_PAGE = sys.argv[1], sys.argv[2]

# An option as both texts spell it: "--format=ascii|binary", "--output=N", "-h",
# "--cell-arrays=level,piece" (words to choose from, or to list).
OPTION = re.compile(r"(?<![\w-])(--?[a-z][a-z-]*(?:=[A-Za-z0-9|,-]+)?)")


def man_options():
    """The options named on the tag line of each .TP entry of OPTIONS."""
    lines = open(MAN_PAGE).read().splitlines()
    section = lines[lines.index(".SH OPTIONS") + 1:]
    section = section[:next(i for i, l in enumerate(section) if l.startswith(".SH "))]
    found = set()
    for i, line in enumerate(section):
        if line == ".TP":
            tag = re.sub(r"\\f[BRI]", "", section[i + 1]).replace("\\-", "-")
            found.update(OPTION.findall(tag))
    return found


def help_options():
    """The options named at the start of the option lines of --help."""
    text = subprocess.run([CELLPLOT, "--help"], capture_output=True, text=True, check=True).stdout
    found = set()
    for line in text.splitlines():
        if re.match(r"  -", line):
            found.update(OPTION.findall(line.split("  ")[1]))
    return found


man, shown = man_options(), help_options()
assert man == shown, ("only in the manual page", man - shown, "only in --help", shown - man)
assert len(man) == 18, sorted(man)
for option in sorted(man):
    name, _, values = option.partition("=")
    # Each value word is taken (with --help, nothing is converted); a
    # placeholder in capitals is not a word.
    for value in [v for v in re.split(r"[|,]", values) if v.islower()] or [None]:
        if value is None:
            args = [name + "=7" if values else name]  # --output=N
            if name == "-j":
                args = ["-j", "7"]
        else:
            args = [name + "=" + value]
        if name in ("--precision", "--compress"):
            args.insert(0, "--format=binary")  # they shape binary data only
        run = subprocess.run([CELLPLOT, *args, "--help"], capture_output=True, text=True)
        assert run.returncode == 0 and run.stderr == "", (args, run.stderr)
print("ok")
