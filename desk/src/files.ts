// Files in and out of the page: a download made from text, and a shot list dropped on the page.

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
