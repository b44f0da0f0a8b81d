// The module's JavaScript interface (web/API.md) as the page uses it, against the bytes the
// native programs write: the session's saved file against the reference stands, refusals
// with the field to focus, stand files read back, the tables against the batch tool's.
//   node web/tests/api.mjs SITE_FOLDER BATCH_TOOL

import assert from 'node:assert/strict';
import {spawnSync} from 'node:child_process';
import fs from 'node:fs';
import {createRequire} from 'node:module';
import os from 'node:os';
import path from 'node:path';
import {fileURLToPath} from 'node:url';

const [site, batchTool] = process.argv.slice(2);
const source = path.resolve(path.dirname(fileURLToPath(import.meta.url)), '../..');
globalThis.__dirname = site;
globalThis.require = createRequire(import.meta.url);
const {default: createLodra05Core} = await import(path.resolve(site, 'lodra05core.mjs'));
const core = await createLodra05Core({
  wasmBinary: fs.readFileSync(path.join(site, 'lodra05core.wasm')),
});
const work = fs.mkdtempSync(path.join(os.tmpdir(), 'lodra05-api-'));
const reference = name => fs.readFileSync(path.join(source, 'tests/data', name));
const separators = [{sep: '.', name: 'dot', locale: 'C.UTF-8'},
                    {sep: ',', name: 'comma', locale: 'sv_SE.UTF-8'}];
let checks = 0;
function check(name, test) {
  test();
  ++checks;
  console.log(`ok ${name}`);
}

// The batch tool's output for one stand written as a stand file.
function batchOutput(entries, options, locale) {
  const file = path.join(work, 'stand.csv');
  fs.writeFileSync(file, core.standFileBytes(entries, ''));
  const out = path.join(work, 'table.csv');
  spawnSync(batchTool, [...options, out, '--output', path.join(work, 'result.txt'), file],
            {env: {...process.env, LC_ALL: locale}});
  return fs.readFileSync(out);
}

const form = core.form();
check('the form has the nine parameters in order and the initial entries', () => {
  assert.deepEqual(form.parameters.map(p => p.field),
                   ['totaltid', 'bonitet', 'areal', 'ranta', 'maxRing', 'variation',
                    'atervandel', 'berikning', 'cykTillAvv']);
  assert.equal(form.initialEntries.totaltid, '250');
  assert.equal(form.species.length, 3);
  assert.equal(form.trees.length, 10);
});

check('the locale gives the decimal separator', () => {
  for (const [locale, sep] of [['sv_SE.UTF-8', ','], ['sv-SE', ','], ['de_DE', ','],
                               ['en_US.UTF-8', '.'], ['C.UTF-8', '.'], ['POSIX', '.'],
                               ['', '.'], ['xx_YY', '.']]) {
    assert.equal(core.decimalSeparator(locale), sep, locale);
  }
});

for (const {sep, name} of separators) {
  check(`the saved file of the initial stand and the variants is the reference (${name})`, () => {
    const session = new core.Session(sep);
    assert.ok(session.calculate(form.initialEntries).ok);
    assert.deepEqual(Buffer.from(session.fileBytes()), reference(`default.${name}.txt`));
    session.delete();
    // Each stand of the register opened from its pick list and calculated in turn.
    const register = new core.Register();
    const listed = register.open(reference('variants.csv'), 'variants.csv');
    const stands = new core.Session(sep);
    for (let i = 0; i < listed.stands.length; ++i) {
      assert.ok(stands.calculate(register.stand(i).entries).ok);
    }
    assert.equal(stands.count(), 9);
    assert.deepEqual(Buffer.from(stands.fileBytes()), reference(`variants.${name}.txt`));
    stands.delete();
    register.delete();
  });
}

check('a refusal names the field or the tree row to focus, and leaves the texts', () => {
  const session = new core.Session(',');
  const cases = [
    [{areal: '0'}, 'refused', 'areal', 0],
    [{ranta: '2,5'}, 'refused', 'ranta', 0],
    [{trees: [{text: '45', avverkas: true}, {text: '', avverkas: false},
              {text: 'abc', avverkas: false}]}, 'refused', 'tree', 3],
    [{areal: '1e-310'}, 'stopped', '', 0],
  ];
  for (const [change, status, field, row] of cases) {
    const result = session.calculate({...form.initialEntries, ...change});
    assert.equal(result.ok, false);
    assert.deepEqual([result.status, result.field, result.row], [status, field, row]);
    assert.ok(result.message.length > 0);
  }
  assert.equal(session.count(), 0);
  session.delete();
});

check('a stand file written and opened as a register gives the entries back', () => {
  const entries = {...form.initialEntries, areal: '12.5', species: 'Löv',
                   measure: 'Kalavverkning'};
  const register = new core.Register();
  const listed = register.open(core.standFileBytes(entries, 'Norra skiftet'), 'skifte.csv');
  assert.ok(listed.ok);
  assert.deepEqual(listed.stands.map(s => [s.row, s.name]), [[2, 'Norra skiftet']]);
  const stand = register.stand(0);
  assert.equal(stand.name, 'Norra skiftet');
  assert.deepEqual(stand.entries, entries);
  const broken = register.open(new TextEncoder().encode('totaltid;okänd\n250;4\n'), 'fel.csv');
  assert.equal(broken.ok, false);
  assert.match(broken.message, /fel\.csv/);
  register.delete();
});

const varied = {...form.initialEntries, variation: '10'};
for (const {sep, name, locale} of separators) {
  check(`the tables are the batch tool's (${name})`, () => {
    for (const [call, option] of [['table', '--table'], ['cycles', '--cycles'],
                                  ['compare', '--compare'], ['measures', '--measures']]) {
      const withProgress = call === 'compare' || call === 'measures';
      const result = withProgress ? core[call](varied, sep, 2, 7, null) : core[call](varied, sep, 2, 7);
      assert.ok(result.ok, call);
      assert.deepEqual(Buffer.from(result.csv), batchOutput(varied, ['--seed', '7', option], locale),
                       call);
    }
    const spread = core.spread(varied, sep, 2, 7, 200, () => true);
    assert.deepEqual(Buffer.from(spread.csv),
                 batchOutput(varied, ['--seed', '7', '--runs', '200', '--spread'], locale));
  });
}

check('the spread tells its progress and stops when told to', () => {
  const seen = [];
  const done = core.spread(varied, '.', 2, 1, 1000, (part, parts) => {
    seen.push([part, parts]);
    return true;
  });
  assert.ok(done.ok);
  assert.ok(seen.length > 1);
  assert.deepEqual(seen.at(-1), [seen.at(-1)[1], seen.at(-1)[1]]);
  const stopped = core.spread(varied, '.', 2, 1, 1000, part => part < 2);
  assert.deepEqual([stopped.ok, stopped.cancelled], [false, true]);
});

fs.rmSync(work, {recursive: true, force: true});
console.log(`${checks} checks of the interface passed`);
