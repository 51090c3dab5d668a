// The page of `torvane serve` in headless Chromium: it shows a gallery
// template's rendering, renders again under another charset, follows a
// saved template without a reload, shows a broken template's error while the
// last rendering stays, and lists a check finding with its line.
//
// Usage: node serve_page_test.mjs TOOL SOURCE_DIR WORK_DIR
// Exits 77 (skipped) with the reason when Chromium or puppeteer-core is not
// installed (scripts/setup-browser.sh installs both). With SERVE_SCREENSHOT
// set, a picture of the page is written there.
import {spawn} from 'node:child_process';
import fs from 'node:fs';
import path from 'node:path';
import {createRequire} from 'node:module';

const [tool, source, work] = process.argv.slice(2);
const chromium = '/usr/bin/chromium';

function skip(reason) {
  console.log('SKIPPED: ' + reason);
  process.exit(77);
}
if (!fs.existsSync(chromium)) skip(chromium + ' is not installed (scripts/setup-browser.sh installs it)');
let puppeteer;
try {
  puppeteer = createRequire(import.meta.url)('puppeteer-core');
} catch (failure) {
  skip('puppeteer-core is not installed in tests/browser (scripts/setup-browser.sh installs it)');
}

fs.rmSync(work, {recursive: true, force: true});
const templates = path.join(work, 'templates');
fs.mkdirSync(path.join(work, 'tmp'), {recursive: true});
fs.cpSync(path.join(source, 'templates'), templates, {recursive: true});
fs.cpSync(path.join(source, 'examples/messages'), path.join(work, 'messages'), {recursive: true});
const settings = path.join(work, 'settings.ini');
fs.writeFileSync(settings, '[Settings]\r\nLanguage=English\r\nConvertText=TRUE\r\n');
const classic = path.join(templates, 'classic/torvane.tml');
const classicSource = fs.readFileSync(classic, 'latin1');

const server = spawn(tool, ['serve', '--port', '0', '--templates', templates, '--messages',
                            path.join(work, 'messages'), '--settings', settings],
                     {env: {...process.env, TMPDIR: path.join(work, 'tmp')}, stdio: ['ignore', 'pipe', 'inherit']});
const port = await new Promise((resolve, reject) => {
  let printed = '';
  server.stdout.on('data', (chunk) => {
    printed += chunk;
    const found = /127\.0\.0\.1:(\d+)\//.exec(printed);
    if (found) resolve(Number(found[1]));
  });
  server.on('exit', (code) => reject(new Error('torvane serve exited with ' + code)));
});

const browser = await puppeteer.launch({
  executablePath: chromium,
  headless: true,
  userDataDir: path.join(work, 'profile'),
  args: ['--headless', '--no-sandbox', '--disable-gpu', '--disable-quic', '--no-first-run',
         '--disable-background-networking', '--disable-component-update', '--disable-sync'],
});
const page = await browser.newPage();
await page.setViewport({width: 1180, height: 860});
const results = [];

async function check(name, body) {
  try {
    await body();
    results.push(true);
    console.log('ok - ' + name);
  } catch (failure) {
    results.push(false);
    console.log('not ok - ' + name + ': ' + failure.message);
  }
}

const frame = () => page.frames().find((f) => f.name() === 'preview');
// The frame's HTML once it holds `text`; polled, since each rendering loads anew.
async function frameHolding(text, timeout) {
  const started = Date.now();
  for (;;) {
    try {
      const html = await frame().content();
      if (html.includes(text)) return {html, elapsed: Date.now() - started};
    } catch (navigating) {
      // the frame is between two renderings
    }
    if (Date.now() - started > timeout) throw new Error('the frame never showed "' + text + '"');
    await new Promise((resolve) => setTimeout(resolve, 20));
  }
}
const text = (selector) => page.$eval(selector, (element) => element.textContent);

