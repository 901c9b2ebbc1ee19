#!/usr/bin/python3
"""The web kit as its users get it: installed (with BUILD, default build/debug, which carries
build/web-kit's kit) into a scratch prefix, and a program not in this tree built with it alone:
tevra-web's page, its two failures (no emcc, a compile error), the page played from a script against
the same program built for Linux (exit status, last frame outside text), the page without its .wasm,
find_package(tevra) under emcmake, and the Debian package. Tallied as "web-kit" for make test.
"""
import os
import re
import shutil
import subprocess
import sys
import tempfile

sys.path.insert(0, os.path.dirname(os.path.abspath(__file__)))
from browser_test import Failure, ROOT, browser, check, page_value, serve, wait_for  # noqa: E402

BUILD = os.path.abspath(sys.argv[1] if len(sys.argv) > 1 else os.path.join(ROOT, 'build/debug'))

# Shapes; a click adds a dot and counts it; q ends the program.
PROGRAM = r'''#include <tevra.h>
int main(void) {
  int x, y, clicks = 0, kind;
  char key;
  tevra_open(0, 0, "", 1);
  tevra_clear();
  tevra_rectangle(TEVRA_BLUE, -100, -80, 100, 80, 0);
  tevra_oval(TEVRA_ORANGE, -60, -40, 60, 40, 3);
  tevra_triangle(TEVRA_GREEN, -30, -20, 30, -20, 0, 35, 0);
  tevra_text(TEVRA_BLACK, -90, 100, 16, "Click the box");
  while ((kind = tevra_await_event(&x, &y, &key)) != TEVRA_QUIT && !(kind == TEVRA_KBD && key == 'q')) {
    if (kind != TEVRA_MOUSE) continue;
    tevra_circle(TEVRA_MAGENTA, x, y, 12);
    tevra_printf(TEVRA_BLACK, -90, -110, 14, "%d clicks", ++clicks);
  }
  tevra_close();
  return 0;
}
'''
SCRIPT = 'TEVRA_MOUSE(10, 20);\nTEVRA_PERIODIC(3);\nTEVRA_MOUSE(-70, -50);\nTEVRA_MOUSE(80, 60);\nTEVRA_KBD(113);\n'

passed = 0


def report(line):
    global passed
    passed += 1
    print('web kit test: ' + line)


def run(command, **options):
    return subprocess.run(command, capture_output=True, text=True, **options)


def install(work):
    prefix = os.path.join(work, 'prefix')
    result = run(['cmake', '--install', BUILD, '--prefix', prefix])
    check(result.returncode == 0, 'install: ' + result.stdout + result.stderr)
    return prefix


def build_page(prefix, work):
    """tevra-web's page of the program, and its two ways of failing."""
    tevra_web = os.path.join(prefix, 'bin/tevra-web')
    site = os.path.join(work, 'site')
    result = run([tevra_web, 'hello.c', '-o', site], cwd=work)
    check(result.returncode == 0, 'tevra-web failed: ' + result.stderr)
    for ext in ('html', 'js', 'wasm'):
        check(os.path.getsize(os.path.join(site, 'hello.' + ext)) > 0, 'no hello.' + ext)
    report('tevra-web hello.c -o site: hello.html, hello.js (%d bytes), hello.wasm (%d bytes)'
           % (os.path.getsize(os.path.join(site, 'hello.js')), os.path.getsize(os.path.join(site, 'hello.wasm'))))

    # Without emcc on the PATH (only the tools the script itself uses).
    tools = os.path.join(work, 'tools')
    os.mkdir(tools)
    for tool in ('bash', 'dirname', 'readlink'):
        os.symlink(shutil.which(tool), os.path.join(tools, tool))
    result = run([tevra_web, 'hello.c', '-o', os.path.join(work, 'none')], cwd=work, env={'PATH': tools})
    check(result.returncode == 2 and result.stderr == 'tevra-web: emcc not found; install it with: '
          'sudo apt-get install emscripten\n', 'without emcc: status %d, %r' % (result.returncode, result.stderr))
    with open(os.path.join(work, 'broken.c'), 'w') as f:
        f.write('#include <tevra.h>\nint main(void) { return tevra_circle(TEVRA_RED, 0, 0); }\n')
    result = run([tevra_web, 'broken.c', '-o', os.path.join(work, 'broken')], cwd=work)
    check(result.returncode == 1 and 'broken.c:2' in result.stderr,
          'a program that does not compile: status %d, %r' % (result.returncode, result.stderr[-300:]))
    check(not os.path.exists(os.path.join(work, 'broken/broken.html')), 'a page for a program that did not build')
    report('without emcc: one line and status 2; a compile error: the compiler\'s messages and status 1')
    return site


def last_frame(log):
    frames = [m.group(1) for m in re.finditer(r'^\{"frame":\d+,"hash":"[0-9a-f]+","outside_text":"([0-9a-f]+)"\}$',
                                              log, re.MULTILINE)]
    check(frames, 'a draw log without frames')
    return frames[-1], len(frames)


def desktop_run(prefix, work):
    """The program built for Linux against the installed library, run headless on the script."""
    env = dict(os.environ, PKG_CONFIG_PATH=os.path.join(prefix, 'lib/pkgconfig'))
    flags = run(['pkg-config', '--cflags', '--libs', 'tevra'], env=env).stdout.split()
    result = run(['cc', '-Wall', '-Wextra', '-Werror', 'hello.c', *flags, '-o', 'hello'], cwd=work)
    check(result.returncode == 0, 'cc: ' + result.stderr)
    env = dict(os.environ, WINPORT_DISPLAY='headless', TEVRA_SCRIPT='hello.scr', TEVRA_LOG='desktop.log')
    result = run(['./hello'], cwd=work, env=env, timeout=60)
    check(result.returncode == 0, 'the desktop program ended with status %d' % result.returncode)
    with open(os.path.join(work, 'desktop.log')) as f:
        return last_frame(f.read())


