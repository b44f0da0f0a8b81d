// The page's own logic that needs no browser: the result file numbering of a chosen folder,
// the batch tool's CSV text read back, and a stand's link.
//   node web/tests/pagelogic.mjs

import assert from 'node:assert/strict';
import {parseCsv} from '../csvtext.mjs';
import {nextResultNumber} from '../resultnumber.mjs';
import {queryOfStandFile, standFileOfQuery} from '../standlink.mjs';

const file = name => ({name, kind: 'file'});
const folder = name => ({name, kind: 'directory'});

// [case, folder entries, next number or message]
const numbering = [
  ['an empty folder', [], 1],
  ['one past the highest file, not the first gap', [file('Result1.txt'), file('Result7.txt')], 8],
  ['a folder with a result name is skipped, not counted', [file('Result1.txt'), folder('Result2.txt'),
                                                          folder('Result9.txt')], 3],
  ['leading zeros count as the number, the name stays free', [file('Result007.txt')], 8],
  ['other names are not results', [file('result3.txt'), file('Result3.TXT'), file('Result.txt'),
                                   file('Result3.txt.bak'), file('Result-4.txt')], 1],
  ['the highest possible number, then nothing is free',
   [file('Result32767.txt')],
   'Mappen "Skog" har redan en resultatfil med numret 32767, det högsta möjliga. Flytta filen ' +
   'eller välj en annan mapp.'],
  ['a number past the limit',
   [file('Result40000.txt')],
   'Mappen "Skog" innehåller filen Result40000.txt, vars nummer är större än 32767. Flytta ' +
   'filen eller välj en annan mapp.'],
  ['six digits are past the limit too',
   [file('Result000001.txt'), file('Result100000.txt')],
   'Mappen "Skog" innehåller filen Result100000.txt, vars nummer är större än 32767. Flytta ' +
   'filen eller välj en annan mapp.'],
  ['a folder past the limit is no file', [folder('Result40000.txt'), file('Result2.txt')], 3],
  ['the names above the highest all taken by folders',
   [file('Result32765.txt'), folder('Result32766.txt'), folder('Result32767.txt')],
   'Kunde inte hitta ett ledigt filnummer i mappen "Skog".'],
];
for (const [name, entries, expected] of numbering) {
  const next = nextResultNumber(entries, 'Skog');
  assert.deepEqual(next, typeof expected === 'number' ? {number: expected} : {message: expected}, name);
}

// [case, CSV text, rows]
const csv = [
  ['a byte-order mark is the decoder\'s; fields and CR LF', 'a;b\r\n1;2\r\n', [['a', 'b'], ['1', '2']]],
  ['quoted separators, quotes and line ends', 'x;"a;""b""\r\nc"\n', [['x', 'a;"b"\r\nc']]],
  ['empty fields and a last line without its end', ';;\n1', [['', '', ''], ['1']]],
];
for (const [name, text, rows] of csv) {
  assert.deepEqual(parseCsv(text), rows, name);
}

const form = {parameters: [{field: 'totaltid'}, {field: 'ranta'}]};
const encoded = text => new TextEncoder().encode(text);
// [case, stand file, query]
const links = [
  ['empty tree rows and an empty name are left out',
   'totaltid;ranta;tradslag;atgard;dia1;avv1;dia2;avv2;dia3;avv3;bestand\r\n' +
   '250;3;Gran;Kalavverkning;45;x;;;;x;\r\n',
   'totaltid=250&ranta=3&tradslag=Gran&atgard=Kalavverkning&dia1=45&avv1=x&dia3=&avv3=x'],
  ['no tree at all keeps one empty row, so that the list stays empty',
   'totaltid;dia1;avv1;dia2;avv2\r\n250;;;;\r\n', 'totaltid=250&dia1='],
  ['a name with the separator and quotes',
   'totaltid;bestand\r\n250;"Norra; ""lilla"""\r\n', 'totaltid=250&bestand=Norra%3B+%22lilla%22'],
];
for (const [name, standFile, query] of links) {
  assert.equal(queryOfStandFile(encoded(standFile)), query, name);
}

// The link read back: only the stand's columns, quoted as the stand file reads them.
// [case, query, stand file or null]
const queries = [
  ['other parameters are not columns', '?berakna=1&TotalTid=5&x=1&dia11=3&dia10=2',
   '"TotalTid";"dia10"\r\n"5";"2"\r\n'],
  ['quotes doubled', '?bestand=a%22b&ranta=3', '"bestand";"ranta"\r\n"a""b";"3"\r\n'],
  ['no column at all', '?berakna=1', null],
];
for (const [name, query, standFile] of queries) {
  const bytes = standFileOfQuery(query, form);
  assert.equal(bytes && new TextDecoder().decode(bytes), standFile, name);
}
console.log('pagelogic: all passed');
