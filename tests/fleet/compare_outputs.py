#!/usr/bin/env python3
"""quillmoor-report's JSON and Prometheus metrics against its text report,
value for value, on a drive set: identity, capacity, volumes, temperature,
health and every row of every drive. With the schema's document, its example
must have exactly the keys the real JSON has.

    compare_outputs.py REPORT FOLDER [SCHEMA.md]
"""
import json
import re
import subprocess
import sys

STATUS = {"良好": "good", "注意": "caution", "危険": "bad", "不明": None}
LEVEL = {"good": 0, "caution": 1, "bad": 2}
# NVMe rows (id as shown) and the health log's field in smartctl's names.
NVME_FIELDS = {
    "00": "critical_warning", "01": "temperature", "03": "available_spare",
    "04": "available_spare_threshold", "05": "percentage_used", "20": "data_units_read",
    "30": "data_units_written", "40": "host_reads", "50": "host_writes",
    "60": "controller_busy_time", "70": "power_cycles", "80": "power_on_hours",
    "90": "unsafe_shutdowns", "A0": "media_errors", "B0": "num_err_log_entries",
    "C0": "warning_temp_time", "C4": "critical_comp_time",
}
COUNTERS = {"data_units_read", "data_units_written", "host_reads", "host_writes", "controller_busy_time",
            "power_cycles", "power_on_hours", "unsafe_shutdowns", "media_errors", "num_err_log_entries"}

problems = []


def check(condition, what):
    if not condition:
        problems.append(what)


def run(*args):
    return subprocess.run([sys.argv[1], "--simulate", sys.argv[2], *args], check=True,
                          capture_output=True).stdout.decode("utf-8")


def text_drives(text):
    """slot -> {"info": {label: value}, "rows": [[status, id, name, current, threshold, worst, raw]]}"""
    drives, drive, table = {}, None, False
    for line in text.split("\n"):
        heading = re.match(r"^== slot (\d+) ", line)
        if heading:
            drive = drives.setdefault(int(heading.group(1)), {"info": {}, "rows": []})
            table = False
        elif line == "":
            drive = None
        elif drive is None:
            continue
        elif line.startswith("状態\tID\t"):
            table = True
        elif table:
            drive["rows"].append(line.split("\t"))
        else:
            label, _, value = line.partition("\t")
            drive["info"][label] = value
    return drives


