#!/usr/bin/python3
"""Frostvel's page in headless Chromium, checked against the headless display's frames.

    tests/web/browser_test.py [BUILD_WEB [REPLAY]]   (defaults: build/web, build/debug/tools/frostvel-replay)

Serves the pages on 127.0.0.1 and drives Chromium through chromium-driver:
  1. live: the first frame, the building scene, a click on "Add Scoop" that adds the magenta scoop,
     and the picture then equal to frostvel-replay's for the same events (recorded by the page) outside
     text; Ctrl+A and Ctrl+Q play the farewell and the page reports exit status 0;
     On the way: the page's canvas description (its live region) is what `tevra-check describe` says
     for the page's draw log, and Alt or F10 on the page's own controls work the Run menu;
  2. scripted: tests/golden/game.scr played from the address, without glyphs, gives exactly the frames
     frostvel-replay gives without glyphs, in order, and the same draw log as the desktop's
     (whole-frame hashes aside);
  3. accessible: axe-core (installed by scripts/setup test) finds no violation on any page.
Prints what it measured; exits 1 on the first failure. Each check that passed (and the one that
failed) is added to make test's tally (scripts/test-results) as "web".
"""
import base64
import functools
import http.server
import os
import re
import subprocess
import sys
import tempfile
import threading
import time
import zlib

from PIL import Image, ImageChops, ImageFilter
from selenium import webdriver
from selenium.webdriver.chrome.service import Service
from selenium.webdriver.common.action_chains import ActionChains
from selenium.webdriver.common.by import By
from selenium.webdriver.common.keys import Keys

ROOT = os.path.dirname(os.path.dirname(os.path.dirname(os.path.abspath(__file__))))
WEB = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build/web'))
REPLAY = os.path.abspath(sys.argv[2] if len(sys.argv) > 2 else os.path.join(ROOT, 'build/debug/tools/frostvel-replay'))
GAME_SCRIPT = os.path.join(ROOT, 'tests/golden/game.scr')
GAME = os.path.join(os.path.dirname(REPLAY), '../game/frostvel')  # the desktop game, beside the tool
CHECKER = os.path.join(os.path.dirname(REPLAY), 'tevra_check/tevra-check')
AXE = os.path.join(ROOT, 'build/test-tools/node_modules/axe-core/axe.min.js')

CLIENT = (595, 496)  # the graphics window's client area: the part of the canvas that is shown
MENU_BAR = 19
MAGENTA = (255, 0, 255)
PANEL_RIGHT = 130  # client x where the control panel ends
TEXT_MARGIN = 6  # pixels around the desktop's text where the browser's fonts may ink differently


class Failure(Exception):
    pass


passed = 0  # checks passed so far


def report(line):
    global passed
    passed += 1
    print('browser test: ' + line)


def check(condition, message):
    if not condition:
        raise Failure(message)


def wait_for(what, condition, timeout=15.0):
    end = time.time() + timeout
    while time.time() < end:
        value = condition()
        if value:
            return value
        time.sleep(0.05)
    raise Failure('timed out waiting for ' + what)


class QuietHandler(http.server.SimpleHTTPRequestHandler):
    def log_message(self, *args):
        pass


def serve(directory):
    handler = functools.partial(QuietHandler, directory=directory)
    server = http.server.ThreadingHTTPServer(('127.0.0.1', 0), handler)
    threading.Thread(target=server.serve_forever, daemon=True).start()
    return server


def browser(profile):
    options = webdriver.ChromeOptions()
    options.binary_location = '/usr/bin/chromium'
    for flag in ('--headless=new', '--no-sandbox', '--disable-gpu', '--no-first-run',
                 '--disable-background-networking', '--disable-component-update', '--disable-sync',
                 '--window-size=1100,1000', '--user-data-dir=' + profile):
        options.add_argument(flag)
    return webdriver.Chrome(service=Service('/usr/bin/chromedriver'), options=options)


def page_value(driver, expression):
    return driver.execute_script('return ' + expression)


