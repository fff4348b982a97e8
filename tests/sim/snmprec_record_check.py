#!/usr/bin/env python3
"""The recorder's reading of snmpwalk output, on its own:

- every value form snmpwalk prints becomes the snmprec line tqx-sim reads back as the same value;
- octet strings of any bytes come back byte for byte, in one line or broken over several;
- mutated and random output (a hostile or broken agent) never makes it fail, and whatever it keeps is a
  well-formed snmprec line.

    snmprec_record_check.py RECORDER [ITERATIONS]
"""

import importlib.util
import random
import re
import sys

found = importlib.util.spec_from_file_location("snmprec_record", sys.argv[1])
rec = importlib.util.module_from_spec(found)
found.loader.exec_module(rec)
iterations = int(sys.argv[2]) if len(sys.argv) > 2 else 20000

failures = []


def check(condition, text):
    if not condition:
        failures.append(text)


def parse(text):
    warnings = []
    return rec.parse(text, warnings.append), warnings


# The value forms, as snmpwalk -On -Oe -Ox prints them.
cases = [
    (".1.3.6.1.2.1.1.1.0 = Hex-STRING: 4C 69 6E 75 78 ", ("4", "Linux")),
    (".1.3.6.1.2.1.1.5.0 = Hex-STRING: 42 C3 BC 72 6F ", ("4x", "42c3bc726f")),
    (".1.3.6.1.2.1.2.2.1.6.1 = \"\"", ("4", "")),
    (".1.3.6.1.2.1.1.2.0 = OID: .1.3.6.1.4.1.8072.3.2.10", ("6", "1.3.6.1.4.1.8072.3.2.10")),
    (".1.3.6.1.2.1.1.3.0 = Timeticks: (13081) 0:02:10.81", ("67", "13081")),
    (".1.3.6.1.2.1.1.3.0 = 4294967295", ("67", "4294967295")),
    (".1.3.6.1.2.1.2.2.1.8.1 = INTEGER: 1", ("2", "1")),
    (".1.3.6.1.2.1.4.1.0 = INTEGER: -2147483648", ("2", "-2147483648")),
    (".1.3.6.1.2.1.2.2.1.10.1 = Counter32: 4294967295", ("65", "4294967295")),
    (".1.3.6.1.2.1.2.2.1.5.1 = Gauge32: 10000000", ("66", "10000000")),
    (".1.3.6.1.2.1.31.1.1.1.6.1 = Counter64: 18446744073709551615", ("70", "18446744073709551615")),
    (".1.3.6.1.2.1.4.20.1.1.127.0.0.1 = IpAddress: 127.0.0.1", ("64", "127.0.0.1")),
    (".1.3.6.1.2.1.1.8.0 = NULL", ("5", "")),
]
for line, expected in cases:
    objects, warnings = parse(line + "\n")
    oid = line.split(" = ")[0].lstrip(".")
    check(objects.get(oid) == expected, "%r gave %r" % (line, objects.get(oid)))

# Out of range, types without an snmprec form, and the stand-ins for a value are left out.
for line in [".1.3.6.1.2.1.4.1.0 = INTEGER: 2147483648", ".1.3.6.1.2.1.2.2.1.10.1 = Counter32: 4294967296",
             ".1.3.6.1.2.1.4.20.1.1.1.2.3.4 = IpAddress: 1.2.3.256", ".1.3.6.1.4.1.2021.10.1.6.1 = Opaque: Float: 0.7",
             ".1.3.6.1.2.1.1.9.1.2.2 = No more variables left in this MIB View (It is past the end of the MIB tree)",
             ".1.3.6.1.2.1.1.1.0 = No Such Object available on this agent at this OID",
             ".1.3.6.1.2.1.1.1.0 = Hex-STRING: 4G ", ".1.3.6.1.2.1.1.1.0 = STRING: \"a\\\"b\""]:
    objects, warnings = parse(line + "\n")
    check(not objects, "%r was kept as %r" % (line, objects))
    check("No more" in line or "No Such" in line or warnings, "%r left out without a word" % line)

# The end of a walk names the last object again; it must not replace that object's value.
objects, _ = parse(".1.3.6.9.1 = INTEGER: 7\n.1.3.6.9.1 = No more variables left in this MIB View\n")
check(objects == {"1.3.6.9.1": ("2", "7")}, "the end of the walk replaced a value: %r" % objects)

