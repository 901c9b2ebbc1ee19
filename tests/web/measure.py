#!/usr/bin/python3
"""Measures Frostvel's page in headless Chromium (not part of the tests: the numbers depend on the machine).

    tests/web/measure.py [BUILD_WEB]      (default build/web)

Prints the download size (html + js + wasm), the time from requesting the page to its first frame
(median of 5 loads, each in a fresh browser profile), and the processor time that Chromium's
processes use in 10 seconds while the game waits with its animation halted (Ctrl+H), next to what
they use in 10 seconds on an empty page, and how many times the halted program was woken meanwhile.
"""
import os
import statistics
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
import browser_test as bt  # noqa: E402  (its server and browser set-up)

from selenium.webdriver.common.by import By  # noqa: E402

WEB = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(bt.ROOT, 'build/web'))
TICKS = os.sysconf('SC_CLK_TCK')


def tree_cpu_seconds(root_pid):
    """User and system time of a process and all its descendants, in seconds."""
    children = {}
    for pid in filter(str.isdigit, os.listdir('/proc')):
        try:
            with open('/proc/%s/stat' % pid) as f:
                fields = f.read().rsplit(')', 1)[1].split()
        except OSError:
            continue
        children.setdefault(int(fields[1]), []).append((int(pid), int(fields[11]) + int(fields[12])))
    total, todo = 0, [root_pid]
    while todo:
        for pid, ticks in children.get(todo.pop(), []):
            total += ticks
            todo.append(pid)
    return total / TICKS


def idle_share(driver):
    """Percent of one core that Chromium's processes use in 10 seconds, after 2 seconds to settle."""
    time.sleep(2)
    chrome = driver.service.process.pid  # chromedriver: Chromium's processes are below it
    before, start = tree_cpu_seconds(chrome), time.time()
    time.sleep(10)
    return 100 * (tree_cpu_seconds(chrome) - before) / (time.time() - start)


def main():
    size = sum(os.path.getsize(os.path.join(WEB, 'frostvel' + ext)) for ext in ('.html', '.js', '.wasm'))
    print('download: %d bytes (%.2f MB) for frostvel.html + .js + .wasm' % (size, size / 1e6))
    with tempfile.TemporaryDirectory() as work:
        server = bt.serve(WEB)
        base = 'http://127.0.0.1:%d' % server.server_address[1]
        firsts = []
        for run in range(5):
            driver = bt.browser(os.path.join(work, 'profile%d' % run))
            try:
                driver.get(base + '/frostvel.html')
                firsts.append(bt.wait_for('the first frame', lambda: bt.page_value(driver, 'WinportWeb.firstFrameAt')))
                if run < 4:
                    continue
                bt.press(driver, driver.find_element(By.CSS_SELECTOR, '.winport-window canvas'), 'h')
                # How often the halted program is woken: each wake is one call of WinportWeb.wait.
                driver.execute_script('const wait = WinportWeb.wait; window.waits = 0;'
                                      'WinportWeb.wait = (t) => (++window.waits, wait(t));')
                halted = idle_share(driver)
                waits = bt.page_value(driver, 'window.waits')
                driver.get('about:blank')
                empty = idle_share(driver)
                print('halted page: %.2f%% of one core for all of Chromium (an empty page: %.2f%%); '
                      'the program woke %d times in those 12 s' % (halted, empty, waits))
            finally:
                driver.quit()
        server.shutdown()
    print('page to first frame: median %.0f ms (%s)' % (statistics.median(firsts), ', '.join('%.0f' % f for f in firsts)))


if __name__ == '__main__':
    main()
