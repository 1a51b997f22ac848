// Files in and out of the page: a download made from text, and the files the desk opens as
// films, each kind by its name's ending.

export function download(name: string, text: string): void {
  const a = document.createElement('a');
  a.href = URL.createObjectURL(new Blob([text], { type: 'text/plain;charset=utf-8' }));
  a.download = name;
  document.body.appendChild(a);
  a.click();
  a.remove();
  setTimeout(() => URL.revokeObjectURL(a.href), 60000);
}

// A file's text; an Error naming the file when it is not UTF-8, which a shot list is.
export async function readText(file: File): Promise<{ name: string; text: string }> {
  try {
    return { name: file.name, text: new TextDecoder('utf-8', { fatal: true }).decode(await file.arrayBuffer()) };
  } catch {
    throw new Error(file.name + ' is not UTF-8 text, so it is no shot list the desk can read');
  }
}

// A kind of file the desk opens: what it is called, and how a file of it becomes a film's name
// and shot list.
export interface FileKind {
  name: string;
  ending: RegExp;
  read(file: File): Promise<{ name: string; text: string }>;
}

// Anything not named otherwise is taken for a shot list, which says itself whether it reads.
export const FILE_KINDS: readonly FileKind[] = [
  { name: 'shot list', ending: /\.shots$/i, read: readText },
];

export function readFilm(file: File): Promise<{ name: string; text: string }> {
  return (FILE_KINDS.find((k) => k.ending.test(file.name)) ?? FILE_KINDS[0]).read(file);
}
