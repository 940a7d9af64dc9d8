#!/usr/bin/env python3
"""The wall checker finds each kind of breach, and only breaches, in small made-up trees."""
import os
import sys
import tempfile
import unittest

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import check_walls  # noqa: E402


class WallsTest(unittest.TestCase):
    def tree(self, files):
        root = tempfile.mkdtemp()
        for path, text in files.items():
            full = os.path.join(root, path)
            os.makedirs(os.path.dirname(full), exist_ok=True)
            with open(full, "w", encoding="utf-8") as f:
                f.write(text)
        return root

    def test_downward_sideways_into_own_subfolders_and_plain_neighbours_pass(self):
        root = self.tree({
            "data/a.cpp": '#include "data/a.h"\n#include "framework/TField.h"\n#include "platform/big5/big5.h"\n'
                          '#include "engine_text.h"\n#include <gtest/gtest.h>\n#include <string>\n',
            "app/Unit1.cpp": '#include "app/controls/TDBEdit.h"\n#include "data/a.h"\n#include <QWidget>\n',
            "app/controls/TDBEdit.cpp": '#include <QtWidgets/QLineEdit>\n#include "platform/gui/beep.h"\n',
            "app/CMakeLists.txt": "target_link_libraries(x Qt6::Widgets)\n",
        })
        self.assertEqual(check_walls.check(root), [])

    def test_upward_includes_are_breaches_each_named_once(self):
        root = self.tree({
            "framework/DbErrors.h": '#include "platform/gui/EAbort.h"\n',
            "app/controls/TDBEdit.cpp": '#include "app/Unit1.h"\n',
            "data/TOrvDaoTable.cpp": '#include "platform/dao/dao_recordset.h"\n',
            "platform/big5/big5.cpp": '  #  include "framework/TField.h"\n',
        })
        self.assertEqual(check_walls.check(root), [
            "app/controls/TDBEdit.cpp: includes app/Unit1.h against the layer direction (app/controls -> app)",
            "data/TOrvDaoTable.cpp: includes platform/dao/dao_recordset.h against the layer direction "
            "(data -> platform/dao)",
            "framework/DbErrors.h: includes platform/gui/EAbort.h against the layer direction "
            "(framework -> platform/gui)",
            "platform/big5/big5.cpp: includes framework/TField.h against the layer direction "
            "(platform/big5 -> framework)",
        ])

    def test_qt_in_a_qt_free_folder_is_found_in_sources_and_build_files(self):
        root = self.tree({
            "framework/TField.cpp": "#include <QString>\n",
            "data/x.h": "#include <QtCore/QObject>\n",
            "platform/dao/CMakeLists.txt": "target_link_libraries(zen_dao PUBLIC Qt6::Core)\n",
            "platform/gui/clipboard.cpp": "#include <QClipboard>\n",
        })
        self.assertEqual(check_walls.check(root), [
            "data/x.h: Qt in a Qt-free folder (<QtCore/QObject>)",
            "framework/TField.cpp: Qt in a Qt-free folder (<QString>)",
            "platform/dao/CMakeLists.txt: Qt in a Qt-free folder",
        ])

    def test_a_folder_without_a_rule_is_named_both_as_includer_and_as_included(self):
        root = self.tree({
            "platform/newthing/a.cpp": "int a;\n",
            "data/b.cpp": '#include "platform/elsewhere/c.h"\n',
        })
        self.assertEqual(check_walls.check(root), [
            "data/b.cpp: includes platform/elsewhere/c.h, whose folder has no wall rule",
            "platform/newthing/a.cpp: no wall rule for its folder",
        ])

    def test_subfolder_with_its_own_rule_may_not_reach_its_parent(self):
        rules = check_walls.RULES
        root = self.tree({
            "platform/dao/dynaset.cpp": '#include "platform/dao/criteria/criteria.h"\n',
            "platform/dao/criteria/criteria.cpp": '#include "platform/dao/dynaset.h"\n',
        })
        self.assertEqual(check_walls.check(root, rules=rules), [
            "platform/dao/criteria/criteria.cpp: includes platform/dao/dynaset.h against the layer direction "
            "(platform/dao/criteria -> platform/dao)",
        ])

    def test_command_line_reports_breaches_by_exit_status(self):
        good = self.tree({"data/a.cpp": '#include "framework/TField.h"\n'})
        bad = self.tree({"framework/a.cpp": '#include "data/TOrvDaoTable.h"\n'})
        self.assertEqual(check_walls.main(["check_walls.py", good]), 0)
        self.assertEqual(check_walls.main(["check_walls.py", bad]), 1)
        self.assertEqual(check_walls.main(["check_walls.py"]), 2)


if __name__ == "__main__":
    unittest.main()
