// The page's pictures for the README, taken in headless Chromium from a served site:
//   node web/screenshots.mjs http://127.0.0.1:8005/ docs/
// the phone width (360 px) after "Beräkna", the desktop width (1920 px) with the result and
// the development table and chart.

import {createRequire} from 'node:module';
import path from 'node:path';

const require = createRequire(new URL('./package.json', import.meta.url));
const puppeteer = require('puppeteer-core');
const [address, folder] = process.argv.slice(2);

const browser = await puppeteer.launch({executablePath: process.env.CHROMIUM ?? '/usr/bin/chromium',
                                        headless: true, args: ['--no-sandbox', '--disable-gpu']});
const page = await browser.newPage();
await page.evaluateOnNewDocument(() => Object.defineProperty(navigator, 'language', {get: () => 'sv-SE'}));
for (const [width, name] of [[360, 'web-phone.png'], [1920, 'web-desktop.png']]) {
  await page.setViewport({width, height: width < 1000 ? 740 : 1080});
  await page.goto(`${address}?totaltid=250&bonitet=6&berakna=1`);
  await page.waitForSelector('#resultat:not([hidden])');
  if (width > 1000) {
    await page.click('#cmdUtveckling');
    await page.waitForSelector('#tabellDel:not([hidden])');
    await page.evaluate(() => window.scrollTo(0, 0));
  }
  if (width < 1000) {
    await page.evaluate(() => document.getElementById('cmdBerakna').scrollIntoView());
  }
  await page.screenshot({path: path.join(folder, name)});
  if (width > 1000) {
    await page.evaluate(() => document.getElementById('rubrikVerktyg').scrollIntoView());
    await page.screenshot({path: path.join(folder, 'web-development.png')});
  }
}
await browser.close();
