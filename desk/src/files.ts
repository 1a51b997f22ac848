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

// The first file dropped, as text; null when what was dropped holds no file.
export async function readDropped(e: DragEvent): Promise<{ name: string; text: string } | null> {
  const file = e.dataTransfer?.files?.[0];
  return file ? { name: file.name, text: await file.text() } : null;
}
