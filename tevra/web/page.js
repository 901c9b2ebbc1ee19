// page.js — the TEVRA parts of a TEVRA program's page, loaded after winport's web.js.
//
// Address parameters:
//   script=URL   the script file is fetched and played from the start (TEVRA_SCRIPT)
//   record=1     Record Script starts at the first wait (what the program then does can be replayed
//                from the start, on the desktop too)
//   log=1        the run's draw log is written to /tevra.log in the page's file system (TEVRA_LOG);
//                TevraPage.drawLog() returns it
// and controls beside winport's status line: load a script as TEVRA.SCR, play it (all, or one
// event at a time), and download the TEVRA.SCR that Record Script wrote. They work through the
// Run menu's Ctrl keys, as a player would press them.
//
// The canvas is also said in words, for screen readers, in the polite live region
// #tevra-description: the draw log's lines are collected as the program writes them and, at its
// waits, at most once a second, described as `tevra-check describe` describes a log (the latest
// canvas wins). Without log=1 the log goes to a file that keeps nothing.
var TevraPage = {
  prepare: function() {
    const p = WinportWeb.params;
    const script = p.get('script');
    if (script) TevraPage.fetchScript(script);
    if (p.get('record')) TevraPage.command('R');
    TevraPage.collectLog(!!p.get('log'));
    TevraPage.addControls();
    TevraPage.addDescription();
  },
  // ---- the canvas in words ----------------------------------------------------------------------
  describeEveryMs: 1000,
  logBytes: [],         // what the program wrote to the log since the last description
  describedAt: -Infinity,
  describeTimer: null,
  // The log file's writes reach the page as well; a log that was not asked for is not stored. The
  // program's writes succeed either way, so the run is the same.
  collectLog: function(keep) {
    const path = keep ? '/tevra.log' : '/tevra-describe.log';
    FS.writeFile(path, '');
    const node = FS.lookupPath(path).node;
    const write = node.stream_ops.write;
    node.stream_ops = Object.assign({}, node.stream_ops, {
      write: (stream, buffer, offset, length, position, canOwn) => {
        TevraPage.logBytes.push(buffer.slice(offset, offset + length));
        return keep ? write(stream, buffer, offset, length, position, canOwn) : length;
      },
    });
    ENV.TEVRA_LOG = path;
    WinportWeb.waitWatchers.push(TevraPage.describeSoon);
  },
  addDescription: function() {
    const screen = WinportWeb.element('winport-screen');
    if (!screen) return;
    const region = document.createElement('div');
    region.id = 'tevra-description';
    region.className = 'winport-unseen';
    region.setAttribute('aria-live', 'polite');
    screen.after(region);
  },
  describeSoon: function() {
    if (TevraPage.describeTimer !== null || !TevraPage.logBytes.length) return;
    const delay = Math.max(0, TevraPage.describedAt + TevraPage.describeEveryMs - performance.now());
    TevraPage.describeTimer = setTimeout(TevraPage.describeNow, delay);
  },
  // Runs between the program's turns (it is waiting): the whole lines go to the describer, a line
  // still being written stays for the next time.
  describeNow: function() {
    TevraPage.describeTimer = null;
    if (WinportWeb.exitStatus !== undefined) return;  // the program and its describer are gone
    const chunks = TevraPage.logBytes;
    const bytes = new Uint8Array(chunks.reduce((n, c) => n + c.length, 0));
    chunks.reduce((at, c) => (bytes.set(c, at), at + c.length), 0);
    const end = bytes.lastIndexOf(10) + 1;
    TevraPage.logBytes = end < bytes.length ? [bytes.slice(end)] : [];
    if (!end) return;
    TevraPage.describedAt = performance.now();
    // Called directly, not through ccall, which would take them for a part of the sleeping program.
    HEAPU8.set(bytes.subarray(0, end), Module._tevra_page_log_space(end));
    const words = UTF8ToString(Module._tevra_page_describe());
    const region = WinportWeb.element('tevra-description');
    if (words && region && region.textContent != words) region.textContent = words;
  },
  // ---- scripts ---------------------------------------------------------------------------------
  // The fetched script is played as TEVRA_SCRIPT plays a file on the desktop: from the start,
  // under its own name, so TEVRA.SCR stays the page's recording.
  fetchScript: function(script) {
    addRunDependency('tevra-script');
    fetch(script).then((r) => {
      if (!r.ok) throw new Error(r.status + ' ' + r.statusText);
      return r.arrayBuffer();
    }).then((data) => {
      FS.mkdirTree('/scripts');
      const path = '/scripts/' + (script.split('/').pop().replace(/[^A-Za-z0-9._-]/g, '_') || 'script');
      FS.writeFile(path, new Uint8Array(data));
      ENV.TEVRA_SCRIPT = path;
    }).catch((e) => WinportWeb.say('The script ' + script + ' could not be loaded (' + e.message + ').'))
      .finally(() => removeRunDependency('tevra-script'));
  },
  drawLog: function() {
    try {
      return FS.readFile('/tevra.log', {encoding: 'utf8'});
    } catch (e) {
      return null;
    }
  },
  // Ctrl+letter on the graphics window (the first window), as a player presses it.
  command: function(letter) {
    const vk = letter.toUpperCase().charCodeAt(0);
    WinportWeb.post([4, 1, 1]);
    WinportWeb.post([3, 1, 0x11, 1, 1]);
    WinportWeb.post([3, 1, vk, 1, 1]);
    WinportWeb.post([3, 1, vk, 0, 1]);
    WinportWeb.post([3, 1, 0x11, 0, 0]);
  },
  control: function(html) {
    const t = document.createElement('template');
    t.innerHTML = html.trim();
    return t.content.firstChild;
  },
  addControls: function() {
    const bar = WinportWeb.element('winport-controls');
    if (!bar) return;
    const status = WinportWeb.element('winport-status');
    const chooser = TevraPage.control('<input type="file" id="tevra-script-file">');
    const label = document.createElement('label');
    label.append('Script file: ', chooser);
    const button = (id, title, text, what) => {
      const b = TevraPage.control('<button type="button" id="' + id + '"></button>');
      b.title = title;
      b.textContent = text;
      b.addEventListener('click', what);
      return b;
    };
    bar.insertBefore(label, status);
    bar.insertBefore(button('tevra-play', 'Run > Playback Script (Ctrl+P)', 'Play', () => TevraPage.command('P')), status);
    bar.insertBefore(button('tevra-play-one', 'Run > Play One Script (Ctrl+O)', 'Play one',
                            () => TevraPage.command('O')), status);
    bar.insertBefore(button('tevra-download', 'The script Run > Record Script (Ctrl+R) wrote', 'Download TEVRA.SCR',
                            TevraPage.download), status);
    chooser.addEventListener('change', () => TevraPage.load(chooser.files[0]));
  },
  load: function(file) {
    if (!file) return;
    file.arrayBuffer().then((data) => {
      FS.writeFile('TEVRA.SCR', new Uint8Array(data));
      WinportWeb.say(file.name + ' is TEVRA.SCR now: "Play" (Ctrl+P) plays it, "Play one" (Ctrl+O) one event at a time.');
    });
  },
  download: function() {
    const data = WinportWeb.readFile('TEVRA.SCR');
    if (!data) return WinportWeb.say('There is no TEVRA.SCR yet: Run > Record Script (Ctrl+R) writes one.');
    const link = document.createElement('a');
    link.href = URL.createObjectURL(new Blob([data], {type: 'text/plain'}));
    link.download = 'TEVRA.SCR';
    link.click();
    setTimeout(() => URL.revokeObjectURL(link.href), 1000);
  },
};

Module.preRun = [].concat(Module.preRun || [], [TevraPage.prepare]);
