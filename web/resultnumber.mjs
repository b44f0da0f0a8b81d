// The number of the next result file "Result" + N + ".txt" in a folder, as the desktop
// numbers them: one past the highest N among the folder's files, skipping a name that
// anything (a file or a folder) already has; never a name that is taken.

export const highestResultNumber = 32767;

// entries: [{name, kind: 'file' | 'directory'}]. Returns {number} or {message}.
export function nextResultNumber(entries, folderName) {
  const taken = new Set();
  let highest = 0;
  for (const {name, kind} of entries) {
    const match = /^Result([0-9]+)\.txt$/.exec(name);
    if (!match) {
      continue;
    }
    const digits = match[1].replace(/^0+(?=.)/, '');
    const value = digits.length > 5 ? Infinity : Number(digits);
    if (value <= highestResultNumber && name === `Result${value}.txt`) {
      taken.add(value);
    }
    if (kind !== 'file' || value <= highest) {
      continue;
    }
    if (value > highestResultNumber) {
      return {
        message: `Mappen "${folderName}" innehåller filen ${name}, vars nummer är större än ` +
            `${highestResultNumber}. Flytta filen eller välj en annan mapp.`,
      };
    }
    highest = value;
  }
  if (highest >= highestResultNumber) {
    return {
      message: `Mappen "${folderName}" har redan en resultatfil med numret ` +
          `${highestResultNumber}, det högsta möjliga. Flytta filen eller välj en annan mapp.`,
    };
  }
  for (let number = highest + 1; number <= highestResultNumber; ++number) {
    if (!taken.has(number)) {
      return {number};
    }
  }
  return {message: `Kunde inte hitta ett ledigt filnummer i mappen "${folderName}".`};
}
