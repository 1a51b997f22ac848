// Files in and out of the page: a download made from text, and the files the desk opens as
// films, each kind by its name's ending and its first word.

export function download(name: string, text: string): void {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([text], { type: 'text/plain;charset=utf-8' }));
  a.download = name;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 60000);
}

// A file's text; an Error naming the file when it is not UTF-8, which every file the desk opens is.
export async function readText(file: File): Promise<{ name: string; text: string }> {
  const bytes = await file.arrayBuffer();
  try {
    return { name: file.name, text: new TextDecoder('utf-8', { fatal: true }).decode(bytes) };
  } catch {
    throw new Error(file.name + ' is not UTF-8 text, so the desk cannot read it: a shot list, a take and a film are text ' +
                    'files, as zenthar-plan, the take runner and zenthar-sim write them.');
  }
}

// A kind of file the desk opens: what it is called, and whether the engine makes it a shot list
// (a take or a scenario is rehearsed, and its film written down as one) or it is one already.
export interface FileKind {
  name: string;
  ending: RegExp;
  rehearsed: boolean;
}

export const FILE_KINDS: readonly FileKind[] = [
  { name: 'shot list', ending: /\.shots$/i, rehearsed: false },
  { name: 'take', ending: /\.take$/i, rehearsed: true },
  { name: 'film', ending: /\.film$/i, rehearsed: true },
];

// The first word of a text, past blank lines and comments.
function firstWord(text: string): string {
  const line = /^[ \t]*([^\s#][^\s]*)/m.exec(text.replace(/^\uFEFF/, ''));
  return line ? line[1] : '';
}

// A file named .shots is a shot list whatever it holds, as the engine takes it; else a take says
// so by its first word, whatever it was renamed to. Anything else not named otherwise is taken
// for a shot list, which says itself whether it reads.
export function kindOf(name: string, text: string): FileKind {
  const named = FILE_KINDS.find((k) => k.ending.test(name));
  if (named && !named.rehearsed) return named;
  if (firstWord(text) === 'zenthar-take') return FILE_KINDS[1];
  return named ?? FILE_KINDS[0];
}
