#!/usr/bin/env python3
"""Drives zirbin2020's terminal front end through a pseudo-terminal, as a user would.

usage: terminal_pty_test.py PATH_TO_zirbin2020 [unittest options]
Each test starts the program with a state directory of its own.
"""
import os
import re
import shutil
import sys
import tempfile
import time
import unittest

import pexpect

PROGRAM = None
PROMPT = "> "
CONTINUATION = r"\.\.\. "
# A lone Esc is told from an arrow key's Esc [ A by the time to the next byte.
ESC_WAIT = 0.3


class Terminal:
    """One run of the program on a pty with its own state directory."""

    def __init__(self, home, env=None, args=()):
        environment = dict(os.environ, ZIRBIN_HOME=home, TERM="xterm", INPUTRC="/dev/null")
        # No display: the program runs on the terminal, never opens its window.
        for name in ("NO_COLOR", "DISPLAY", "WAYLAND_DISPLAY"):
            environment.pop(name, None)
        environment.update(env or {})
        self.child = pexpect.spawn(PROGRAM, list(args), env=environment, encoding="utf-8",
                                   timeout=10, dimensions=(24, 100), cwd=home)
        self.prompt()

    def prompt(self):
        self.child.expect_exact(PROMPT)

    def line(self, text):
        """Types a line and Enter; returns what came before the next prompt."""
        self.child.send(text + "\r")
        self.prompt()
        return plain(self.child.before)

    def send(self, text):
        self.child.send(text)

    def expect(self, pattern):
        self.child.expect(pattern)
        return plain(self.child.before)

    def end(self):
        """Ctrl+D on an empty line; returns the exit status."""
        self.child.send("\x04")
        self.child.expect(pexpect.EOF)
        self.child.close()
        return self.child.exitstatus


ANSI = re.compile(r"\x1b\[[0-9;?]*[A-Za-z]|\r")


def plain(text):
    return ANSI.sub("", text)


