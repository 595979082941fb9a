#!/usr/bin/env python3
"""com_pty.py PREFIX PORT PROGRAM EMULATOR...: runs PROGRAM under the emulator with the Wine COM
port PORT ("com7") linked to a new pseudo-terminal, whose other end echoes what arrives. Fails
unless the program succeeds and the terminal received exactly b"F0" (the R2FX's command).
A Wine COM port is a link in $WINEPREFIX/dosdevices to a terminal device."""
import os
import pty
import subprocess
import sys
import threading
import tty

prefix, port, program, *emulator = sys.argv[1:]
master, slave = pty.openpty()
tty.setraw(slave)
link = os.path.join(prefix, "dosdevices", port.lower())
os.makedirs(os.path.dirname(link), exist_ok=True)
if os.path.lexists(link):
    os.remove(link)
os.symlink(os.ttyname(slave), link)

received = bytearray()


def echo():
    while True:
        try:
            data = os.read(master, 256)
        except OSError:
            return
        if not data:
            return
        received.extend(data)
        os.write(master, data)


threading.Thread(target=echo, daemon=True).start()
try:
    result = subprocess.run(emulator + [program],
                            env=dict(os.environ, KESTRUNE_TEST_COM_PORT=port.upper()))
finally:
    os.remove(link)
if result.returncode != 0:
    sys.exit(result.returncode)
if bytes(received) != b"F0":
    print("the pseudo-terminal received", bytes(received))
    sys.exit(1)
