"""Parses what `mirvostan-cli show --json` printed with Python's json module
and checks it against the virtual mouse's memory file of that moment."""
import json
import sys

NAMES = {(0, 1): "left-click", (0, 2): "right-click", (0, 4): "middle-click", (0, 8): "back",
         (0, 16): "forward", (1, 0x01, 0x06): "copy"}
BUTTONS = {"left": 0, "middle": 1, "right": 2, "button4": 3, "button5": 4}
RATES = {8: 125, 2: 500, 1: 1000}


def memory(path):
    records, dpi = {}, None
    for line in open(path, encoding="ascii"):
        words = line.split("#")[0].split()
        if words[:1] == ["record"]:
            records[int(words[1])] = [int(x, 16) for x in words[2:11]]
        elif words[:1] == ["dpi"]:
            dpi = int(words[1])
    return [records[s] for s in range(20)], dpi


def main(json_path, memory_path):
    shown = json.load(open(json_path, encoding="ascii"))
    records, dpi = memory(memory_path)
    assert sorted(shown) == ["buttons", "dpi", "format", "rate_hz", "records", "swap_wheel"], sorted(shown)
    assert shown["format"] == 1
    assert [[int(x, 16) for x in r.split()] for r in shown["records"]] == records, "records differ from the memory file"
    assert shown["dpi"] == dpi * 200, (shown["dpi"], dpi)
    assert shown["rate_hz"] == RATES.get(records[9][4]), shown["rate_hz"]
    assert shown["swap_wheel"] == (records[7][4] == 64 and records[8][4] == 32)
    assert sorted(shown["buttons"]) == sorted(BUTTONS), shown["buttons"]
    for button, slot in BUTTONS.items():
        r = records[slot]
        key = (r[3], r[4]) if r[3] == 0 else (r[3], r[4], r[6])
        if key in NAMES:
            assert shown["buttons"][button] == NAMES[key], (button, shown["buttons"][button])
        else:
            assert shown["buttons"][button].startswith(("keys:", "media:", "raw:")), shown["buttons"][button]
    print("show --json: %d records, %d DPI, %s Hz match the memory file" % (len(records), shown["dpi"], shown["rate_hz"]))


if __name__ == "__main__":
    main(sys.argv[1], sys.argv[2])