class TerminalTest(unittest.TestCase):
    def setUp(self):
        self.home = tempfile.mkdtemp(prefix="zirbin_pty_")

    def tearDown(self):
        shutil.rmtree(self.home, ignore_errors=True)

    def start(self, **kwargs):
        return Terminal(self.home, **kwargs)

    def test_result_shows_before_the_next_prompt(self):
        t = self.start()
        self.assertIn("12", t.line("x = 3*4"))
        self.assertIn("incompatible objects at operator", t.line("[1 2] + [1 2 3]"))
        self.assertIn("12", t.line("x"))
        self.assertEqual(t.end(), 1)

    def test_editing_keys(self):
        t = self.start()
        # Left, Home, End, Ctrl+A/E, Ctrl+K and Ctrl+Y, Ctrl+U, Ctrl+W, Delete.
        self.assertIn("23", t.line("2+1\x1b[D\x1b[D\x1b[D1\x05\x08\x08\x08\x08" + "2+21"))
        self.assertIn("7", t.line("99\x01\x0b3+4"))
        self.assertIn("5", t.line("x = 8\x15" + "2+3"))
        self.assertIn("6", t.line("abc \x17" + "1+5"))
        self.assertIn("96", t.line("1+99\x01\x1b[3~\x1b[3~5+\x1b[F\x08" + "1"))
        self.assertIn("11", t.line("1+1\x01\x0b" + "5+6"))
        self.assertEqual(t.end(), 0)

    def test_ctrl_b_wraps_after_equals_and_long_utf8_lines(self):
        t = self.start()
        self.assertIn("6", t.line("y = 1 + 2\x02*2"))
        long_text = "é" * 150
        out = t.line("s = '" + long_text + "'; size(s)")
        self.assertIn("300", out)
        self.assertEqual(t.end(), 0)

    def test_up_searches_by_prefix_across_a_restart(self):
        t = self.start()
        t.line("apple = 1")
        t.line("banana = 2")
        t.line("apricot = 3")
        t.line("banana")
        self.assertEqual(t.end(), 0)
        self.assertTrue(os.path.exists(os.path.join(self.home, "zirbin_comm.bin")))
        t = self.start()
        # "ap" then Up: apricot, Up again: apple (banana is skipped).
        self.assertIn("1", t.line("ap\x1b[A\x1b[A"))
        # Now apple is the newest: Up, Up, Up and Down give apple, apricot, apple, apricot.
        self.assertIn("3", t.line("ap\x1b[A\x1b[A\x1b[A\x1b[B"))
        # Down past the newest entry gives the typed prefix back.
        self.assertIn("2", t.line("ban\x1b[A\x1b[B\x1b[A"))
        self.assertEqual(t.end(), 0)

    def test_tab_completes_names_and_lists_on_the_second_tab(self):
        t = self.start()
        t.line("myLongName = 41")
        self.assertIn("42", t.line("myLo\t + 1"))
        t.line("myLoud = 5")
        t.send("myLo\t\t")
        t.child.expect(r"myLongName\s+myLoud")
        t.child.expect_exact(PROMPT + "myLo")
        self.assertIn("5", t.line("ud"))
        self.assertIn("2", t.line("sqr\t(4)"))
        self.assertEqual(t.end(), 0)

    def test_tab_completes_file_names_after_use_and_in_file_builtins(self):
        os.makedirs(os.path.join(self.home, "scripts"))
        with open(os.path.join(self.home, "scripts", "hello_there.zrb"), "w") as f:
            f.write('"hello from the script";;\n')
        with open(os.path.join(self.home, "numbers_1.txt"), "w") as f:
            f.write("1 2 3\n")
        t = self.start()
        self.assertIn("hello from the script", t.line("use scr\thel\t"))
        # A file name completed alone closes its string.
        self.assertIn("6", t.line("sum(load('numb\t))"))
        self.assertEqual(t.end(), 0)

    def test_pasted_function_block_runs_as_one_command(self):
        t = self.start()
        block = ("function [lo, hi] = bounds(v)\r    lo = min(v)\r    hi = max(v)\rend\r"
                 "[a, b] = bounds([4 -2 9]);\r")
        t.send("\x1b[200~" + block + "\x1b[201~")
        t.prompt()
        self.assertIn("-2 9", t.line("[a, b]"))
        # An error in a pasted block names its line.
        t.send("\x1b[200~x = 1\ry = 2)\r\x1b[201~")
        out = t.expect(PROMPT)
        self.assertIn("at line 2", out)
        self.assertEqual(t.end(), 1)

    def test_typed_for_block_with_continuation_lines(self):
        t = self.start()
        t.line("w = []")
        t.send("for i = 1:4\r")
        t.expect(CONTINUATION)
        t.send("    w ,= i^2\r")
        t.expect(CONTINUATION)
        t.send("\r")
        t.prompt()
        self.assertIn("1 4 9 16", t.line("w"))
        # An open bracket asks for more; Esc at the continuation prompt drops the lines.
        t.send("z = [1 2\r")
        t.expect(CONTINUATION)
        t.send("\x1b")
        time.sleep(ESC_WAIT)
        t.prompt()
        self.assertIn("8", t.line("z = 8"))
        t.send("q = (1 +\r")
        t.expect(CONTINUATION)
        t.send("\x03")
        t.prompt()
        self.assertIn("7", t.line("q = 7"))
        self.assertEqual(t.end(), 0)

    def test_ctrl_c_at_the_prompt_clears_the_line(self):
        t = self.start()
        t.send("1 + 1")
        t.send("\x03")
        t.prompt()
        self.assertIn("9", t.line("4 + 5"))
        self.assertEqual(t.end(), 0)

    def test_ctrl_c_interrupts_a_running_loop_and_keeps_the_workspace(self):
        t = self.start()
        t.line("before = 3")
        t.send("x = 0\r")
        t.prompt()
        t.send("while 1: x = x + 1\r")
        time.sleep(0.5)
        t.send("\x03")
        self.assertIn("execution interrupted", t.expect(re.escape(PROMPT)) + t.child.before)
        self.assertIn("3", t.line("before"))
        self.assertIn("1", t.line("x >= 1"))
        self.assertEqual(t.end(), 1)

    def test_with_a_display_figures_open_as_windows(self):
        # The offscreen platform stands in for a display. A wait for a click waits for the
        # window (without one it fails at once) until Ctrl+C.
        t = self.start(env={"QT_QPA_PLATFORM": "offscreen"}, args=("--terminal",))
        self.assertIn("41", t.line("plot([0 10], [0 10]); disp(getkeyb + 41)"))
        t.send("p = getclick(1)\r")
        index = t.child.expect(["no figure window", pexpect.TIMEOUT], timeout=1)
        self.assertEqual(index, 1, "getclick waits for the figure's window")
        t.send("\x03")
        self.assertIn("execution interrupted", t.expect(re.escape(PROMPT)) + t.child.before)
        t.send("disp(close(1) + 100)\r")
        t.expect("101")
        t.prompt()
        self.assertEqual(t.end(), 1)

    def test_without_a_display_waits_for_figures_fail_at_once(self):
        t = self.start()
        self.assertIn("no figure window to wait for here", t.line("p = getclick(1)"))
        self.assertEqual(t.end(), 1)

    def test_ctrl_d_and_quit_save_the_session(self):
        t = self.start()
        t.line("kept = 17")
        self.assertEqual(t.end(), 0)
        t = self.start()
        self.assertIn("17", t.line("kept"))
        t.line("kept = 18")
        t.send("quit\r")
        t.child.expect(pexpect.EOF)
        t.child.close()
        self.assertEqual(t.child.exitstatus, 0)
        t = self.start()
        self.assertIn("18", t.line("kept"))
        t.send("exit(4)\r")
        t.child.expect(pexpect.EOF)
        t.child.close()
        self.assertEqual(t.child.exitstatus, 4)

    def test_colours_on_by_default_and_off_under_no_color_dumb_and_the_option(self):
        t = self.start()
        t.child.send("[1 2] + [1 2 3]\r")
        t.prompt()
        self.assertRegex(t.child.before, r"\x1b\[0;3[0-9]m")
        t.end()
        for env, args in (({"NO_COLOR": "1"}, ()), ({"TERM": "dumb"}, ()), ({}, ("--no-colour",))):
            t = self.start(env=env, args=args)
            t.child.send("[1 2] + [1 2 3]\r")
            t.child.expect("incompatible objects[^\n]*\n")
            self.assertNotRegex(t.child.before + t.child.after, r"\x1b\[0;[0-9;]*m", (env, args))
            t.end()

    def test_getline_getch_and_message_boxes_ask_on_the_terminal(self):
        t = self.start()
        t.send("name = getline('who? ')\r")
        t.child.expect_exact("who? ")
        t.send("Ada\r")
        t.prompt()
        self.assertIn("Ada", t.child.before)
        t.send("k = getch\r")
        time.sleep(0.3)
        t.send("A")
        t.prompt()
        self.assertIn("65", t.child.before)
        t.send("messageBox('all done')\r")
        t.child.expect_exact("all done")
        t.child.expect_exact("OK")
        t.send("\r")
        t.prompt()
        self.assertEqual(t.end(), 0)


    def test_debugger_stop_asks_cont_step_halt(self):
        t = self.start()
        t.send("\x1b[200~function r = twice(x)\r    r = 2*x;!\rend\r\x1b[201~")
        t.prompt()
        t.send("twice(4)\r")
        t.child.expect("Breakpoint at line 2 in twice")
        t.child.expect(r"x\s+4")
        t.child.expect_exact("[c]ont [s]tep [h]alt")
        t.send("c")
        self.assertIn("8", t.expect(PROMPT))
        t.send("y = 5;!\r")
        t.child.expect("Breakpoint at line 0")
        t.child.expect_exact("[c]ont [s]tep [h]alt")
        t.send("h")
        out = t.expect(PROMPT)
        self.assertIn("execution halted from debugger", out)
        self.assertEqual(t.end(), 1)


def main():
    global PROGRAM
    PROGRAM = os.path.abspath(sys.argv[1])
    unittest.main(argv=[sys.argv[0]] + sys.argv[2:], verbosity=2)


if __name__ == "__main__":
    main()
