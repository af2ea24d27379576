#!/usr/bin/env python3
"""Checks the layers of the source tree by its #include lines.

- shared/ (the core) includes the C++ standard library and its own headers only; the POSIX
  headers of the board file reader and writer are allowed in shared/board_file.cpp alone.
- game/balls/ includes nothing of game/ outside game/balls/: the rest of the game sits above it.
- game/balls/internal/ holds the ball code's own headers: only game/balls/ and the tests,
  benchmarks and fuzz targets (which pin its choices) include them; the rest sees balls.h.
- SDL appears only in game/sdl/ (the adapter), its tests and bench/.
- Qt Widgets appear only in editor/ and the editor's tests (and benchmarks).
- Qt's picture codecs (QImage, QImageReader, QImageWriter) appear only in qt_picture/, the one
  library between Qt's pictures and the core's, and in tests, benchmarks and fuzz targets;
  the rest of QtGui only there and in editor/. The tools use QtCore alone.
The tests of a part are recognised by what they include, not by their names: a file under
tests/ (or bench/) that includes a game/sdl/ header tests the adapter, one that includes an
editor/ header tests the editor; tests/editor/ holds the editor's tests too. The core and the
game include no Qt at all.

Usage: check_layers.py ROOT [QT_INCLUDE_DIR...]   (prints every breach, exits 1 on any; the
           folders named .../QtWidgets and .../QtGui give the names of those modules' headers)
       check_layers.py --self-test   (each rule must catch a planted breach)
"""

import os
import re
import sys
import tempfile

STANDARD = set("""
algorithm any array atomic barrier bit bitset cassert cctype cerrno cfenv cfloat charconv chrono
cinttypes climits clocale cmath codecvt compare complex concepts condition_variable coroutine
csetjmp csignal cstdarg cstddef cstdint cstdio cstdlib cstring ctime cuchar cwchar cwctype deque
exception execution expected filesystem format forward_list fstream functional future
initializer_list iomanip ios iosfwd iostream istream iterator latch limits list locale map memory
memory_resource mutex new numbers numeric optional ostream queue random ranges ratio regex
scoped_allocator semaphore set shared_mutex source_location span sstream stack stdexcept
stop_token streambuf string string_view syncstream system_error thread tuple type_traits
typeindex typeinfo unordered_map unordered_set utility valarray variant vector version
""".split())
WRITER_POSIX = {"fcntl.h", "sys/stat.h", "sys/types.h", "unistd.h"}
WRITER_FILE = "shared/board_file.cpp"
# Used when the Qt Widgets headers are not installed where the build found them.
KNOWN_WIDGETS = set("""
QAbstractButton QApplication QBoxLayout QButtonGroup QCheckBox QComboBox QDialog
QDialogButtonBox QFileDialog QFrame QGridLayout QGroupBox QHBoxLayout QLabel QLayout QLineEdit
QListWidget QMainWindow QMenu QMenuBar QMessageBox QPushButton QRadioButton QScrollArea
QSpinBox QStatusBar QStyle QTextEdit QToolBar QVBoxLayout QWidget
""".split())
KNOWN_GUI = set("""
QBrush QClipboard QCloseEvent QColor QCursor QDragEnterEvent QDropEvent QFont QGuiApplication
QIcon QImage QImageIOHandler QImageReader QImageWriter QKeyEvent QKeySequence QMouseEvent
QPaintEvent QPainter QPen QPixmap QRgb QScreen QWindow
""".split())
CODECS = {"QImage", "QImageIOHandler", "QImageReader", "QImageWriter"}

INCLUDE = re.compile(r'^\s*#\s*include\s*([<"])([^>"]+)[>"]', re.M)
SOURCE_ENDINGS = (".h", ".hpp", ".cpp", ".cc", ".cxx")


def qt_headers(known, include_dir):
    names = set(known)
    if include_dir and os.path.isdir(include_dir):
        names |= {n for n in os.listdir(include_dir) if n.startswith("Q") and "." not in n}
    return names


def sources(root):
    for folder, dirs, files in os.walk(root):
        rel_folder = os.path.relpath(folder, root)
        dirs[:] = [d for d in dirs if not d.startswith(".") and
                   not (rel_folder == "." and d.startswith("build"))]
        for name in files:
            if name.endswith(SOURCE_ENDINGS):
                path = os.path.join(folder, name)
                yield os.path.relpath(path, root).replace(os.sep, "/"), path


