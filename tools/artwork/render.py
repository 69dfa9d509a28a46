"""Renders every PNG under Resources/ (the fonts come from fonts.sh)."""

import os
import sys

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))

import backgrounds  # noqa: E402
import help_page  # noqa: E402
import icons  # noqa: E402


def main():
    written = backgrounds.render_all() + help_page.render_all() + icons.render_all()
    for path in written:
        print(os.path.relpath(path))
    print("%d images" % len(written))


if __name__ == "__main__":
    main()
