// The page: the form generated from the core's parameter table, the calculation and its
// texts as the desktop's result window shows them, the saved result file, stand files and
// links, and the tables that a Web Worker computes.

import createLodra05Core from './lodra05core.mjs';
import {parseCsv} from './csvtext.mjs';
import {drawDevelopment} from './chart.mjs';
import {nextResultNumber} from './resultnumber.mjs';
import {queryOfStandFile, standFileOfQuery} from './standlink.mjs';

const $ = id => document.getElementById(id);
const core = await createLodra05Core();
const form = core.form();
const sep = core.decimalSeparator(navigator.language || 'C');
const session = new core.Session(sep);
const register = new core.Register();
const state = {row: 2, downloads: 0, folder: null, worker: null, table: null, kept: null};

function say(text) {
  $('status').textContent = text;
}

function complain(text) {
  $('meddelande').textContent = text;
}

// The form -------------------------------------------------------------------------------

function element(tag, attributes = {}, text = '') {
  const made = document.createElement(tag);
  for (const [name, value] of Object.entries(attributes)) {
    made.setAttribute(name, value);
  }
  made.textContent = text;
  return made;
}

function buildForm() {
  for (const p of form.parameters) {
    const field = element('div', {class: 'falt'});
    field.append(element('label', {for: `f-${p.field}`}, p.caption),
                 element('input', {id: `f-${p.field}`, name: p.field, type: 'text',
                                   autocomplete: 'off', 'aria-describedby': `h-${p.field}`}),
                 element('p', {id: `h-${p.field}`, class: 'hjalp'}, p.rule));
    $('parametrar').append(field);
  }
  for (const name of form.species) {
    $('f-tradslag').append(element('option', {value: name}, name));
  }
  for (const name of form.measures) {
    $('f-atgard').append(element('option', {value: name}, name));
  }
  $('tradRegel').textContent = form.treeRule;
  $('avvRegel').textContent = form.treeFelledRule;
  for (let k = 1; k <= form.trees.length; ++k) {
    const row = element('div', {class: 'tradrad'});
    const felled = element('label', {});
    felled.append(element('input', {id: `avv-${k}`, type: 'checkbox', 'aria-label': `Träd ${k} avverkas`,
                                     'aria-describedby': 'avvRegel'}), ' avverkas');
    row.append(element('label', {for: `dia-${k}`}, `Träd ${k}`),
               element('input', {id: `dia-${k}`, type: 'text', autocomplete: 'off',
                                 'aria-label': `Träd ${k}, diameter i cm`, 'aria-describedby': 'tradRegel'}),
               felled);
    $('tradRader').append(row);
  }
}

function entriesOfForm() {
  const entries = {
    species: $('f-tradslag').value,
    measure: $('f-atgard').value,
    trees: form.trees.map((_, i) => ({text: $(`dia-${i + 1}`).value, avverkas: $(`avv-${i + 1}`).checked})),
  };
  for (const p of form.parameters) {
    entries[p.field] = $(`f-${p.field}`).value;
  }
  return entries;
}

function fillForm(entries, name) {
  for (const p of form.parameters) {
    $(`f-${p.field}`).value = entries[p.field];
  }
  $('f-tradslag').value = entries.species;
  $('f-atgard').value = entries.measure;
  entries.trees.forEach((tree, i) => {
    $(`dia-${i + 1}`).value = tree.text;
    $(`avv-${i + 1}`).checked = tree.avverkas;
  });
  $('f-bestand').value = name ?? '';
  state.kept = null;
  clearRefusal();
}

// The choice cells of an opened stand that cannot be used: shown as no choice (a tree mark
// neither ticked nor clear) until the user makes one; "Beräkna" refuses them until then.
function keepUnusable(kept) {
  state.kept = kept;
  if (kept.tradslag) {
    $('f-tradslag').selectedIndex = -1;
  }
  if (kept.atgard) {
    $('f-atgard').selectedIndex = -1;
  }
  kept.avv.forEach((refusal, i) => {
    $(`avv-${i + 1}`).indeterminate = refusal !== null;
  });
}