await check('the page shows a gallery template rendered for a sample message', async () => {
  await page.goto('http://127.0.0.1:' + port + '/');
  await page.waitForSelector('body[data-renders]');
  if (await page.$eval('#template', (s) => s.value) !== 'classic/torvane.tml') throw new Error('not Classic');
  const {html} = await frameHolding('Alex Moreno', 5000);
  if (!html.includes('Content-Security-Policy')) throw new Error('no preview policy in the frame');
  if (!/\/files\/r\d+\/tv00001\.png/.test(html)) throw new Error('the saved picture is not served');
  const outline = await frame().$eval('#torvane_text_id', (e) => getComputedStyle(e).outlineStyle);
  if (outline !== 'dashed') throw new Error('the caret element is not outlined: ' + outline);
  // The picture loads after the HTML that names it: waited for, as a busy
  // machine may take a while; one the policy blocks never gets a width.
  const loaded = await frame()
    .waitForFunction(() => {
      const img = document.querySelector('img');
      return img && img.complete && img.naturalWidth > 0;
    }, {timeout: 5000})
    .then(() => true, () => false);
  if (!loaded) throw new Error('the saved picture did not load under the policy');
  if (!(await text('#tree')).includes('saved as "report.pdf"')) throw new Error('no saved name in the MIME tree');
});

await check('switching the charset renders again under it', async () => {
  await page.select('#template', 'bilingual/torvane.tml');
  await page.select('#charset', 'ISO-8859-1');
  await frameHolding('Original Message', 3000);
  await page.select('#charset', 'GB2312');
  const {html} = await frameHolding('\u539f\u59cb\u4fe1\u4ef6', 3000);
  if (html.includes('Original Message')) throw new Error('still the English text under GB2312');
  await page.select('#template', 'classic/torvane.tml');
  await page.select('#charset', '');
  await frameHolding('Type your reply here', 3000);
});

let measured;
await check('a saved template changes the page within 2 s without a reload', async () => {
  await page.evaluate(() => { window.notReloaded = true; });
  const saved = Date.now();
  fs.writeFileSync(classic, classicSource.replace('Type your reply here', 'Saved just now'), 'latin1');
  const {elapsed} = await frameHolding('Saved just now', 2000);
  measured = Date.now() - saved;
  console.log('# saved template to updated page: ' + measured + ' ms (frame polled for ' + elapsed + ' ms)');
  if (!(await page.evaluate(() => window.notReloaded))) throw new Error('the page was reloaded');
});

await check('a broken template shows its error, the last rendering stays', async () => {
  fs.writeFileSync(classic, 'this is no template\r\n');
  await page.waitForSelector('#error.shown', {timeout: 3000});
  const error = await text('#error');
  if (!error.includes('does not begin with a header field')) throw new Error('error: ' + error);
  await frameHolding('Saved just now', 100);
});

await check('a check finding appears beside the rendering with its line', async () => {
  const lines = classicSource.split('\n');
  const at = lines.findIndex((line) => line.includes('Type your reply here'));
  lines[at] = lines[at].replace('Type your reply here', 'Reply %q here');
  fs.writeFileSync(classic, lines.join('\n'), 'latin1');
  await page.waitForFunction((line) => document.getElementById('findings').textContent
    .includes('line ' + line + ': %q'), {timeout: 3000}, at + 1);
  if (await page.$('#error.shown')) throw new Error('the error is still shown');
});

// The page as the README shows it: the finding beside the rendering.
if (process.env.SERVE_SCREENSHOT) {
  await frameHolding('Reply %q here', 3000);
  await page.screenshot({path: process.env.SERVE_SCREENSHOT});
}

await browser.close();
server.kill('SIGINT');
const exitCode = await new Promise((resolve) => server.on('exit', resolve));
const left = fs.readdirSync(path.join(work, 'tmp'));
if (exitCode !== 0 || left.length) {
  results.push(false);
  console.log('not ok - the server stops cleanly: exit ' + exitCode + ', left ' + left.join(' '));
}
const failed = results.filter((ok) => !ok).length;
console.log(`${results.length - failed} passed, ${failed} failed`);
process.exit(failed ? 1 : 0);
