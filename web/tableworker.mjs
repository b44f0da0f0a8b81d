// The page's long tables (the development, the comparisons, the spread) computed away from
// the page, so that it stays responsive; the page stops a job by ending the worker.

import createLodra05Core from './lodra05core.mjs';

const loaded = createLodra05Core();

function compute(core, {kind, entries, sep, row, seed, runs}) {
  const progress = (done, total) => {
    self.postMessage({progress: [done, total]});
    return true;
  };
  switch (kind) {
    case 'cycles':
      return core.cycles(entries, sep, row, seed);
    case 'compare':
      return core.compare(entries, sep, row, seed, progress);
    case 'measures':
      return core.measures(entries, sep, row, seed, progress);
    default:
      return core.spread(entries, sep, row, seed, runs, progress);
  }
}

self.onmessage = async ({data}) => {
  const core = await loaded;
  const started = performance.now();
  const result = compute(core, data);
  const ms = performance.now() - started;
  self.postMessage({result, ms}, result.csv ? [result.csv.buffer] : []);
};
