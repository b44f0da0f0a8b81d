#!/usr/bin/env node
// The stand register calculated on Node through the WebAssembly core:
//   node lodra05.mjs [--seed N] [--output -] STANDS.csv
// writes on standard output the bytes `lodra05-batch --output - STANDS.csv` writes, with the
// same messages on standard error and the same exit status.

import fs from 'node:fs';
import path from 'node:path';
import {createRequire} from 'node:module';
import {fileURLToPath} from 'node:url';

const here = path.dirname(fileURLToPath(import.meta.url));
// The module's loader for Node reads these two names of a CommonJS script.
globalThis.__dirname = here;
globalThis.require = createRequire(import.meta.url);
const {default: createLodra05Core} = await import('./lodra05core.mjs');

// The regional settings' locale as the desktop reads it: LC_ALL, LC_NUMERIC, LANG.
function localeName() {
  for (const name of ['LC_ALL', 'LC_NUMERIC', 'LANG']) {
    const value = process.env[name];
    if (value) {
      return value;
    }
  }
  return 'C';
}

function writeAll(fd, bytes) {
  for (let done = 0; done < bytes.length;) {
    done += fs.writeSync(fd, bytes, done, bytes.length - done);
  }
}

// The file's bytes put at the same path in the module's file system, or the message of why
// it cannot be read; a directory stays a directory there.
function placeStands(core, file) {
  const where = path.resolve(file);
  let info;
  try {
    info = fs.statSync(file);
  } catch (error) {
    return {message: core.nodeOpenFailure(file, error.code || '')};
  }
  if (info.isDirectory()) {
    core.FS.mkdirTree(where);
    return {readableOnce: false};
  }
  if (info.isFIFO() || info.isCharacterDevice() || info.isSocket()) {
    return {readableOnce: true};
  }
  let bytes;
  try {
    bytes = fs.readFileSync(file);
  } catch (error) {
    return {message: core.nodeOpenFailure(file, error.code || '')};
  }
  core.FS.mkdirTree(path.dirname(where));
  core.FS.writeFile(where, bytes);
  return {readableOnce: false};
}

async function main() {
  const core = await createLodra05Core({
    wasmBinary: fs.readFileSync(path.join(here, 'lodra05core.wasm')),
  });
  core.FS.mkdirTree(process.cwd());
  core.FS.chdir(process.cwd());
  const args = core.nodeArguments(process.argv.slice(2));
  if (!args.ok) {
    process.stderr.write(
        `lodra05-batch: ${args.message}\nSkriv lodra05-batch --help för hjälp.\n`);
    return 2;
  }
  const placed = placeStands(core, args.stands);
  if (placed.message !== undefined) {
    process.stderr.write(placed.message);
    return 2;
  }
  const sep = core.decimalSeparator(localeName());
  const run = core.nodeRun(args.stands, args.seed, placed.readableOnce, sep);
  writeAll(2, run.err);
  writeAll(1, run.out);
  return run.status;
}

process.exitCode = await main();
