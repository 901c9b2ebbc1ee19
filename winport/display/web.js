// web.js — the page half of winport's web display (web.cpp), loaded before the program.
//
// WinportWeb keeps one captioned <canvas> per top-level window inside the element #winport-screen,
// turns the DOM's mouse and keyboard events into Win32 input (virtual keys; the character a key
// types comes from winport's keyboard table, as on the desktop) queued for the program, and wakes
// the program when it waits. Keys typed into a window stay with the program: the browser never sees
// Ctrl+R, Ctrl+P, Ctrl+O or Ctrl+Q while a window has the focus.
//
// The page (web.html) reads its address parameters through WinportWeb.params; a program's own page
// script (an extra --pre-js) may read more:
//   glyphs=off   text is measured and placed but no glyph is drawn (for comparing pixels with the
//                desktop, whose fonts differ)
//   frames=1     every frame presented to the first window is kept in WinportWeb.frames (tests)
var WinportWeb = {
  screenWidth: 1024,
  screenHeight: 768,
  windows: {},
  nextId: 1,
  queue: [],
  wakeUp: null,
  frames: null,
  params: new URLSearchParams(typeof location != 'undefined' ? location.search : ''),

  // ---- windows ---------------------------------------------------------------------------------
  create: function(title) {
    const id = WinportWeb.nextId++;
    const frame = document.createElement('div');
    frame.className = 'winport-window';
    frame.style.display = 'none';
    const caption = document.createElement('div');
    caption.className = 'winport-caption';
    const name = document.createElement('span');
    name.textContent = title;
    const close = document.createElement('button');
    close.className = 'winport-close';
    close.title = 'Close';
    close.setAttribute('aria-label', 'Close ' + title);
    close.textContent = '\u00d7';
    close.addEventListener('click', () => WinportWeb.post([5, id]));
    caption.append(name, close);
    const canvas = document.createElement('canvas');
    canvas.width = canvas.height = 0;
    canvas.tabIndex = 0;
    canvas.setAttribute('role', 'application');  // keys typed here are the program's
    canvas.setAttribute('aria-label', title);
    frame.append(caption, canvas);
    (document.getElementById('winport-screen') || document.body).append(frame);
    WinportWeb.windows[id] = {frame: frame, name: name, close: close, canvas: canvas,
                              context: canvas.getContext('2d'), shown: false};
    WinportWeb.listen(id, canvas);
    return id;
  },
  destroy: function(id) {
    const w = WinportWeb.windows[id];
    if (w) w.frame.remove();
    delete WinportWeb.windows[id];
  },
  show: function(id, visible) {
    const w = WinportWeb.windows[id];
    if (!w) return;
    w.frame.style.display = visible ? '' : 'none';
    // The first window shown takes the keyboard, as a new window does on the desktop.
    if (visible && !w.shown && !document.querySelector('.winport-window canvas:focus')) w.canvas.focus();
    w.shown = w.shown || visible;
  },
  setTitle: function(id, title) {
    const w = WinportWeb.windows[id];
    if (!w) return;
    w.name.textContent = title;
    w.canvas.setAttribute('aria-label', title);
    w.close.setAttribute('aria-label', 'Close ' + title);
  },
  present: function(id, rgba, width, height) {
    const w = WinportWeb.windows[id];
    if (!w) return;
    if (w.canvas.width != width || w.canvas.height != height) {
      w.canvas.width = width;
      w.canvas.height = height;
    }
    w.context.putImageData(new ImageData(new Uint8ClampedArray(rgba), width, height), 0, 0);
    w.presents = (w.presents || 0) + 1;
    if (id == 1 && WinportWeb.firstFrameAt === undefined) WinportWeb.firstFrameAt = performance.now();
    if (WinportWeb.frames && id == 1) WinportWeb.frames.push({width: width, height: height, rgba: rgba.slice()});
  },

  // ---- text (gdi/web/font.cpp) ------------------------------------------------------------------
  // The 2D context glyphs are drawn and measured in, at least width x height pixels.
  fontContext: function(width, height) {
    let c = WinportWeb.fontCanvas;
    if (!c) {
      c = WinportWeb.fontCanvas = typeof OffscreenCanvas != 'undefined' ? new OffscreenCanvas(1, 1)
                                                                         : document.createElement('canvas');
      WinportWeb.fontContext2d = c.getContext('2d', {willReadFrequently: true});
    }
    if (c.width < width || c.height < height) {
      c.width = Math.max(c.width, width);
      c.height = Math.max(c.height, height);
    }
    return WinportWeb.fontContext2d;
  },

  // ---- input -----------------------------------------------------------------------------------
  post: function(item) {
    while (item.length < 8) item.push(0);
    WinportWeb.queue.push(item);
    if (WinportWeb.wakeUp) WinportWeb.wakeUp();
  },
  // Called at each wait of the program (and each turn it gives the browser while busy): the moment
  // the page may look at what the program did, since it is not running.
  waitWatchers: [],
  wait: function(timeout) {
    WinportWeb.waitWatchers.forEach((watch) => watch());
    if (WinportWeb.queue.length) return Promise.resolve();
    return new Promise((resolve) => {
      let timer = null;
      WinportWeb.wakeUp = () => {
        WinportWeb.wakeUp = null;
        if (timer !== null) clearTimeout(timer);
        resolve();
      };
      if (timeout >= 0) timer = setTimeout(WinportWeb.wakeUp, timeout);
    });
  },
  // Canvas pixels of a mouse event (the canvas may be shown scaled).
  point: function(canvas, e) {
    const r = canvas.getBoundingClientRect();
    const sx = r.width > 0 ? canvas.width / r.width : 1, sy = r.height > 0 ? canvas.height / r.height : 1;
    return [Math.floor((e.clientX - r.left) * sx), Math.floor((e.clientY - r.top) * sy)];
  },
  listen: function(id, canvas) {
    const buttons = {0: 1, 1: 2, 2: 3};  // DOM's left, middle, right
    const button = (down) => (e) => {
      if (!(e.button in buttons)) return;
      if (down) canvas.focus();
      const p = WinportWeb.point(canvas, e);
      WinportWeb.post([1, id, buttons[e.button], down ? 1 : 0, p[0], p[1]]);
      e.preventDefault();
    };
    canvas.addEventListener('mousedown', button(true));
    canvas.addEventListener('mouseup', button(false));
    canvas.addEventListener('contextmenu', (e) => e.preventDefault());
    canvas.addEventListener('mousemove', (e) => {
      const p = WinportWeb.point(canvas, e);
      WinportWeb.post([2, id, p[0], p[1]]);
    });
    const key = (down) => (e) => {
      const vk = WinportWeb.virtualKey(e.code || '');
      if (!vk) return;
      const caps = e.getModifierState && e.getModifierState('CapsLock');
      const mods = (e.ctrlKey ? 1 : 0) | (e.shiftKey ? 2 : 0) | (e.altKey ? 4 : 0) | (caps ? 8 : 0);
      WinportWeb.post([3, id, vk, down ? 1 : 0, mods]);
      e.preventDefault();  // the program's key, not the browser's (Ctrl+R, Ctrl+P, ...)
    };
    canvas.addEventListener('keydown', key(true));
    canvas.addEventListener('keyup', key(false));
    canvas.addEventListener('focus', () => {
      WinportWeb.active = id;
      WinportWeb.post([4, id, 1]);
    });
    canvas.addEventListener('blur', () => WinportWeb.post([4, id, 0]));
  },
  // The virtual key of a DOM key code (where the key sits, whatever the layout), or 0 for a key
  // winport lacks.
  keys: {
    Space: 0x20, Enter: 0x0D, NumpadEnter: 0x0D, Tab: 0x09, Backspace: 0x08, Escape: 0x1B,
    Delete: 0x2E, Insert: 0x2D, Home: 0x24, End: 0x23, PageUp: 0x21, PageDown: 0x22,
    ArrowLeft: 0x25, ArrowUp: 0x26, ArrowRight: 0x27, ArrowDown: 0x28,
    ControlLeft: 0x11, ControlRight: 0x11, ShiftLeft: 0x10, ShiftRight: 0x10, AltLeft: 0x12, AltRight: 0x12,
    Minus: 0xBD, Equal: 0xBB, BracketLeft: 0xDB, BracketRight: 0xDD, Backslash: 0xDC, Semicolon: 0xBA,
    Quote: 0xDE, Comma: 0xBC, Period: 0xBE, Slash: 0xBF, Backquote: 0xC0,
    NumpadMultiply: 0x6A, NumpadAdd: 0x6B, NumpadSubtract: 0x6D, NumpadDivide: 0x6F, NumpadDecimal: 0x6E,
  },
  virtualKey: function(code) {
    let m = /^Key([A-Z])$/.exec(code);
    if (m) return m[1].charCodeAt(0);
    if ((m = /^Digit([0-9])$/.exec(code))) return 48 + +m[1];
    if ((m = /^Numpad([0-9])$/.exec(code))) return 0x60 + +m[1];
    if ((m = /^F([0-9]+)$/.exec(code)) && +m[1] >= 1 && +m[1] <= 12) return 0x6F + +m[1];
    return WinportWeb.keys[code] || 0;
  },
};

