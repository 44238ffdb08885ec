// The page in a real browser (Debian's chromium, headless): the About box is
// dismissed, PRINT 6*7 and Enter are typed as real key events, the screen is
// read back through the copy path and compared with zorva-run given the same
// input on the same ROM; Advanced... refuses an invalid number; then the page's speed is measured against zorva-run.
//
//   node page_test.mjs SITE_DIR ZORVA_RUN ROM
import { chromium } from 'playwright-core';
import { execFileSync } from 'child_process';
import http from 'http';
import fs from 'fs';
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
let failed = false;
const check = (ok, what) => { console.log(`${ok ? 'ok' : 'FAIL'}: ${what}`); if (!ok) failed = true; };
// The copy path's form: 25 rows without their trailing spaces.
const rows = (text) => text.split('\n').slice(0, 25).map((r) => r.replace(/ +$/, '')).join('\n');
try {
  const page = await browser.newPage({ viewport: { width: 800, height: 560 } });
  page.on('pageerror', (e) => check(false, `no page error (${e.message})`));
  await page.goto(url);
  await page.click('#about .ok');
  await page.waitForFunction(() => Zorva.copyScreen().includes('OK'));
  for (const key of ['Shift+KeyP', 'Shift+KeyR', 'Shift+KeyI', 'Shift+KeyN', 'Shift+KeyT', 'Space',
                     'Digit6', 'Shift+Digit8', 'Digit7', 'Enter']) {
    await page.keyboard.press(key, { delay: 30 });
    await page.waitForTimeout(30);
  }
  await page.waitForFunction(() => Zorva.copyScreen().includes(' 42'), null, { timeout: 5000 })
    .catch(() => {});
  const shown = rows(await page.evaluate(() => Zorva.copyScreen()));
  const native = rows(execFileSync(zorvaRun, ['--type', 'PRINT 6*7\\n', '--steps', '20000000', '--screen', rom],
                                   { encoding: 'utf8' }));
  check(shown.includes(' 42'), 'PRINT 6*7 shows 42');
  check(shown === native, 'the screen equals zorva-run\'s');
  if (shown !== native) console.log(`page:\n${shown}\nzorva-run:\n${native}`);

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

  // Speed: instructions per second flat out at the prompt, page and native.
  const rates = [];
  for (let i = 0; i < 3; ++i) {
    const n0 = await page.evaluate(() => Module._zorva_instructions());
    const t0 = Date.now();
    await page.waitForTimeout(1500);
    const n1 = await page.evaluate(() => Module._zorva_instructions());
    rates.push((n1 - n0) / ((Date.now() - t0) / 1000));
  }
  const nativeRates = [];
  for (let i = 0; i < 3; ++i) {
    const steps = 200000000;
    const t0 = process.hrtime.bigint();
    execFileSync(zorvaRun, ['--steps', String(steps), rom]);
    nativeRates.push(steps / (Number(process.hrtime.bigint() - t0) / 1e9));
  }
  const median = (v) => [...v].sort((a, b) => a - b)[Math.floor(v.length / 2)];
  const ratio = median(rates) / median(nativeRates);
  console.log(`page ${(median(rates) / 1e6).toFixed(1)} M instructions/s, zorva-run ${(median(nativeRates) / 1e6).toFixed(1)} M/s, ratio ${ratio.toFixed(2)}`);
} finally {
  await browser.close();
  server.close();
}
process.exit(failed ? 1 : 0);
