"""What the schema checks share: the jsonschema module, the repository and the schema's validator."""

import json
import os
import sys
from pathlib import Path

try:
    import jsonschema
except ImportError:
    # Debian's python3-jsonschema belongs to the system interpreter; another python3 found
    # first on PATH may lack it. The calling script starts again under the system one.
    system_python = "/usr/bin/python3"
    if os.path.exists(system_python) and os.path.realpath(sys.executable) != os.path.realpath(system_python):
        os.execv(system_python, [system_python] + sys.argv)
    sys.exit(f"{Path(sys.argv[0]).name}: the jsonschema module is missing; scripts/setup installs python3-jsonschema")

ROOT = Path(os.environ.get("RICHMARKUP_ROOT", Path(__file__).resolve().parents[2]))
SCHEMA_PATH = ROOT / "schema" / "richtext.schema.json"

with open(SCHEMA_PATH, encoding="utf-8") as f:
    SCHEMA = json.load(f)
VALIDATOR = jsonschema.Draft202012Validator(SCHEMA)


def run_groups(program, groups, names):
    """Runs the named unittest groups (all of them when none is named) and gives the exit status."""
    import unittest
    known = {g.__name__: g for g in groups}
    unknown = [n for n in names if n not in known]
    if unknown:
        sys.exit(f"{program}: unknown group " + ", ".join(unknown) + "; groups: " + ", ".join(known))
    loader = unittest.TestLoader()
    suite = unittest.TestSuite(loader.loadTestsFromTestCase(known[n]) for n in (names or known))
    result = unittest.TextTestRunner(verbosity=2).run(suite)
    return 0 if result.wasSuccessful() else 1