function unchosen() {
  const kept = state.kept;
  if (!kept) {
    return null;
  }
  if (kept.tradslag) {
    return [kept.tradslag, $('f-tradslag')];
  }
  if (kept.atgard) {
    return [kept.atgard, $('f-atgard')];
  }
  const row = kept.avv.findIndex(refusal => refusal !== null);
  return row >= 0 ? [kept.avv[row], $(`avv-${row + 1}`)] : null;
}

function chosen(target) {
  const kept = state.kept;
  const tree = /^avv-(\d+)$/.exec(target.id);
  if (!kept) {
    return;
  }
  if (target.id === 'f-tradslag' || target.id === 'f-atgard') {
    kept[target.id.slice(2)] = null;
  } else if (tree) {
    kept.avv[Number(tree[1]) - 1] = null;
  }
}

function clearRefusal() {
  complain('');
  for (const input of document.querySelectorAll('[aria-invalid]')) {
    input.removeAttribute('aria-invalid');
  }
}

// The calculation ------------------------------------------------------------------------

function calculate() {
  const pressed = performance.now();
  clearRefusal();
  const refusedChoice = unchosen();
  if (refusedChoice) {
    complain(refusedChoice[0]);
    refusedChoice[1].focus();
    say('');
    return;
  }
  const result = session.calculate(entriesOfForm());
  if (!result.ok) {
    complain(result.message);
    const refused = result.field === 'tree' ? $(`dia-${result.row}`)
                                            : result.field ? $(`f-${result.field}`) : null;
    if (refused) {
      refused.setAttribute('aria-invalid', 'true');
      refused.focus();
    }
    say('');
    return;
  }
  $('txtIndata').textContent = result.indata;
  $('txtResultat').textContent = result.resultat;
  $('resultat').hidden = false;
  $('cmdSpara').disabled = false;
  $('cmdSkrivUt').disabled = false;
  say(`Beräkning ${session.count()} är klar.`);
  // When the texts are on the screen: after the next frame has been drawn.
  requestAnimationFrame(() => setTimeout(() => {
    document.body.dataset.beraknaMs = (performance.now() - pressed).toFixed(1);
  }));
}

// Saving ---------------------------------------------------------------------------------

function download(bytes, name, type) {
  const url = URL.createObjectURL(new Blob([bytes], {type}));
  const link = element('a', {href: url, download: name});
  document.body.append(link);
  link.click();
  link.remove();
  setTimeout(() => URL.revokeObjectURL(url), 60000);
}

// The next free ResultN.txt of the chosen folder, as the desktop numbers them.
async function saveIntoFolder(bytes) {
  if (!state.folder) {
    state.folder = await window.showDirectoryPicker({id: 'resultat', mode: 'readwrite'});
  }
  const folder = state.folder;
  const entries = [];
  for await (const [name, handle] of folder.entries()) {
    entries.push({name, kind: handle.kind});
  }
  const next = nextResultNumber(entries, folder.name);
  if (next.message) {
    state.folder = null;
    return complain(next.message);
  }
  const name = `Result${next.number}.txt`;
  const file = await folder.getFileHandle(name, {create: true});
  const writable = await file.createWritable();
  await writable.write(bytes);
  await writable.close();
  say(`Sparades i ${folder.name}/${name}`);
}

async function saveResult() {
  clearRefusal();
  const bytes = session.fileBytes();
  if (typeof window.showDirectoryPicker === 'function') {
    try {
      await saveIntoFolder(bytes);
    } catch (error) {
      if (error.name !== 'AbortError') {
        complain(`Kunde inte spara filen: ${error.message}`);
      }
    }
    return;
  }
  const name = `Result${++state.downloads}.txt`;
  download(bytes, name, 'text/plain');
  say(`Sparades som ${name} bland webbläsarens hämtade filer.`);
}

// Stand files and links ------------------------------------------------------------------

function openStand(index) {
  const picked = register.stand(index);
  if (!picked.ok) {
    complain(picked.message);
    return false;
  }
  fillForm(picked.entries, picked.name);
  keepUnusable(picked.choiceRefusals);
  state.row = picked.row;
  say(`Rad ${picked.row} är öppnad.`);
  if (picked.refusal) {
    complain(picked.refusal);
  }
  return true;
}

