// The page around the machine: menus, dialogs, the screen canvas, keys, the
// clipboard and dropped files. It keeps a queue of the user's actions, which
// the machine's host (web_host.cpp, through page_library.js) takes from its
// pump; the dialogs and the file chooser are shown when the host asks for
// them, and the host waits until they are answered.
'use strict';

var Zorva = (function () {
  var Kind = { Command: 1, KeyDown: 2, KeyUp: 3, Paste: 4, Drop: 5, Blur: 6 };
  // Far more than the machine takes (64 KiB of text, 16 KiB images): a larger
  // file is cut here, which the machine then refuses by its size.
  var kLongestFile = 64 * 1024 + 1;

  var queue = [];
  var wakeOnEvent = null;  // the idle loop's wait, when it waits
  var canvas = document.getElementById('screen');
  var box = document.getElementById('screen-box');
  var offscreen = document.createElement('canvas');
  offscreen.width = 320;
  offscreen.height = 200;
  var offscreenContext = offscreen.getContext('2d');
  var frame = offscreenContext.createImageData(320, 200);
  var zoom = 2;
  var openDialogs = 0;
  var ended = false;

  // --- The queue and the host's waits ----------------------------------------

  function post(event) {
    if (ended) return;
    queue.push(event);
    if (wakeOnEvent) {
      var wake = wakeOnEvent;
      wakeOnEvent = null;
      wake();
    }
  }

  // A zero-delay task without setTimeout's clamping of nested timers.
  var channel = new MessageChannel();
  var yielded = [];
  channel.port1.onmessage = function () { yielded.shift()(); };
  function yieldOnce(wakeUp) {
    yielded.push(wakeUp);
    channel.port2.postMessage(0);
  }

  function waitForEvent(ms, wakeUp) {
    if (queue.length) { yieldOnce(wakeUp); return; }
    var done = false;
    var finish = function () {
      if (done) return;
      done = true;
      wakeOnEvent = null;
      clearTimeout(timer);
      wakeUp();
    };
    var timer = setTimeout(finish, Math.max(0, ms));
    wakeOnEvent = finish;
  }

  function takeEvent() { return queue.shift(); }

  // --- Menus ------------------------------------------------------------------

  // The window's menu bar: title, then items (null: a separator); an item is
  // [text with & before its mnemonic, command, enabled].
  var menus = [
    ['&File', [['Load Machine &Rom....', 'load-rom', true], ['&Load Cartridge image', 'load-cartridge', true],
               ['&Save Memory image', 'save-memory', true], null, ['E&xit', 'exit', true]]],
    ['&Processor', [['&Start', 'start', true], ['S&top', 'stop', true], null,
                    ['S&low', 'slow', false], ['&Medium', 'medium', false], ['&Fast', 'fast', false], null,
                    ['&Advanced...', 'advanced', true], ['&Reset', 'reset', true]]],
    ['&View', [['&100%', 'view-100', true], ['&200%', 'view-200', true], ['&400%', 'view-400', true], null,
               ['&Clear Screen Ram', 'clear-screen-ram', true]]],
    // Shown, but it cannot be opened: its commands are reserved for developers.
    ['&Debug', null],
    ['&Help', [['&About ZORVA', 'about', true]]],
  ];
  var menubar = document.getElementById('menubar');
  var titles = [];
  var popups = [];
  var openMenu = -1;

  function labelled(element, text) {
    var at = text.indexOf('&');
    element.appendChild(document.createTextNode(text.slice(0, at)));
    var mnemonic = document.createElement('span');
    mnemonic.className = 'mnemonic';
    mnemonic.textContent = text.charAt(at + 1);
    element.appendChild(mnemonic);
    element.appendChild(document.createTextNode(text.slice(at + 2)));
    return text.charAt(at + 1).toLowerCase();
  }

  menus.forEach(function (menu, index) {
    var title = document.createElement('button');
    title.type = 'button';
    title.className = 'menu-title';
    title.setAttribute('role', 'menuitem');
    title.tabIndex = -1;
    title.dataset.mnemonic = labelled(title, menu[0]);
    title.id = 'menu-' + title.textContent.toLowerCase();
    menubar.appendChild(title);
    titles.push(title);
    var popup = null;
    if (menu[1]) {
      title.setAttribute('aria-haspopup', 'menu');
      popup = document.createElement('div');
      popup.className = 'popup';
      popup.setAttribute('role', 'menu');
      popup.hidden = true;
      menu[1].forEach(function (item) {
        if (!item) {
          var line = document.createElement('div');
          line.className = 'separator';
          popup.appendChild(line);
          return;
        }
        var button = document.createElement('button');
        button.type = 'button';
        button.className = 'item';
        button.setAttribute('role', 'menuitem');
        button.dataset.mnemonic = labelled(button, item[0]);
        button.dataset.command = item[1];
        button.disabled = !item[2];
        button.addEventListener('click', function () { choose(button); });
        popup.appendChild(button);
      });
      document.body.appendChild(popup);
      title.addEventListener('mousedown', function (e) {
        e.preventDefault();
        if (openMenu === index) closeMenu(); else showMenu(index, false);
      });
      title.addEventListener('mouseenter', function () { if (openMenu >= 0 && openMenu !== index) showMenu(index, false); });
    } else {
      title.classList.add('disabled');
      title.setAttribute('aria-disabled', 'true');
      title.addEventListener('mousedown', function (e) { e.preventDefault(); });
    }
    popups.push(popup);
  });

  function items(index) {
    return Array.prototype.filter.call(popups[index].querySelectorAll('.item'), function (b) { return !b.disabled; });
  }

  function showMenu(index, byKeyboard) {
    closeMenu(true);
    if (!popups[index]) return;
    openMenu = index;
    var rect = titles[index].getBoundingClientRect();
    var popup = popups[index];
    popup.style.left = (rect.left + window.scrollX) + 'px';
    popup.style.top = (rect.bottom + window.scrollY) + 'px';
    popup.hidden = false;
    titles[index].classList.add('open');
    // A menu holds the keyboard while it is open, as in the window.
    post({ kind: Kind.Blur });
    if (byKeyboard) items(index)[0].focus(); else popup.focus();
  }

  function closeMenu(keepFocus) {
    if (openMenu < 0) return;
    popups[openMenu].hidden = true;
    titles[openMenu].classList.remove('open');
    openMenu = -1;
    if (!keepFocus) box.focus();
  }

  function choose(button) {
    closeMenu();
    post({ kind: Kind.Command, text: button.dataset.command });
  }

  function menuKey(e) {
    var list = items(openMenu);
    var at = list.indexOf(document.activeElement);
    var step = function (by, count) { return (at + by + count) % count; };
    if (e.key === 'Escape') { closeMenu(); }
    else if (e.key === 'ArrowDown') { list[at < 0 ? 0 : step(1, list.length)].focus(); }
    else if (e.key === 'ArrowUp') { list[at < 0 ? list.length - 1 : step(-1, list.length)].focus(); }
    else if (e.key === 'ArrowRight' || e.key === 'ArrowLeft') {
      var next = openMenu, by = e.key === 'ArrowRight' ? 1 : -1;
      do { next = (next + by + menus.length) % menus.length; } while (!popups[next]);
      showMenu(next, true);
    } else if (e.key === 'Enter' || e.key === ' ') { if (at >= 0) choose(list[at]); }
    else if (e.key === 'Alt') { closeMenu(); }
    else {
      var hit = list.filter(function (b) { return b.dataset.mnemonic === e.key.toLowerCase(); })[0];
      if (hit) choose(hit);
    }
    e.preventDefault();
  }

  document.addEventListener('mousedown', function (e) {
    if (openMenu >= 0 && !popups[openMenu].contains(e.target) && !menubar.contains(e.target)) closeMenu();
  });

  // --- Dialogs ----------------------------------------------------------------

  // Runs `dialog` modally; `done` is called once it has closed.
  function runDialog(dialog, focus, done) {
    closeMenu(true);
    post({ kind: Kind.Blur });
    ++openDialogs;
    dialog.showModal();
    if (focus) focus.focus();
    var onClose = function () {
      dialog.removeEventListener('close', onClose);
      --openDialogs;
      if (!openDialogs) box.focus();
      done(dialog.returnValue);
    };
    dialog.addEventListener('close', onClose);
  }

  function okDialog(dialog, wakeUp) {
    var ok = dialog.querySelector('.ok');
    var onOk = function () { dialog.close('ok'); };
    ok.addEventListener('click', onOk);
    runDialog(dialog, ok, function () {
      ok.removeEventListener('click', onOk);
      wakeUp();
    });
  }

  // Icon -1 is the About box; any other message is the program's message box.
  function showMessage(text, icon, wakeUp) {
    if (icon === -1) { okDialog(document.getElementById('about'), wakeUp); return; }
    var dialog = document.getElementById('message');
    dialog.querySelector('.text').textContent = text;
    dialog.dataset.icon = icon === 1 ? 'information' : icon === 2 ? 'warning' : 'none';
    okDialog(dialog, wakeUp);
  }

  function parseAddress(text) {
    var size = Module.lengthBytesUTF8(text) + 1;
    var at = Module._malloc(size);
    Module.stringToUTF8(text, at, size);
    var address = Module._zorva_parse_address(at);
    Module._free(at);
    return address;
  }

  // The run-point dialog: OK reads the end address first, then the start
  // address; the first that is not a number from 0 to 65535 is reported, gets
  // the focus with its text selected, and the dialog stays open.
  function runPointDialog(start, end, done) {
    var dialog = document.getElementById('advanced');
    var startField = document.getElementById('startAddress');
    var endField = document.getElementById('endAddress');
    var cancel = document.getElementById('advanced-cancel');
    startField.value = String(start);
    endField.value = String(end);
    var result = null;
    var checking = false;
    var onSubmit = function (e) {
      e.preventDefault();
      if (checking) return;
      var fields = [endField, startField];
      var values = [];
      for (var i = 0; i < fields.length; ++i) {
        var address = parseAddress(fields[i].value);
        if (address < 0) {
          var bad = fields[i];
          checking = true;
          showMessage('Please enter an unsigned number between 0 and 65535.', 2, function () {
            checking = false;
            bad.focus();
            bad.select();
          });
          return;
        }
        values.push(address);
      }
      result = [values[1], values[0]];
      dialog.close('ok');
    };
    var onCancel = function () { dialog.close('cancel'); };
    var form = dialog.querySelector('form');
    form.addEventListener('submit', onSubmit);
    cancel.addEventListener('click', onCancel);
    runDialog(dialog, document.getElementById('advanced-ok'), function () {
      form.removeEventListener('submit', onSubmit);
      cancel.removeEventListener('click', onCancel);
      done(result);
    });
  }

  // --- Files ------------------------------------------------------------------

  // A name the machine's file system can hold: no folders, no control
  // characters, nothing that means something to a path.
  function safeName(name) {
    var safe = String(name).replace(/[^A-Za-z0-9._ +()-]/g, '_').slice(0, 100);
    if (!safe || /^\.+$/.test(safe)) safe = '_' + safe;
    return safe;
  }

  // Writes the start of `file` into the folder `folder`; gives its path.
  function storeFile(folder, file) {
    return file.slice(0, kLongestFile).arrayBuffer().then(function (bytes) {
      var FS = Module.FS;
      try { FS.mkdir(folder); } catch (e) { /* there already */ }
      var path = folder + '/' + safeName(file.name);
      FS.writeFile(path, new Uint8Array(bytes));
      return path;
    });
  }

  var chooser = document.getElementById('chooser');
  function chooseFile(accept, wakeUp) {
    var answered = false;
    var answer = function (path) {
      if (answered) return;
      answered = true;
      chooser.onchange = chooser.oncancel = null;
      if (!path) { wakeUp(0); return; }
      var size = Module.lengthBytesUTF8(path) + 1;
      var at = Module._malloc(size);
      Module.stringToUTF8(path, at, size);
      wakeUp(at);
    };
    chooser.value = '';
    chooser.accept = accept;
    chooser.onchange = function () {
      var file = chooser.files[0];
      if (!file) { answer(null); return; }
      storeFile('/chosen', file).then(answer, function () { answer(null); });
    };
    chooser.oncancel = function () { answer(null); };
    post({ kind: Kind.Blur });
    chooser.click();
  }

  document.addEventListener('dragover', function (e) {
    if (ended || openDialogs) return;
    e.preventDefault();
    e.dataTransfer.dropEffect = 'copy';
  });
  document.addEventListener('drop', function (e) {
    if (ended || openDialogs) return;
    e.preventDefault();
    var files = Array.prototype.slice.call(e.dataTransfer.files);
    if (!files.length) {
      var text = e.dataTransfer.getData('text/plain');
      if (text) post({ kind: Kind.Paste, text: text });
      return;
    }
    // Only the first file is used; the others are named in the message.
    storeFile('/dropped', files[0]).then(function (first) {
      var paths = [first].concat(files.slice(1).map(function (f) { return '/dropped/' + safeName(f.name); }));
      post({ kind: Kind.Drop, text: paths.join('\n') });
    });
  });

  // --- Screen -----------------------------------------------------------------

  // Each machine pixel is a square of whole device pixels, as many as fit in
  // the box the view sets; the picture is centred on black.
  function layout() {
    var ratio = window.devicePixelRatio || 1;
    var boxWidth = 320 * zoom, boxHeight = 200 * zoom;
    box.style.width = boxWidth + 'px';
    box.style.height = boxHeight + 'px';
    var scale = Math.max(1, Math.floor(Math.round(boxWidth * ratio) / 320));
    if (canvas.width !== 320 * scale) {
      canvas.width = 320 * scale;
      canvas.height = 200 * scale;
    }
    // Placed on whole device pixels of the box.
    var left = Math.floor((Math.round(boxWidth * ratio) - canvas.width) / 2);
    var top = Math.floor((Math.round(boxHeight * ratio) - canvas.height) / 2);
    canvas.style.width = (canvas.width / ratio) + 'px';
    canvas.style.height = (canvas.height / ratio) + 'px';
    canvas.style.left = (left / ratio) + 'px';
    canvas.style.top = (top / ratio) + 'px';
    paint();
  }

  function paint() {
    var context = canvas.getContext('2d');
    context.imageSmoothingEnabled = false;
    context.drawImage(offscreen, 0, 0, canvas.width, canvas.height);
  }

  function showFrame(rgba) {
    frame.data.set(rgba);
    offscreenContext.putImageData(frame, 0, 0);
    paint();
  }

  function setZoom(z) {
    zoom = z;
    layout();
  }

  window.addEventListener('resize', layout);

  function setCaption(text) { document.title = text; }

  // --- Keys -------------------------------------------------------------------

  function modifiers(e) { return (e.shiftKey ? 1 : 0) | (e.ctrlKey ? 2 : 0) | (e.altKey ? 4 : 0); }

  function screenHasFocus() {
    return document.activeElement === box || document.activeElement === document.body;
  }

  function copyScreen() {
    var text = Module.UTF8ToString(Module._zorva_screen_text());
    if (navigator.clipboard) navigator.clipboard.writeText(text).catch(function () {});
    return text;
  }

  document.addEventListener('keydown', function (e) {
    if (ended || openDialogs) return;
    if (openMenu >= 0) { menuKey(e); return; }
    if (e.altKey && !e.ctrlKey && e.code.indexOf('Key') === 0) {
      var letter = e.code.charAt(3).toLowerCase();
      var hit = titles.findIndex(function (t, i) { return popups[i] && t.dataset.mnemonic === letter; });
      if (hit >= 0) { e.preventDefault(); showMenu(hit, true); return; }
    }
    if (!screenHasFocus()) return;
    var mods = modifiers(e);
    // Ctrl+V and Shift+Insert paste: the browser's paste event brings the text.
    if ((e.code === 'KeyV' && mods === 2) || (e.code === 'Insert' && mods === 1)) return;
    if (e.code === 'Insert' && mods === 2) {
      e.preventDefault();
      copyScreen();
      return;
    }
    // The function keys stay the browser's (they have no place in the matrix);
    // every other key is the machine's, Ctrl+C and Ctrl+digits included.
    if (!/^F\d+$/.test(e.code) && !e.metaKey) e.preventDefault();
    post({ kind: Kind.KeyDown, text: e.code, repeat: e.repeat ? 1 : 0, modifiers: mods });
  });
  document.addEventListener('keyup', function (e) {
    if (ended) return;
    if (!/^F\d+$/.test(e.code)) e.preventDefault();
    post({ kind: Kind.KeyUp, text: e.code, modifiers: modifiers(e) });
  });
  document.addEventListener('paste', function (e) {
    if (ended || openDialogs || !screenHasFocus()) return;
    e.preventDefault();
    var text = e.clipboardData ? e.clipboardData.getData('text/plain') : '';
    if (text) post({ kind: Kind.Paste, text: text });
  });
  window.addEventListener('blur', function () { post({ kind: Kind.Blur }); });
  box.addEventListener('blur', function () { post({ kind: Kind.Blur }); });
  box.addEventListener('mousedown', function () { box.focus(); });
  document.getElementById('copy').addEventListener('click', function () { copyScreen(); box.focus(); });

  function end() {
    ended = true;
    document.getElementById('ended').hidden = false;
  }

  layout();
  box.focus();

  return {
    yieldOnce: yieldOnce, waitForEvent: waitForEvent, takeEvent: takeEvent,
    showMessage: showMessage, chooseFile: chooseFile, runPointDialog: runPointDialog,
    setCaption: setCaption, showFrame: showFrame, setZoom: setZoom, ended: end,
    copyScreen: copyScreen,
  };
})();

var Module = { canvas: document.getElementById('screen') };