def breaches(root, widgets, gui):
    found = []
    for rel, path in sources(root):
        with open(path, encoding="utf-8", errors="replace") as f:
            includes = INCLUDE.findall(f.read())

        def breach(header, why):
            found.append(f"{rel}: includes {header}: {why}")

        def includes_own(prefix):
            return any(q == '"' and h.startswith(prefix) for q, h in includes)

        is_check = rel.startswith(("tests/", "bench/"))
        is_product = not rel.startswith(("tests/", "bench/", "fuzz/"))
        sdl_test = is_check and includes_own("game/sdl/")
        editor_test = rel.startswith("tests/editor/") or (is_check and includes_own("editor/"))
        for quote, header in includes:
            top = header.split("/")[0]
            is_sdl = top.startswith("SDL")
            is_qt = top.startswith("Qt") or (re.match(r"Q[A-Z]", top) is not None)
            is_widget = top == "QtWidgets" or top in widgets
            name = header.split("/")[-1]
            is_gui = top == "QtGui" or top in gui
            if rel.startswith("shared/"):
                if quote == '"' and header.startswith("shared/"):
                    continue
                if quote == "<" and header in STANDARD:
                    continue
                if rel == WRITER_FILE and quote == "<" and header in WRITER_POSIX:
                    continue
                breach(header, "the core uses the standard library only")
                continue
            if rel.startswith("game/balls/") and quote == '"' and header.startswith("game/") \
                    and not header.startswith("game/balls/"):
                breach(header, "game/balls/ sits below the rest of the game")
            if quote == '"' and header.startswith("game/balls/internal/") and \
                    not rel.startswith(("game/balls/", "tests/", "bench/", "fuzz/")):
                breach(header, "game/balls/internal/ is the ball code's own")
            if is_sdl and not (rel.startswith(("game/sdl/", "bench/")) or sdl_test):
                breach(header, "SDL belongs in game/sdl/, its tests and bench/")
            if rel.startswith("game/") and is_qt:
                breach(header, "the game uses no Qt")
            elif is_widget and not (rel.startswith("editor/") or editor_test):
                breach(header, "Qt Widgets belong in editor/ and the editor's tests")
            elif is_product and name in CODECS and not rel.startswith("qt_picture/"):
                breach(header, "pictures pass through qt_picture/")
            elif is_product and is_gui and not rel.startswith(("qt_picture/", "editor/")):
                breach(header, "QtGui belongs in qt_picture/ and editor/")
    return found


def self_test():
    planted = {
        "shared/a.cpp": "#include <vector>\n#include <unistd.h>\n",
        "shared/b.h": '#include "game/game.h"\n',
        "shared/board_file.cpp": "#include <unistd.h>\n#include <dlfcn.h>\n",
        "game/balls/c.cpp": '#include "game/balls/balls.h"\n#include "game/game.h"\n',
        "game/d.cpp": "#include <SDL.h>\n#include <QString>\n",
        "tools/e.cpp": "#include <QWidget>\n",
        "tests/game/f.cpp": "#include <QtWidgets/QDialog>\n",
        "tests/editor/ok.cpp": "#include <QApplication>\n",
        "tests/reliability/ok.h": '#include <QComboBox>\n#include "editor/form1.h"\n',
        "tests/game/ok.cpp": '#include <SDL.h>\n#include "game/sdl/sdl_platform.h"\n',
        "tests/game/g.cpp": "#include <SDL.h>\n",
        "bench/ok.cpp": '#include <QApplication>\n#include "editor/form1.h"\n',
        "game/sdl/ok.cpp": "#include <SDL.h>\n",
        "tools/h.cpp": "#include <QCommandLineParser>\n#include <QImage>\n#include <QPainter>\n",
        "editor/i.cpp": "#include <QPainter>\n#include <QtGui/QImageReader>\n",
        "qt_picture/ok.cpp": "#include <QImageWriter>\n",
        "tests/tools/ok.cpp": "#include <QImage>\n",
        "fuzz/ok.cpp": "#include <QImageReader>\n",
        "game/j.cpp": '#include "game/balls/balls.h"\n#include "game/balls/internal/collisions.h"\n',
        "game/balls/ok.cpp": '#include "game/balls/internal/ball_rules.h"\n',
        "tests/game/ok2.cpp": '#include "game/balls/internal/ball_kernels.h"\n',
    }
    expected = {
        "shared/a.cpp: includes unistd.h", "shared/b.h: includes game/game.h",
        "shared/board_file.cpp: includes dlfcn.h", "game/balls/c.cpp: includes game/game.h",
        "game/d.cpp: includes SDL.h", "game/d.cpp: includes QString",
        "tools/e.cpp: includes QWidget", "tests/game/f.cpp: includes QtWidgets/QDialog",
        "tests/game/g.cpp: includes SDL.h", "tools/h.cpp: includes QImage",
        "tools/h.cpp: includes QPainter", "editor/i.cpp: includes QtGui/QImageReader",
        "game/j.cpp: includes game/balls/internal/collisions.h",
    }
    with tempfile.TemporaryDirectory() as root:
        for rel, text in planted.items():
            os.makedirs(os.path.dirname(os.path.join(root, rel)), exist_ok=True)
            with open(os.path.join(root, rel), "w") as f:
                f.write(text)
        got = {b.split(": ")[0] + ": " + b.split(": ")[1] for b in breaches(root, KNOWN_WIDGETS, KNOWN_GUI)}
    if got != expected:
        print("missed:", sorted(expected - got))
        print("wrongly reported:", sorted(got - expected))
        return 1
    print(f"all {len(expected)} planted breaches reported, nothing else")
    return 0


def main(argv):
    if argv[1:] == ["--self-test"]:
        return self_test()
    dirs = {os.path.basename(d.rstrip("/")): d for d in argv[2:]}
    found = breaches(argv[1], qt_headers(KNOWN_WIDGETS, dirs.get("QtWidgets")),
                     qt_headers(KNOWN_GUI, dirs.get("QtGui")))
    for line in found:
        print(line)
    return 1 if found else 0


if __name__ == "__main__":
    sys.exit(main(sys.argv))