function chooseStand(stands) {
  const list = $('lstBestand');
  list.replaceChildren(...stands.map(({row, name, nameCut}) =>
      element('option', {}, `Rad ${row}` + (name ? ` – ${name}` : '') + (nameCut ? '…' : ''))));
  list.selectedIndex = 0;
  $('lblFraga').textContent = `Filen har ${stands.length} bestånd. Välj det som ska öppnas:`;
  const dialog = $('valjBestand');
  dialog.returnValue = '';
  dialog.onclose = () => {
    if (dialog.returnValue === 'ok' && list.selectedIndex >= 0) {
      openStand(list.selectedIndex);
    }
  };
  dialog.showModal();
  list.focus();
}

async function openStandFile(file) {
  clearRefusal();
  const listed = register.open(new Uint8Array(await file.arrayBuffer()), file.name);
  if (!listed.ok) {
    return complain(listed.message);
  }
  if (listed.stands.length === 1) {
    return openStand(0);
  }
  chooseStand(listed.stands);
}

function standBytes() {
  return core.standFileBytes(entriesOfForm(), $('f-bestand').value);
}

// Where the browser lets the user choose the file, there; elsewhere a download.
async function saveStandFile() {
  clearRefusal();
  const bytes = standBytes();
  const name = `${$('f-bestand').value.replace(/[^\p{L}\p{N} _-]+/gu, '').trim() || 'bestand'}.csv`;
  if (typeof window.showSaveFilePicker !== 'function') {
    download(bytes, name, 'text/csv');
    return say(`Sparades som ${name} bland webbläsarens hämtade filer.`);
  }
  try {
    const file = await window.showSaveFilePicker({
      id: 'bestand', suggestedName: name,
      types: [{description: 'Beståndsfil', accept: {'text/csv': ['.csv']}}],
    });
    const writable = await file.createWritable();
    await writable.write(bytes);
    await writable.close();
    say(`Sparades i ${file.name}`);
  } catch (error) {
    if (error.name !== 'AbortError') {
      complain(`Kunde inte spara filen: ${error.message}`);
    }
  }
}

function copyLink() {
  const url = `${location.origin}${location.pathname}?${queryOfStandFile(standBytes())}`;
  $('txtLank').value = url;
  $('lankRad').hidden = false;
  $('txtLank').select();
  const copied = navigator.clipboard ? navigator.clipboard.writeText(url) : Promise.reject();
  copied.then(() => say('Länken är kopierad.'), () => say('Kopiera länken ur fältet.'));
}

function openLink() {
  const bytes = standFileOfQuery(location.search, form);
  if (!bytes) {
    return false;
  }
  const listed = register.open(bytes, 'länken');
  if (!listed.ok) {
    complain(listed.message);
    return false;
  }
  const opened = openStand(0);
  state.row = 2;
  return opened;
}

function newStand() {
  fillForm(form.initialEntries, '');
  state.row = 2;
  say('Nytt bestånd.');
  $(`f-${form.parameters[0].field}`).focus();
}

// Tables in a Web Worker -----------------------------------------------------------------

const tableNames = {
  cycles: ['Utveckling', 'utveckling.csv'],
  compare: ['Intervall × ränta', 'jamforelse.csv'],
  measures: ['Båda åtgärderna', 'atgarder.csv'],
  spread: ['Spridning', 'spridning.csv'],
};

// The worker is made ahead of the first job and kept between jobs, so that a job finds the
// module loaded and compiled; "Avbryt" ends it and the next job makes another.
function worker() {
  state.worker ??= new Worker(new URL('tableworker.mjs', import.meta.url), {type: 'module'});
  return state.worker;
}

function stopWork(text, cancelled = false) {
  if (cancelled && state.worker) {
    state.worker.terminate();
    state.worker = null;
  }
  $('arbete').hidden = true;
  $('tabellMeddelande').textContent = text;
  for (const button of document.querySelectorAll('[data-tabell]')) {
    button.disabled = false;
  }
}

function runTable(kind) {
  const runs = Math.max(0, Math.floor(Number($('f-korningar').value) || 0));
  const seed = Math.max(0, Math.floor(Number($('f-fro').value) || 0));
  const job = worker();
  for (const button of document.querySelectorAll('[data-tabell]')) {
    button.disabled = true;
  }
  $('lblArbete').textContent = `${tableNames[kind][0]}: räknar …`;
  $('prgArbete').value = 0;
  $('arbete').hidden = false;
  $('tabellMeddelande').textContent = '';
  job.onmessage = ({data}) => {
    if (data.progress) {
      $('prgArbete').max = data.progress[1];
      $('prgArbete').value = data.progress[0];
      return;
    }
    stopWork(data.result.ok ? '' : data.result.message);
    if (data.result.ok) {
      document.body.dataset.tabellMs = data.ms.toFixed(1);
      showTable(kind, data.result.csv);
    }
  };
  job.onerror = event => stopWork(`Beräkningen kunde inte slutföras: ${event.message}`, true);
  job.postMessage({kind, entries: entriesOfForm(), sep, row: state.row, seed, runs});
}

