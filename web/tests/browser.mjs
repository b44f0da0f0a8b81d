// The page in headless Chromium, walked as a forester walks it:
//   node web/tests/browser.mjs SITE BATCH DATA
// SITE the built site, BATCH the native lodra05-batch, DATA the folder of the reference
// stands (tests/data). Saved bytes are compared with the batch tool's and the reference
// files'. The page's own timings are printed (figures for the benchmark notes, not tested).

import assert from 'node:assert/strict';
import {execFileSync} from 'node:child_process';
import fs from 'node:fs';
import http from 'node:http';
import os from 'node:os';
import path from 'node:path';
import {createRequire} from 'node:module';

const require = createRequire(new URL('../package.json', import.meta.url));
const puppeteer = require('puppeteer-core');

const [site, batch, data] = process.argv.slice(2);
const scratch = fs.mkdtempSync(path.join(os.tmpdir(), 'lodra05-browser-'));
const types = {'.html': 'text/html', '.mjs': 'text/javascript', '.css': 'text/css',
               '.wasm': 'application/wasm'};

const server = http.createServer((request, response) => {
  const name = new URL(request.url, 'http://x').pathname.replace(/^\/$/, '/index.html');
  const file = path.join(site, path.normalize(name));
  if (!file.startsWith(site) || !fs.existsSync(file)) {
    response.writeHead(404).end();
    return;
  }
  response.writeHead(200, {'Content-Type': types[path.extname(file)] ?? 'application/octet-stream'});
  response.end(fs.readFileSync(file));
});
await new Promise(resolve => server.listen(0, '127.0.0.1', resolve));
const origin = `http://127.0.0.1:${server.address().port}`;

const browser = await puppeteer.launch({
  executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
  headless: true,
  args: ['--no-sandbox', '--disable-gpu'],
});
const foreign = [];
const cdp = await browser.target().createCDPSession();
await cdp.send('Browser.setDownloadBehavior', {behavior: 'allow', downloadPath: scratch, eventsEnabled: true});

function nativeBatch(args, env = {}) {
  return execFileSync(batch, args, {env: {...process.env, LC_ALL: 'C.UTF-8', ...env},
                                    maxBuffer: 1 << 26});
}

// A page at the address; language the browser's; folder, when given, is the folder the
// File System Access picker hands out (its entries {name: 'file' | 'directory'}), else the
// page has no picker and downloads.
async function openPage(address, {language = 'en-US', folder = null} = {}) {
  const page = await browser.newPage();
  page.on('request', request => {
    if (!request.url().startsWith(origin) && !/^(blob|data):/.test(request.url())) {
      foreign.push(request.url());
    }
  });
  await page.evaluateOnNewDocument((language, folder) => {
    Object.defineProperty(navigator, 'language', {get: () => language});
    window.savedFiles = {};
    if (!folder) {
      window.showDirectoryPicker = undefined;
      window.showSaveFilePicker = undefined;
      return;
    }
    window.showSaveFilePicker = async ({suggestedName}) => ({
      name: suggestedName,
      createWritable: async () => ({
        write: async bytes => { window.savedFiles[suggestedName] = Array.from(bytes); },
        close: async () => {},
      }),
    });
    const entries = Object.entries(folder);
    window.showDirectoryPicker = async () => ({
      name: 'Skog', kind: 'directory',
      async * entries() {
        for (const [name, kind] of entries) {
          yield [name, {kind}];
        }
      },
      async getFileHandle(name) {
        const parts = [];
        entries.push([name, 'file']);
        return {createWritable: async () => ({
          write: async bytes => parts.push(bytes),
          close: async () => { window.savedFiles[name] = Array.from(parts[0]); },
        })};
      },
    });
  }, language, folder);
  await page.goto(`${origin}/${address}`);
  await page.waitForSelector('body[data-klar-ms]');
  return page;
}

async function download(page, button, name) {
  const done = new Promise(resolve => cdp.on('Browser.downloadProgress', function seen(event) {
    if (event.state === 'completed') {
      cdp.off('Browser.downloadProgress', seen);
      resolve();
    }
  }));
  await page.click(button);
  await done;
  const bytes = fs.readFileSync(path.join(scratch, name));
  fs.rmSync(path.join(scratch, name));
  return bytes;
}

async function texts(page) {
  await page.waitForFunction(() => document.getElementById('txtResultat').textContent !== '' ||
                                   document.getElementById('meddelande').textContent !== '');
  return page.evaluate(() => ({
    indata: document.getElementById('txtIndata').textContent,
    resultat: document.getElementById('txtResultat').textContent,
    message: document.getElementById('meddelande').textContent,
  }));
}

