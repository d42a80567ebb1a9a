#!/usr/bin/env python3
"""Writes NAME.log, the 512-byte SMART / Health Information log (NVMe log
page 02h), for every NAME.fields in this folder.

A .fields file holds the values a tool published for a real drive (see
README.md), one field per line, temperatures in degrees Celsius. The log is
laid out here from the health log's published field table, independently of the
program's own code: little-endian fields, kelvin = Celsius + 273, 16-byte
counters, eight temperature sensors (0 where none was published), and zero in
every field the listing does not give (reserved bytes, thermal management
counters that smartctl leaves out when they are zero).

Run it in this folder: python3 make_logs.py
"""
import glob
import struct

# field name -> (byte offset, size in bytes)
LAYOUT = {
    "critical_warning": (0, 1),
    "temperature": (1, 2),
    "available_spare": (3, 1),
    "available_spare_threshold": (4, 1),
    "percentage_used": (5, 1),
    "data_units_read": (32, 16),
    "data_units_written": (48, 16),
    "host_reads": (64, 16),
    "host_writes": (80, 16),
    "controller_busy_time": (96, 16),
    "power_cycles": (112, 16),
    "power_on_hours": (128, 16),
    "unsafe_shutdowns": (144, 16),
    "media_errors": (160, 16),
    "num_err_log_entries": (176, 16),
    "warning_temp_time": (192, 4),
    "critical_comp_time": (196, 4),
}
FIRST_SENSOR = 200


def put(log, offset, size, value):
    log[offset:offset + size] = value.to_bytes(size, "little")


for fields in sorted(glob.glob("*.fields")):
    log = bytearray(512)
    for line in open(fields, encoding="utf-8"):
        if line.startswith("#") or not line.strip():
            continue
        name, *values = line.split()
        if name == "temperature_sensors":
            for i, celsius in enumerate(values):
                put(log, FIRST_SENSOR + 2 * i, 2, int(celsius) + 273)
        elif name == "temperature":
            put(log, *LAYOUT[name], int(values[0]) + 273)
        else:
            put(log, *LAYOUT[name], int(values[0]))
    with open(fields[: -len(".fields")] + ".log", "wb") as out:
        out.write(bytes(log))
