// A stand as a link: the stand file's columns as query parameters
// (?totaltid=250&bonitet=6&…&dia1=45&avv1=x), read through the same stand file reading as an
// opened file, so that a link means what the same row of a stand file means.

import {parseCsv} from './csvtext.mjs';

const treeColumn = /^(dia|avv)([1-9]|10)$/;

// Whether a query parameter names a stand file column (matched as the file's header is:
// without regard to ASCII case).
export function isStandColumn(name, form) {
  const key = name.trim().toLowerCase();
  return form.parameters.some(p => p.field.toLowerCase() === key) ||
      ['tradslag', 'atgard', 'bestand'].includes(key) || treeColumn.test(key);
}

function csvCell(text) {
  return '"' + text.replaceAll('"', '""') + '"';
}

// The stand file of one stand that the query's stand columns make, or null when the query
// names none.
export function standFileOfQuery(search, form) {
  const params = new URLSearchParams(search);
  const names = [];
  const values = [];
  for (const [name, value] of params) {
    if (isStandColumn(name, form)) {
      names.push(csvCell(name));
      values.push(csvCell(value));
    }
  }
  if (names.length === 0) {
    return null;
  }
  return new TextEncoder().encode(names.join(';') + '\r\n' + values.join(';') + '\r\n');
}

// The query of the stand file's bytes (one stand): every parameter and choice, and the
// tree rows that hold something (at least dia1 when the file has tree columns, so that an
// empty tree list stays empty and does not become the initial one).
export function queryOfStandFile(bytes) {
  const [header, row] = parseCsv(new TextDecoder().decode(bytes));
  const params = new URLSearchParams();
  let trees = 0;
  header.forEach((name, i) => {
    const value = row[i] ?? '';
    const tree = treeColumn.exec(name);
    if (tree && value === '' &&
        (row[header.indexOf(tree[1] === 'dia' ? 'avv' + tree[2] : 'dia' + tree[2])] ?? '') === '') {
      return;
    }
    if (name === 'bestand' && value === '') {
      return;
    }
    trees += tree ? 1 : 0;
    params.append(name, value);
  });
  if (trees === 0 && header.some(name => treeColumn.test(name))) {
    params.append('dia1', '');
  }
  return params.toString();
}