// ---- the page ------------------------------------------------------------------------------------
// Start-up: address parameters are applied before the program starts; the program's main runs
// through ccall so that its result (after any number of waits) reaches the page as its exit status.
Object.assign(WinportWeb, {
  element: function(id) { return document.getElementById(id); },
  say: function(text) {
    const status = WinportWeb.element('winport-status');
    if (status) status.textContent = text;
  },
  // Alt (pressed and released alone) or F10 on the page's own controls work the menu bar of the
  // window last used, as on the desktop, where the keys go to the active window: it takes the
  // keyboard and is given the key. In a window the keys are its own already.
  menuKeys: function() {
    let altAlone = false;
    const inWindow = (e) => e.target instanceof HTMLCanvasElement && e.target.closest('.winport-window');
    const give = (vk, mods) => {
      const w = WinportWeb.windows[WinportWeb.active || 1];
      if (!w || !w.shown) return;
      w.canvas.focus();
      WinportWeb.post([3, WinportWeb.active, vk, 1, mods]);
      WinportWeb.post([3, WinportWeb.active, vk, 0, 0]);
    };
    document.addEventListener('keydown', (e) => {
      altAlone = e.key == 'Alt' && !e.ctrlKey && !e.shiftKey && !e.metaKey;
      if (inWindow(e) || e.code != 'F10' || e.altKey || e.ctrlKey || e.shiftKey) return;
      e.preventDefault();
      give(0x79, 0);
    });
    document.addEventListener('keyup', (e) => {
      if (!altAlone || e.key != 'Alt' || inWindow(e)) return;
      altAlone = false;
      e.preventDefault();
      give(0x12, 4);
    });
  },
  prepare: function() {
    WinportWeb.menuKeys();
    const p = WinportWeb.params;
    if (p.get('glyphs') == 'off') ENV.WINPORT_GLYPHS = 'off';
    if (p.get('frames')) WinportWeb.frames = [];
  },
  start: function() {
    WinportWeb.startedAt = performance.now();
    WinportWeb.say('Running.');
    let result;
    try {
      result = Module.ccall('main', 'number', ['number', 'number'], [0, 0], {async: true});
    } catch (e) {
      if (!(e instanceof ExitStatus)) throw e;
      return WinportWeb.ended(e.status);
    }
    Promise.resolve(result).then(WinportWeb.ended, (e) => {
      if (e instanceof ExitStatus) WinportWeb.ended(e.status);
      else WinportWeb.say('The program stopped with an error: ' + e);
    });
  },
  ended: function(status) {
    if (WinportWeb.exitStatus !== undefined) return;
    WinportWeb.exitStatus = status;
    WinportWeb.say('The program ended with status ' + status + '.');
    document.body.classList.add('winport-ended');
  },
  // emscripten gave up: before the program started that is nearly always its .wasm, missing or not
  // served (a page opened as a file cannot fetch it), and the page says so instead of staying blank.
  aborted: function(what) {
    if (WinportWeb.startedAt === undefined) {
      WinportWeb.say('The program could not be loaded: ' + WinportWeb.wasm + ' is missing or could not be ' +
                     'fetched. Serve it from the same folder as this page, over http (' + what + ').');
    } else {
      WinportWeb.say('The program stopped with an error: ' + what);
    }
    document.body.classList.add('winport-ended');
  },
  // A file of the page's file system (the program's current directory), or null.
  readFile: function(name) {
    try {
      return FS.readFile(name);
    } catch (e) {
      return null;
    }
  },
});

// The program's .wasm, named after its .js (this script, while it loads).
WinportWeb.wasm = ((typeof document != 'undefined' && document.currentScript && document.currentScript.src) ||
                   'its .wasm file').split('/').pop().replace(/\.js(\?.*)?$/, '.wasm');
Module.preRun = [].concat(Module.preRun || [], [WinportWeb.prepare]);
Module.onAbort = WinportWeb.aborted;
Module.onRuntimeInitialized = WinportWeb.start;
Module.onExit = WinportWeb.ended;
Module.print = Module.print || ((text) => console.log(text));
Module.printErr = Module.printErr || ((text) => console.warn(text));
