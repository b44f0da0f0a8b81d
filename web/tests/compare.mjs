// The Node entry against the native batch tool: the same bytes on standard output, the same
// messages on standard error and the same exit status, for the reference stands, stand files
// that cannot be used and registers of random stands, under both decimal separators.
//   node web/tests/compare.mjs BATCH_TOOL NODE_ENTRY [RANDOM_STANDS]

import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';
import {register} from './randomstands.mjs';

const [batchTool, nodeEntry, randomCount = '10000'] = process.argv.slice(2);
const source = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lodra05-web-'));
const locales = {'.': 'C.UTF-8', ',': 'sv_SE.UTF-8'};

// The regional settings: a locale for LC_ALL, or the three variables as given.
function run(command, args, locale) {
  const env = {...process.env, LC_ALL: locale};
  if (typeof locale === 'object') {
    delete env.LC_ALL;
    delete env.LC_NUMERIC;
    delete env.LANG;
    Object.assign(env, locale);
  }
  return spawnSync(command, args, {env, cwd: work, maxBuffer: 1 << 30});
}

let failures = 0;
let compared = 0;

// One case: both tools on the same arguments; says what differs.
function compare(name, args, sep, settings) {
  const locale = settings ?? locales[sep];
  const native = run(batchTool, ['--threads', '1', '--output', '-', ...args], locale);
  const web = run(process.execPath, [nodeEntry, ...args], locale);
  ++compared;
  const differences = [];
  if (!native.stdout.equals(web.stdout)) {
    let at = 0;
    while (at < native.stdout.length && native.stdout[at] === web.stdout[at]) {
      ++at;
    }
    differences.push(`standard output from byte ${at}: ` +
        JSON.stringify(native.stdout.subarray(at, at + 80).toString('latin1')) + ' / ' +
        JSON.stringify(web.stdout.subarray(at, at + 80).toString('latin1')));
  }
  if (!native.stderr.equals(web.stderr)) {
    differences.push(`standard error: ${JSON.stringify(native.stderr.toString().slice(0, 300))}` +
        ` / ${JSON.stringify(web.stderr.toString().slice(0, 300))}`);
  }
  if (native.status !== web.status) {
    differences.push(`exit status ${native.status} / ${web.status}`);
  }
  if (differences.length > 0) {
    ++failures;
    console.log(`FEL ${name} (${JSON.stringify(locale)}):\n  ${differences.join('\n  ')}`);
  } else {
    console.log(`lika ${name} (${JSON.stringify(locale)}): ${native.stdout.length} byte, status ${native.status}`);
  }
}

const reference = path.join(source, 'tests/data');
for (const file of fs.readdirSync(reference).filter(f => f.endsWith('.csv')).sort()) {
  for (const sep of ['.', ',']) {
    compare(file, [path.join(reference, file)], sep);
  }
}

// The separator from the first of LC_ALL, LC_NUMERIC and LANG that is set, for locales with
// a comma, a point and a separator that is no ASCII character.
for (const settings of [{LC_NUMERIC: 'sv_SE.UTF-8', LANG: 'C.UTF-8'},
                        {LC_ALL: '', LC_NUMERIC: '', LANG: 'de_DE.UTF-8'},
                        {LC_ALL: 'en_GB.UTF-8', LC_NUMERIC: 'sv_SE.UTF-8'},
                        {LANG: 'fr_FR@euro'}, {LANG: 'ar_EG.UTF-8'}, {LANG: 'fa_IR.UTF-8'},
                        {LANG: 'de_CH.UTF-8'}, {}]) {
  compare('variants.csv', [path.join(reference, 'variants.csv')], '.', settings);
}

// Files that cannot be used, and command lines that are wrong.
fs.mkdirSync(path.join(work, 'mapp'));
fs.writeFileSync(path.join(work, 'rubrik.csv'), 'totaltid;bonitet\r\n');
fs.writeFileSync(path.join(work, 'trasig.csv'), 'totaltid;bonitet\r\n"250;4\r\n');
fs.writeFileSync(path.join(work, 'okand.csv'), 'totaltid;okänd\r\n250;4\r\n');
const cases = [
  ['missing file', ['saknas.csv']],
  ['folder', ['mapp']],
  ['header only', ['rubrik.csv']],
  ['open quote', ['trasig.csv']],
  ['unknown column', ['okand.csv']],
  ['bad seed', ['--seed', 'x', 'rubrik.csv']],
  ['no file', []],
  ['two files', ['a.csv', 'b.csv']],
];
for (const [name, args] of cases) {
  compare(name, args, '.');
}

// Random registers: without and with a variation (the stands' own streams from --seed),
// under both separators.
const count = Number(randomCount);
for (const variation of [false, true]) {
  for (const sep of ['.', ',']) {
    const file = path.join(work, `random-${variation ? 'variation' : 'plain'}-${sep === ',' ? 'comma' : 'dot'}.csv`);
    fs.writeFileSync(file, register(variation ? 2805 : 2804, count, sep, variation));
    compare(`${count} random stands${variation ? ' with variation' : ''}`,
        variation ? ['--seed', '28', file] : [file], sep);
  }
}

fs.rmSync(work, {recursive: true, force: true});
console.log(`${compared - failures} of ${compared} comparisons the same`);
process.exitCode = failures > 0 ? 1 : 0;
