"""Opens each DXF file strictly with ezdxf and audits it. Prints one line per
file: "PATH ok", or "PATH FAIL ..." with the reason. Exits 1 when any file
fails. Recover mode is not used: it repairs files silently and its command
line tool exits 0 either way.

Usage: /usr/bin/python3 dxf_audit.py FILE...
"""

import sys

import ezdxf

failed = 0
for path in sys.argv[1:]:
    try:
        doc = ezdxf.readfile(path)
    except Exception as error:
        print(f"{path} FAIL cannot read: {type(error).__name__}: {error}")
        failed += 1
        continue
    auditor = doc.audit()
    entries = [f"error {e.code}: {e.message}" for e in auditor.errors] + \
              [f"fix {e.code}: {e.message}" for e in auditor.fixes]
    if entries:
        print(f"{path} FAIL " + "; ".join(entries))
        failed += 1
    else:
        print(f"{path} ok")
sys.exit(1 if failed else 0)