const timings = {};

// A link that calculates at once, then "Spara till fil": the reference bytes, in both
// languages' decimal separators.
for (const [language, reference] of [['en-US', 'default.dot.txt'], ['sv-SE', 'default.comma.txt']]) {
  const page = await openPage('?totaltid=250&berakna=1', {language});
  const shown = await texts(page);
  assert.equal(shown.message, '');
  const bytes = await download(page, '#cmdSpara', 'Result1.txt');
  assert.deepEqual(bytes, fs.readFileSync(path.join(data, reference)), `${language}: Result1.txt`);
  assert.match(shown.resultat, /^ År mellan avverkningarna = \t42\n/);
  assert.doesNotMatch(shown.indata + shown.resultat, /\r/);
  timings[`ready ${language}`] = await page.evaluate(() => document.body.dataset.klarMs);
  await page.close();
}

// Refusals: the desktop's message, the focus on the refused field or tree row.
{
  const page = await openPage('');
  const refusals = [
    ['#f-ranta', '2.5', 'f-ranta',
     'Fältet "Räntekrav ( % )" innehåller "2.5". Avverkningsdiametern finns bara för ' +
     'räntekraven 2, 3, 4 och 5 %.'],
    ['#f-totaltid', '', 'f-totaltid',
     'Fältet "Antal år som nuvärdet ska omfatta" är tomt. Skriv ett tal, till exempel 12.5.'],
    ['#dia-3', 'abc', 'dia-3',
     'Träd 3 i fönstret Träddiametrar: diametern "abc" är inte ett tal. Skriv ett tal, till ' +
     'exempel 12.5, eller töm raden.'],
  ];
  for (const [field, typed, focused, message] of refusals) {
    await page.click('#cmdNytt');
    await page.$eval(field, (input, typed) => { input.value = typed; }, typed);
    await page.click('#cmdBerakna');
    assert.equal(await page.$eval('#meddelande', e => e.textContent), message);
    assert.equal(await page.evaluate(() => document.activeElement.id), focused);
  }
  await page.close();
}

// A stand file whose choices cannot be used: named when it opens, shown as no choice, and
// refused by "Beräkna" in the batch tool's words, one after the other, until they are chosen.
{
  const file = path.join(scratch, 'choices.csv');
  fs.writeFileSync(file, 'totaltid;tradslag;dia3;avv3\n250;Björk;20;y\n');
  const page = await openPage('');
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#cmdOppna')]);
  await chooser.accept([file]);
  await page.waitForFunction(() => document.getElementById('status').textContent === 'Rad 2 är öppnad.');
  const species = 'Okänt trädslag "Björk" i kolumnen tradslag. Skriv Tall, Gran eller Löv.';
  const mark = 'Okänt värde "y" i kolumnen avv3. Skriv x för ett träd som avverkas direkt, annars ingenting.';
  assert.equal(await page.$eval('#meddelande', e => e.textContent),
               `Fel i beståndsfilen "choices.csv": Rad 2: ${species}\n${mark}`);
  assert.deepEqual(await page.evaluate(() => [document.getElementById('f-tradslag').selectedIndex,
                                              document.getElementById('avv-3').indeterminate]), [-1, true]);
  // [what the user does first, the message of "Beräkna", the focus after it]
  const steps = [
    [async () => {}, species, 'f-tradslag'],
    [() => page.select('#f-tradslag', 'Tall'), mark, 'avv-3'],
    [() => page.click('#avv-3'), '', 'cmdBerakna'],
  ];
  for (const [act, message, focused] of steps) {
    await act();
    await page.click('#cmdBerakna');
    assert.equal(await page.$eval('#meddelande', e => e.textContent), message);
    assert.equal(await page.evaluate(() => document.activeElement.id), focused);
  }
  assert.match(await page.$eval('#txtIndata', e => e.textContent), / Art = \t\tTall\n/);
  await page.close();
}

