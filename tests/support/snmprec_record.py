#!/usr/bin/env python3
"""Records an SNMP agent into an snmprec file that tqx-sim serves with --data.

    snmprec_record.py [-t SECONDS] [-r RETRIES] HOST:PORT COMMUNITY OUTFILE [ROOT]

Walks the agent below ROOT (default 1, the whole tree) with net-snmp's snmpwalk over SNMPv2c and
writes one "OID|TAG|VALUE" line per object, sorted by OID. Octet strings are written as hex
("4x|..."), so binary values come back byte for byte; objects of types tqx-sim does not serve
(Opaque, NsapAddress, UInteger32) are left out with a warning on standard error.

Exit status: 0 written, 1 the walk failed or found nothing (no file is written then), 2 bad arguments.
Each request waits -t SECONDS (default 2) with -r RETRIES (default 2), as snmpwalk's own options;
the whole walk may take SNMPREC_RECORD_TIMEOUT seconds (default 300).
"""

import os
import re
import shutil
import subprocess
import sys
import tempfile

USAGE = "usage: snmprec_record.py [-t SECONDS] [-r RETRIES] HOST:PORT COMMUNITY OUTFILE [ROOT]"

# One object of snmpwalk's output with -On: ".1.3.6 = TYPE: VALUE" (or a bare value for the forms
# without a type word).
LINE = re.compile(r"^\.?([0-9]+(?:\.[0-9]+)+) = (.*)$")
OID_TEXT = re.compile(r"^\.?[0-9]+(?:\.[0-9]+)+$")
HEX_BYTES = re.compile(r"^(?:[0-9A-Fa-f]{2}(?: |$))*$")
# Answers that stand in for a value: the walk's end and the SNMPv2 exceptions.
NOT_A_VALUE = ("No more variables left in this MIB View", "No Such Object available", "No Such Instance currently exists")
MAX_U32 = 0xFFFFFFFF
MAX_U64 = 0xFFFFFFFFFFFFFFFF


class Skip(Exception):
    """A value that has no snmprec form tqx-sim reads."""


def unsigned(text, limit):
    if not re.fullmatch(r"[0-9]{1,20}", text):
        raise ValueError("not a number: " + text)
    n = int(text)
    if n > limit:
        raise ValueError("out of range: " + text)
    return str(n)


def valid_oid(text, least):
    """Dotted numeric OID of least to 128 arcs, each at most 2^32-1, as tqx-sim reads them."""
    arcs = text.split(".")
    return (least <= len(arcs) <= 128 and all(re.fullmatch(r"[0-9]{1,10}", a) for a in arcs)
            and all(int(a) <= MAX_U32 for a in arcs))


def octets(data):
    """An octet string as plain text when it is printable ASCII (as tqx-sim writes its profiles), else hex."""
    if all(0x20 <= b < 0x7F for b in data):
        return "4", data.decode("ascii")
    return "4x", data.hex()


def convert(value):
    """snmpwalk's value text -> (tag, snmprec value)."""
    if value == '""':
        return "4", ""  # an empty octet string: the hex form prints no bytes
    if ": " in value:
        kind, rest = value.split(": ", 1)
    else:
        kind, rest = value.rstrip(":"), ""
    rest = rest.strip()
    if kind == "INTEGER":
        if not re.fullmatch(r"-?[0-9]{1,11}", rest):
            raise ValueError("bad INTEGER: " + rest)
        n = int(rest)
        if n < -(2 ** 31) or n >= 2 ** 31:
            raise ValueError("INTEGER out of range: " + rest)
        return "2", str(n)
    if kind == "Hex-STRING":
        if not HEX_BYTES.match(rest):
            raise ValueError("bad hex: " + rest)
        return octets(bytes.fromhex(rest))
    if kind == "STRING" and rest.startswith('"') and rest.endswith('"') and len(rest) >= 2:
        # Only when -Ox was not obeyed; keep it exact by refusing escapes we cannot undo.
        inner = rest[1:-1]
        if "\\" in inner:
            raise ValueError("escaped text cannot be recorded exactly")
        return octets(inner.encode("utf-8", "surrogateescape"))
    if kind == "OID":
        if not valid_oid(rest.lstrip("."), 2):
            raise ValueError("bad OID value: " + rest)
        return "6", rest.lstrip(".")
    if kind == "IpAddress":
        parts = rest.split(".")
        if len(parts) != 4 or not all(re.fullmatch(r"[0-9]{1,3}", p) and int(p) <= 255 for p in parts):
            raise ValueError("bad IpAddress: " + rest)
        return "64", ".".join(str(int(p)) for p in parts)
    if kind == "Counter32":
        return "65", unsigned(rest, MAX_U32)
    if kind == "Gauge32":
        return "66", unsigned(rest, MAX_U32)
    if kind == "Timeticks":
        # "Timeticks: (123) 0:00:01.23": the number in brackets is exact.
        m = re.match(r"^\(([0-9]+)\)", rest)
        return "67", unsigned(m.group(1) if m else rest, MAX_U32)
    if kind == "Counter64":
        return "70", unsigned(rest, MAX_U64)
    if kind == "NULL":
        return "5", ""
    if kind in ("Opaque", "UInteger32", "NsapAddress", "Network Address"):
        raise Skip(kind)
    if re.fullmatch(r"[0-9]+", value):
        # -Ot prints time ticks as a bare number.
        return "67", unsigned(value, MAX_U32)
    raise ValueError("unknown value form: " + value)


def oid_key(oid):
    return tuple(int(a) for a in oid.split("."))


