"""read_weight.py: reads the weight from the KTRV program of a VekX terminal
through VEKXAPI.dll and prints it, as read_weight.c does.

    py read_weight.py [ADDRESS]        (the terminal's address; 127.0.0.1)

It needs the package of the wheel beside it (README.txt says how to install
it) and VEKXAPI.dll of the kit that matches Python's bitness, beside the
package, beside this script or on PATH; the port variables of README.txt
apply.
"""

import sys

import vekxapi

address = sys.argv[1] if len(sys.argv) > 1 else "127.0.0.1"
try:
    with vekxapi.Terminal(address) as terminal:
        print(f"weight at {address}: {terminal.read_text('/t1/wt101')}")
except (vekxapi.VekxError, vekxapi.LibraryNotFound) as e:
    sys.exit(f"read_weight.py: {e}")