// A register opened at a chosen line, calculated, saved into a chosen folder: the desktop's
// numbering there, the batch tool's bytes for that stand; then its link calculates the same.
const registerLine = 5;
const registerLines = fs.readFileSync(path.join(data, 'variants.csv'), 'utf8').split(/\r?\n/);
const oneStand = path.join(scratch, 'one.csv');
fs.writeFileSync(oneStand, registerLines[0] + '\r\n' + registerLines[registerLine - 1] + '\r\n');
let link;
let registerTexts;
{
  const page = await openPage('', {folder: {'Result1.txt': 'file', 'Result2.txt': 'directory', 'notes.txt': 'file'}});
  const [chooser] = await Promise.all([page.waitForFileChooser(), page.click('#cmdOppna')]);
  await chooser.accept([path.join(data, 'variants.csv')]);
  await page.waitForSelector('#valjBestand[open]');
  assert.equal(await page.$eval('#lblFraga', e => e.textContent), 'Filen har 9 bestånd. Välj det som ska öppnas:');
  await page.select('#lstBestand', `Rad ${registerLine}`);
  await page.click('#cmdValjOk');
  await page.click('#cmdBerakna');
  registerTexts = await texts(page);
  timings['Beräkna ms'] = await page.waitForFunction(() => document.body.dataset.beraknaMs)
      .then(handle => handle.jsonValue());
  await page.click('#cmdSpara');
  await page.waitForFunction(() => window.savedFiles['Result3.txt']);
  const saved = Buffer.from(await page.evaluate(() => window.savedFiles['Result3.txt']));
  assert.deepEqual(saved, nativeBatch(['--output', '-', oneStand]), 'Result3.txt');
  assert.equal(await page.$eval('#status', e => e.textContent), 'Sparades i Skog/Result3.txt');

  // The stand saved as a stand file: the batch tool calculates the same stand from it.
  const standFile = path.join(scratch, 'saved.csv');
  await page.click('#cmdSparaBestand');
  await page.waitForFunction(() => window.savedFiles['bestand.csv']);
  fs.writeFileSync(standFile, Buffer.from(await page.evaluate(() => window.savedFiles['bestand.csv'])));
  assert.deepEqual(nativeBatch(['--output', '-', standFile]), saved, 'the saved stand file');

  // The spread of that stand, 1,000 runs, as the batch tool's --spread writes its row.
  await page.click('#cmdSpridning');
  await page.waitForSelector('#tabellDel:not([hidden])');
  timings['spread 1000 ms'] = await page.evaluate(() => document.body.dataset.tabellMs);
  const spread = (await download(page, '#cmdSparaCsv', 'spridning.csv')).toString().split('\r\n');
  const spreadFile = path.join(scratch, 'spread.csv');
  nativeBatch(['--seed', '1', '--output', path.join(scratch, 'out.txt'), '--spread', spreadFile,
               path.join(data, 'variants.csv')]);
  const native = fs.readFileSync(spreadFile).toString().split('\r\n');
  assert.equal(spread[0], native[0]);
  assert.equal(spread[1], native.find(line => line.startsWith(`${registerLine};`)));

  // "Avbryt" during a spread too long to end first (100,000 runs); a new job runs after it.
  await page.$eval('#f-korningar', input => { input.value = '100000'; });
  await page.click('#cmdSpridning');
  await page.waitForFunction(() => document.getElementById('prgArbete').value > 0);
  await page.click('#cmdAvbryt');
  assert.equal(await page.$eval('#tabellMeddelande', e => e.textContent), 'Beräkningen avbröts.');
  await page.click('#cmdUtveckling');
  await page.waitForFunction(() => document.getElementById('rubrikTabell').textContent === 'Utveckling' &&
                                   document.getElementById('arbete').hidden);
  assert.ok(await page.$eval('#diagram', e => e.querySelector('polyline') !== null), 'the chart is drawn');

  await page.click('#cmdKopieraLank');
  link = await page.$eval('#txtLank', e => e.value);
  await page.close();
}
{
  const page = await openPage(link.slice(origin.length + 1) + '&berakna=1');
  assert.deepEqual(await texts(page), registerTexts, 'the link calculates the same stand');
  await page.close();
}

// A phone's width: the page never scrolls sideways (the text boxes and tables scroll inside).
{
  const page = await openPage('?totaltid=250&berakna=1');
  await page.setViewport({width: 360, height: 740});
  await page.click('#cmdUtveckling');
  await page.waitForSelector('#tabellDel:not([hidden])');
  assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 360, 'no sideways scroll');
  await page.close();
}

assert.deepEqual(foreign, [], 'the page requests only its own files');
await browser.close();
server.close();
fs.rmSync(scratch, {recursive: true});
console.log('browser: all passed;', Object.entries(timings).map(([k, v]) => `${k} ${v}`).join(', '));