def parse(output, warn):
    """snmpwalk's output -> {oid: (tag, value)}."""
    objects = {}
    lines = output.splitlines()
    i = 0
    while i < len(lines):
        m = LINE.match(lines[i])
        i += 1
        if not m:
            if lines[i - 1].strip():
                warn("not an object line, left out: " + lines[i - 1])
            continue
        oid, value = m.group(1), m.group(2)
        # A hex string broken over several lines continues on lines without " = ".
        while (value.startswith("Hex-STRING:") and i < len(lines) and not LINE.match(lines[i])
               and HEX_BYTES.match(lines[i].strip() + " ")):
            value = value.rstrip() + " " + lines[i].strip()
            i += 1
        if value.startswith(NOT_A_VALUE):
            continue
        if not valid_oid(oid, 2):
            warn("%s: not an OID tqx-sim can serve, left out" % oid[:200])
            continue
        try:
            objects[oid] = convert(value)
        except Skip as e:
            warn("%s: %s has no snmprec form here, left out" % (oid, e))
        except ValueError as e:
            warn("%s: %s, left out" % (oid, e))
    return objects


def options(args):
    """The request time-out and retries in front of the positional arguments: (seconds, retries,
    the rest), or None when an option or its value is not valid."""
    seconds, retries = "2", "2"
    while args and args[0] in ("-t", "-r"):
        if len(args) < 2:
            return None
        flag, value = args[0], args[1]
        try:
            number = float(value) if flag == "-t" else int(value)
        except ValueError:
            return None
        if flag == "-t":
            if not 0 < number <= 600:
                return None
            seconds = value
        else:
            if not 0 <= number <= 20:
                return None
            retries = value
        args = args[2:]
    return seconds, retries, args


def main(argv):
    parsed = options(argv[1:])
    if parsed is None or len(parsed[2]) not in (3, 4) or parsed[2][0] in ("-h", "--help"):
        print(USAGE, file=sys.stderr)
        return 2
    seconds, retries, args = parsed
    agent, community, outfile = args[0], args[1], args[2]
    root = args[3] if len(args) == 4 else "1"
    if not agent or agent.startswith("-") or ":" not in agent:
        print("snmprec_record.py: the agent must be given as HOST:PORT, got %r" % agent, file=sys.stderr)
        return 2
    if not valid_oid(root.lstrip("."), 1):
        print("snmprec_record.py: ROOT must be a numeric OID, got %r" % root, file=sys.stderr)
        return 2
    snmpwalk = shutil.which("snmpwalk")
    if not snmpwalk:
        print("snmprec_record.py: snmpwalk (net-snmp's tools) is not installed", file=sys.stderr)
        return 1
    try:
        limit = float(os.environ.get("SNMPREC_RECORD_TIMEOUT", "300"))
    except ValueError:
        limit = 300.0
    if not 0 < limit < 86400:
        limit = 300.0
    # -On numeric OIDs, -Oe numbers for enumerations, -Ox octet strings in hex, no line breaks in them;
    # no MIB files, so no display hint changes how a value is printed.
    command = [snmpwalk, "-v2c", "-c", community, "-On", "-Oe", "-Ox", "--hexOutputLength=0",
               "-M", "/nonexistent", "-m", "", "-Le", "-t", seconds, "-r", retries, agent, root]
    env = dict(os.environ, MIBS="", MIBDIRS="/nonexistent")
    try:
        done = subprocess.run(command, stdout=subprocess.PIPE, stderr=subprocess.PIPE, env=env, timeout=limit)
    except subprocess.TimeoutExpired:
        print("snmprec_record.py: the walk of %s took longer than %g s; nothing written" % (agent, limit),
              file=sys.stderr)
        return 1
    # Undecodable bytes survive the round trip to the file's hex form.
    stdout = done.stdout.decode("utf-8", "surrogateescape")
    stderr = done.stderr.decode("utf-8", "replace").strip()
    if done.returncode != 0:
        print("snmprec_record.py: snmpwalk failed (status %d): %s; nothing written" % (done.returncode, stderr),
              file=sys.stderr)
        return 1

    def warn(text):
        print("snmprec_record.py: " + text, file=sys.stderr)

    objects = parse(stdout, warn)
    if not objects:
        print("snmprec_record.py: %s holds no objects below %s; nothing written" % (agent, root), file=sys.stderr)
        return 1
    shown = "".join(c if " " <= c <= "~" else "?" for c in agent)  # the comment stays one ASCII line
    lines = ["# recorded from %s below %s by snmprec_record.py" % (shown, root)]
    for oid in sorted(objects, key=oid_key):
        tag, value = objects[oid]
        lines.append("%s|%s|%s" % (oid, tag, value))
    # Written next to the target and moved over it, so a failed run leaves no half file.
    folder = os.path.dirname(os.path.abspath(outfile))
    temp = None
    try:
        fd, temp = tempfile.mkstemp(prefix=".snmprec-", dir=folder)
        with os.fdopen(fd, "w", encoding="ascii", newline="\n") as out:
            out.write("\n".join(lines) + "\n")
        umask = os.umask(0)
        os.umask(umask)
        os.chmod(temp, 0o666 & ~umask)  # as an ordinary new file, not the temporary file's 0600
        os.replace(temp, outfile)
    except OSError as e:
        if temp and os.path.exists(temp):
            os.unlink(temp)
        print("snmprec_record.py: cannot write %s: %s" % (outfile, e), file=sys.stderr)
        return 1
    print("snmprec_record.py: %d objects from %s written to %s" % (len(objects), agent, outfile))
    return 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