def shown_client(driver):
    """The graphics window's client area as the page shows it, read back from its canvas."""
    data = driver.execute_script("""
        const c = document.querySelector('.winport-window canvas');
        const d = c.getContext('2d').getImageData(0, arguments[0], arguments[1], arguments[2]).data;
        let s = '';
        for (let i = 0; i < d.length; i += 0x8000) s += String.fromCharCode.apply(null, d.subarray(i, i + 0x8000));
        return btoa(s);""", MENU_BAR, *CLIENT)
    return Image.frombytes('RGBA', CLIENT, base64.b64decode(data)).convert('RGB')


def magenta_outside_panel(image):
    return sum(1 for p in image.crop((PANEL_RIGHT, 0) + CLIENT).getdata() if p == MAGENTA)


def press(driver, target, *keys):
    """Ctrl+key for each key, typed into the element as a player types them."""
    actions = ActionChains(driver)
    for key in keys:
        actions.key_down(Keys.CONTROL, target).send_keys(key).key_up(Keys.CONTROL)
    actions.perform()


def replay_frames(script, directory, glyphs=True):
    """frostvel-replay's frames for the script, in order, cropped to the client area."""
    env = dict(os.environ)
    if not glyphs:
        env['WINPORT_GLYPHS'] = 'off'
    result = subprocess.run([REPLAY, '--frames', directory, script], env=env, capture_output=True, text=True)
    check(result.returncode in (0, 3), 'frostvel-replay failed: ' + result.stderr)
    names = sorted(n for n in os.listdir(directory) if n.endswith('.png'))
    return [Image.open(os.path.join(directory, n)).convert('RGB').crop((0, 0) + CLIENT) for n in names]


def differences_outside_text(shown, desktop, desktop_without_glyphs):
    """Pixels that differ between the two pictures, away from the desktop's text."""
    def mask(a, b):
        return ImageChops.difference(a, b).convert('L').point(lambda v: 255 if v else 0)
    text = mask(desktop, desktop_without_glyphs)
    for _ in range(TEXT_MARGIN):
        text = text.filter(ImageFilter.MaxFilter(3))
    outside = ImageChops.subtract(mask(shown, desktop), text)
    return sum(1 for v in outside.getdata() if v), outside.getbbox()


