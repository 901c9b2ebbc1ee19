#!/usr/bin/python3
"""A TEVRA page run as if it were a program, so that tevra-check can verify the browser build.

    tests/web/page_program.py PAGE.html

Reads what a headless run of a program reads from its environment: TEVRA_SCRIPT (the script to play)
and TEVRA_LOG (where the draw log goes). Serves the page's folder and the script on 127.0.0.1,
plays the page in headless Chromium with ?script= and ?log=1, writes the page's draw log to
TEVRA_LOG and exits with the program's exit status, as the program itself would; 125 when the page
could not be played.
"""
import os
import shutil
import sys
import tempfile
import time

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_test import browser, page_value, serve  # noqa: E402


def play(page, script, log):
    with tempfile.TemporaryDirectory() as work:
        site = os.path.join(work, 'site')
        os.mkdir(site)
        folder = os.path.dirname(os.path.abspath(page))
        for name in os.listdir(folder):
            os.symlink(os.path.join(folder, name), os.path.join(site, name))
        shutil.copyfile(script, os.path.join(site, 'tevra-check.scr'))
        server = serve(site)
        driver = browser(os.path.join(work, 'profile'))
        try:
            driver.get('http://127.0.0.1:%d/%s?script=tevra-check.scr&log=1'
                       % (server.server_address[1], os.path.basename(page)))
            while page_value(driver, 'typeof WinportWeb === "undefined" || WinportWeb.exitStatus === undefined'):
                time.sleep(0.05)  # tevra-check's own time limit ends a page that never ends
            with open(log, 'w') as f:
                f.write(page_value(driver, 'TevraPage.drawLog()') or '')
            return page_value(driver, 'WinportWeb.exitStatus')
        finally:
            driver.quit()
            server.shutdown()


def main():
    script, log = os.environ.get('TEVRA_SCRIPT'), os.environ.get('TEVRA_LOG')
    if len(sys.argv) != 2 or not script or not log:
        print('usage: TEVRA_SCRIPT=S TEVRA_LOG=L page_program.py PAGE.html', file=sys.stderr)
        return 125
    return play(sys.argv[1], script, log)


if __name__ == '__main__':
    sys.exit(main())
