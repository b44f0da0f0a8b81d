// Random stand registers for the comparisons of the Node entry with the batch tool: every
// parameter, species, measure and tree row drawn from a seeded generator, so that a run
// writes the same file each time. Mostly stands the intake takes, with some it refuses and
// some whose numbers grow too large.

// A small generator of its own (a 32-bit xorshift), the same in every Node.
export function generator(seed) {
  let state = seed >>> 0 || 1;
  return () => {
    state ^= state << 13;
    state >>>= 0;
    state ^= state >>> 17;
    state ^= state << 5;
    state >>>= 0;
    return state / 4294967296;
  };
}

const header = 'totaltid;bonitet;areal;ranta;maxRing;tradslag;variation;atervandel;atgard;' +
    'berikning;cykTillAvv;' +
    Array.from({length: 10}, (_, k) => `dia${k + 1};avv${k + 1}`).join(';');

// A decimal with up to `decimals` digits after the point, written with sep.
function decimal(random, low, high, decimals, sep) {
  const value = (low + random() * (high - low)).toFixed(Math.floor(random() * (decimals + 1)));
  return value.replace('.', sep);
}

function pick(random, list) {
  return list[Math.floor(random() * list.length)];
}

// One row; with variation, a random variation of the diameter growth on most rows.
function stand(random, sep, variation) {
  const rare = () => random() < 0.02;
  const cells = [
    rare() ? pick(random, ['0', '40000', 'x', '1', '5']) : String(1 + Math.floor(random() * 300)),
    rare() ? pick(random, ['-1', '1e200', '']) : decimal(random, 0, 25, 2, sep),
    rare() ? pick(random, ['0', '1e-303', '1e-310']) : decimal(random, 5, 400, 1, sep),
    rare() ? pick(random, ['2.5', '6']) : pick(random, ['2', '3', '4', '5']),
    rare() ? pick(random, ['150', '-1e200', '0']) : decimal(random, 0.5, 20, 1, sep),
    pick(random, ['Tall', 'Gran', 'Löv']),
    variation && random() < 0.8 ? decimal(random, 0, 40, 1, sep) : '0',
    decimal(random, 0, 100, 0, sep),
    pick(random, ['Kalavverkning', 'Gallring och plockhuggning']),
    decimal(random, 0, 100, 0, sep),
    rare() ? pick(random, ['10000', '1e300', '-3']) : String(Math.floor(random() * 8)),
  ];
  for (let k = 0; k < 10; ++k) {
    const tree = random() < 0.6;
    cells.push(tree ? (rare() ? pick(random, ['1e103', 'abc', '0']) : decimal(random, 1, 80, 1, sep))
                    : '');
    cells.push(tree && random() < 0.2 ? 'x' : '');
  }
  return cells.join(';');
}

// The register's text: a header and count stands, CR LF line ends.
export function register(seed, count, sep, variation) {
  const random = generator(seed);
  const rows = [header];
  for (let i = 0; i < count; ++i) {
    rows.push(stand(random, sep, variation));
  }
  return rows.join('\r\n') + '\r\n';
}