def live_game(driver, base, work):
    driver.get(base + '/frostvel.html?record=1&log=1')
    first = wait_for('the first frame', lambda: page_value(driver, 'WinportWeb.firstFrameAt'))
    report('first frame %.0f ms after the page was requested' % first)
    canvas = driver.find_element(By.CSS_SELECTOR, '.winport-window canvas')

    # The intro is 44 frames; then the building scene, with its panel and an empty second scoop.
    wait_for('the building scene', lambda: page_value(driver, 'WinportWeb.windows[1].presents') > 47)
    check(magenta_outside_panel(shown_client(driver)) == 0, 'a magenta scoop before any click')
    ActionChains(driver).move_to_element_with_offset(canvas, 57 - 595 // 2, 15 + MENU_BAR - 515 // 2).click().perform()
    wait_for('the magenta scoop', lambda: magenta_outside_panel(shown_client(driver)) > 500, 5)
    report('"Add Scoop" added the magenta scoop')

    # Halt, stop recording, and compare with the desktop's picture after the same events.
    press(driver, canvas, 'h', 'r')
    wait_for('the recording', lambda: page_value(driver, "WinportWeb.readFile('TEVRA.SCR')?.length"))
    time.sleep(0.3)
    shown = shown_client(driver)
    recorded = bytes(page_value(driver, "Array.from(WinportWeb.readFile('TEVRA.SCR'))"))
    script = os.path.join(work, 'live.scr')
    with open(script, 'wb') as f:
        f.write(recorded)
    desktop = replay_frames(script, os.path.join(work, 'live'))[-1]
    plain = replay_frames(script, os.path.join(work, 'live-plain'), glyphs=False)[-1]
    count, box = differences_outside_text(shown, desktop, plain)
    check(count == 0, '%d pixels outside text differ from the desktop (within %s)' % (count, box))
    report('the page equals the desktop outside text after %d recorded lines' % recorded.count(b'\n'))

    same_description(driver, work)
    menu_from_controls(driver)

    # Animate again and quit: the farewell plays, then the program ends.
    presents = page_value(driver, 'WinportWeb.windows[1].presents')
    press(driver, canvas, 'a', 'q')
    wait_for('the end of the program', lambda: page_value(driver, 'WinportWeb.exitStatus !== undefined'), 20)
    check(page_value(driver, 'WinportWeb.exitStatus') == 0, 'exit status ' + str(page_value(driver, 'WinportWeb.exitStatus')))
    played = page_value(driver, 'WinportWeb.windows[1] ? WinportWeb.windows[1].presents : 0') - presents
    check(played >= 60, 'the farewell showed only %d frames' % played)
    text = driver.find_element(By.ID, 'winport-status').text
    check(text == 'The program ended with status 0.', 'the page says: ' + text)
    report('Ctrl+Q played the farewell (%d frames); "%s"' % (played, text))


def same_description(driver, work):
    """The live region says what tevra-check describe says for the page's draw log."""
    log = os.path.join(work, 'live.log')
    with open(log, 'w') as f:
        f.write(page_value(driver, 'TevraPage.drawLog()'))
    result = subprocess.run([CHECKER, 'describe', '--log', log], capture_output=True, text=True)
    check(result.returncode == 0, 'tevra-check describe failed: ' + result.stderr)
    region = driver.find_element(By.ID, 'tevra-description')
    check(region.get_attribute('aria-live') == 'polite', 'the description is not a polite live region')
    said = lambda: page_value(driver, "document.getElementById('tevra-description').textContent")
    try:
        wait_for('the description', lambda: said() == result.stdout, 5)
    except Failure:
        raise Failure('the page says %r, tevra-check describe %r' % (said(), result.stdout))
    report('the live region describes the canvas as tevra-check does (%d lines)' % result.stdout.count('\n'))


def menu_from_controls(driver):
    """Alt, or F10, pressed on a page control opens the Run menu: Run > Animate, then Run > Halt."""
    presents = lambda: page_value(driver, 'WinportWeb.windows[1].presents')
    play = driver.find_element(By.ID, 'tevra-play')
    driver.execute_script('arguments[0].focus()', play)
    before = presents()
    ActionChains(driver).key_down(Keys.ALT).key_up(Keys.ALT).send_keys('r', 'a').perform()
    wait_for('animation after Alt, R, A', lambda: presents() > before + 5, 5)
    driver.execute_script('arguments[0].focus()', play)
    ActionChains(driver).send_keys(Keys.F10).send_keys('r', 'h').perform()
    time.sleep(0.3)
    halted = presents()
    time.sleep(0.5)
    check(presents() == halted, 'F10, R, H on a page control did not halt the animation')
    report('Alt and F10 on a page control work the Run menu (Animate, then Halt)')


# Each presented frame of the graphics window, cropped to the client area, as the CRC-32 of its RGBA bytes.
FRAME_SUMS = """
const table = new Int32Array(256);
for (let n = 0; n < 256; ++n) {
  let c = n;
  for (let k = 0; k < 8; ++k) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
  table[n] = c;
}
return WinportWeb.frames.map((f) => {
  const bytes = f.rgba.subarray(arguments[0] * f.width * 4);
  let c = -1;
  for (let y = 0; y < arguments[2]; ++y)
    for (let i = y * f.width * 4, end = i + arguments[1] * 4; i < end; ++i) c = table[(c ^ bytes[i]) & 255] ^ (c >>> 8);
  return (c ^ -1) >>> 0;
});
"""


def scripted_game(driver, base, work):
    start = time.time()
    driver.get(base + '/frostvel.html?script=game.scr&glyphs=off&frames=1&log=1')
    wait_for('the end of the scripted game', lambda: page_value(driver, "WinportWeb.exitStatus !== undefined"), 30)
    elapsed = time.time() - start
    check(page_value(driver, 'WinportWeb.exitStatus') == 0, 'the scripted game ended with another status')
    shown = driver.execute_script(FRAME_SUMS, MENU_BAR, *CLIENT)
    desktop = [zlib.crc32(f.convert('RGBA').tobytes()) for f in
               replay_frames(GAME_SCRIPT, os.path.join(work, 'game'), glyphs=False)]
    # The page may show the empty window before the program's first frame; after that every frame it
    # shows is one of the desktop's, in the same order, and none of the desktop's is left out.
    while shown and shown[0] != desktop[0]:
        shown.pop(0)
    at = 0
    for number, frame in enumerate(shown):
        while at < len(desktop) and desktop[at] != frame:
            at += 1
        check(at < len(desktop), 'frame %d of the page is not the desktop\'s next frame' % number)
    check(len(set(shown)) >= len(set(desktop)) - 1,
          'the page showed %d different frames, the desktop %d' % (len(set(shown)), len(set(desktop))))
    report('game.scr gave the desktop\'s %d frames without glyphs (%.1f s for the page)'
          % (len(desktop), elapsed))
    same_draw_log(page_value(driver, 'TevraPage.drawLog()'), work)


def same_draw_log(page_log, work):
    """The page's draw log of game.scr is the desktop game's, but for the whole-frame hashes."""
    check(page_log, 'the page wrote no draw log')
    env = dict(os.environ, WINPORT_DISPLAY='headless', TEVRA_SCRIPT=GAME_SCRIPT, TEVRA_LOG='desktop.log')
    result = subprocess.run([GAME], env=env, cwd=work, capture_output=True, text=True)
    check(result.returncode == 0, 'the desktop game ended with status %d' % result.returncode)
    with open(os.path.join(work, 'desktop.log')) as f:
        desktop = f.read()
    hashless = lambda log: re.sub(r'"hash":"[0-9a-f]{16}",', '', log).splitlines()
    ours, theirs = hashless(page_log), hashless(desktop)
    first = next((i for i, (a, b) in enumerate(zip(ours, theirs)) if a != b), min(len(ours), len(theirs)))
    check(ours == theirs, 'the draw logs part at line %d: page %r, desktop %r'
          % (first + 1, ours[first] if first < len(ours) else None, theirs[first] if first < len(theirs) else None))
    report('the page\'s draw log is the desktop\'s (%d records, whole-frame hashes aside)' % len(ours))


def accessible(driver, base):
    """axe-core finds no violation on any page, once its program shows its first frame."""
    check(os.path.exists(AXE), AXE + ' is missing (scripts/setup test installs it)')
    with open(AXE) as f:
        axe = f.read()
    driver.set_script_timeout(60)
    pages = sorted(n for n in os.listdir(WEB) if n.endswith('.html'))
    for page in pages:
        driver.get(base + '/' + page)
        if page.replace('.html', '.js') in os.listdir(WEB):
            wait_for('the first frame of ' + page, lambda: page_value(driver, 'WinportWeb.firstFrameAt'))
        driver.execute_script(axe)
        found = driver.execute_async_script("""
            const done = arguments[arguments.length - 1];
            axe.run(document).then((r) => done(r.violations.map((v) =>
                v.id + ' (' + v.impact + '): ' + v.nodes.map((n) => n.target.join(' ')).join(', '))),
              (e) => done(['axe failed: ' + e]));""")
        check(not found, '%s: %s' % (page, '; '.join(found)))
    report('axe-core %s: no violations on %d pages (%s)'
           % (page_value(driver, 'axe.version'), len(pages), ', '.join(pages)))


def tally(passed_checks, failed_checks):
    subprocess.run([os.path.join(ROOT, 'scripts/test-results'), 'add', 'web', str(passed_checks),
                    str(failed_checks)], cwd=ROOT)


def main():
    for needed in (os.path.join(WEB, 'frostvel.html'), REPLAY):
        if not os.path.exists(needed):
            print('browser test FAILED: %s is not built' % needed)
            tally(0, 1)
            return 1
    with tempfile.TemporaryDirectory() as work:
        site = os.path.join(work, 'site')
        os.mkdir(site)
        for name in os.listdir(WEB):
            os.symlink(os.path.join(WEB, name), os.path.join(site, name))
        os.symlink(GAME_SCRIPT, os.path.join(site, 'game.scr'))
        server = serve(site)
        driver = browser(os.path.join(work, 'profile'))
        base = 'http://127.0.0.1:%d' % server.server_address[1]
        try:
            live_game(driver, base, work)
            scripted_game(driver, base, work)
            accessible(driver, base)
        except Failure as failure:
            print('browser test FAILED: %s' % failure)
            for entry in driver.get_log('browser'):
                print('  browser: %s' % entry['message'])
            tally(passed, 1)
            return 1
        finally:
            driver.quit()
            server.shutdown()
    tally(passed, 0)
    return 0


if __name__ == '__main__':
    sys.exit(main())
