#!/usr/bin/env python3
"""Prints a JSON-lines page transcript with the values that depend on the machine and the
moment (the OS name, the browser version, the time of the check) replaced by placeholders,
so that two runs on different machines compare equal line by line.

With --settle-installs it also drops what the install worker's timing decides: the download
progress and install status lines (the worker overwrites a status word that a timer shows
later, so which of them appear varies), and of the final steps that follow the repair's
verdict (one per installer run, started while later jobs still run) every one but the last,
which reports the state once every install is over."""

import json
import sys

DOWNLOAD_PROGRESS = (0, 1)
STATUS = (0, 2)
INSTALL_STATUSES = (1, 2, 3)
REPAIR_DONE = 2999
FINAL_STEP_STATUS = 1016
VERDICT = (0, 3)

PLACEHOLDERS = {(1, 1): "<os>", (1, 8): "<browser>", (0, 4): "<time>"}


def normalize(line):
    call = json.loads(line)
    args = call["args"]
    if call["fn"] == "setState" and (args[0], args[1]) in PLACEHOLDERS:
        args[2] = PLACEHOLDERS[(args[0], args[1])]
    return json.dumps(call, ensure_ascii=False, separators=(",", ":"))


def key(call):
    args = call["args"]
    return (args[0], args[1]) if call["fn"] == "setState" and len(args) == 3 else None


def is_worker_line(call):
    k = key(call)
    return k == DOWNLOAD_PROGRESS or (k == STATUS and call["args"][2] in INSTALL_STATUSES)


def settle_installs(calls):
    calls = [call for call in calls if not is_worker_line(call)]
    repair_end = next((i for i, call in enumerate(calls)
                       if key(call) == STATUS and call["args"][2] == REPAIR_DONE), None)
    if repair_end is None:
        return calls
    verdict = next((i for i in range(repair_end, len(calls)) if key(calls[i]) == VERDICT), None)
    if verdict is None:
        return calls
    tail = calls[verdict + 1:]
    starts = [i for i, call in enumerate(tail)
              if key(call) == STATUS and call["args"][2] == FINAL_STEP_STATUS]
    return calls[:verdict + 1] + (tail[starts[-1]:] if starts else tail)


def main():
    settle = "--settle-installs" in sys.argv[1:]
    path = [argument for argument in sys.argv[1:] if not argument.startswith("--")][0]
    with open(path, encoding="utf-8") as transcript:
        calls = [json.loads(normalize(line)) for line in transcript if line.strip()]
    if settle:
        calls = settle_installs(calls)
    for call in calls:
        print(json.dumps(call, ensure_ascii=False, separators=(",", ":")))


if __name__ == "__main__":
    main()