def play_page(driver, base, desktop):
    driver.get(base + '/hello.html?script=hello.scr&log=1')
    wait_for('the end of the page\'s program', lambda: page_value(driver, 'WinportWeb.exitStatus !== undefined'), 30)
    status = page_value(driver, 'WinportWeb.exitStatus')
    check(status == 0, 'the page\'s program ended with status %s' % status)
    page = last_frame(page_value(driver, 'TevraPage.drawLog()') or '')
    check(page == desktop, 'last frame outside text: page %s (of %d frames), desktop %s (of %d)' % (page + desktop))
    said = page_value(driver, "document.getElementById('tevra-description').textContent") or ''
    check('canvas' in said, 'the page said nothing of its canvas to screen readers: %r' % said[:80])
    report('the page ended with status 0, its last frame (%d) equal to the desktop\'s outside text' % (page[1] - 1))


def missing_wasm(driver, base):
    driver.get(base + '/without-wasm/hello.html')
    text = wait_for('the page to say its .wasm is missing', lambda: re.search(
        r'could not be loaded: hello\.wasm is missing', page_value(driver, "document.getElementById('winport-status').textContent")), 15)
    report('without its .wasm the page says: "%s..."' % text.string[:60])


def cmake_project(prefix, work):
    """find_package(tevra) under emcmake: tevra_add_web_page() makes the page."""
    project = os.path.join(work, 'project')
    os.mkdir(project)
    shutil.copy(os.path.join(work, 'hello.c'), project)
    with open(os.path.join(project, 'CMakeLists.txt'), 'w') as f:
        f.write('cmake_minimum_required(VERSION 3.22)\nproject(hello C)\nfind_package(tevra 1 REQUIRED)\n'
                'add_executable(hello hello.c)\ntevra_add_web_page(hello)\n')
    env = dict(os.environ, NODE_PATH='/usr/share/nodejs')
    result = run(['emcmake', 'cmake', '-S', project, '-B', project + '/build', '-G', 'Ninja',
                  '-Dtevra_DIR=' + os.path.join(prefix, 'lib/cmake/tevra')], env=env)
    check(result.returncode == 0, 'emcmake cmake: ' + result.stdout[-1000:] + result.stderr[-1000:])
    result = run(['cmake', '--build', project + '/build'], env=env)
    check(result.returncode == 0, 'building the CMake project: ' + result.stdout[-1500:])
    for ext in ('html', 'js', 'wasm'):
        check(os.path.exists(os.path.join(project, 'build/hello.' + ext)), 'the CMake project made no hello.' + ext)
    with open(os.path.join(project, 'build/hello.html')) as f:
        check('<script src="hello.js"' in f.read(), 'the CMake project\'s page does not load hello.js')
    report('find_package(tevra) under emcmake: tevra_add_web_page(hello) made hello.html, .js and .wasm')


def debian_package(work):
    """The Debian package carries the web kit as well."""
    result = run(['cpack', '-G', 'DEB', '-B', os.path.join(work, 'package')], cwd=BUILD)
    check(result.returncode == 0, 'cpack: ' + result.stdout[-1000:] + result.stderr[-1000:])
    deb = [n for n in os.listdir(os.path.join(work, 'package')) if n.endswith('.deb')][0]
    deb = os.path.join(work, 'package', deb)
    contents = run(['dpkg-deb', '-c', deb]).stdout
    for f in ('./usr/bin/tevra-web', './usr/share/tevra/web/libtevra.a', './usr/share/tevra/web/page.js',
              './usr/lib/cmake/tevra/tevraConfig.cmake'):
        check(re.search(' ' + re.escape(f) + '$', contents, re.MULTILINE), os.path.basename(deb) + ' lacks ' + f)
    report('%s carries tevra-web and the web kit' % os.path.basename(deb))


def tally(passed_checks, failed_checks):
    subprocess.run([os.path.join(ROOT, 'scripts/test-results'), 'add', 'web-kit', str(passed_checks),
                    str(failed_checks)], cwd=ROOT)


def main():
    with tempfile.TemporaryDirectory() as work:
        with open(os.path.join(work, 'hello.c'), 'w') as f:
            f.write(PROGRAM)
        with open(os.path.join(work, 'hello.scr'), 'w') as f:
            f.write(SCRIPT)
        driver = server = None
        try:
            prefix = install(work)
            site = build_page(prefix, work)
            shutil.copy(os.path.join(work, 'hello.scr'), site)
            bare = os.path.join(site, 'without-wasm')
            os.mkdir(bare)
            for ext in ('html', 'js'):
                shutil.copy(os.path.join(site, 'hello.' + ext), bare)
            desktop = desktop_run(prefix, work)
            server = serve(site)
            driver = browser(os.path.join(work, 'profile'))
            base = 'http://127.0.0.1:%d' % server.server_address[1]
            play_page(driver, base, desktop)
            missing_wasm(driver, base)
            cmake_project(prefix, work)
            debian_package(work)
        except Failure as failure:
            print('web kit test FAILED: %s' % failure)
            tally(passed, 1)
            return 1
        finally:
            if driver:
                driver.quit()
            if server:
                server.shutdown()
    tally(passed, 0)
    return 0


if __name__ == '__main__':
    sys.exit(main())
