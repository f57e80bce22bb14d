"""Makes the binding importable from the source tree; the library comes from
$ODDSMITH_LIBRARY / $GPUSCOUT_LIBRARY (set by CTest) or the tree's build."""
import os
import sys

sys.path.insert(0, os.path.join(os.path.dirname(__file__), "..", "..", "..", "python"))
