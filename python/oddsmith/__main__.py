"""`python -m oddsmith ...`: the command-line program, as the `oddsmith` command runs it."""
import sys

from ._command import main

sys.exit(main())