# Any bytes, printed in one line or 16 to a line as the tools do without --hexOutputLength=0.
rnd = random.Random(7)
for n in list(range(0, 40)) + [255, 256, 1000]:
    data = bytes(rnd.randrange(256) for _ in range(n)) if n % 3 else bytes(rnd.randrange(32, 127) for _ in range(n))
    hexed = ["%02X" % b for b in data]
    for width in (0, 16):
        if not data:
            text = '""'
        elif width:
            text = "Hex-STRING: " + " \n".join(" ".join(hexed[i:i + width]) for i in range(0, n, width)) + " "
        else:
            text = "Hex-STRING: " + " ".join(hexed) + " "
        objects, _ = parse(".1.3.6.9.%d = %s\n.1.3.6.9.99999 = INTEGER: 1\n" % (n + 1, text))
        tag, value = objects.get("1.3.6.9.%d" % (n + 1), (None, None))
        back = value.encode("ascii") if tag == "4" else bytes.fromhex(value or "") if tag == "4x" else None
        check(back == data, "%d bytes (width %d) came back as %r %r" % (n, width, tag, value))
        check(objects.get("1.3.6.9.99999") == ("2", "1"), "the object after a %d-byte string was lost" % n)

# Mutations of real output: no exception, and every kept object is a line tqx-sim's reader takes.
SAMPLE = "\n".join(line for line, _ in cases) + "\n.1.3.6.1.4.1.2021.10.1.6.1 = Opaque: Float: 0.7\n"
LINE_FORMS = {
    "2": re.compile(r"-?[0-9]+"), "4": re.compile(r"[\x20-\x7e]*"), "4x": re.compile(r"([0-9a-f]{2})*"),
    "5": re.compile(r""), "6": re.compile(r"[0-9]+(\.[0-9]+)+"),
    "64": re.compile(r"[0-9]{1,3}(\.[0-9]{1,3}){3}"), "65": re.compile(r"[0-9]+"), "66": re.compile(r"[0-9]+"),
    "67": re.compile(r"[0-9]+"), "70": re.compile(r"[0-9]+"),
}
alphabet = " .:=\"()\n-0123456789ABCDEFx\u0661\uff11" + "INTEGER Hex-STRING Counter64 IpAddress OID Timeticks NULL"
for i in range(iterations):
    text = list(SAMPLE)
    for _ in range(rnd.randrange(1, 8)):
        op = rnd.randrange(4)
        pos = rnd.randrange(len(text) + 1)
        if op == 0 and text:
            del text[min(pos, len(text) - 1)]
        elif op == 1:
            text.insert(pos, rnd.choice(alphabet))
        elif op == 2:
            text.insert(pos, chr(rnd.randrange(0x110000) if rnd.random() < 0.1 else rnd.randrange(256)))
        else:
            cut = rnd.randrange(len(text) + 1)
            text[pos:pos] = text[cut:cut + rnd.randrange(30)]
    mutated = "".join(text)
    try:
        objects, _ = parse(mutated)
    except Exception as e:  # noqa: BLE001 - any escape is the fault being looked for
        check(False, "%r raised %r" % (mutated, e))
        continue
    for oid, (tag, value) in objects.items():
        form = LINE_FORMS.get(tag)
        arcs = oid.split(".")
        ok = (re.fullmatch(r"[0-9]+(\.[0-9]+)+", oid) and len(arcs) <= 128 and all(int(a) <= 0xFFFFFFFF for a in arcs)
              and form is not None and form.fullmatch(value) and "\n" not in value)
        if ok and tag == "6":
            ok = len(value.split(".")) <= 128 and all(int(a) <= 0xFFFFFFFF for a in value.split("."))
        if ok and tag == "64":
            ok = all(int(p) <= 255 for p in value.split("."))
        if ok and tag == "2":
            ok = -(2 ** 31) <= int(value) < 2 ** 31
        if ok and tag in ("65", "66", "67"):
            ok = int(value) <= 0xFFFFFFFF
        if ok and tag == "70":
            ok = int(value) <= 0xFFFFFFFFFFFFFFFF
        check(ok, "%r kept %s as %r %r" % (mutated, oid, tag, value))

for f in failures[:20]:
    print("FAIL:", f)
print("%d failures" % len(failures))
sys.exit(1 if failures else 0)
