// The page's figures in headless Chromium, for the benchmark notes (not a test):
//   node web/pagebench.mjs http://127.0.0.1:8005/ [LOADS]
// Per load (a fresh page each time): milliseconds from the start of loading until
// "Beräkna" can be pressed; from the press until the texts are drawn (the default stand, then
// ten trees); 1,000 spread runs in the Web Worker (without and with a variation of 10 %).
// Prints each figure's median and highest.

import {createRequire} from 'node:module';

const require = createRequire(new URL('./package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const [address, loads = '10'] = process.argv.slice(2);
const tenTrees = 'dia1=45&avv1=x&dia2=38&dia3=33&dia4=30&dia5=27&dia6=24&dia7=20&dia8=15&dia9=12&dia10=8';

const browser = await puppeteer.launch({executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                                        headless: true, args: ['--no-sandbox', '--disable-gpu']});
const figures = {};
const note = (name, value) => (figures[name] ??= []).push(Number(value));

async function press(page, button, done) {
  await page.evaluate(done => { delete document.body.dataset[done]; }, done);
  await page.click(button);
  return (await page.waitForFunction(done => document.body.dataset[done], {}, done)).jsonValue();
}

for (let load = 0; load < Number(loads); ++load) {
  const page = await browser.newPage();
  await page.goto(`${address}?totaltid=250`);
  note('ready', await (await page.waitForFunction(() => document.body.dataset.klarMs)).jsonValue());
  note('Beräkna, default stand', await press(page, '#cmdBerakna', 'beraknaMs'));
  note('spread 1000, no variation', await press(page, '#cmdSpridning', 'tabellMs'));
  await page.goto(`${address}?totaltid=250&variation=10&${tenTrees}`);
  await page.waitForFunction(() => document.body.dataset.klarMs);
  note('Beräkna, ten trees, variation 10', await press(page, '#cmdBerakna', 'beraknaMs'));
  note('spread 1000, variation 10', await press(page, '#cmdSpridning', 'tabellMs'));
  await page.close();
}
await browser.close();
for (const [name, values] of Object.entries(figures)) {
  values.sort((a, b) => a - b);
  console.log(`${name}: median ${values[values.length >> 1]} ms, highest ${values.at(-1)} ms`);
}
