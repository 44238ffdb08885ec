// The page in a real browser (Debian's chromium, headless), against zorva-run
// of the native build on the same ROM:
//   - the About box is dismissed; PRINT 6*7 and Enter, typed as real key
//     events, give the screen (read back through the copy path) that
//     zorva-run gives for the same input;
//   - a screenshot of the machine picture at 200% equals zorva-run --png;
//   - a short program pasted with Ctrl+V runs, and the screen is zorva-run's;
//   - Advanced... refuses an invalid number and keeps the focus on it;
//   - a key pressed while the machine runs flat out reaches the painted
//     screen within 150 ms;
//   - the page runs at least half as many instructions per second as
//     zorva-run (medians of alternate runs);
//   - a cartridge image chosen with the file chooser runs and writes its
//     caption into the page title.
//
//   node page_test.mjs SITE_DIR ZORVA_RUN ROM
import { chromium } from 'playwright-core';
import { execFileSync } from 'child_process';
import http from 'http';
import fs from 'fs';
import os from 'os';
import path from 'path';

const [site, zorvaRun, rom] = process.argv.slice(2);
const types = { '.html': 'text/html', '.js': 'text/javascript', '.css': 'text/css', '.wasm': 'application/wasm' };
const server = http.createServer((req, res) => {
  const name = path.basename(new URL(req.url, 'http://x').pathname) || 'index.html';
  const file = path.join(site, name);
  if (!fs.existsSync(file)) { res.writeHead(404); res.end(); return; }
  res.writeHead(200, { 'Content-Type': types[path.extname(file)] || 'application/octet-stream' });
  res.end(fs.readFileSync(file));
});
await new Promise((r) => server.listen(0, '127.0.0.1', r));
const url = `http://127.0.0.1:${server.address().port}/`;
const browser = await chromium.launch({
  executablePath: '/usr/bin/chromium',
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  // Playwright gives the browser a fresh profile folder of its own each time.
});
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'zorva-page-test-'));
let failed = false;
const check = (ok, what) => { console.log(`${ok ? 'ok' : 'FAIL'}: ${what}`); if (!ok) failed = true; };
const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
// The copy path's form: 25 rows without their trailing spaces.
const rows = (text) => text.split('\n').slice(0, 25).map((r) => r.replace(/ +$/, '')).join('\n');
// zorva-run's screen after typing `text` (in --type's notation).
const nativeScreen = (text) => rows(execFileSync(
  zorvaRun, ['--type', text, '--steps', '30000000', '--screen', rom], { encoding: 'utf8' }));