def capacity_text(size, sector):
    """What the program shows for a disk of `size` bytes: whole cylinders of 255 x 63 sectors."""
    cylinder = 255 * 63 * sector
    size = size // cylinder * cylinder
    for shift, suffix in ((40, " TB"), (30, " GB"), (20, " MB"), (10, " KB")):
        if size >= 1 << shift or shift == 10:
            unit = 1 << shift
            hundredths = (size >> shift) * 100 + (((size & (unit - 1)) * 100 + unit // 2) >> shift)
            return f"{hundredths // 100:,}.{hundredths % 100:02d}{suffix}"


def metric_number(shown):
    if shown == "":
        return None
    return str(int(shown, 16)) if shown.startswith("0x") else shown


def compare_json(slot, want, drive):
    info, rows = want["info"], want["rows"]
    check(drive["slot"] == slot, f"slot {slot}: slot")
    for label, key in (("モデル", "model_name"), ("シリアルNo", "serial_number"), ("ファームウェア", "firmware_version")):
        check(drive[key] == info[label], f"slot {slot}: {key} {drive[key]!r} != {info[label]!r}")
    capacity = drive.get("user_capacity", {}).get("bytes")
    shown = capacity_text(capacity, drive["logical_block_size"]) if capacity else ""
    check(shown == info["ディスク容量"], f"slot {slot}: capacity {capacity} ({shown}) != {info['ディスク容量']}")
    check(" ".join(drive["volumes"]) == info["ドライブレター"], f"slot {slot}: volumes")
    temperature = drive.get("temperature", {}).get("current")
    shown = "--" if temperature is None else str(temperature)
    check(shown == info["現在の温度"], f"slot {slot}: temperature {shown} != {info['現在の温度']}")
    check(len(drive["rows"]) == len(rows), f"slot {slot}: {len(drive['rows'])} rows, the text has {len(rows)}")
    for got, (status, *cells) in zip(drive["rows"], rows):
        mine = [got[k] for k in ("id", "name", "current", "threshold", "worst", "raw")]
        check(mine == cells and got["status"] == STATUS[status], f"slot {slot}: row {got} != {status} {cells}")
    marks = [STATUS[row[0]] for row in rows if STATUS[row[0]]]
    state = max(marks, key=LEVEL.get) if marks else None
    health = drive["health"]
    check(health["state"] == state and health["value"] == LEVEL.get(state), f"slot {slot}: health {health}")
    reasons = [[r["id"], r["name"], r["raw"], r["status"]] for r in health["reasons"]]
    check(reasons == [[row[1], row[2], row[6], STATUS[row[0]]] for row in rows if STATUS[row[0]] not in ("good", None)],
          f"slot {slot}: reasons {reasons}")
    if drive["device"]["protocol"] == "ATA":
        table = drive["ata_smart_attributes"]["table"]
        mine = [[str(a["id"]), a["name"], str(a["value"]), str(a["thresh"]), str(a["worst"]), str(a["raw"]["value"]),
                 a["raw"]["string"]] for a in table]
        check(mine == [cells + [cells[5]] for _, *cells in rows], f"slot {slot}: ata_smart_attributes")
    else:
        log = drive["nvme_smart_health_information_log"]
        for _, ident, _, _, _, _, raw in rows:
            if ident in NVME_FIELDS:
                field = NVME_FIELDS[ident]
                check(str(log.get(field)) == metric_number(raw), f"slot {slot}: {field} {log.get(field)} != {raw}")
                if field in COUNTERS:
                    check(log[field + "_s"] == raw, f"slot {slot}: {field}_s")
        sensors = [int(raw) for _, ident, _, _, _, _, raw in rows if ident in ("C8", "CA", "CC", "CE", "D0", "D2", "D4", "D6")]
        check(log["temperature_sensors"] == sensors, f"slot {slot}: temperature_sensors")


SAMPLE = re.compile(r'^(\w+)\{(.*)\} (\S+)$')
LABEL = re.compile(r'(\w+)="((?:[^"\\]|\\.)*)",?')


def metrics(text):
    """(name, frozenset of labels) -> value"""
    out = {}
    for line in text.split("\n"):
        if not line or line.startswith("#"):
            continue
        name, labels, value = SAMPLE.match(line).groups()
        out[(name, frozenset(LABEL.findall(labels)))] = value
    return out


def compare_metrics(slot, want, series, device):
    info, rows = want["info"], want["rows"]
    drive = {("device", device), ("serial", info["シリアルNo"])}

    def value(name, extra=()):
        return series.get((name, frozenset(drive | set(extra))))

    check(value("quillmoor_device_awake") == "1", f"slot {slot}: awake")
    kind = "nvme" if info["シリンダ数"] == "-" else "ata"
    check(value("quillmoor_device_info", {("slot", str(slot)), ("kind", kind), ("model", info["モデル"]),
                                          ("firmware", info["ファームウェア"])}) == "1", f"slot {slot}: info")
    check(value("quillmoor_device_read_timestamp_seconds") is not None, f"slot {slot}: read time")
    temperature = info["現在の温度"]
    check(value("quillmoor_device_temperature_celsius") == (None if temperature == "--" else temperature),
          f"slot {slot}: temperature")
    marks = [LEVEL[STATUS[row[0]]] for row in rows if STATUS[row[0]]]
    check(value("quillmoor_device_health") == (str(max(marks)) if marks else None), f"slot {slot}: health")
    for status, ident, name, current, threshold, worst, raw in rows:
        row = {("id", ident), ("name", name)}
        for family, shown in (("current", current), ("worst", worst), ("threshold", threshold), ("raw", raw)):
            got = value("quillmoor_attribute_" + family, row)
            check(got == metric_number(shown), f"slot {slot}: row {ident} {family} {got} != {shown!r}")
        level = LEVEL.get(STATUS[status])
        check(value("quillmoor_attribute_status", row) == (None if level is None else str(level)),
              f"slot {slot}: row {ident} status")


def key_paths(value, path=""):
    """Every key of a JSON value as a path ("drives[].device.name")."""
    if isinstance(value, dict):
        paths = set()
        for key, inner in value.items():
            paths |= {path + "." + key} | key_paths(inner, path + "." + key)
        return paths
    if isinstance(value, list):
        return set().union(*(key_paths(inner, path + "[]") for inner in value))
    return set()


def compare_schema_example(document, schema):
    with open(schema, encoding="utf-8") as f:
        example = json.loads(re.search(r"```json\n(.*?)```", f.read(), re.S).group(1))
    mine, shown = key_paths(document), key_paths(example)
    check(mine == shown, f"{schema}: the example lacks {sorted(mine - shown)} and has {sorted(shown - mine)}")


def main():
    text = text_drives(run())
    document = json.loads(run("--json"))
    check(document["json_format_version"] == [1, 0], "json_format_version")
    drives = {d["slot"]: d for d in document["drives"]}
    check(sorted(drives) == sorted(text), f"JSON slots {sorted(drives)} != text slots {sorted(text)}")
    if len(sys.argv) > 3:
        compare_schema_example(document, sys.argv[3])
    series = metrics(run("--prometheus"))
    for slot, want in sorted(text.items()):
        if slot in drives:
            compare_json(slot, want, drives[slot])
            compare_metrics(slot, want, series, drives[slot]["device"]["name"].removeprefix("/dev/"))
    rows = sum(len(want["rows"]) for want in text.values())
    for problem in problems:
        print("compare_outputs:", problem)
    if problems:
        sys.exit(1)
    print(f"compare_outputs: {len(text)} drives, {rows} rows: JSON and metrics agree with the text report")


main()