function tableCells(rows, transposed) {
  const table = $('tabell');
  table.replaceChildren();
  if (transposed) {
    rows[0].forEach((name, i) => {
      const line = element('tr');
      line.append(element('th', {scope: 'row'}, name), element('td', {}, rows[1][i] ?? ''));
      table.append(line);
    });
    return;
  }
  const head = element('tr');
  head.append(...rows[0].map(name => element('th', {scope: 'col'}, name)));
  table.append(element('thead'), element('tbody'));
  table.tHead.append(head);
  for (const row of rows.slice(1)) {
    const line = element('tr');
    line.append(...row.map(cell => element('td', {}, cell)));
    table.tBodies[0].append(line);
  }
}

function showTable(kind, csv) {
  state.table = {kind, csv};
  const rows = parseCsv(new TextDecoder().decode(csv));
  const message = rows[0].indexOf('Meddelande');
  const refused = message >= 0 ? rows.slice(1).find(row => row[message]) : undefined;
  $('tabellMeddelande').textContent = refused ? refused[message] : '';
  $('rubrikTabell').textContent = tableNames[kind][0];
  tableCells(rows, rows.length === 2 && rows[0].length > 8);
  $('diagram').replaceChildren();
  if (kind === 'cycles' && !refused) {
    $('diagram').append(drawDevelopment(rows));
  }
  $('tabellDel').hidden = false;
}

// Start ----------------------------------------------------------------------------------

function connect() {
  $('formular').addEventListener('submit', event => {
    event.preventDefault();
    calculate();
  });
  $('formular').addEventListener('input', event => event.target.removeAttribute('aria-invalid'));
  $('formular').addEventListener('change', event => chosen(event.target));
  $('cmdSpara').addEventListener('click', saveResult);
  $('cmdSkrivUt').addEventListener('click', () => window.print());
  $('cmdOppna').addEventListener('click', () => $('filBestand').click());
  $('filBestand').addEventListener('change', () => {
    const [file] = $('filBestand').files;
    $('filBestand').value = '';
    if (file) {
      openStandFile(file);
    }
  });
  $('lstBestand').addEventListener('dblclick', () => $('cmdValjOk').click());
  $('lstBestand').addEventListener('keydown', event => {
    if (event.key === 'Enter') {
      event.preventDefault();
      $('cmdValjOk').click();
    }
  });
  window.addEventListener('beforeprint', () => {
    const name = $('f-bestand').value;
    $('utskriftRubrik').textContent = (name ? `Beståndet ${name}, ` : '') +
        `utskrivet ${new Date().toLocaleDateString('sv-SE')}`;
  });
  $('cmdSparaBestand').addEventListener('click', saveStandFile);
  $('cmdKopieraLank').addEventListener('click', copyLink);
  $('cmdNytt').addEventListener('click', newStand);
  for (const button of document.querySelectorAll('[data-tabell]')) {
    button.addEventListener('click', () => runTable(button.dataset.tabell));
  }
  $('cmdAvbryt').addEventListener('click', () => stopWork('Beräkningen avbröts.', true));
  $('cmdSparaCsv').addEventListener('click', () =>
      download(state.table.csv, tableNames[state.table.kind][1], 'text/csv'));
}

buildForm();
fillForm(form.initialEntries, '');
connect();
const fromLink = openLink();
for (const button of document.querySelectorAll('#cmdBerakna, [data-tabell]')) {
  button.disabled = false;
}
say(sep === ',' ? 'Klar att räkna. Decimaltecknet är komma.' : 'Klar att räkna. Decimaltecknet är punkt.');
document.body.dataset.klarMs = performance.now().toFixed(1);
worker();
if (fromLink && new URLSearchParams(location.search).get('berakna') === '1') {
  calculate();
}