try {
  const context = await browser.newContext({ viewport: { width: 900, height: 600 }, deviceScaleFactor: 1 });
  await context.grantPermissions(['clipboard-read', 'clipboard-write'], { origin: url });
  const page = await context.newPage();
  page.on('pageerror', (e) => check(false, `no page error (${e.message})`));
  await page.goto(url);
  await page.click('#about .ok');
  await page.waitForFunction(() => Zorva.copyScreen().includes('OK'));
  const screen = async () => rows(await page.evaluate(() => Zorva.copyScreen()));

  // Quick taps, each key's release sent straight after its press (as
  // keyboard.type does): the page keeps a release that comes in the same
  // round of events as its press for the next round, so the ROM sees it.
  for (const key of ['Shift+KeyP', 'Shift+KeyR', 'Shift+KeyI', 'Shift+KeyN', 'Shift+KeyT', 'Space',
                     'Digit6', 'Shift+Digit8', 'Digit7', 'Enter']) {
    await page.keyboard.press(key);
  }
  await page.waitForFunction(() => Zorva.copyScreen().includes(' 42'), null, { timeout: 5000 })
    .catch(() => {});
  const shown = await screen();
  const native = nativeScreen('PRINT 6*7\\n');
  check(shown.includes(' 42'), 'PRINT 6*7 shows 42');
  check(shown === native, 'the screen equals zorva-run\'s');
  if (shown !== native) console.log(`page:\n${shown}\nzorva-run:\n${native}`);

  // The machine picture at 200%, from a screenshot, against zorva-run's PNG.
  // Both pictures are decoded by the browser, colours as they are in the files.
  await page.waitForTimeout(300);  // the screen timer has painted the last change
  const shot = await page.locator('#screen').screenshot();
  const png = path.join(work, 'native.png');
  execFileSync(zorvaRun, ['--type', 'PRINT 6*7\\n', '--steps', '30000000', '--png', png, '--zoom', '2', rom]);
  const compared = await page.evaluate(async ([a, b]) => {
    const pixels = async (base64) => {
      const bytes = Uint8Array.from(atob(base64), (c) => c.charCodeAt(0));
      const bitmap = await createImageBitmap(new Blob([bytes], { type: 'image/png' }),
                                             { colorSpaceConversion: 'none', premultiplyAlpha: 'none' });
      const canvas = new OffscreenCanvas(bitmap.width, bitmap.height);
      const context = canvas.getContext('2d');
      context.drawImage(bitmap, 0, 0);
      return { width: bitmap.width, height: bitmap.height,
               data: context.getImageData(0, 0, bitmap.width, bitmap.height).data };
    };
    const [x, y] = [await pixels(a), await pixels(b)];
    if (x.width !== y.width || x.height !== y.height) return `${x.width} x ${x.height} against ${y.width} x ${y.height}`;
    let differ = 0, first = -1;
    for (let i = 0; i < x.data.length; i += 4) {
      if (x.data[i] !== y.data[i] || x.data[i + 1] !== y.data[i + 1] || x.data[i + 2] !== y.data[i + 2]) {
        if (first < 0) first = i / 4;
        ++differ;
      }
    }
    return differ ? `${differ} pixels differ, the first at ${first % x.width},${Math.floor(first / x.width)}` : '';
  }, [shot.toString('base64'), fs.readFileSync(png).toString('base64')]);
  check(compared === '', `the screenshot at 200% equals zorva-run --png pixel for pixel${compared ? ` (${compared})` : ''}`);

  // A short program through the clipboard and Ctrl+V, as a user pastes it;
  // the typist types it and RUN runs it.
  const program = '10 FOR I=1 TO 5\n20 PRINT I*I;\n30 NEXT I\nRUN\n';
  await page.evaluate((text) => navigator.clipboard.writeText(text), program);
  await page.keyboard.press('Control+KeyV');
  await page.waitForFunction(() => Zorva.copyScreen().includes(' 25'), null, { timeout: 10000 })
    .catch(() => {});
  await page.waitForTimeout(200);
  const ran = await screen();
  const nativeRan = nativeScreen(`PRINT 6*7\\n${program.replace(/\n/g, '\\n')}`);
  check(ran.includes(' 1  4  9  16  25'), 'the pasted program ran');
  check(ran === nativeRan, 'after the pasted program the screen equals zorva-run\'s');
  if (ran !== nativeRan) console.log(`page:\n${ran}\nzorva-run:\n${nativeRan}`);

  // Advanced...: an end address out of range is refused, the dialog stays
  // open and the field has the focus, as in the window.
  await page.click('#menu-processor');
  await page.click('[data-command="advanced"]');
  await page.fill('#endAddress', '70000');
  await page.click('#advanced-ok');
  const refusal = await page.textContent('#message .text');
  check(refusal === 'Please enter an unsigned number between 0 and 65535.', 'an invalid end address is refused');
  await page.click('#message .ok');
  // The message box's close event comes as a task of its own: wait for it.
  const focused = await page.waitForFunction(
    () => document.activeElement.id === 'endAddress' && document.getElementById('advanced').open,
    null, { timeout: 3000 }).then(() => true, () => false);
  check(focused, 'the dialog stays open with the focus on the bad field');
  await page.click('#advanced-cancel');
  await page.waitForFunction(() => document.activeElement.id === 'screen-box');

  // Key latency: from the key's event to the first painted frame that shows
  // it. A frame shows what memory held when it was composed, so a frame
  // painted while the copied screen has the letter shows the letter.
  await page.evaluate(() => {
    const count = (letter) => Zorva.copyScreen().split(letter).length - 1;
    window.latency = { letter: '', before: 0, down: 0, painted: undefined, count };
    document.addEventListener('keydown', (e) => { window.latency.down = e.timeStamp; }, true);
    const show = Zorva.showFrame;
    Zorva.showFrame = (rgba) => {
      show(rgba);
      const l = window.latency;
      if (l.down && l.painted === undefined && count(l.letter) > l.before) l.painted = performance.now() - l.down;
    };
  });
  const latencies = [];
  for (const letter of ['q', 'w', 'e', 'r', 't']) {
    await page.evaluate((letter) => {
      Object.assign(window.latency, { letter, before: window.latency.count(letter), down: 0, painted: undefined });
    }, letter);
    await page.keyboard.down(`Key${letter.toUpperCase()}`);
    await page.waitForFunction(() => window.latency.painted !== undefined, null, { timeout: 2000 })
      .catch(() => {});
    await page.keyboard.up(`Key${letter.toUpperCase()}`);
    const got = await page.evaluate(() => window.latency.painted);
    latencies.push(got === undefined ? Infinity : got);
    await page.waitForTimeout(50);
  }
  console.log(`key to painted screen: ${latencies.map((t) => t.toFixed(0)).join(', ')} ms`);
  check(Math.max(...latencies) <= 150, 'every key reached the painted screen within 150 ms');
  for (let i = 0; i < 5; ++i) await page.keyboard.press('Backspace');

  // Speed: instructions per second flat out at the prompt, page and native,
  // taken alternately so that a busy moment of the machine weighs on both.
  const rates = [];
  const nativeRates = [];
  for (let i = 0; i < 5; ++i) {
    const [n0, t0] = await page.evaluate(() => [Module._zorva_instructions(), performance.now()]);
    await page.waitForTimeout(1200);
    const [n1, t1] = await page.evaluate(() => [Module._zorva_instructions(), performance.now()]);
    rates.push((n1 - n0) / ((t1 - t0) / 1000));
    const steps = 200000000;
    const start = process.hrtime.bigint();
    execFileSync(zorvaRun, ['--steps', String(steps), rom]);
    nativeRates.push(steps / (Number(process.hrtime.bigint() - start) / 1e9));
  }
  const ratio = median(rates) / median(nativeRates);
  const m = (v) => (v / 1e6).toFixed(1);
  console.log(`page ${rates.map(m).join(', ')} M instructions/s, zorva-run ${nativeRates.map(m).join(', ')}`);
  console.log(`medians: page ${m(median(rates))} M instructions/s, zorva-run ${m(median(nativeRates))}, ratio ${ratio.toFixed(2)}`);
  check(ratio >= 0.5, 'the page runs at least half as fast as zorva-run');

  // A cartridge through File > Load Cartridge image and the file chooser.
  // Its code writes 5A to the scramble port, which XORs the cartridge area
  // with 5A and shows the cypher in the caption; the JR $ after the OUT is
  // stored XORed with 5A so that it reads as JR $ once the XOR is done.
  const cartridge = Buffer.alloc(16384);
  Buffer.from('ZORVA').copy(cartridge, 0);
  Buffer.from([0x07, 0xC0, 0x3E, 0x5A, 0xD3, 0xFF, 0x18 ^ 0x5A, 0xFE ^ 0x5A]).copy(cartridge, 5);
  await page.click('#menu-file');
  const [chooser] = await Promise.all([page.waitForEvent('filechooser'),
                                       page.click('[data-command="load-cartridge"]')]);
  await chooser.setFiles({ name: 'cypher.bin', mimeType: 'application/octet-stream', buffer: cartridge });
  const titled = await page.waitForFunction(() => document.title.includes('Current cypher: 5a'), null,
                                            { timeout: 5000 }).then(() => true, () => false);
  check(titled, `the cartridge's caption is the page title (${await page.title()})`);
} finally {
  await browser.close();
  server.close();
  fs.rmSync(work, { recursive: true, force: true });
}
process.exit(failed ? 1 : 0);
