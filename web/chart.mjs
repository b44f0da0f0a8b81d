// The development chart drawn as SVG: the volume at each cycle's start as a line, the
// felled volume as bars, over the years of the development table's rows.

const svgSpace = 'http://www.w3.org/2000/svg';

function svg(tag, attributes, text) {
  const made = document.createElementNS(svgSpace, tag);
  for (const [name, value] of Object.entries(attributes)) {
    made.setAttribute(name, value);
  }
  if (text !== undefined) {
    made.textContent = text;
  }
  return made;
}

const number = text => Number(String(text).replace(',', '.'));

// A round step for about five ticks up to top.
function tickStep(top) {
  const rough = top / 5;
  const power = 10 ** Math.floor(Math.log10(rough));
  return [1, 2, 5, 10].map(f => f * power).find(step => step >= rough);
}

export function drawDevelopment(rows) {
  const [header, ...data] = rows;
  const column = name => header.findIndex(title => title.startsWith(name));
  const years = data.map(row => number(row[column('År')]));
  const volume = data.map(row => number(row[column('Volym vid start')]));
  const felled = data.map(row => number(row[column('Avverkad volym')]));
  const width = 800, height = 320, left = 56, right = 16, top = 28, bottom = 40;
  const lastYear = Math.max(5, ...years) + 5;
  const step = tickStep(Math.max(1, ...volume, ...felled));
  const highest = Math.ceil(Math.max(1, ...volume, ...felled) / step) * step;
  const x = year => left + (year / lastYear) * (width - left - right);
  const y = value => height - bottom - (value / highest) * (height - top - bottom);
  const chart = svg('svg', {viewBox: `0 0 ${width} ${height}`, role: 'img',
                            'aria-label': 'Volym vid start och avverkad volym per år'});
  for (let value = 0; value <= highest; value += step) {
    chart.append(svg('line', {x1: left, x2: width - right, y1: y(value), y2: y(value), stroke: '#dde3dd'}),
                 svg('text', {x: left - 6, y: y(value) + 4, 'text-anchor': 'end'}, String(value)));
  }
  const yearStep = tickStep(lastYear);
  for (let year = 0; year <= lastYear; year += yearStep) {
    chart.append(svg('text', {x: x(year), y: height - bottom + 16, 'text-anchor': 'middle'}, String(year)));
  }
  chart.append(svg('text', {x: width - right, y: height - 6, 'text-anchor': 'end'}, 'År'),
               svg('text', {x: left, y: 16}, 'm3sk/ha'));
  const barWidth = Math.max(2, (x(5) - x(0)) * 0.6);
  felled.forEach((value, i) => {
    if (value > 0) {
      chart.append(svg('rect', {x: x(years[i] + 2.5) - barWidth / 2, y: y(value), width: barWidth,
                                height: y(0) - y(value), fill: '#c98a2b'}));
    }
  });
  chart.append(svg('polyline', {fill: 'none', stroke: '#2d6a3e', 'stroke-width': 2.5,
                                points: years.map((year, i) => `${x(year)},${y(volume[i])}`).join(' ')}));
  chart.append(svg('rect', {x: width - 330, y: 8, width: 12, height: 4, fill: '#2d6a3e'}),
               svg('text', {x: width - 314, y: 14}, 'Volym vid start'),
               svg('rect', {x: width - 190, y: 6, width: 12, height: 8, fill: '#c98a2b'}),
               svg('text', {x: width - 174, y: 14}, 'Avverkad volym'));
  return chart;
}
